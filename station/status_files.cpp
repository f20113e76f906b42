#include "station/status_files.hpp"

#include <filesystem>

namespace station {

StatusFiles::StatusFiles(const Files& stationFiles, const std::string& directory, std::string program)
    : program_(std::move(program)) {
    if (!directory.empty()) {
        directory_.emplace(stationFiles.directory() / std::filesystem::path(directory));
    }
}

bool StatusFiles::due(std::int64_t second, std::string_view state) const {
    return enabled() && (second != writtenSecond_ || state != writtenState_);
}

StatusFiles::Written StatusFiles::write(std::int64_t second, std::string_view state, const StatusTexts& texts) {
    writtenSecond_ = second;
    writtenState_ = state;
    // The JSON first: a script that sees the metrics change finds the JSON as new.
    WriteResult result = directory_->replace(program_ + ".json", texts.json);
    const WriteResult metrics = directory_->replace(program_ + ".prom", texts.metrics);
    if (result) {
        result = metrics;
    }
    return {program_ + ".prom", result};
}

}  // namespace station
