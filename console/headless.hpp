#pragma once
// The platform of a program run without a terminal (the scheduler's pass list). The screen is a
// grid nobody sees, no key ever comes, no job starts and no I/O port is written. The clock is one
// reading of the computer's clock, so that all the program computes is for one instant; only the
// program's own waits move it on, and they end at once, since nothing can come to end them
// early. Serial ports and daemon links are the real ones: they need no terminal.
#include "console/console.hpp"

#include <filesystem>
#include <memory>

namespace station {

class HeadlessConsole {
public:
    // Reads the computer's clock; the station files are those of `directory`.
    explicit HeadlessConsole(std::filesystem::path directory = ".");
    ~HeadlessConsole();
    HeadlessConsole(const HeadlessConsole&) = delete;
    HeadlessConsole& operator=(const HeadlessConsole&) = delete;

    Console& console();

private:
    struct Parts;
    std::unique_ptr<Parts> parts_;
};

}  // namespace station
