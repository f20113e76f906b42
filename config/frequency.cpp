#include "config/frequency.hpp"

#include "config/value_reader.hpp"
#include "console/station_file.hpp"

namespace station {

namespace {
// Reads past the end of the file yield empty values; this many in a row mean the end.
constexpr int emptyValuesAtEnd = 101;
}  // namespace

void readFrequencyRecord(const Files& files, const std::string& designation, FrequencyRecord& record,
                         ErrorHandler& errors) {
    // A file that cannot be opened or read holds no data for the satellite.
    record.noFrequencyData = 1;
    auto file = readStationFile(files, "KELVORIN.FRC", errors, trackerPhase::frequencyFileOpen,
                                trackerPhase::frequencyLookup);
    if (!file) {
        errors.errorPhase = phase::none;
        return;
    }
    record.noFrequencyData = 0;
    LineReader& lines = *file;
    ValueReader values(lines, errors);

    // Every value line is a candidate name, whatever its place in a record; the name is
    // compared whole, so "AO-7~B" and "AO-7 " are names of their own.
    bool found = false;
    int emptyInRow = 0;
    while (errors.errorPhase == trackerPhase::frequencyLookup) {
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
        errors.errorPhase = trackerPhase::frequencyRecord;
        record.uplinkKhz = values.readNumber();
        record.downlinkKhz = values.readNumber();
        record.uplinkMode = values.readValue();
        record.downlinkMode = values.readValue();
        record.toneCode = values.readValue();
    }
    errors.errorPhase = phase::none;
}

}  // namespace station
