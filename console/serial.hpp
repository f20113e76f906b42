#pragma once
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace station {

// One raw serial link: 8 data bits, no parity, 2 stop bits, no flow control, no translation.
class SerialPort {
public:
    virtual ~SerialPort() = default;
    virtual void write(std::span<const std::uint8_t> bytes) = 0;
    void write(const std::string& text) {
        write(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    }
    // Bytes that can be read without waiting.
    virtual int waiting() = 0;
    // One waiting byte, or -1 when none is waiting.
    virtual int read() = 0;
};

class SerialPorts {
public:
    virtual ~SerialPorts() = default;
    // Port n is the file COMn (any case) in the current directory when present, else
    // /dev/ttyS(n-1). Returns nullptr when the port cannot be opened.
    virtual std::unique_ptr<SerialPort> open(int port, std::int32_t baud) = 0;
};

// Runs a job and waits for its end, with the terminal handed to it meanwhile.
class CommandProcessor {
public:
    virtual ~CommandProcessor() = default;
    // argv[0] is the program (a job file is run as "/bin/sh", path, args...). Returns the exit
    // status, or -1 when the program could not be started.
    virtual int run(const std::vector<std::string>& argv) = 0;
};

// Direct output to I/O ports (rotator interface 0 calibration latches).
class PortOutput {
public:
    virtual ~PortOutput() = default;
    // False when the platform does not allow this program to write I/O ports.
    virtual bool output(int address, std::uint8_t value) = 0;
};

}  // namespace station
