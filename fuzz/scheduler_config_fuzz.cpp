// MIRADOS.CFG, from lines and from the file.
#include <cmath>

#include "fuzz/fuzz_support.hpp"
#include "config/scheduler_settings.hpp"

using namespace station;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text = fuzz::textOf(data, size);
    LineReader lines(splitLines(text));
    fuzz::ReturningErrors returning;
    returning.errorPhase = 4;
    const SchedulerSettings parsed = parseSchedulerSettings(lines, returning);
    if (!std::isfinite(parsed.minimumPassElevation)) {
        fuzz::broken("the minimum pass elevation is not finite");
    }
    if (!(parsed.shortestPartMinutes > 0) || !std::isfinite(parsed.shortestPartMinutes)) {
        fuzz::broken("the shortest part worth a job is not a positive number");
    }

    const auto& directory = fuzz::scratch();
    directory.write("MIRADOS.CFG", text);
    fuzz::FatalErrors fatal;
    try {
        const SchedulerSettings read = readSchedulerSettings(Files(directory.path()), fatal);
        if (!std::isfinite(read.minimumPassElevation)) {
            fuzz::broken("the minimum pass elevation is not finite");
        }
    } catch (const ProgramExit&) {
        if (fatal.errorPhase != 4) {
            fuzz::broken("a failure of MIRADOS.CFG outside phase 4");
        }
    }
    return 0;
}
