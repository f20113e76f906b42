#include "console/console.hpp"

namespace station {

std::string waitForKey(Console& console) {
    for (;;) {
        console.screen.present();
        std::string key = console.keyboard.readKey();
        if (!key.empty()) {
            return key;
        }
        console.sleeper.waitUntil(nextSecondMillis(console.clock.epochMillis()));
    }
}

std::string waitForKey(Console& console, int seconds) {
    LocalTime last = console.clock.now();
    int changes = 0;
    for (;;) {
        console.screen.present();
        std::string key = console.keyboard.readKey();
        if (!key.empty()) {
            return key;
        }
        // Read before the time it is compared with: a second that changes in between ends the
        // wait at once instead of being slept through.
        const std::int64_t readAt = console.clock.epochMillis();
        const LocalTime now = console.clock.now();
        if (now != last) {
            last = now;
            if (++changes >= seconds) {
                return {};
            }
        }
        console.sleeper.waitUntil(nextSecondMillis(readAt));
    }
}

std::string readLineWithEcho(Console& console, std::size_t maxLength) {
    std::string line;
    for (;;) {
        const std::string key = waitForKey(console);
        if (key == "\r" || key == "\n") {
            return line;
        }
        if (key == "\b" || key == "\x7f") {
            if (!line.empty()) {
                line.pop_back();
                Screen& screen = console.screen;
                screen.locate(screen.cursorRow(), screen.cursorColumn() - 1);
                screen.print(" ");
                screen.locate(screen.cursorRow(), screen.cursorColumn() - 1);
            }
            continue;
        }
        if (key.size() == 1 && static_cast<unsigned char>(key[0]) >= 32 && line.size() < maxLength) {
            line += key;
            console.screen.print(key);
        }
    }
}

}  // namespace station
