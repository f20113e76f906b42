#pragma once
// The log of an unattended station: one line per event, "2026-10-01T12:00:05Z <text>", appended
// to a file of the station directory (KELVORIN.LOG, MIRADOS.LOG) so that what happened overnight
// can be read in the morning. A log that cannot be written never stops the program.
#include "console/clock.hpp"
#include "console/files.hpp"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace station {

// Seconds since 1970 (UTC) of a reading of the local clock plus the station's UTC offset.
std::int64_t utcSecondsOf(const LocalTime& local, float utcOffsetHours);
// "2026-10-01T12:00:05Z".
std::string isoUtcText(std::int64_t utcSeconds);
// One line of the log: the time, a blank, the text with its control characters shown as "?"
// (so that an event is always one line), a line end.
std::string logLine(std::int64_t utcSeconds, std::string_view text);

class EventLog {
public:
    // The log `name` in the directory of `files`, found whatever the case of its name.
    EventLog(const Files& files, std::string name, Clock& clock);

    // The times are the program's own UTC, the clock plus value 17 of KELVORIN.CFG: the scale
    // the AOS and LOS in the log are on, so a pass's lines and the times they name agree (and
    // tests set them through the in-memory clock). Until the program has read KELVORIN.CFG the
    // offset is 0.
    void setUtcOffsetHours(float hours) { utcOffsetHours_ = hours; }

    // One event, now.
    void record(std::string_view text);
    // A text shown on the message line. An empty one clears the line and is no event. One shown
    // again within foldSeconds of its line (a retry every two seconds) is counted instead (not
    // within the second of its line: that is the screen redrawn); its count is logged ("Shown
    // 299 more times since ...: <text>") when it comes again after that time, and before the
    // next event that is not a message.
    void message(std::string_view text);

    // Once per run of failures: the report of a log that cannot be written, for the message
    // line; "" otherwise. Every later event tries the file again; the first line written again
    // says how many were lost.
    std::string takeFailureReport();

    // The file is renamed to NAME.1 (replacing the older one) when a line would take it past
    // this many bytes.
    std::uintmax_t limitBytes = 1'000'000;
    static constexpr std::int64_t foldSeconds = 600;

private:
    // A message logged lately, and how often it was shown since without a line.
    struct Shown {
        std::string text;
        std::int64_t loggedAt = 0;
        int repeats = 0;
    };
    static constexpr std::size_t remembered = 16;

    void write(std::int64_t now, std::string_view text);
    // The line of a message shown more often than logged.
    static std::string countedText(const Shown& shown, int times);
    std::int64_t now() const;

    const Files& files_;
    std::string name_;
    Clock& clock_;
    float utcOffsetHours_ = 0;

    std::vector<Shown> shown_;  // since the last event that is not a message, oldest first

    int failure_ = 0;  // errno of the failing log, 0 while it works
    std::int64_t failedSince_ = 0;
    long lostLines_ = 0;
    bool failureReported_ = false;
};

}  // namespace station
