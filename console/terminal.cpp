#include "console/terminal.hpp"

#include "console/curses_screen.hpp"
#include "console/program_exit.hpp"
#include "console/job.hpp"
#include "console/network_posix.hpp"
#include "console/serial_posix.hpp"
#include "console/system_wait.hpp"
#include "console/terminal_keyboard.hpp"
#include "console/terminal_signals.hpp"

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <langinfo.h>
#include <set>
#if defined(__x86_64__) || defined(__i386__)
#include <sys/io.h>
#endif

namespace station {

namespace {

// The terminal, handed to each job and taken back after it.
class TerminalCommands : public CommandProcessor {
public:
    explicit TerminalCommands(CursesScreen& screen) : screen_(screen) {}

    using CommandProcessor::run;

    int run(const std::vector<std::string>& argv, std::optional<std::int64_t> limitSeconds,
            const std::function<void()>& eachSecond) override {
        throwIfStopped();
        if (argv.empty()) {
            return -1;
        }
        cursesSession::handOver(screen_);
        const int status = runJob(argv, limitSeconds, eachSecond);
        cursesSession::takeBack(screen_);
        return status;
    }

private:
    CursesScreen& screen_;
};

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

std::terminate_handler previousTerminate = nullptr;

void onExit() { cursesSession::giveBack(); }

void onTerminate() {
    cursesSession::giveBack();
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
    CursesScreen screen;
    TerminalKeyboard keyboard{screen};
    SystemClock clock;
    Files files{"."};
    SystemSleeper sleeper{screen, keyboard, files.directory()};
    PosixSerialPorts serialPorts{files};
    PosixNetworkLinks network;
    TerminalCommands commands{screen};
    IoPortOutput ports;
    Console console{screen, keyboard, clock, sleeper, serialPorts, network, commands, ports, files};
};

TerminalConsole::TerminalConsole() {
    static bool exitHandlersInstalled = false;
    // Before ncurses starts: it installs its own interrupt handlers only where none are set.
    installStopHandlers();
    if (!exitHandlersInstalled) {
        std::atexit(onExit);
        previousTerminate = std::set_terminate(onTerminate);
        exitHandlersInstalled = true;
    }
    parts_ = std::make_unique<Parts>(localeIsUnicode());
    if (!cursesSession::takeOver(parts_->screen)) {
        const char* type = std::getenv("TERM");
        std::fprintf(stderr, "Cannot use the terminal (TERM=%s).\n", type != nullptr ? type : "");
        throw ProgramExit{1};
    }
}

TerminalConsole::~TerminalConsole() { cursesSession::close(); }

Console& TerminalConsole::console() { return parts_->console; }

}  // namespace station
