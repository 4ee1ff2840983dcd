// Importing large MIDI files: notes that arrive in time order, chords, and a dense
// stream of controllers, each built in memory. Reports imported events per second.

#include <benchmark/benchmark.h>

#include "engine/formats/MidiImport.h"
#include "engine/model/Durad.h"
#include "platform/MessageBox.h"
#include "tests/midi/MidiWriter.h"

namespace {

using orlim::testing::MidiTrack;

std::vector<std::uint8_t> bytesOf(const std::string& file)
{
    return std::vector<std::uint8_t>(file.begin(), file.end());
}

// `count` notes on one channel, `voices` at a time, a sixteenth apart.
std::vector<std::uint8_t> notesFile(int count, int voices)
{
    MidiTrack track;
    for (int i = 0; i < count; i += voices) {
        for (int v = 0; v < voices; ++v)
            track.noteOn(0, 0, 48 + (i / voices + 4 * v) % 48);
        for (int v = 0; v < voices; ++v)
            track.noteOff(v == 0 ? 120 : 0, 0, 48 + (i / voices + 4 * v) % 48);
    }
    track.end();
    return bytesOf(orlim::testing::midiFile(0, 480, {track}));
}

// `count` expression and pan changes on one channel, a tick apart, over a held note.
std::vector<std::uint8_t> controllersFile(int count)
{
    MidiTrack track;
    track.noteOn(0, 0, 60);
    for (int i = 0; i < count; ++i)
        track.controller(i % 2 == 0 ? 1 : 0, 0, i % 2 == 0 ? 11 : 10, (i * 7) % 128);
    track.noteOff(1, 0, 60).end();
    return bytesOf(orlim::testing::midiFile(0, 480, {track}));
}

// `count` notes, each with an expression change a tick before it.
std::vector<std::uint8_t> expressiveNotesFile(int count)
{
    MidiTrack track;
    for (int i = 0; i < count; ++i)
        track.controller(0, 0, 11, 40 + i % 80).noteOn(1, 0, 48 + i % 48).noteOff(119, 0, 48 + i % 48);
    track.end();
    return bytesOf(orlim::testing::midiFile(0, 480, {track}));
}

void import(benchmark::State& state, const std::vector<std::uint8_t>& file, std::int64_t events)
{
    orlim::setMessagePresenter([](orlim::WindowHandle, const std::string&, const std::string&,
                                  orlim::MessageButtons) { return orlim::MessageAnswer::Ok; });
    for (auto _ : state) {
        Durad durad(nullptr);
        benchmark::DoNotOptimize(orlim::importMidi(durad, file, "bench.mid", ""));
    }
    state.SetItemsProcessed(state.iterations() * events);
}

void Notes(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    import(state, notesFile(count, 1), count);
}

void Chords(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    import(state, notesFile(count, 4), count);
}

void Controllers(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    import(state, controllersFile(count), count);
}

void ExpressiveNotes(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    import(state, expressiveNotesFile(count), 2 * count);
}

} // namespace

BENCHMARK(Notes)->Arg(10000)->Arg(200000)->Unit(benchmark::kMillisecond);
BENCHMARK(Chords)->Arg(200000)->Unit(benchmark::kMillisecond);
BENCHMARK(Controllers)->Arg(10000)->Arg(200000)->Unit(benchmark::kMillisecond);
BENCHMARK(ExpressiveNotes)->Arg(10000)->Arg(40000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
