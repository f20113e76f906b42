#pragma once
// A tracker run over simulated time in the test station, watched pass by pass: the messages shown
// and when, the statuses in turn.
#include "tracker/tests/tracker_fixture.hpp"

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace station::trackertest {

// Starts at 13:12 UTC on 10 October 2026, in a pass of ISS over the test station (about 13:09:31
// to 13:19:40 UTC); the next one begins about 14:47 UTC.
class ScenarioTest : public TrackerTest {
protected:
    void SetUp() override {
        dir.copyDemo("KEPS.TXT");
        dir.copyDemo("KELVORIN.FRC");
        dir.write("KVFLIP.DAT", " 0 \r\n");
        mc.clock.set(2026, 10, 10, 13, 12, 0);
        start = mc.clock.millis;
        mc.sleeper.onTime = [this](std::int64_t millis) { observe(millis); };
    }
    // The test station, by default without a rotator port or a radio port: positions and
    // frequencies are computed and shown but go nowhere, so a long run writes no files.
    void station(std::map<int, std::string> values) {
        values.try_emplace(14, "1");
        values.try_emplace(18, "Y");
        values.try_emplace(34, "0");
        dir.write("KELVORIN.CFG", stationConfig(values));
    }
    void observe(std::int64_t millis) {
        std::string message = messageLine();
        message.erase(message.find_last_not_of(' ') + 1);
        message.erase(0, message.find_first_not_of(' '));
        if (!message.empty() && (messages.empty() || messages.back().second != message)) {
            messages.emplace_back(millis, message);
        }
        std::string status = statusLine();
        status.erase(status.find_last_not_of(' ') + 1);
        if (statuses.empty() || statuses.back() != status) {
            statuses.push_back(status);
        }
        if (watch) {
            watch(millis);
        }
    }
    // When a message was first shown, or -1.
    std::int64_t shownAt(const std::string& message) const {
        for (const auto& [millis, text] : messages) {
            if (text == message) {
                return millis;
            }
        }
        return -1;
    }
    int timesShown(const std::string& message) const {
        int count = 0;
        for (const auto& shown : messages) {
            count += shown.second == message ? 1 : 0;
        }
        return count;
    }

    std::int64_t start = 0;
    std::vector<std::pair<std::int64_t, std::string>> messages;
    std::vector<std::string> statuses;
    std::function<void(std::int64_t)> watch;
};

}  // namespace station::trackertest
