#include "engine/include/durad.h"

#include "platform/MessageBox.h"
#include "tests/midi/MidiWriter.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

class FileInterfaceTest : public ::testing::Test {
protected:
    ~FileInterfaceTest() override { musDeleteDurad(durad_); }

    orlim::testing::TempDir dir_;
    orlim::MessageBoxRecorder boxes_;
    Durad* durad_ = musCreateDurad(nullptr);
};

TEST_F(FileInterfaceTest, SaveSetsTheFileNameAndClearForgetsIt)
{
    const std::string path = dir_.file("Song.rwm");
    ASSERT_EQ(musInsertNote(durad_, 0, 32, 60, 16), 1);
    ASSERT_EQ(musFileSave(durad_, path.c_str()), 1);
    EXPECT_EQ(std::string(musFileName(durad_)), path);
    EXPECT_EQ(musIsChanged(durad_), 0);
    musClear(durad_);
    EXPECT_EQ(std::string(musFileName(durad_)), "");
}

TEST_F(FileInterfaceTest, TheKindOfFileIsTheLastThreeCharactersInAnyCase)
{
    const std::string saved = dir_.file("song.rwm");
    ASSERT_EQ(musFileSave(durad_, saved.c_str()), 1);
    const std::string upper = dir_.file("SONG.RWM");
    std::rename(saved.c_str(), upper.c_str());

    Durad* loaded = musCreateDurad(nullptr);
    EXPECT_EQ(musFileOpen(loaded, upper.c_str()), 1);
    EXPECT_EQ(std::string(musFileName(loaded)), upper);
    musDeleteDurad(loaded);

    for (const char* path : {"song.midi", "ab", "", "song.wav"}) {
        SCOPED_TRACE(path);
        EXPECT_EQ(musFileOpen(durad_, path), 0);
    }
    EXPECT_TRUE(boxes_.texts().empty());
}

TEST_F(FileInterfaceTest, AMidFileInAnyCaseIsImported)
{
    orlim::testing::MidiTrack track;
    track.noteOn(0, 0, 60).noteOff(32, 0, 60).end();
    const std::string path = dir_.file("Song.MID");
    orlim::testing::writeFile(path, orlim::testing::midiFile(0, 32, {track}));
    musSetMIDPreset(dir_.file("none.pre").c_str());
    ASSERT_EQ(musFileOpen(durad_, path.c_str()), 1);
    EXPECT_EQ(std::string(musFileName(durad_)), path);
    EXPECT_EQ(musGetDuradLength(durad_), 32u);
    EXPECT_TRUE(boxes_.texts().empty());
}

} // namespace
