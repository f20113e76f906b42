#include "elementupdate/omm.hpp"

#include "console/files.hpp"

#include <nlohmann/json.hpp>
#include <pugixml.hpp>

#include <array>
#include <charconv>
#include <cmath>
#include <vector>

namespace station {

namespace {

// Alpha-5's letters for the leading two digits 10 to 33: I and O would read as 1 and 0.
constexpr std::string_view alpha5Letters = "ABCDEFGHJKLMNPQRSTUVWXYZ";
constexpr long alpha5Base = 100000;
constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";

constexpr std::array<std::string_view, 17> requiredKeys{
    "OBJECT_NAME",     "OBJECT_ID",           "EPOCH",
    "MEAN_MOTION",     "ECCENTRICITY",        "INCLINATION",
    "RA_OF_ASC_NODE",  "ARG_OF_PERICENTER",   "MEAN_ANOMALY",
    "EPHEMERIS_TYPE",  "CLASSIFICATION_TYPE", "NORAD_CAT_ID",
    "ELEMENT_SET_NO",  "REV_AT_EPOCH",        "BSTAR",
    "MEAN_MOTION_DOT", "MEAN_MOTION_DDOT"};

// The counters of a set wrap as the distributors' own two-line sets wrap them.
constexpr long revolutionsWrap = 100000;
constexpr long elementSetNumbersWrap = 10000;
// Epoch years the programs read back from two digits (00 to 90 are 2000 to 2090).
constexpr int firstEpochYear = 1991;
constexpr int lastEpochYear = 2090;

std::string trimmedText(std::string_view text) {
    const auto start = text.find_first_not_of(" \t\r\n");
    if (start == std::string_view::npos) {
        return {};
    }
    return std::string(text.substr(start, text.find_last_not_of(" \t\r\n") - start + 1));
}

std::string fixed(double value, int decimals) {
    char buffer[64];
    const auto end =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals).ptr;
    return std::string(buffer, end);
}

std::string rightAligned(std::string text, std::size_t width, char fill = ' ') {
    return text.size() >= width ? text : std::string(width - text.size(), fill) + text;
}

bool isLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInYear(int year) {
    return isLeapYear(year) ? 366 : 365;
}

// The digits of text[from, from + count) as a number, or -1 when any is not a digit.
int digitsAt(std::string_view text, std::size_t from, std::size_t count) {
    if (from + count > text.size()) {
        return -1;
    }
    int value = 0;
    for (char c : text.substr(from, count)) {
        if (c < '0' || c > '9') {
            return -1;
        }
        value = value * 10 + (c - '0');
    }
    return value;
}

struct Epoch {
    int year = 0;
    double day = 0;  // day of the year, 1.0 = 1 January 00:00 UTC
};

// YYYY-MM-DDThh:mm:ss[.s...][Z] or YYYY-DDDThh:mm:ss[.s...][Z], in UTC.
std::optional<Epoch> epochOf(std::string_view text) {
    if (!text.empty() && text.back() == 'Z') {
        text.remove_suffix(1);
    }
    const auto t = text.find('T');
    if (t == std::string_view::npos || digitsAt(text, 0, 4) < 0 || text.size() < 5 || text[4] != '-') {
        return std::nullopt;
    }
    Epoch epoch{digitsAt(text, 0, 4), 0};
    int dayOfYear = 0;
    if (t == 8) {
        dayOfYear = digitsAt(text, 5, 3);
    } else if (t == 10 && text[7] == '-') {
        static constexpr std::array<int, 12> monthDays{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
        const int month = digitsAt(text, 5, 2);
        const int day = digitsAt(text, 8, 2);
        if (month < 1 || month > 12 || day < 1 ||
            day > monthDays[month - 1] + (month == 2 && isLeapYear(epoch.year) ? 1 : 0)) {
            return std::nullopt;
        }
        for (int m = 1; m < month; ++m) {
            dayOfYear += monthDays[m - 1] + (m == 2 && isLeapYear(epoch.year) ? 1 : 0);
        }
        dayOfYear += day;
    } else {
        return std::nullopt;
    }
    const std::string_view time = text.substr(t + 1);
    const int hour = digitsAt(time, 0, 2);
    const int minute = digitsAt(time, 3, 2);
    const int second = digitsAt(time, 6, 2);
    if (dayOfYear < 1 || dayOfYear > daysInYear(epoch.year) || time.size() < 8 || time[2] != ':' ||
        time[5] != ':' || hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59) {
        return std::nullopt;
    }
    double fraction = 0;
    if (time.size() > 8) {
        const std::string_view digits = time.substr(9);
        if (time[8] != '.' || digits.empty() ||
            digits.find_first_not_of("0123456789") != std::string_view::npos) {
            return std::nullopt;
        }
        const std::string decimal = "0." + std::string(digits);
        std::from_chars(decimal.data(), decimal.data() + decimal.size(), fraction);
    }
    epoch.day = dayOfYear + ((hour * 60 + minute) * 60 + second + fraction) / 86400.0;
    return epoch;
}

// YYDDD.DDDDDDDD; a day that rounds to the next year's first instant is written as that.
std::string epochColumns(Epoch epoch) {
    std::string day = fixed(epoch.day, 8);
    double rounded = 0;
    std::from_chars(day.data(), day.data() + day.size(), rounded);
    if (rounded >= daysInYear(epoch.year) + 1) {
        epoch.day -= daysInYear(epoch.year);
        ++epoch.year;
        day = fixed(epoch.day, 8);
    }
    return rightAligned(std::to_string(epoch.year % 100), 2, '0') + rightAligned(day, 12, '0');
}

// 1998-067A is written 98067A: two digits of the launch year, launch number and piece. Other
// identifiers (analysts' objects, "UNKNOWN") leave the columns blank.
std::string designatorColumns(std::string_view objectId) {
    const auto piece = objectId.substr(std::min<std::size_t>(objectId.size(), 8));
    const bool regular = objectId.size() > 8 && objectId.size() <= 11 && digitsAt(objectId, 0, 4) >= 0 &&
                         objectId[4] == '-' && digitsAt(objectId, 5, 3) >= 0 &&
                         piece.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ") == std::string_view::npos;
    const std::string columns =
        regular ? std::string(objectId.substr(2, 2)) + std::string(objectId.substr(5)) : "";
    return columns + std::string(8 - columns.size(), ' ');
}

// A drift of revolutions per day squared: sign (blank for +), point, eight decimals.
std::optional<std::string> driftColumns(double value) {
    const std::string digits = fixed(std::abs(value), 8);
    if (digits[0] != '0') {
        return std::nullopt;
    }
    return (value < 0 ? "-" : " ") + digits.substr(1);
}

// Sign, five digits and a one-digit exponent with an assumed point in front: 0.00012652 is
// " 12652-3". Values too small for the exponent keep what the field can hold of them.
std::optional<std::string> exponentColumns(double value) {
    const std::string sign = value < 0 ? "-" : " ";
    const double magnitude = std::abs(value);
    if (magnitude == 0) {
        return " 00000-0";
    }
    char buffer[32];
    const auto end =
        std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::scientific, 4).ptr;
    const std::string text(buffer, end);  // d.dddde-XX
    // from_chars reads no "+" sign.
    const std::size_t e = text.find('e');
    int exponent = 0;
    std::from_chars(text.data() + e + (text[e + 1] == '+' ? 2 : 1), end, exponent);
    ++exponent;
    if (exponent > 9) {
        return std::nullopt;
    }
    if (exponent < -9) {
        const long long digits = std::llround(magnitude * 1e14);
        return digits == 0 ? " 00000-0" : sign + rightAligned(std::to_string(digits), 5, '0') + "-9";
    }
    return sign + text.substr(0, 1) + text.substr(2, 4) + (exponent < 0 ? "-" : "+") +
           std::to_string(std::abs(exponent));
}

// The checksum appended to columns 1 to 68.
std::string withChecksum(std::string line) {
    line += static_cast<char>('0' + elementLineChecksum(line));
    return line;
}

// Reads the fields of one record in turn, remembering the first problem.
class FieldReader {
public:
    explicit FieldReader(const OmmFields& fields) : fields_(fields) {}

