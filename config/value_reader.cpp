#include "config/value_reader.hpp"

#include <cmath>
#include <limits>

namespace station {

std::int16_t storedInt16(double value, ErrorHandler& errors) {
    const double rounded = std::nearbyint(value);
    if (!(rounded >= std::numeric_limits<std::int16_t>::min() &&
          rounded <= std::numeric_limits<std::int16_t>::max())) {
        errors.handleError(runtimeError::overflow);
        return 0;
    }
    return toInt16(rounded);
}

// Single precision overflows to infinity long before a double does (1E41 is finite as a double).
float storedSingle(double value, ErrorHandler& errors) {
    const auto stored = static_cast<float>(value);
    if (!std::isfinite(stored)) {
        errors.handleError(runtimeError::overflow);
        return 0;
    }
    return stored;
}

double storedDouble(double value, ErrorHandler& errors) {
    if (!std::isfinite(value)) {
        errors.handleError(runtimeError::overflow);
        return 0;
    }
    return value;
}

}  // namespace station
