#include "scheduler/settings.hpp"

#include "config/station.hpp"
#include "config/value_reader.hpp"

namespace station {

SchedulerSettings parseSchedulerSettings(LineReader& lines, ErrorHandler& errors) {
    ValueReader values(lines, errors);
    // A number its field cannot hold is a failure of the file, not a silent clamp.
    const auto colour = [&] { return storedInt16(values.readNumber(), errors); };
    SchedulerSettings settings;
    for (std::string& entry : settings.scheduledEntries) {
        entry = values.readValue();
    }
    for (std::string& entry : settings.nonScheduledEntries) {
        entry = values.readValue();
    }
    settings.minimumPassElevation = storedSingle(values.readNumber() * (configPi / 180.0), errors);
    settings.backgroundColour = colour();
    settings.foregroundColour = colour();
    settings.highlightColour = colour();
    return settings;
}

SchedulerSettings readSchedulerSettings(const Files& files, ErrorHandler& errors) {
    errors.errorPhase = 3;
    auto in = files.open("MIRADOS.CFG");
    if (!in) {
        errors.handleError(runtimeError::fileNotFound);
        return {};
    }
    errors.errorPhase = 4;
    auto text = Files::readAll(*in);
    if (!text) {
        errors.handleError(runtimeError::deviceIoError);
        return {};
    }
    LineReader lines(splitLines(*text));
    SchedulerSettings settings = parseSchedulerSettings(lines, errors);
    errors.errorPhase = 0;
    return settings;
}

}  // namespace station
