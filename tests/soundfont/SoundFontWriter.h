#pragma once
// Builds small SoundFont 2 banks in code, for tests. A bank is described by its
// presets, instruments and samples; options leave out, reorder or damage chunks.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orlim::testing {

struct SfGenerator {
    std::uint16_t generator;
    std::uint16_t amount;
};

// Generators by name, as a zone's list holds them.
SfGenerator keyRange(int low, int high);
SfGenerator velocityRange(int low, int high);
SfGenerator generator(std::uint16_t number, int amount);

struct SfZone {
    std::vector<SfGenerator> generators;
    // The instrument (preset zones) or sample (instrument zones) the list ends with;
    // none makes a global zone.
    std::optional<std::uint16_t> target;
};

struct SfPreset {
    std::string name;
    std::uint16_t preset = 0;
    std::uint16_t bank = 0;
    std::vector<SfZone> zones;
};

struct SfInstrument {
    std::string name;
    std::vector<SfZone> zones;
};

struct SfSample {
    std::string name;
    std::vector<std::int16_t> points;
    // Relative to the sample's first point.
    std::uint32_t loopStart = 0;
    std::uint32_t loopEnd = 0;
    std::uint32_t sampleRate = 44100;
    std::uint8_t originalPitch = 60;
    std::int8_t pitchCorrection = 0;
    std::uint16_t sampleType = 1;
};

struct SoundFontBuilder {
    std::vector<SfPreset> presets;
    std::vector<SfInstrument> instruments;
    std::vector<SfSample> samples;

    // Form type of the RIFF file.
    std::string formType = "sfbk";
    bool withPdta = true;
    bool withSdta = true;
    bool withSmpl = true;
    // The "pdta" sub-chunks in the order they are written; a name left out is not written.
    std::vector<std::string> pdtaOrder = {"phdr", "pbag", "pmod", "pgen", "inst",
                                          "ibag", "imod", "igen", "shdr"};
    // "sdta" before "pdta", as banks usually have it; false puts it last in the file.
    bool sdtaFirst = true;
    // Zero points written after each sample (the standard asks for 46).
    std::size_t padding = 46;

    // Position of sample `index`'s first point in "smpl".
    std::uint32_t sampleStart(std::size_t index) const;
    // The whole file.
    std::string bytes() const;
};

// A kestrow SourceEntry: bank and preset, the cutoff settings and the bank file name,
// with the record length of a stored record (93 + the name's length).
std::vector<std::uint8_t> kestrowEntry(const std::string& bankFile, int bank, int preset,
                                       int cutoffMode = 0, int pitchOffset = 0,
                                       int attenuationOffset = 0, int relativeCutoff = 400,
                                       int fixedCutoff = 8000);

// A bank with one preset (bank 0, preset 0) of one instrument zone over one sample
// of `points` points: the base many tests vary.
SoundFontBuilder simpleBank(std::size_t points = 200);

} // namespace orlim::testing
