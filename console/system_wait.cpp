#include "console/system_wait.hpp"

#include "console/terminal_signals.hpp"

#include <algorithm>
#include <array>
#include <cerrno>
#include <limits>
#include <poll.h>
#include <sys/timerfd.h>
#include <unistd.h>

namespace station {

namespace {

// Input that made no key (a resize, an escape sequence being put together) is left alone for the
// terminal's escape delay, never polled in a tight loop.
constexpr std::int64_t keysQuietMs = 25;
// Without a timer (the kernel refused one) a wait polls at most this long at a time, so that a
// clock set forward is seen soon.
constexpr std::int64_t maxFallbackPollMs = 1000;

timespec timespecOfMillis(std::int64_t millis) {
    // Floor division: instants before 1970 still get a nanosecond part in 0..999999999.
    std::int64_t seconds = millis / 1000;
    std::int64_t rest = millis % 1000;
    if (rest < 0) {
        rest += 1000;
        --seconds;
    }
    return {static_cast<time_t>(seconds), static_cast<long>(rest) * 1'000'000L};
}

bool arm(int timer, int flags, std::int64_t millis) {
    if (timer < 0) {
        return false;
    }
    itimerspec setting{};
    setting.it_value = timespecOfMillis(millis);
    if (setting.it_value.tv_sec == 0 && setting.it_value.tv_nsec == 0) {
        setting.it_value.tv_nsec = 1;  // zero would disarm it
    }
    return ::timerfd_settime(timer, flags, &setting, nullptr) == 0;
}

std::int64_t systemMillis() {
    timespec reading{};
    ::clock_gettime(CLOCK_REALTIME, &reading);
    return static_cast<std::int64_t>(reading.tv_sec) * 1000 + reading.tv_nsec / 1'000'000;
}

}  // namespace

SystemSleeper::SystemSleeper(Screen& screen, InputKeyboard& keyboard, std::filesystem::path directory)
    : screen_(screen),
      keyboard_(keyboard),
      directory_(std::move(directory)),
      deadlineTimer_(::timerfd_create(CLOCK_REALTIME, TFD_CLOEXEC | TFD_NONBLOCK)),
      pauseTimer_(::timerfd_create(CLOCK_MONOTONIC, TFD_CLOEXEC | TFD_NONBLOCK)) {}

SystemSleeper::~SystemSleeper() {
    for (int timer : {deadlineTimer_, pauseTimer_}) {
        if (timer >= 0) {
            ::close(timer);
        }
    }
}

void SystemSleeper::sleepMs(int milliseconds, bool endOnKey) {
    screen_.present();
    if (milliseconds <= 0) {
        throwIfStopped();
        return;
    }
    const bool armed = arm(pauseTimer_, 0, milliseconds);
    // Keys are looked at only when one may end the pause; a plain pause leaves them to the next
    // readKey, which saves a system call on every pass of the programs' short pauses.
    sleepOn(armed ? pauseTimer_ : -1, {endOnKey, false}, std::nullopt, milliseconds);
}

WakeUp SystemSleeper::waitUntil(std::int64_t deadlineMillis, WakeOn wakeOn) {
    screen_.present();
    const bool armed = arm(deadlineTimer_, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, deadlineMillis);
    return sleepOn(armed ? deadlineTimer_ : -1, wakeOn, deadlineMillis,
                   std::min(maxFallbackPollMs, deadlineMillis - systemMillis()));
}

WakeUp SystemSleeper::sleepOn(int timer, WakeOn wakeOn, std::optional<std::int64_t> deadlineMillis,
                              std::int64_t fallbackMs) {
    const StopSignalsHeld held;
    WakeUp seen;
    std::int64_t lastRemaining = std::numeric_limits<std::int64_t>::max();
    bool keysQuiet = false;
    for (;;) {
        throwIfStopped();
        if (wakeOn.key && !keysQuiet) {
            seen.key = keyboard_.keyWaiting();
        }
        // A pause leaves changes of the file to the next wait, which reports them.
        if (deadlineMillis) {
            seen.fileChanged = fileWatch_.takeChanges() || seen.fileChanged;
        }
        if (seen.key || (seen.fileChanged && wakeOn.watchedFile)) {
            return seen;
        }
        if (deadlineMillis) {
            const std::int64_t remaining = *deadlineMillis - systemMillis();
            // Past the deadline, or the clock set back meanwhile: the caller reads it again.
            if (remaining <= 0 || remaining > lastRemaining) {
                return seen;
            }
            lastRemaining = remaining;
        }
        // Without a watch the caller looks at the file itself, as often as it always did.
        const bool lookingForFile = wakeOn.watchedFile && !fileWatch_.watching();
        std::int64_t timeoutMs = lookingForFile ? 1 : (timer < 0 ? std::max<std::int64_t>(1, fallbackMs) : -1);

        std::array<pollfd, 3> descriptors{};
        nfds_t count = 0;
        const int keyboard = keyboard_.descriptor();
        const bool listenToKeys = wakeOn.key && keyboardOpen_ && keyboard >= 0 && !keysQuiet;
        const nfds_t keySlot = count;
        if (listenToKeys) {
            descriptors[count++] = {keyboard, POLLIN, 0};
        } else if (keysQuiet) {
            timeoutMs = timeoutMs < 0 ? keysQuietMs : std::min(timeoutMs, keysQuietMs);
        }
        keysQuiet = false;
        if (deadlineMillis && fileWatch_.watching()) {
            descriptors[count++] = {fileWatch_.descriptor(), POLLIN, 0};
        }
        const nfds_t timerSlot = count;
        if (timer >= 0) {
            descriptors[count++] = {timer, POLLIN, 0};
        }
        const timespec limit = timespecOfMillis(std::max<std::int64_t>(timeoutMs, 0));
        const int ready = ::ppoll(descriptors.data(), count, timeoutMs < 0 ? nullptr : &limit, &held.waitingMask());
        if (ready < 0) {
            // A signal: an end request is thrown at the top. A pause goes on (its timer keeps
            // running); a wait for a deadline is the caller's to look at again (a resize).
            throwIfStopped();
            if (deadlineMillis) {
                return seen;
            }
            continue;
        }
        if (timer >= 0 && descriptors[timerSlot].revents != 0) {
            // Expired, or cancelled by a setting of the clock (the read fails with ECANCELED):
            // either way the caller reads the clock.
            std::uint64_t expirations = 0;
            [[maybe_unused]] const auto got = ::read(timer, &expirations, sizeof expirations);
            return seen;
        }
        if (ready == 0 && (lookingForFile || timer < 0)) {
            return seen;
        }
        if (listenToKeys && descriptors[keySlot].revents != 0) {
            if ((descriptors[keySlot].revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
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

}  // namespace station
