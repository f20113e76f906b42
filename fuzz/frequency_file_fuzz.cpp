// KELVORIN.FRC looked up for a few designations, the first line of the input among them.
#include <cmath>

#include "config/frequency.hpp"
#include "config/value_reader.hpp"
#include "fuzz/fuzz_support.hpp"

using namespace station;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text = fuzz::textOf(data, size);
    const auto& directory = fuzz::scratch();
    directory.write("KELVORIN.FRC", text);
    const Files files(directory.path());
    const auto lines = splitLines(text);
    const std::string firstName = lines.empty() ? std::string() : upperCase(lines.front());
    for (const std::string& designation : {std::string("AO-7"), std::string("PARK"), firstName}) {
        const auto record = readFrequencyRecord(files, designation);
        if (record && (!std::isfinite(record->uplinkKhz) || !std::isfinite(record->downlinkKhz))) {
            fuzz::broken("a frequency is not finite");
        }
    }
    return 0;
}
