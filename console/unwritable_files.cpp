#include "console/unwritable_files.hpp"

namespace station {

std::string UnwritableFiles::report(std::string_view fileName, const WriteResult& result) {
    const auto known = files_.find(fileName);
    if (!result && known == files_.end()) {
        files_.emplace(fileName);
        return "Could not write " + std::string(fileName) + " (" + result.failure + "). Retrying at next change.";
    }
    if (result && known != files_.end()) {
        files_.erase(known);
        return std::string(fileName) + " written again.";
    }
    return {};
}

}  // namespace station
