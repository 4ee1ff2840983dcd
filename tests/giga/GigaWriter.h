#pragma once
// Builds small Giga banks in code, for tests: a RIFF form "DLS " with instruments,
// regions with their Giga articulation, a pool table and a wave pool. Options leave
// chunks out, damage counts and offsets, and choose the order of a region's chunks.

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace orlim::testing {

// A time in 1/65536 timecent: t seconds are 1200 x log2(t) x 65536.
std::int32_t gigaTime(double seconds);
// The time that gives no samples at all.
inline constexpr std::int32_t kNoTime = INT32_MIN;

struct GigaLoop {
    std::uint32_t start = 0;
    std::uint32_t length = 0;
};

// The fields of "3ewa" the plug-in reads; the rest of its 136 bytes are zero.
struct GigaArticulation {
    std::int32_t delay = kNoTime;
    std::int32_t attack = kNoTime;
    std::uint16_t sustain = 1000;
    std::int32_t release = kNoTime;
    std::uint32_t holdOrDecay = 0;
    std::uint16_t mode = 0;
};

struct GigaRegion {
    std::uint16_t keyLow = 0;
    std::uint16_t keyHigh = 127;
    std::uint16_t velocityLow = 0;
    std::uint16_t velocityHigh = 127;
    // A "wsmp" of the region itself, with this unity note; none when not set.
    std::optional<std::uint16_t> regionUnityNote;
    // The "wsmp" of the articulation.
    std::uint16_t unityNote = 60;
    std::int16_t fineTune = 0;
    std::int32_t attenuation = 0; // 1/65536 cB
    std::optional<GigaLoop> loop;
    GigaArticulation articulation;
    // A second dimension region ("3ewl") after the first, with its own articulation.
    std::optional<GigaArticulation> secondDimension;
    std::uint32_t tableIndex = 0;
    // Chunks left out: "rgn ", "rgnh", "wlnk", "3prg", "3ewl", "3ewa", "wsmp".
    std::set<std::string> omit;
};

struct GigaInstrument {
    std::string name; // "INAM"; none when empty
    std::uint32_t bank = 0;
    std::uint32_t program = 0;
    std::vector<GigaRegion> regions;
    // The region count of "insh"; the number of regions when not set.
    std::optional<std::uint32_t> regionCount;
    // Chunks left out: "ins ", "insh", "lrgn".
    std::set<std::string> omit;
};

struct GigaWave {
    std::string name; // "INAM"; none when empty
    std::uint16_t formatTag = 1;
    std::uint16_t channels = 1;
    std::uint32_t sampleRate = 44100;
    std::uint16_t bitsPerSample = 16;
    // channels x bytes per point when not set.
    std::optional<std::uint16_t> blockAlign;
    std::vector<std::uint8_t> data;
    // The list type the wave is written with; anything but "wave" hides it.
    std::string listType = "wave";
    // Chunks left out: "fmt ", "data".
    std::set<std::string> omit;
};

// A mono 16-bit wave of these points.
GigaWave wave16(const std::vector<std::int16_t>& points, const std::string& name = "");
// A wave of frames of `channels` 16-bit points each, channel c of frame i being
// frames[i * channels + c].
GigaWave interleaved16(const std::vector<std::int16_t>& frames, std::uint16_t channels,
                       const std::string& name = "");
// `count` points of a ramp that starts at `first` and climbs by 1 per point.
std::vector<std::int16_t> ramp(std::size_t count, std::int16_t first = 1);

// Where a region's chunks lie. Listed: "3ewa" before "wsmp" and "3prg" before "wlnk";
// Giga: "wsmp" before "3ewa" and "wlnk" before "3prg", as the format's own tools
// write them.
enum class ChunkOrder { Listed, Giga };

struct GigaBankBuilder {
    std::vector<GigaInstrument> instruments;
    std::vector<GigaWave> waves;

    std::string formType = "DLS ";
    // The instrument count of "colh"; the number of instruments when not set.
    std::optional<std::uint32_t> instrumentCount;
    // The cue count of "ptbl"; the number of waves when not set.
    std::optional<std::uint32_t> cueCount;
    // The cue offsets written; the waves' true offsets when not set.
    std::optional<std::vector<std::uint32_t>> cueOffsets;
    // Chunks of the form left out: "colh", "lins", "ptbl", "wvpl".
    std::set<std::string> omit;
    ChunkOrder order = ChunkOrder::Listed;

    // Offset of wave `index` from the first byte after the pool's list type.
    std::uint32_t waveOffset(std::size_t index) const;
    // Writes the bank through the RIFF writer; fails the test on error.
    void write(const std::string& path) const;
    // The whole file.
    std::string bytes() const;
};

// A tivenor SourceEntry for this instrument of `bankFile`, with the record length of
// a stored record (101 + the name's length).
std::vector<std::uint8_t> tivenorEntry(const std::string& bankFile, std::uint32_t bank, std::uint32_t program,
                                       int pitchOffset = 0, int attenuationOffset = 0, int relativeCutoff = 400);

// One instrument (bank 0, program 0) with one region over one mono wave of `points`
// ramp points: the base many tests vary.
GigaBankBuilder simpleGigaBank(std::size_t points = 200);

} // namespace orlim::testing
