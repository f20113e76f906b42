#include "station/search_display.hpp"

namespace station {

namespace {
bool sameSecond(const LocalTime& a, const LocalTime& b) {
    return a.second == b.second && a.minute == b.minute && a.hour == b.hour && a.day == b.day &&
           a.month == b.month && a.year == b.year;
}
}  // namespace

void ScreenPassSearchDisplay::showDateTime() {
    const LocalTime now = clock_.now();
    if (drawn_ && sameSecond(now, shown_)) {
        return;
    }
    screen_.printAt(4, 3, dateTimeText(now));
    screen_.present();
    shown_ = now;
    drawn_ = true;
}

void ScreenPassSearchDisplay::showStatus(const std::string& text) { station::showStatus(screen_, text); }

void ScreenPassSearchDisplay::showMessage(const std::string& text) { station::showMessage(screen_, text); }

}  // namespace station
