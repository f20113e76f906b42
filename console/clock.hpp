#pragma once
#include <string>

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
};

// The computer's clock, through the C library, so that a preloaded time library (faketime) sets
// the programs' time.
class SystemClock : public Clock {
public:
    LocalTime now() override;
};

class Sleeper {
public:
    virtual ~Sleeper() = default;
    // Waits the given milliseconds; with endOnKey a waiting key ends the wait early (the key
    // stays waiting for the next read).
    virtual void sleepMs(int milliseconds, bool endOnKey = false) = 0;
};

}  // namespace station
