#include "console/console.hpp"

#include <algorithm>

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
    // The time waited is the sum of the clock's steps forward: a clock set back does not
    // lengthen the wait, and a wait that slept longer than asked is not counted short.
    const std::int64_t limit = static_cast<std::int64_t>(seconds) * 1000;
    std::int64_t last = console.clock.epochMillis();
    std::int64_t waited = 0;
    for (;;) {
        console.screen.present();
        std::string key = console.keyboard.readKey();
        if (!key.empty()) {
            return key;
        }
        const std::int64_t now = console.clock.epochMillis();
        waited += std::max<std::int64_t>(0, now - last);
        last = now;
        if (waited >= limit) {
            return {};
        }
        console.sleeper.waitUntil(std::min(nextSecondMillis(now), now + limit - waited));
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
