#pragma once
// What the fuzz targets share: a station directory for the files an input becomes and the demo
// station's element sets.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <span>
#include <string>
#include <string_view>

#include "console/program_exit.hpp"
#include "console/files.hpp"
#include "orbit/elements.hpp"

namespace station::fuzz {

// A directory of this process's own, removed when the process ends normally.
class ScratchDirectory {
public:
    ScratchDirectory() {
        std::string pattern = (std::filesystem::temp_directory_path() / "station-fuzz-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::abort();
        }
        path_ = pattern;
    }
    ~ScratchDirectory() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    const std::filesystem::path& path() const { return path_; }
    void write(std::string_view name, std::string_view content) const {
        std::ofstream out(path_ / std::string(name), std::ios::binary | std::ios::trunc);
        out.write(content.data(), static_cast<std::streamsize>(content.size()));
    }

private:
    std::filesystem::path path_;
};

inline const ScratchDirectory& scratch() {
    static const ScratchDirectory directory;
    return directory;
}

inline std::string_view textOf(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// An invariant the code promises, broken: libFuzzer reports the abort with the input.
[[noreturn]] inline void broken(const char* what) {
    std::fprintf(stderr, "broken invariant: %s\n", what);
    std::abort();
}

// A demo element set by name (demo/KEPS.TXT).
inline KeplerianElementSet demoElements(const std::string& name) {
    Files files(FUZZ_DEMO_DIR);
    const auto elements = readElementSet(files, "KEPS.TXT", name);
    if (!elements) {
        broken("the demo element file lacks a set the targets use");
    }
    return *elements;
}

}  // namespace station::fuzz
