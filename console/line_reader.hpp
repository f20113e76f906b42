#pragma once
// Lines read from a file descriptor with a deadline, for the POSIX links (serial and TCP).
#include <optional>
#include <string>

namespace station {

// The text of a link that fails because its device did not answer in time.
std::string noReplyText(int timeoutMs);

// The next line from `fd` (non-blocking), bytes already read kept in `pending` between calls.
// A line is handed out without its LF and without a CR before it. Sets `failure` and returns
// nothing when the descriptor fails, is closed by its far end, or no LF comes within
// `timeoutMs`.
std::optional<std::string> readLineFrom(int fd, std::string& pending, int timeoutMs, std::string& failure);

// Takes a complete line off the front of `pending`, if there is one.
std::optional<std::string> takeLine(std::string& pending);

}  // namespace station
