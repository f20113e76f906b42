#include "console/files.hpp"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <fstream>
#include <unistd.h>

namespace station {

namespace fs = std::filesystem;

std::vector<std::string> splitLines(std::string_view content) {
    std::vector<std::string> lines;
    std::string line;
    for (std::size_t i = 0; i < content.size(); ++i) {
        const char c = content[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(line);
            line.clear();
            if (c == '\r' && i + 1 < content.size() && content[i + 1] == '\n') {
                ++i;
            }
        } else {
            line += c;
        }
    }
    if (!line.empty()) {
        lines.push_back(line);
    }
    return lines;
}

namespace {

std::string trimTrailingBlanks(std::string_view name) {
    std::string text(name);
    while (!text.empty() && text.back() == ' ') {
        text.pop_back();
    }
    return text;
}

bool sameIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

std::string withCase(std::string text, int (*convert)(int)) {
    for (char& c : text) {
        c = static_cast<char>(convert(static_cast<unsigned char>(c)));
    }
    return text;
}

bool isRegularFile(const fs::path& path) {
    std::error_code error;
    return fs::is_regular_file(path, error) || fs::is_character_file(path, error);
}

}  // namespace

std::optional<fs::path> Files::find(std::string_view name) const {
    const std::string wanted = trimTrailingBlanks(name);
    if (wanted.empty()) {
        return std::nullopt;
    }
    // The usual spellings first, so that a poll of an existing file costs no directory scan.
    for (const auto& spelling : {wanted, withCase(wanted, ::toupper), withCase(wanted, ::tolower)}) {
        const fs::path candidate = directory_ / spelling;
        if (isRegularFile(candidate)) {
            return candidate;
        }
    }
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(directory_, error)) {
        if (sameIgnoringCase(entry.path().filename().string(), wanted) && isRegularFile(entry.path())) {
            return entry.path();
        }
    }
    return std::nullopt;
}

fs::path Files::pathFor(std::string_view name) const {
    if (auto existing = find(name)) {
        return *existing;
    }
    return directory_ / trimTrailingBlanks(name);
}

std::optional<std::ifstream> Files::open(std::string_view name) const {
    const auto path = find(name);
    if (!path) {
        return std::nullopt;
    }
    std::ifstream in(*path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    return in;
}

std::optional<std::string> Files::readAll(std::ifstream& in) {
    std::string content;
    char buffer[8192];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        content.append(buffer, static_cast<std::size_t>(in.gcount()));
    }
    if (in.bad()) {
        return std::nullopt;
    }
    return content;
}

std::optional<std::string> Files::readText(std::string_view name) const {
    auto in = open(name);
    if (!in) {
        return std::nullopt;
    }
    return readAll(*in);
}

WriteResult Files::replace(std::string_view name, std::string_view content) const {
    const fs::path target = pathFor(name);
    std::string temporary = (directory_ / ("." + target.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) {
        return {std::strerror(errno)};
    }
    // The first step that fails gives the reason; the later ones are not tried.
    int error = 0;
    auto check = [&error](bool succeeded) {
        if (!succeeded && error == 0) {
            error = errno != 0 ? errno : EIO;
        }
    };
    std::size_t written = 0;
    while (error == 0 && written < content.size()) {
        errno = 0;
        const auto n = ::write(fd, content.data() + written, content.size() - written);
        check(n > 0);
        if (n > 0) {
            written += static_cast<std::size_t>(n);
        }
    }
    // The new file keeps the permissions of the one it replaces.
    struct stat existing {};
    const mode_t mode = ::stat(target.c_str(), &existing) == 0 ? (existing.st_mode & 07777) : 0644;
    if (error == 0) {
        check(::fchmod(fd, mode) == 0);
    }
    if (error == 0) {
        check(::fsync(fd) == 0);
    }
    // A full disk may show only when the file is closed.
    check(::close(fd) == 0);
    if (error == 0) {
        check(std::rename(temporary.c_str(), target.c_str()) == 0);
    }
    if (error != 0) {
        ::unlink(temporary.c_str());
        return {std::strerror(error)};
    }
    return {};
}

bool Files::remove(std::string_view name) const {
    const auto path = find(name);
    std::error_code error;
    return path && fs::remove(*path, error);
}

}  // namespace station
