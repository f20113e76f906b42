#pragma once
// The in-memory platform for tests: the screen grid read back as text, a settable clock that
// sleeps advance, recording serial ports, recorded command lines and port outputs.
#include "console/console.hpp"
#include "console/file_watch.hpp"
#include "console/network.hpp"

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace station {

// Thrown when a test's simulated time runs past its limit: a loop that would never end. Not a
// std::exception, so the programs' report of unexpected failures does not take it for one.
struct SimulatedTimeExhausted {};

class MemoryClock : public Clock {
public:
    // Simulated time in milliseconds since 1970, read as local time without any zone offset.
    std::int64_t millis = 0;
    LocalTime now() override;
    std::int64_t epochMillis() override { return millis; }
    void set(int year, int month, int day, int hour, int minute, int second);
};

// The screen grid, read back as the programs' texts, and its beeps counted.
class MemoryScreen : public Screen {
public:
    void beep() override { ++beeps_; }
    int beeps() const { return beeps_; }
    // The characters of one row (or of columns first..last) as code page 437 bytes.
    std::string rowText(int row, int first = 1, int last = columns) const;

private:
    int beeps_ = 0;
};

class MemoryKeyboard : public Keyboard {
public:
    explicit MemoryKeyboard(MemoryClock& clock) : clock_(clock) {}
    // Keys waiting now.
    void push(const std::string& key) { keys_.push_back({0, key}); }
    // Typed text followed by Enter (one key per character).
    void type(const std::string& text);
    // A key that arrives when the simulated clock reaches the given time.
    void pushAt(std::int64_t millis, const std::string& key) { keys_.push_back({millis, key}); }
    std::string readKey() override;
    bool keyWaiting() override;
    // Time of the next key still to come, or -1.
    std::int64_t nextKeyTime() const;
    std::size_t pending() const { return keys_.size(); }

private:
    struct Timed {
        std::int64_t at;
        std::string key;
    };
    MemoryClock& clock_;
    std::deque<Timed> keys_;
};

// Sleeps and waits advance the simulated clock. A wait ends at its deadline, at the arrival of a
// scripted key, or when the watched file of `directory` changes; while a test watches the time
// (onTime), a wait goes through every millisecond, so that what the test does at any instant
// (write a file, press nothing, feed a port) is seen when it happens.
class MemorySleeper : public Sleeper {
public:
    MemorySleeper(MemoryClock& clock, MemoryKeyboard& keyboard) : clock_(clock), keyboard_(keyboard) {}
    void sleepMs(int milliseconds, bool endOnKey) override;
    void watchFile(std::string_view name) override;
    bool fileWatched() const override { return fileWatch_.watching(); }
    WakeUp waitUntil(std::int64_t deadlineMillis, WakeOn wakeOn = {}) override;
    // Simulated time after which a sleep or wait throws SimulatedTimeExhausted (0: no limit).
    std::int64_t limitMillis = 0;
    // Called after every sleep, and at every millisecond of a wait, with the new time: tests
    // change files or feed ports here.
    std::function<void(std::int64_t millis)> onTime;
    // Every sleep requested, in milliseconds, and every wait's deadline.
    std::vector<int> sleeps;
    std::vector<std::int64_t> waits;
    bool recordSleeps = false;
    // The station directory of the watched file (MemoryConsole sets its own).
    std::filesystem::path directory = ".";
    // False makes watchFile() fail, as on a system without inotify.
    bool watchable = true;

private:
    void advanceTo(std::int64_t millis);

    MemoryClock& clock_;
    MemoryKeyboard& keyboard_;
    // The kernel's watch of the real station directory the tests write in: a change a test
    // makes at some simulated instant is seen at that instant.
    FileWatch fileWatch_;
};

// The device end of a serial port: what reached it and what it will send. The program's links to
// it (one per open) record here.
class MemorySerialPort {
public:
    std::vector<std::uint8_t> sent;
    std::deque<std::uint8_t> incoming;
    // While not empty the device is gone: every link open to it fails with this reason at its
    // next write, read or hang-up check (and stays failed when the device comes back).
    std::string fault;
    // Text of what was sent, for text protocols.
    std::string sentText() const { return std::string(sent.begin(), sent.end()); }
    void feed(const std::string& text) { incoming.insert(incoming.end(), text.begin(), text.end()); }
    // Bytes fed and not read yet.
    int waiting() const { return static_cast<int>(incoming.size()); }
    // A device that answers: each line sent (without its LF) is given to it, and what it returns
    // is fed back. A line it returns no text for goes unanswered.
    std::function<std::string(const std::string& line)> answer;
    std::string lineSoFar;  // sent bytes after the last LF
};

class MemorySerialPorts : public SerialPorts {
public:
    // Opening a port creates (or reuses) its recording port; ports listed in `failing` fail to
    // open, also when opened again after a failure.
    std::unique_ptr<SerialPort> open(int port, std::int32_t baud) override;
    std::unique_ptr<SerialPort> reopen(int port, std::int32_t baud) override;
    std::map<int, std::shared_ptr<MemorySerialPort>> ports;
    std::map<int, std::int32_t> bauds;
    std::vector<int> failing;
    // Every open and reopen, by port number.
    std::vector<int> opened;
    MemorySerialPort& port(int n);
};

// Daemons by address text ("localhost:4532"): a connection to an address not listed is refused.
// A daemon whose `fault` is set refuses connections and fails the links open to it.
class MemoryNetwork : public NetworkLinks {
public:
    std::unique_ptr<SerialPort> connect(const NetworkAddress& address) override;
    std::map<std::string, std::shared_ptr<MemorySerialPort>> daemons;
    MemorySerialPort& daemon(const std::string& address);
    // Every connection attempt, by address text.
    std::vector<std::string> connections;
};

class MemoryCommands : public CommandProcessor {
public:
    using CommandProcessor::run;
    int run(const std::vector<std::string>& argv, std::optional<std::int64_t> limitSeconds,
            const std::function<void()>& eachSecond) override;
    std::vector<std::vector<std::string>> ran;
    // The time limit of each run.
    std::vector<std::optional<std::int64_t>> limits;
    // What each run does and returns; by default nothing and 0.
    std::function<int(const std::vector<std::string>&)> action;
};

class MemoryPorts : public PortOutput {
public:
    bool output(int address, std::uint8_t value) override;
    bool allowed = true;
    std::vector<std::pair<int, std::uint8_t>> writes;
};

// One complete in-memory console over a station directory.
class MemoryConsole {
public:
    explicit MemoryConsole(std::filesystem::path directory = ".");
    MemoryScreen screen;
    MemoryClock clock;
    MemoryKeyboard keyboard{clock};
    MemorySleeper sleeper{clock, keyboard};
    MemorySerialPorts serialPorts;
    MemoryNetwork network;
    MemoryCommands commands;
    MemoryPorts ports;
    Files files;
    Console console{screen, keyboard, clock, sleeper, serialPorts, network, commands, ports, files};
};

}  // namespace station
