#include "tracker/radio_control.hpp"

#include "tracker/errors.hpp"
#include "tracker/faults.hpp"

namespace station {

namespace {

constexpr int frequencyRow = 20;
constexpr int txColumn = 20;
constexpr int rxColumn = 37;
constexpr int txPpmLabelColumn = 26;
constexpr int rxPpmLabelColumn = 43;

void showFrequencies(Screen& screen, const DopplerUpdate& update) {
    if (update.ppm) {
        screen.printAt(frequencyRow, txColumn, update.txText + "  ");
        screen.printAt(frequencyRow, txPpmLabelColumn, " PPM");
        screen.printAt(frequencyRow, rxColumn, update.rxText + "  ");
        screen.printAt(frequencyRow, rxPpmLabelColumn, " PPM");
        return;
    }
    if (!update.txText.empty()) {
        screen.printAt(frequencyRow, txColumn, update.txText);
    }
    if (!update.rxText.empty()) {
        screen.printAt(frequencyRow, rxColumn, update.rxText);
    }
}

}  // namespace

RadioContext radioContext(TrackerState& tracker) {
    return {tracker.station,
            tracker.frequencies,
            tracker.doppler,
            tracker.radio,
            tracker.radioLink.get(),
            tracker.console.sleeper,
            tracker.console.files,
            [&tracker](FrequencyFailure failure) { reportFrequencyFailure(tracker, failure); },
            [&tracker](std::string_view text) { tracker.showMessage(text); }};
}

void setupRadio(TrackerState& tracker) { setupRadio(radioContext(tracker)); }

void updateDoppler(TrackerState& tracker) {
    const RadioContext radio = radioContext(tracker);
    const DopplerUpdate update = correctDoppler(radio, tracker.satellite.rangeRate);
    showFrequencies(tracker.screen(), update);
    reportWrite(tracker, "radio.dat", sendDoppler(radio, update));
}

void shutdownRadio(TrackerState& tracker) { shutdownRadio(radioContext(tracker)); }

}  // namespace station
