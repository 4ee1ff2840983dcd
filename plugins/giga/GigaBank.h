#pragma once
// The structure of one version of a Giga bank file: its instruments with their
// regions, the pool table and where the wave pool lies. Each chunk is searched from
// the start of the list that holds it, so banks written in either of the usual chunk
// orders read alike; a request answered from this reading gives exactly the error a
// walk through the file itself would give. Waves are located on demand.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Riff.h"

namespace orlim::tivenor {

// Bytes of the Giga articulation record "3ewa".
inline constexpr std::size_t kArticulationSize = 136;
// Bytes of the text fields the lists hand out.
inline constexpr std::size_t kNameSize = 32;

using Name = std::array<char, kNameSize>;

// The fields of "3ewa" the sample path uses. Times are in 1/65536 timecent.
struct Articulation {
    std::int32_t delay = 0;
    std::int32_t attack = 0;
    std::uint16_t sustain = 0; // per mille
    std::int32_t release = 0;
    std::uint32_t holdOrDecay = 0;
    std::uint16_t mode = 0;
};

// Envelope mode in which the note holds until the loop start.
inline constexpr std::uint16_t kModeHoldToLoop = 128;

// The "wsmp" of a region's articulation.
struct SampleInfo {
    std::uint16_t unityNote = 0;
    std::int16_t fineTune = 0;
    std::int32_t attenuation = 0; // 1/65536 cB
    // The first loop record; both 0 when there is none.
    std::uint32_t loopStart = 0;
    std::uint32_t loopLength = 0;
};

struct Region {
    std::uint16_t keyLow = 0;
    std::uint16_t keyHigh = 0;
    std::uint16_t velocityLow = 0;
    std::uint16_t velocityHigh = 0;
    // The unity note of the region's own "wsmp", which only the regions list reads.
    std::optional<std::uint16_t> unityNote;
    // 0, or the error of the first articulation chunk missing: 9 "3prg", 10 "3ewl",
    // 11 "3ewa", 12 "wsmp".
    int articulationError = 0;
    Articulation articulation;
    SampleInfo sample;
    // The pool table index of "wlnk"; nothing when "wlnk" is missing.
    std::optional<std::uint32_t> tableIndex;
};

struct Instrument {
    std::uint32_t bank = 0; // bit 31: drum kit
    std::uint32_t program = 0;
    std::uint32_t regionCount = 0;
    Name name{}; // from "INFO"/"INAM", zero when absent
    bool hasLrgn = false;
    // The regions up to the count, up to the first one without "rgn " or "rgnh".
    std::vector<Region> regions;
    // True when a region within the count lacks its "rgn " or "rgnh".
    bool regionsBroken = false;
};

// Where a wave's points lie, with its format.
struct WaveData {
    std::uint16_t channels = 0;
    std::uint32_t sampleRate = 0;
    std::uint16_t blockAlign = 0;
    std::uint16_t bitsPerSample = 0;
    RiffChunk data;
};

class GigaBank {
public:
    // Reads the structure of the bank at `path`; null when the file cannot be opened.
    static std::shared_ptr<GigaBank> open(const std::string& path);
    // Reads the structure from an opened reader, which the bank keeps for the waves.
    static std::shared_ptr<GigaBank> read(std::unique_ptr<RiffReader> reader);

    // 0, or 3 when the file has no RIFF form "DLS ".
    int formError = 0;
    // The instrument count of "colh"; nothing when "colh" is missing.
    std::optional<std::uint32_t> instrumentCount;
    bool hasLins = false;
    // The instruments up to the count, up to the first one without "ins " or "insh".
    std::vector<Instrument> instruments;
    // True when an instrument within the count lacks its "ins " or "insh".
    bool instrumentsBroken = false;
    // The cue offsets of "ptbl" that lie inside it, up to its cue count; nothing
    // when "ptbl" is missing.
    std::optional<std::vector<std::uint32_t>> cues;
    // LIST "wvpl"; nothing when it is missing.
    std::optional<RiffChunk> wvpl;

    // Distinguishes this reading from every other, for data cached from it.
    std::uint64_t version = 0;

    // The wave at `cueOffset` into the pool: its format and points, or the error of
    // what is missing (16 the wave, 17 a usable "fmt ", 18 "data"). Needs "wvpl".
    struct WaveResult {
        int error = 0;
        WaveData wave;
    };
    WaveResult waveAt(std::uint32_t cueOffset);
    // The "INFO"/"INAM" name of the wave at `cueOffset`; nothing when there is no wave
    // there, zero when it has no name.
    std::optional<Name> waveNameAt(std::uint32_t cueOffset);

    // Reads `count` bytes at `offset` of the file into `out`; returns how many were read.
    std::size_t readAt(std::uint64_t offset, void* out, std::size_t count);

private:
    std::optional<RiffChunk> findWave(std::uint32_t cueOffset);

    std::unique_ptr<RiffReader> reader_;
};

} // namespace orlim::tivenor
