#include "config/frequency.hpp"

#include "config/value_reader.hpp"
#include "console/station_file.hpp"

namespace station {

namespace {
// Reads past the end of the file yield empty values; this many in a row mean the end.
constexpr int emptyValuesAtEnd = 101;
}  // namespace

Result<FrequencyRecord, FrequencyFailure> readFrequencyRecord(const Files& files, const std::string& designation) {
    auto file = readStationFile(files, "KELVORIN.FRC");
    if (!file) {
        return failure(file.error() == FileFailure::notFound ? FrequencyFailure::fileNotFound
                                                             : FrequencyFailure::noRecord);
    }
    ValueReader values(*file);

    // Every value line is a candidate name, whatever its place in a record; the name is
    // compared whole, so "AO-7~B" and "AO-7 " are names of their own.
    int emptyInRow = 0;
    for (;;) {
        const std::string value = values.readValue();
        if (value == designation) {
            break;
        }
        emptyInRow = value.empty() ? emptyInRow + 1 : 0;
        if (emptyInRow >= emptyValuesAtEnd) {
            return failure(FrequencyFailure::noRecord);
        }
    }

    // A record cut short by the end of the file reads the rest as empty: 0 kHz, no mode.
    FrequencyRecord record;
    record.uplinkKhz = values.readNumber();
    record.downlinkKhz = values.readNumber();
    record.uplinkMode = values.readValue();
    record.downlinkMode = values.readValue();
    record.toneCode = values.readValue();
    return record;
}

}  // namespace station
