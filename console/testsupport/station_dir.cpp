#include "console/testsupport/station_dir.hpp"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace station::testing {

namespace fs = std::filesystem;

StationDir::StationDir() {
    std::string pattern = (fs::temp_directory_path() / "station-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot make a temporary directory");
    }
    path_ = pattern;
}

StationDir::~StationDir() {
    std::error_code error;
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, error);
    fs::remove_all(path_, error);
}

void StationDir::write(std::string_view name, std::string_view content) const {
    std::ofstream out(path_ / std::string(name), std::ios::binary | std::ios::trunc);
    out << content;
}

std::string StationDir::read(std::string_view name) const {
    std::ifstream in(path_ / std::string(name), std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

bool StationDir::exists(std::string_view name) const { return fs::exists(path_ / std::string(name)); }

void StationDir::copyDemo(std::string_view name, std::string_view as) const {
    fs::copy_file(demoDir() / std::string(name), path_ / std::string(as.empty() ? name : as),
                  fs::copy_options::overwrite_existing);
}

fs::path demoDir() { return STATION_DATA_DIR; }

}  // namespace station::testing
