#pragma once
// Station files whose writes fail: the first failure of a run of them is told, and so is the
// first write that works again, never every failed retry.
#include "console/files.hpp"

#include <functional>
#include <set>
#include <string>
#include <string_view>

namespace station {

class UnwritableFiles {
public:
    // What the message line should say of this write ("" when nothing): "Could not write ROT.DAT
    // (Read-only file system). Retrying at next change." or "ROT.DAT written again."
    std::string report(std::string_view fileName, const WriteResult& result);

private:
    std::set<std::string, std::less<>> files_;
};

}  // namespace station
