// Feeds arbitrary bytes to tivenor as a Giga bank file. The first 14 bytes are a
// request (bank and program, 32-bit; pitch, loudness and relative cutoff, 16-bit;
// little-endian); the rest is the file. The sample path runs for that request and for the first regions
// of the first instruments the bank holds, and the two browsing lists read the same
// bytes. Nothing may read outside the file, and every handed-out block must hold its
// points plus the ones after the loop end.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "fuzz/FuzzSupport.h"
#include "plugins/common/SampleCache.h"
#include "plugins/giga/BrowseLists.h"
#include "plugins/giga/GigaBank.h"
#include "plugins/giga/TivenorSource.h"

using orlim::fuzz::check;
using orlim::fuzz::le16;
using orlim::fuzz::le32;
using orlim::fuzz::MemoryFile;

namespace {

using namespace orlim;
using namespace orlim::tivenor;

void request(GigaBank& bank, const TivenorSettings& settings, std::int16_t pitch, std::int16_t loudness,
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
        check(sample.sampleBytes >= 1 && sample.sampleBytes <= 4);
        check(block->size() >= (std::uint64_t{sample.sampleLength} + kExtraPoints) * sample.sampleBytes);
        check(sample.loopStart <= sample.loopEnd);
        check(sample.loopEnd <= sample.sampleLength);
        check(sample.cutoff <= 20000000);
    } else {
        check(error >= 3 && error <= 18);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    orlim::fuzz::silenceMessageBoxes();
    if (size < 14)
        return 0;
    const std::uint8_t* file = data + 14;
    const std::size_t fileSize = size - 14;

    auto reader = std::make_unique<RiffReader>();
    check(reader->openMemory(file, fileSize));
    const std::shared_ptr<GigaBank> bank = GigaBank::read(std::move(reader));
    check(bank != nullptr);

    plugin::SampleCache cache(1 << 20);
    TivenorSettings settings;
    settings.bank = le32(data);
    settings.program = le32(data + 4);
    settings.relativeCutoff = static_cast<std::uint16_t>(le16(data + 12));
    const std::int16_t pitch = le16(data + 8);
    const std::int16_t loudness = le16(data + 10);
    request(*bank, settings, pitch, loudness, cache);
    for (std::size_t i = 0; i < bank->instruments.size() && i < 8; ++i) {
        const Instrument& instrument = bank->instruments[i];
        settings.bank = instrument.bank;
        settings.program = instrument.program;
        request(*bank, settings, pitch, loudness, cache);
        for (std::size_t r = 0; r < instrument.regions.size() && r < 4; ++r) {
            const int low = std::min(instrument.regions[r].keyLow * 100, 32767);
            request(*bank, settings, static_cast<std::int16_t>(low), 0, cache);
        }
    }

    const MemoryFile memory(file, fileSize);
    if (const auto instruments = instrumentList(memory.path())) {
        const auto entries = listEntries<InstrumentListEntry>(*instruments);
        check(entries.size() * sizeof(InstrumentListEntry) + 4 == instruments->size());
        for (std::size_t i = 0; i < entries.size() && i < 8; ++i)
            if (const auto regions = regionList(memory.path(), entries[i].bank, entries[i].program))
                check(listEntries<RegionListEntry>(*regions).size() * sizeof(RegionListEntry) + 4 == regions->size());
    }
    regionList(memory.path(), le32(data), le32(data + 4));
    return 0;
}
