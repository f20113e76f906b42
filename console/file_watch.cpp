#include "console/file_watch.hpp"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <sys/inotify.h>
#include <unistd.h>

namespace station {

namespace {

// Every way the file's content can change under the same name: written and closed, renamed
// over (the atomic replace of editors and of the scheduler), created, removed, renamed away,
// its metadata touched.
constexpr std::uint32_t changeEvents =
    IN_CLOSE_WRITE | IN_MOVED_TO | IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_ATTRIB;

}  // namespace

bool sameFileName(std::string_view entry, std::string_view watched) {
    return entry.size() == watched.size() &&
           std::equal(entry.begin(), entry.end(), watched.begin(), [](char a, char b) {
               return std::toupper(static_cast<unsigned char>(a)) == std::toupper(static_cast<unsigned char>(b));
           });
}

FileWatch::~FileWatch() {
    if (descriptor_ >= 0) {
        ::close(descriptor_);
    }
}

bool FileWatch::watch(const std::filesystem::path& directory, std::string_view name) {
    if (descriptor_ >= 0) {
        ::close(descriptor_);
        descriptor_ = -1;
    }
    name_ = std::string(name);
    // Not inherited by the jobs the programs start.
    const int descriptor = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (descriptor < 0) {
        return false;
    }
    if (::inotify_add_watch(descriptor, directory.c_str(), changeEvents | IN_ONLYDIR) < 0) {
        ::close(descriptor);
        return false;
    }
    descriptor_ = descriptor;
    return true;
}

bool FileWatch::takeChanges() {
    if (descriptor_ < 0) {
        return false;
    }
    bool concerned = false;
    alignas(inotify_event) char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(descriptor_, buffer, sizeof buffer);
        if (got <= 0) {
            if (got < 0 && errno == EINTR) {
                continue;
            }
            return concerned;
        }
        for (ssize_t at = 0; at + static_cast<ssize_t>(sizeof(inotify_event)) <= got;) {
            inotify_event event;
            std::memcpy(&event, buffer + at, sizeof event);
            const char* name = buffer + at + sizeof(inotify_event);
            if ((event.mask & IN_Q_OVERFLOW) != 0 ||
                (event.len > 0 && sameFileName(std::string_view(name, ::strnlen(name, event.len)), name_))) {
                concerned = true;
            }
            at += static_cast<ssize_t>(sizeof(inotify_event) + event.len);
        }
    }
}

}  // namespace station
