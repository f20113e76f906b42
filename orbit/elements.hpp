#pragma once
// Keplerian element sets: the two element lines under a name line of the keplerian data file.
#include "console/files.hpp"
#include "console/result.hpp"
#include "orbit/time_base.hpp"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace station {

struct KeplerianElementSet {
    std::int16_t epochYear = 0;   // four digits
    double epochDay = 0;          // day number of the epoch (1.0 = 1 January 00:00 UTC)
    double meanMotionDrift = 0;   // revolutions per day squared, as printed
    double inclination = 0;       // radians
    double raan = 0;              // radians
    double eccentricity = 0;
    double argumentOfPerigee = 0; // radians
    double meanAnomaly = 0;       // radians, at the epoch
    double meanMotion = 0;        // revolutions per day
    double meanMotionSecondDrift = 0;  // revolutions per day cubed, as printed (a sixth of n'')
    double bStar = 0;                  // drag term of the SGP4 model, per Earth radius
};

// The designation chosen by the operator, the command line, the command file or a scheduler list,
// and the name the element file is searched for (upper case, cut before the first "~").
struct Selection {
    std::string satelliteDesignation;
    std::string lookupName;
};

// The lookup name of a designation: up to, not including, its first "~".
std::string lookupNameOf(const std::string& designation);

// The fields of two element lines; malformed numbers read as 0, nothing fails.
KeplerianElementSet parseElementLines(const std::string& line1, const std::string& line2);

// Why the keplerian data file gave no element set: it could not be opened, could not be read, or
// has no name line `lookupName` followed by two element lines.
enum class ElementFailure { fileNotFound, fileUnreadable, nameNotFound };

// The element set under the name line `lookupName` of the keplerian data file.
Result<KeplerianElementSet, ElementFailure> readElementSet(const Files& files, const std::string& elementFileName,
                                                           const std::string& lookupName);

// True when the element year and the clock year differ by more than one ("Keps out of date!").
bool elementYearOutOfDate(const KeplerianElementSet& elements, int year);

// Days from the element epoch to the day number `now` of year `year`. Calls `outOfDate` when the
// element year and the clock year differ by more than one.
double daysSinceEpoch(const KeplerianElementSet& elements, int year, double now,
                      const std::function<void()>& outOfDate = {});

// Whole days from the epoch to the day number `now` of year `year`, counting 365 days a year
// (the age the operator is shown ignores leap days).
std::int16_t elementAgeDays(const KeplerianElementSet& elements, int year, double now);

// Why an element set cannot be propagated (zero or negative mean motion, eccentricity of 1 or
// more), or empty when it can.
std::string elementSetProblem(const KeplerianElementSet& elements);

}  // namespace station
