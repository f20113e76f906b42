#pragma once
// What the POSIX links (serial devices and TCP sockets) share: one non-blocking file descriptor,
// the bytes a line read took beyond its line, why the link failed, and the line read itself.
#include "console/serial.hpp"

#include <optional>
#include <string>

namespace station {

class DescriptorLink : public SerialPort {
public:
    ~DescriptorLink() override;
    DescriptorLink(const DescriptorLink&) = delete;
    DescriptorLink& operator=(const DescriptorLink&) = delete;

    // A line is handed out without its LF and without a CR before it. The link fails, and gives
    // nothing, when the descriptor fails, is closed by its far end, or no LF comes in time.
    std::optional<std::string> readLine(int timeoutMs) override;
    const std::string& failure() const override { return failure_; }

protected:
    // Takes over an open descriptor.
    explicit DescriptorLink(int fd) : fd_(fd) {}
    // A link that failed before it had a descriptor.
    explicit DescriptorLink(std::string failure) : failure_(std::move(failure)) {}

    int fd_ = -1;
    std::string pending_;  // read by readLine beyond its line
    std::string failure_;
};

}  // namespace station
