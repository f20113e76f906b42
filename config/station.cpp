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
OrbitModel orbitModelOf(std::int16_t value, ValueReader& values) {
    if (value == static_cast<std::int16_t>(OrbitModel::sgp4)) {
        return OrbitModel::sgp4;
    }
    if (value != static_cast<std::int16_t>(OrbitModel::builtIn)) {
        values.fail();
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

Result<Station, FileFailure> readStationConfig(const Files& files, StationReader reader) {
    Station station;
    auto file = readStationFile(files, "KELVORIN.CFG");
    if (!file) {
        return failure(file.error());
    }
    ValueReader values(*file);
    const bool scheduler = reader == StationReader::scheduler;
    auto number = [&] { return values.readNumber(); };
    // A field that cannot hold its value is a failure of the file, not a silent clamp or an
    // infinity that would stall the pass search.
    auto int16 = [&] { return values.readInt16(); };
    auto hexInt16 = [&] { return values.int16(leadingNumber("&H" + values.readValue())); };
    auto single = [&](double value) { return values.single(value); };
    auto real = [&](double value) { return values.real(value); };

    station.stationName = values.readValue();
    station.elementFileName = values.readValue();
    const double latitudeDegrees = single(number());
    const double longitudeDegrees = single(number());
    station.minimumElevation = scheduler ? single(number() * radiansPerDegree) : real(number() * radiansPerDegree);
    station.searchStep = single(number() / 60.0);
    station.azimuthStopNorth = int16();
    station.rotator450 = int16();
    station.trackingStep = single(number() * radiansPerDegree);
    station.flipEnabled = int16();
    station.parkEnabled = int16();
    station.parkAzimuth = single(number() * radiansPerDegree);
    station.parkElevation = real(number() * radiansPerDegree);
    station.rotatorInterface = static_cast<RotatorInterface>(int16());
    station.rotatorBaud = toInt32(number());
    station.rotatorPort = scheduler ? hexInt16() : int16();
    station.utcOffsetHours = single(number());
    station.radioType = values.readValue();
    station.radioPort = int16();
    station.radioBaud = toInt32(number());
    station.radioAddress = values.readValue().substr(0, 2);
    station.txRadioAddress = values.readValue().substr(0, 2);
    station.filterOption = int16();
    station.uplinkCorrection = int16();
    station.dopplerThresholdHz = single(number());
    if (station.dopplerThresholdHz < 1.0f) {
        station.dopplerThresholdHz = 1.0f;
    }
    station.thirdBandOption = int16();
    station.converterLo[1] = 0.0;
    for (int band = 2; band <= 8; ++band) {
        station.converterLo[band] = scheduler ? (number(), 0.0) : real(number());
    }
    station.quitAfterPass = int16();
    station.tuningStepLeftRight = toInt32(number());
    station.tuningStepUpDown = toInt32(number());
    station.gpsPort = scheduler ? hexInt16() : int16();
    station.gpsBaud = toInt32(number());
    station.useGpsPosition = int16();
    station.gpsSentence = int16();
    station.gpsTimeOffsetSeconds = single(number());
    station.backgroundColour = int16();
    station.foregroundColour = int16();
    station.highlightColour = int16();
    // Past the end of a shorter file every value reads empty: the defaults.
    station.radioDaemonAddress = values.readValue();
    station.rotatorDaemonAddress = values.readValue();
    station.orbitModel = orbitModelOf(int16(), values);
    station.statusDirectory = withoutOuterBlanks(values.readLine());
    if (scheduler) {
        station.rotator450 = 0;  // field 8 is read and discarded
    }
    if (values.failed()) {
        return failure(FileFailure::badValue);
    }

    // Both fields are single precision: the radians are stored before the latitude is made
    // geocentric from the stored value.
    const float latitude = static_cast<float>(latitudeDegrees * radiansPerDegree);
    station.geodeticLatitude = latitude;
    station.longitude = static_cast<float>(longitudeDegrees * radiansPerDegree);
    station.latitude = static_cast<float>(scheduler ? schedulerGeocentricLatitude(latitude, station.longitude)
                                              : trackerGeocentricLatitude(latitude));
    return station;
}

Result<std::string, FileFailure> readElementFileName(const Files& files) {
    auto file = readStationFile(files, "KELVORIN.CFG");
    if (!file) {
        return failure(file.error());
    }
    ValueReader values(*file);
    values.readValue();  // the station name
    return values.readValue();
}

}  // namespace station
