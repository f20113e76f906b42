// Flip decision: a pass that sweeps across the rotator's end stop is worked with the azimuth turned
// 180 degrees and the elevation over the top, so the sweep crosses the other side instead.
#include "console/station_file.hpp"
#include "rotator/frames.hpp"
#include "rotator/rotator.hpp"
#include "text/numbers.hpp"

#include <array>
#include <initializer_list>

namespace station {

namespace {

// A set of quadrants 0..4 as bits.
constexpr std::uint8_t quadrants(std::initializer_list<int> members) {
    std::uint8_t bits = 0;
    for (const int q : members) {
        bits = static_cast<std::uint8_t>(bits | (1u << q));
    }
    return bits;
}
constexpr std::uint8_t anyQuadrant = quadrants({0, 1, 2, 3, 4});

struct FlipRow {
    std::int16_t aos;
    std::uint8_t los;
    std::uint8_t maximum;
    FlipDecision decision;
};

// In the rows where AOS and LOS lie in opposite quadrants the quadrant of the maximum tells the
// side; when it is the AOS or LOS quadrant the pass runs almost straight overhead.
constexpr std::array<FlipRow, 20> flipTable{{
    {1, quadrants({1, 2}), anyQuadrant, FlipDecision::none},
    {1, quadrants({4}), anyQuadrant, FlipDecision::north},
    {1, quadrants({3}), quadrants({2}), FlipDecision::south},
    {1, quadrants({3}), quadrants({4}), FlipDecision::north},
    {1, quadrants({3}), quadrants({1, 3}), FlipDecision::overhead},
    {2, quadrants({1, 2}), anyQuadrant, FlipDecision::none},
    {2, quadrants({3}), anyQuadrant, FlipDecision::south},
    {2, quadrants({4}), quadrants({3}), FlipDecision::south},
    {2, quadrants({4}), quadrants({1}), FlipDecision::north},
    {2, quadrants({4}), quadrants({2, 4}), FlipDecision::overhead},
    {3, quadrants({3, 4}), anyQuadrant, FlipDecision::none},
    {3, quadrants({2}), anyQuadrant, FlipDecision::south},
    {3, quadrants({1}), quadrants({2}), FlipDecision::south},
    {3, quadrants({1}), quadrants({4}), FlipDecision::north},
    {3, quadrants({1}), quadrants({1, 3}), FlipDecision::overhead},
    {4, quadrants({3, 4}), anyQuadrant, FlipDecision::none},
    {4, quadrants({1}), anyQuadrant, FlipDecision::north},
    {4, quadrants({2}), quadrants({3}), FlipDecision::south},
    {4, quadrants({2}), quadrants({1}), FlipDecision::north},
    {4, quadrants({2}), quadrants({2, 4}), FlipDecision::overhead},
}};

bool inSet(std::uint8_t set, std::int16_t quadrant) {
    return quadrant >= 0 && quadrant <= 4 && (set & (1u << quadrant)) != 0;
}

constexpr std::string_view flipFileName = "KVFLIP.DAT";

}  // namespace

std::int16_t azimuthQuadrant(const OrbitConstants& constants, float azimuth) {
    const double quarter = constants.pi / 2;
    for (std::int16_t q = 1; q <= 4; ++q) {
        if (azimuth >= (q - 1) * quarter && azimuth < q * quarter) {
            return q;
        }
    }
    return 0;
}

FlipDecision flipDecision(std::int16_t aosQuadrant, std::int16_t losQuadrant, std::int16_t maximumQuadrant) {
    for (const FlipRow& row : flipTable) {
        if (row.aos == aosQuadrant && inSet(row.los, losQuadrant) && inSet(row.maximum, maximumQuadrant)) {
            return row.decision;
        }
    }
    return FlipDecision::none;
}

void decideFlip(TrackerState& s) {
    const Station& station = s.station;
    RotatorDrive& rotator = s.rotator;
    if (station.flipEnabled == 0) {
        rotator.flipState = 0;
        showFlipState(s);
        return;
    }
    if (station.parkEnabled == 1) {
        rotator.flipState = 0;
    }
    const FlipDecision decision = flipDecision(azimuthQuadrant(s.constants, s.pass.azimuthAtAos),
                                               azimuthQuadrant(s.constants, s.pass.azimuthAtLos),
                                               azimuthQuadrant(s.constants, s.pass.azimuthAtMaximum));
    switch (decision) {
    case FlipDecision::north:
        rotator.flipState = station.azimuthStopNorth;
        break;
    case FlipDecision::south:
        rotator.flipState = static_cast<std::int16_t>(1 - station.azimuthStopNorth);
        break;
    case FlipDecision::overhead:
        s.showMessage("Could not find out best flipping. Overhead pass!");
        break;
    case FlipDecision::none:
        break;
    }
    showFlipState(s);
}

void showFlipState(TrackerState& s) {
    if (s.station.flipEnabled == 0) {
        s.screen().printAt(16, 37, "Disabled");
        return;
    }
    s.screen().printAt(16, 37, s.rotator.flipState == 1 ? "Flipped " : " Normal ");
    if (!s.console.files.replace(flipFileName, flipStateFileText(s.rotator.flipState))) {
        s.errors.handleError(runtimeError::pathFileAccessError);
    }
}

void loadFlipState(TrackerState& s) {
    auto lines =
        readStationFile(s.console.files, flipFileName, s.errors, trackerPhase::flipFile, trackerPhase::flipFile);
    if (lines && s.errors.errorPhase == trackerPhase::flipFile) {
        const std::int16_t saved = toInt16(leadingNumber(lines->read()));
        // The drive flips only on exactly 1 while the end-stop guard compares the state with the
        // stop setting; any other number would put the guard on the wrong side, so it reads as 0.
        s.rotator.flipState = saved == 1 ? 1 : 0;
    }
    s.errors.errorPhase = phase::none;
}

}  // namespace station
