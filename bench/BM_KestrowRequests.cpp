// 10,000 note requests to kestrow across the General MIDI programs and keys of the
// TimGM6mb bank: "Cold" starts every batch with empty caches, as the first notes of a
// song do; "Warm" repeats the batch on caches the same notes filled. Rates are per
// second of wall time, so that waiting for the disk counts.
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <vector>

#include <benchmark/benchmark.h>

#include "plugins/soundfont/KestrowSource.h"

namespace {

using namespace orlim;

constexpr const char* kFolder = "/usr/share/sounds/sf2/";
constexpr const char* kBank = "TimGM6mb.sf2";
// Documents store bank names lower-cased; the file keeps its own case.
constexpr const char* kStoredName = "timgm6mb.sf2";
constexpr int kRequests = 10000;

std::vector<std::uint8_t> entryFor(int bank, int program)
{
    std::vector<std::uint8_t> record(93 + std::strlen(kStoredName), 0);
    auto set16 = [&](std::size_t offset, int value) {
        const auto v = static_cast<std::uint16_t>(value);
        std::memcpy(record.data() + offset, &v, 2);
    };
    set16(0, static_cast<int>(record.size()));
    std::memcpy(record.data() + 12, "kestrow.dll", 11);
    set16(76, bank);
    set16(78, program);
    set16(80, 400);
    set16(82, 8000);
    std::memcpy(record.data() + 88, kStoredName, std::strlen(kStoredName));
    return record;
}

struct Note {
    const SourceEntry* entry;
    std::int16_t pitch;
    std::int16_t loudness;
};

// A fixed, song-like spread: every program, keys 48..72, some drums, varying loudness.
class Batch {
public:
    Batch()
    {
        for (int program = 0; program < 128; ++program)
            entries_.push_back(entryFor(0, program));
        entries_.push_back(entryFor(128, 0));
        std::uint32_t seed = 12345;
        for (int i = 0; i < kRequests; ++i) {
            seed = seed * 1664525u + 1013904223u;
            const std::size_t which = (seed >> 8) % entries_.size();
            const bool drum = which == 128;
            const int key = drum ? 35 + static_cast<int>((seed >> 16) % 47) : 48 + static_cast<int>((seed >> 16) % 25);
            notes_.push_back({reinterpret_cast<const SourceEntry*>(entries_[which].data()),
                              static_cast<std::int16_t>(key * 100),
                              static_cast<std::int16_t>(-static_cast<int>((seed >> 24) % 3000))});
        }
    }

    // Runs every note; returns how many failed.
    int run(kestrow::KestrowSource& source) const
    {
        int failed = 0;
        for (const Note& note : notes_) {
            SampleRequest request{};
            request.pitch = note.pitch;
            request.loudness = note.loudness;
            request.outBytes = 2;
            request.outRate = 44100;
            request.totalSamples = 22050;
            const void* block = source.getSample(note.entry, &request);
            benchmark::DoNotOptimize(block);
            failed += block == nullptr;
        }
        return failed;
    }

private:
    std::vector<std::vector<std::uint8_t>> entries_;
    std::vector<Note> notes_;
};

bool haveBank(benchmark::State& state)
{
    if (std::filesystem::exists(std::string(kFolder) + kBank))
        return true;
    state.SkipWithError("the timgm6mb-soundfont package is not installed");
    return false;
}

void Cold(benchmark::State& state)
{
    if (!haveBank(state))
        return;
    const Batch batch;
    int failed = 0;
    for (auto _ : state) {
        kestrow::KestrowSource source(kFolder);
        failed += batch.run(source);
    }
    state.SetItemsProcessed(state.iterations() * kRequests);
    state.counters["failed"] = failed;
}

void Warm(benchmark::State& state)
{
    if (!haveBank(state))
        return;
    const Batch batch;
    kestrow::KestrowSource source(kFolder);
    batch.run(source);
    int failed = 0;
    for (auto _ : state)
        failed += batch.run(source);
    state.SetItemsProcessed(state.iterations() * kRequests);
    state.counters["failed"] = failed;
}

BENCHMARK(Cold)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Warm)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
