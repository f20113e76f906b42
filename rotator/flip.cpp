// Flip decision: a pass that sweeps across the rotator's end stop is worked with the azimuth turned
// 180 degrees and the elevation over the top, so the sweep crosses the other side instead.
#include "console/station_file.hpp"
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

FlipShown decideFlip(RotatorContext& rotator, const PassPrediction& pass) {
    const Station& station = rotator.station;
    std::int16_t& flipState = rotator.drive.flipState;
    if (station.flipEnabled == 0) {
        flipState = 0;
        return recordFlipState(rotator);
    }
    if (station.parkEnabled == 1) {
        flipState = 0;
    }
    const OrbitConstants& constants = rotator.constants;
    const FlipDecision decision = flipDecision(azimuthQuadrant(constants, pass.azimuthAtAos),
                                               azimuthQuadrant(constants, pass.azimuthAtLos),
                                               azimuthQuadrant(constants, pass.azimuthAtMaximum));
    std::string message;
    switch (decision) {
    case FlipDecision::north:
        flipState = station.azimuthStopNorth;
        break;
    case FlipDecision::south:
        flipState = static_cast<std::int16_t>(1 - station.azimuthStopNorth);
        break;
    case FlipDecision::overhead:
        message = "Could not find out best flipping. Overhead pass!";
        break;
    case FlipDecision::none:
        break;
    }
    FlipShown shown = recordFlipState(rotator);
    shown.message = message;
    return shown;
}

FlipShown recordFlipState(RotatorContext& rotator) {
    if (rotator.station.flipEnabled == 0) {
        return {"Disabled", "", std::nullopt};
    }
    const std::int16_t flipState = rotator.drive.flipState;
    const std::string text = flipStateFileText(flipState);
    // Each selection records the state, which mostly has not changed: a file that already says
    // it is kept, sparing the selection a wait for the disk.
    const bool kept = rotator.files.readText(flipFileName) == text;
    return {flipState == 1 ? "Flipped " : " Normal ", "", kept ? WriteResult{} : rotator.files.replace(flipFileName, text)};
}

Result<std::int16_t, FileFailure> readFlipState(const Files& files) {
    auto lines = readStationFile(files, flipFileName);
    if (!lines) {
        return failure(lines.error());
    }
    const std::int16_t saved = toInt16(leadingNumber(lines->read()));
    // The drive flips only on exactly 1 while the end-stop guard compares the state with the
    // stop setting; any other number would put the guard on the wrong side, so it reads as 0.
    return static_cast<std::int16_t>(saved == 1 ? 1 : 0);
}

}  // namespace station
