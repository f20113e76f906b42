#pragma once
// The pass search's display on the screen of either program: the running date and time line,
// the status line and the message line.
#include "console/clock.hpp"
#include "console/screen.hpp"
#include "orbit/pass.hpp"

namespace station {

class ScreenPassSearchDisplay : public PassSearchDisplay {
public:
    ScreenPassSearchDisplay(Screen& screen, Clock& clock) : screen_(screen), clock_(clock) {}

    // A search takes thousands of samples a second: the line is redrawn, and shown on the
    // device, only when its second has changed.
    void showDateTime() override;
    void showStatus(const std::string& text) override;
    void showMessage(const std::string& text) override;

private:
    Screen& screen_;
    Clock& clock_;
    LocalTime shown_{};
    bool drawn_ = false;
};

}  // namespace station
