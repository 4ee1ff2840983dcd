// A whole render pass: a generated piece of three minutes on eight tracks, each with
// a General MIDI program of the TimGM6mb bank through kestrow.dll, rendered to 16-bit
// stereo at 44.1 kHz into a stream buffer. Reports how many times faster than real
// time the piece renders.
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "engine/model/Durad.h"
#include "engine/model/Editing.h"
#include "engine/model/Timeline.h"
#include "engine/render/RenderPass.h"
#include "engine/render/RenderState.h"
#include "platform/Settings.h"

namespace {

using namespace orlim;

constexpr const char* kFolder = "/usr/share/sounds/sf2/";
constexpr const char* kBank = "timgm6mb.sf2";
// Three minutes at 120 quarter notes a minute.
constexpr std::uint32_t kTicks = 3 * 3840;

std::vector<std::uint8_t> kestrowEntry(int bank, int program)
{
    std::vector<std::uint8_t> record(93 + std::strlen(kBank), 0);
    const auto set16 = [&](std::size_t offset, int value) {
        const auto v = static_cast<std::uint16_t>(value);
        std::memcpy(record.data() + offset, &v, 2);
    };
    set16(0, static_cast<int>(record.size()));
    std::memcpy(record.data() + 12, "kestrow.dll", 11);
    set16(76, bank);
    set16(78, program);
    set16(80, 400);
    set16(82, 8000);
    std::memcpy(record.data() + 88, kBank, std::strlen(kBank));
    return record;
}

// Piano, strings, bass, drums, flute, guitar, brass and a pad, each with its own
// rhythm and register, chords on some.
std::unique_ptr<Durad> makePiece()
{
    auto durad = std::make_unique<Durad>(nullptr);
    const struct {
        int bank;
        int program;
        int low;
        std::uint32_t step;
        int duration;
        int voices;
    } parts[] = {{0, 0, 48, 16, 16, 3},  {0, 48, 55, 64, 64, 2}, {0, 33, 33, 16, 14, 1}, {128, 0, 36, 8, 4, 1},
                 {0, 73, 67, 16, 12, 1}, {0, 25, 52, 8, 8, 2},   {0, 61, 58, 32, 24, 2}, {0, 89, 60, 128, 128, 3}};
    int index = 0;
    for (const auto& part : parts) {
        if (index > 0)
            insertTrack(*durad, index, "part");
        const std::vector<std::uint8_t> entry = kestrowEntry(part.bank, part.program);
        insertSource(*durad, index, entry.data());
        std::uint32_t seed = 977u * static_cast<std::uint32_t>(index + 1);
        for (std::uint32_t position = 0; position < kTicks; position += part.step) {
            seed = seed * 1664525u + 1013904223u;
            const int root = part.low + static_cast<int>((seed >> 16) % 12);
            for (int v = 0; v < part.voices; ++v)
                insertNote(*durad, index, position, root + 4 * v - (v == 2 ? 1 : 0), part.duration);
        }
        insertPano(*durad, index, 1, -20000 + 5000 * index, 0, 0);
        ++index;
    }
    return durad;
}

void RenderPiece(benchmark::State& state)
{
    if (!std::filesystem::exists(std::string(kFolder) + "TimGM6mb.sf2")) {
        state.SkipWithError("the timgm6mb-soundfont package is not installed");
        return;
    }
    char folder[] = "/tmp/orlim-bench-XXXXXX";
    if (!mkdtemp(folder)) {
        state.SkipWithError("no temporary folder");
        return;
    }
    setenv("ORLIM_CONFIG_DIR", folder, 1);
    SettingsProfile("Kestrow").writeString("Library", "Path", kFolder);
    SettingsProfile("Orlim").writeString("Player", "TempPath", folder);

    std::unique_ptr<Durad> piece = makePiece();
    PlayRequest request;
    request.music = piece.get();
    request.start = 0;
    request.end = kTicks;
    request.format.formatTag = 1;
    request.format.channels = 2;
    request.format.samplesPerSec = 44100;
    request.format.blockAlign = 4;
    request.format.avgBytesPerSec = 44100 * 4;
    request.format.bitsPerSample = 16;
    const double seconds = static_cast<double>(timeOfPosition(*piece, kTicks + 1, 0)) / 1000.0;

    double rendering = 0.0;
    std::int64_t bytes = 0;
    for (auto _ : state) {
        resetRenderState();
        RenderContext context;
        const auto begun = std::chrono::steady_clock::now();
        renderSynchronously(context, request);
        rendering += std::chrono::duration<double>(std::chrono::steady_clock::now() - begun).count();
        bytes = context.renderedBytes;
    }
    state.counters["realtime"] = seconds * static_cast<double>(state.iterations()) / rendering;
    state.counters["MB"] = static_cast<double>(bytes) / 1e6;
    std::filesystem::remove_all(folder);
}

BENCHMARK(RenderPiece)->Unit(benchmark::kSecond)->Iterations(2);

} // namespace

BENCHMARK_MAIN();
