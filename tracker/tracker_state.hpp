#pragma once
// The tracker's records, grouped by what they describe and owned by the one Tracker object. The
// rotator, the radio and the GPS reader are lent their own records and never see the rest.
#include "config/frequency.hpp"
#include "config/station.hpp"
#include "console/console.hpp"
#include "console/reconnecting_link.hpp"
#include "console/unwritable_files.hpp"
#include "gps/gps_state.hpp"
#include "orbit/constants.hpp"
#include "orbit/elements.hpp"
#include "orbit/orbit_model.hpp"
#include "orbit/pass.hpp"
#include "orbit/propagation.hpp"
#include "radio/radio_state.hpp"
#include "rotator/rotator_state.hpp"

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace station {

// The version, shown in the title of the screen and by --version.
inline constexpr std::string_view trackerVersion = "4.1 dev";
inline const std::string programTitle = "KELVORIN " + std::string(trackerVersion);

// The command file as last read. While the platform watches the file, the line read then is
// taken until a wait reports a change (or, in case a change went unreported, until it is some
// seconds old). Without a watch, a poll whose file shows the same identity, size and times takes
// it; every so many polls it is read anyway, in case a rewrite kept size and times.
struct CommandFileWatch {
    bool valid = false;
    std::filesystem::path path;
    std::array<std::int64_t, 5> stamp{};  // device, inode, size, modification and change time (ns)
    std::string firstLine;
    int pollsSinceRead = 0;
    std::int64_t readAtMillis = 0;  // the clock (epoch milliseconds) at the last read
};

// Who chooses the satellite: the command file (Automatic), the program's arguments (Command
// Line, automatic too), or the operator at the keyboard (Manual).
enum class SelectionMode { commandFile, commandLine, keyboard };

struct TrackerState {
    explicit TrackerState(Console& c) : console(c) {}

    Console& console;

    OrbitConstants constants;
    Station station;
    ClockTime clock;              // the last clock reading (moved by a pass search)
    SatelliteOrbit orbit;         // the chosen satellite's element set under the station's model
    SatelliteState satellite;
    Sgp4Error shownModelError = Sgp4Error::none;  // the model's error now on the message line
    PassPrediction pass;

    Selection selection;          // satelliteDesignation and lookupName
    std::string trackedDesignation;
    SelectionMode selectionMode = SelectionMode::commandFile;
    std::string commandLine;
    CommandFileWatch commandFile;
    float lastSecond = -1;

    RotatorDrive rotator;
    FrequencyRecord frequencies;
    DopplerState doppler;
    RadioState radio;
    TuningState tuning;
    GpsReader gps;

    // Opened at start-up while the port number is positive; a link that fails is reopened.
    ReconnectingLink rotatorLink{"Rotator"};
    ReconnectingLink radioLink{"Radio"};
    ReconnectingLink gpsLink{"GPS"};
    bool radioSetUp = false;  // the radio was set up for the pass being tracked
    // Station files whose last write failed (reported once until one is written again), and
    // how many writes failed since the start.
    UnwritableFiles unwritableFiles;
    std::uint64_t fileWriteFailures = 0;

    bool automatic() const { return selectionMode != SelectionMode::keyboard; }
    Screen& screen() { return console.screen; }
    // The current UTC day number of the last clock reading.
    double now() const { return dayNumberOf(clock); }
    // "now" on the continuous scale, for comparisons with AOS and LOS across the turn of the year.
    double continuousNow() const { return continuousDay(clock.year, dayNumberOf(clock)); }
    // True from two minutes before AOS on (tracking time), across the turn of the year.
    bool trackingStarted() const {
        return continuousNow() > continuousDay(pass.year, pass.aos) - trackingLeadDays;
    }
    static constexpr double trackingLeadDays = 1.0 / 720;  // two minutes
    void showMessage(std::string_view text) { station::showMessage(console.screen, text); }
    void showStatus(std::string_view text) { station::showStatus(console.screen, text); }
    // A pause of two seconds that a key ends early (the key stays waiting).
    void pauseTwoSeconds() {
        console.screen.present();
        console.sleeper.sleepMs(2000, true);
    }
    void setNormalColours() { console.screen.setColours(station.foregroundColour, station.backgroundColour); }
};

}  // namespace station
