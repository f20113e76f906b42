#include "console/curses_screen.hpp"

#include "console/terminal_signals.hpp"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <unistd.h>

// Last, and without its function-like macros: they would rewrite names such as clear() and
// move() in the headers above.
#define NCURSES_NOMACROS 1
#define NCURSES_WIDECHAR 1
#include <ncursesw/curses.h>

namespace station {

static_assert(cursesKey::down == KEY_DOWN && cursesKey::up == KEY_UP && cursesKey::left == KEY_LEFT &&
              cursesKey::right == KEY_RIGHT && cursesKey::home == KEY_HOME &&
              cursesKey::backspace == KEY_BACKSPACE && cursesKey::f0 == KEY_F0 &&
              cursesKey::deleteCharacter == KEY_DC && cursesKey::insertCharacter == KEY_IC &&
              cursesKey::nextPage == KEY_NPAGE && cursesKey::previousPage == KEY_PPAGE &&
              cursesKey::enter == KEY_ENTER && cursesKey::end == KEY_END &&
              cursesKey::resize == KEY_RESIZE);
static_assert(sizeof(attr_t) == sizeof(unsigned));

namespace {

// ---- What the crash handler must reach -------------------------------------------------------

// True while ncurses owns the terminal.
volatile std::sig_atomic_t cursesActive = 0;
// Sent by the crash handler after the terminal modes are restored: attributes off, cursor on,
// back from the alternate screen. Filled while the terminal is taken over.
char crashRestoreBytes[256] = {};
std::size_t crashRestoreLength = 0;
constexpr int crashSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};
CursesScreen* liveScreen = nullptr;
SCREEN* terminal = nullptr;

extern "C" void onCrashSignal(int signalNumber) {
    if (cursesActive) {
        cursesActive = 0;
        ::reset_shell_mode();
        [[maybe_unused]] const auto written = ::write(STDOUT_FILENO, crashRestoreBytes, crashRestoreLength);
    }
    ::signal(signalNumber, SIG_DFL);
    ::raise(signalNumber);
}

void appendCapability(const char* name) {
    char* value = ::tigetstr(const_cast<char*>(name));
    if (value == nullptr || value == reinterpret_cast<char*>(-1)) {
        return;
    }
    const std::size_t length = std::strlen(value);
    if (crashRestoreLength + length < sizeof crashRestoreBytes) {
        std::memcpy(crashRestoreBytes + crashRestoreLength, value, length);
        crashRestoreLength += length;
    }
}

// ---- Drawing ---------------------------------------------------------------------------------

// PC palette number to ANSI colour index: the PC counts blue before red.
constexpr short ansiOfPc[8] = {COLOR_BLACK, COLOR_BLUE,    COLOR_GREEN,  COLOR_CYAN,
                               COLOR_RED,   COLOR_MAGENTA, COLOR_YELLOW, COLOR_WHITE};

// Line-drawing fallback for terminals without Unicode: the alternate character set letters of
// code page 437 bytes 0xB3..0xDA (single and double lines both become single lines).
constexpr char lineLetters[] = "xuuukkuxkjjjkmvwtqnttmlvwtqnvvwwmmllnnjl";
static_assert(sizeof lineLetters - 1 == 0xDA - 0xB3 + 1);

struct KeySequence {
    const char* sequence;
    int code;
};
constexpr KeySequence cursorKeySequences[] = {
    {"\033[A", KEY_UP},   {"\033[B", KEY_DOWN}, {"\033[C", KEY_RIGHT}, {"\033[D", KEY_LEFT},
    {"\033OA", KEY_UP},   {"\033OB", KEY_DOWN}, {"\033OC", KEY_RIGHT}, {"\033OD", KEY_LEFT},
    {"\033[H", KEY_HOME}, {"\033[F", KEY_END},  {"\033OH", KEY_HOME},  {"\033OF", KEY_END},
};

constexpr int minimumRows = 25;
constexpr int minimumColumns = 80;
constexpr char enlargeMessage[] = "Please enlarge the terminal to 80x25";

chtype narrowGlyph(std::uint8_t character) {
    if (character >= 0x20 && character < 0x7F) {
        return character;
    }
    if (character >= 0xB3 && character <= 0xDA) {
        return NCURSES_ACS(lineLetters[character - 0xB3]);
    }
    switch (character) {
    case 0x18:
        return ACS_UARROW;
    case 0x19:
        return ACS_DARROW;
    case 0x1A:
        return ACS_RARROW;
    case 0x1B:
        return ACS_LARROW;
    case 0x00:
        return ' ';
    default:
        return '?';
    }
}

}  // namespace

void CursesScreen::present() {
    if (!cursesActive) {
        return;
    }
    if (LINES < minimumRows || COLS < minimumColumns) {
        if (!tooSmallShown_) {
            ::werase(stdscr);
            ::mvwaddnstr(stdscr, 0, 0, enlargeMessage, std::max(COLS, 1));
            ::wrefresh(stdscr);
            tooSmallShown_ = true;
            shownValid_ = false;
        }
        return;
    }
    if (tooSmallShown_ || !shownValid_) {
        ::clearok(curscr, TRUE);
        tooSmallShown_ = false;
    }
    bool changed = !shownValid_;
    for (int row = 1; row <= rows; ++row) {
        for (int column = 1; column <= columns; ++column) {
            const Cell& wanted = cell(row, column);
            Cell& shown = shown_[row - 1][column - 1];
            if (shownValid_ && shown == wanted) {
                continue;
            }
            draw(row, column, wanted);
            shown = wanted;
            changed = true;
        }
    }
    shownValid_ = true;
    const int cursorRowShown = cursorRow();
    const int cursorColumnShown = std::min(cursorColumn(), static_cast<int>(columns));
    if (cursorVisible() != cursorVisibleShown_) {
        ::curs_set(cursorVisible() ? 1 : 0);
        cursorVisibleShown_ = cursorVisible();
        changed = true;
    }
    if (cursorRowShown != cursorRowShown_ || cursorColumnShown != cursorColumnShown_) {
        cursorRowShown_ = cursorRowShown;
        cursorColumnShown_ = cursorColumnShown;
        changed = true;
    }
    if (changed) {
        ::wmove(stdscr, cursorRowShown - 1, cursorColumnShown - 1);
        ::wrefresh(stdscr);
    }
}

