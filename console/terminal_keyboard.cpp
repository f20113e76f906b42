#include "console/terminal_keyboard.hpp"

#include "console/terminal_signals.hpp"

#include <csignal>
#include <unistd.h>

namespace station {

std::string TerminalKeyboard::readKey() {
    pump();
    if (keys_.empty()) {
        return {};
    }
    std::string key = std::move(keys_.front());
    keys_.pop_front();
    return key;
}

bool TerminalKeyboard::keyWaiting() {
    pump();
    return !keys_.empty();
}

int TerminalKeyboard::descriptor() const { return cursesSession::active() ? STDIN_FILENO : -1; }

void TerminalKeyboard::pump() {
    throwIfStopped();
    while (const auto input = cursesSession::readInput()) {
        switch (input->kind) {
        case TerminalInput::Kind::key:
            keys_.push_back(input->key);
            break;
        case TerminalInput::Kind::interrupt:
            requestStop(SIGINT);
            break;
        case TerminalInput::Kind::resize:
            screen_.invalidate();
            screen_.present();
            break;
        case TerminalInput::Kind::ignored:
            break;
        }
    }
    throwIfStopped();
}

}  // namespace station
