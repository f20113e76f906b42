#pragma once
// The end requests of the terminal programs: SIGINT, SIGTERM and SIGHUP (and Ctrl-C, read as a
// key) are noted by a handler and thrown as ProgramExit{0} wherever the program next looks.
#include <csignal>

namespace station {

// Forgets any earlier request and installs the handlers of the end requests.
void installStopHandlers();
// Installs `handler` for `signalNumber` without SA_RESTART: a sleep must see a signal at once.
void installHandler(int signalNumber, void (*handler)(int));
// Notes a request to end as if `signalNumber` had arrived.
void requestStop(int signalNumber);
// The signal that asked the program to end, 0 while none has.
int stopRequest();
// Throws ProgramExit{0} once the program has been asked to end.
void throwIfStopped();

// The end requests are held back while a wait decides to sleep, and let through only during the
// sleep itself (ppoll with waitingMask()), so that one arriving in between is never slept through.
class StopSignalsHeld {
public:
    StopSignalsHeld();
    ~StopSignalsHeld();
    StopSignalsHeld(const StopSignalsHeld&) = delete;
    StopSignalsHeld& operator=(const StopSignalsHeld&) = delete;
    const sigset_t& waitingMask() const { return waiting_; }

private:
    sigset_t previous_;
    sigset_t waiting_;
};

}  // namespace station
