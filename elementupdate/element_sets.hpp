#pragma once
// Two-line element sets as they are distributed: a name line, then line 1 and line 2. A download
// is taken apart into the sets whose lines have the published layout and checksums, and the rest,
// which is counted and reported but never written to the station's element file.
#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace station {

inline constexpr std::size_t elementLineLength = 69;

// One set as it stands in a file; the name without its trailing blanks.
struct ElementSetLines {
    std::string name;
    std::string line1;
    std::string line2;
};

// A set that is not kept, and why.
struct InvalidSet {
    std::size_t lineNumber = 0;  // its first line in the source, counted from 1
    std::string name;            // empty when it had none
    std::string problem;
    bool isRecord = false;  // lineNumber counts the records of an OMM source, not lines
};

struct SourceSets {
    std::vector<ElementSetLines> sets;
    std::vector<InvalidSet> invalid;
};

// The modulo-10 sum of columns 1 to 68: each digit adds its value, each "-" adds 1.
int elementLineChecksum(std::string_view line);

// What is wrong with the text as line `number` (1 or 2) of a set, or "" when nothing is:
// length, line number, blanks and decimal points, checksum.
std::string elementLineProblem(std::string_view line, int number);

// What is wrong with the set as a whole, or "" when it is valid.
std::string elementSetLinesProblem(const ElementSetLines& set);

// Every set of a text, valid or not. Blank lines are ignored; trailing blanks of a line are not
// part of it. A name line followed by line 1 and line 2 is one set; a line 1 or 2 out of that
// order, or a name line without its element lines, is an invalid set.
SourceSets readElementSets(std::string_view text);

// The form in which the programs compare a name line with a satellite's lookup name: upper
// case, trailing blanks removed.
std::string nameKey(std::string_view name);

// DOWNLOADED NAME=STATION NAME, one a line; lines starting with ";" are comments.
struct AliasTable {
    std::map<std::string, std::string> stationNameOf;  // by the nameKey of the downloaded name
    std::string error;  // the first line that is not an alias, "" when every line is one
};
AliasTable parseAliases(std::string_view text);

// Gives the set its station name when the table has an alias for it; true when it did.
bool applyAlias(const AliasTable& aliases, ElementSetLines& set);

// What a merge did with the sets given to it, besides keeping one per catalogue number.
struct MergeCounts {
    std::size_t replaced = 0;   // by a set of a newer epoch
    std::size_t older = 0;      // given after a newer set and ignored
    std::size_t sameEpoch = 0;  // replaced by a later source's set of the same epoch
};

// The sets of one element file: one per catalogue number, the one with the newest epoch whatever
// its source or name, in the order the catalogue numbers first came. The sets given to it are
// valid, so their catalogue numbers can be read.
class ElementSetMerge {
public:
    void add(ElementSetLines set);
    const std::vector<ElementSetLines>& sets() const { return sets_; }
    const MergeCounts& counts() const { return counts_; }
    // True when a set's name line is the lookup name.
    bool holds(std::string_view lookupName) const;

private:
    std::vector<ElementSetLines> sets_;
    std::map<long, std::size_t> indexOf_;  // by catalogue number
    MergeCounts counts_;
};

// The element file: name line, line 1, line 2 for each set, every line ended by LF.
std::string formatElementFile(const std::vector<ElementSetLines>& sets);

}  // namespace station