    const std::string& problem() const { return problem_; }
    bool failed() const { return !problem_.empty(); }
    void fail(std::string problem) {
        if (problem_.empty()) {
            problem_ = std::move(problem);
        }
    }

    std::string text(std::string_view key) {
        const auto field = fields_.find(key);
        return field == fields_.end() ? std::string() : trimmedText(field->second);
    }

    double number(std::string_view key) {
        const std::string value = text(key);
        // from_chars reads no "+" sign; "+-5" stays unreadable.
        const char* first = value.data() + (value.starts_with('+') && !value.starts_with("+-") ? 1 : 0);
        double number = 0;
        const auto [end, error] = std::from_chars(first, value.data() + value.size(), number);
        if (value.empty() || error != std::errc() || end != value.data() + value.size()) {
            fail(std::string(key) + " \"" + value + "\" is not a number");
            return 0;
        }
        if (!std::isfinite(number)) {
            fail(std::string(key) + " " + value + " is not a finite number");
            return 0;
        }
        return number + 0.0;  // -0 is written as 0
    }

    // A whole number from `lowest` up.
    long whole(std::string_view key, long lowest = 0) {
        const double value = number(key);
        if (!failed() && (value != std::floor(value) || value < lowest || value > 1e15)) {
            fail(std::string(key) + " " + text(key) + " is not a whole number from " +
                 std::to_string(lowest));
        }
        return failed() ? 0 : static_cast<long>(value);
    }

