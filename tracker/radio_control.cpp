#include "tracker/radio_control.hpp"

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

RadioContext radioContext(TrackerState& s) {
    return {s.station,
            s.frequencies,
            s.doppler,
            s.radio,
            s.radioLink.get(),
            s.console.sleeper,
            s.console.files,
            s.errors,
            [&s](std::string_view text) { s.showMessage(text); }};
}

void setupRadio(TrackerState& s) { setupRadio(radioContext(s)); }

void updateDoppler(TrackerState& s) {
    const RadioContext radio = radioContext(s);
    const DopplerUpdate update = correctDoppler(radio, s.satellite.rangeRate);
    showFrequencies(s.screen(), update);
    reportWrite(s, "radio.dat", sendDoppler(radio, update));
}

void shutdownRadio(TrackerState& s) { shutdownRadio(radioContext(s)); }

}  // namespace station
