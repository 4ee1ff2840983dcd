#include "plugins/giga/BrowseLists.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "platform/MessageBox.h"
#include "plugins/giga/GigaBank.h"

namespace orlim::tivenor {
namespace {

// The texts of the lists' message boxes.
constexpr const char* kFailedToOpen = "Failed to open file.";
constexpr const char* kNotGiga = "This is not a GIGA file.";
constexpr const char* kNoColh = "Can't find colh chunk.";
constexpr const char* kNoSampleChunk = "Can't find sample chunk.";
constexpr const char* kNoInstChunk = "Can't find inst chunk.";
constexpr const char* kNoLrgn = "Can't find lrgn chunk.";

std::nullopt_t fail(const char* text)
{
    messageBox(nullptr, text, kMessageCaption, MessageButtons::Ok);
    return std::nullopt;
}

// The bank at `path` read down to its instrument list, or the message of what is missing.
const char* openBank(const std::string& path, std::shared_ptr<GigaBank>& bank)
{
    bank = GigaBank::open(path);
    if (!bank)
        return kFailedToOpen;
    if (bank->formError != 0)
        return kNotGiga;
    if (!bank->instrumentCount)
        return kNoColh;
    if (!bank->hasLins)
        return kNoSampleChunk;
    return nullptr;
}

} // namespace

std::optional<ListBlock> instrumentList(const std::string& path)
{
    std::shared_ptr<GigaBank> bank;
    if (const char* error = openBank(path, bank))
        return fail(error);
    if (bank->instrumentsBroken)
        return fail(kNoSampleChunk);
    plugin::ListBlockWriter list;
    for (const Instrument& instrument : bank->instruments) {
        InstrumentListEntry entry{};
        entry.bank = instrument.bank;
        entry.program = instrument.program;
        std::memcpy(entry.name, instrument.name.data(), sizeof entry.name);
        list.add(entry);
    }
    return list.finish();
}

std::optional<ListBlock> regionList(const std::string& path, std::uint32_t bankNumber, std::uint32_t program)
{
    std::shared_ptr<GigaBank> bank;
    if (const char* error = openBank(path, bank))
        return fail(error);
    const auto instrument = std::find_if(bank->instruments.begin(), bank->instruments.end(), [&](const Instrument& i) {
        return i.bank == bankNumber && i.program == program;
    });
    if (instrument == bank->instruments.end()) {
        if (bank->instrumentsBroken)
            return fail(kNoInstChunk);
        return std::nullopt;
    }
    if (!instrument->hasLrgn || instrument->regionsBroken)
        return fail(kNoLrgn);

    plugin::ListBlockWriter list;
    for (const Region& region : instrument->regions) {
        if (!region.tableIndex || !bank->cues || *region.tableIndex >= bank->cues->size())
            return fail(kNoLrgn);
        const std::optional<Name> waveName = bank->waveNameAt((*bank->cues)[*region.tableIndex]);
        if (!waveName)
            return fail(kNoLrgn);
        RegionListEntry entry{};
        entry.rootPitch = region.unityNote ? static_cast<std::int16_t>(*region.unityNote * 100) : kNoRoot;
        entry.keyLow = region.keyLow;
        entry.keyHigh = region.keyHigh;
        std::memcpy(entry.waveName, waveName->data(), sizeof entry.waveName);
        list.add(entry);
    }
    return list.finish();
}

} // namespace orlim::tivenor
