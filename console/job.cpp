#include "console/job.hpp"

#include "console/clock.hpp"
#include "console/serial.hpp"
#include "console/terminal_signals.hpp"

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/syscall.h>
#include <sys/timerfd.h>
#include <sys/wait.h>
#include <unistd.h>

namespace station {

namespace {

// A job at its limit is asked to end, and made to this much later.
constexpr std::int64_t killGraceMillis = 10'000;
// Where the kernel cannot tell a process's end by a descriptor, the job is looked at this often.
constexpr std::int64_t fallbackPollMs = 100;

class Descriptor {
public:
    explicit Descriptor(int descriptor) : descriptor_(descriptor) {}
    ~Descriptor() {
        if (descriptor_ >= 0) {
            ::close(descriptor_);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return descriptor_; }

private:
    int descriptor_;
};

int statusOf(int waitStatus) {
    if (WIFEXITED(waitStatus)) {
        return WEXITSTATUS(waitStatus);
    }
    if (WIFSIGNALED(waitStatus)) {
        return 128 + WTERMSIG(waitStatus);
    }
    return -1;
}

// Sleeps until the job ends (its pidfd becomes readable), an end request comes, or the limit's
// next step or the next second is due. The limit is read from the clock at least once a second,
// as the programs' other work is, so that it follows the clock however the clock is set; the
// caller's `eachSecond` rides on the same wakes.
int waitFor(pid_t child, std::optional<std::int64_t> deadlineMillis, const std::function<void()>& eachSecond) {
    const bool timed = deadlineMillis || eachSecond;
    const Descriptor ended(static_cast<int>(::syscall(SYS_pidfd_open, child, 0)));
    const Descriptor timer(timed ? ::timerfd_create(CLOCK_REALTIME, TFD_CLOEXEC | TFD_NONBLOCK) : -1);
    const StopSignalsHeld held;
    SystemClock clock;
    bool passedOn = false;
    bool woken = false;
    std::optional<std::int64_t> killAt;
    for (;;) {
        int waitStatus = 0;
        const pid_t got = ::waitpid(child, &waitStatus, WNOHANG);
        if (got == child) {
            if (killAt) {
                ::kill(-child, SIGKILL);
                return CommandProcessor::endedAtLimit;
            }
            return statusOf(waitStatus);
        }
        if (got < 0 && errno != EINTR) {
            return -1;
        }
        if (stopRequest() != 0 && !passedOn) {
            ::kill(-child, stopRequest());
            passedOn = true;
        }
        std::array<pollfd, 2> descriptors{};
        nfds_t count = 0;
        if (ended.get() >= 0) {
            descriptors[count++] = {ended.get(), POLLIN, 0};
        }
        if (timed) {
            const std::int64_t now = clock.epochMillis();
            if (deadlineMillis && !killAt && now >= *deadlineMillis) {
                ::kill(-child, SIGTERM);
                killAt = now + killGraceMillis;
            } else if (killAt && now >= *killAt) {
                ::kill(-child, SIGKILL);
            }
            if (eachSecond && woken) {
                eachSecond();
            }
            const std::int64_t second = nextSecondMillis(now);
            const std::int64_t due = killAt ? *killAt : deadlineMillis.value_or(second);
            const std::int64_t wakeAt = now < due ? std::min(due, second) : second;
            itimerspec setting{};
            setting.it_value = {static_cast<time_t>(wakeAt / 1000), static_cast<long>(wakeAt % 1000) * 1'000'000L};
            if (timer.get() >= 0 && ::timerfd_settime(timer.get(), TFD_TIMER_ABSTIME, &setting, nullptr) == 0) {
                descriptors[count++] = {timer.get(), POLLIN, 0};
            }
        }
        // Re-arming the timer above takes its expiry back, so nothing is read from it.
        const bool blocking = ended.get() >= 0 && (!timed || count == 2);
        const timespec limit{0, fallbackPollMs * 1'000'000L};
        ::ppoll(descriptors.data(), count, blocking ? nullptr : &limit, &held.waitingMask());
        woken = true;
    }
}

}  // namespace

// The job runs in a process group of its own, made the terminal's foreground while it runs, so
// that it reads the keyboard and can be ended whole with everything it started. Like a shell,
// the waiting program ignores the keyboard's interrupt and quit (they are the job's).
int runJob(const std::vector<std::string>& argv, std::optional<std::int64_t> limitSeconds,
           const std::function<void()>& eachSecond) {
    if (argv.empty()) {
        return -1;
    }
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
    // By the system clock, which a preloaded time library sets as it sets the program's.
    std::optional<std::int64_t> deadline;
    if (limitSeconds) {
        deadline = SystemClock().epochMillis() + *limitSeconds * 1000;
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
        status = waitFor(child, deadline, eachSecond);
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

}  // namespace station
