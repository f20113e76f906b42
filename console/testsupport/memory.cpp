#include "console/testsupport/memory.hpp"

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

std::string MemoryScreen::rowText(int row, int first, int last) const {
    std::string text;
    for (int column = first; column <= last; ++column) {
        text += static_cast<char>(cell(row, column).character);
    }
    return text;
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
    advanceTo(target);
}

void MemorySleeper::advanceTo(std::int64_t millis) {
    clock_.millis = millis;
    if (limitMillis != 0 && clock_.millis > limitMillis) {
        throw SimulatedTimeExhausted();
    }
    if (onTime) {
        onTime(clock_.millis);
    }
}

void MemorySleeper::watchFile(std::string_view name) {
    if (watchable) {
        fileWatch_.watch(directory, name);
    }
}

WakeUp MemorySleeper::waitUntil(std::int64_t deadlineMillis, WakeOn wakeOn) {
    if (recordSleeps) {
        waits.push_back(deadlineMillis);
    }
    WakeUp seen;
    auto look = [&] {
        seen.key = wakeOn.key && keyboard_.keyWaiting();
        seen.fileChanged = fileWatch_.takeChanges() || seen.fileChanged;
        return seen.key || (wakeOn.watchedFile && seen.fileChanged);
    };
    if (look()) {
        return seen;
    }
    const std::int64_t deadline =
        wakeOn.watchedFile && !fileWatched() ? std::min(deadlineMillis, clock_.millis + 1) : deadlineMillis;
    while (clock_.millis < deadline) {
        std::int64_t next = deadline;
        if (onTime) {
            next = clock_.millis + 1;
        } else if (const std::int64_t key = keyboard_.nextKeyTime(); wakeOn.key && key > clock_.millis) {
            next = std::min(next, key);
        }
        advanceTo(next);
        // A clock the test set meanwhile ends the wait, as a clock set on the computer does.
        if (look() || clock_.millis != next) {
            return seen;
        }
    }
    return seen;
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

int MemoryCommands::run(const std::vector<std::string>& argv, std::optional<std::int64_t> limitSeconds,
                        const std::function<void()>&) {
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

MemoryConsole::MemoryConsole(std::filesystem::path directory) : files(std::move(directory)) {
    sleeper.directory = files.directory();
}

}  // namespace station
