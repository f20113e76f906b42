#pragma once
// TCP links of the real programs.
#include "console/network.hpp"

namespace station {

class PosixNetworkLinks : public NetworkLinks {
public:
    std::unique_ptr<SerialPort> connect(const NetworkAddress& address) override;
};

}  // namespace station
