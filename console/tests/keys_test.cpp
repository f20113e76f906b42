#include "console/keyboard.hpp"
#include "console/terminal.hpp"

#include <gtest/gtest.h>

namespace station {
namespace {

TerminalInput key(std::string text) { return {TerminalInput::Kind::key, std::move(text)}; }
TerminalInput character(std::uint32_t code) { return decodeTerminalKey(false, code); }
TerminalInput function(int code) { return decodeTerminalKey(true, static_cast<std::uint32_t>(code)); }

TEST(KeyDecoding, ArrowsBecomeZeroAndTheScanCodeLetter) {
    EXPECT_EQ(function(cursesKey::up), key(keyUp));
    EXPECT_EQ(function(cursesKey::down), key(keyDown));
    EXPECT_EQ(function(cursesKey::right), key(keyRight));
    EXPECT_EQ(function(cursesKey::left), key(keyLeft));
    EXPECT_EQ(keyUp, std::string("\0H", 2));
    EXPECT_EQ(keyLeft, std::string("\0K", 2));
}

TEST(KeyDecoding, OtherExtendedKeysUseThePcScanCodes) {
    EXPECT_EQ(function(cursesKey::home), key(std::string("\0G", 2)));
    EXPECT_EQ(function(cursesKey::end), key(std::string("\0O", 2)));
    EXPECT_EQ(function(cursesKey::previousPage), key(std::string("\0I", 2)));
    EXPECT_EQ(function(cursesKey::nextPage), key(std::string("\0Q", 2)));
    EXPECT_EQ(function(cursesKey::insertCharacter), key(std::string("\0R", 2)));
    EXPECT_EQ(function(cursesKey::deleteCharacter), key(std::string("\0S", 2)));
    EXPECT_EQ(function(cursesKey::f0 + 1), key(std::string("\0;", 2)));
    EXPECT_EQ(function(cursesKey::f0 + 10), key(std::string("\0D", 2)));
    EXPECT_EQ(function(cursesKey::f0 + 11).kind, TerminalInput::Kind::ignored);
}

TEST(KeyDecoding, EnterAndBackspaceInEveryForm) {
    EXPECT_EQ(character('\r'), key("\r"));
    EXPECT_EQ(character('\n'), key("\r"));
    EXPECT_EQ(function(cursesKey::enter), key("\r"));
    EXPECT_EQ(character(0x7F), key("\b"));
    EXPECT_EQ(character('\b'), key("\b"));
    EXPECT_EQ(function(cursesKey::backspace), key("\b"));
}

TEST(KeyDecoding, OrdinaryKeysAreOneCodePageCharacter) {
    EXPECT_EQ(character('a'), key("a"));
    EXPECT_EQ(character('Q'), key("Q"));
    EXPECT_EQ(character(' '), key(" "));
    EXPECT_EQ(character('~'), key("~"));
    EXPECT_EQ(character(0x1B), key("\x1b"));
    EXPECT_EQ(character('\t'), key("\t"));
    EXPECT_EQ(character(U'\u00E9'), key("\x82"));  // e acute
    EXPECT_EQ(character(U'\u00B0'), key("\xF8"));  // degree sign
    EXPECT_EQ(character(U'\u20AC').kind, TerminalInput::Kind::ignored);
}

TEST(KeyDecoding, ControlCInterruptsAndResizeRepaints) {
    EXPECT_EQ(character(3).kind, TerminalInput::Kind::interrupt);
    EXPECT_EQ(function(cursesKey::resize).kind, TerminalInput::Kind::resize);
    EXPECT_EQ(function(0777).kind, TerminalInput::Kind::ignored);
}

}  // namespace
}  // namespace station
