#pragma once
// The waits of the real programs: one ppoll() on the keyboard, the file watch and a kernel timer,
// so that the process sleeps until a key, a change of the watched file, its deadline or a change
// of the clock's setting. Nothing is carried from one wait to the next but the watch.
#include "console/clock.hpp"
#include "console/file_watch.hpp"
#include "console/keyboard.hpp"
#include "console/screen.hpp"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string_view>

namespace station {

// A keyboard a wait can sleep on.
class InputKeyboard : public Keyboard {
public:
    // Readable when input has arrived; -1 while the program does not own the keyboard.
    virtual int descriptor() const = 0;
};

// Deadlines are on the system clock (CLOCK_REALTIME, what SystemClock reads). End requests
// (terminal_signals.hpp) end every wait with ProgramExit.
class SystemSleeper : public Sleeper {
public:
    SystemSleeper(Screen& screen, InputKeyboard& keyboard, std::filesystem::path directory);
    ~SystemSleeper() override;
    SystemSleeper(const SystemSleeper&) = delete;
    SystemSleeper& operator=(const SystemSleeper&) = delete;

    // A pause on the monotonic clock: setting the wall clock neither ends nor stretches it, and
    // neither do signals.
    void sleepMs(int milliseconds, bool endOnKey) override;
    void watchFile(std::string_view name) override { fileWatch_.watch(directory_, name); }
    bool fileWatched() const override { return fileWatch_.watching(); }
    // Ends at the deadline and at once when the clock is set (either way), besides on `wakeOn`.
    WakeUp waitUntil(std::int64_t deadlineMillis, WakeOn wakeOn) override;

private:
    // Sleeps until `timer` (armed by the caller) fires or something in `wakeOn` happens. Without
    // a timer, `fallbackMs` bounds each poll. Only a wait for a deadline (not a pause) looks at
    // the file watch, and a clock read at or past the deadline ends it too.
    WakeUp sleepOn(int timer, WakeOn wakeOn, std::optional<std::int64_t> deadlineMillis, std::int64_t fallbackMs);

    Screen& screen_;
    InputKeyboard& keyboard_;
    std::filesystem::path directory_;
    FileWatch fileWatch_;
    bool keyboardOpen_ = true;
    int deadlineTimer_ = -1;  // CLOCK_REALTIME, armed absolute, cancelled by a setting of the clock
    int pauseTimer_ = -1;     // CLOCK_MONOTONIC, armed relative
};

}  // namespace station
