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

std::array<StatusFiles::Written, 2> StatusFiles::write(std::int64_t second, std::string_view state,
                                                       const StatusTexts& texts) {
    writtenSecond_ = second;
    writtenState_ = state;
    // The JSON first: a script that sees the metrics change finds the JSON as new.
    const std::string json = program_ + ".json";
    const std::string metrics = program_ + ".prom";
    return {Written{json, directory_->replace(json, texts.json)},
            Written{metrics, directory_->replace(metrics, texts.metrics)}};
}

}  // namespace station
