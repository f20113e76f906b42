#include "config/scheduler_settings.hpp"

#include "config/value_reader.hpp"
#include "orbit/constants.hpp"

namespace station {

namespace {

void readEntries(ValueReader& values, SchedulerSettings& settings) {
    for (std::string& entry : settings.scheduledEntries) {
        entry = values.readValue();
    }
    for (std::string& entry : settings.nonScheduledEntries) {
        entry = values.readValue();
    }
}

}  // namespace

Result<SchedulerSettings, FileFailure> parseSchedulerSettings(LineReader& lines) {
    ValueReader values(lines);
    SchedulerSettings settings;
    readEntries(values, settings);
    settings.minimumPassElevation = values.single(values.readNumber() * (programPi / 180.0));
    settings.backgroundColour = values.readInt16();
    settings.foregroundColour = values.readInt16();
    settings.highlightColour = values.readInt16();
    // Past the end of a file without them both read as 0: by AOS, and the default length.
    const std::int16_t rule = values.readInt16();
    if (rule >= 0 && rule <= static_cast<std::int16_t>(OverlapRule::higherFirst)) {
        settings.overlapRule = static_cast<OverlapRule>(rule);
    } else {
        values.fail();
    }
    const float shortest = values.single(values.readNumber());
    if (shortest < 0) {
        values.fail();
    } else if (shortest > 0) {
        settings.shortestPartMinutes = shortest;
    }
    if (values.failed()) {
        return failure(FileFailure::badValue);
    }
    return settings;
}

Result<SchedulerSettings, FileFailure> readSchedulerSettings(const Files& files) {
    auto lines = readStationFile(files, "MIRADOS.CFG");
    if (!lines) {
        return failure(lines.error());
    }
    return parseSchedulerSettings(*lines);
}

Result<SchedulerSettings, FileFailure> readSchedulerEntries(const Files& files) {
    auto lines = readStationFile(files, "MIRADOS.CFG");
    if (!lines) {
        return failure(lines.error());
    }
    ValueReader values(*lines);
    SchedulerSettings settings;
    readEntries(values, settings);
    return settings;
}

}  // namespace station
