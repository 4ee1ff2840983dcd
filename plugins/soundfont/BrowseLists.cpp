#include "plugins/soundfont/BrowseLists.h"

#include <algorithm>

#include "platform/MessageBox.h"
#include "platform/Riff.h"
#include "plugins/soundfont/Generators.h"
#include "plugins/soundfont/SoundFontBank.h"

namespace orlim::kestrow {
namespace {

// The texts of the lists' message boxes.
constexpr const char* kFailedToOpen = "Failed to open file.";
constexpr const char* kNotSoundFont = "This is not a sound font file.";
constexpr const char* kNoPdtas = "Can't find pdtas chunk.";
constexpr const char* kNoSampleChunk = "Can't find sample chunk.";
constexpr const char* kNoPhdr = "Can't find PHDR chunk.";
constexpr const char* kNoPbag = "Can't find PBAG chunk.";
constexpr const char* kNoPgen = "Can't find PGEN chunk.";
constexpr const char* kNoInst = "Can't find INST chunk.";
constexpr const char* kNoIbag = "Can't find IBAG chunk.";

std::nullopt_t fail(const char* text)
{
    messageBox(nullptr, text, kMessageCaption, MessageButtons::Ok);
    return std::nullopt;
}

// A bank opened down to its LIST "pdta", whose sub-chunks are then found one after
// another, each searched forward from the end of the one found before.
class PdtaWalk {
public:
    // The message of the failure, or null when "pdta" was reached.
    const char* open(const std::string& path)
    {
        if (!reader_.open(path))
            return kFailedToOpen;
        if (!reader_.descendRiff(form_, nullptr, fourcc("sfbk")))
            return kNotSoundFont;
        if (!reader_.descendList(pdta_, &form_, fourcc("pdta")))
            return kNoPdtas;
        position_ = reader_.tell();
        return nullptr;
    }

