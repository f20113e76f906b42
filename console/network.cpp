#include "console/network.hpp"

#include <algorithm>
#include <charconv>

namespace station {

namespace {

constexpr std::string_view defaultHost = "localhost";
constexpr std::string_view blanks = " \t\r\n";

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(blanks);
    return text.substr(first, last - first + 1);
}

std::optional<std::uint16_t> portNumber(std::string_view digits) {
    unsigned value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() || value < 1 ||
        value > 65535) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(value);
}

// The part after the host: empty (the default port) or ":port".
// Host names compare without regard to case, and station files may come upper-cased: the host is
// kept in lower case, as messages name it.
std::string hostName(std::string_view host) {
    std::string name(host);
    std::transform(name.begin(), name.end(), name.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    return name;
}

std::optional<NetworkAddress> withPort(std::string_view host, std::string_view rest, std::uint16_t defaultPort) {
    if (host.empty()) {
        return std::nullopt;
    }
    if (rest.empty()) {
        return NetworkAddress{hostName(host), defaultPort};
    }
    if (rest.front() != ':') {
        return std::nullopt;
    }
    const auto port = portNumber(rest.substr(1));
    if (!port) {
        return std::nullopt;
    }
    return NetworkAddress{hostName(host), *port};
}

}  // namespace

std::optional<NetworkAddress> parseNetworkAddress(std::string_view text, std::uint16_t defaultPort) {
    text = trimmed(text);
    if (text.empty()) {
        return NetworkAddress{std::string(defaultHost), defaultPort};
    }
    if (text.front() == '[') {
        const auto close = text.find(']');
        if (close == std::string_view::npos) {
            return std::nullopt;
        }
        return withPort(text.substr(1, close - 1), text.substr(close + 1), defaultPort);
    }
    const auto colon = text.find(':');
    if (colon != std::string_view::npos && text.find(':', colon + 1) != std::string_view::npos) {
        return NetworkAddress{hostName(text), defaultPort};
    }
    if (colon == std::string_view::npos) {
        return withPort(text, {}, defaultPort);
    }
    return withPort(text.substr(0, colon), text.substr(colon), defaultPort);
}

std::string addressText(const NetworkAddress& address) {
    const bool v6 = address.host.find(':') != std::string::npos;
    return (v6 ? "[" + address.host + "]" : address.host) + ":" + std::to_string(address.port);
}

std::optional<int> reportCode(std::string_view line) {
    constexpr std::string_view report = "RPRT ";
    line = trimmed(line);
    if (!line.starts_with(report)) {
        return std::nullopt;
    }
    const std::string_view number = line.substr(report.size());
    int code = 0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), code);
    if (number.empty() || error != std::errc() || end != number.data() + number.size()) {
        return std::nullopt;
    }
    return code;
}

std::optional<std::string> sendDaemonCommand(SerialPort* link, DaemonRefusals& refusals, std::string_view device,
                                             const std::string& command) {
    if (link == nullptr || !link->write(command + "\n")) {
        return std::nullopt;
    }
    const auto reply = link->readLine(NetworkLinks::replyTimeoutMs);
    if (!reply) {
        return std::nullopt;
    }
    const std::string word = command.substr(0, command.find(' '));
    const auto known = refusals.refused.find(word);
    if (reportCode(*reply) == 0) {
        if (known != refusals.refused.end()) {
            refusals.refused.erase(known);
        }
        return std::nullopt;
    }
    if (known != refusals.refused.end()) {
        return std::nullopt;
    }
    refusals.refused.insert(word);
    return std::string(device) + " refused " + command + ": " + *reply;
}

}  // namespace station
