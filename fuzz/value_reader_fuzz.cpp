// The value reader: leading numbers, integer fields, stored fields, value lines.
#include <cmath>

#include "config/value_reader.hpp"
#include "fuzz/fuzz_support.hpp"

using namespace station;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text = fuzz::textOf(data, size);
    const double number = leadingNumber(text);
    if (!std::isfinite(number)) {
        fuzz::broken("leadingNumber gave a number that is not finite");
    }
    toInt16(number);
    toInt32(number);
    if (upperCase(text).size() != text.size()) {
        fuzz::broken("upperCase changed the length");
    }

    LineReader lines(splitLines(text));
    fuzz::ReturningErrors errors;
    errors.errorPhase = 2;
    ValueReader values(lines, errors);
    while (!lines.atEnd()) {
        const double value = values.readNumber();
        errors.errorPhase = 2;
        if (!std::isfinite(storedSingle(value, errors)) || !std::isfinite(storedDouble(value, errors))) {
            fuzz::broken("a stored field is not finite");
        }
        storedInt16(value, errors);
        errors.errorPhase = 2;
    }
    return 0;
}
