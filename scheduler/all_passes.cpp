#include "scheduler/all_passes.hpp"

#include "scheduler/pass_list.hpp"
#include "scheduler/scheduler.hpp"
#include "station/unexpected_failure.hpp"
#include "text/numbers.hpp"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <limits>
#include <mutex>
#include <new>
#include <ostream>
#include <thread>

namespace station {

namespace {

constexpr std::size_t elementLineLength = 69;
// A progress line only for work that keeps the operator waiting, redrawn a few times a second.
constexpr auto progressAfter = std::chrono::seconds(1);
constexpr auto progressEvery = std::chrono::milliseconds(200);

std::string withoutTrailingBlanks(std::string text) {
    text.erase(text.find_last_not_of(" \t\r") + 1);
    return text;
}

// The last column of an element line: the sum of its digits, a minus sign counting 1, modulo 10.
bool checksumHolds(const std::string& line) {
    int sum = 0;
    for (std::size_t i = 0; i + 1 < elementLineLength; ++i) {
        const char c = line[i];
        if (c >= '0' && c <= '9') {
            sum += c - '0';
        } else if (c == '-') {
            sum += 1;
        }
    }
    return line[elementLineLength - 1] == static_cast<char>('0' + sum % 10);
}

std::string elementLinesProblem(const std::string& line1, const std::string& line2) {
    if (line1.size() < elementLineLength || line2.size() < elementLineLength) {
        return "element line too short";
    }
    if (!checksumHolds(line1) || !checksumHolds(line2)) {
        return "checksum error";
    }
    if (line1.substr(2, 5) != line2.substr(2, 5)) {
        return "element lines of two satellites";
    }
    return {};
}

bool isElementLine(const std::string& line, char number) {
    return line.size() >= 2 && line[0] == number && line[1] == ' ';
}

// What every search of one run shares.
struct SearchContext {
    OrbitConstants constants;
    ObserverSite site;
    PassSearchSettings settings;
    OrbitModel model = OrbitModel::builtIn;
    ClockTime start;
    double until = 0;      // continuous day: passes that begin before it are listed
    float minimum = 0;     // radians
    std::vector<std::string> scheduled;  // lookup names of MIRADOS.CFG's entries
    std::vector<std::string> watched;
};

struct SetPasses {
    std::vector<ListedPass> passes;
    std::string problem;  // why the set is named in the summary; empty when it is not
};

// Every pass of one set, each search from the LOS before, as the pass list searches an entry.
SetPasses searchSet(const FileElementSet& set, const SearchContext& context) {
    SetPasses result;
    result.problem = set.problem;
    if (!set.problem.empty()) {
        return result;
    }
    SatelliteOrbit orbit = satelliteOrbit(context.model, set.elements);
    if (!orbit.problem.empty()) {
        result.problem = orbit.problem;
        return result;
    }
    auto named = [&set](const std::vector<std::string>& names) {
        return std::find(names.begin(), names.end(), upperCase(set.name)) != names.end();
    };
    const bool scheduled = named(context.scheduled);
    const bool entry = scheduled || named(context.watched);
    PassSearchDisplay quiet;
    SatelliteState state;
    ClockTime from = context.start;
    double lastLos = -std::numeric_limits<double>::infinity();
    for (;;) {
        const PassPrediction found = predictPass(context.constants, orbit, context.site, context.settings, from,
                                                 state, quiet);
        if (found.modelError != Sgp4Error::none && result.problem.empty()) {
            result.problem = sgp4ErrorText(found.modelError);
        }
        if (!found.found || !(continuousDay(found.year, found.aos) < context.until)) {
            break;
        }
        if (static_cast<float>(found.maximumElevation) > context.minimum) {
            const PassRow row{set.name,  from.year,     found.aos, found.aosLocal,
                              found.los, found.losLocal, static_cast<float>(found.maximumElevation)};
            result.passes.push_back(
                {row, scheduled, true, found.geostationary, found.azimuthAtAos, found.azimuthAtLos, {}, entry});
        }
        const double los = continuousDay(from.year, dayNumberOf(found.nextStart));
        if (!(los > lastLos)) {
            break;
        }
        lastLos = los;
        from = found.nextStart;
    }
    return result;
}

// Searches the sets on every core; `progress` is called now and then from this thread with the
// number of sets done.
template <typename Progress>
std::vector<SetPasses> searchAll(const std::vector<FileElementSet>& sets, const SearchContext& context,
                                 Progress progress) {
    std::vector<SetPasses> results(sets.size());
    std::atomic<std::size_t> next{0};
    std::size_t done = 0;
    std::mutex mutex;
    std::condition_variable finished;
    std::exception_ptr failure;
    auto work = [&] {
        try {
            for (std::size_t i; (i = next++) < sets.size();) {
                results[i] = searchSet(sets[i], context);
                const std::lock_guard lock(mutex);
                ++done;
                finished.notify_one();
            }
        } catch (...) {
            const std::lock_guard lock(mutex);
            failure = std::current_exception();
            next = sets.size();
            done = sets.size();
            finished.notify_one();
        }
    };
    const std::size_t workers =
        std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, std::max<std::size_t>(sets.size(), 1));
    std::vector<std::thread> threads;
    for (std::size_t w = 0; w < workers; ++w) {
        threads.emplace_back(work);
    }
    {
        std::unique_lock lock(mutex);
        while (!finished.wait_for(lock, progressEvery, [&] { return done >= sets.size(); })) {
            progress(done);
        }
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    if (failure) {
        std::rethrow_exception(failure);
    }
    return results;
}

std::vector<std::string> lookupNames(const EntryList& entries) {
    std::vector<std::string> names;
    for (const std::string& entry : entries) {
        if (!entry.empty()) {
            names.push_back(lookupNameOf(entry));
        }
    }
    return names;
}

}  // namespace

std::vector<FileElementSet> elementSetsOf(const std::string& fileText) {
    std::vector<FileElementSet> sets;
    const std::vector<std::string> lines = splitLines(fileText);
    std::optional<std::string> name;  // a name line still waiting for its element lines
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string line = withoutTrailingBlanks(lines[i]);
        if (line.empty()) {
            continue;
        }
        if (isElementLine(line, '1') && i + 1 < lines.size() && isElementLine(lines[i + 1], '2')) {
            const std::string line2 = withoutTrailingBlanks(lines[++i]);
            FileElementSet set;
            set.name = name ? *name : "catalogue number " + withoutTrailingBlanks(line.substr(2, 5));
            set.problem = elementLinesProblem(line, line2);
            if (set.problem.empty()) {
                set.elements = parseElementLines(line, line2);
            }
            sets.push_back(std::move(set));
            name.reset();
        } else if (isElementLine(line, '1') || isElementLine(line, '2')) {
            sets.push_back({name ? *name : line.substr(0, 24), {}, "element line without its partner"});
            name.reset();
        } else {
            if (name) {
                sets.push_back({*name, {}, "no element lines"});
            }
            name = line;
        }
    }
    if (name) {
        sets.push_back({*name, {}, "no element lines"});
    }
    return sets;
}

