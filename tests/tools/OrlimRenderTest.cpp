// End-to-end runs of the command-line renderer, the way a user calls it.

#include "platform/Files.h"
#include "platform/Settings.h"
#include "tests/midi/MidiWriter.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

namespace orlim {
namespace {

struct ToolRun {
    int status;
    std::string output;
};

// Runs a program of the program folder with the arguments; stdout and stderr together.
ToolRun run(const std::string& program, const std::string& arguments)
{
    const std::string command = programFolder() + "/" + program + " " + arguments + " 2>&1";
    ToolRun result{-1, {}};
    std::FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return result;
    char buffer[4096];
    while (std::size_t got = std::fread(buffer, 1, sizeof buffer, pipe))
        result.output.append(buffer, got);
    const int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

ToolRun render(const std::string& arguments)
{
    return run("orlim-render", arguments);
}

std::uint32_t le32(const std::string& bytes, std::size_t at)
{
    std::uint32_t value = 0;
    std::memcpy(&value, bytes.data() + at, 4);
    return value;
}

// Root mean square of the 16-bit samples from `fromSeconds` to `toSeconds`, by the
// rate and frame size of the wave's format block.
double loudness(const std::string& wave, double fromSeconds, double toSeconds)
{
    const std::size_t rate = le32(wave, 24);
    std::uint16_t frame = 0;
    std::memcpy(&frame, wave.data() + 32, 2);
    const std::size_t first = 46 + static_cast<std::size_t>(fromSeconds * rate) * frame;
    const std::size_t last = std::min(wave.size(), 46 + static_cast<std::size_t>(toSeconds * rate) * frame);
    double sum = 0;
    std::size_t count = 0;
    for (std::size_t at = first; at + 2 <= last; at += 2, ++count) {
        std::int16_t sample;
        std::memcpy(&sample, wave.data() + at, 2);
        sum += static_cast<double>(sample) * sample;
    }
    return count ? std::sqrt(sum / count) : 0;
}

class OrlimRenderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!fileSize(programFolder() + "/midiset.pre"))
            GTEST_SKIP() << "the default General MIDI sound is not built";
    }

    testing::TempDir dir_;
};

TEST_F(OrlimRenderTest, RendersEachInstrumentOfAMidiFileInItsOwnTimeAndTheSameBytesTwice)
{
    // At 120 quarter notes a minute and 96 ticks a quarter, 192 ticks are a second.
    testing::MidiTrack track;
    track.event(0, {0xC0, 0}).event(0, {0xC1, 33}).event(0, {0xC2, 73});
    track.noteOn(0, 0, 60).noteOn(0, 0, 64).noteOff(192, 0, 60).noteOff(0, 0, 64);
    track.noteOn(0, 1, 40).noteOff(192, 1, 40);
    track.noteOn(0, 2, 76).noteOff(192, 2, 76);
    track.noteOn(0, 9, 36).noteOn(48, 9, 38).noteOff(0, 9, 36).noteOff(48, 9, 38);
    track.end(192);
    const std::string midi = dir_.file("song.mid");
    testing::writeFile(midi, testing::midiFile(0, 96, {track}));

    const std::string first = dir_.file("first.wav");
    const ToolRun run = render(midi + " " + first);
    ASSERT_EQ(run.status, 0) << run.output;

    const std::string wave = testing::readFile(first);
    ASSERT_GT(wave.size(), 46u);
    EXPECT_EQ(wave.substr(0, 4), "RIFF");
    EXPECT_EQ(le32(wave, 4), wave.size() - 8);
    EXPECT_EQ(wave.substr(8, 8), "WAVEfmt ");
    EXPECT_EQ(le32(wave, 16), 18u);
    EXPECT_EQ(le32(wave, 24), 44100u);
    EXPECT_EQ(wave.substr(38, 4), "data");
    EXPECT_GE(wave.size() - 46, le32(wave, 42));

    // Piano, bass, flute and drums, one second each; silence follows the drums' tails.
    for (int second = 0; second < 4; ++second) {
        SCOPED_TRACE(second);
        EXPECT_GT(loudness(wave, second + 0.05, second + 0.5), 100.0);
    }
    EXPECT_LT(loudness(wave, 6.5, 7.0), loudness(wave, 0.05, 0.5) / 10);

    const std::string second = dir_.file("second.wav");
    ASSERT_EQ(render(midi + " " + second).status, 0);
    EXPECT_EQ(testing::readFile(second), wave);
}

