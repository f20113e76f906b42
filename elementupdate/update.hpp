#pragma once
// kelvorin-elements: replaces the station's keplerian data file with the valid element sets of
// one or more downloads or files (two-line sets or OMM groups), one per catalogue number,
// renamed through an alias file. It refuses what looks like a
// failed download, and a file that would lose a satellite the station files name, so that an
// unattended station never ends up without the sets it tracks.
#include "console/files.hpp"
#include "elementupdate/sources.hpp"

#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace station {

inline constexpr std::string_view elementUpdateUsage =
    "Usage: kelvorin-elements [--force] [--aliases FILE] [--help] SOURCE...\n"
    "Replaces the keplerian data file named by value 2 of KELVORIN.CFG in the current\n"
    "directory with the valid element sets of the sources; the previous file is kept\n"
    "as NAME.BAK.\n"
    "\n"
    "  SOURCE          an http://, https:// or ftp:// URL (fetched with curl, asked again\n"
    "                  only after 2 hours, then if modified; copies in ELEMENTS.CACHE) or\n"
    "                  a file: two-line sets, or an OMM group as JSON, CSV or XML\n"
    "  --aliases FILE  renames sets, one DOWNLOADED NAME=STATION NAME a line\n"
    "                  (for example ISS (ZARYA)=ISS); lines starting with ; are comments\n"
    "  --force         replaces the file even when a source fails, is empty or holds no\n"
    "                  element sets, or when a satellite named in MIRADOS.CFG or\n"
    "                  KELVORIN.CMD would be dropped; fetches URLs again within 2 hours\n"
    "  --help          prints this text and exits\n"
    "\n"
    "Exit status: 0 file replaced, 1 file not replaced (left untouched), 2 usage error.\n";

namespace updateStatus {
inline constexpr int replaced = 0;
inline constexpr int refused = 1;
inline constexpr int usageError = 2;
}  // namespace updateStatus

struct ElementUpdateOptions {
    bool force = false;
    bool help = false;
    std::string aliasFile;  // empty: no renaming
    std::vector<std::string> sources;
};

// The options, or in `error` what is wrong with the arguments.
struct ElementUpdateArguments {
    ElementUpdateOptions options;
    std::string error;
};
ElementUpdateArguments parseElementUpdateArguments(const std::vector<std::string>& args);

// A satellite the station files name, by its lookup name, and the file that names it.
struct NamedSatellite {
    std::string lookupName;
    std::string namedIn;
};

// The satellites of MIRADOS.CFG (scheduled and watched entries) and KELVORIN.CMD (its first
// line unless NONE), each once. A missing file names none; `error` tells of one that cannot be
// read.
std::vector<NamedSatellite> satellitesNamed(const Files& files, std::string& error);

// The whole command in the directory of `files` at `now` (seconds since 1970, UTC); the exit
// status.
int runElementUpdate(const std::vector<std::string>& args, const Files& files, Downloader& downloader,
                     std::int64_t now, std::ostream& out, std::ostream& err);

}  // namespace station
