#include "console/terminal.hpp"

#include "console/program_exit.hpp"
#include "console/file_watch.hpp"
#include "console/network_posix.hpp"
#include "console/serial_posix.hpp"

#include <algorithm>
#include <array>
#include <cerrno>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <deque>
#include <exception>
#include <fcntl.h>
#include <langinfo.h>
#include <limits>
#include <optional>
#include <poll.h>
#include <set>
#include <sys/wait.h>
#include <unistd.h>
#if defined(__x86_64__) || defined(__i386__)
#include <sys/io.h>
#endif

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

namespace {

// ---- The terminal session: what the signal, exit and terminate handlers must reach. ----------

// The signal that asked the program to end (SIGINT, SIGTERM, SIGHUP), 0 while none has.
volatile std::sig_atomic_t stopSignal = 0;
// True while ncurses owns the terminal.
volatile std::sig_atomic_t cursesActive = 0;
// Sent by the crash handler after the terminal modes are restored: attributes off, cursor on,
// back from the alternate screen. Filled while the terminal is taken over.
char crashRestoreBytes[256] = {};
std::size_t crashRestoreLength = 0;

constexpr int stopSignals[] = {SIGINT, SIGTERM, SIGHUP};
constexpr int crashSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};
std::terminate_handler previousTerminate = nullptr;

extern "C" void onStopSignal(int signalNumber) { stopSignal = signalNumber; }

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

void throwIfStopped() {
    if (stopSignal != 0) {
        throw ProgramExit{0};
    }
}

void installHandler(int signalNumber, void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;  // no SA_RESTART: a sleep must see the request at once
    ::sigaction(signalNumber, &action, nullptr);
}

// ---- Screen ----------------------------------------------------------------------------------

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

class TerminalScreen : public Screen {
public:
    explicit TerminalScreen(bool unicode) : unicode_(unicode) {}

