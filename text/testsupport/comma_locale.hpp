#pragma once
// A German locale (decimal comma) for the length of a test, the C and C++ global locales both,
// restored afterwards. The test fails when the locale is not installed: a locale-independence
// test that ran under "C" would prove nothing.
#include <clocale>
#include <locale>
#include <string>

namespace station::testing {

inline constexpr const char* commaLocaleName = "de_DE.UTF-8";

class CommaLocale {
public:
    CommaLocale();
    ~CommaLocale();
    CommaLocale(const CommaLocale&) = delete;
    CommaLocale& operator=(const CommaLocale&) = delete;

    // True when the comma locale is in force (the C library prints 0.5 as "0,5").
    bool active() const { return active_; }

private:
    std::string previousC_;
    std::locale previousCpp_;
    bool active_ = false;
};

}  // namespace station::testing
