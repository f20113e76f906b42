// A small program on the terminal console for the end-to-end tests of the console layer.
//   Row 4, column 3: the date and time line, redrawn on every pass as the tracker's idle loop
//   does (an unchanged line must cost no terminal output).
//   Rows 1..3 and 25: a double-line frame with code page 437 corners and tees; row 5 a
//   single-line box piece and the four arrows; row 10 a run of 60 "-"; row 12 a text in
//   yellow on blue.
//   Row 6: the bytes of the last key, in hex ("Key: 00 48" for Up).
//   "s": opens serial port 1 (or N, given as "--port N" before the job) at 115200 bit/s and
//        sends the bytes 0x00..0xFF once; afterwards the last bytes received on it are shown
//        in hex on row 8 and their count on row 9.
//   "r": runs the command given on the probe's own command line through the command processor
//        (with a time limit of S seconds when "--limit S" comes before the command) and shows
//        "Job status N" on row 24 (-2: ended at its limit).
//   "b": beeps.  "q": quits.  "!": throws an exception nobody catches.  "e": calls exit(3).
#include "console/clock.hpp"
#include "console/program_exit.hpp"
#include "console/terminal.hpp"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace station {
namespace {

constexpr std::int32_t serialBaud = 115200;
constexpr std::size_t shownBytes = 16;

std::string hexBytes(const std::string& bytes) {
    std::string text;
    for (unsigned char byte : bytes) {
        char digits[4];
        std::snprintf(digits, sizeof digits, "%02X ", byte);
        text += digits;
    }
    return text;
}

void drawFrame(Screen& screen) {
    screen.setColours(7, 0);
    screen.clear();
    screen.printAt(1, 1, std::string(1, cp437::doubleTopLeft) + std::string(78, cp437::doubleHorizontal) +
                             cp437::doubleTopRight);
    screen.printAt(2, 1, std::string(1, cp437::doubleVertical) + " CONSOLE PROBE");
    screen.printAt(2, 80, std::string(1, cp437::doubleVertical));
    screen.printAt(3, 1, std::string(1, cp437::doubleTeeLeft) + std::string(78, cp437::doubleHorizontal) +
                             cp437::doubleTeeRight);
    screen.printAt(5, 3, std::string{cp437::singleTopLeft, cp437::singleHorizontal, cp437::singleTopRight, ' ',
                                     cp437::arrowUp, cp437::arrowDown, cp437::arrowRight, cp437::arrowLeft});
    screen.printAt(10, 3, std::string(60, '-'));
    screen.setColours(14, 1);
    screen.printAt(12, 3, "Colour probe");
    screen.setColours(7, 0);
    screen.printAt(25, 1, std::string(1, cp437::doubleBottomLeft) + std::string(78, cp437::doubleHorizontal) +
                              cp437::doubleBottomRight);
}

int runProbe(Console& console, int serialPort, const std::vector<std::string>& job,
             std::optional<std::int64_t> limitSeconds) {
    Screen& screen = console.screen;
    drawFrame(screen);
    std::unique_ptr<SerialPort> port;
    std::string received;
    std::size_t receivedCount = 0;
    for (;;) {
        screen.printAt(4, 3, dateTimeText(console.clock.now()));
        const std::string key = console.keyboard.readKey();
        if (!key.empty()) {
            screen.printAt(6, 3, "Key: " + hexBytes(key) + "      ");
        }
        if (key == "q" || key == "Q") {
            return 0;
        }
        if (key == "b") {
            screen.beep();
        }
        if (key == "!") {
            throw std::runtime_error("probe failure");
        }
        if (key == "e") {
            std::exit(3);
        }
        if (key == "s" && !port) {
            port = console.serialPorts.open(serialPort, serialBaud);
            if (!port) {
                showMessage(screen, "Serial port " + std::to_string(serialPort) + " cannot be opened");
            } else {
                std::vector<std::uint8_t> everyByte;
                for (int byte = 0; byte < 256; ++byte) {
                    everyByte.push_back(static_cast<std::uint8_t>(byte));
                }
                port->write(everyByte);
                showMessage(screen, "Sent 256 bytes");
            }
        }
        if (key == "r" && !job.empty()) {
            const int status = console.commands.run(job, limitSeconds);
            showMessage(screen, "Job status " + std::to_string(status));
        }
        if (port && port->waiting() > 0) {
            for (int byte = port->read(); byte >= 0; byte = port->read()) {
                received += static_cast<char>(byte);
                ++receivedCount;
            }
            if (received.size() > shownBytes) {
                received.erase(0, received.size() - shownBytes);
            }
            screen.printAt(8, 3, "Received: " + hexBytes(received) + std::string(20, ' '));
            screen.printAt(9, 3, "Count: " + std::to_string(receivedCount) + "   ");
        }
        console.sleeper.sleepMs(20);
    }
}

}  // namespace
}  // namespace station

int main(int argc, char** argv) {
    std::vector<std::string> job(argv + 1, argv + argc);
    int serialPort = 1;
    std::optional<std::int64_t> limitSeconds;
    for (;;) {
        if (job.size() >= 2 && job[0] == "--port") {
            serialPort = std::atoi(job[1].c_str());
        } else if (job.size() >= 2 && job[0] == "--limit") {
            limitSeconds = std::atoll(job[1].c_str());
        } else {
            break;
        }
        job.erase(job.begin(), job.begin() + 2);
    }
    try {
        station::TerminalConsole terminal;
        return station::runProbe(terminal.console(), serialPort, job, limitSeconds);
    } catch (const station::ProgramExit& exit) {
        return exit.status;
    }
}
