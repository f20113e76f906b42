#include "console/descriptor_link.hpp"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <poll.h>
#include <unistd.h>

namespace station {

namespace {

// Takes a complete line off the front of `pending`, if there is one.
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

}  // namespace

DescriptorLink::~DescriptorLink() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

std::optional<std::string> DescriptorLink::readLine(int timeoutMs) {
    if (!failure_.empty()) {
        return std::nullopt;
    }
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (auto line = takeLine(pending_)) {
            return line;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left < 0) {
            failure_ = "No reply within " + std::to_string(timeoutMs) + " ms";
            return std::nullopt;
        }
        pollfd ready{fd_, POLLIN, 0};
        const int polled = ::poll(&ready, 1, static_cast<int>(left));
        if (polled < 0 && errno != EINTR) {
            failure_ = std::strerror(errno);
            return std::nullopt;
        }
        if (polled <= 0) {
            continue;
        }
        char buffer[256];
        const ssize_t n = ::read(fd_, buffer, sizeof buffer);
        if (n > 0) {
            pending_.append(buffer, static_cast<std::size_t>(n));
        } else if (n == 0) {
            failure_ = "Connection closed";
            return std::nullopt;
        } else if (errno != EINTR && errno != EAGAIN) {
            failure_ = std::strerror(errno);
            return std::nullopt;
        }
    }
}

}  // namespace station