TEST_F(OrlimRenderTest, TheProjectsDemoSongSoundsThroughoutTheSameTwice)
{
    const std::string midi = dir_.file("demo.mid");
    ASSERT_EQ(run("orlim-make-demo", midi).status, 0);
    const std::string first = dir_.file("first.wav");
    const ToolRun rendered = render(midi + " " + first + " --rate 11025 --channels 1");
    ASSERT_EQ(rendered.status, 0) << rendered.output;
    EXPECT_EQ(rendered.output.find("warning"), std::string::npos) << rendered.output;
    const std::string wave = testing::readFile(first);
    ASSERT_GT(wave.size(), 46u);
    EXPECT_EQ(wave.substr(0, 4), "RIFF");
    EXPECT_EQ(le32(wave, 24), 11025u);
    EXPECT_EQ(le32(wave, 28), 22050u);
    // Eight bars at 120 quarter notes a minute: sixteen seconds of music, each heard.
    for (int second = 0; second < 16; ++second) {
        SCOPED_TRACE(second);
        EXPECT_GT(loudness(wave, second, second + 1), 100.0);
    }
    const std::string second = dir_.file("second.wav");
    ASSERT_EQ(render(midi + " " + second + " --rate 11025 --channels 1").status, 0);
    EXPECT_TRUE(testing::readFile(second) == wave);
}

TEST_F(OrlimRenderTest, ABankFolderForOneRunLeavesTheUsersSettingsAlone)
{
    const std::string settings = settingsFilePath(SettingsHive::User);
    const auto before = fileSize(settings) ? std::optional<std::string>(testing::readFile(settings)) : std::nullopt;
    const std::string midi = dir_.file("song.mid");
    testing::MidiTrack track;
    track.event(0, {0xC0, 0}).noteOn(0, 0, 60).noteOff(96, 0, 60).end();
    testing::writeFile(midi, testing::midiFile(0, 96, {track}));
    const std::string wave = dir_.file("out.wav");
    const ToolRun rendered = render(midi + " " + wave + " --library " + programFolder() + "/soundfont");
    ASSERT_EQ(rendered.status, 0) << rendered.output;
    EXPECT_GT(loudness(testing::readFile(wave), 0.05, 0.4), 100.0);
    // A folder without the bank is taken too: the note then has no sound.
    const ToolRun bankless = render(midi + " " + wave + " --library " + dir_.path());
    EXPECT_NE(bankless.output.find("warning"), std::string::npos) << bankless.output;
    EXPECT_EQ(loudness(testing::readFile(wave), 0.05, 0.4), 0.0);
    const auto after = fileSize(settings) ? std::optional<std::string>(testing::readFile(settings)) : std::nullopt;
    EXPECT_EQ(after, before);
}

TEST_F(OrlimRenderTest, SaysClearlyWhatWentWrong)
{
    const std::string midi = dir_.file("song.mid");
    testing::MidiTrack track;
    track.noteOn(0, 0, 60).noteOff(96, 0, 60).end();
    testing::writeFile(midi, testing::midiFile(0, 96, {track}));
    struct Case {
        std::string arguments;
        int status;
        const char* says;
    };
    const Case cases[] = {
        {dir_.file("absent.mid") + " " + dir_.file("out.wav"), 1, "no such file"},
        {dir_.file("song.txt") + " " + dir_.file("out.wav"), 1, "give a .rwm document or a .mid file"},
        {midi + " " + dir_.file("no/folder/out.wav"), 1, "Can't create the wave file."},
        {midi + " " + dir_.file("out.wav") + " --preset " + dir_.file("absent.pre"), 1, "absent.pre: no such file"},
        {midi + " " + dir_.file("out.wav") + " --library " + dir_.file("absent"), 1, "absent as the bank folder: no such folder"},
        {midi, 2, "usage:"},
        {midi + " " + dir_.file("out.wav") + " --rate 5", 2, "--rate takes"},
        {midi + " " + dir_.file("out.wav") + " --channels 9", 2, "--channels takes"},
        {"--help", 0, "usage:"},
        {"--version", 0, "orlim-render 1.0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        const ToolRun run = render(c.arguments);
        EXPECT_EQ(run.status, c.status) << run.output;
        EXPECT_NE(run.output.find(c.says), std::string::npos) << run.output;
    }
    EXPECT_FALSE(fileSize(dir_.file("out.wav")));
}

} // namespace
} // namespace orlim
