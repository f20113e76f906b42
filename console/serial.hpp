#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace station {

// One raw serial link: 8 data bits, no parity, 2 stop bits, no flow control, no translation.
// A link fails for good when a write or a read fails or its far end hangs up (an adapter pulled
// out, a pseudo-terminal whose peer closed): from then on it takes no bytes and gives none, and
// failure() says why. Any byte stream to a device can stand behind this interface.
class SerialPort {
public:
    virtual ~SerialPort() = default;
    // False when not every byte went out: the link has failed.
    virtual bool write(std::span<const std::uint8_t> bytes) = 0;
    bool write(const std::string& text) {
        return write(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    }
    // Bytes that can be read without waiting.
    virtual int waiting() = 0;
    // One waiting byte, or -1 when none is waiting.
    virtual int read() = 0;
    // Looks, without waiting, whether the far end has hung up; a hang-up fails the link.
    virtual void detectHangUp() = 0;
    // The next line of text, up to its LF (taken off, and a CR before it), waiting at most
    // `timeoutMs` for it. For devices that answer every command: one whose answer does not come
    // in time is gone, so the link fails ("No reply within 200 ms") and nothing is returned.
    virtual std::optional<std::string> readLine(int timeoutMs) = 0;
    // Why the link failed, in the system's words ("Input/output error"); empty while it works.
    virtual const std::string& failure() const = 0;
};

class SerialPorts {
public:
    virtual ~SerialPorts() = default;
    // Port n is the file COMn (any case) in the current directory when present, else
    // /dev/ttyS(n-1). Returns nullptr when the port cannot be opened.
    virtual std::unique_ptr<SerialPort> open(int port, std::int32_t baud) = 0;
    // Port n again after its link failed: the same file or device the last open of port n
    // found (a COMn link is followed anew, so a device back under a new name behind the same
    // link is found). Returns nullptr when it cannot be opened (yet).
    virtual std::unique_ptr<SerialPort> reopen(int port, std::int32_t baud) = 0;
};

// Runs a job and waits for its end, with the terminal handed to it meanwhile.
class CommandProcessor {
public:
    // The status of a job that was still running at its time limit and was ended.
    static constexpr int endedAtLimit = -2;

    virtual ~CommandProcessor() = default;
    // argv[0] is the program (a job file is run as "/bin/sh", path, args...). Returns the exit
    // status, or -1 when the program could not be started. With a limit, a job still running
    // that many seconds later (by the program's clock) is ended with its whole process group:
    // SIGTERM, SIGKILL 10 seconds later; it returns endedAtLimit. `eachSecond` (when set) is
    // called while the job runs, about once a second, so that the caller's status stays fresh.
    virtual int run(const std::vector<std::string>& argv, std::optional<std::int64_t> limitSeconds,
                    const std::function<void()>& eachSecond) = 0;
    int run(const std::vector<std::string>& argv, std::optional<std::int64_t> limitSeconds) {
        return run(argv, limitSeconds, {});
    }
    int run(const std::vector<std::string>& argv) { return run(argv, std::nullopt, {}); }
};

// Direct output to I/O ports (rotator interface 0 calibration latches).
class PortOutput {
public:
    virtual ~PortOutput() = default;
    // False when the platform does not allow this program to write I/O ports.
    virtual bool output(int address, std::uint8_t value) = 0;
};

}  // namespace station
