#pragma once
// The constants the SGP4 model was fitted with (WGS-72) and the derived ones of its units: Earth
// radii for length, minutes for time.
namespace station::sgp4 {

inline constexpr double pi = 3.14159265358979323846;
inline constexpr double twoPi = 2 * pi;
inline constexpr double minutesPerDay = 1440;

inline constexpr double earthRadiusKm = 6378.135;
inline constexpr double earthMuKm3PerS2 = 398600.8;
inline constexpr double j2 = 0.001082616;
inline constexpr double j3 = -0.00000253881;
inline constexpr double j4 = -0.00000165597;
inline constexpr double j3OverJ2 = j3 / j2;
// sqrt(mu) in Earth radii^1.5 per minute: 60 / sqrt(earthRadiusKm^3 / earthMuKm3PerS2).
inline constexpr double ke = 0.07436691613317342;
inline constexpr double twoThirds = 2.0 / 3.0;
inline constexpr double kmPerSecondPerRadiusPerMinute = earthRadiusKm / 60;

// The Earth's rotation in the sidereal angle, radians per minute.
inline constexpr double earthRotationRadPerMinute = 4.37526908801129966e-3;

}  // namespace station::sgp4
