#include "elementupdate/update.hpp"

#include "config/scheduler_settings.hpp"
#include "config/station.hpp"
#include "elementupdate/download_cache.hpp"
#include "elementupdate/element_sets.hpp"
#include "elementupdate/omm.hpp"
#include "orbit/elements.hpp"
#include "text/numbers.hpp"

#include <algorithm>
#include <optional>
#include <ostream>

namespace station {

namespace {

constexpr std::string_view program = "kelvorin-elements: ";
constexpr int notModified = 304;
// Invalid sets reported one by one per source; the rest are only counted.
constexpr std::size_t invalidSetsListed = 10;
// How much of a source's first line a refusal quotes (enough to recognise an HTML page).
constexpr std::size_t quotedLength = 60;
// A source fetched this recently is taken from the cache: the services refuse stations that ask
// more often.
constexpr std::int64_t refetchAfterSeconds = 2 * 60 * 60;

std::string firstLineOf(std::string_view text) {
    const auto start = text.find_first_not_of(" \t\r\n");
    if (start == std::string_view::npos) {
        return {};
    }
    const auto end = text.find_first_of("\r\n", start);
    std::string line(
        text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
    if (line.size() > quotedLength) {
        line = line.substr(0, quotedLength) + "...";
    }
    return line;
}

bool holdsName(const std::string& elementFile, const std::string& lookupName) {
    if (lookupName.empty()) {
        return false;
    }
    const std::vector<std::string> lines = splitLines(elementFile);
    return std::any_of(lines.begin(), lines.end(),
                       [&](const std::string& line) { return nameKey(line) == lookupName; });
}

std::string listed(const std::vector<NamedSatellite>& satellites) {
    std::string text;
    for (const NamedSatellite& satellite : satellites) {
        text += (text.empty() ? "" : ", ") + satellite.lookupName + " (" + satellite.namedIn + ")";
    }
    return text;
}

// One run of the command: the messages go to `err` with the program's name in front.
class ElementUpdate {
public:
    ElementUpdate(const ElementUpdateOptions& options, const Files& files, Downloader& downloader,
                  std::int64_t now, std::ostream& out, std::ostream& err)
        : options_(options), files_(files), downloader_(downloader), cache_(files.directory()), now_(now),
          out_(out), err_(err) {}

    int run();

private:
    void message(const std::string& text) { err_ << program << text << "\n"; }
    int notReplaced(const std::string& reason) {
        message(reason);
        message(fileName_ + " not replaced");
        return updateStatus::refused;
    }
    // A refusal that --force overrides: the source or the check is then passed over.
    bool refuses(const std::string& reason) {
        if (!options_.force) {
            return true;
        }
        message(reason + " (going on: --force)");
        return false;
    }
    bool readSource(const std::string& source, std::string& refusal);
    SourceText fetch(const std::string& url, std::string& refusal);
    void keepCopy(const std::string& url, const SourceText& text);
    void reportInvalid(const std::string& source, const std::vector<InvalidSet>& invalid);

    const ElementUpdateOptions& options_;
    const Files& files_;
    Downloader& downloader_;
    DownloadCache cache_;
    std::int64_t now_;  // seconds since 1970, UTC
    std::ostream& out_;
    std::ostream& err_;

    std::string fileName_;  // the element file as it stands in the directory
    AliasTable aliases_;
    ElementSetMerge merge_;
    std::size_t renamed_ = 0;
    std::size_t invalid_ = 0;
};

int ElementUpdate::run() {
    const auto elementFileName = readElementFileName(files_);
    if (!elementFileName && elementFileName.error() == FileFailure::notFound) {
        message("cannot find KELVORIN.CFG in " + files_.directory().string() +
                " (run kelvorin-elements in the station directory)");
        return updateStatus::refused;
    }
    // A file that cannot be read names no element file either.
    const std::string elementFile = elementFileName ? nameKey(*elementFileName) : std::string();
    if (elementFile.empty()) {
        message("KELVORIN.CFG names no keplerian data file (value 2)");
        return updateStatus::refused;
    }
    const std::filesystem::path target = files_.pathFor(elementFile);
    fileName_ = std::filesystem::path(elementFile).parent_path().append(target.filename().string()).string();

    if (!options_.aliasFile.empty()) {
        const SourceText text = readSourceFile(files_.directory(), options_.aliasFile);
        if (!text.ok) {
            return notReplaced("alias file " + options_.aliasFile + ": " + text.error);
        }
        aliases_ = parseAliases(text.text);
        if (!aliases_.error.empty()) {
            return notReplaced("alias file " + options_.aliasFile + " " + aliases_.error);
        }
    }

    for (const std::string& source : options_.sources) {
        std::string refusal;
        if (!readSource(source, refusal) && refuses(refusal)) {
            return notReplaced(refusal);
        }
    }
    if (merge_.sets().empty()) {
        return notReplaced("no element sets to write");
    }

    std::optional<std::string> previous;
    if (files_.find(elementFile)) {
        previous = files_.readText(elementFile);
        if (!previous) {
            return notReplaced("cannot read the current " + fileName_ + " to keep it as a backup");
        }
    }

    std::string namesError;
    const std::vector<NamedSatellite> named = satellitesNamed(files_, namesError);
    if (!namesError.empty() && refuses(namesError)) {
        return notReplaced(namesError);
    }
    std::vector<NamedSatellite> dropped;
    std::vector<NamedSatellite> missing;
    for (const NamedSatellite& satellite : named) {
        if (merge_.holds(satellite.lookupName)) {
            continue;
        }
        (previous && holdsName(*previous, satellite.lookupName) ? dropped : missing).push_back(satellite);
    }
    if (!missing.empty()) {
        message("no element set in the old or the new file for " + listed(missing));
    }
    if (!dropped.empty() && refuses("the new file would drop " + listed(dropped))) {
        return notReplaced("the new file would drop " + listed(dropped) + "; --force replaces it anyway");
    }

    const std::string backup = fileName_ + ".BAK";
    const std::string written = formatElementFile(merge_.sets());
    // Writing the same sets again would overwrite the backup of the file before them.
    const bool same = previous == written;
    if (previous && !same && !files_.replace(backup, *previous)) {
        return notReplaced("cannot write the backup " + backup);
    }
    if (!same && !files_.replace(elementFile, written)) {
        return notReplaced("cannot write " + fileName_);
    }
    const MergeCounts& counts = merge_.counts();
    out_ << fileName_ << ": " << std::to_string(merge_.sets().size())
         << (same ? " sets, the same as before: not written" : " sets written") << ", "
         << std::to_string(renamed_) << " renamed, " << std::to_string(invalid_) << " skipped as invalid, "
         << (same       ? "backup left as it was"
             : previous ? "previous file kept as " + backup
                        : std::string("no previous file"))
         << "\n"
         << fileName_ << ": " << std::to_string(merge_.sets().size()) << " kept by catalogue number, "
         << std::to_string(counts.replaced) << " replaced by a newer epoch, " << std::to_string(counts.older)
         << " ignored as older, " << std::to_string(counts.sameEpoch)
         << " of the same epoch taken from the later source\n";
    return updateStatus::replaced;
}

bool ElementUpdate::readSource(const std::string& source, std::string& refusal) {
    const SourceText text =
        isUrl(source) ? fetch(source, refusal) : readSourceFile(files_.directory(), source);
    if (!text.ok) {
        if (refusal.empty()) {
            refusal = source + ": " + text.error;
        }
        return false;
    }
    if (text.text.find_first_not_of(" \t\r\n") == std::string::npos) {
        refusal = source + " is empty";
        return false;
    }
    const SourceForm form = sourceFormOf(text.text);
    const OmmSource omm = readOmmSource(text.text, form);
    if (!omm.broken.empty()) {
        refusal = source + ": " + omm.broken;
        return false;
    }
    SourceSets sets = form == SourceForm::twoLine ? readElementSets(text.text) : omm.sets;
    if (sets.sets.empty() && form == SourceForm::twoLine) {
        refusal = source + " holds no valid element sets (it begins \"" + firstLineOf(text.text) + "\")";
        return false;
    }
    reportInvalid(source, sets.invalid);
    if (sets.sets.empty()) {
        refusal = source + " holds no valid " + std::string(sourceFormName(form)) + " record";
        return false;
    }
    if (isUrl(source) && text.status != notModified) {
        keepCopy(source, text);
    }
    invalid_ += sets.invalid.size();
    for (ElementSetLines& set : sets.sets) {
        if (applyAlias(aliases_, set)) {
            ++renamed_;
        }
        merge_.add(std::move(set));
    }
    return true;
}

// The text of a URL: from the cache when it was fetched less than two hours ago (unless
// --force), else downloaded, conditionally when a copy is cached. A 304 answer gives the cached
// copy with status 304.
SourceText ElementUpdate::fetch(const std::string& url, std::string& refusal) {
    const std::optional<CachedDownload> cached = cache_.find(url);
    // A fetch time in the future (a clock set back) says nothing about the copy's age.
    const std::int64_t age = cached ? now_ - cached->fetchedAt : -1;
    if (cached && !options_.force && age >= 0 && age < refetchAfterSeconds) {
        out_ << url << ": fetched " << std::to_string(age / 60)
             << " minutes ago, taken from the cache (--force fetches it again)\n";
        return SourceText::read(cached->text, notModified, cached->lastModified);
    }
    SourceText answer = downloader_.download(url, cached ? cached->lastModified : std::string());
    if (!answer.ok) {
        refusal = url + ": download failed: " + answer.error;
        return answer;
    }
    const int status = answer.status;
    if (status == notModified && cached && !cached->lastModified.empty()) {
        out_ << url << ": not modified since " << cached->lastModified << ", the cached copy is used\n";
        keepCopy(url, SourceText::read(cached->text, status, cached->lastModified));
        return SourceText::read(cached->text, notModified, cached->lastModified);
    }
    const std::string code = "(HTTP " + std::to_string(status) + ")";
    if (status == 403 || status == 429 || (status >= 500 && status <= 599)) {
        refusal = url + ": refused by the server " + code + ": the old file is kept";
    } else if (status != 0 && (status < 200 || status > 299)) {
        refusal = url + ": download failed " + code;
    }
    answer.ok = refusal.empty();
    return answer;
}

// Remembers a copy that held element sets, with the time it was fetched; a copy that held none
// is not kept, so that the next run asks again.
void ElementUpdate::keepCopy(const std::string& url, const SourceText& text) {
    const WriteResult kept = cache_.store({url, now_, text.lastModified, text.text});
    if (!kept) {
        message("cannot keep a copy of " + url + " in " + std::string(downloadCacheFolder) + ": " +
                kept.failure);
    }
}

void ElementUpdate::reportInvalid(const std::string& source, const std::vector<InvalidSet>& invalid) {
    for (std::size_t i = 0; i < invalid.size() && i < invalidSetsListed; ++i) {
        const InvalidSet& set = invalid[i];
        message(source + (set.isRecord ? " record " : " line ") + std::to_string(set.lineNumber) + ": " +
                (set.name.empty() ? std::string() : set.name + ": ") + set.problem +
                (set.isRecord ? "; record refused" : "; set skipped"));
    }
    if (invalid.size() > invalidSetsListed) {
        message(source + ": " + std::to_string(invalid.size() - invalidSetsListed) +
                " more invalid sets skipped");
    }
}

}  // namespace

ElementUpdateArguments parseElementUpdateArguments(const std::vector<std::string>& args) {
    ElementUpdateArguments parsed;
    ElementUpdateOptions& options = parsed.options;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
            options.sources.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--force") {
            options.force = true;
        } else if (arg == "--help") {
            options.help = true;
        } else if (arg == "--aliases") {
            if (i + 1 == args.size()) {
                parsed.error = "--aliases needs a FILE";
                return parsed;
            }
            options.aliasFile = args[++i];
        } else if (arg.rfind("--aliases=", 0) == 0) {
            options.aliasFile = arg.substr(std::string_view("--aliases=").size());
        } else {
            parsed.error = "unknown option " + arg;
            return parsed;
        }
    }
    if (!options.help && options.sources.empty()) {
        parsed.error = "no SOURCE given";
    }
    return parsed;
}

