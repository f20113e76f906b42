#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace station {

// The computer's local date and time with whole seconds.
struct LocalTime {
    int year = 0;
    int month = 0;  // 1..12
    int day = 0;    // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
    bool operator==(const LocalTime&) const = default;
};

// "dd-MON-yyyy  hh:mm:ss", 21 characters: the date and time line of the screens.
std::string dateTimeText(const LocalTime& time);

class Clock {
public:
    virtual ~Clock() = default;
    virtual LocalTime now() = 0;
    // The same clock in milliseconds since 1970: the scale of the waits' deadlines. Its seconds
    // change when those of now() do.
    virtual std::int64_t epochMillis() = 0;
};

// The first instant of the clock's next second after a reading in epoch milliseconds: where the
// once-a-second updates wait for.
constexpr std::int64_t nextSecondMillis(std::int64_t epochMillis) {
    const std::int64_t second = epochMillis >= 0 ? epochMillis / 1000 : (epochMillis - 999) / 1000;
    return (second + 1) * 1000;
}

// The computer's clock, through the C library, so that a preloaded time library (faketime) sets
// the programs' time.
class SystemClock : public Clock {
public:
    LocalTime now() override;
    std::int64_t epochMillis() override;
};

// What a wait may end on besides its deadline.
struct WakeOn {
    bool key = true;
    bool watchedFile = false;  // a change of the file named to watchFile()
};

// What was seen when a wait ended (nothing when it ended at its deadline or early).
struct WakeUp {
    bool key = false;          // a key is waiting (it stays waiting for the next read)
    bool fileChanged = false;  // the watched file changed since the last wait that said so
};

class Sleeper {
public:
    virtual ~Sleeper() = default;
    // Waits the given milliseconds; with endOnKey a waiting key ends the wait early (the key
    // stays waiting for the next read).
    virtual void sleepMs(int milliseconds, bool endOnKey = false) = 0;

    // From now on waits report changes of this file of the station directory (any case of its
    // name): written, replaced by a rename, created or removed.
    virtual void watchFile(std::string_view name) = 0;
    // False when changes cannot be reported (no watch could be set): the caller looks at the
    // file itself, and a wait that should end on a change lasts at most a millisecond.
    virtual bool fileWatched() const = 0;
    // Shows the screen, then waits until Clock::epochMillis() reaches the deadline or something
    // in `wakeOn` happens. It may end earlier (a signal, a resize, the clock set), so
    // callers wait in a loop that reads the clock. A change of the watched file is reported by
    // the first wait to end after it, whatever that wait ends on.
    virtual WakeUp waitUntil(std::int64_t deadlineMillis, WakeOn wakeOn = {}) = 0;
};

}  // namespace station
