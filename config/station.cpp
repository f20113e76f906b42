#include "config/station.hpp"

#include "config/value_reader.hpp"

#include <cmath>
#include <numbers>

namespace station {

namespace {
constexpr double radiansPerDegree = configPi / 180.0;
constexpr double trackerFlattening = 0.0033528106647474805;
constexpr double schedulerFlattening = 0.003352813306887091;
constexpr float schedulerEquatorialRadiusKm = 6378.16f;
// 90 degrees in radians as a single-precision field holds it: the largest value that is a pole.
constexpr double poleInSinglePrecision = static_cast<float>(configPi / 2);

// The guarded inverse sine of the orbital core, repeated here so the configuration does not
// depend on the orbit library (bounds in single precision, compared in double).
double guardedArcSin(double x) {
    const double lower = static_cast<float>(0.99999);
    const double upper = static_cast<float>(1.00001);
    if (x > lower && x < upper) {
        return configPi / 2;
    }
    if (x > -upper && x < -lower) {
        return -configPi / 2;
    }
    return std::atan(x / std::sqrt(1 - x * x));
}
}  // namespace

double trackerGeocentricLatitude(double geodeticLatitude) {
    // A pole arrives a little beyond the right angle (90 degrees in single precision, or through
    // this program's value of pi), where the tangent changes sign and would put the station at
    // the other pole.
    const double magnitude = std::fabs(geodeticLatitude);
    if (magnitude >= std::numbers::pi / 2 && magnitude <= poleInSinglePrecision) {
        return std::copysign(configPi / 2, geodeticLatitude);
    }
    const double k = (1 - trackerFlattening) * (1 - trackerFlattening);
    return std::atan(k * std::tan(geodeticLatitude));
}

double schedulerGeocentricLatitude(double geodeticLatitude, double longitude) {
    const double f = schedulerFlattening;
    const double e2 = 2 * f - f * f;
    const double s = std::sin(geodeticLatitude);
    const double n = schedulerEquatorialRadiusKm / std::sqrt(1 - e2 * s * s);
    const double x = n * std::cos(geodeticLatitude) * std::cos(longitude);
    const double y = n * std::cos(geodeticLatitude) * std::sin(longitude);
    const double z = n * (1 - e2) * s;
    return guardedArcSin(z / std::sqrt(x * x + y * y + z * z));
}

Station readStationConfig(const Files& files, ErrorHandler& errors, StationReader reader) {
    Station s;
    errors.errorPhase = 1;
    auto in = files.open("KELVORIN.CFG");
    if (!in) {
        errors.handleError(runtimeError::fileNotFound);
        return s;
    }
    errors.errorPhase = 2;
    auto text = Files::readAll(*in);
    if (!text) {
        errors.handleError(runtimeError::deviceIoError);
        return s;
    }
    LineReader lines(splitLines(*text));
    ValueReader values(lines, errors);
    const bool scheduler = reader == StationReader::scheduler;
    auto number = [&] { return values.readNumber(); };
    // A field that cannot hold its value is a failure of the file, not a silent clamp or an
    // infinity that would stall the pass search.
    auto int16 = [&] { return storedInt16(values.readNumber(), errors); };
    auto hexInt16 = [&] { return storedInt16(leadingNumber("&H" + values.readValue()), errors); };
    auto single = [&](double value) { return storedSingle(value, errors); };
    auto real = [&](double value) { return storedDouble(value, errors); };

    s.stationName = values.readValue();
    s.elementFileName = values.readValue();
    const double latitudeDegrees = single(number());
    const double longitudeDegrees = single(number());
    s.minimumElevation = scheduler ? single(number() * radiansPerDegree) : real(number() * radiansPerDegree);
    s.searchStep = single(number() / 60.0);
    s.azimuthStopNorth = int16();
    s.rotator450 = int16();
    s.trackingStep = single(number() * radiansPerDegree);
    s.flipEnabled = int16();
    s.parkEnabled = int16();
    s.parkAzimuth = single(number() * radiansPerDegree);
    s.parkElevation = real(number() * radiansPerDegree);
    s.rotatorInterface = int16();
    s.rotatorBaud = toInt32(number());
    s.rotatorPort = scheduler ? hexInt16() : int16();
    s.utcOffsetHours = single(number());
    s.radioType = values.readValue();
    s.radioPort = int16();
    s.radioBaud = toInt32(number());
    s.radioAddress = values.readValue().substr(0, 2);
    s.txRadioAddress = values.readValue().substr(0, 2);
    s.filterOption = int16();
    s.uplinkCorrection = int16();
    s.dopplerThresholdHz = single(number());
    if (s.dopplerThresholdHz < 1.0f) {
        s.dopplerThresholdHz = 1.0f;
    }
    s.thirdBandOption = int16();
    s.converterLo[1] = 0.0;
    for (int band = 2; band <= 8; ++band) {
        s.converterLo[band] = scheduler ? (number(), 0.0) : real(number());
    }
    s.quitAfterPass = int16();
    s.tuningStepLeftRight = toInt32(number());
    s.tuningStepUpDown = toInt32(number());
    s.gpsPort = scheduler ? hexInt16() : int16();
    s.gpsBaud = toInt32(number());
    s.useGpsPosition = int16();
    s.gpsSentence = int16();
    s.gpsTimeOffsetSeconds = single(number());
    s.backgroundColour = int16();
    s.foregroundColour = int16();
    s.highlightColour = int16();
    if (scheduler) {
        s.rotator450 = 0;  // field 8 is read and discarded
    }
    errors.errorPhase = 0;

    // Both fields are single precision: the radians are stored before the latitude is made
    // geocentric from the stored value.
    const float latitude = static_cast<float>(latitudeDegrees * radiansPerDegree);
    s.longitude = static_cast<float>(longitudeDegrees * radiansPerDegree);
    s.latitude = static_cast<float>(scheduler ? schedulerGeocentricLatitude(latitude, s.longitude)
                                              : trackerGeocentricLatitude(latitude));
    return s;
}

}  // namespace station