std::vector<NamedSatellite> satellitesNamed(const Files& files, std::string& error) {
    std::vector<NamedSatellite> named;
    auto add = [&](const std::string& designation, std::string_view file) {
        const std::string lookupName = lookupNameOf(designation);
        const bool known = std::any_of(named.begin(), named.end(),
                                       [&](const NamedSatellite& n) { return n.lookupName == lookupName; });
        if (!lookupName.empty() && !known) {
            named.push_back({lookupName, std::string(file)});
        }
    };

    if (files.find("MIRADOS.CFG")) {
        const auto settings = readSchedulerEntries(files);
        if (!settings) {
            error = "cannot read MIRADOS.CFG to see which satellites it names";
            return named;
        }
        for (const EntryList* entries : {&settings->scheduledEntries, &settings->nonScheduledEntries}) {
            for (const std::string& entry : *entries) {
                add(entry, "MIRADOS.CFG");
            }
        }
    }

    if (files.find("KELVORIN.CMD")) {
        const auto text = files.readText("KELVORIN.CMD");
        if (!text) {
            error = "cannot read KELVORIN.CMD to see which satellite it names";
            return named;
        }
        const std::vector<std::string> lines = splitLines(*text);
        const std::string designation = lines.empty() ? std::string() : upperCase(lines.front());
        if (designation != "NONE") {
            add(designation, "KELVORIN.CMD");
        }
    }
    return named;
}

int runElementUpdate(const std::vector<std::string>& args, const Files& files, Downloader& downloader,
                     std::int64_t now, std::ostream& out, std::ostream& err) {
    const ElementUpdateArguments parsed = parseElementUpdateArguments(args);
    if (!parsed.error.empty()) {
        err << program << parsed.error << "\n"
            << elementUpdateUsage.substr(0, elementUpdateUsage.find('\n') + 1);
        return updateStatus::usageError;
    }
    if (parsed.options.help) {
        out << elementUpdateUsage;
        return 0;
    }
    return ElementUpdate(parsed.options, files, downloader, now, out, err).run();
}

}  // namespace station
