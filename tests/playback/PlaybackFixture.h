#pragma once
// What the playback and wave-saving tests share: a music with a notify window that
// records what playback posts, a request in a small format, and a temporary folder
// for the engine's stream files.

#include <chrono>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/include/DuradMessages.h"
#include "engine/model/Durad.h"
#include "engine/model/Editing.h"
#include "engine/render/Playback.h"
#include "platform/DynamicLibrary.h"
#include "platform/MessageBox.h"
#include "platform/Settings.h"
#include "platform/Window.h"
#include "tests/support/TempDir.h"

namespace orlim::testing {

// Ticks at the default tempo of 3840 ticks a minute: 64 a second.
inline constexpr std::uint32_t kTicksPerSecond = 64;

struct Posted {
    std::uint32_t msg;
    LParam lParam;
};

// A notify window that keeps the playback messages it is sent or posted.
class RecordingWindow {
public:
    RecordingWindow()
        : window_([this](std::uint32_t msg, WParam, LParam lParam) -> std::intptr_t {
              if (msg == WM_MUS_POSITION || msg == WM_MUS_PLAYEND || msg == WM_MUS_ERROR)
                  messages.push_back({msg, lParam});
              return 0;
          })
    {
    }

    WindowHandle handle() { return &window_; }
    QueueWindow& queue() { return window_; }

    std::vector<std::int64_t> positions() const
    {
        std::vector<std::int64_t> times;
        for (const Posted& posted : messages)
            if (posted.msg == WM_MUS_POSITION)
                times.push_back(posted.lParam);
        return times;
    }

    int playEnds() const
    {
        int count = 0;
        for (const Posted& posted : messages)
            count += posted.msg == WM_MUS_PLAYEND;
        return count;
    }

    std::vector<Posted> messages;

private:
    QueueWindow window_;
};

// The controls of the gated test source: while the gate is closed, the render pass
// waits inside the request of every note of pitch 70.
class SourceGate {
public:
    SourceGate() : library_(loadPlugin("gatedsource.dll"))
    {
        EXPECT_NE(library_, nullptr) << "gatedsource.dll is built beside the tests";
        close_ = reinterpret_cast<void (*)()>(resolveSymbol(library_, "gatedSourceClose"));
        open_ = reinterpret_cast<void (*)()>(resolveSymbol(library_, "gatedSourceOpen"));
        holding_ = reinterpret_cast<bool (*)()>(resolveSymbol(library_, "gatedSourceHolding"));
    }
    ~SourceGate()
    {
        open();
        freeLibrary(library_);
    }
    SourceGate(const SourceGate&) = delete;
    SourceGate& operator=(const SourceGate&) = delete;

    void close()
    {
        if (close_)
            close_();
    }
    void open()
    {
        if (open_)
            open_();
    }
    bool holding() { return holding_ && holding_(); }

private:
    LibraryHandle library_;
    void (*close_)() = nullptr;
    void (*open_)() = nullptr;
    bool (*holding_)() = nullptr;
};

// Pitch of the notes at which a closed gate holds the render pass.
inline constexpr int kGatedPitch = 70;

class PlaybackTest : public ::testing::Test {
protected:
    PlaybackTest()
    {
        SettingsProfile("Orlim").writeString("Player", "TempPath", temp.path());
        music = std::make_unique<Durad>(window.handle());
        request.notifyWindow = window.handle();
        request.music = music.get();
        request.format = format(8000, 1, 16);
        // To the end of the music, whatever it holds.
        request.end = 0xFFFFFFFF;
        useGatedSource();
    }

    ~PlaybackTest() override
    {
        playback().endPlay();
        SettingsProfile("Orlim").deleteEntry("Player", "TempPath");
    }

    static WaveFormat format(std::uint32_t rate, std::uint16_t channels, std::uint16_t bits)
    {
        WaveFormat wave{};
        wave.formatTag = 1;
        wave.channels = channels;
        wave.samplesPerSec = rate;
        wave.blockAlign = static_cast<std::uint16_t>(channels * bits / 8);
        wave.avgBytesPerSec = rate * wave.blockAlign;
        wave.bitsPerSample = bits;
        wave.extraSize = 0;
        return wave;
    }

    static Playback& playback() { return enginePlayback(); }

    // Every track sounds through the gated test source from tick 0 on.
    void useGatedSource()
    {
        std::vector<std::uint8_t> record(kEntryHeadSize, 0);
        record[SourceEntryOffset::length] = static_cast<std::uint8_t>(kEntryHeadSize);
        std::memcpy(record.data() + SourceEntryOffset::fileName, "gatedsource.dll", 15);
        for (int track = 0; track < trackCount(*music); ++track)
            ASSERT_EQ(insertSource(*music, track, record.data()), 1);
    }

    void addNote(std::uint32_t position, int pitch, int duration, int track = 0)
    {
        ASSERT_EQ(insertNote(*music, track, position, pitch, duration), 1);
    }

    // Serves the window (and with it the timers), as an editor's message loop would, until
    // playback has posted its end (or a minute has passed, which fails the test).
    void pumpUntilPlayEnd()
    {
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::minutes(1);
        while (window.playEnds() == 0) {
            ASSERT_LT(std::chrono::steady_clock::now(), giveUp) << "playback never ended";
            window.queue().waitAndPump(5);
        }
    }

    // Serves the window and the timers for a while.
    void pumpFor(std::chrono::milliseconds span)
    {
        const auto until = std::chrono::steady_clock::now() + span;
        while (std::chrono::steady_clock::now() < until) {
            window.queue().waitAndPump(5);
        }
    }

    // The files the engine left in its stream folder.
    std::vector<std::string> streamFiles() const
    {
        std::vector<std::string> names;
        std::error_code ignored;
        for (const auto& entry : std::filesystem::directory_iterator(temp.file("Buffer"), ignored))
            names.push_back(entry.path().filename().string());
        return names;
    }

    TempDir temp;
    RecordingWindow window;
    std::unique_ptr<Durad> music;
    PlayRequest request{};
    MessageBoxRecorder boxes;
};

} // namespace orlim::testing
