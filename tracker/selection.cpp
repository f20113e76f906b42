#include "tracker/selection.hpp"

#include "text/numbers.hpp"
#include "tracker/screen.hpp"

#include <sys/stat.h>

#include <optional>

namespace station {

void takeDesignation(TrackerState& tracker, std::string_view text) {
    tracker.selection.satelliteDesignation = upperCase(text);
    tracker.selection.lookupName = lookupNameOf(tracker.selection.satelliteDesignation);
}

void takeCommandLine(TrackerState& tracker) {
    takeDesignation(tracker, tracker.commandLine);
    tracker.commandLine.clear();
    tracker.selectionMode = SelectionMode::commandLine;
    showSelectionMode(tracker, commandLineModeText);
}

std::size_t roomAfterPrompt(std::string_view prompt) {
    return prompt.size() < messageLineWidth ? messageLineWidth - prompt.size() : 0;
}

void askDesignation(TrackerState& tracker) {
    constexpr std::string_view prompt = "Which satellite would you like to track? ";
    tracker.showMessage(prompt);
    takeDesignation(tracker, readLineWithEcho(tracker.console, roomAfterPrompt(prompt)));
    tracker.screen().printAt(24, 3, std::string(messageLineWidth, ' '));
}

std::string firstLineOf(std::string_view text) {
    return std::string(text.substr(0, text.find_first_of("\r\n")));
}

namespace {

// Without a watch, the command file is read in full at least this often, in polls (about a
// tenth of a second).
constexpr int pollsPerFullRead = 100;
// With a watch, it is read again this often even when no change was reported: file systems that
// do not report every change (network ones) are still followed.
constexpr std::int64_t watchedRereadMillis = 10'000;

std::optional<std::array<std::int64_t, 5>> stampOf(const std::filesystem::path& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        return std::nullopt;
    }
    auto nanoseconds = [](const timespec& time) {
        return static_cast<std::int64_t>(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
    };
    return std::array<std::int64_t, 5>{static_cast<std::int64_t>(status.st_dev),
                                       static_cast<std::int64_t>(status.st_ino),
                                       static_cast<std::int64_t>(status.st_size), nanoseconds(status.st_mtim),
                                       nanoseconds(status.st_ctim)};
}

// True when the file is as it was at the last full read, which is not too long ago.
bool unchangedSinceLastRead(CommandFileWatch& watch, Console& console) {
    if (!watch.valid) {
        return false;
    }
    if (console.sleeper.fileWatched()) {
        const std::int64_t since = console.clock.epochMillis() - watch.readAtMillis;
        return since >= 0 && since < watchedRereadMillis;
    }
    if (++watch.pollsSinceRead >= pollsPerFullRead) {
        return false;
    }
    const auto stamp = stampOf(watch.path);
    return stamp && *stamp == watch.stamp;
}

}  // namespace

std::optional<CommandFileFailure> pollCommandFile(TrackerState& tracker) {
    CommandFileWatch& watch = tracker.commandFile;
    std::optional<CommandFileFailure> failed;
    if (unchangedSinceLastRead(watch, tracker.console)) {
        tracker.selection.satelliteDesignation = watch.firstLine;
    } else {
        watch.valid = false;
        const Files& files = tracker.console.files;
        const auto path = files.find(commandFileName);
        // Stamped before reading: a change during the read shows at the next poll.
        const auto stamp = path ? stampOf(*path) : std::nullopt;
        auto file = files.open(commandFileName);
        const auto content = file ? Files::readAll(*file) : std::nullopt;
        if (content) {
            tracker.selection.satelliteDesignation = firstLineOf(*content);
            if (path && stamp) {
                watch = {true, *path, *stamp, tracker.selection.satelliteDesignation, 0, tracker.console.clock.epochMillis()};
            }
        } else {
            failed = file ? CommandFileFailure::unreadable : CommandFileFailure::missing;
        }
    }
    takeDesignation(tracker, tracker.selection.satelliteDesignation);
    if (tracker.selection.satelliteDesignation == "NONE") {
        tracker.selection.satelliteDesignation.clear();
        tracker.selection.lookupName.clear();
    }
    return failed;
}

}  // namespace station
