#pragma once
// Render passes over small Durads built in code, with the test plug-ins as sources
// and effects, run synchronously into a stream whose bytes the tests read back.

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/include/DuradMessages.h"
#include "engine/model/Durad.h"
#include "engine/model/Editing.h"
#include "engine/render/RenderPass.h"
#include "engine/render/RenderState.h"
#include "engine/render/StreamBuffer.h"
#include "platform/DynamicLibrary.h"
#include "platform/Settings.h"
#include "platform/Window.h"
#include "plugin-api/Entries.h"
#include "tests/render/TestPluginRecords.h"
#include "tests/support/TempDir.h"

namespace orlim::testing {

inline WaveFormat pcmFormat(unsigned channels, unsigned rate, unsigned bits = 16)
{
    WaveFormat format{};
    format.formatTag = 1;
    format.channels = static_cast<std::uint16_t>(channels);
    format.samplesPerSec = rate;
    format.blockAlign = static_cast<std::uint16_t>(channels * bits / 8);
    format.avgBytesPerSec = rate * format.blockAlign;
    format.bitsPerSample = static_cast<std::uint16_t>(bits);
    return format;
}

// The out fields a shaped test source answers with: a looping-free block of
// `length` points at 44.1 kHz rooted at middle C, sounding without envelope.
inline SampleRequest plainAnswer(std::uint32_t length = 200000)
{
    SampleRequest answer{};
    answer.sampleBytes = 2;
    answer.sampleRate = 44100;
    answer.rootPitch = 6000;
    answer.sampleLength = length;
    return answer;
}

// A SourceEntry of testsource.dll starting at `start`. Shape Counting gives the
// binding-test record; any other shape a synthetic block with `answer`'s out fields.
inline std::vector<std::uint8_t> testSource(std::uint32_t start, std::uint8_t shape = TestSource::Constant,
                                            std::int32_t amplitude = 1000, const SampleRequest& answer = plainAnswer(),
                                            std::uint32_t noteOff = TestSource::kNoteOffAtLength,
                                            std::uint32_t release = 0, std::uint32_t period = 100,
                                            const char* name = "testsource.dll")
{
    std::vector<std::uint8_t> bytes(TestSource::recordLength, 0);
    writeField<std::uint16_t>(bytes.data(), 0, static_cast<std::uint16_t>(bytes.size()));
    writeField<std::uint32_t>(bytes.data(), SourceEntryOffset::start, start);
    setNameField(bytes.data(), SourceEntryOffset::fileName, name);
    setNameField(bytes.data(), SourceEntryOffset::displayText, "test");
    bytes[TestSource::shape] = shape;
    writeField<std::int32_t>(bytes.data(), TestSource::amplitude, amplitude);
    writeField<std::uint32_t>(bytes.data(), TestSource::period, period);
    writeField<std::uint32_t>(bytes.data(), TestSource::release, release);
    writeField<std::uint32_t>(bytes.data(), TestSource::noteOff, noteOff);
    std::memcpy(bytes.data() + TestSource::request, &answer, sizeof answer);
    return bytes;
}

// An EffectEntry over [start, start + ticks) of library `name`.
inline std::vector<std::uint8_t> testEffect(std::uint32_t start, std::uint32_t ticks, std::uint8_t mode,
                                            std::int32_t value = 0, std::uint32_t extra = 0,
                                            const char* name = "testeffect.dll")
{
    std::vector<std::uint8_t> bytes(TestEffect::recordLength, 0);
    writeField<std::uint16_t>(bytes.data(), 0, static_cast<std::uint16_t>(bytes.size()));
    writeField<std::uint32_t>(bytes.data(), EffectEntryOffset::start, start);
    writeField<std::uint32_t>(bytes.data(), EffectEntryOffset::ticks, ticks);
    setNameField(bytes.data(), EffectEntryOffset::fileName, name);
    bytes[TestEffect::mode] = mode;
    writeField<std::int32_t>(bytes.data(), TestEffect::value, value);
    writeField<std::uint32_t>(bytes.data(), TestEffect::extra, extra);
    return bytes;
}

class RenderFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SettingsProfile("Orlim").writeString("Player", "TempPath", temp.path()));
        resetRenderState();
        source = loadPlugin("testsource.dll");
        ASSERT_NE(source, nullptr);
        forgetRequests();
        window.setHandler([this](std::uint32_t msg, WParam, LParam lParam) -> std::intptr_t {
            if (msg == WM_MUS_ERROR)
                errors.emplace_back(reinterpret_cast<const char*>(lParam));
            return 0;
        });
        request.notifyWindow = &window;
        request.music = music.get();
        request.format = pcmFormat(2, 44100);
    }

    void TearDown() override
    {
        freeLibrary(source);
        SettingsProfile("Orlim").deleteEntry("Player", "TempPath");
    }

    void addSource(int track, const std::vector<std::uint8_t>& record)
    {
        ASSERT_EQ(insertSource(*music, track, record.data()), 1);
    }

    void addEffect(int track, const std::vector<std::uint8_t>& record)
    {
        ASSERT_EQ(insertEffect(*music, track, record.data()), 1);
    }

    Note& addNote(int track, std::uint32_t position, int pitch, int duration)
    {
        EXPECT_EQ(insertNote(*music, track, position, pitch, duration), 1);
        Track* t = trackAt(*music, track);
        Note* note = t->notes;
        while (note && !(note->position == position && note->pitch == pitch))
            note = note->next;
        return *note;
    }

    void addTrack()
    {
        const int count = trackCount(*music);
        ASSERT_EQ(insertTrack(*music, count, "track"), 1);
    }

    // Renders [start, end] and returns the stream's bytes; posted errors land in
    // `errors`.
    std::vector<unsigned char> render(std::uint32_t start, std::uint32_t end)
    {
        request.start = start;
        request.end = end;
        RenderContext context;
        std::vector<unsigned char> bytes;
        if (!renderSynchronously(context, request)) {
            ADD_FAILURE() << "no stream";
            return bytes;
        }
        EXPECT_FALSE(context.running);
        renderedBytes = context.renderedBytes;
        playedBytes = context.playedBytes;
        stopped = context.stop != 0;
        bytes.resize(static_cast<std::size_t>(context.renderedBytes));
        EXPECT_EQ(context.stream->read(bytes.data(), bytes.size()), bytes.size());
        window.pump();
        return bytes;
    }

    std::vector<SampleRequest> requests()
    {
        const auto count = reinterpret_cast<int (*)()>(resolveSymbol(source, "testSourceRequestCount"));
        const auto at = reinterpret_cast<SampleRequest (*)(int)>(resolveSymbol(source, "testSourceRequest"));
        std::vector<SampleRequest> all;
        for (int i = 0; i < count(); ++i)
            all.push_back(at(i));
        return all;
    }

    void forgetRequests() { reinterpret_cast<void (*)()>(resolveSymbol(source, "testSourceForget"))(); }

    // The 16-bit sample of channel `channel` in frame `frame`.
    static std::int16_t sample16(const std::vector<unsigned char>& bytes, std::size_t frame, unsigned channel,
                                 unsigned channels = 2)
    {
        std::int16_t value;
        std::memcpy(&value, bytes.data() + (frame * channels + channel) * 2, 2);
        return value;
    }

    TempDir temp;
    std::unique_ptr<Durad> music = std::make_unique<Durad>(nullptr);
    QueueWindow window;
    std::vector<std::string> errors;
    PlayRequest request;
    LibraryHandle source = nullptr;
    std::int64_t renderedBytes = 0;
    std::int64_t playedBytes = 0;
    bool stopped = false;
};

} // namespace orlim::testing
