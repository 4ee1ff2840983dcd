// A source plug-in for the playback tests: every note sounds a steady square wave
// from a small looping block, so no bank is needed. A test can close a gate that
// holds the render pass inside the request of any note of pitch 70 until the test
// opens it again, and so make the renderer fall behind the device at will.
#include "plugin-api/PluginApi.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace {

constexpr int kGatedPitch = 70;
constexpr std::uint32_t kLoop = 64;

struct Block {
    std::int16_t points[kLoop + 6];
    Block()
    {
        // The points after the loop repeat its start, for the resampler's look-ahead.
        for (std::uint32_t i = 0; i < kLoop + 6; ++i)
            points[i] = (i % kLoop) < kLoop / 2 ? 6000 : -6000;
    }
};
const Block block;

std::atomic<bool> gateClosed{false};
std::atomic<bool> held{false};

} // namespace

// Test controls, found by the tests with dlsym.
ORLIM_PLUGIN_EXPORT void gatedSourceClose() noexcept
{
    gateClosed = true;
}

ORLIM_PLUGIN_EXPORT void gatedSourceOpen() noexcept
{
    gateClosed = false;
}

// True while a request waits at the closed gate.
ORLIM_PLUGIN_EXPORT bool gatedSourceHolding() noexcept
{
    return held;
}

ORLIM_PLUGIN_EXPORT const void* srcGetSample(const orlim::SourceEntry*, orlim::SampleRequest* request) noexcept
{
    if (request->pitch / 100 == kGatedPitch) {
        held = true;
        while (gateClosed)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        held = false;
    }
    request->noteOff = request->totalSamples;
    request->delayEnd = 0;
    request->attackEnd = 0;
    request->holdEnd = 0;
    request->decayEnd = 0;
    request->levelStart = 0;
    request->levelAttack = 0;
    request->levelHold = 0;
    request->levelDecay = 0;
    request->levelNoteOff = 0;
    request->tremoloDelay = 0;
    request->vibratoDelay = 0;
    request->tremoloRate = 0;
    request->vibratoRate = 0;
    request->tremoloDepth = 0;
    request->vibratoDepth = 0;
    request->cutoff = 0;
    request->rootPitch = request->pitch;
    request->attenuation = 0;
    request->sampleBytes = 2;
    request->sampleRate = request->outRate;
    request->startOffset = 0;
    request->sampleLength = kLoop + 6;
    request->loopStart = 0;
    request->loopEnd = kLoop;
    return block.points;
}

ORLIM_PLUGIN_EXPORT const char* srcGetLastError() noexcept
{
    return "";
}
