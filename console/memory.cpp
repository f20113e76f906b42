#include "console/memory.hpp"

#include <algorithm>
#include <ctime>

namespace station {

LocalTime MemoryClock::now() {
    const std::time_t seconds = static_cast<std::time_t>(millis / 1000);
    std::tm fields{};
    ::gmtime_r(&seconds, &fields);
    return LocalTime{fields.tm_year + 1900, fields.tm_mon + 1, fields.tm_mday,
                     fields.tm_hour,        fields.tm_min,     fields.tm_sec};
}

void MemoryClock::set(int year, int month, int day, int hour, int minute, int second) {
    std::tm fields{};
    fields.tm_year = year - 1900;
    fields.tm_mon = month - 1;
    fields.tm_mday = day;
    fields.tm_hour = hour;
    fields.tm_min = minute;
    fields.tm_sec = second;
    millis = static_cast<std::int64_t>(::timegm(&fields)) * 1000;
}

void MemoryKeyboard::type(const std::string& text) {
    for (char c : text) {
        push(std::string(1, c));
    }
    push("\r");
}

std::string MemoryKeyboard::readKey() {
    if (!keyWaiting()) {
        return {};
    }
    std::string key = keys_.front().key;
    keys_.pop_front();
    return key;
}

bool MemoryKeyboard::keyWaiting() { return !keys_.empty() && keys_.front().at <= clock_.millis; }

std::int64_t MemoryKeyboard::nextKeyTime() const { return keys_.empty() ? -1 : keys_.front().at; }

void MemorySleeper::sleepMs(int milliseconds, bool endOnKey) {
    if (recordSleeps) {
        sleeps.push_back(milliseconds);
    }
    if (endOnKey && keyboard_.keyWaiting()) {
        return;
    }
    // A negative wait (a deadline already past) does not wait, and never turns the clock back.
    std::int64_t target = clock_.millis + std::max(milliseconds, 0);
    const std::int64_t nextKey = keyboard_.nextKeyTime();
    if (endOnKey && nextKey > clock_.millis && nextKey < target) {
        target = nextKey;
    }
    clock_.millis = target;
    if (limitMillis != 0 && clock_.millis > limitMillis) {
        throw SimulatedTimeExhausted();
    }
    if (onTime) {
        onTime(clock_.millis);
    }
}

namespace {
// The program's link to a memory port: it records at the device while both work, and fails for
// good once the device is gone.
class MemoryLink : public SerialPort {
public:
    explicit MemoryLink(std::shared_ptr<MemorySerialPort> port) : port_(std::move(port)) {}
    explicit MemoryLink(std::string failure) : failure_(std::move(failure)) {}
    bool write(std::span<const std::uint8_t> bytes) override {
        if (!working()) {
            return false;
        }
        port_->sent.insert(port_->sent.end(), bytes.begin(), bytes.end());
        if (port_->answer) {
            for (const std::uint8_t byte : bytes) {
                if (byte != '\n') {
                    port_->lineSoFar += static_cast<char>(byte);
                    continue;
                }
                port_->feed(port_->answer(port_->lineSoFar));
                port_->lineSoFar.clear();
            }
        }
        return true;
    }
    int waiting() override { return working() ? static_cast<int>(port_->incoming.size()) : 0; }
    int read() override {
        if (!working() || port_->incoming.empty()) {
            return -1;
        }
        const int byte = port_->incoming.front();
        port_->incoming.pop_front();
        return byte;
    }
    void detectHangUp() override { working(); }
    // Time does not pass here: a line not fed already never comes.
    std::optional<std::string> readLine(int timeoutMs) override {
        if (!working()) {
            return std::nullopt;
        }
        const auto end = std::find(port_->incoming.begin(), port_->incoming.end(), '\n');
        if (end == port_->incoming.end()) {
            failure_ = "No reply within " + std::to_string(timeoutMs) + " ms";
            return std::nullopt;
        }
        std::string line(port_->incoming.begin(), end);
        port_->incoming.erase(port_->incoming.begin(), end + 1);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        return line;
    }
    const std::string& failure() const override { return failure_; }

private:
    bool working() {
        if (failure_.empty() && port_ && !port_->fault.empty()) {
            failure_ = port_->fault;
        }
        return failure_.empty();
    }

    std::shared_ptr<MemorySerialPort> port_;
    std::string failure_;
};
}  // namespace

std::unique_ptr<SerialPort> MemorySerialPorts::open(int port, std::int32_t baud) {
    opened.push_back(port);
    if (std::find(failing.begin(), failing.end(), port) != failing.end()) {
        return nullptr;
    }
    bauds[port] = baud;
    return std::make_unique<MemoryLink>(ports.try_emplace(port, std::make_shared<MemorySerialPort>()).first->second);
}

std::unique_ptr<SerialPort> MemorySerialPorts::reopen(int port, std::int32_t baud) { return open(port, baud); }

MemorySerialPort& MemorySerialPorts::port(int n) {
    return *ports.try_emplace(n, std::make_shared<MemorySerialPort>()).first->second;
}

std::unique_ptr<SerialPort> MemoryNetwork::connect(const NetworkAddress& address) {
    const std::string name = addressText(address);
    connections.push_back(name);
    const auto known = daemons.find(name);
    if (known == daemons.end() || !known->second->fault.empty()) {
        return std::make_unique<MemoryLink>(std::string("Connection refused"));
    }
    return std::make_unique<MemoryLink>(known->second);
}

MemorySerialPort& MemoryNetwork::daemon(const std::string& address) {
    return *daemons.try_emplace(address, std::make_shared<MemorySerialPort>()).first->second;
}

int MemoryCommands::run(const std::vector<std::string>& argv, std::optional<std::int64_t> limitSeconds) {
    ran.push_back(argv);
    limits.push_back(limitSeconds);
    return action ? action(argv) : 0;
}

bool MemoryPorts::output(int address, std::uint8_t value) {
    if (!allowed) {
        return false;
    }
    writes.emplace_back(address, value);
    return true;
}

MemoryConsole::MemoryConsole(std::filesystem::path directory) : files(std::move(directory)) {}

}  // namespace station
