#include "console/line_reader.hpp"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <poll.h>
#include <unistd.h>

namespace station {

std::string noReplyText(int timeoutMs) { return "No reply within " + std::to_string(timeoutMs) + " ms"; }

std::optional<std::string> takeLine(std::string& pending) {
    const auto end = pending.find('\n');
    if (end == std::string::npos) {
        return std::nullopt;
    }
    std::string line = pending.substr(0, end);
    pending.erase(0, end + 1);
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    return line;
}

std::optional<std::string> readLineFrom(int fd, std::string& pending, int timeoutMs, std::string& failure) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (auto line = takeLine(pending)) {
            return line;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left < 0) {
            failure = noReplyText(timeoutMs);
            return std::nullopt;
        }
        pollfd ready{fd, POLLIN, 0};
        const int polled = ::poll(&ready, 1, static_cast<int>(left));
        if (polled < 0 && errno != EINTR) {
            failure = std::strerror(errno);
            return std::nullopt;
        }
        if (polled <= 0) {
            continue;
        }
        char buffer[256];
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n > 0) {
            pending.append(buffer, static_cast<std::size_t>(n));
        } else if (n == 0) {
            failure = "Connection closed";
            return std::nullopt;
        } else if (errno != EINTR && errno != EAGAIN) {
            failure = std::strerror(errno);
            return std::nullopt;
        }
    }
}

}  // namespace station
