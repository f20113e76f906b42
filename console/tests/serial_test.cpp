// The serial ports against real pseudo-terminals: the program opens the COMn link to the slave,
// the test plays the device on the master.
#include "console/serial_posix.hpp"
#include "console/testsupport/station_dir.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace station {
namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> everyByteValue() {
    std::vector<std::uint8_t> bytes;
    for (int value = 0; value < 256; ++value) {
        bytes.push_back(static_cast<std::uint8_t>(value));
    }
    return bytes;
}

class PseudoTerminal {
public:
    PseudoTerminal() {
        char name[256] = {};
        if (::openpty(&master_, &slave_, name, nullptr, nullptr) != 0) {
            throw std::runtime_error("openpty failed");
        }
        slaveName_ = name;
        ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    }
    ~PseudoTerminal() {
        if (master_ >= 0) {
            ::close(master_);
            ::close(slave_);
        }
    }
    const std::string& slaveName() const { return slaveName_; }
    // The device goes away: the far end closes, as when a USB adapter is pulled out.
    void hangUp() {
        ::close(slave_);
        ::close(master_);
        slave_ = master_ = -1;
    }

    termios slaveSettings() const {
        termios settings{};
        ::tcgetattr(slave_, &settings);
        return settings;
    }

    void send(const std::vector<std::uint8_t>& bytes) const {
        ASSERT_EQ(::write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }

    // Everything the program has sent, once `count` bytes are there (or after five seconds).
    std::vector<std::uint8_t> receive(std::size_t count) const {
        std::vector<std::uint8_t> bytes;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (bytes.size() < count && std::chrono::steady_clock::now() < deadline) {
            pollfd ready{master_, POLLIN, 0};
            ::poll(&ready, 1, 50);
            std::uint8_t buffer[512];
            const ssize_t n = ::read(master_, buffer, sizeof buffer);
            if (n > 0) {
                bytes.insert(bytes.end(), buffer, buffer + n);
            }
        }
        return bytes;
    }

private:
    int master_ = -1;
    int slave_ = -1;
    std::string slaveName_;
};

// Bytes written to a master reach the slave's input a moment later.
bool waitForWaiting(SerialPort& port, int count) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (port.waiting() < count) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

class PosixSerial : public ::testing::Test {
protected:
    void link(const std::string& name) { fs::create_symlink(pty.slaveName(), dir.path() / name); }

