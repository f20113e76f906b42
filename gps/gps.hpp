#pragma once
// The station position from NMEA sentences of a GPS receiver. The tracker lends the records the
// reader works on, keeps its screen running meanwhile and takes the position the reader returns.
#include "config/station.hpp"
#include "console/clock.hpp"
#include "console/files.hpp"
#include "console/serial.hpp"
#include "gps/gps_state.hpp"
#include "gps/nmea.hpp"

#include <cstddef>
#include <optional>
#include <string>

namespace station {

// The longest sentence kept, counted after "$" up to and including the carriage return. The
// standard allows 80; receivers that send more decimals go somewhat beyond. Longer runs of bytes
// without a carriage return are line noise and are dropped.
inline constexpr std::size_t gpsLineLimitCharacters = 128;

// What the tracker keeps running on its screen while a read waits for the receiver.
class GpsReadDisplay {
public:
    virtual ~GpsReadDisplay() = default;
    // Every pass of the reading loop: the date and time line.
    virtual void showDateTime() {}
    // Each time the clock's second changes: the screen is shown on the device.
    virtual void present() {}
};

// What the reader works with: the station's GPS settings, its own state, the link to the
// receiver (null when there is none), the clock that bounds a read and the pause between polls.
struct GpsContext {
    const Station& station;
    GpsReader& gps;
    SerialPort* link;
    Clock& clock;
    Sleeper& sleeper;
    GpsReadDisplay& display;
};

// What a read brought.
struct GpsReading {
    bool accepted = false;                // two sentences with different time stamps arrived
    std::optional<GpsPosition> position;  // with `useGpsPosition` 1: the second one's position
    std::string sentence;                 // that sentence after "$", carriage return included
};

// Reads the next sentence of the GPS link into `gpsLine` (after "$", carriage return included),
// keeping the display running and counting clock seconds in `gpsElapsedSeconds`. Ends early with
// whatever arrived once the time-out is reached or the link fails (looked at once a second). A sentence broken by a byte that is not
// printable or grown past the limit is dropped, as is a sentence cut short by a new "$".
void readGpsSentence(const GpsContext& context);

// No read while the computer's clock shows 23:59 or 00:00: the two minutes around the turn of
// its day.
bool gpsReadAllowedAt(const LocalTime& time);
// A GPS port, an open link and a time of day a read is allowed at.
bool gpsReadPossible(const GpsContext& context);

// Waits up to the time-out for two sentences of the configured type with different time stamps;
// with `useGpsPosition` 1 only sentences that hold a valid position count.
GpsReading readGpsPosition(const GpsContext& context);

// KELVORIN.GPS: the sentence as it arrived, replaced whole.
WriteResult recordGpsSentence(const Files& files, const std::string& sentence);

}  // namespace station
