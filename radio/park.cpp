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

void parkRadio(const RadioContext& context) {
    // While parking, the tracker keeps quiet about a missing PARK record, and the setups send both
    // frequencies.
    const ParkingFlag parking(context.radio.parking);
    auto record = readFrequencyRecord(context.files, parkDesignation);
    if (record) {
        context.frequencies = *record;
    } else {
        context.frequencies.noFrequencyData = 1;
        context.parkRecordFailed(record.error());
    }
    setupRadio(context);
}

}  // namespace station
