#pragma once
// Where and when a program writes its status files (value 48 of KELVORIN.CFG): PROGRAM.prom and
// PROGRAM.json in the status directory, each replaced whole, once a second and at once when the
// program's state changes.
#include "console/files.hpp"
#include "status/status.hpp"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace station {

class StatusFiles {
public:
    struct Written {
        std::string fileName;
        WriteResult result;
    };

    StatusFiles() = default;
    // `directory` is value 48; a relative one is taken from the station directory. None (an
    // empty value) writes nothing.
    StatusFiles(const Files& stationFiles, const std::string& directory, std::string program);

    bool enabled() const { return directory_.has_value(); }
    // True when the files are due at clock second `second`: a new second, or a new state.
    bool due(std::int64_t second, std::string_view state) const;
    // Writes both files. They share a directory, and so their faults: one result, named after
    // the metrics file, tells the message line of both.
    Written write(std::int64_t second, std::string_view state, const StatusTexts& texts);

private:
    std::optional<Files> directory_;
    std::string program_;
    std::optional<std::int64_t> writtenSecond_;
    std::string writtenState_;
};

}  // namespace station