    double within(std::string_view key, double lowest, double highest, std::string_view range) {
        const double value = number(key);
        if (!failed() && !(value >= lowest && value <= highest)) {
            fail(std::string(key) + " " + text(key) + " is outside " + std::string(range));
        }
        return value;
    }

    // The columns a value is written in, or a refusal when it does not fit them.
    std::string fitted(std::string_view key, std::optional<std::string> columns) {
        if (!columns) {
            fail(std::string(key) + " " + text(key) + " does not fit the columns of a two-line set");
            return {};
        }
        return *columns;
    }

private:
    const OmmFields& fields_;
    std::string problem_;
};

// An angle of line 2: eight columns, four decimals.
std::string angleColumns(double degrees) {
    return rightAligned(fixed(degrees, 4), 8);
}

// Which record of a source, for the messages: its name, else its catalogue number.
std::string recordName(const OmmFields& fields) {
    for (std::string_view key : {"OBJECT_NAME", "NORAD_CAT_ID"}) {
        const auto field = fields.find(key);
        if (field != fields.end() && !trimmedText(field->second).empty()) {
            return (key == "NORAD_CAT_ID" ? "catalogue number " : "") + trimmedText(field->second);
        }
    }
    return {};
}

void addRecord(OmmSource& source, std::size_t number, const OmmFields& fields) {
    OmmElementSet converted = elementSetOf(fields);
    if (converted.problem.empty()) {
        source.sets.sets.push_back(std::move(converted.set));
    } else {
        source.sets.invalid.push_back({number, recordName(fields), std::move(converted.problem), true});
    }
}

void readJson(std::string_view text, OmmSource& source) {
    nlohmann::json document;
    try {
        document = nlohmann::json::parse(text);
    } catch (const nlohmann::json::parse_error& error) {
        const std::string what = error.what();
        source.broken = "broken JSON document: " + what.substr(what.find("] ") + 2);
        return;
    }
    if (!document.is_array()) {
        source.broken = "the JSON document is not an array of records";
        return;
    }
    for (std::size_t i = 0; i < document.size(); ++i) {
        const nlohmann::json& record = document[i];
        if (!record.is_object()) {
            source.sets.invalid.push_back({i + 1, "", "the record is not a JSON object", true});
            continue;
        }
        OmmFields fields;
        for (const auto& [key, value] : record.items()) {
            if (value.is_string()) {
                fields[key] = value.get<std::string>();
            } else if (!value.is_null()) {
                fields[key] = value.dump();
            }
        }
        addRecord(source, i + 1, fields);
    }
}

// Fields of comma-separated rows; quoted fields may hold commas, line ends and doubled quotes.
std::optional<std::vector<std::vector<std::string>>> csvRows(std::string_view text) {
    std::vector<std::vector<std::string>> rows(1, std::vector<std::string>(1));
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        std::string& field = rows.back().back();
        if (quoted) {
            if (c != '"') {
                field += c;
            } else if (i + 1 < text.size() && text[i + 1] == '"') {
                field += c;
                ++i;
            } else {
                quoted = false;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            rows.back().emplace_back();
        } else if (c == '\n' || c == '\r') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
            rows.emplace_back(1);
        } else {
            field += c;
        }
    }
    if (quoted) {
        return std::nullopt;
    }
    std::erase_if(rows, [](const std::vector<std::string>& row) {
        return row.size() == 1 && trimmedText(row[0]).empty();
    });
    return rows;
}

