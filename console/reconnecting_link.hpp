#pragma once
// A device link that fails is reported once, closed, and opened again every few seconds until it
// works, without ever waiting on the device: each step does only what is due at the instant it
// is given, so a loop can run it on every pass.
#include "console/serial.hpp"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace station {

// What a step of a link changed.
enum class LinkChange { none, lost, restored };

class ReconnectingLink {
public:
    // Opens the device again: a new link, or nullptr while it cannot be opened.
    using Opener = std::function<std::unique_ptr<SerialPort>()>;
    // Seconds between attempts to open a lost link.
    static constexpr double retrySeconds = 5;
    // Seconds between looks for a hang-up of a working link.
    static constexpr double hangUpCheckSeconds = 1;

    // `role` names the device in messages: "Rotator", "Radio", "GPS".
    explicit ReconnectingLink(std::string role) : role_(std::move(role)) {}

    // Takes the link opened at start-up. `device` is the name the operator gave it ("COM2");
    // `reopen` opens the same device again after a failure.
    void attach(std::unique_ptr<SerialPort> link, std::string device, Opener reopen);
    // No link any more: closed, and never opened again.
    void reset();

    // The working link: null while it is lost, and when there is none.
    SerialPort* get() const { return link_.get(); }
    bool lost() const { return lost_; }
    // The station has this device: a link was attached, working now or lost.
    bool present() const { return link_ != nullptr || lost_; }
    // Times the link was lost since it was first attached.
    std::uint64_t losses() const { return losses_; }
    const std::string& role() const { return role_; }

    // At the instant `now` (seconds on the program's clock, as the owner reads it): a link that
    // failed (a write or read refused, a hang-up seen now) is closed; a lost link is opened
    // again when its attempt is due. A clock set back does not postpone the next attempt.
    LinkChange step(double now);

    // "Rotator link lost (COM2: Input/output error). Reconnecting."
    std::string lostMessage() const;
    // "Rotator link restored."
    std::string restoredMessage() const;

private:
    bool due(double now, double interval) const;

    std::string role_;
    std::string device_;
    Opener reopen_;
    std::unique_ptr<SerialPort> link_;
    bool lost_ = false;
    std::string reason_;     // why the link was lost
    double nextStepAt_ = 0;  // from this instant on, step() has something to do
    std::uint64_t losses_ = 0;
};

}  // namespace station
