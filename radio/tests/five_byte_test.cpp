#include "radio/five_byte.hpp"

#include <gtest/gtest.h>

#include "radio/radio.hpp"
#include "radio/tests/protocol_bench.hpp"
#include "radio/transport.hpp"

namespace station {
namespace {

using Transcript = std::vector<std::string>;
constexpr auto y = FiveByteModel::y;
constexpr auto y2 = FiveByteModel::y2;
constexpr auto y3 = FiveByteModel::y3;

TEST(FiveByteBuilders, FrequencyFieldIsTheLastEightDigits) {
    EXPECT_EQ(spacedHexOf(fiveByteFrequencyField(43'580'000, y)), "43 58 00 00");
    EXPECT_EQ(spacedHexOf(fiveByteFrequencyField(5'012'500, y2)), "05 01 25 00");
    EXPECT_EQ(spacedHexOf(fiveByteFrequencyField(1'000'000, y3)), "01 00 00 00");
    // A leading 2 becomes C on code Y only.
    EXPECT_EQ(spacedHexOf(fiveByteFrequencyField(129'600'000, y)), "C9 60 00 00");
    EXPECT_EQ(spacedHexOf(fiveByteFrequencyField(22'000'000, y)), "C2 00 00 00");
    EXPECT_EQ(spacedHexOf(fiveByteFrequencyField(129'600'000, y2)), "29 60 00 00");
    EXPECT_EQ(spacedHexOf(fiveByteFrequencyField(22'000'000, y3)), "22 00 00 00");
    EXPECT_EQ(spacedHexOf(fiveByteFrequencyField(243'500'000, y)), "43 50 00 00");
    EXPECT_EQ(spacedHexOf(fiveByteFrequencyCommand(14'590'000, 0x2E, y)), "14 59 00 00 2E");
}

TEST(FiveByteBuilders, OffsetAndShift) {
    EXPECT_EQ(spacedHexOf(fiveByteOffsetCommand(43'580'000, 43'520'000)), "00 06 00 00 F9");
    EXPECT_EQ(spacedHexOf(fiveByteOffsetCommand(43'520'000, 43'580'000)), "00 06 00 00 F9");
    EXPECT_EQ(spacedHexOf(fiveByteOffsetCommand(14'590'000, 16'590'000)), "02 00 00 00 F9");
    EXPECT_EQ(spacedHexOf(fiveByteOffsetCommand(43'580'000, 43'580'000)), "00 00 00 00 F9");

    EXPECT_EQ(spacedHexOf(fiveByteShiftCommand(43'510'000, 43'580'000, y)), "00 00 00 00 09");
    EXPECT_EQ(spacedHexOf(fiveByteShiftCommand(43'580'000, 43'510'000, y)), "00 00 00 00 49");
    EXPECT_EQ(spacedHexOf(fiveByteShiftCommand(43'580'000, 43'580'000, y)), "00 00 00 00 49");
    EXPECT_EQ(spacedHexOf(fiveByteShiftCommand(43'510'000, 43'580'000, y2)), "09 00 00 00 09");
    EXPECT_EQ(spacedHexOf(fiveByteShiftCommand(43'580'000, 43'510'000, y3)), "49 00 00 00 09");
}

TEST(FiveByteBuilders, ModeTable) {
    struct Row {
        const char* mode;
        FiveByteModel model;
        const char* command;  // "" when none is sent
    };
    const Row rows[] = {
        {"FMN", y, "88 00 00 00 07"},
        {"FM", y, "08 00 00 00 07"},
        {"FMW", y2, "08 00 00 00 07"},
        {"USB", y3, "01 00 00 00 07"},
        {"LSB", y, "00 00 00 00 07"},
        {"CWN", y, "82 00 00 00 07"},
        {"CWN", y2, "82 00 00 00 07"},
        {"CWN", y3, "02 00 00 00 07"},
        {"CW", y, "02 00 00 00 07"},
        {"AM", y, ""},
        {"", y2, ""},
        {" FM", y, ""},
    };
    for (const Row& row : rows) {
        const auto command = fiveByteModeCommand(row.mode, 0x07, row.model);
        EXPECT_EQ(command ? spacedHexOf(*command) : "", row.command) << row.mode;
    }
    EXPECT_EQ(spacedHexOf(fiveByteModeCommand("USB", 0x27, y).value()), "01 00 00 00 27");
}

TEST(FiveByteBuilders, BandClasses) {
    const std::pair<std::int32_t, std::int32_t> codeY[] = {
        {1'000'000, 5'000'000},     {9'999'999, 5'000'000},   {10'000'000, 14'400'000},
        {14'590'000, 14'400'000},   {22'000'000, 22'000'000}, {30'000'000, 43'000'000},
        {43'580'000, 43'000'000},   {59'999'999, 43'000'000}, {60'000'000, 124'000'000},
        {126'800'000, 124'000'000},
    };
    for (const auto& [tenHz, base] : codeY) {
        EXPECT_EQ(fiveByteBandClass(tenHz, y), base) << tenHz;
    }
    const std::pair<std::int32_t, std::int32_t> codeY2[] = {
        {2'199'999, 2'100'000},   {2'200'000, 2'800'000},   {2'999'999, 2'800'000},
        {3'000'000, 5'000'000},   {10'000'000, 14'400'000}, {19'999'999, 14'400'000},
        {20'000'000, 43'000'000}, {43'510'000, 43'000'000}, {126'800'000, 43'000'000},
    };
    for (const auto& [tenHz, base] : codeY2) {
        EXPECT_EQ(fiveByteBandClass(tenHz, y2), base) << tenHz;
        EXPECT_EQ(fiveByteBandClass(tenHz, y3), base) << tenHz;
    }
}

TEST(FiveByteBuilders, ThirdBandMovesOffTheWorkingBands) {
    EXPECT_EQ(thirdBandBase(1, 14'400'000, 43'000'000), 5'000'000);
    EXPECT_EQ(thirdBandBase(2, 14'400'000, 43'000'000), 22'000'000);
    EXPECT_EQ(thirdBandBase(3, 14'400'000, 43'000'000), 124'000'000);
    // On the uplink's band: to 70 cm when the downlink is on 2 m, else to 2 m.
    EXPECT_EQ(thirdBandBase(1, 5'000'000, 14'400'000), 43'000'000);
    EXPECT_EQ(thirdBandBase(3, 124'000'000, 43'000'000), 14'400'000);
    // On the downlink's band: the same rule with the uplink.
    EXPECT_EQ(thirdBandBase(2, 14'400'000, 22'000'000), 43'000'000);
    EXPECT_EQ(thirdBandBase(1, 43'000'000, 5'000'000), 14'400'000);
    // Moved off the uplink onto the downlink, then off that too.
    EXPECT_EQ(thirdBandBase(1, 5'000'000, 43'000'000), 14'400'000);
    EXPECT_EQ(thirdBandBase(1, 5'000'000, 14'400'000), 43'000'000);
}

TEST(FiveByteBuilders, ToneCommands) {
    EXPECT_EQ(spacedHexOf(fiveByteToneCommand("08", y, true).value()), "08 00 00 00 FA");
    EXPECT_EQ(spacedHexOf(fiveByteToneCommand("0A REMARK", y, false).value()), "0A 00 00 00 FA");
    EXPECT_EQ(spacedHexOf(fiveByteToneCommand("12", y2, true).value()), "12 00 00 00 2B");
    EXPECT_EQ(spacedHexOf(fiveByteToneCommand("12", y2, false).value()), "12 00 00 00 0B");
    EXPECT_EQ(spacedHexOf(fiveByteToneCommand("0885", y3, false).value()), "08 85 00 00 0B");
    // Fewer hex digits than the command carries.
    EXPECT_FALSE(fiveByteToneCommand("8", y, true));
    EXPECT_FALSE(fiveByteToneCommand("", y2, true));
    EXPECT_FALSE(fiveByteToneCommand("08", y3, false));
    EXPECT_FALSE(fiveByteToneCommand("G8", y, false));

    EXPECT_EQ(spacedHexOf(fiveByteToneOn(y, true)), "00 00 00 00 4A");
    EXPECT_EQ(spacedHexOf(fiveByteToneOff(y, false)), "00 00 00 00 8A");
    EXPECT_EQ(spacedHexOf(fiveByteToneOn(y2, true)), "4A 00 00 00 2A");
    EXPECT_EQ(spacedHexOf(fiveByteToneOff(y2, true)), "8A 00 00 00 2A");
    EXPECT_EQ(spacedHexOf(fiveByteToneOn(y2, false)), "4A 00 00 00 0A");
    EXPECT_EQ(spacedHexOf(fiveByteToneOff(y3, true)), "8A 00 00 00 0A");
}

// A five-byte radio on port 1 with a frequency record; transcripts are the bytes between
// the 200 ms pauses.
struct FiveByteRadio : RadioBench {
    FiveByteRadio(const std::string& code, double upKhz, double downKhz, const std::string& upMode = "USB",
                  const std::string& downMode = "LSB", const std::string& tone = "0")
        : RadioBench(code) {
        s.frequencies.uplinkKhz = upKhz;
        s.frequencies.downlinkKhz = downKhz;
        s.frequencies.uplinkMode = upMode;
        s.frequencies.downlinkMode = downMode;
        s.frequencies.toneCode = tone;
        mc.sleeper.recordSleeps = true;
    }
    Transcript setup() {
        clearTranscript();
        setupRadio(context());
        return hexTranscript();
    }
    Transcript update(std::int32_t tx, std::int32_t rx, bool txChanged = true, bool rxChanged = true) {
        clearTranscript();
        sendFrequencyUpdate(context(), tx, rx, txChanged, rxChanged);
        return hexTranscript();
    }
    Transcript shutdown() {
        clearTranscript();
        shutdownRadio(context());
        return hexTranscript();
    }
    bool allPausesAre200ms() const {
        for (int ms : mc.sleeper.sleeps) {
            if (ms != 200) {
                return false;
            }
        }
        return true;
    }
};

TEST(CodeY, TwoBandSetupUpdateAndShutdown) {
    FiveByteRadio radio("Y", 145900, 435800);
    EXPECT_EQ(radio.setup(), (Transcript{"00 00 00 00 00", "00 00 00 00 0E", "01 00 00 00 27",
                                         "00 00 00 00 17", "00 00 00 00 8A", ""}));
    EXPECT_EQ(radio.s.radio.linkBands, LinkBands::separate);
    EXPECT_EQ(radio.s.radio.txTenHz, 14'590'000);
    EXPECT_EQ(radio.s.radio.rxTenHz, 43'580'000);

    EXPECT_EQ(radio.update(14'590'000, 43'580'000), (Transcript{"14 59 00 00 2E 43 58 00 00 1E"}));
    EXPECT_EQ(radio.update(14'590'010, 43'579'990, false, true), (Transcript{"43 57 99 90 1E"}));
    EXPECT_EQ(radio.update(14'590'010, 43'579'990, true, false), (Transcript{"14 59 00 10 2E"}));

    EXPECT_EQ(radio.shutdown(), (Transcript{"", "00 00 00 00 8E", "00 00 00 00 80"}));
    EXPECT_TRUE(radio.allPausesAre200ms());
}

TEST(CodeY, ThirdBandFixedUplinkAndTone) {
    FiveByteRadio radio("Y", 145900, 435800, "FM", "FMN", "08");
    radio.s.station.thirdBandOption = 1;
    radio.s.station.uplinkCorrection = 0;
    EXPECT_EQ(radio.setup(),
              (Transcript{"00 00 00 00 00", "00 00 00 00 0E", "08 00 00 00 27", "88 00 00 00 17",
                          "05 00 00 00 1E", "43 00 00 00 1E", "14 40 00 00 2E", "43 00 00 00 1E",
                          "14 59 00 00 2E", "08 00 00 00 FA", "00 00 00 00 4A"}));
    // Without uplink correction no update carries the uplink.
    EXPECT_EQ(radio.update(14'590'000, 43'580'000), (Transcript{"43 58 00 00 1E"}));
}

TEST(CodeY, OneBandCarriesTheUplinkAsOffset) {
    FiveByteRadio radio("Y", 435200, 435800, "FMW", "FM");
    EXPECT_EQ(radio.setup(),
              (Transcript{"00 00 00 00 00", "00 00 00 00 8E", "08 00 00 00 07", "00 00 00 00 8A", ""}));
    EXPECT_EQ(radio.s.radio.linkBands, LinkBands::shared);
    EXPECT_EQ(radio.update(43'520'000, 43'580'000),
              (Transcript{"43 58 00 00 01 00 06 00 00 F9", "00 00 00 00 09"}));
    // Uplink above the downlink: the other shift.
    EXPECT_EQ(radio.update(43'580'000, 43'520'000, true, false),
              (Transcript{"00 06 00 00 F9", "00 00 00 00 49"}));
    EXPECT_EQ(radio.update(43'580'000, 43'520'000, false, false), (Transcript{""}));
    EXPECT_EQ(radio.shutdown(), (Transcript{"", "00 00 00 00 8E", "00 00 00 00 80"}));
}

TEST(CodeY, TwelveHundredAndTwoTwentyMegahertzUseTheLetterC) {
    FiveByteRadio radio("Y", 1296000, 220000);
    radio.setup();
    EXPECT_EQ(radio.update(129'600'000, 22'000'000), (Transcript{"C9 60 00 00 2E C2 00 00 00 1E"}));
}

TEST(CodeY2, TwoBandSetupWithToneAndFixedUplink) {
    FiveByteRadio radio("Y2", 145900, 435800, "CWN", "USB", "12");
    radio.s.station.uplinkCorrection = 0;
    EXPECT_EQ(radio.setup(),
              (Transcript{"00 00 00 00 00", "00 00 00 00 4E", "82 00 00 00 27", "01 00 00 00 17",
                          "14 59 00 00 21", "12 00 00 00 2B", "4A 00 00 00 2A"}));
    EXPECT_EQ(radio.update(14'590'000, 43'580'000), (Transcript{"43 58 00 00 11"}));
    EXPECT_EQ(radio.shutdown(), (Transcript{"", "00 00 00 00 8E", "00 00 00 00 80"}));
}

TEST(CodeY2, TwoBandUpdateAndToneOff) {
    FiveByteRadio radio("Y2", 145900, 435800);
    EXPECT_EQ(radio.setup(), (Transcript{"00 00 00 00 00", "00 00 00 00 4E", "01 00 00 00 27",
                                         "00 00 00 00 17", "8A 00 00 00 2A", ""}));
    // No C for code Y2: 220 MHz keeps its 2.
    EXPECT_EQ(radio.update(22'000'000, 43'580'000), (Transcript{"22 00 00 00 21 43 58 00 00 11"}));
}

TEST(CodeY2, OneClassFrom435To1268Megahertz) {
    FiveByteRadio radio("Y2", 1268000, 435100, "FM", "FM", "08");
    EXPECT_EQ(radio.setup(), (Transcript{"00 00 00 00 00", "00 00 00 00 8E", "08 00 00 00 07",
                                         "08 00 00 00 0B", "4A 00 00 00 0A"}));
    EXPECT_EQ(radio.s.radio.linkBands, LinkBands::shared);
    EXPECT_EQ(radio.update(126'800'000, 43'510'000),
              (Transcript{"43 51 00 00 01 83 29 00 00 F9", "49 00 00 00 09"}));

    FiveByteRadio noTone("Y2", 435100, 435800);
    EXPECT_EQ(noTone.setup(),
              (Transcript{"00 00 00 00 00", "00 00 00 00 8E", "00 00 00 00 07", "8A 00 00 00 0A", ""}));
    EXPECT_EQ(noTone.update(43'510'000, 43'580'000),
              (Transcript{"43 58 00 00 01 00 07 00 00 F9", "09 00 00 00 09"}));
}

TEST(CodeY3, TwoClassesSetTheUplinkVfoOnceAndSplit) {
    FiveByteRadio radio("Y3", 145900, 435800, "CWN", "USB", "0885");
    EXPECT_EQ(radio.setup(), (Transcript{"00 00 00 00 00", "00 00 00 00 81", "02 00 00 00 07",
                                         "14 59 00 00 01", "08 85 00 00 0B", "4A 00 00 00 0A 89 00 00 00 09",
                                         "00 00 00 00 81", "01 00 00 00 07", "00 00 00 00 02", ""}));
    EXPECT_EQ(radio.s.radio.linkBands, LinkBands::separate);
    // Only the downlink follows; the uplink was set at setup whatever the switch.
    EXPECT_EQ(radio.update(14'589'990, 43'580'000), (Transcript{"43 58 00 00 01"}));
    EXPECT_EQ(radio.update(14'589'980, 43'580'000, true, false), (Transcript{""}));
    EXPECT_EQ(radio.shutdown(),
              (Transcript{"00 00 00 00 82", "89 00 00 00 09", "8A 00 00 00 0A", "00 00 00 00 80"}));
    EXPECT_TRUE(radio.allPausesAre200ms());
}

TEST(CodeY3, ToneOffInTheTwoClassSetup) {
    FiveByteRadio radio("Y3", 145900, 435800);
    EXPECT_EQ(radio.setup(), (Transcript{"00 00 00 00 00", "00 00 00 00 81", "01 00 00 00 07",
                                         "14 59 00 00 01", "8A 00 00 00 0A", "89 00 00 00 09",
                                         "00 00 00 00 81", "00 00 00 00 07", "00 00 00 00 02", ""}));
}

TEST(CodeY3, OneClassUsesTheOffset) {
    FiveByteRadio radio("Y3", 435200, 435800, "FM", "FM", "0885");
    EXPECT_EQ(radio.setup(),
              (Transcript{"00 00 00 00 00", "", "08 00 00 00 07", "08 85 00 00 0B", "4A 00 00 00 0A"}));
    EXPECT_EQ(radio.s.radio.linkBands, LinkBands::shared);
    EXPECT_EQ(radio.update(43'520'000, 43'580'000),
              (Transcript{"43 58 00 00 01 00 06 00 00 F9", "09 00 00 00 09"}));
    radio.s.station.uplinkCorrection = 0;
    EXPECT_EQ(radio.update(43'520'000, 43'580'000), (Transcript{"43 58 00 00 01"}));
}

TEST(FiveByteRadios, ModeTextMatchingNoLineSendsNoModeButKeepsThePause) {
    FiveByteRadio radio("Y", 435200, 435800, "AM", "DATA");
    EXPECT_EQ(radio.setup(), (Transcript{"00 00 00 00 00", "00 00 00 00 8E", "", "00 00 00 00 8A", ""}));
}

TEST(FiveByteRadios, FrequencyOutsideTheFieldIsNotSentAndSaidOnce) {
    FiveByteRadio radio("Y", 145900, 435800);
    radio.setup();
    EXPECT_EQ(radio.update(14'590'000, 999'999), (Transcript{"14 59 00 00 2E"}));
    EXPECT_EQ(radio.mc.screen.rowText(24, 3, 49), "Frequency out of range for the radio: not sent.");
    showMessage(radio.mc.screen, "");
    EXPECT_EQ(radio.update(1'000'000'000, 43'580'000), (Transcript{"43 58 00 00 1E"}));
    EXPECT_EQ(radio.mc.screen.rowText(24), std::string(80, ' '));

    // One band class: neither the downlink nor the offset built from it goes out.
    FiveByteRadio oneBand("Y2", 1000, 5000);
    oneBand.setup();
    EXPECT_EQ(oneBand.update(100'000, 500'000), (Transcript{""}));
}

TEST(FiveByteRadios, FixedUplinkOutsideTheFieldSkipsCommandAndPause) {
    FiveByteRadio radio("Y2", 1000, 435800);
    radio.s.station.uplinkCorrection = 0;
    EXPECT_EQ(radio.setup(), (Transcript{"00 00 00 00 00", "00 00 00 00 4E", "01 00 00 00 27",
                                         "00 00 00 00 17", "8A 00 00 00 2A", ""}));
}

TEST(FiveByteRadios, ToneCodeThatIsNotHexLeavesTheToneOff) {
    FiveByteRadio radio("Y", 145900, 435800, "FM", "FM", "8");
    EXPECT_EQ(radio.setup().back(), "");
    EXPECT_EQ(radio.hexTranscript()[4], "00 00 00 00 8A");
    EXPECT_EQ(radio.mc.screen.rowText(24, 3, 39), "Tone code 8 not understood: tone off.");

    FiveByteRadio empty("Y3", 435200, 435800, "FM", "FM", "");
    EXPECT_EQ(empty.setup(), (Transcript{"00 00 00 00 00", "", "08 00 00 00 07", "8A 00 00 00 0A", ""}));
    EXPECT_EQ(empty.mc.screen.rowText(24), std::string(80, ' '));
}

}  // namespace
}  // namespace station
