#include "console/serial_posix.hpp"

#include "console/descriptor_link.hpp"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace station {

namespace {

struct SpeedSetting {
    std::int32_t baud;
    speed_t code;
};

constexpr SpeedSetting speedTable[] = {
    {50, B50},         {75, B75},         {110, B110},       {134, B134},     {150, B150},
    {200, B200},       {300, B300},       {600, B600},       {1200, B1200},   {1800, B1800},
    {2400, B2400},     {4800, B4800},     {9600, B9600},     {19200, B19200}, {38400, B38400},
    {57600, B57600},   {115200, B115200}, {230400, B230400}, {460800, B460800},
};

// A device that stops taking bytes for this long is given up on: a stuck link must not stop
// the tracking loop.
constexpr int writeStallLimitMs = 2000;
constexpr int writePollMs = 20;
constexpr const char* stalledText = "No bytes taken for 2 seconds";

class PosixSerialPort : public DescriptorLink {
public:
    explicit PosixSerialPort(int fd) : DescriptorLink(fd) {}

    using SerialPort::write;

    bool write(std::span<const std::uint8_t> bytes) override {
        std::size_t done = 0;
        int stalledMs = 0;
        while (failure_.empty() && done < bytes.size()) {
            const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
            if (n > 0) {
                done += static_cast<std::size_t>(n);
                stalledMs = 0;
                continue;
            }
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n < 0 && errno != EAGAIN) {
                fail(std::strerror(errno));
                break;
            }
            if (stalledMs >= writeStallLimitMs) {
                fail(stalledText);
                break;
            }
            pollfd ready{fd_, POLLOUT, 0};
            ::poll(&ready, 1, writePollMs);
            stalledMs += writePollMs;
        }
        return failure_.empty();
    }

    int waiting() override {
        int count = 0;
        if (!failure_.empty()) {
            return 0;
        }
        // A terminal that was hung up refuses every request.
        if (::ioctl(fd_, FIONREAD, &count) != 0) {
            fail(std::strerror(errno));
            return 0;
        }
        return count + static_cast<int>(pending_.size());
    }

    int read() override {
        if (!pending_.empty()) {
            const auto byte = static_cast<std::uint8_t>(pending_.front());
            pending_.erase(0, 1);
            return byte;
        }
        std::uint8_t byte = 0;
        while (failure_.empty()) {
            const ssize_t n = ::read(fd_, &byte, 1);
            if (n == 1) {
                return byte;
            }
            if (n < 0 && errno == EINTR) {
                continue;
            }
            // Raw mode without a minimum count reads nothing as 0 bytes, as a hung-up
            // terminal does: only detectHangUp tells the two apart.
            if (n < 0 && errno != EAGAIN) {
                fail(std::strerror(errno));
            }
            break;
        }
        return -1;
    }

    void detectHangUp() override {
        if (!failure_.empty()) {
            return;
        }
        pollfd state{fd_, 0, 0};
        if (::poll(&state, 1, 0) > 0 && (state.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
            // What every write to the hung-up device now gives.
            fail(std::strerror((state.revents & POLLNVAL) != 0 ? EBADF : EIO));
        }
    }

private:
    void fail(std::string reason) { failure_ = std::move(reason); }
};

// Raw 8N2 without any flow control or translation: the binary frames carry 0x0A, 0x0D, 0x11
// and 0x13, and a missing carrier must never hold the port.
void configure(int fd, std::int32_t baud) {
    termios settings{};
    if (::tcgetattr(fd, &settings) != 0) {
        return;
    }
    ::cfmakeraw(&settings);
    settings.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY | INPCK | ISTRIP);
    settings.c_iflag |= IGNBRK;
    settings.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    settings.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CRTSCTS | HUPCL);
    settings.c_cflag |= CS8 | CSTOPB | CLOCAL | CREAD;
    settings.c_cc[VMIN] = 0;
    settings.c_cc[VTIME] = 0;
    for (const auto& speed : speedTable) {
        if (speed.baud == baud) {
            ::cfsetispeed(&settings, speed.code);
            ::cfsetospeed(&settings, speed.code);
        }
    }
    if (::tcsetattr(fd, TCSANOW, &settings) != 0) {
        // A device that refuses the speed still gets raw mode at its current speed.
        termios current{};
        if (::tcgetattr(fd, &current) == 0) {
            const speed_t kept = ::cfgetospeed(&current);
            ::cfsetispeed(&settings, kept);
            ::cfsetospeed(&settings, kept);
            ::tcsetattr(fd, TCSANOW, &settings);
        }
    }
    // Interfaces powered from RTS or DTR, or that key a transmitter on them, must stay quiet;
    // pseudo-terminals have no modem lines and refuse this, which is fine.
    int lines = TIOCM_RTS | TIOCM_DTR;
    ::ioctl(fd, TIOCMBIC, &lines);
}

}  // namespace

std::string serialDevicePath(const Files& files, int port) {
    if (port < 1) {
        return {};
    }
    if (auto link = files.find("COM" + std::to_string(port))) {
        return link->string();
    }
    return "/dev/ttyS" + std::to_string(port - 1);
}

namespace {

std::unique_ptr<SerialPort> openDevice(const std::string& path, std::int32_t baud) {
    if (path.empty()) {
        return nullptr;
    }
    int fd = -1;
    do {
        fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        return nullptr;
    }
    if (!::isatty(fd)) {
        ::close(fd);
        return nullptr;
    }
    configure(fd, baud);
    return std::make_unique<PosixSerialPort>(fd);
}

}  // namespace

std::unique_ptr<SerialPort> PosixSerialPorts::open(int port, std::int32_t baud) {
    const std::string path = serialDevicePath(files_, port);
    devicePaths_[port] = path;
    return openDevice(path, baud);
}

std::unique_ptr<SerialPort> PosixSerialPorts::reopen(int port, std::int32_t baud) {
    // Not the port's name looked up again: with its COMn link gone for a moment that would be
    // /dev/ttyS(n-1), another device.
    const auto known = devicePaths_.find(port);
    if (known == devicePaths_.end()) {
        return open(port, baud);
    }
    return openDevice(known->second, baud);
}

}  // namespace station
