#include "elementupdate/element_sets.hpp"

#include "elementupdate/omm.hpp"

#include "text/numbers.hpp"
#include "console/files.hpp"
#include "orbit/elements.hpp"

#include <algorithm>
#include <array>
#include <optional>
#include <span>
#include <tuple>
#include <utility>

namespace station {

namespace {

// Columns (from 1) that hold a blank or a decimal point in every set:
// 1 NNNNNC NNNNNAAA NNNNN.NNNNNNNN +.NNNNNNNN +NNNNN-N +NNNNN-N N NNNNC
// 2 NNNNN NNN.NNNN NNN.NNNN NNNNNNN NNN.NNNN NNN.NNNN NN.NNNNNNNNNNNNNC
constexpr std::array<std::size_t, 8> line1Blanks{2, 9, 18, 33, 44, 53, 62, 64};
constexpr std::array<std::size_t, 2> line1Points{24, 35};
constexpr std::array<std::size_t, 7> line2Blanks{2, 8, 17, 26, 34, 43, 52};
constexpr std::array<std::size_t, 5> line2Points{12, 21, 38, 47, 55};

constexpr std::size_t checksumColumn = 69;
constexpr std::size_t catalogueColumn = 3;
constexpr std::size_t catalogueWidth = 5;

std::string withoutTrailingBlanks(std::string_view text) {
    const auto end = text.find_last_not_of(" \t");
    return std::string(end == std::string_view::npos ? std::string_view() : text.substr(0, end + 1));
}

std::string trimmed(std::string_view text) {
    const auto start = text.find_first_not_of(" \t");
    return start == std::string_view::npos ? std::string() : withoutTrailingBlanks(text.substr(start));
}

bool isElementLine(std::string_view line, char number) {
    return line.size() >= 2 && line[0] == number && line[1] == ' ';
}

std::string catalogueNumber(std::string_view line) {
    return std::string(line.substr(catalogueColumn - 1, catalogueWidth));
}

// Epochs compare by year, then by day of the year.
std::tuple<int, double> epochOf(const ElementSetLines& set) {
    const KeplerianElementSet elements = parseElementLines(set.line1, set.line2);
    return {elements.epochYear, elements.epochDay};
}

}  // namespace

int elementLineChecksum(std::string_view line) {
    int sum = 0;
    for (std::size_t i = 0; i < line.size() && i < checksumColumn - 1; ++i) {
        const char c = line[i];
        if (c >= '0' && c <= '9') {
            sum += c - '0';
        } else if (c == '-') {
            sum += 1;
        }
    }
    return sum % 10;
}

std::string elementLineProblem(std::string_view line, int number) {
    const std::string which = "line " + std::to_string(number);
    if (line.size() != elementLineLength) {
        return which + " has " + std::to_string(line.size()) + " columns, not 69";
    }
    if (!isElementLine(line, static_cast<char>('0' + number))) {
        return which + " does not begin with \"" + std::to_string(number) + " \"";
    }
    using Columns = std::span<const std::size_t>;
    const Columns blanks = number == 1 ? Columns(line1Blanks) : Columns(line2Blanks);
    const Columns points = number == 1 ? Columns(line1Points) : Columns(line2Points);
    for (std::size_t column : blanks) {
        if (line[column - 1] != ' ') {
            return which + " column " + std::to_string(column) + " is not a blank";
        }
    }
    for (std::size_t column : points) {
        if (line[column - 1] != '.') {
            return which + " column " + std::to_string(column) + " is not a decimal point";
        }
    }
    const char check = line[checksumColumn - 1];
    if (check < '0' || check > '9') {
        return which + " column 69 is not a checksum digit";
    }
    const int sum = elementLineChecksum(line);
    if (sum != check - '0') {
        return which + " checksum is " + std::to_string(sum) + ", column 69 says " + std::string(1, check);
    }
    return {};
}

std::string elementSetLinesProblem(const ElementSetLines& set) {
    if (set.name.empty()) {
        return "no name line";
    }
    for (const auto& [line, number] : {std::pair{&set.line1, 1}, std::pair{&set.line2, 2}}) {
        if (std::string problem = elementLineProblem(*line, number); !problem.empty()) {
            return problem;
        }
    }
    if (catalogueNumber(set.line1) != catalogueNumber(set.line2)) {
        return "catalogue numbers differ (" + catalogueNumber(set.line1) + " in line 1, " +
               catalogueNumber(set.line2) + " in line 2)";
    }
    if (!catalogueNumberOf(catalogueNumber(set.line1))) {
        return "catalogue number \"" + catalogueNumber(set.line1) +
               "\" is neither five digits nor a letter and four digits";
    }
    return {};
}

SourceSets readElementSets(std::string_view text) {
    constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";
    if (text.substr(0, byteOrderMark.size()) == byteOrderMark) {
        text.remove_prefix(byteOrderMark.size());
    }
    std::vector<std::string> lines = splitLines(text);
    for (std::string& line : lines) {
        line = withoutTrailingBlanks(line);
    }

    SourceSets result;
    struct NameLine {
        std::string text;
        std::size_t lineNumber;
    };
    std::optional<NameLine> name;
    auto invalid = [&](std::size_t lineNumber, std::string problem) {
        result.invalid.push_back(
            {name ? name->lineNumber : lineNumber, name ? name->text : "", std::move(problem)});
        name.reset();
    };
    auto nextNonBlank = [&](std::size_t from) {
        while (from < lines.size() && lines[from].empty()) {
            ++from;
        }
        return from;
    };

    for (std::size_t i = nextNonBlank(0); i < lines.size(); i = nextNonBlank(i)) {
        const std::string& line = lines[i];
        if (isElementLine(line, '1')) {
            const std::size_t second = nextNonBlank(i + 1);
            if (second == lines.size() || !isElementLine(lines[second], '2')) {
                invalid(i + 1, "line 2 missing");
                i += 1;
                continue;
            }
            ElementSetLines set{name ? name->text : "", line, lines[second]};
            if (std::string problem = elementSetLinesProblem(set); !problem.empty()) {
                invalid(i + 1, std::move(problem));
            } else {
                result.sets.push_back(std::move(set));
                name.reset();
            }
            i = second + 1;
        } else if (isElementLine(line, '2')) {
            invalid(i + 1, "line 1 missing");
            i += 1;
        } else {
            if (name) {
                invalid(i + 1, "element lines missing");
            }
            name = NameLine{line, i + 1};
            i += 1;
        }
    }
    if (name) {
        invalid(lines.size(), "element lines missing");
    }
    return result;
}

std::string nameKey(std::string_view name) {
    return withoutTrailingBlanks(upperCase(name));
}

AliasTable parseAliases(std::string_view text) {
    AliasTable table;
    const std::vector<std::string> lines = splitLines(text);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string line = trimmed(lines[i]);
        if (line.empty() || line[0] == ';') {
            continue;
        }
        const std::string where = "line " + std::to_string(i + 1) + ": ";
        const auto equals = line.find('=');
        const std::string downloaded = equals == std::string::npos ? "" : trimmed(line.substr(0, equals));
        const std::string stationName = equals == std::string::npos ? "" : trimmed(line.substr(equals + 1));
        if (downloaded.empty() || stationName.empty()) {
            table.error = where + "\"" + line + "\" is not DOWNLOADED NAME=STATION NAME";
            return table;
        }
        const auto [entry, added] = table.stationNameOf.emplace(nameKey(downloaded), stationName);
        if (!added && nameKey(entry->second) != nameKey(stationName)) {
            table.error = where + downloaded + " is already renamed to " + entry->second;
            return table;
        }
    }
    return table;
}