    // The next sub-chunk `id` after the previous one, or nothing.
    std::optional<Table> next(const char (&id)[5])
    {
        RiffChunk chunk;
        if (!reader_.seek(position_) || !reader_.descend(chunk, &pdta_, fourcc(id)))
            return std::nullopt;
        Table table;
        table.bytes.resize(chunk.size);
        if (reader_.read(table.bytes.data(), chunk.size) != chunk.size || !reader_.ascend(chunk))
            return std::nullopt;
        position_ = reader_.tell();
        return table;
    }

private:
    RiffReader reader_;
    RiffChunk form_;
    RiffChunk pdta_;
    std::uint64_t position_ = 0;
};

// The last generator record of a bag, when the bag has one inside the chunk.
struct GeneratorRecord {
    std::uint16_t generator;
    std::uint16_t amount;
};

std::optional<GeneratorRecord> lastGenerator(const Table& pgen, std::uint16_t first, std::uint16_t next)
{
    if (next <= first || !pgen.has(next - 1u, kGeneratorSize))
        return std::nullopt;
    const std::size_t at = (next - 1u) * kGeneratorSize;
    return GeneratorRecord{readField<std::uint16_t>(pgen.bytes.data(), at),
                           readField<std::uint16_t>(pgen.bytes.data(), at + 2)};
}

} // namespace

std::optional<ListBlock> presetList(const std::string& path)
{
    PdtaWalk walk;
    if (const char* error = walk.open(path))
        return fail(error);
    const std::optional<Table> phdr = walk.next("phdr");
    if (!phdr)
        return fail(kNoSampleChunk);
    plugin::ListBlockWriter list;
    for (std::size_t index = 0; index < phdr->count(kPresetHeaderSize); ++index) {
        const PresetHeader header = presetHeader(*phdr, index);
        PresetListEntry entry{};
        entry.recordIndex = static_cast<std::uint32_t>(index);
        entry.bank = header.bank;
        entry.preset = header.preset;
        std::memcpy(entry.name, header.name, sizeof entry.name);
        list.add(entry);
    }
    return list.finish();
}

std::optional<ListBlock> instrumentList(const std::string& path, std::uint32_t presetIndex)
{
    PdtaWalk walk;
    if (const char* error = walk.open(path))
        return fail(error);
    const std::optional<Table> phdr = walk.next("phdr");
    if (!phdr || !phdr->has(std::size_t{presetIndex} + 1, kPresetHeaderSize))
        return fail(kNoPhdr);
    const std::uint16_t firstBag = presetHeader(*phdr, presetIndex).bagIndex;
    const std::uint16_t endBag = presetHeader(*phdr, std::size_t{presetIndex} + 1).bagIndex;

    // The later chunks are looked for only when a bag needs them.
    std::optional<Table> pbag, pgen, inst;
    plugin::ListBlockWriter list;
    for (std::size_t index = firstBag; index < endBag; ++index) {
        if (!pbag && !(pbag = walk.next("pbag")))
            return fail(kNoPbag);
        if (!pbag->has(index + 1, kBagSize))
            break;
        const Bag here = bag(*pbag, index);
        const Bag following = bag(*pbag, index + 1);
        if (!pgen && !(pgen = walk.next("pgen")))
            return fail(kNoPgen);
        const auto last = lastGenerator(*pgen, here.generatorIndex, following.generatorIndex);
        if (!last || last->generator != Instrument)
            continue;
        if (!inst && !(inst = walk.next("inst")))
            return fail(kNoInst);
        if (!inst->has(last->amount, kInstrumentSize))
            continue;
        InstrumentListEntry entry{};
        entry.bagIndex = static_cast<std::uint32_t>(index);
        std::memcpy(entry.name, instrumentHeader(*inst, last->amount).name, sizeof entry.name);
        list.add(entry);
    }
    return list.finish();
}

std::optional<ListBlock> zoneList(const std::string& path, std::uint32_t bagIndex)
{
    PdtaWalk walk;
    if (const char* error = walk.open(path))
        return fail(error);
    const std::optional<Table> pbag = walk.next("pbag");
    if (!pbag || !pbag->has(std::size_t{bagIndex} + 1, kBagSize))
        return fail(kNoPbag);
    const std::optional<Table> pgen = walk.next("pgen");
    if (!pgen)
        return fail(kNoPgen);
    const auto last = lastGenerator(*pgen, bag(*pbag, bagIndex).generatorIndex,
                                    bag(*pbag, std::size_t{bagIndex} + 1).generatorIndex);
    const std::optional<Table> inst = walk.next("inst");
    if (!last || last->generator != Instrument || !inst ||
        !inst->has(std::size_t{last->amount} + 1, kInstrumentSize))
        return fail(kNoInst);
    const std::uint16_t firstBag = instrumentHeader(*inst, last->amount).bagIndex;
    const std::uint16_t endBag = instrumentHeader(*inst, std::size_t{last->amount} + 1).bagIndex;

    std::optional<Table> ibag, igen, shdr;
    plugin::ListBlockWriter list;
    for (std::size_t index = firstBag; index < endBag; ++index) {
        if (!ibag && !(ibag = walk.next("ibag")))
            return fail(kNoIbag);
        if (!ibag->has(index + 1, kBagSize))
            break;
        if (!igen && !(igen = walk.next("igen")))
            return fail(kNoIbag);
        const std::uint16_t first = bag(*ibag, index).generatorIndex;
        const std::uint16_t next = bag(*ibag, index + 1).generatorIndex;

        std::optional<int> low, high, root, sampleId;
        for (std::size_t g = first; g < next && igen->has(g, kGeneratorSize); ++g) {
            const auto generator = readField<std::uint16_t>(igen->bytes.data(), g * kGeneratorSize);
            const auto amount = readField<std::uint16_t>(igen->bytes.data(), g * kGeneratorSize + 2);
            if (generator == KeyRange) {
                const int a = (amount & 0xFF) * 100;
                const int b = (amount >> 8) * 100;
                low = std::min(a, b);
                high = std::max(a, b);
            } else if (generator == OverridingRootKey) {
                root = static_cast<std::int16_t>(amount) * 100;
            } else if (generator == SampleId) {
                sampleId = amount;
                break;
            }
        }
        if (!sampleId)
            continue;
        if (!shdr && !(shdr = walk.next("shdr")))
            return fail(kNoIbag);
        if (!shdr->has(static_cast<std::size_t>(*sampleId), kSampleHeaderSize))
            continue;
        const SampleHeader sample = sampleHeader(*shdr, static_cast<std::size_t>(*sampleId));
        const int recorded = sample.originalPitch * 100;
        ZoneListEntry entry{};
        entry.rootPitch = static_cast<std::int16_t>(root ? *root : recorded + sample.pitchCorrection);
        entry.upperBound = static_cast<std::int16_t>((high ? *high : recorded) + sample.pitchCorrection);
        entry.lowerBound = static_cast<std::int16_t>(low ? *low : -1);
        std::memcpy(entry.sampleName, sample.name, sizeof entry.sampleName);
        list.add(entry);
    }
    return list.finish();
}

} // namespace orlim::kestrow
