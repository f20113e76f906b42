#include "config/frequency.hpp"

#include "config/value_reader.hpp"

namespace station {

namespace {
constexpr std::int16_t openPhase = 8;
constexpr std::int16_t lookupPhase = 9;
constexpr std::int16_t recordPhase = 10;
// Reads past the end of the file yield empty values; this many in a row mean the end.
constexpr int emptyValuesAtEnd = 101;
}  // namespace

void readFrequencyRecord(const Files& files, const std::string& designation, FrequencyRecord& record,
                         ErrorHandler& errors) {
    record.noFrequencyData = 0;
    errors.errorPhase = openPhase;
    auto in = files.open("KELVORIN.FRC");
    if (!in) {
        record.noFrequencyData = 1;
        errors.handleError(runtimeError::fileNotFound);
        errors.errorPhase = 0;
        return;
    }

    errors.errorPhase = lookupPhase;
    auto text = Files::readAll(*in);
    if (!text) {
        // A file that cannot be read holds no data for the satellite.
        record.noFrequencyData = 1;
        errors.handleError(runtimeError::deviceIoError);
        errors.errorPhase = 0;
        return;
    }
    LineReader lines(splitLines(*text));
    ValueReader values(lines, errors);

    // Every value line is a candidate name, whatever its place in a record; the name is
    // compared whole, so "AO-7~B" and "AO-7 " are names of their own.
    bool found = false;
    int emptyInRow = 0;
    while (errors.errorPhase == lookupPhase) {
        const std::string value = values.readValue();
        if (value == designation) {
            found = true;
            break;
        }
        emptyInRow = value.empty() ? emptyInRow + 1 : 0;
        if (emptyInRow >= emptyValuesAtEnd) {
            record.noFrequencyData = 1;
            errors.handleError(runtimeError::inputPastEnd);
            break;
        }
    }

    if (found) {
        // A record cut short by the end of the file reads the rest as empty: 0 kHz, no mode.
        errors.errorPhase = recordPhase;
        record.uplinkKhz = values.readNumber();
        record.downlinkKhz = values.readNumber();
        record.uplinkMode = values.readValue();
        record.downlinkMode = values.readValue();
        record.toneCode = values.readValue();
    }
    errors.errorPhase = 0;
}

}  // namespace station
