#include "station/unexpected_failure.hpp"

#include <filesystem>
#include <ios>
#include <new>

#include "console/program_exit.hpp"

namespace station {

int unexpectedErrorNumber(const std::exception& failure) {
    if (dynamic_cast<const std::bad_alloc*>(&failure) != nullptr) {
        return runtimeError::outOfMemory;
    }
    if (dynamic_cast<const std::filesystem::filesystem_error*>(&failure) != nullptr) {
        return runtimeError::pathFileAccessError;
    }
    if (dynamic_cast<const std::ios_base::failure*>(&failure) != nullptr) {
        return runtimeError::deviceIoError;
    }
    return runtimeError::illegalFunctionCall;
}

}  // namespace station
