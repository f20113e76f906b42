#include "tracker/gps_control.hpp"

#include "orbit/geodesy.hpp"
#include "station/date_time.hpp"
#include "tracker/faults.hpp"

namespace station {

namespace {

constexpr int resultShownMs = 1000;

// While the read waits, the date and time line keeps running and the screen is shown once a second.
class ScreenDuringGpsRead : public GpsReadDisplay {
public:
    explicit ScreenDuringGpsRead(TrackerState& tracker) : tracker_(tracker) {}
    void showDateTime() override { station::showDateTime(tracker_.screen(), tracker_.console.clock); }
    void present() override { tracker_.screen().present(); }

private:
    TrackerState& tracker_;
};

void takePosition(TrackerState& tracker, const GpsPosition& position) {
    // Both fields are single precision: the radians are stored before the latitude is made
    // geocentric from the stored value, as the configuration does.
    const auto latitude = static_cast<float>(position.latitudeDegrees * tracker.constants.radiansPerDegree);
    tracker.station.geodeticLatitude = latitude;
    tracker.station.longitude = static_cast<float>(position.longitudeDegrees * tracker.constants.radiansPerDegree);
    tracker.station.latitude = static_cast<float>(trackerGeocentricLatitude(latitude));
}

}  // namespace

void readGpsPosition(TrackerState& tracker) {
    ScreenDuringGpsRead display(tracker);
    const GpsContext gps{tracker.station, tracker.gps, tracker.gpsLink.get(), tracker.console.clock, tracker.console.sleeper, display};
    if (!gpsReadPossible(gps)) {
        return;
    }
    tracker.showMessage("Reading GPS...");
    tracker.screen().present();
    const GpsReading reading = readGpsPosition(gps);
    std::optional<WriteResult> recorded;
    if (!reading.accepted) {
        tracker.showMessage("Reading GPS...  FAILED!");
    } else {
        tracker.showMessage("Reading GPS...  OK!");
        if (reading.position) {
            takePosition(tracker, *reading.position);
            recorded = recordGpsSentence(tracker.console.files, reading.sentence);
        }
    }
    tracker.screen().present();
    tracker.console.sleeper.sleepMs(resultShownMs);
    tracker.showMessage("");
    // After the read's result, so that it stays on the message line.
    reportWrite(tracker, "KELVORIN.GPS", recorded);
}

}  // namespace station
