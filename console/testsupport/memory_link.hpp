#pragma once
// A reconnecting link to an in-memory port, opened and reopened as the tracker does it.
#include "console/reconnecting_link.hpp"
#include "console/testsupport/memory.hpp"

#include <cstdint>
#include <string>

namespace station::testing {

inline void openLink(ReconnectingLink& link, MemorySerialPorts& ports, int port, std::int32_t baud = 9600) {
    link.attach(ports.open(port, baud), "COM" + std::to_string(port),
                [&ports, port, baud] { return ports.reopen(port, baud); });
}

}  // namespace station::testing
