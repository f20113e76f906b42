#include "text/testsupport/comma_locale.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <stdexcept>

namespace station::testing {

CommaLocale::CommaLocale() : previousC_(std::setlocale(LC_ALL, nullptr)), previousCpp_(std::locale()) {
    try {
        std::locale::global(std::locale(commaLocaleName));  // sets the C locale too
    } catch (const std::runtime_error&) {
        ADD_FAILURE() << "The locale " << commaLocaleName << " is not installed; as root run\n"
                      << "    apt-get install locales && localedef -i de_DE -f UTF-8 de_DE.UTF-8";
        return;
    }
    char text[16];
    std::snprintf(text, sizeof text, "%.1f", 0.5);
    active_ = std::string(text) == "0,5";
    EXPECT_TRUE(active_) << commaLocaleName << " prints 0.5 as " << text << ", not with a decimal comma";
}

CommaLocale::~CommaLocale() {
    std::locale::global(previousCpp_);
    std::setlocale(LC_ALL, previousC_.c_str());
}

}  // namespace station::testing
