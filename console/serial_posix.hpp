#pragma once
// Serial ports of the real programs, on the POSIX terminal interface.
#include "console/files.hpp"
#include "console/serial.hpp"

#include <map>
#include <string>

namespace station {

class PosixSerialPorts : public SerialPorts {
public:
    // COMn links are looked for in the directory of `files`.
    explicit PosixSerialPorts(const Files& files) : files_(files) {}
    std::unique_ptr<SerialPort> open(int port, std::int32_t baud) override;
    std::unique_ptr<SerialPort> reopen(int port, std::int32_t baud) override;

private:
    const Files& files_;
    std::map<int, std::string> devicePaths_;  // what the last open of each port found
};

// The device file of port n: COMn in the station directory (any case) when present, else
// /dev/ttyS(n-1); empty for a port number below 1.
std::string serialDevicePath(const Files& files, int port);

}  // namespace station
