#pragma once
// A fresh temporary station directory per test, removed afterwards.
#include <filesystem>
#include <string>
#include <string_view>

namespace station::testing {

class StationDir {
public:
    StationDir();
    ~StationDir();
    StationDir(const StationDir&) = delete;
    StationDir& operator=(const StationDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // Writes a file with exactly this content (no line ends added).
    void write(std::string_view name, std::string_view content) const;
    std::string read(std::string_view name) const;
    bool exists(std::string_view name) const;
    // Copies a file of the demo station (demo/) into this directory.
    void copyDemo(std::string_view name, std::string_view as = {}) const;

private:
    std::filesystem::path path_;
};

// The demo station directory and the shared element sets shipped with the project.
std::filesystem::path demoDir();

}  // namespace station::testing
