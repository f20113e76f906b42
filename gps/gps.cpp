#include "gps/gps.hpp"

#include "gps/nmea.hpp"
#include "orbit/geodesy.hpp"
#include "station/date_time.hpp"

#include <cstdint>
#include <optional>
#include <string>

namespace station {

namespace {

constexpr int noByte = -1;
constexpr int sentenceStart = '$';
constexpr int carriageReturn = '\r';
constexpr int firstPrintable = 0x20;
constexpr int lastPrintable = 0x7E;
// Nothing waiting on the link: a real port must not be polled hot.
constexpr int idlePollMs = 1;
constexpr int resultShownMs = 1000;
constexpr int skippedHourEndOfDay = 23;
constexpr int skippedMinuteEndOfDay = 59;

bool timedOut(const GpsReader& gps) { return gps.gpsElapsedSeconds >= gps.gpsTimeoutSeconds; }

// One pass of the reading loop: a byte when one is waiting, the date and time line, and the
// count of clock seconds that bounds the whole read.
int pollGps(TrackerState& s) {
    const int c = s.gpsLink->waiting() > 0 ? s.gpsLink->read() : noByte;
    showDateTime(s.screen(), s.console.clock);
    s.clock = readClock(s.console.clock, s.station.utcOffsetHours);
    const auto second = static_cast<std::int16_t>(s.clock.second);
    if (second != s.gps.gpsLastSecond) {
        s.gps.gpsLastSecond = second;
        ++s.gps.gpsElapsedSeconds;
        s.screen().present();
    }
    if (c == noByte && !timedOut(s.gps)) {
        s.console.sleeper.sleepMs(idlePollMs);
    }
    return c;
}

void recordSentence(TrackerState& s) {
    if (!s.console.files.replace("KELVORIN.GPS", "$" + s.gps.gpsLine + "\r\n")) {
        s.errors.handleError(runtimeError::pathFileAccessError);
    }
}

void takePosition(TrackerState& s, const GpsPosition& position) {
    // Both fields are single precision: the radians are stored before the latitude is made
    // geocentric from the stored value, as the configuration does.
    const auto latitude = static_cast<float>(position.latitudeDegrees * s.constants.radiansPerDegree);
    s.station.longitude = static_cast<float>(position.longitudeDegrees * s.constants.radiansPerDegree);
    s.station.latitude = static_cast<float>(trackerGeocentricLatitude(latitude));
}

}  // namespace

void readGpsSentence(TrackerState& s) {
    std::string& line = s.gps.gpsLine;
    line.clear();
    if (!s.gpsLink) {
        return;
    }
    bool inSentence = false;
    while (!timedOut(s.gps)) {
        const int c = pollGps(s);
        if (c == noByte) {
            continue;
        }
        if (c == sentenceStart) {
            // A "$" inside a sentence means the one before was cut short: start again.
            inSentence = true;
            line.clear();
            continue;
        }
        if (!inSentence) {
            continue;
        }
        if (c == carriageReturn) {
            line.push_back('\r');
            return;
        }
        const bool printable = c >= firstPrintable && c <= lastPrintable;
        const bool roomForEnd = line.size() + 1 < gpsLineLimitCharacters;
        if (!printable || !roomForEnd) {
            inSentence = false;
            line.clear();
            continue;
        }
        line.push_back(static_cast<char>(c));
    }
}

bool gpsReadAllowedAt(const LocalTime& time) {
    const bool endOfDay = time.hour == skippedHourEndOfDay && time.minute == skippedMinuteEndOfDay;
    const bool startOfDay = time.hour == 0 && time.minute == 0;
    return !endOfDay && !startOfDay;
}

void readGpsPosition(TrackerState& s) {
    if (s.station.gpsPort <= 0 || !s.gpsLink || !gpsReadAllowedAt(s.console.clock.now())) {
        return;
    }
    s.clock = readClock(s.console.clock, s.station.utcOffsetHours);
    s.showMessage("Reading GPS...");
    s.screen().present();
    GpsReader& gps = s.gps;
    gps.gpsLastSecond = static_cast<std::int16_t>(s.clock.second);
    gps.gpsElapsedSeconds = 0;

    const bool usePosition = s.station.useGpsPosition == 1;
    const GpsSentenceLayout* layout = gpsSentenceLayout(s.station.gpsSentence);
    std::string previousStamp;
    std::optional<GpsSentence> accepted;
    if (layout != nullptr) {
        do {
            do {
                readGpsSentence(s);
            } while (!isGpsSentenceOfType(gps.gpsLine, *layout) && !timedOut(gps));
            if (timedOut(gps)) {
                break;
            }
            auto sentence = parseGpsSentence(gps.gpsLine, *layout);
            // A sentence that cannot give the position must not replace the station's.
            if (!sentence || (usePosition && !sentence->position)) {
                continue;
            }
            if (previousStamp.empty() || previousStamp == sentence->time) {
                previousStamp = sentence->time;
            } else {
                accepted = std::move(sentence);
            }
        } while (!accepted && !timedOut(gps));
    }

    if (!accepted) {
        s.showMessage("Reading GPS...  FAILED!");
    } else {
        s.showMessage("Reading GPS...  OK!");
        if (usePosition) {
            takePosition(s, *accepted->position);
            recordSentence(s);
        }
    }
    s.screen().present();
    s.console.sleeper.sleepMs(resultShownMs);
    s.showMessage("");
}

}  // namespace station
