#pragma once
// The structure of one version of a SoundFont 2 bank file: where its chunks lie and
// the bytes of the "pdta" tables the sample path walks. The chunks are located the
// way a request would locate them, each searched forward from the end of the one
// before it, so a request answered from this reading gives exactly the error a
// request that walks the file itself would give.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Riff.h"

namespace orlim::kestrow {

// Record sizes of the tables read.
inline constexpr std::size_t kPresetHeaderSize = 38;
inline constexpr std::size_t kBagSize = 4;
inline constexpr std::size_t kModulatorSize = 10;
inline constexpr std::size_t kGeneratorSize = 4;
inline constexpr std::size_t kInstrumentSize = 22;
inline constexpr std::size_t kSampleHeaderSize = 46;

struct PresetHeader {
    char name[20];
    std::uint16_t preset;
    std::uint16_t bank;
    std::uint16_t bagIndex;
};

struct InstrumentHeader {
    char name[20];
    std::uint16_t bagIndex;
};

struct Bag {
    std::uint16_t generatorIndex;
    std::uint16_t modulatorIndex;
};

struct SampleHeader {
    char name[20];
    std::uint32_t start;
    std::uint32_t end;
    std::uint32_t loopStart;
    std::uint32_t loopEnd;
    std::uint32_t sampleRate;
    std::uint8_t originalPitch;
    std::int8_t pitchCorrection;
    std::uint16_t sampleLink;
    std::uint16_t sampleType;
};

// A table chunk's bytes; records are read by index with bounds checks.
struct Table {
    std::vector<std::uint8_t> bytes;

    std::size_t count(std::size_t recordSize) const { return bytes.size() / recordSize; }
    bool has(std::size_t index, std::size_t recordSize) const
    {
        return (static_cast<std::uint64_t>(index) + 1) * recordSize <= bytes.size();
    }
};

PresetHeader presetHeader(const Table& phdr, std::size_t index);
InstrumentHeader instrumentHeader(const Table& inst, std::size_t index);
Bag bag(const Table& bags, std::size_t index);
SampleHeader sampleHeader(const Table& shdr, std::size_t index);

class SoundFontBank {
public:
    // Reads the structure of the bank at `path`; null when the file cannot be opened.
    static std::shared_ptr<SoundFontBank> open(const std::string& path);
    // Reads the structure from an opened reader, which the bank keeps for sample reads.
    static std::shared_ptr<SoundFontBank> read(std::unique_ptr<RiffReader> reader);

    // 0, or the error of the form: 2 no RIFF form "sfbk", 3 no LIST "pdta".
    int formError = 0;

    // The "pdta" sub-chunks in the order requests look for them. Each is searched from
    // the end of the one before; once one is missing the later ones are not looked for.
    std::optional<Table> phdr, pbag;
    std::optional<std::uint32_t> pmodBytes;
    std::optional<Table> pgen, inst, ibag;
    std::optional<std::uint32_t> imodBytes;
    std::optional<Table> igen, shdr;

    bool hasSdta = false;
    // The "smpl" chunk inside LIST "sdta".
    std::optional<RiffChunk> smpl;

    // Distinguishes this reading from every other, for data cached from it.
    std::uint64_t version = 0;

    // Reads `count` bytes at `offset` of the file into `out`; returns how many were read.
    std::size_t readAt(std::uint64_t offset, void* out, std::size_t count);

private:
    std::unique_ptr<RiffReader> reader_;
};

} // namespace orlim::kestrow
