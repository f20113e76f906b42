#pragma once
// Shared pieces of the orbital core's tests: the demo station's element sets, a station and a
// pass-search display that records what it is shown.
#include "console/testsupport/station_dir.hpp"
#include "orbit/geodesy.hpp"
#include "orbit/pass.hpp"

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace station::testing {

inline constexpr double degree = 3.1415926535898 / 180;

// The demo station's element file holds the real 2026 sets of the shared data.
inline KeplerianElementSet demoElements(const std::string& name) {
    Files files(demoDir());
    auto elements = readElementSet(files, "KEPS.TXT", name);
    if (!elements) {
        throw std::runtime_error("no demo element set " + name);
    }
    return *elements;
}

// A station at the given geodetic latitude and longitude, converted as each program does.
inline StationPosition stationAt(double latitudeDegrees, double longitudeDegrees, bool scheduler = false) {
    const float latitude = static_cast<float>(latitudeDegrees * degree);
    const float longitude = static_cast<float>(longitudeDegrees * degree);
    return {static_cast<float>(scheduler ? schedulerGeocentricLatitude(latitude, longitude)
                                         : trackerGeocentricLatitude(latitude)),
            longitude};
}

struct RecordingDisplay : PassSearchDisplay {
    const ClockTime* time = nullptr;  // when set, the instant of every sample is kept
    std::vector<double> sampleDays;
    int dateTimeRedraws = 0;
    std::vector<std::string> statuses;
    std::vector<std::string> messages;
    void showDateTime() override {
        ++dateTimeRedraws;
        if (time != nullptr) {
            sampleDays.push_back(dayNumberOf(*time));
        }
    }
    void showStatus(const std::string& text) override { statuses.push_back(text); }
    void showMessage(const std::string& text) override { messages.push_back(text); }
};

}  // namespace station::testing