void CursesScreen::beep() {
    if (cursesActive) {
        ::beep();
    }
}

void CursesScreen::invalidate() {
    shownValid_ = false;
    cursorRowShown_ = 0;
    cursorVisibleShown_ = !cursorVisible();
}

void CursesScreen::blankWhiteOnBlack() {
    ::wbkgdset(stdscr, ' ' | colourAttributes(15, 0));
    ::wattrset(stdscr, colourAttributes(15, 0));
    ::werase(stdscr);
    ::wmove(stdscr, 0, 0);
    ::curs_set(1);
    ::wrefresh(stdscr);
    invalidate();
}

void CursesScreen::draw(int row, int column, const Cell& wanted) {
    const attr_t attributes = colourAttributes(wanted.foreground, wanted.background);
    if (unicode_) {
        const wchar_t text[2] = {static_cast<wchar_t>(cp437::toUnicode(wanted.character)), L'\0'};
        cchar_t glyph{};
        ::setcchar(&glyph, text, attributes & ~A_COLOR, static_cast<short>(PAIR_NUMBER(attributes)), nullptr);
        ::mvwadd_wch(stdscr, row - 1, column - 1, &glyph);
    } else {
        ::mvwaddch(stdscr, row - 1, column - 1, narrowGlyph(wanted.character) | attributes);
    }
}

unsigned CursesScreen::colourAttributes(int foreground, int background) {
    if (!::has_colors()) {
        return (foreground & 8) ? A_BOLD : A_NORMAL;
    }
    const bool sixteen = COLORS >= 16;
    const short fg = static_cast<short>(ansiOfPc[foreground & 7] + (sixteen && (foreground & 8) ? 8 : 0));
    const short bg = static_cast<short>(ansiOfPc[background & 7] + (sixteen && (background & 8) ? 8 : 0));
    const attr_t bold = (!sixteen && (foreground & 8)) ? A_BOLD : A_NORMAL;
    short& pair = pairs_[fg][bg];
    if (pair == 0 && nextPair_ < COLOR_PAIRS && nextPair_ < 32767) {
        if (::init_pair(static_cast<short>(nextPair_), fg, bg) == OK) {
            pair = static_cast<short>(nextPair_++);
        }
    }
    return COLOR_PAIR(pair) | bold;
}

// ---- The session -----------------------------------------------------------------------------

namespace cursesSession {

bool takeOver(CursesScreen& screen) {
    for (int signalNumber : crashSignals) {
        installHandler(signalNumber, onCrashSignal);
    }
    ::set_escdelay(25);
    // The window size as the terminal reports it, also after a resize, whatever LINES and
    // COLUMNS say in the environment.
    ::use_tioctl(TRUE);
    terminal = ::newterm(nullptr, stdout, stdin);
    if (terminal == nullptr) {
        return false;
    }
    cursesActive = 1;
    liveScreen = &screen;
    ::raw();
    ::noecho();
    ::nonl();
    ::intrflush(stdscr, FALSE);
    ::keypad(stdscr, TRUE);
    // Terminals that ignore the keypad-transmit request send the cursor keys in their normal
    // form, which the terminal description may not list.
    for (const auto& [sequence, code] : cursorKeySequences) {
        ::define_key(sequence, code);
    }
    ::nodelay(stdscr, TRUE);
    ::scrollok(stdscr, FALSE);
    ::meta(stdscr, TRUE);
    if (::has_colors()) {
        ::start_color();
    }
    crashRestoreLength = 0;
    for (const char* capability : {"sgr0", "cnorm", "rmcup"}) {
        appendCapability(capability);
    }
    screen.present();
    return true;
}

bool active() { return cursesActive != 0; }

std::optional<TerminalInput> readInput() {
    if (!cursesActive) {
        return std::nullopt;
    }
    wint_t code = 0;
    const int got = ::wget_wch(stdscr, &code);
    if (got == ERR) {
        return std::nullopt;
    }
    return decodeTerminalKey(got == KEY_CODE_YES, static_cast<std::uint32_t>(code));
}

void handOver(CursesScreen& screen) {
    if (!cursesActive) {
        return;
    }
    screen.present();
    screen.blankWhiteOnBlack();
    ::endwin();
    cursesActive = 0;
    std::fflush(stdout);
}

void takeBack(CursesScreen& screen) {
    if (cursesActive || stdscr == nullptr) {
        return;
    }
    ::reset_prog_mode();
    cursesActive = 1;
    ::clearok(curscr, TRUE);
    screen.invalidate();
    screen.present();
}

void giveBack() {
    if (!cursesActive) {
        return;
    }
    if (liveScreen != nullptr) {
        liveScreen->blankWhiteOnBlack();
    }
    ::endwin();
    cursesActive = 0;
    std::fflush(stdout);
}

void close() {
    giveBack();
    liveScreen = nullptr;
    if (terminal != nullptr) {
        ::delscreen(terminal);
        terminal = nullptr;
    }
    for (int signalNumber : crashSignals) {
        ::signal(signalNumber, SIG_DFL);
    }
}

}  // namespace cursesSession

}  // namespace station
