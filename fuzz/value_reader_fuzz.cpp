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
    ValueReader values(lines);
    while (!lines.atEnd()) {
        const double value = values.readNumber();
        const auto single = storedSingle(value);
        const auto real = storedDouble(value);
        if ((single && !std::isfinite(*single)) || (real && !std::isfinite(*real))) {
            fuzz::broken("a stored field is not finite");
        }
        storedInt16(value);
    }
    return 0;
}
