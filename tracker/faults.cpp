#include "tracker/faults.hpp"

#include "tracker/radio_control.hpp"
#include "tracker/rotator_control.hpp"

#include <cmath>
#include <string>

namespace station {

namespace {

constexpr double secondsPerDay = 86400;

}  // namespace

void serviceLinks(TrackerState& tracker) {
    // Whole milliseconds: the clock's whole seconds must not come out a hair short of a deadline
    // set a whole number of seconds after another reading.
    const double now = std::round(tracker.continuousNow() * secondsPerDay * 1000) / 1000;
    const auto step = [&tracker, now](ReconnectingLink& link) {
        const LinkChange change = link.step(now);
        if (change == LinkChange::lost) {
            tracker.showMessage(link.lostMessage());
        } else if (change == LinkChange::restored) {
            tracker.showMessage(link.restoredMessage());
        }
        return change == LinkChange::restored;
    };
    if (step(tracker.rotatorLink)) {
        forgetSentPosition(tracker.rotator);
    }
    if (step(tracker.radioLink) && tracker.radioSetUp) {
        resumeRadio(radioContext(tracker));
    }
    step(tracker.gpsLink);
}

void reportWrite(TrackerState& tracker, std::string_view fileName, const std::optional<WriteResult>& result) {
    if (!result) {
        return;
    }
    if (!*result) {
        ++tracker.fileWriteFailures;
    }
    if (const std::string report = tracker.unwritableFiles.report(fileName, *result); !report.empty()) {
        tracker.showMessage(report);
    }
}

}  // namespace station
