#include "console/headless.hpp"

#include "console/network_posix.hpp"
#include "console/serial_posix.hpp"

#include <algorithm>
#include <ctime>

namespace station {

namespace {

class HeldClock : public Clock {
public:
    // The reading is taken in whole seconds, as the programs show and compute it.
    HeldClock() : millis_(nextSecondMillis(SystemClock().epochMillis()) - 1000) {}
    LocalTime now() override {
        const std::time_t seconds = static_cast<std::time_t>(millis_ / 1000);
        std::tm fields{};
        ::localtime_r(&seconds, &fields);
        return LocalTime{fields.tm_year + 1900, fields.tm_mon + 1, fields.tm_mday,
                         fields.tm_hour,        fields.tm_min,     fields.tm_sec};
    }
    std::int64_t epochMillis() override { return millis_; }
    void advanceTo(std::int64_t millis) { millis_ = std::max(millis_, millis); }

private:
    std::int64_t millis_;
};

class NoKeyboard : public Keyboard {
public:
    std::string readKey() override { return {}; }
    bool keyWaiting() override { return false; }
};

class HeldClockSleeper : public Sleeper {
public:
    explicit HeldClockSleeper(HeldClock& clock) : clock_(clock) {}
    void sleepMs(int milliseconds, bool) override { clock_.advanceTo(clock_.epochMillis() + milliseconds); }
    void watchFile(std::string_view) override {}
    bool fileWatched() const override { return false; }
    WakeUp waitUntil(std::int64_t deadlineMillis, WakeOn) override {
        clock_.advanceTo(deadlineMillis);
        return {};
    }

private:
    HeldClock& clock_;
};

class NoCommands : public CommandProcessor {
public:
    using CommandProcessor::run;
    int run(const std::vector<std::string>&, std::optional<std::int64_t>, const std::function<void()>&) override {
        return -1;
    }
};

class NoPortOutput : public PortOutput {
public:
    bool output(int, std::uint8_t) override { return false; }
};

}  // namespace

struct HeadlessConsole::Parts {
    explicit Parts(std::filesystem::path directory) : files(std::move(directory)) {}
    Screen screen;
    NoKeyboard keyboard;
    HeldClock clock;
    HeldClockSleeper sleeper{clock};
    Files files;
    PosixSerialPorts serialPorts{files};
    PosixNetworkLinks network;
    NoCommands commands;
    NoPortOutput ports;
    Console console{screen, keyboard, clock, sleeper, serialPorts, network, commands, ports, files};
};

HeadlessConsole::HeadlessConsole(std::filesystem::path directory)
    : parts_(std::make_unique<Parts>(std::move(directory))) {}

HeadlessConsole::~HeadlessConsole() = default;

Console& HeadlessConsole::console() { return parts_->console; }

}  // namespace station
