#pragma once
// Failures that no operation reported: both programs show them as "Unexpected error"
// with a run-time error number, through their own report.
#include <exception>
#include <utility>

namespace station {

// The run-time error number of such a failure: out of memory, a path or file refused, a device
// that failed in the middle of a transfer, or anything else.
int unexpectedErrorNumber(const std::exception& failure);

// Runs the work; a failure it throws goes to report with its error number, and the call returns
// when report does. The end of the program (ProgramExit) is no failure and passes through.
template <class Work, class Report>
void reportingUnexpectedFailures(Work&& work, Report&& report) {
    try {
        std::forward<Work>(work)();
    } catch (const std::exception& failure) {
        std::forward<Report>(report)(unexpectedErrorNumber(failure));
    }
}

}  // namespace station
