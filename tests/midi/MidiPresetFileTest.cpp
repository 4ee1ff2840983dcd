#include "engine/formats/MidiPresetFile.h"

#include "platform/FileIO.h"
#include "platform/MessageBox.h"
#include "plugin-api/Record.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

namespace orlim {
namespace {

std::vector<std::uint8_t> record(std::uint16_t length, std::uint8_t mark)
{
    std::vector<std::uint8_t> bytes(length, mark);
    writeField<std::uint16_t>(bytes.data(), 0, length);
    return bytes;
}

class MidiPresetFileTest : public ::testing::Test {
protected:
    testing::TempDir dir_;
    std::string path_ = dir_.file("set.pre");
    MessageBoxRecorder boxes_;
};

TEST_F(MidiPresetFileTest, SavesUpToTheFirstEmptySlot)
{
    MidiPreset preset;
    for (int slot = 0; slot < 5; ++slot)
        preset.setSlot(slot, record(static_cast<std::uint16_t>(80 + slot), static_cast<std::uint8_t>(slot)));
    preset.setSlot(40, record(90, 40));
    ASSERT_TRUE(preset.write(path_));
    EXPECT_EQ(testing::readFile(path_).size(), 80u + 81 + 82 + 83 + 84);

    MidiPreset back;
    back.setSlot(100, record(80, 1));
    ASSERT_TRUE(back.read(path_));
    for (int slot = 0; slot < 5; ++slot)
        EXPECT_EQ(back.slot(slot), preset.slot(slot));
    EXPECT_TRUE(back.slot(5).empty());
    EXPECT_TRUE(back.slot(40).empty());
    EXPECT_TRUE(back.slot(100).empty());
}

TEST_F(MidiPresetFileTest, ASlotKeepsItsRecordsStatedLengthAndRefusesAShortOne)
{
    MidiPreset preset;
    std::vector<std::uint8_t> longer = record(100, 3);
    writeField<std::uint16_t>(longer.data(), 0, 80);
    EXPECT_TRUE(preset.setSlot(0, longer));
    EXPECT_EQ(preset.slot(0).size(), 80u);
    EXPECT_FALSE(preset.setSlot(0, record(60, 4)));
    std::vector<std::uint8_t> claimsMore = record(80, 5);
    writeField<std::uint16_t>(claimsMore.data(), 0, 90);
    EXPECT_FALSE(preset.setSlot(0, claimsMore));
    EXPECT_EQ(preset.slot(0).size(), 80u);
    EXPECT_EQ(preset.slot(0)[2], 3);
    ASSERT_TRUE(preset.write(path_));
    EXPECT_EQ(testing::readFile(path_).size(), 80u);
}

TEST_F(MidiPresetFileTest, AnEmptyTableIsAnEmptyFile)
{
    ASSERT_TRUE(MidiPreset().write(path_));
    EXPECT_EQ(testing::readFile(path_), "");
}

TEST_F(MidiPresetFileTest, OnlyPreFilesAreReadAndAMissingOneIsReported)
{
    MidiPreset preset;
    preset.setSlot(0, record(80, 7));
    EXPECT_FALSE(preset.read(dir_.file("set.txt")));
    EXPECT_TRUE(boxes_.texts().empty());
    EXPECT_FALSE(preset.read(dir_.file("missing.PRE")));
    EXPECT_EQ(boxes_.texts(), std::vector<std::string>{"Failed to open the file."});
    EXPECT_EQ(preset.slot(0), record(80, 7));
}

TEST_F(MidiPresetFileTest, ShortAndTruncatedRecordsEndTheTable)
{
    // Record 0 whole, record 1 cut short by the end of the file.
    auto bytes = record(80, 1);
    const auto cut = record(100, 2);
    bytes.insert(bytes.end(), cut.begin(), cut.begin() + 50);
    testing::writeFile(path_, std::string(bytes.begin(), bytes.end()));
    MidiPreset preset;
    ASSERT_TRUE(preset.read(path_));
    ASSERT_EQ(preset.slot(1).size(), 100u);
    EXPECT_EQ(preset.slot(1)[49], 2);
    EXPECT_EQ(preset.slot(1)[50], 0);
    EXPECT_FALSE(lookUpPresetRecord(path_, 1).has_value());
    EXPECT_EQ(lookUpPresetRecord(path_, 0), record(80, 1));
    EXPECT_FALSE(lookUpPresetRecord(path_, 2).has_value());

    // A record shorter than a source record's head ends the table there.
    auto shortOne = record(80, 1);
    const auto tiny = record(10, 3);
    shortOne.insert(shortOne.end(), tiny.begin(), tiny.end());
    const auto after = record(80, 4);
    shortOne.insert(shortOne.end(), after.begin(), after.end());
    testing::writeFile(path_, std::string(shortOne.begin(), shortOne.end()));
    ASSERT_TRUE(preset.read(path_));
    EXPECT_TRUE(preset.slot(1).empty());
    EXPECT_TRUE(preset.slot(2).empty());
    EXPECT_FALSE(lookUpPresetRecord(path_, 1).has_value());
    EXPECT_FALSE(lookUpPresetRecord(path_, 2).has_value());
    EXPECT_FALSE(lookUpPresetRecord(dir_.file("none.pre"), 0).has_value());
}

TEST_F(MidiPresetFileTest, AFailedWriteKeepsTheOldFile)
{
    testing::writeFile(path_, "old");
    MidiPreset preset;
    preset.setSlot(0, record(200, 9));
    FileWriter::failAfterBytes(10);
    EXPECT_FALSE(preset.write(path_));
    FileWriter::failAfterBytes(std::nullopt);
    EXPECT_EQ(boxes_.texts(), std::vector<std::string>{"Failed to write the file."});
    EXPECT_EQ(testing::readFile(path_), "old");
}

} // namespace
} // namespace orlim
