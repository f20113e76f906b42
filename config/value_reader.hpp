#pragma once
// The value reader shared by KELVORIN.CFG, KELVORIN.FRC and MIRADOS.CFG: the next line that does
// not begin with ";", in upper case; numbers are taken from the start of a line.
#include "console/files.hpp"
#include "text/numbers.hpp"

#include <cstdint>
#include <optional>
#include <string>

namespace station {

// Values as their fields keep them, or nothing when the field cannot hold the value (an integer
// beyond a 16-bit field, a number that is not finite once stored).
std::optional<std::int16_t> storedInt16(double value);
std::optional<float> storedSingle(double value);
std::optional<double> storedDouble(double value);

class ValueReader {
public:
    explicit ValueReader(LineReader& lines) : lines_(lines) {}
    // The next value line in upper case. Once a value could not be stored the file has failed:
    // the reader returns the empty text without reading.
    std::string readValue() { return upperCase(readLine()); }
    // The next value line as written, for the one value that must keep its case.
    std::string readLine() {
        std::string line;
        do {
            if (failed_) {
                return {};
            }
            line = lines_.read();
        } while (!line.empty() && line.front() == ';');
        return line;
    }
    double readNumber() { return leadingNumber(readValue()); }
    std::int16_t readInt16() { return int16(readNumber()); }

    // A value stored in its field; one the field cannot hold fails the file and reads 0.
    std::int16_t int16(double value) { return orFail(storedInt16(value)); }
    float single(double value) { return orFail(storedSingle(value)); }
    double real(double value) { return orFail(storedDouble(value)); }
    // A value its reader cannot take for another reason.
    void fail() { failed_ = true; }
    bool failed() const { return failed_; }

private:
    template <class T>
    T orFail(std::optional<T> stored) {
        if (!stored) {
            failed_ = true;
            return 0;
        }
        return *stored;
    }

    LineReader& lines_;
    bool failed_ = false;
};

}  // namespace station
