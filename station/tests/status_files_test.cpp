#include "station/status_files.hpp"

#include "console/testsupport/station_dir.hpp"

#include <gtest/gtest.h>

#include <filesystem>

namespace station {
namespace {

// Written once a second, and again within a second when the state changes; a relative directory
// is the station directory's; none configured writes nothing.
TEST(StatusFiles, WrittenEachSecondAndAtEachChangeOfState) {
    const testing::StationDir dir;
    std::filesystem::create_directory(dir.path() / "Status");
    StatusFiles files(Files(dir.path()), "Status", "kelvorin");
    EXPECT_FALSE(StatusFiles(Files(dir.path()), "", "kelvorin").due(100, "idle"));
    ASSERT_TRUE(files.due(100, "idle"));
    EXPECT_TRUE(files.write(100, "idle", {"m 1\n", "{}\n"}).result);
    EXPECT_EQ(dir.read("Status/kelvorin.prom"), "m 1\n");
    EXPECT_EQ(dir.read("Status/kelvorin.json"), "{}\n");
    EXPECT_FALSE(files.due(100, "idle"));
    EXPECT_TRUE(files.due(100, "waiting ISS") && files.due(101, "idle"));
    std::filesystem::remove_all(dir.path() / "Status");
    EXPECT_FALSE(files.write(102, "idle", {}).result);
}

}  // namespace
}  // namespace station
