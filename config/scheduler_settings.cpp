#include "config/scheduler_settings.hpp"

#include "config/value_reader.hpp"
#include "console/station_file.hpp"
#include "orbit/constants.hpp"

namespace station {

SchedulerSettings parseSchedulerSettings(LineReader& lines, ErrorHandler& errors) {
    ValueReader values(lines, errors);
    SchedulerSettings settings;
    for (std::string& entry : settings.scheduledEntries) {
        entry = values.readValue();
    }
    for (std::string& entry : settings.nonScheduledEntries) {
        entry = values.readValue();
    }
    settings.minimumPassElevation = storedSingle(values.readNumber() * (programPi / 180.0), errors);
    settings.backgroundColour = values.readInt16();
    settings.foregroundColour = values.readInt16();
    settings.highlightColour = values.readInt16();
    // Past the end of a file without them both read as 0: by AOS, and the default length.
    const std::int16_t rule = values.readInt16();
    if (rule >= 0 && rule <= static_cast<std::int16_t>(OverlapRule::higherFirst)) {
        settings.overlapRule = static_cast<OverlapRule>(rule);
    } else {
        errors.handleError(runtimeError::illegalFunctionCall);
    }
    const float shortest = storedSingle(values.readNumber(), errors);
    if (shortest < 0) {
        errors.handleError(runtimeError::illegalFunctionCall);
    } else if (shortest > 0) {
        settings.shortestPartMinutes = shortest;
    }
    return settings;
}

SchedulerSettings readSchedulerSettings(const Files& files, ErrorHandler& errors) {
    auto lines = readStationFile(files, "MIRADOS.CFG", errors, schedulerPhase::settingsOpen,
                                 schedulerPhase::settingsRead);
    if (!lines) {
        return {};
    }
    SchedulerSettings settings = parseSchedulerSettings(*lines, errors);
    errors.errorPhase = phase::none;
    return settings;
}

}  // namespace station
