#pragma once
// A whole station file read at once: opened, then read to its end.
#include "console/files.hpp"
#include "console/result.hpp"

#include <string_view>

namespace station {

// Why a station file gave nothing: it could not be opened, could not be read, or held a value
// its reader cannot take.
enum class FileFailure { notFound, unreadable, badValue };

// The lines of the file.
Result<LineReader, FileFailure> readStationFile(const Files& files, std::string_view name);

}  // namespace station
