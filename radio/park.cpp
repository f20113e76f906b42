// Parking the radio after a pass (codes I, I2 and K): the PARK record of the frequency file is
// set up like a satellite's, with both frequencies sent at once.
#include "radio/protocols.hpp"
#include "radio/radio.hpp"

namespace station {

namespace {

// Parking holds for the look-up and the setup however they end.
class ParkingFlag {
public:
    explicit ParkingFlag(bool& parking) : parking_(parking) { parking_ = true; }
    ~ParkingFlag() { parking_ = false; }
    ParkingFlag(const ParkingFlag&) = delete;
    ParkingFlag& operator=(const ParkingFlag&) = delete;

private:
    bool& parking_;
};

}  // namespace

void parkRadio(const RadioContext& s) {
    // While parking, the tracker's handler keeps quiet about a missing PARK record, and the setups
    // send both frequencies.
    const ParkingFlag parking(s.radio.parking);
    readFrequencyRecord(s.files, parkDesignation, s.frequencies, s.errors);
    setupRadio(s);
}

}  // namespace station
