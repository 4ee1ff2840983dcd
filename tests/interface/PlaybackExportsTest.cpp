#include "engine/include/DuradMessages.h"
#include "engine/include/durad.h"
#include "platform/Settings.h"
#include "platform/Window.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/support/TempDir.h"

namespace orlim {
namespace {

class PlaybackExports : public ::testing::Test {
protected:
    PlaybackExports()
        : window([this](std::uint32_t msg, WParam, LParam) -> std::intptr_t {
              received.push_back(msg);
              return 0;
          })
    {
        SettingsProfile("Orlim").writeString("Player", "TempPath", temp.path());
        music = musCreateDurad(nullptr);
        request.notifyWindow = &window;
        request.music = music;
        request.format = {1, 1, 8000, 16000, 2, 16, 0};
    }
    ~PlaybackExports() override
    {
        musEndPlay();
        musDeleteDurad(music);
        SettingsProfile("Orlim").deleteEntry("Player", "TempPath");
    }

    testing::TempDir temp;
    std::vector<std::uint32_t> received;
    QueueWindow window;
    Durad* music = nullptr;
    PlayRequest request{};
};

TEST_F(PlaybackExports, NothingPlaysUntilAskedAndNullArgumentsAreRefused)
{
    EXPECT_EQ(musIsPlaying(), 0);
    musEndPlay();
    EXPECT_EQ(musPlay(nullptr), 0);
    EXPECT_EQ(musSaveWave(nullptr, &request), 0);
    EXPECT_EQ(musSaveWave(temp.file("a.wav").c_str(), nullptr), 0);
    PlayRequest withoutMusic = request;
    withoutMusic.music = nullptr;
    withoutMusic.end = 100;
    EXPECT_EQ(musPlay(&withoutMusic), 0);
    EXPECT_EQ(musSaveWave(temp.file("a.wav").c_str(), &withoutMusic), 0);
    EXPECT_EQ(musIsPlaying(), 0);
    EXPECT_FALSE(testing::fileExists(temp.file("a.wav")));
}

TEST_F(PlaybackExports, PlayClampsTheEndAndEndPlayStopsWithTheEndMessage)
{
    ASSERT_EQ(musInsertNote(music, 0, 0, 60, 640), 1);
    request.end = 0xFFFFFFFF;
    ASSERT_EQ(musPlay(&request), 1);
    EXPECT_EQ(request.end, 640u);
    EXPECT_EQ(musIsPlaying(), 1);
    musEndPlay();
    EXPECT_EQ(musIsPlaying(), 0);
    window.pump();
    ASSERT_FALSE(received.empty());
    EXPECT_EQ(received.back(), WM_MUS_PLAYEND);
}

TEST_F(PlaybackExports, SaveWaveEndsAnyPlaybackWritesTheFileAndReturnsOne)
{
    ASSERT_EQ(musInsertNote(music, 0, 0, 60, 640), 1);
    request.end = 0xFFFFFFFF;
    ASSERT_EQ(musPlay(&request), 1);
    const std::string path = temp.file("saved.wav");
    EXPECT_EQ(musSaveWave(path.c_str(), &request), 1);
    EXPECT_EQ(musIsPlaying(), 0);
    const std::string file = testing::readFile(path);
    ASSERT_GE(file.size(), 46u);
    EXPECT_EQ(file.substr(0, 4), "RIFF");
    EXPECT_EQ(file.substr(8, 8), "WAVEfmt ");
}

} // namespace
} // namespace orlim