int printAllPasses(Console& console, const AllPassesOptions& options, std::ostream& out, std::ostream& err) {
    Scheduler scheduler(console);
    scheduler.fatalErrorsTo = &err;
    const LocalTime from = console.clock.now();
    int status = 0;
    try {
        reportingUnexpectedFailures(
            [&] {
                scheduler.startUp();
                scheduler.readSettings();
                const Station& station = scheduler.station;
                const std::optional<std::string> text = console.files.readText(station.elementFileName);
                if (!text) {
                    err << "Cannot read the keplerian data file " << station.elementFileName << '\n';
                    status = 1;
                    return;
                }
                const std::vector<FileElementSet> sets = elementSetsOf(*text);

                SearchContext context;
                context.constants = scheduler.constants;
                context.site = observerOf(station);
                context.settings = scheduler.searchSettings();
                // A search need not look past the span: no pass that begins later is listed.
                context.settings.boundDays = options.days;
                context.model = station.orbitModel;
                context.start = readClock(console.clock, station.utcOffsetHours);
                context.until = continuousDay(context.start.year, dayNumberOf(context.start)) + options.days;
                context.minimum = options.minimumElevation.value_or(scheduler.settings.minimumPassElevation);
                context.scheduled = lookupNames(scheduler.settings.scheduledEntries);
                context.watched = lookupNames(scheduler.settings.nonScheduledEntries);

                const auto began = std::chrono::steady_clock::now();
                bool progressShown = false;
                const std::vector<SetPasses> results = searchAll(sets, context, [&](std::size_t done) {
                    if (options.progress && std::chrono::steady_clock::now() - began > progressAfter) {
                        err << "\rSearching the passes of " << sets.size() << " sets: " << done << " done" << std::flush;
                        progressShown = true;
                    }
                });
                if (progressShown) {
                    err << "\r\033[K" << std::flush;
                }

                std::vector<ListedPass> passes;
                std::string leftOut;
                std::size_t leftOutCount = 0;
                for (std::size_t i = 0; i < sets.size(); ++i) {
                    passes.insert(passes.end(), results[i].passes.begin(), results[i].passes.end());
                    if (!results[i].problem.empty()) {
                        leftOut += (leftOutCount++ == 0 ? "" : ", ") + sets[i].name + " (" + results[i].problem + ")";
                    }
                }
                std::stable_sort(passes.begin(), passes.end(), [](const ListedPass& a, const ListedPass& b) {
                    return a.pass.aosDay() < b.pass.aosDay();
                });
                PassListHeading heading{from, options.days, station.utcOffsetHours, context.minimum};
                heading.minimumGiven = options.minimumElevation.has_value();
                out << (options.csv ? passListCsv(passes) : passListText(heading, passes));
                if (leftOutCount > 0) {
                    err << "Left out " << leftOutCount << " of " << sets.size() << " sets: " << leftOut << '\n';
                }
            },
            [&](int errorNumber) { scheduler.failUnexpectedly(errorNumber); });
    } catch (const ProgramExit& exit) {
        return exit.status;
    }
    out.flush();
    return status != 0 ? status : out ? 0 : 1;
}

}  // namespace station
