#include "tracker/faults.hpp"

#include "tracker/radio_control.hpp"
#include "tracker/rotator_control.hpp"

#include <cmath>
#include <string>

namespace station {

namespace {

constexpr double secondsPerDay = 86400;

}  // namespace

void serviceLinks(TrackerState& s) {
    // Whole milliseconds: the clock's whole seconds must not come out a hair short of a deadline
    // set a whole number of seconds after another reading.
    const double now = std::round(s.continuousNow() * secondsPerDay * 1000) / 1000;
    const auto step = [&s, now](ReconnectingLink& link) {
        const LinkChange change = link.step(now);
        if (change == LinkChange::lost) {
            s.showMessage(link.lostMessage());
        } else if (change == LinkChange::restored) {
            s.showMessage(link.restoredMessage());
        }
        return change == LinkChange::restored;
    };
    if (step(s.rotatorLink)) {
        forgetSentPosition(s.rotator);
    }
    if (step(s.radioLink) && s.radioSetUp) {
        resumeRadio(radioContext(s));
    }
    step(s.gpsLink);
}

void reportWrite(TrackerState& s, std::string_view fileName, const std::optional<WriteResult>& result) {
    if (!result) {
        return;
    }
    if (!*result) {
        ++s.fileWriteFailures;
    }
    if (const std::string report = s.unwritableFiles.report(fileName, *result); !report.empty()) {
        s.showMessage(report);
    }
}

}  // namespace station
