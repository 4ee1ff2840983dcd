// orlim-make-demo OUTPUT.mid [REPEATS]
//
// Writes a short General MIDI song of the project's own: eight bars in C major with
// a piano, a bass, strings, a flute melody and drums, one instrument per channel,
// played REPEATS times (default 1; 12 make about three minutes). The README's run
// command renders it, the renderer's end-to-end test and the benchmarks use it.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int kTicksPerQuarter = 96;
constexpr int kBar = 4 * kTicksPerQuarter;
constexpr int kBarsPerRound = 8;

struct Event {
    int time;
    int order; // offs before ons at the same time
    std::string bytes;
};

class Track {
public:
    void program(int channel, int program) { add(0, 0, {static_cast<char>(0xC0 | channel), static_cast<char>(program)}); }
    void controller(int time, int channel, int number, int value)
    {
        add(time, 1, {static_cast<char>(0xB0 | channel), static_cast<char>(number), static_cast<char>(value)});
    }
    void note(int time, int length, int channel, int key, int velocity)
    {
        add(time, 2, {static_cast<char>(0x90 | channel), static_cast<char>(key), static_cast<char>(velocity)});
        add(time + length, 0, {static_cast<char>(0x80 | channel), static_cast<char>(key), 0});
    }
    void meta(int time, int type, const std::string& data)
    {
        add(time, 0, std::string{'\xFF', static_cast<char>(type), static_cast<char>(data.size())} + data);
    }

    std::string chunk() const
    {
        std::vector<Event> sorted = events_;
        std::stable_sort(sorted.begin(), sorted.end(), [](const Event& a, const Event& b) {
            return a.time != b.time ? a.time < b.time : a.order < b.order;
        });
        std::string data;
        int now = 0;
        for (const Event& event : sorted) {
            data += quantity(event.time - now) + event.bytes;
            now = event.time;
        }
        data += quantity(0) + std::string{'\xFF', '\x2F', '\0'};
        return "MTrk" + bigEndian(static_cast<std::uint32_t>(data.size()), 4) + data;
    }

    static std::string bigEndian(std::uint32_t value, int bytes)
    {
        std::string out;
        for (int i = bytes - 1; i >= 0; --i)
            out += static_cast<char>((value >> (8 * i)) & 0xFF);
        return out;
    }

private:
    static std::string quantity(std::uint32_t value)
    {
        std::string out(1, static_cast<char>(value & 0x7F));
        while (value >>= 7)
            out.insert(out.begin(), static_cast<char>(0x80 | (value & 0x7F)));
        return out;
    }
    void add(int time, int order, std::string bytes) { events_.push_back({time, order, std::move(bytes)}); }

    std::vector<Event> events_;
};

// C, A minor, F, G: root notes of the chords, two bars each.
constexpr int kRoots[] = {48, 45, 41, 43, 48, 45, 41, 43};
constexpr bool kMinor[] = {false, true, false, false, false, true, false, false};
constexpr int kMelody[] = {72, 74, 76, 79, 76, 74, 72, 69, 72, 71, 67, 69, 71, 72, 74, 72};

} // namespace

int main(int argc, char** argv)
{
    const int repeats = argc == 3 ? std::atoi(argv[2]) : 1;
    if (argc < 2 || argc > 3 || repeats < 1 || repeats > 1000) {
        std::fprintf(stderr, "usage: orlim-make-demo OUTPUT.mid [REPEATS 1..1000]\n");
        return 2;
    }
    const int bars = kBarsPerRound * repeats;
    Track conductor;
    conductor.meta(0, 0x03, "Orlim Durad demo");
    conductor.meta(0, 0x51, Track::bigEndian(500000, 3)); // 120 quarter notes a minute
    conductor.meta(0, 0x58, std::string{4, 2, 24, 8});

    Track piano, bass, strings, flute, drums;
    piano.program(0, 0);
    bass.program(1, 33);
    strings.program(2, 48);
    flute.program(3, 73);
    drums.program(9, 0);
    piano.controller(0, 0, 10, 40);
    strings.controller(0, 2, 10, 90);
    strings.controller(0, 2, 7, 80);

    for (int bar = 0; bar < bars; ++bar) {
        const int start = bar * kBar;
        const int chord = bar % kBarsPerRound;
        const int root = kRoots[chord];
        const int third = root + (kMinor[chord] ? 3 : 4);
        for (int beat = 0; beat < 4; ++beat) {
            const int at = start + beat * kTicksPerQuarter;
            for (int key : {root + 12, third + 12, root + 19})
                piano.note(at, kTicksPerQuarter - 8, 0, key, beat == 0 ? 90 : 70);
            bass.note(at, kTicksPerQuarter / 2, 1, root - 12 + (beat % 2 ? 7 : 0), 100);
            drums.note(at, 24, 9, beat % 2 ? 38 : 36, 110);
            drums.note(at, 24, 9, 42, 70);
            drums.note(at + kTicksPerQuarter / 2, 24, 9, 42, 60);
        }
        strings.note(start, kBar, 2, root + 24, 60);
        strings.note(start, kBar, 2, third + 24, 60);
        flute.note(start, kBar / 2, 3, kMelody[2 * chord], 85);
        flute.note(start + kBar / 2, kBar / 2, 3, kMelody[2 * chord + 1], 85);
    }
    drums.note(bars * kBar, kTicksPerQuarter, 9, 49, 110);
    piano.note(bars * kBar, 2 * kBar, 0, 60, 90);
    piano.note(bars * kBar, 2 * kBar, 0, 64, 90);
    piano.note(bars * kBar, 2 * kBar, 0, 67, 90);

    const std::vector<const Track*> tracks = {&conductor, &piano, &bass, &strings, &flute, &drums};
    std::string file = "MThd" + Track::bigEndian(6, 4) + Track::bigEndian(1, 2) +
                       Track::bigEndian(static_cast<std::uint32_t>(tracks.size()), 2) +
                       Track::bigEndian(kTicksPerQuarter, 2);
    for (const Track* track : tracks)
        file += track->chunk();

    std::FILE* out = std::fopen(argv[1], "wb");
    if (!out || std::fwrite(file.data(), 1, file.size(), out) != file.size() || std::fclose(out) != 0) {
        std::fprintf(stderr, "orlim-make-demo: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