    testing::StationDir dir;
    Files files{dir.path()};
    PosixSerialPorts ports{files};
    PseudoTerminal pty;
};

TEST_F(PosixSerial, PortNIsTheComLinkInAnyCaseElseTheSystemDevice) {
    link("com2");
    EXPECT_EQ(serialDevicePath(files, 2), (dir.path() / "com2").string());
    EXPECT_EQ(serialDevicePath(files, 1), "/dev/ttyS0");
    EXPECT_EQ(serialDevicePath(files, 7), "/dev/ttyS6");
    EXPECT_EQ(serialDevicePath(files, 0), "");
}

TEST_F(PosixSerial, EveryByteValueTravelsUnchangedBothWays) {
    link("COM1");
    auto port = ports.open(1, 115200);
    ASSERT_NE(port, nullptr);

    port->write(everyByteValue());
    EXPECT_EQ(pty.receive(256), everyByteValue());

    pty.send(everyByteValue());
    ASSERT_TRUE(waitForWaiting(*port, 256));
    EXPECT_EQ(port->waiting(), 256);
    std::vector<std::uint8_t> received;
    for (int byte = port->read(); byte >= 0; byte = port->read()) {
        received.push_back(static_cast<std::uint8_t>(byte));
    }
    EXPECT_EQ(received, everyByteValue());
    EXPECT_EQ(port->waiting(), 0);
    EXPECT_EQ(port->read(), -1);
}

TEST_F(PosixSerial, LineEndsAndFlowControlCharactersAreData) {
    link("COM1");
    auto port = ports.open(1, 9600);
    ASSERT_NE(port, nullptr);
    const std::vector<std::uint8_t> frame{0x57, 0x0A, 0x0D, 0x11, 0x13, 0x03, 0x1A, 0x7F};
    pty.send(frame);
    ASSERT_TRUE(waitForWaiting(*port, 8));
    port->write(std::string("\r\n\x11\x13", 4));
    EXPECT_EQ(pty.receive(4), (std::vector<std::uint8_t>{0x0D, 0x0A, 0x11, 0x13}));
    for (std::uint8_t expected : frame) {
        EXPECT_EQ(port->read(), expected);
    }
}

TEST_F(PosixSerial, RawEightBitsTwoStopBitsNoFlowControl) {
    link("COM3");
    auto port = ports.open(3, 57600);
    ASSERT_NE(port, nullptr);
    const termios settings = pty.slaveSettings();
    EXPECT_EQ(settings.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_TRUE(settings.c_cflag & CSTOPB);
    EXPECT_FALSE(settings.c_cflag & PARENB);
    EXPECT_FALSE(settings.c_cflag & CRTSCTS);
    EXPECT_TRUE(settings.c_cflag & CLOCAL);
    EXPECT_TRUE(settings.c_cflag & CREAD);
    EXPECT_FALSE(settings.c_iflag & (IXON | IXOFF | IXANY | ICRNL | INLCR | IGNCR | ISTRIP));
    EXPECT_FALSE(settings.c_oflag & OPOST);
    EXPECT_FALSE(settings.c_lflag & (ICANON | ECHO | ISIG | IEXTEN));
    EXPECT_EQ(cfgetospeed(&settings), static_cast<speed_t>(B57600));
    EXPECT_EQ(cfgetispeed(&settings), static_cast<speed_t>(B57600));
}

TEST_F(PosixSerial, SpeedsAboveSixteenBits) {
    link("COM1");
    for (const auto& [baud, code] : {std::pair{38400, B38400}, std::pair{57600, B57600}, std::pair{115200, B115200},
                                     std::pair{4800, B4800}}) {
        auto port = ports.open(1, baud);
        ASSERT_NE(port, nullptr) << baud;
        const termios settings = pty.slaveSettings();
        EXPECT_EQ(cfgetospeed(&settings), static_cast<speed_t>(code)) << baud;
    }
}

TEST_F(PosixSerial, UnknownSpeedKeepsTheCurrentOne) {
    link("COM1");
    ASSERT_NE(ports.open(1, 19200), nullptr);
    auto port = ports.open(1, 12345);
    ASSERT_NE(port, nullptr);
    const termios settings = pty.slaveSettings();
    EXPECT_EQ(cfgetospeed(&settings), static_cast<speed_t>(B19200));
    EXPECT_TRUE(settings.c_cflag & CSTOPB);
}

TEST_F(PosixSerial, PortsThatCannotBeOpenedGiveNothing) {
    EXPECT_EQ(ports.open(0, 9600), nullptr);
    EXPECT_EQ(ports.open(99, 9600), nullptr);  // no COM99, no /dev/ttyS98
    dir.write("COM4", "a plain file is no serial port");
    EXPECT_EQ(ports.open(4, 9600), nullptr);
    fs::create_symlink(dir.path() / "missing-device", dir.path() / "COM5");
    EXPECT_EQ(ports.open(5, 9600), nullptr);
}

TEST_F(PosixSerial, ClosingThePortReleasesTheDevice) {
    link("COM1");
    ports.open(1, 9600)->write(std::string("A"));
    auto again = ports.open(1, 9600);
    ASSERT_NE(again, nullptr);
    again->write(std::string("B"));
    EXPECT_EQ(pty.receive(2), (std::vector<std::uint8_t>{'A', 'B'}));
}

TEST_F(PosixSerial, AHangUpOfTheFarEndFailsTheLinkForGood) {
    link("COM1");
    auto port = ports.open(1, 9600);
    ASSERT_NE(port, nullptr);
    EXPECT_TRUE(port->write(std::string("W180 010\r")));
    port->detectHangUp();
    EXPECT_EQ(port->failure(), "");

    pty.hangUp();
    // Nothing written yet: only a look for the hang-up tells.
    EXPECT_EQ(port->read(), -1);
    EXPECT_EQ(port->failure(), "");
    port->detectHangUp();
    EXPECT_EQ(port->failure(), "Input/output error");
    EXPECT_FALSE(port->write(std::string("W181 010\r")));
    EXPECT_EQ(port->waiting(), 0);
}

TEST_F(PosixSerial, AWriteToAHungUpDeviceFails) {
    link("COM1");
    auto port = ports.open(1, 9600);
    ASSERT_NE(port, nullptr);
    pty.hangUp();
    EXPECT_FALSE(port->write(std::string("FA;")));
    EXPECT_EQ(port->failure(), "Input/output error");
}

TEST_F(PosixSerial, ReopenFollowsTheSameLinkAndNeverFallsBackToTheSystemDevice) {
    link("COM2");
    ASSERT_NE(ports.open(2, 9600), nullptr);
    // The device comes back as another pseudo-terminal behind the same link name.
    PseudoTerminal replacement;
    fs::remove(dir.path() / "COM2");
    EXPECT_EQ(ports.reopen(2, 9600), nullptr);  // not /dev/ttyS1 meanwhile
    fs::create_symlink(replacement.slaveName(), dir.path() / "COM2");
    auto port = ports.reopen(2, 9600);
    ASSERT_NE(port, nullptr);
    port->write(std::string("AZ"));
    EXPECT_EQ(replacement.receive(2), (std::vector<std::uint8_t>{'A', 'Z'}));
}

}  // namespace
}  // namespace station
