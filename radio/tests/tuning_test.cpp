#include "radio/tuning.hpp"

#include "console/testsupport/station_dir.hpp"

#include <gtest/gtest.h>

#include <filesystem>

namespace station {
namespace {

TEST(TunedFrequencyText, RoundedToTenHertzWithoutTrailingZeros) {
    EXPECT_EQ(tunedFrequencyText(145800.004), "145800");
    EXPECT_EQ(tunedFrequencyText(435250.125), "435250.13");
    EXPECT_EQ(tunedFrequencyText(435250.55), "435250.55");
    EXPECT_EQ(tunedFrequencyText(435250.5), "435250.5");
    EXPECT_EQ(tunedFrequencyText(435249.996), "435250");
    EXPECT_EQ(tunedFrequencyText(29400.1), "29400.1");
    EXPECT_EQ(tunedFrequencyText(10489550.25), "10489550.25");
    EXPECT_EQ(tunedFrequencyText(1268000), "1268000");
    EXPECT_EQ(tunedFrequencyText(0.004), "0");
    EXPECT_EQ(tunedFrequencyText(-0.015), "-0.01");
}

TEST(WithTunedFrequencies, ReplacesTheTwoValuesAfterTheNameLine) {
    const std::string file = "ISS\r\n145990\r\n437800\r\nFM\r\nFM\r\n0\r\n"
                             "AO-7\r\n145900\r\n435100\r\nUSB\r\nLSB\r\n0\r\n";
    EXPECT_EQ(withTunedFrequencies(file, "AO-7", 145900.5, 435100.25),
              "ISS\r\n145990\r\n437800\r\nFM\r\nFM\r\n0\r\n"
              "AO-7\r\n145900.5\r\n435100.25\r\nUSB\r\nLSB\r\n0\r\n");
}

TEST(WithTunedFrequencies, KeepsEveryLineEndAndALastLineWithoutOne) {
    EXPECT_EQ(withTunedFrequencies("; lf\nao-7\r145900\r\n435100\nUSB\nLSB\n0", "AO-7", 1, 2),
              "; lf\nao-7\r1\r\n2\nUSB\nLSB\n0");
}

TEST(WithTunedFrequencies, AnEntryCutShortGetsItsValuesAtTheEnd) {
    EXPECT_EQ(withTunedFrequencies("X\nAO-7", "AO-7", 1, 2), "X\nAO-7\n1\n2\n");
    EXPECT_EQ(withTunedFrequencies("AO-7\r\n; uplink\r\n3", "AO-7", 1, 2), "AO-7\r\n; uplink\r\n1\r\n2\r\n");
    EXPECT_EQ(withTunedFrequencies("AO-7", "AO-7", 1, 2), "AO-7\r\n1\r\n2\r\n");
}

TEST(WithTunedFrequencies, NoNameLineNoResult) {
    EXPECT_EQ(withTunedFrequencies("AO-7 \r\n1\r\n2\r\n", "AO-7", 1, 2), std::nullopt);
    EXPECT_EQ(withTunedFrequencies("", "AO-7", 1, 2), std::nullopt);
    EXPECT_EQ(withTunedFrequencies("\r\n1\r\n", "", 1, 2), std::nullopt);
}

TEST(StepTuning, EachModeMovesItsLinks) {
    FrequencyRecord f{145900, 435800, "USB", "LSB", "0", 0};
    stepTuning(f, "T", -0.5);
    EXPECT_EQ(f.uplinkKhz, 145899.5);
    EXPECT_EQ(f.downlinkKhz, 435800);
    stepTuning(f, "R", 0.25);
    EXPECT_EQ(f.uplinkKhz, 145899.5);
    EXPECT_EQ(f.downlinkKhz, 435800.25);
    stepTuning(f, "D", 1);
    EXPECT_EQ(f.uplinkKhz, 145900.5);
    EXPECT_EQ(f.downlinkKhz, 435801.25);
    stepTuning(f, "I", -2);
    EXPECT_EQ(f.uplinkKhz, 145902.5);
    EXPECT_EQ(f.downlinkKhz, 435799.25);
    stepTuning(f, "", 5);
    EXPECT_EQ(f.uplinkKhz, 145902.5);
    EXPECT_EQ(f.downlinkKhz, 435799.25);
}

TEST(SaveTuning, WritesTheEntryOrSaysWhyNot) {
    testing::StationDir dir;
    const Files files(dir.path());
    const FrequencyRecord tuned{145800.004, 435250.125, "USB", "LSB", "0", 0};
    EXPECT_EQ(saveTuning(files, "AO-7", tuned), "Could not read KELVORIN.FRC. Tuning not saved.");
    EXPECT_FALSE(dir.exists("KELVORIN.FRC"));

    dir.write("Kelvorin.frc", "AO-7\r\n145900\r\n435100\r\nUSB\r\nLSB\r\n0\r\n");
    EXPECT_EQ(saveTuning(files, "FO-29", tuned), "KELVORIN.FRC has no entry for FO-29. Tuning not saved.");
    EXPECT_EQ(saveTuning(files, "AO-7", tuned), "");
    EXPECT_EQ(dir.read("Kelvorin.frc"), "AO-7\r\n145800\r\n435250.13\r\nUSB\r\nLSB\r\n0\r\n");

    std::filesystem::permissions(dir.path() / "Kelvorin.frc", std::filesystem::perms::owner_read);
    EXPECT_EQ(saveTuning(files, "AO-7", FrequencyRecord{1, 2, "", "", "0", 0}),
              "Could not write KELVORIN.FRC. Tuning not saved.");
    EXPECT_EQ(dir.read("Kelvorin.frc"), "AO-7\r\n145800\r\n435250.13\r\nUSB\r\nLSB\r\n0\r\n");
}

}  // namespace
}  // namespace station
