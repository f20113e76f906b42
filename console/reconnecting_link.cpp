#include "console/reconnecting_link.hpp"

namespace station {

void ReconnectingLink::attach(std::unique_ptr<SerialPort> link, std::string device, Opener reopen) {
    link_ = std::move(link);
    device_ = std::move(device);
    reopen_ = std::move(reopen);
    lost_ = false;
    reason_.clear();
    nextStepAt_ = 0;
}

void ReconnectingLink::reset() {
    link_.reset();
    reopen_ = nullptr;
    lost_ = false;
}

bool ReconnectingLink::due(double now, double interval) const {
    return now >= nextStepAt_ || now < nextStepAt_ - interval;
}

LinkChange ReconnectingLink::step(double now) {
    if (link_) {
        // A refused write or read shows at once; a hang-up of a link nobody writes to is looked
        // for once a second.
        if (link_->failure().empty() && due(now, hangUpCheckSeconds)) {
            link_->detectHangUp();
            nextStepAt_ = now + hangUpCheckSeconds;
        }
        if (link_->failure().empty()) {
            return LinkChange::none;
        }
        reason_ = link_->failure();
        link_.reset();
        lost_ = true;
        ++losses_;
        nextStepAt_ = now + retrySeconds;
        return LinkChange::lost;
    }
    if (!lost_ || !reopen_ || !due(now, retrySeconds)) {
        return LinkChange::none;
    }
    nextStepAt_ = now + retrySeconds;
    auto link = reopen_();
    if (link) {
        link->detectHangUp();
    }
    if (!link || !link->failure().empty()) {
        return LinkChange::none;
    }
    link_ = std::move(link);
    lost_ = false;
    nextStepAt_ = now + hangUpCheckSeconds;
    return LinkChange::restored;
}

std::string ReconnectingLink::lostMessage() const {
    return role_ + " link lost (" + device_ + ": " + reason_ + "). Reconnecting.";
}

std::string ReconnectingLink::restoredMessage() const { return role_ + " link restored."; }

}  // namespace station