bool applyAlias(const AliasTable& aliases, ElementSetLines& set) {
    const auto alias = aliases.stationNameOf.find(nameKey(set.name));
    if (alias == aliases.stationNameOf.end() || alias->second == set.name) {
        return false;
    }
    set.name = alias->second;
    return true;
}

void ElementSetMerge::add(ElementSetLines set) {
    const long number = catalogueNumberOf(catalogueNumber(set.line1)).value_or(-1);
    const auto known = indexOf_.find(number);
    if (known == indexOf_.end()) {
        indexOf_.emplace(number, sets_.size());
        sets_.push_back(std::move(set));
        return;
    }
    // On the same epoch the later source wins, so a station's own file given last can rename.
    ElementSetLines& kept = sets_[known->second];
    const auto given = epochOf(set);
    const auto current = epochOf(kept);
    if (given < current) {
        ++counts_.older;
        return;
    }
    ++(given == current ? counts_.sameEpoch : counts_.replaced);
    kept = std::move(set);
}

bool ElementSetMerge::holds(std::string_view lookupName) const {
    return std::any_of(sets_.begin(), sets_.end(),
                       [&](const ElementSetLines& set) { return nameKey(set.name) == lookupName; });
}

std::string formatElementFile(const std::vector<ElementSetLines>& sets) {
    std::string text;
    for (const ElementSetLines& set : sets) {
        text += set.name + "\n" + set.line1 + "\n" + set.line2 + "\n";
    }
    return text;
}

}  // namespace station
