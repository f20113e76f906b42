#include "gps/gps.hpp"

#include <cstdint>

namespace station {

namespace {

constexpr int noByte = -1;
constexpr int sentenceStart = '$';
constexpr int carriageReturn = '\r';
constexpr int firstPrintable = 0x20;
constexpr int lastPrintable = 0x7E;
// Nothing waiting on the link: a real port must not be polled hot.
constexpr int idlePollMs = 1;
constexpr int skippedHourEndOfDay = 23;
constexpr int skippedMinuteEndOfDay = 59;

bool timedOut(const GpsReader& gps) { return gps.gpsElapsedSeconds >= gps.gpsTimeoutSeconds; }

// A missing or failed link brings nothing more: the read ends as if it had timed out.
bool over(const GpsContext& g) { return timedOut(g.gps) || g.link == nullptr || !g.link->failure().empty(); }

// One pass of the reading loop: a byte when one is waiting, the date and time line, and the
// count of clock seconds that bounds the whole read.
int pollGps(const GpsContext& g) {
    const int c = g.link->waiting() > 0 ? g.link->read() : noByte;
    g.display.showDateTime();
    const auto second = static_cast<std::int16_t>(g.clock.now().second);
    if (second != g.gps.gpsLastSecond) {
        g.gps.gpsLastSecond = second;
        ++g.gps.gpsElapsedSeconds;
        g.link->detectHangUp();
        g.display.present();
    }
    if (c == noByte && !over(g)) {
        g.sleeper.sleepMs(idlePollMs);
    }
    return c;
}

}  // namespace

void readGpsSentence(const GpsContext& g) {
    std::string& line = g.gps.gpsLine;
    line.clear();
    if (g.link == nullptr) {
        return;
    }
    bool inSentence = false;
    while (!over(g)) {
        const int c = pollGps(g);
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

bool gpsReadPossible(const GpsContext& g) {
    return g.station.gpsPort > 0 && g.link != nullptr && gpsReadAllowedAt(g.clock.now());
}

GpsReading readGpsPosition(const GpsContext& g) {
    GpsReader& gps = g.gps;
    gps.gpsLastSecond = static_cast<std::int16_t>(g.clock.now().second);
    gps.gpsElapsedSeconds = 0;

    const bool usePosition = g.station.useGpsPosition == 1;
    const GpsSentenceLayout* layout = gpsSentenceLayout(g.station.gpsSentence);
    std::string previousStamp;
    std::optional<GpsSentence> accepted;
    if (layout != nullptr) {
        do {
            do {
                readGpsSentence(g);
            } while (!isGpsSentenceOfType(gps.gpsLine, *layout) && !over(g));
            if (over(g)) {
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
        } while (!accepted && !over(g));
    }

    GpsReading reading;
    if (accepted) {
        reading.accepted = true;
        reading.sentence = gps.gpsLine;
        if (usePosition) {
            reading.position = accepted->position;
        }
    }
    return reading;
}

WriteResult recordGpsSentence(const Files& files, const std::string& sentence) {
    return files.replace("KELVORIN.GPS", "$" + sentence + "\r\n");
}

}  // namespace station