    void present() override {
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

    void beep() override {
        if (cursesActive) {
            ::beep();
        }
    }

    // The next present() sends every cell again (after a resize or a job).
    void invalidate() {
        shownValid_ = false;
        cursorRowShown_ = 0;
        cursorVisibleShown_ = !cursorVisible();
    }

    // White on black, cleared: what the terminal looks like when it is handed over or given back.
    void blankWhiteOnBlack() {
        ::wbkgdset(stdscr, ' ' | colourAttributes(15, 0));
        ::wattrset(stdscr, colourAttributes(15, 0));
        ::werase(stdscr);
        ::wmove(stdscr, 0, 0);
        ::curs_set(1);
        ::wrefresh(stdscr);
        invalidate();
    }

private:
    void draw(int row, int column, const Cell& wanted) {
        const attr_t attributes = colourAttributes(wanted.foreground, wanted.background);
        if (unicode_) {
            const wchar_t text[2] = {static_cast<wchar_t>(cp437::toUnicode(wanted.character)), L'\0'};
            cchar_t glyph{};
            ::setcchar(&glyph, text, attributes & ~A_COLOR, static_cast<short>(PAIR_NUMBER(attributes)),
                       nullptr);
            ::mvwadd_wch(stdscr, row - 1, column - 1, &glyph);
        } else {
            ::mvwaddch(stdscr, row - 1, column - 1, narrowGlyph(wanted.character) | attributes);
        }
    }

    static chtype narrowGlyph(std::uint8_t character) {
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

    // Colour pair (made on first use) and attributes of a PC foreground on a PC background.
    attr_t colourAttributes(int foreground, int background) {
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

    bool unicode_;
    std::array<std::array<Cell, columns>, rows> shown_{};
    bool shownValid_ = false;
    bool tooSmallShown_ = false;
    bool cursorVisibleShown_ = false;
    int cursorRowShown_ = 0;
    int cursorColumnShown_ = 0;
    short pairs_[16][16] = {};
    int nextPair_ = 1;
};

// ---- Keyboard and sleep ----------------------------------------------------------------------

class TerminalKeyboard : public Keyboard {
public:
    explicit TerminalKeyboard(TerminalScreen& screen) : screen_(screen) {}

    std::string readKey() override {
        pump();
        if (keys_.empty()) {
            return {};
        }
        std::string key = std::move(keys_.front());
        keys_.pop_front();
        return key;
    }

    bool keyWaiting() override {
        pump();
        return !keys_.empty();
    }

    // Takes every waiting input into the key queue, so that a sleep can look for a key and a
    // resize without using up the keys. Throws ProgramExit once the program is asked to end.
    void pump() {
        throwIfStopped();
        if (!cursesActive) {
            return;
        }
        wint_t code = 0;
        for (;;) {
            const int got = ::wget_wch(stdscr, &code);
            if (got == ERR) {
                break;
            }
            const TerminalInput input = decodeTerminalKey(got == KEY_CODE_YES, static_cast<std::uint32_t>(code));
            switch (input.kind) {
            case TerminalInput::Kind::key:
                keys_.push_back(input.key);
                break;
            case TerminalInput::Kind::interrupt:
                stopSignal = SIGINT;
                break;
            case TerminalInput::Kind::resize:
                screen_.invalidate();
                screen_.present();
                break;
            case TerminalInput::Kind::ignored:
                break;
            }
        }
        throwIfStopped();
    }

private:
    TerminalScreen& screen_;
    std::deque<std::string> keys_;
};

class TerminalSleeper : public Sleeper {
public:
    TerminalSleeper(TerminalScreen& screen, TerminalKeyboard& keyboard, Clock& clock, std::filesystem::path directory)
        : screen_(screen), keyboard_(keyboard), clock_(clock), directory_(std::move(directory)) {}

    void sleepMs(int milliseconds, bool endOnKey) override {
        screen_.present();
        int remaining = milliseconds;
        for (;;) {
            // Keys are looked at only when one may end the wait; a plain pause leaves them to the
            // next readKey, which saves a system call on every pass of the programs' 1 ms loops.
            if (endOnKey) {
                if (keyboard_.keyWaiting()) {
                    return;
                }
            } else {
                throwIfStopped();
            }
            if (remaining <= 0) {
                return;
            }
            const int slice = std::min(remaining, sliceMs);
            const timespec pause{0, static_cast<long>(slice) * 1000000L};
            // An interrupted slice counts as slept: a stream of signals must not stretch the wait.
            ::nanosleep(&pause, nullptr);
            remaining -= slice;
        }
    }

    void watchFile(std::string_view name) override { fileWatch_.watch(directory_, name); }

    bool fileWatched() const override { return fileWatch_.watching(); }

    // One poll() on the keyboard and the file watch, its timeout taken from the clock, so that
    // the process sleeps until something happens. A preloaded time library (faketime) fakes the
    // clock and scales poll()'s timeout by its speed; the clock is read again after every wake-up
    // in any case, and an early end only costs another round.
    WakeUp waitUntil(std::int64_t deadlineMillis, WakeOn wakeOn) override {
        screen_.present();
        const StopSignalsHeld held;
        WakeUp seen;
        std::int64_t lastRemaining = std::numeric_limits<std::int64_t>::max();
        bool keysQuiet = false;
        for (;;) {
            throwIfStopped();
            if (wakeOn.key && !keysQuiet) {
                seen.key = keyboard_.keyWaiting();
            }
            seen.fileChanged = fileWatch_.takeChanges() || seen.fileChanged;
            if (seen.key || (seen.fileChanged && wakeOn.watchedFile)) {
                return seen;
            }
            const std::int64_t remaining = deadlineMillis - clock_.epochMillis();
            // Past the deadline, or the clock set back meanwhile: the caller reads it again.
            if (remaining <= 0 || remaining > lastRemaining) {
                return seen;
            }
            lastRemaining = remaining;
            // Without a watch the caller looks at the file itself, as often as it always did.
            const bool lookingForFile = wakeOn.watchedFile && !fileWatch_.watching();
            std::int64_t timeout = lookingForFile ? 1 : std::min(remaining, maxPollMs);

            std::array<pollfd, 2> descriptors{};
            nfds_t count = 0;
            const bool listenToKeys = wakeOn.key && keyboardOpen_ && cursesActive && !keysQuiet;
            if (listenToKeys) {
                descriptors[count++] = {STDIN_FILENO, POLLIN, 0};
            } else if (keysQuiet) {
                // Input that made no key (a resize, an escape sequence being put together) is
                // left alone for the terminal's escape delay, never polled in a tight loop.
                timeout = std::min<std::int64_t>(timeout, keysQuietMs);
            }
            keysQuiet = false;
            if (fileWatch_.watching()) {
                descriptors[count++] = {fileWatch_.descriptor(), POLLIN, 0};
            }
            // The poll sleeps in real time; a clock that runs faster than that (a test's clock at
            // a speed-up the time library does not apply to the poll) is followed by the rate of
            // the last timed-out poll, so the wait does not sleep through its deadline.
            const std::int64_t pollMs = std::max<std::int64_t>(1, static_cast<std::int64_t>(timeout / clockRate_));
            const timespec limit{static_cast<time_t>(pollMs / 1000), static_cast<long>(pollMs % 1000) * 1000000L};
            const std::int64_t polledAt = clock_.epochMillis();
            const int ready = ::ppoll(descriptors.data(), count, &limit, &held.waitingMask());
            if (ready == 0 && pollMs >= minimumRatedPollMs) {
                const double rate = static_cast<double>(clock_.epochMillis() - polledAt) / static_cast<double>(pollMs);
                clockRate_ = std::clamp(rate, 1.0, maximumClockRate);
            }
            if (ready < 0) {
                // A signal: an end request is thrown at the top; anything else (a resize) is the
                // caller's to look at.
                throwIfStopped();
                return seen;
            }
            if (lookingForFile && ready == 0) {
                return seen;
            }
            if (listenToKeys && descriptors[0].revents != 0) {
                if ((descriptors[0].revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
                    keyboardOpen_ = false;  // no key can come any more; the end request will
                } else if (!keyboard_.keyWaiting()) {
                    keysQuiet = true;
                } else {
                    seen.key = true;
                    return seen;
                }
            }
        }
    }

private:
    // Keys and end requests are looked at this often during a long sleep.
    static constexpr int sliceMs = 10;
    // A wait polls at most this long at a time, so that a clock set forward is seen soon.
    static constexpr std::int64_t maxPollMs = 1000;
    // The terminal's escape delay (set_escdelay below).
    static constexpr std::int64_t keysQuietMs = 25;
    // Shorter polls say too little of the clock's rate; faster clocks than this are not followed.
    static constexpr std::int64_t minimumRatedPollMs = 10;
    static constexpr double maximumClockRate = 1000;

    // The end requests are held back while a wait decides to sleep, and let through only
    // during the sleep itself, so that one arriving in between is never slept through.
    class StopSignalsHeld {
    public:
        StopSignalsHeld() {
            sigset_t stops;
            sigemptyset(&stops);
            for (int signalNumber : stopSignals) {
                sigaddset(&stops, signalNumber);
            }
            ::sigprocmask(SIG_BLOCK, &stops, &previous_);
            waiting_ = previous_;
            for (int signalNumber : stopSignals) {
                sigdelset(&waiting_, signalNumber);
            }
        }
        ~StopSignalsHeld() { ::sigprocmask(SIG_SETMASK, &previous_, nullptr); }
        StopSignalsHeld(const StopSignalsHeld&) = delete;
        StopSignalsHeld& operator=(const StopSignalsHeld&) = delete;
        const sigset_t& waitingMask() const { return waiting_; }

    private:
        sigset_t previous_;
        sigset_t waiting_;
    };

    TerminalScreen& screen_;
    TerminalKeyboard& keyboard_;
    Clock& clock_;
    std::filesystem::path directory_;
    FileWatch fileWatch_;
    bool keyboardOpen_ = true;
    // Clock milliseconds per real millisecond, as the last timed-out poll measured them.
    double clockRate_ = 1.0;
};

// ---- Jobs ------------------------------------------------------------------------------------

class TerminalCommands : public CommandProcessor {
public:
    explicit TerminalCommands(TerminalScreen& screen) : screen_(screen) {}

    using CommandProcessor::run;

    int run(const std::vector<std::string>& argv, std::optional<std::int64_t> limitSeconds) override {
        throwIfStopped();
        if (argv.empty()) {
            return -1;
        }
        handOver();
        const int status = startAndWait(argv, limitSeconds);
        takeBack();
        return status;
    }

private:
    // A job at its limit is asked to end, and made to this much later.
    static constexpr std::time_t killGraceSeconds = 10;
    static constexpr long limitPollNs = 100'000'000;

    void handOver() {
        if (!cursesActive) {
            return;
        }
        screen_.present();
        screen_.blankWhiteOnBlack();
        ::endwin();
        cursesActive = 0;
        std::fflush(stdout);
    }

    void takeBack() {
        if (cursesActive || stdscr == nullptr) {
            return;
        }
        ::reset_prog_mode();
        cursesActive = 1;
        ::clearok(curscr, TRUE);
        screen_.invalidate();
        screen_.present();
    }

    // The job runs in a process group of its own, made the terminal's foreground while it runs,
    // so that it reads the keyboard and can be ended whole with everything it started. Like a
    // shell, the waiting program ignores the keyboard's interrupt and quit (they are the job's);
    // an end request by SIGTERM or SIGHUP is passed on to the job's group.
    static int startAndWait(const std::vector<std::string>& argv, std::optional<std::int64_t> limitSeconds) {
        std::vector<char*> arguments;
        for (const auto& argument : argv) {
            arguments.push_back(const_cast<char*>(argument.c_str()));
        }
        arguments.push_back(nullptr);

        int failurePipe[2];
        if (::pipe2(failurePipe, O_CLOEXEC) != 0) {
            return -1;
        }
        struct sigaction ignore {}, previousInterrupt {}, previousQuit {}, previousBackgroundOutput {};
        ignore.sa_handler = SIG_IGN;
        sigemptyset(&ignore.sa_mask);
        ::sigaction(SIGINT, &ignore, &previousInterrupt);
        ::sigaction(SIGQUIT, &ignore, &previousQuit);
        // Handing the terminal to the job's group and taking it back from the background.
        ::sigaction(SIGTTOU, &ignore, &previousBackgroundOutput);
        const bool foreground = ::isatty(STDIN_FILENO) && ::tcgetpgrp(STDIN_FILENO) == ::getpgrp();
        // By the C library's clock, which a preloaded time library sets as it sets the program's.
        std::optional<std::time_t> deadline;
        if (limitSeconds) {
            deadline = std::time(nullptr) + static_cast<std::time_t>(*limitSeconds);
        }

        const pid_t child = ::fork();
        if (child == 0) {
            // Both sides set the group and the foreground: whichever runs first, the job never
            // reads the terminal from the background.
            ::setpgid(0, 0);
            if (foreground) {
                ::tcsetpgrp(STDIN_FILENO, ::getpgrp());
            }
            for (int signalNumber : {SIGINT, SIGQUIT, SIGTERM, SIGHUP, SIGWINCH, SIGTTOU}) {
                ::signal(signalNumber, SIG_DFL);
            }
            ::close(failurePipe[0]);
            ::execvp(arguments[0], arguments.data());
            const int error = errno;
            [[maybe_unused]] const auto written = ::write(failurePipe[1], &error, sizeof error);
            ::_exit(127);
        }
        ::close(failurePipe[1]);
        int status = -1;
        if (child > 0) {
            ::setpgid(child, child);
            if (foreground) {
                ::tcsetpgrp(STDIN_FILENO, child);
            }
            int error = 0;
            ssize_t got = 0;
            do {
                got = ::read(failurePipe[0], &error, sizeof error);
            } while (got < 0 && errno == EINTR);
            status = waitFor(child, deadline);
            if (got > 0) {
                status = -1;
            }
            if (foreground) {
                ::tcsetpgrp(STDIN_FILENO, ::getpgrp());
            }
        }
        ::close(failurePipe[0]);
        ::sigaction(SIGINT, &previousInterrupt, nullptr);
        ::sigaction(SIGQUIT, &previousQuit, nullptr);
        ::sigaction(SIGTTOU, &previousBackgroundOutput, nullptr);
        return status;
    }

    // Waits for the job to end. Past the deadline its group is sent SIGTERM, and SIGKILL once
    // the job has ended or the grace time is over, so that nothing it started stays behind.
    static int waitFor(pid_t child, std::optional<std::time_t> deadline) {
        bool passedOn = false;
        std::optional<std::time_t> killAt;
        int status = 0;
        for (;;) {
            const pid_t ended = ::waitpid(child, &status, deadline ? WNOHANG : 0);
            if (ended == child) {
                break;
            }
            if (ended < 0 && errno != EINTR) {
                return -1;
            }
            if (stopSignal != 0 && !passedOn) {
                ::kill(-child, stopSignal);
                passedOn = true;
            }
            if (deadline && ended == 0) {
                const std::time_t now = std::time(nullptr);
                if (!killAt && now >= *deadline) {
                    ::kill(-child, SIGTERM);
                    killAt = now + killGraceSeconds;
                } else if (killAt && now >= *killAt) {
                    ::kill(-child, SIGKILL);
                }
                const timespec pause{0, limitPollNs};
                ::nanosleep(&pause, nullptr);
            }
        }
        if (killAt) {
            ::kill(-child, SIGKILL);
            return endedAtLimit;
        }
        if (WIFEXITED(status)) {
            return WEXITSTATUS(status);
        }
        if (WIFSIGNALED(status)) {
            return 128 + WTERMSIG(status);
        }
        return -1;
    }

    TerminalScreen& screen_;
};

// ---- I/O ports -------------------------------------------------------------------------------

class IoPortOutput : public PortOutput {
public:
    bool output(int address, std::uint8_t value) override {
#if defined(__x86_64__) || defined(__i386__)
        // ioperm reaches the first 0x400 ports only, where the parallel ports are.
        constexpr int lastPermittablePort = 0x3FF;
        if (address < 0 || address > lastPermittablePort) {
            return false;
        }
        if (!permitted_.contains(address)) {
            if (::ioperm(static_cast<unsigned long>(address), 1, 1) != 0) {
                return false;
            }
            permitted_.insert(address);
        }
        ::outb(value, static_cast<unsigned short>(address));
        return true;
#else
        (void)address;
        (void)value;
        return false;
#endif
    }

private:
    std::set<int> permitted_;
};

// ---- Giving the terminal back ----------------------------------------------------------------

TerminalScreen* liveScreen = nullptr;

void giveTerminalBack() {
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

void onExit() { giveTerminalBack(); }

void onTerminate() {
    giveTerminalBack();
    if (previousTerminate != nullptr) {
        previousTerminate();
    }
    std::abort();
}

bool localeIsUnicode() {
    // Only the character set: numbers are read and printed with "." whatever LANG says.
    std::setlocale(LC_CTYPE, "");
    const char* codeset = ::nl_langinfo(CODESET);
    return codeset != nullptr && std::strcmp(codeset, "UTF-8") == 0;
}

}  // namespace

struct TerminalConsole::Parts {
    explicit Parts(bool unicode) : screen(unicode) {}
    TerminalScreen screen;
    TerminalKeyboard keyboard{screen};
    SystemClock clock;
    Files files{"."};
    TerminalSleeper sleeper{screen, keyboard, clock, files.directory()};
    PosixSerialPorts serialPorts{files};
    PosixNetworkLinks network;
    TerminalCommands commands{screen};
    IoPortOutput ports;
    Console console{screen, keyboard, clock, sleeper, serialPorts, network, commands, ports, files};
    SCREEN* terminal = nullptr;
};

TerminalConsole::TerminalConsole() {
    static bool exitHandlersInstalled = false;
    // Before ncurses starts: it installs its own interrupt handlers only where none are set.
    stopSignal = 0;
    for (int signalNumber : stopSignals) {
        installHandler(signalNumber, onStopSignal);
    }
    for (int signalNumber : crashSignals) {
        installHandler(signalNumber, onCrashSignal);
    }
    if (!exitHandlersInstalled) {
        std::atexit(onExit);
        previousTerminate = std::set_terminate(onTerminate);
        exitHandlersInstalled = true;
    }

    parts_ = std::make_unique<Parts>(localeIsUnicode());
    ::set_escdelay(25);
    // The window size as the terminal reports it, also after a resize, whatever LINES and
    // COLUMNS say in the environment.
    ::use_tioctl(TRUE);
    parts_->terminal = ::newterm(nullptr, stdout, stdin);
    if (parts_->terminal == nullptr) {
        const char* type = std::getenv("TERM");
        std::fprintf(stderr, "Cannot use the terminal (TERM=%s).\n", type != nullptr ? type : "");
        throw ProgramExit{1};
    }
    cursesActive = 1;
    liveScreen = &parts_->screen;
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
    parts_->screen.present();
}

TerminalConsole::~TerminalConsole() {
    giveTerminalBack();
    liveScreen = nullptr;
    if (parts_ && parts_->terminal != nullptr) {
        ::delscreen(parts_->terminal);
    }
    for (int signalNumber : crashSignals) {
        ::signal(signalNumber, SIG_DFL);
    }
}

Console& TerminalConsole::console() { return parts_->console; }

}  // namespace station
