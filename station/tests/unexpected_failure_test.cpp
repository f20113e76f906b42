#include "station/unexpected_failure.hpp"

#include "console/program_exit.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <ios>
#include <new>
#include <stdexcept>
#include <system_error>

namespace station {
namespace {

TEST(UnexpectedFailure, ReportedWithTheRunTimeErrorNumberOfItsKind) {
    EXPECT_EQ(unexpectedErrorNumber(std::bad_alloc()), runtimeError::outOfMemory);
    EXPECT_EQ(unexpectedErrorNumber(std::filesystem::filesystem_error("KEPS.TXT", std::error_code())),
              runtimeError::pathFileAccessError);
    EXPECT_EQ(unexpectedErrorNumber(std::ios_base::failure("COM1")), runtimeError::deviceIoError);
    EXPECT_EQ(unexpectedErrorNumber(std::out_of_range("substr")), runtimeError::illegalFunctionCall);

    int reported = 0;
    reportingUnexpectedFailures([] { throw std::bad_alloc(); }, [&](int errorNumber) { reported = errorNumber; });
    EXPECT_EQ(reported, runtimeError::outOfMemory);
    // The end of the program is no failure.
    EXPECT_THROW(reportingUnexpectedFailures([] { throw ProgramExit{2}; }, [](int) { FAIL(); }), ProgramExit);
}

}  // namespace
}  // namespace station
