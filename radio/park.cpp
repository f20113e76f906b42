// Parking the radio after a pass (codes I, I2 and K): the PARK record of the frequency file is
// set up like a satellite's, with both frequencies sent at once.
#include "radio/protocols.hpp"
#include "radio/radio.hpp"

#include <utility>

namespace station {

namespace {

// Puts the tracked designation back however the park ends.
class DesignationRestorer {
public:
    DesignationRestorer(std::string& designation, std::string saved)
        : designation_(designation), saved_(std::move(saved)) {}
    ~DesignationRestorer() { designation_ = std::move(saved_); }
    DesignationRestorer(const DesignationRestorer&) = delete;
    DesignationRestorer& operator=(const DesignationRestorer&) = delete;

private:
    std::string& designation_;
    std::string saved_;
};

}  // namespace

void parkRadio(TrackerState& s) {
    // The designation itself must read PARK while the record is looked up and sent: the error
    // handler keeps quiet about a missing PARK record, and the setups send both frequencies.
    DesignationRestorer restorer(s.selection.satelliteDesignation,
                                 std::exchange(s.selection.satelliteDesignation, parkDesignation));
    readFrequencyRecord(s.console.files, parkDesignation, s.frequencies, s.errors);
    setupRadio(s);
}

}  // namespace station
