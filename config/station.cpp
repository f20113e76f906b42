#include "config/station.hpp"

#include "config/value_reader.hpp"
#include "console/station_file.hpp"
#include "orbit/constants.hpp"
#include "orbit/geodesy.hpp"

namespace station {

namespace {

constexpr double radiansPerDegree = programPi / 180.0;

// An empty line, or none, is the built-in model. A number naming no model is an error of the
// file rather than a quiet fall-back to a model the operator did not choose.
OrbitModel orbitModelOf(std::int16_t value, ErrorHandler& errors) {
    if (value == static_cast<std::int16_t>(OrbitModel::sgp4)) {
        return OrbitModel::sgp4;
    }
    if (value != static_cast<std::int16_t>(OrbitModel::builtIn)) {
        errors.handleError(runtimeError::illegalFunctionCall);
    }
    return OrbitModel::builtIn;
}

std::string withoutOuterBlanks(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace

Station readStationConfig(const Files& files, ErrorHandler& errors, StationReader reader) {
    Station s;
    auto file =
        readStationFile(files, "KELVORIN.CFG", errors, phase::stationConfigOpen, phase::stationConfigRead);
    if (!file) {
        return s;
    }
    LineReader& lines = *file;
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
    // Past the end of a shorter file every value reads empty: the defaults.
    s.radioDaemonAddress = values.readValue();
    s.rotatorDaemonAddress = values.readValue();
    s.orbitModel = orbitModelOf(int16(), errors);
    s.statusDirectory = withoutOuterBlanks(values.readLine());
    if (scheduler) {
        s.rotator450 = 0;  // field 8 is read and discarded
    }
    errors.errorPhase = phase::none;

    // Both fields are single precision: the radians are stored before the latitude is made
    // geocentric from the stored value.
    const float latitude = static_cast<float>(latitudeDegrees * radiansPerDegree);
    s.geodeticLatitude = latitude;
    s.longitude = static_cast<float>(longitudeDegrees * radiansPerDegree);
    s.latitude = static_cast<float>(scheduler ? schedulerGeocentricLatitude(latitude, s.longitude)
                                              : trackerGeocentricLatitude(latitude));
    return s;
}

}  // namespace station
