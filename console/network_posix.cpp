// TCP links: a non-blocking socket, so that neither a connection nor an answer ever holds the
// program longer than its timeout.
#include "console/network_posix.hpp"

#include "console/descriptor_link.hpp"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace station {

namespace {

constexpr const char* closedText = "Connection closed";

class TcpLink : public DescriptorLink {
public:
    explicit TcpLink(int fd) : DescriptorLink(fd) {}
    explicit TcpLink(std::string failure) : DescriptorLink(std::move(failure)) {}

    using SerialPort::write;

    bool write(std::span<const std::uint8_t> bytes) override {
        std::size_t done = 0;
        while (failure_.empty() && done < bytes.size()) {
            const ssize_t n = ::send(fd_, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
            if (n > 0) {
                done += static_cast<std::size_t>(n);
            } else if (n < 0 && errno == EAGAIN) {
                pollfd ready{fd_, POLLOUT, 0};
                if (::poll(&ready, 1, NetworkLinks::replyTimeoutMs) == 0) {
                    failure_ = "No bytes taken within " + std::to_string(NetworkLinks::replyTimeoutMs) + " ms";
                }
            } else if (n < 0 && errno != EINTR) {
                failure_ = std::strerror(errno);
            }
        }
        return failure_.empty();
    }

    int waiting() override {
        int count = 0;
        if (!failure_.empty()) {
            return 0;
        }
        if (::ioctl(fd_, FIONREAD, &count) != 0) {
            failure_ = std::strerror(errno);
            return 0;
        }
        return count + static_cast<int>(pending_.size());
    }

    int read() override {
        if (!failure_.empty()) {
            return -1;
        }
        if (!pending_.empty()) {
            const auto byte = static_cast<std::uint8_t>(pending_.front());
            pending_.erase(0, 1);
            return byte;
        }
        std::uint8_t byte = 0;
        const ssize_t n = ::recv(fd_, &byte, 1, MSG_DONTWAIT);
        if (n == 1) {
            return byte;
        }
        if (n == 0) {
            failure_ = closedText;
        } else if (errno != EAGAIN && errno != EINTR) {
            failure_ = std::strerror(errno);
        }
        return -1;
    }

    void detectHangUp() override {
        if (!failure_.empty()) {
            return;
        }
        pollfd state{fd_, POLLIN, 0};
        if (::poll(&state, 1, 0) <= 0) {
            return;
        }
        if ((state.revents & POLLERR) != 0) {
            failure_ = std::strerror(pendingError());
            return;
        }
        // Readable with nothing to read: the far end closed.
        char byte = 0;
        const ssize_t n = ::recv(fd_, &byte, 1, MSG_PEEK | MSG_DONTWAIT);
        if (n == 0) {
            failure_ = closedText;
        } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
            failure_ = std::strerror(errno);
        }
    }

private:
    int pendingError() const {
        int error = 0;
        socklen_t size = sizeof error;
        ::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &size);
        return error != 0 ? error : ECONNRESET;
    }
};

// A connected socket, or the reason there is none. `deadline` bounds the wait for the far end.
int connectWithin(const addrinfo& candidate, std::chrono::steady_clock::time_point deadline, std::string& failure) {
    const int fd = ::socket(candidate.ai_family, candidate.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                            candidate.ai_protocol);
    if (fd < 0) {
        failure = std::strerror(errno);
        return -1;
    }
    if (::connect(fd, candidate.ai_addr, candidate.ai_addrlen) != 0) {
        if (errno != EINPROGRESS) {
            failure = std::strerror(errno);
            ::close(fd);
            return -1;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        pollfd ready{fd, POLLOUT, 0};
        if (left <= 0 || ::poll(&ready, 1, static_cast<int>(left)) <= 0) {
            failure = "No connection within " + std::to_string(NetworkLinks::connectTimeoutMs) + " ms";
            ::close(fd);
            return -1;
        }
        int error = 0;
        socklen_t size = sizeof error;
        ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size);
        if (error != 0) {
            failure = std::strerror(error);
            ::close(fd);
            return -1;
        }
    }
    // Every command is one short line that waits for its answer.
    const int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    return fd;
}

}  // namespace

std::unique_ptr<SerialPort> PosixNetworkLinks::connect(const NetworkAddress& address) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(connectTimeoutMs);
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV;
    addrinfo* found = nullptr;
    const std::string service = std::to_string(address.port);
    const int resolved = ::getaddrinfo(address.host.c_str(), service.c_str(), &hints, &found);
    if (resolved != 0) {
        return std::make_unique<TcpLink>(std::string(::gai_strerror(resolved)));
    }
    // "localhost" may stand for both ::1 and 127.0.0.1, and a daemon may listen on only one.
    std::string failure = "No address";
    int fd = -1;
    for (const addrinfo* candidate = found; candidate != nullptr && fd < 0; candidate = candidate->ai_next) {
        fd = connectWithin(*candidate, deadline, failure);
    }
    ::freeaddrinfo(found);
    if (fd < 0) {
        return std::make_unique<TcpLink>(failure);
    }
    return std::make_unique<TcpLink>(fd);
}

}  // namespace station
