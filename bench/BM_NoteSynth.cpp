// Note synthesis alone: a looping 16-bit block at 44.1 kHz played two seconds long at
// pitch ratios from 0.5 to 2, with the default filter, envelope and smoothing width.
// Reports output samples per second on one core.
#include <atomic>
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include <benchmark/benchmark.h>

#include "engine/model/Durad.h"
#include "engine/model/Editing.h"
#include "engine/render/NoteCurves.h"
#include "engine/render/NoteSynth.h"

namespace {

using namespace orlim;

constexpr std::uint32_t kLength = 44100;
constexpr std::uint32_t kSamples = 2 * 44100;

std::vector<unsigned char> sineBlock()
{
    std::vector<unsigned char> block((kLength + 8) * 2);
    for (std::uint32_t n = 0; n < kLength + 8; ++n) {
        // A 441 Hz tone with an overtone, periodic over the block.
        const double t = 2.0 * M_PI * n / 100.0;
        const auto v = static_cast<std::int16_t>(std::lround(16000 * std::sin(t) + 4000 * std::sin(3 * t)));
        block[2 * n] = static_cast<unsigned char>(v);
        block[2 * n + 1] = static_cast<unsigned char>(static_cast<std::uint16_t>(v) >> 8);
    }
    return block;
}

void NoteSynthesis(benchmark::State& state)
{
    const auto cents = static_cast<int>(state.range(0));
    Durad durad(nullptr);
    insertNote(durad, 0, 0, 60, 128);
    Track* track = trackAt(durad, 0);
    Note* note = track->notes;
    const std::vector<unsigned char> block = sineBlock();

    SampleRequest answer{};
    answer.pitch = static_cast<std::int16_t>(6000 + cents);
    answer.outBytes = 2;
    answer.outRate = 44100;
    answer.totalSamples = kSamples;
    answer.noteOff = kSamples * 2 / 3;
    answer.attackEnd = 441;
    answer.decayEnd = 10000;
    answer.levelStart = -3000;
    answer.levelDecay = -600;
    answer.levelNoteOff = -900;
    answer.cutoff = 6000000;
    answer.sampleBytes = 2;
    answer.sampleRate = 44100;
    answer.rootPitch = 6000;
    answer.sampleLength = kLength;
    answer.loopStart = 100;
    answer.loopEnd = kLength;

    NoteSynth synth;
    NoteCurves curves;
    const std::atomic<std::int32_t> stop{0};
    std::uint64_t samples = 0;
    for (auto _ : state) {
        SampleRequest request = answer;
        synth.synthesize(*note, *track, durad, request, block.data(), false, curves, stop);
        benchmark::DoNotOptimize(synth.values()[request.totalSamples / 2]);
        samples += request.totalSamples;
    }
    state.counters["samples/s"] = benchmark::Counter(static_cast<double>(samples), benchmark::Counter::kIsRate);
}

// Pitch ratios 0.5, 0.71, 1, 1.41 and 2.
BENCHMARK(NoteSynthesis)->Arg(-1200)->Arg(-600)->Arg(0)->Arg(600)->Arg(1200)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
