#include "config/value_reader.hpp"

#include <cmath>
#include <limits>

namespace station {

std::optional<std::int16_t> storedInt16(double value) {
    const double rounded = std::nearbyint(value);
    if (!(rounded >= std::numeric_limits<std::int16_t>::min() &&
          rounded <= std::numeric_limits<std::int16_t>::max())) {
        return std::nullopt;
    }
    return toInt16(rounded);
}

// Single precision overflows to infinity long before a double does (1E41 is finite as a double).
std::optional<float> storedSingle(double value) {
    const auto stored = static_cast<float>(value);
    if (!std::isfinite(stored)) {
        return std::nullopt;
    }
    return stored;
}

std::optional<double> storedDouble(double value) {
    if (!std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

}  // namespace station
