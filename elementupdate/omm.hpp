#pragma once
// Orbit Mean-Elements Messages: the element services' records as a JSON array, as CSV with a
// header row, or as XML (ndm/omm, with metadata, meanElements and tleParameters). Each record
// becomes the two-line set the tracker and the scheduler read, its fields rounded to the
// columns of the two lines.
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "elementupdate/element_sets.hpp"

namespace station {

// Catalogue numbers above 99999 are written with a letter for their leading two digits
// (A = 10 ... Z = 33, I and O left out), so five columns reach 339999.
inline constexpr long largestCatalogueNumber = 339999;

// The five columns of a catalogue number, or nothing when it is negative or above 339999.
std::optional<std::string> catalogueColumns(long number);

// The catalogue number of columns 3 to 7 of an element line: five digits (leading blanks
// allowed) or a letter and four digits; nothing for anything else.
std::optional<long> catalogueNumberOf(std::string_view columns);

// A source is told apart by its content: a JSON array, CSV whose header names OMM keys, an XML
// document whose root is ndm or omm, else two-line sets.
enum class SourceForm { twoLine, json, csv, xml };
SourceForm sourceFormOf(std::string_view text);
std::string_view sourceFormName(SourceForm form);

// One record's values by key, as text.
using OmmFields = std::map<std::string, std::string, std::less<>>;

// The two-line set of one record, or in `problem` why the record cannot be one.
struct OmmElementSet {
    ElementSetLines set;
    std::string problem;
};
OmmElementSet elementSetOf(const OmmFields& fields);

// The records of a JSON, CSV or XML source as two-line sets; a refused record is an invalid
// set counted by its record number. A document that cannot be read at all gives `broken`.
struct OmmSource {
    SourceSets sets;
    std::string broken;
};
OmmSource readOmmSource(std::string_view text, SourceForm form);

}  // namespace station
