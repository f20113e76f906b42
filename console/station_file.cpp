#include "console/station_file.hpp"

namespace station {

Result<LineReader, FileFailure> readStationFile(const Files& files, std::string_view name) {
    auto in = files.open(name);
    if (!in) {
        return failure(FileFailure::notFound);
    }
    const auto text = Files::readAll(*in);
    if (!text) {
        return failure(FileFailure::unreadable);
    }
    return LineReader(splitLines(*text));
}

}  // namespace station