void readCsv(std::string_view text, OmmSource& source) {
    const auto rows = csvRows(text);
    if (!rows) {
        source.broken = "broken CSV document: a quoted field is never closed";
        return;
    }
    const std::vector<std::string>& header = rows->front();
    for (std::size_t r = 1; r < rows->size(); ++r) {
        const std::vector<std::string>& row = (*rows)[r];
        OmmFields fields;
        for (std::size_t i = 0; i < row.size() && i < header.size(); ++i) {
            fields[trimmedText(header[i])] = row[i];
        }
        if (row.size() != header.size()) {
            source.sets.invalid.push_back({r, recordName(fields),
                                           "the row has " + std::to_string(row.size()) +
                                               " fields, the header " + std::to_string(header.size()),
                                           true});
            continue;
        }
        addRecord(source, r, fields);
    }
}

std::string_view withoutPrefix(std::string_view name) {
    const auto colon = name.find(':');
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

// Every element without child elements under `node`, by name.
void collectLeaves(const pugi::xml_node& node, OmmFields& fields) {
    for (const pugi::xml_node& child : node.children()) {
        if (child.type() != pugi::node_element) {
            continue;
        }
        if (child.find_child([](const pugi::xml_node& n) { return n.type() == pugi::node_element; })) {
            collectLeaves(child, fields);
        } else {
            fields[std::string(withoutPrefix(child.name()))] = child.child_value();
        }
    }
}

void readXml(std::string_view text, OmmSource& source) {
    pugi::xml_document document;
    const pugi::xml_parse_result parsed = document.load_buffer(text.data(), text.size());
    if (!parsed) {
        source.broken = "broken XML document: " + std::string(parsed.description()) + " at byte " +
                        std::to_string(parsed.offset);
        return;
    }
    std::vector<pugi::xml_node> messages;
    const pugi::xml_node root = document.document_element();
    if (withoutPrefix(root.name()) == "omm") {
        messages.push_back(root);
    }
    for (const pugi::xml_node& child : root.children()) {
        if (withoutPrefix(child.name()) == "omm") {
            messages.push_back(child);
        }
    }
    for (std::size_t i = 0; i < messages.size(); ++i) {
        OmmFields fields;
        collectLeaves(messages[i], fields);
        addRecord(source, i + 1, fields);
    }
}

// The name of the first element of an XML text, without a namespace prefix.
std::string_view firstElementName(std::string_view text) {
    std::size_t at = 0;
    while ((at = text.find('<', at)) != std::string_view::npos) {
        const std::string_view rest = text.substr(at + 1);
        if (rest.starts_with("?") || rest.starts_with("!")) {
            const std::string_view end = rest.starts_with("?") ? "?>" : rest.starts_with("!--") ? "-->" : ">";
            const auto close = text.find(end, at + 1);
            if (close == std::string_view::npos) {
                return {};
            }
            at = close + end.size();
            continue;
        }
        return withoutPrefix(rest.substr(0, rest.find_first_of(" \t\r\n/>")));
    }
    return {};
}

}  // namespace

