// Feeds arbitrary bytes to kestrow as a bank file. The first 8 bytes are a request
// (bank, preset, pitch, loudness, little-endian 16-bit each); the rest is the file.
// The sample path runs for that request and for every preset the bank lists, and the
// three browsing lists read the same bytes. Nothing may read outside the file or a
// table, and every handed-out block must hold its points plus the extra ones.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "fuzz/FuzzSupport.h"
#include "plugins/common/SampleCache.h"
#include "plugins/soundfont/BrowseLists.h"
#include "plugins/soundfont/KestrowSource.h"
#include "plugins/soundfont/SoundFontBank.h"

using orlim::fuzz::check;
using orlim::fuzz::le16;
using orlim::fuzz::MemoryFile;

namespace {

using namespace orlim;
using namespace orlim::kestrow;

void request(SoundFontBank& bank, KestrowSettings settings, std::int16_t pitch, std::int16_t loudness,
             plugin::SampleCache& cache)
{
    SampleRequest sample{};
    sample.pitch = pitch;
    sample.loudness = loudness;
    sample.outBytes = 2;
    sample.outRate = 44100;
    sample.totalSamples = 44100;
    plugin::SampleBlock block;
    const int error = produceSample(bank, settings, sample, cache, block);
    if (error == 0) {
        check(block != nullptr);
        check(sample.sampleLength > 0);
        check(block->size() >= 2 * (std::uint64_t{sample.sampleLength} + kExtraPoints));
        check(sample.loopEnd <= sample.sampleLength);
        check(sample.cutoff <= 20000000);
    } else {
        check(error >= 1 && error <= 17);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    orlim::fuzz::silenceMessageBoxes();
    if (size < 8)
        return 0;
    const std::uint8_t* file = data + 8;
    const std::size_t fileSize = size - 8;

    auto reader = std::make_unique<RiffReader>();
    check(reader->openMemory(file, fileSize));
    const std::shared_ptr<SoundFontBank> bank = SoundFontBank::read(std::move(reader));
    check(bank != nullptr);

    plugin::SampleCache cache(1 << 20);
    KestrowSettings settings;
    settings.bank = le16(data);
    settings.preset = le16(data + 2);
    settings.cutoffMode = static_cast<std::int16_t>(data[0] & 3);
    const std::int16_t pitch = le16(data + 4);
    const std::int16_t loudness = le16(data + 6);
    request(*bank, settings, pitch, loudness, cache);
    if (bank->phdr) {
        const std::size_t presets = bank->phdr->count(kPresetHeaderSize);
        for (std::size_t i = 0; i < presets && i < 8; ++i) {
            const PresetHeader header = presetHeader(*bank->phdr, i);
            settings.bank = static_cast<std::int16_t>(header.bank);
            settings.preset = static_cast<std::int16_t>(header.preset);
            request(*bank, settings, pitch, loudness, cache);
            request(*bank, settings, 6000, 0, cache);
        }
    }

    const MemoryFile memory(file, fileSize);
    if (const auto presets = presetList(memory.path()))
        check(listEntries<PresetListEntry>(*presets).size() * sizeof(PresetListEntry) + 4 == presets->size());
    const std::uint32_t index = static_cast<std::uint16_t>(le16(data + 2));
    if (const auto instruments = instrumentList(memory.path(), index & 0xFF)) {
        for (const InstrumentListEntry& entry : listEntries<InstrumentListEntry>(*instruments))
            zoneList(memory.path(), entry.bagIndex);
    }
    zoneList(memory.path(), index);
    return 0;
}
