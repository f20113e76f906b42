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
    explicit ScreenDuringGpsRead(TrackerState& s) : s_(s) {}
    void showDateTime() override { station::showDateTime(s_.screen(), s_.console.clock); }
    void present() override { s_.screen().present(); }

private:
    TrackerState& s_;
};

void takePosition(TrackerState& s, const GpsPosition& position) {
    // Both fields are single precision: the radians are stored before the latitude is made
    // geocentric from the stored value, as the configuration does.
    const auto latitude = static_cast<float>(position.latitudeDegrees * s.constants.radiansPerDegree);
    s.station.geodeticLatitude = latitude;
    s.station.longitude = static_cast<float>(position.longitudeDegrees * s.constants.radiansPerDegree);
    s.station.latitude = static_cast<float>(trackerGeocentricLatitude(latitude));
}

}  // namespace

void readGpsPosition(TrackerState& s) {
    ScreenDuringGpsRead display(s);
    const GpsContext gps{s.station, s.gps, s.gpsLink.get(), s.console.clock, s.console.sleeper, display};
    if (!gpsReadPossible(gps)) {
        return;
    }
    s.showMessage("Reading GPS...");
    s.screen().present();
    const GpsReading reading = readGpsPosition(gps);
    std::optional<WriteResult> recorded;
    if (!reading.accepted) {
        s.showMessage("Reading GPS...  FAILED!");
    } else {
        s.showMessage("Reading GPS...  OK!");
        if (reading.position) {
            takePosition(s, *reading.position);
            recorded = recordGpsSentence(s.console.files, reading.sentence);
        }
    }
    s.screen().present();
    s.console.sleeper.sleepMs(resultShownMs);
    s.showMessage("");
    // After the read's result, so that it stays on the message line.
    reportWrite(s, "KELVORIN.GPS", recorded);
}

}  // namespace station
