// The keys of the terminal: ncurses codes and Unicode characters as the texts the programs compare.
#include "console/terminal.hpp"

#include "console/screen.hpp"

#include <string>

namespace station {

namespace {

// Extended keys as the PC keyboard reports them: a zero character, then the scan code.
struct ExtendedKey {
    int code;
    char scanCode;
};

constexpr ExtendedKey extendedKeys[] = {
    {cursesKey::up, 'H'},
    {cursesKey::down, 'P'},
    {cursesKey::right, 'M'},
    {cursesKey::left, 'K'},
    {cursesKey::home, 'G'},
    {cursesKey::end, 'O'},
    {cursesKey::previousPage, 'I'},
    {cursesKey::nextPage, 'Q'},
    {cursesKey::insertCharacter, 'R'},
    {cursesKey::deleteCharacter, 'S'},
    {cursesKey::f0 + 1, ';'},
    {cursesKey::f0 + 2, '<'},
    {cursesKey::f0 + 3, '='},
    {cursesKey::f0 + 4, '>'},
    {cursesKey::f0 + 5, '?'},
    {cursesKey::f0 + 6, '@'},
    {cursesKey::f0 + 7, 'A'},
    {cursesKey::f0 + 8, 'B'},
    {cursesKey::f0 + 9, 'C'},
    {cursesKey::f0 + 10, 'D'},
};

constexpr std::uint32_t controlC = 3;

TerminalInput keyInput(std::string text) { return {TerminalInput::Kind::key, std::move(text)}; }

}  // namespace

TerminalInput decodeTerminalKey(bool functionKey, std::uint32_t code) {
    if (functionKey) {
        const int value = static_cast<int>(code);
        if (value == cursesKey::resize) {
            return {TerminalInput::Kind::resize, {}};
        }
        if (value == cursesKey::enter) {
            return keyInput("\r");
        }
        if (value == cursesKey::backspace) {
            return keyInput("\b");
        }
        for (const auto& extended : extendedKeys) {
            if (extended.code == value) {
                return keyInput(std::string{'\0', extended.scanCode});
            }
        }
        return {};
    }
    if (code == controlC) {
        return {TerminalInput::Kind::interrupt, {}};
    }
    if (code == '\n' || code == '\r') {
        return keyInput("\r");
    }
    if (code == 0x7F || code == '\b') {
        return keyInput("\b");
    }
    if (code < 0x20) {
        return keyInput(std::string(1, static_cast<char>(code)));
    }
    const int byte = cp437::fromUnicode(static_cast<char32_t>(code));
    if (byte < 0) {
        return {};
    }
    return keyInput(std::string(1, static_cast<char>(byte)));
}

}  // namespace station
