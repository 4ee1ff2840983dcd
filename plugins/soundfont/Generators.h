#pragma once
// Generator sets: the amounts of one zone's generator list, starting from the
// defaults kestrow gives every zone, and the rule that combines an instrument zone's
// amount with its preset zone's.

#include <array>
#include <cstdint>
#include <optional>
#include <span>

namespace orlim::kestrow {

// Generator numbers of the SoundFont 2 standard used here.
enum Generator : std::uint16_t {
    StartAddrsOffset = 0,
    EndAddrsOffset = 1,
    StartloopAddrsOffset = 2,
    EndloopAddrsOffset = 3,
    StartAddrsCoarseOffset = 4,
    VibLfoToPitch = 6,
    InitialFilterFc = 8,
    EndAddrsCoarseOffset = 12,
    ModLfoToVolume = 13,
    DelayModLfo = 21,
    FreqModLfo = 22,
    DelayVibLfo = 23,
    FreqVibLfo = 24,
    DelayVolEnv = 33,
    AttackVolEnv = 34,
    HoldVolEnv = 35,
    DecayVolEnv = 36,
    SustainVolEnv = 37,
    ReleaseVolEnv = 38,
    Instrument = 41,
    KeyRange = 43,
    VelRange = 44,
    StartloopAddrsCoarseOffset = 45,
    InitialAttenuation = 48,
    EndloopAddrsCoarseOffset = 50,
    CoarseTune = 51,
    FineTune = 52,
    SampleId = 53,
    SampleModes = 54,
    ScaleTuning = 56,
    OverridingRootKey = 58,
};

// The amount of a generator that was not set.
inline constexpr std::int16_t kNotSet = static_cast<std::int16_t>(0x8000);

inline constexpr std::size_t kGeneratorCount = 59;

// True for the generators a set keeps; the others are read and dropped.
bool isKept(std::uint16_t generator) noexcept;

struct GeneratorSet {
    // Raw amounts by generator number; the key and velocity ranges live apart.
    std::array<std::int16_t, kGeneratorCount> amount{};
    std::int16_t keyLow = 0;      // cents: low key x 100
    std::int16_t keyHigh = 12800; // cents: high key x 100
    std::int16_t velocityLow = 0;
    std::int16_t velocityHigh = 127;

    GeneratorSet() noexcept;
    std::int16_t operator[](Generator generator) const noexcept { return amount[generator]; }
    // Stores one generator record as a zone's list gives it.
    void store(std::uint16_t generator, std::uint16_t rawAmount) noexcept;
};

// One zone read from a generator chunk.
struct Zone {
    GeneratorSet generators;
    // The list ended with the terminating generator (instrument or sample ID), whose
    // amount is `target`.
    bool terminated = false;
    std::uint16_t target = 0;
};

// Reads the generator records first .. next-1 of `chunk` (4 bytes each) into `zone`,
// stopping after the first record of `terminator`. Nothing when a record to read lies
// past the chunk's end.
std::optional<Zone> readZone(std::span<const std::uint8_t> chunk, std::uint16_t first,
                             std::uint16_t next, Generator terminator);

// The instrument zone's amount plus the preset zone's, each when it is set; nothing
// when neither is set or they add up to 0. A present value carries the 0.01 offset
// that keeps it apart from the unset marker.
std::optional<double> combined(const GeneratorSet& instrument, const GeneratorSet& preset,
                               Generator generator) noexcept;

// Plain sum of both zones' amounts, for the address offsets.
int summed(const GeneratorSet& instrument, const GeneratorSet& preset, Generator generator) noexcept;

} // namespace orlim::kestrow
