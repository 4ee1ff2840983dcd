// orlim-make-midiset BANK.sf2 BANK-NAME OUTPUT.pre
//
// Writes the default MIDI source preset: General MIDI program k plays preset k of
// bank 0 of the SoundFont bank, and the drum slot plays the drum kit (bank 128,
// preset 0), each named after the bank's preset. BANK-NAME is the file name the
// records store, found in kestrow's library folder.

#include "engine/formats/MidiPresetFile.h"
#include "plugins/soundfont/KestrowRecord.h"
#include "plugins/soundfont/SoundFontBank.h"
#include "plugin-api/Record.h"

#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

namespace {

using namespace orlim;

constexpr std::uint16_t kOpenCutoffHz = 20000;

std::optional<kestrow::PresetHeader> findPreset(const kestrow::SoundFontBank& bank, int bankNumber, int preset)
{
    const kestrow::Table& phdr = *bank.phdr;
    // The last header is the terminal record, not a preset.
    const std::size_t count = phdr.count(kestrow::kPresetHeaderSize);
    for (std::size_t i = 0; i + 1 < count; ++i) {
        const kestrow::PresetHeader header = kestrow::presetHeader(phdr, i);
        if (header.bank == bankNumber && header.preset == preset)
            return header;
    }
    return std::nullopt;
}

std::vector<std::uint8_t> sourceRecord(const std::string& bankName, int bankNumber, int preset,
                                       const std::string& displayText)
{
    const std::size_t length = 93 + bankName.size();
    std::vector<std::uint8_t> record(length, 0);
    writeField<std::uint16_t>(record.data(), SourceEntryOffset::length, static_cast<std::uint16_t>(length));
    setNameField(record.data(), SourceEntryOffset::fileName, kestrow::kPluginFileName);
    setNameField(record.data(), SourceEntryOffset::displayText, displayText);
    writeField<std::int16_t>(record.data(), kestrow::RecordOffset::bank, static_cast<std::int16_t>(bankNumber));
    writeField<std::int16_t>(record.data(), kestrow::RecordOffset::preset, static_cast<std::int16_t>(preset));
    writeField<std::uint16_t>(record.data(), kestrow::RecordOffset::relativeCutoff, kestrow::kDefaultRelativeCutoff);
    // A fixed cutoff of 20 kHz leaves the samples unfiltered. The bank's own cutoffs
    // are meant to be opened up by modulators, which the plug-in does not apply: taken
    // alone they would muffle many General MIDI sounds (the grand piano to near
    // silence).
    writeField<std::uint16_t>(record.data(), kestrow::RecordOffset::fixedCutoff, kOpenCutoffHz);
    writeField<std::int16_t>(record.data(), kestrow::RecordOffset::cutoffMode, kestrow::kCutoffFixed);
    std::memcpy(record.data() + kestrow::RecordOffset::bankFile, bankName.c_str(), bankName.size() + 1);
    return record;
}

std::string presetName(const kestrow::PresetHeader& header)
{
    return std::string(header.name, strnlen(header.name, sizeof header.name));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: orlim-make-midiset BANK.sf2 BANK-NAME OUTPUT.pre\n");
        return 2;
    }
    const auto bank = kestrow::SoundFontBank::open(argv[1]);
    if (!bank || bank->formError != 0 || !bank->phdr) {
        std::fprintf(stderr, "orlim-make-midiset: %s is not a readable SoundFont bank\n", argv[1]);
        return 1;
    }
    const std::string bankName = argv[2];

    MidiPreset preset;
    for (int program = 0; program < kDrumSlot; ++program) {
        // Every slot must be filled: a table is stored only up to its first empty slot.
        const auto header = findPreset(*bank, 0, program);
        const std::string name = header ? presetName(*header) : "Program " + std::to_string(program);
        preset.setSlot(program, sourceRecord(bankName, 0, header ? program : 0, name));
    }
    const auto drums = findPreset(*bank, kestrow::kDrumBank, 0);
    preset.setSlot(kDrumSlot, sourceRecord(bankName, kestrow::kDrumBank, 0, drums ? presetName(*drums) : "Drums"));

    if (!preset.write(argv[3])) {
        std::fprintf(stderr, "orlim-make-midiset: cannot write %s\n", argv[3]);
        return 1;
    }
    return 0;
}