std::optional<std::string> catalogueColumns(long number) {
    if (number < 0 || number > largestCatalogueNumber) {
        return std::nullopt;
    }
    if (number < alpha5Base) {
        return rightAligned(std::to_string(number), 5, '0');
    }
    return alpha5Letters[static_cast<std::size_t>(number / 10000 - 10)] +
           rightAligned(std::to_string(number % 10000), 4, '0');
}

std::optional<long> catalogueNumberOf(std::string_view columns) {
    if (columns.size() != 5) {
        return std::nullopt;
    }
    const auto letter = alpha5Letters.find(columns[0]);
    const int rest = digitsAt(columns, 1, 4);
    if (letter != std::string_view::npos && rest >= 0) {
        return static_cast<long>(letter + 10) * 10000 + rest;
    }
    const auto firstDigit = columns.find_first_not_of(' ');
    const int digits =
        firstDigit == std::string_view::npos ? -1 : digitsAt(columns, firstDigit, 5 - firstDigit);
    return digits < 0 ? std::nullopt : std::optional<long>(digits);
}

SourceForm sourceFormOf(std::string_view text) {
    if (text.starts_with(byteOrderMark)) {
        text.remove_prefix(byteOrderMark.size());
    }
    const auto start = text.find_first_not_of(" \t\r\n");
    if (start == std::string_view::npos) {
        return SourceForm::twoLine;
    }
    text.remove_prefix(start);
    if (text[0] == '[' || text[0] == '{') {
        return SourceForm::json;
    }
    if (text[0] == '<') {
        const std::string_view root = firstElementName(text);
        return root == "ndm" || root == "omm" ? SourceForm::xml : SourceForm::twoLine;
    }
    const std::string_view header = text.substr(0, text.find_first_of("\r\n"));
    const bool namesKeys = header.find("NORAD_CAT_ID") != std::string_view::npos ||
                           header.find("OBJECT_NAME") != std::string_view::npos;
    return namesKeys && header.find(',') != std::string_view::npos ? SourceForm::csv : SourceForm::twoLine;
}

std::string_view sourceFormName(SourceForm form) {
    switch (form) {
        case SourceForm::json:
            return "OMM JSON";
        case SourceForm::csv:
            return "OMM CSV";
        case SourceForm::xml:
            return "OMM XML";
        case SourceForm::twoLine:
            break;
    }
    return "two-line sets";
}

