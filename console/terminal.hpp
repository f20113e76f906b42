#pragma once
// The terminal platform of the real programs: the screen on an ncursesw terminal, the keyboard,
// the system clock and its waits, serial ports, jobs and port output, put together. Only
// curses_screen.cpp talks to ncurses.
#include "console/console.hpp"

#include <cstdint>
#include <memory>
#include <string>

namespace station {

class TerminalConsole {
public:
    // Takes the terminal over. SIGINT, SIGTERM and SIGHUP (and Ctrl-C, read as a key) make the
    // next keyboard read, key test, sleep or job start throw ProgramExit{0}. Throws
    // ProgramExit{1}, after a message on standard error, when the terminal cannot be used.
    TerminalConsole();
    // Gives the terminal back in a usable state: white on black, cleared, normal mode. Normal
    // exits, uncaught exceptions and crashes give it back too.
    ~TerminalConsole();
    TerminalConsole(const TerminalConsole&) = delete;
    TerminalConsole& operator=(const TerminalConsole&) = delete;

    Console& console();

private:
    struct Parts;
    std::unique_ptr<Parts> parts_;
};

// The ncurses key codes the keyboard understands. curses_screen.cpp checks them against <curses.h>
// at compile time, so that nothing else needs that header.
namespace cursesKey {
inline constexpr int down = 0402;
inline constexpr int up = 0403;
inline constexpr int left = 0404;
inline constexpr int right = 0405;
inline constexpr int home = 0406;
inline constexpr int backspace = 0407;
inline constexpr int f0 = 0410;  // function key n is f0 + n
inline constexpr int deleteCharacter = 0512;
inline constexpr int insertCharacter = 0513;
inline constexpr int nextPage = 0522;
inline constexpr int previousPage = 0523;
inline constexpr int enter = 0527;
inline constexpr int end = 0550;
inline constexpr int resize = 0632;
}  // namespace cursesKey

// What one input code means to the programs.
struct TerminalInput {
    enum class Kind { ignored, key, interrupt, resize };
    Kind kind = Kind::ignored;
    std::string key;  // the key text, for Kind::key
    bool operator==(const TerminalInput&) const = default;
};

// Decodes one code read from the terminal: a function-key code (cursesKey) when functionKey is
// true, else a Unicode character. Keys become the texts the programs compare: ordinary keys one
// code page 437 character, extended keys a zero character and the PC scan-code letter, Enter
// "\r", Backspace "\b"; Ctrl-C is the interrupt.
TerminalInput decodeTerminalKey(bool functionKey, std::uint32_t code);

}  // namespace station
