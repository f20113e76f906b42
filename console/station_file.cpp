#include "console/station_file.hpp"

namespace station {

std::optional<LineReader> readStationFile(const Files& files, std::string_view name, ErrorHandler& errors,
                                          std::int16_t openPhase, std::int16_t readPhase) {
    errors.errorPhase = openPhase;
    auto in = files.open(name);
    if (!in) {
        errors.handleError(runtimeError::fileNotFound);
        return std::nullopt;
    }
    errors.errorPhase = readPhase;
    const auto text = Files::readAll(*in);
    if (!text) {
        errors.handleError(runtimeError::deviceIoError);
        return std::nullopt;
    }
    return LineReader(splitLines(*text));
}

}  // namespace station