OmmElementSet elementSetOf(const OmmFields& fields) {
    for (std::string_view key : requiredKeys) {
        const auto field = fields.find(key);
        if (field == fields.end() || (key != "OBJECT_ID" && trimmedText(field->second).empty())) {
            return {{}, "no " + std::string(key)};
        }
    }
    FieldReader read(fields);
    const long catalogueNumber = read.whole("NORAD_CAT_ID");
    const std::optional<std::string> catalogue = catalogueColumns(catalogueNumber);
    if (!read.failed() && !catalogue) {
        read.fail("catalogue number " + std::to_string(catalogueNumber) + " is above " +
                  std::to_string(largestCatalogueNumber) + ", the largest five columns hold");
    }
    const std::string classification = read.text("CLASSIFICATION_TYPE");
    if (classification.size() != 1 || classification[0] < 'A' || classification[0] > 'Z') {
        read.fail("CLASSIFICATION_TYPE \"" + classification + "\" is not one capital letter");
    }
    const std::optional<Epoch> epoch = epochOf(read.text("EPOCH"));
    if (!epoch) {
        read.fail("EPOCH \"" + read.text("EPOCH") + "\" cannot be read");
    } else if (epoch->year < firstEpochYear || epoch->year > lastEpochYear) {
        read.fail("EPOCH " + read.text("EPOCH") + " is outside the years " + std::to_string(firstEpochYear) +
                  " to " + std::to_string(lastEpochYear) + " that a two-digit epoch year gives");
    }
    const double meanMotion = read.number("MEAN_MOTION");
    if (!read.failed() && !(meanMotion > 0)) {
        read.fail("MEAN_MOTION " + read.text("MEAN_MOTION") + " is not positive");
    }
    // An eccentricity of 1 or more is no orbit the programs can follow.
    const double eccentricity = read.number("ECCENTRICITY");
    if (!read.failed() && !(eccentricity >= 0 && eccentricity < 1)) {
        read.fail("ECCENTRICITY " + read.text("ECCENTRICITY") + " is outside 0..1");
    }
    const double inclination = read.within("INCLINATION", 0, 180, "0..180");
    const double node = read.within("RA_OF_ASC_NODE", 0, 360, "0..360");
    const double perigee = read.within("ARG_OF_PERICENTER", 0, 360, "0..360");
    const double anomaly = read.within("MEAN_ANOMALY", 0, 360, "0..360");
    const long ephemerisType = read.whole("EPHEMERIS_TYPE");
    if (!read.failed() && ephemerisType > 9) {
        read.fail("EPHEMERIS_TYPE " + read.text("EPHEMERIS_TYPE") + " is not one digit");
    }
    const long elementSetNumber = read.whole("ELEMENT_SET_NO");
    const long revolutions = read.whole("REV_AT_EPOCH");
    const double bStar = read.number("BSTAR");
    const double drift = read.number("MEAN_MOTION_DOT");
    const double secondDrift = read.number("MEAN_MOTION_DDOT");
    const std::string eccentricityText = fixed(eccentricity, 7);
    if (!read.failed() && eccentricityText[0] != '0') {
        read.fail("ECCENTRICITY " + read.text("ECCENTRICITY") + " rounds to 1 in seven decimals");
    }
    const std::string meanMotionText = fixed(meanMotion, 8);
    if (!read.failed() && meanMotionText.size() > 11) {
        read.fail("MEAN_MOTION " + read.text("MEAN_MOTION") + " does not fit the columns of a two-line set");
    }
    const std::string driftText = read.fitted("MEAN_MOTION_DOT", driftColumns(drift));
    const std::string secondDriftText = read.fitted("MEAN_MOTION_DDOT", exponentColumns(secondDrift));
    const std::string bStarText = read.fitted("BSTAR", exponentColumns(bStar));
    if (read.failed()) {
        return {{}, read.problem()};
    }

    const std::string line1 = "1 " + *catalogue + classification + " " +
                              designatorColumns(read.text("OBJECT_ID")) + " " + epochColumns(*epoch) + " " +
                              driftText + " " + secondDriftText + " " + bStarText + " " +
                              std::to_string(ephemerisType) + " " +
                              rightAligned(std::to_string(elementSetNumber % elementSetNumbersWrap), 4);
    const std::string line2 = "2 " + *catalogue + " " + angleColumns(inclination) + " " + angleColumns(node) +
                              " " + eccentricityText.substr(2) + " " + angleColumns(perigee) + " " +
                              angleColumns(anomaly) + " " + rightAligned(meanMotionText, 11) +
                              rightAligned(std::to_string(revolutions % revolutionsWrap), 5);
    return {{read.text("OBJECT_NAME"), withChecksum(line1), withChecksum(line2)}, {}};
}

OmmSource readOmmSource(std::string_view text, SourceForm form) {
    if (text.starts_with(byteOrderMark)) {
        text.remove_prefix(byteOrderMark.size());
    }
    OmmSource source;
    if (form == SourceForm::json) {
        readJson(text, source);
    } else if (form == SourceForm::csv) {
        readCsv(text, source);
    } else if (form == SourceForm::xml) {
        readXml(text, source);
    }
    return source;
}

}  // namespace station
