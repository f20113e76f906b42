#include "console/event_log.hpp"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace station {

namespace {

// Appends the text with one write() to a file opened for appending, so that another writer or a
// crash can never interleave or cut a line; a file that would pass `limit` is first renamed to
// NAME.1. The file is opened for every line: rare events cost little, and a log moved or removed
// by the operator is started again at once. Returns 0 or the errno of the failure.
int appendToLog(const std::filesystem::path& path, std::string_view text, std::uintmax_t limit) {
    constexpr int flags = O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOCTTY;
    int fd = ::open(path.c_str(), flags, 0644);
    if (fd < 0) {
        return errno;
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0) {
        const int error = errno;
        ::close(fd);
        return error;
    }
    const auto size = static_cast<std::uintmax_t>(status.st_size);
    if (S_ISREG(status.st_mode) && size > 0 && size + text.size() > limit) {
        ::close(fd);
        const std::string older = path.string() + ".1";
        if (std::rename(path.c_str(), older.c_str()) != 0) {
            return errno;
        }
        fd = ::open(path.c_str(), flags, 0644);
        if (fd < 0) {
            return errno;
        }
    }
    int error = 0;
    const ssize_t written = ::write(fd, text.data(), text.size());
    if (written != static_cast<ssize_t>(text.size())) {
        error = written < 0 ? errno : ENOSPC;
        if (written > 0) {
            // A full disk took part of the line: take it back, so the log holds whole lines only.
            const off_t end = ::lseek(fd, 0, SEEK_CUR);
            if (end >= written) {
                [[maybe_unused]] const int ignored = ::ftruncate(fd, end - written);
            }
        }
    }
    if (::close(fd) != 0 && error == 0) {
        error = errno;
    }
    return error;
}

std::string counted(long count, std::string_view thing) {
    return std::to_string(count) + " " + std::string(thing) + (count == 1 ? "" : "s");
}

}  // namespace

std::int64_t utcSecondsOf(const LocalTime& local, float utcOffsetHours) {
    std::tm fields{};
    fields.tm_year = local.year - 1900;
    fields.tm_mon = local.month - 1;
    fields.tm_mday = local.day;
    fields.tm_hour = local.hour;
    fields.tm_min = local.minute;
    fields.tm_sec = local.second;
    const auto seconds = static_cast<std::int64_t>(::timegm(&fields));
    // KELVORIN.CFG refuses offsets a field cannot hold; one of days is still a time, nothing more.
    const double offset = std::isfinite(utcOffsetHours) && std::fabs(utcOffsetHours) < 1e6 ? utcOffsetHours : 0.0;
    return seconds + std::llround(offset * 3600);
}

std::string isoUtcText(std::int64_t utcSeconds) {
    const auto seconds = static_cast<std::time_t>(utcSeconds);
    std::tm fields{};
    ::gmtime_r(&seconds, &fields);
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02dZ", fields.tm_year + 1900, fields.tm_mon + 1,
                  fields.tm_mday, fields.tm_hour, fields.tm_min, fields.tm_sec);
    return text;
}

std::string logLine(std::int64_t utcSeconds, std::string_view text) {
    std::string line = isoUtcText(utcSeconds);
    line += ' ';
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        line += (byte < 32 || byte == 127) ? '?' : c;
    }
    line += '\n';
    return line;
}

EventLog::EventLog(const Files& files, std::string name, Clock& clock)
    : files_(files), name_(std::move(name)), clock_(clock) {}

std::int64_t EventLog::now() const { return utcSecondsOf(clock_.now(), utcOffsetHours_); }

void EventLog::record(std::string_view text) {
    const std::int64_t at = now();
    for (const Shown& shown : shown_) {
        if (shown.repeats > 0) {
            write(at, countedText(shown, shown.repeats));
        }
    }
    shown_.clear();
    write(at, text);
}

void EventLog::message(std::string_view text) {
    if (text.empty()) {
        return;
    }
    const std::int64_t at = now();
    auto same = std::find_if(shown_.begin(), shown_.end(), [text](const Shown& shown) { return shown.text == text; });
    if (same != shown_.end() && at >= same->loggedAt && at - same->loggedAt < foldSeconds) {
        // Shown again within the second of its line: the screen redrawn, not a new showing.
        if (at > same->loggedAt) {
            ++same->repeats;
        }
        return;
    }
    if (same != shown_.end()) {
        // Shown again after its time: one line with the count, this showing included.
        write(at, same->repeats > 0 ? countedText(*same, same->repeats + 1) : std::string(text));
        shown_.erase(same);
    } else {
        if (shown_.size() == remembered) {
            if (shown_.front().repeats > 0) {
                write(at, countedText(shown_.front(), shown_.front().repeats));
            }
            shown_.erase(shown_.begin());
        }
        write(at, text);
    }
    shown_.push_back({std::string(text), at, 0});
}

std::string EventLog::countedText(const Shown& shown, int times) {
    return "Shown " + std::to_string(times) + " more " + (times == 1 ? "time" : "times") + " since " +
           isoUtcText(shown.loggedAt) + ": " + shown.text;
}

void EventLog::write(std::int64_t at, std::string_view text) {
    std::string lines;
    if (failure_ != 0) {
        lines += logLine(at, "Log not written since " + isoUtcText(failedSince_) + " (" + std::strerror(failure_) +
                                 "): " + counted(lostLines_, "event") + " lost");
    }
    lines += logLine(at, text);
    const int error = appendToLog(files_.pathFor(name_), lines, limitBytes);
    if (error == 0) {
        failure_ = 0;
        lostLines_ = 0;
        failureReported_ = false;
    } else {
        if (failure_ == 0) {
            failedSince_ = at;
        }
        failure_ = error;
        ++lostLines_;
    }
}

std::string EventLog::takeFailureReport() {
    if (failure_ == 0 || failureReported_) {
        return {};
    }
    failureReported_ = true;
    return "Log " + name_ + " not written (" + std::strerror(failure_) + "); trying again later.";
}

}  // namespace station
