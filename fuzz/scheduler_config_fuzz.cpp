// MIRADOS.CFG, from lines and from the file.
#include <cmath>

#include "fuzz/fuzz_support.hpp"
#include "config/scheduler_settings.hpp"

using namespace station;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text = fuzz::textOf(data, size);
    LineReader lines(splitLines(text));
    const auto parsed = parseSchedulerSettings(lines);
    if (parsed && !std::isfinite(parsed->minimumPassElevation)) {
        fuzz::broken("the minimum pass elevation is not finite");
    }
    if (parsed && (!(parsed->shortestPartMinutes > 0) || !std::isfinite(parsed->shortestPartMinutes))) {
        fuzz::broken("the shortest part worth a job is not a positive number");
    }

    const auto& directory = fuzz::scratch();
    directory.write("MIRADOS.CFG", text);
    const auto read = readSchedulerSettings(Files(directory.path()));
    if (read && !std::isfinite(read->minimumPassElevation)) {
        fuzz::broken("the minimum pass elevation is not finite");
    }
    if (!read && read.error() != FileFailure::badValue) {
        fuzz::broken("a MIRADOS.CFG that was written failed other than by its values");
    }
    return 0;
}
