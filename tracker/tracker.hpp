#pragma once
// The tracker program: start-up, the Idling / Waiting / Tracking cycle, the keys and the ways a
// satellite is chosen.
#include "console/event_log.hpp"
#include "console/program_exit.hpp"
#include "station/status_files.hpp"
#include "tracker/tracker_state.hpp"

#include <functional>
#include <string>
#include <vector>

namespace station {

class Tracker {
public:
    explicit Tracker(Console& console) : state_(console), log_(console.files, "KELVORIN.LOG", console.clock) {}

    // Start-up, then the main cycle until the program ends; returns the exit status. Meanwhile
    // every message shown and every change of state goes to KELVORIN.LOG.
    int run(const std::vector<std::string>& args);

    TrackerState& state() { return state_; }
    EventLog& log() { return log_; }

    // The steps of the program, public so tests can drive them one at a time.
    void startUp(const std::vector<std::string>& args);
    // One turn of the main cycle: idle until a designation, load it, wait, track, end of pass.
    void mainCycle();
    // The per-pass input work of every loop: command line, one key, command file.
    void serviceCommands();
    // Closes the links, leaves the screen white on black and cleared; ends with the status
    // (0 after Quit and after a pass, 1 after a fatal error).
    [[noreturn]] void shutDown(int status = 0);

private:
    void openSerialLinks();
    // Code H and interface 4: the link to a daemon at the address of value 45 or 46 (no port
    // number needed).
    void openDaemonLink(const std::string& addressValue, std::uint16_t defaultPort, ReconnectingLink& link);
    void loadSatellite();
    void waitForPass();
    void trackPass();
    void endOfPass(bool losReached);
    // The wait at the end of a loop pass whose loop goes on: until a key, a change of the command
    // file (when it chooses the satellite) or the first instant of the second after the
    // clock's reading `readAt` (epoch milliseconds, read before the pass read the clock).
    void awaitNextEvent(std::int64_t readAt);
    // The status files, when due: once a second and at a change of state.
    void publishStatus();
    // What a step of the clock does to a state: nothing while idling; it ends waiting and tracking.
    enum class ClockSteps { ignored, endTheState };
    // The loop of every state: service the command file and the keys, read the clock, check for a
    // step of the clock, service the device links, do the state's work for this reading, wait for
    // the next event. `work` returns false when the state ends.
    void repeatEachPass(ClockSteps clockSteps, const std::function<bool()>& work);
    // Propagation and look angles for the clock just read, once per clock second; false when the
    // orbit model has no position for it (the last one is kept, and not shown).
    bool updatePosition();
    // An instant the orbit model has no state for (the satellite has decayed, say): shown on the
    // message line with the satellite's name when it first occurs, the last position kept.
    void showModelError(Sgp4Error error);
    // True while the clock is before the start of tracking (two minutes before AOS).
    bool beforeTrackingStart() const;
    bool beforeLos() const;
    bool designationUnchanged() const;
    // Takes the clock reading in `state_.clock` as the last one; true when it lies more than two
    // minutes before the one taken before it or more than ten minutes after it: the clock was
    // set. A pass search, which moves `state_.clock`, is not a reading.
    bool clockStepped();
    // After a step of the clock ended waiting or tracking: says so; the next turn of the main
    // cycle searches the pass again from the new time.
    void reportClockStep();
    // The log's lines of a newly selected satellite and of the pass just predicted.
    void logSelection();
    void logPass();

    TrackerState state_;
    EventLog log_;
    // The designation the log last named as selected ("" after Idling), and whether it says
    // the current pass is being tracked.
    std::string loggedDesignation_;
    bool idleLogged_ = false;
    bool trackingLogged_ = false;
    // A designation whose element set cannot be propagated: kept idle until the designation
    // changes, so the command file naming it does not reload the element file on every pass.
    std::string rejectedDesignation_;
    // When the last pass search began (continuous days): one that found no pass is run again an
    // hour later.
    double noPassSearchedAt_ = 0;
    // The last clock reading while waiting or tracking, and the step that ended either
    // (continuous days; 0 while the clock runs as it should).
    double lastReading_ = 0;
    double clockStep_ = 0;
    // What the status files say the tracker is doing, and where they go.
    TrackerActivity activity_ = TrackerActivity::idle;
    StatusFiles statusFiles_;
};

}  // namespace station
