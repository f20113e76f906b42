#pragma once
// Links over TCP to the radio and rotator control daemons, and the daemons' line protocol: one
// command per line, each answered by a line; a command that sets something is answered
// "RPRT 0" when done and "RPRT -n" when refused.
#include "console/serial.hpp"

#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>

namespace station {

struct NetworkAddress {
    std::string host;
    std::uint16_t port = 0;
    bool operator==(const NetworkAddress&) const = default;
};

// "host:port", a bare "host" (the default port), "[v6 literal]:port" or "[v6 literal]"; an
// unbracketed text with more than one colon is an IPv6 literal without a port. Empty (or only
// blanks): localhost at the default port. Nothing when the port is not a number from 1 to 65535
// or the host is missing.
std::optional<NetworkAddress> parseNetworkAddress(std::string_view text, std::uint16_t defaultPort);
// "localhost:4532", "[::1]:4533": the name of the link in messages.
std::string addressText(const NetworkAddress& address);

class NetworkLinks {
public:
    // How long a connection may take, and how long a daemon may take to answer a command: the
    // once-a-second update must never wait longer on a daemon.
    static constexpr int connectTimeoutMs = 200;
    static constexpr int replyTimeoutMs = 200;

    virtual ~NetworkLinks() = default;
    // Always a link: one that could not be made is failed from the start with the reason
    // ("Connection refused", "No connection within 200 ms").
    virtual std::unique_ptr<SerialPort> connect(const NetworkAddress& address) = 0;
};

// The error number of a daemon's report line ("RPRT -1" gives -1); nothing for any other line.
std::optional<int> reportCode(std::string_view line);

// The commands a daemon refused, by command word ("F", "P"): a refusal is told once, and again
// only after that command was once taken.
struct DaemonRefusals {
    std::set<std::string, std::less<>> refused;
};

// Sends one command line (without its LF) and reads its answer within the reply timeout. Returns
// what the operator must be told: "Radio daemon refused F 145900000: RPRT -1" (`device` names
// the daemon), or nothing. Without a link, or when the link fails on the way, nothing is told
// here: the link's owner reports the lost link.
std::optional<std::string> sendDaemonCommand(SerialPort* link, DaemonRefusals& refusals, std::string_view device,
                                             const std::string& command);

}  // namespace station
