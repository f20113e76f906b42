#include "elementupdate/sources.hpp"

#include "console/files.hpp"
#include "text/numbers.hpp"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace station {

namespace {

// Reads the descriptor from its current position to its end; false on a read error.
bool readToEnd(int fd, std::string& text) {
    char buffer[8192];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n == 0) {
            return true;
        }
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        text.append(buffer, static_cast<std::size_t>(n));
    }
}

// The last line curl wrote, without its line end ("curl: (22) The requested URL returned...").
std::string lastLine(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
        text.pop_back();
    }
    const auto start = text.find_last_of("\r\n");
    return start == std::string::npos ? text : text.substr(start + 1);
}

SourceText failure(std::string error) {
    return SourceText::failed(std::move(error));
}

// Owns a descriptor for the length of a download.
struct Descriptor {
    int fd = -1;
    ~Descriptor() {
        if (fd >= 0) {
            ::close(fd);
        }
    }
};

// An unnamed temporary file, so nothing is left behind whatever happens.
int temporaryFile() {
    std::string name = (std::filesystem::temp_directory_path() / "kelvorin-elements-XXXXXX").string();
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd >= 0) {
        ::unlink(name.c_str());
    }
    return fd;
}

}  // namespace

bool isUrl(std::string_view source) {
    const std::string start = upperCase(source.substr(0, 8));
    for (std::string_view scheme : {"HTTP://", "HTTPS://", "FTP://"}) {
        if (start.rfind(scheme, 0) == 0) {
            return true;
        }
    }
    return false;
}

void readResponseHeaders(std::string_view headers, SourceText& result) {
    for (const std::string& line : splitLines(headers)) {
        const std::string upper = upperCase(line);
        if (upper.rfind("HTTP/", 0) == 0) {
            const auto blank = line.find(' ');
            result.status = blank == std::string::npos ? 0 : toInt32(leadingNumber(line.substr(blank)));
            result.lastModified.clear();
        } else if (upper.rfind("LAST-MODIFIED:", 0) == 0) {
            const auto start = line.find_first_not_of(" \t", 14);
            result.lastModified = start == std::string::npos ? "" : line.substr(start);
        }
    }
}

SourceText CurlDownloader::download(const std::string& url, const std::string& ifModifiedSince) {
    Descriptor body{temporaryFile()};
    Descriptor headers{temporaryFile()};
    if (body.fd < 0 || headers.fd < 0) {
        return failure(std::string("cannot make a temporary file: ") + std::strerror(errno));
    }
    int messages[2];
    if (::pipe2(messages, O_CLOEXEC) != 0) {
        return failure(std::string("cannot run curl: ") + std::strerror(errno));
    }
    Descriptor messagesIn{messages[0]};
    Descriptor messagesOut{messages[1]};

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, body.fd, 1);
    posix_spawn_file_actions_adddup2(&actions, messagesOut.fd, 2);
    posix_spawn_file_actions_adddup2(&actions, headers.fd, 3);
    std::vector<std::string> arguments{"curl",       "--silent", "--show-error",  "--location",
                                       "--max-time", "60",       "--dump-header", "/dev/fd/3"};
    if (!ifModifiedSince.empty()) {
        arguments.insert(arguments.end(), {"--header", "If-Modified-Since: " + ifModifiedSince});
    }
    // After "--", a URL is never taken for an option.
    arguments.insert(arguments.end(), {"--", url});
    std::vector<char*> argv;
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    pid_t child = -1;
    const int spawned = ::posix_spawnp(&child, "curl", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        return failure(std::string("cannot run curl: ") + std::strerror(spawned));
    }
    ::close(messagesOut.fd);
    messagesOut.fd = -1;

    std::string curlMessages;
    readToEnd(messagesIn.fd, curlMessages);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) {
            return failure(std::string("lost the curl process: ") + std::strerror(errno));
        }
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::string message = lastLine(curlMessages);
        if (message.empty()) {
            message = WIFEXITED(status) ? "curl ended with status " + std::to_string(WEXITSTATUS(status))
                                        : "curl was ended by signal " + std::to_string(WTERMSIG(status));
        }
        return failure(message);
    }
    SourceText result = SourceText::read({});
    std::string headerText;
    if (::lseek(body.fd, 0, SEEK_SET) != 0 || !readToEnd(body.fd, result.text) ||
        ::lseek(headers.fd, 0, SEEK_SET) != 0 || !readToEnd(headers.fd, headerText)) {
        return failure(std::string("cannot read the downloaded file: ") + std::strerror(errno));
    }
    readResponseHeaders(headerText, result);
    return result;
}

SourceText readSourceFile(const std::filesystem::path& directory, const std::string& path) {
    // An absolute path replaces the directory.
    const std::filesystem::path file = directory / path;
    Descriptor in{::open(file.c_str(), O_RDONLY | O_CLOEXEC)};
    if (in.fd < 0) {
        return failure(std::string("cannot read it: ") + std::strerror(errno));
    }
    SourceText result = SourceText::read({});
    if (!readToEnd(in.fd, result.text)) {
        return failure(std::string("cannot read it: ") + std::strerror(errno));
    }
    return result;
}

}  // namespace station
