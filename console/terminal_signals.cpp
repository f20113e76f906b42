#include "console/terminal_signals.hpp"

#include "console/program_exit.hpp"

#include <signal.h>

namespace station {

namespace {

constexpr int stopSignals[] = {SIGINT, SIGTERM, SIGHUP};

// Written by the handler, so it cannot live in an object the handler has no way to reach.
volatile std::sig_atomic_t stopSignal = 0;

extern "C" void onStopSignal(int signalNumber) { stopSignal = signalNumber; }

}  // namespace

void installHandler(int signalNumber, void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;
    ::sigaction(signalNumber, &action, nullptr);
}

void installStopHandlers() {
    stopSignal = 0;
    for (int signalNumber : stopSignals) {
        installHandler(signalNumber, onStopSignal);
    }
}

void requestStop(int signalNumber) { stopSignal = signalNumber; }

int stopRequest() { return stopSignal; }

void throwIfStopped() {
    if (stopSignal != 0) {
        throw ProgramExit{0};
    }
}

StopSignalsHeld::StopSignalsHeld() {
    sigset_t stops;
    sigemptyset(&stops);
    for (int signalNumber : stopSignals) {
        sigaddset(&stops, signalNumber);
    }
    ::sigprocmask(SIG_BLOCK, &stops, &previous_);
    waiting_ = previous_;
    for (int signalNumber : stopSignals) {
        sigdelset(&waiting_, signalNumber);
    }
}

StopSignalsHeld::~StopSignalsHeld() { ::sigprocmask(SIG_SETMASK, &previous_, nullptr); }

}  // namespace station
