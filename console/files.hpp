#pragma once
// Station files live in one directory (the current one for the programs) and are found
// whatever the case of their names.
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace station {

// Splits text into lines ended by CR LF, LF or CR. A final line without an end counts.
std::vector<std::string> splitLines(std::string_view content);

// Reads whole lines; past the end it yields empty lines, as the station file readers expect.
class LineReader {
public:
    LineReader() = default;
    explicit LineReader(std::vector<std::string> lines) : lines_(std::move(lines)) {}
    std::string read() { return next_ < lines_.size() ? lines_[next_++] : std::string(); }
    bool atEnd() const { return next_ >= lines_.size(); }

private:
    std::vector<std::string> lines_;
    std::size_t next_ = 0;
};

// How a write of a station file ended: `failure` is empty when the file was written, else why it
// was not, in the system's words ("Read-only file system", "No space left on device").
struct WriteResult {
    std::string failure;
    explicit operator bool() const { return failure.empty(); }
};

class Files {
public:
    explicit Files(std::filesystem::path directory = ".") : directory_(std::move(directory)) {}

    const std::filesystem::path& directory() const { return directory_; }
    // The existing file of that name in any case (trailing blanks are not part of a name).
    std::optional<std::filesystem::path> find(std::string_view name) const;
    // The existing file of that name in any case, else the name as given in the directory.
    std::filesystem::path pathFor(std::string_view name) const;
    // The whole file, or nothing when it cannot be opened.
    std::optional<std::string> readText(std::string_view name) const;
    // Two steps for readers that tell a missing file from one that cannot be read.
    std::optional<std::ifstream> open(std::string_view name) const;
    static std::optional<std::string> readAll(std::ifstream& in);
    // Replaces the file whole: a temporary file in the same directory, flushed, renamed over
    // the old one, so a reader never sees half a file. On any failure the old file stays as it
    // was and no temporary file is left.
    WriteResult replace(std::string_view name, std::string_view content) const;
    bool remove(std::string_view name) const;

private:
    std::filesystem::path directory_;
};

}  // namespace station
