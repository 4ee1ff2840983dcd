#include "plugins/soundfont/SoundFontBank.h"

#include <cstring>

#include "plugin-api/Record.h"
#include "plugins/common/BankCache.h"

namespace orlim::kestrow {
namespace {

template <typename T>
T field(const Table& table, std::size_t offset)
{
    return readField<T>(table.bytes.data(), offset);
}

// Reads the data of `chunk` (already clamped to its parent and the file).
std::optional<Table> readTable(RiffReader& reader, const RiffChunk& chunk)
{
    Table table;
    table.bytes.resize(chunk.size);
    if (!reader.seek(chunk.dataOffset) || reader.read(table.bytes.data(), chunk.size) != chunk.size)
        return std::nullopt;
    return table;
}

} // namespace

PresetHeader presetHeader(const Table& phdr, std::size_t index)
{
    const std::size_t at = index * kPresetHeaderSize;
    PresetHeader header{};
    std::memcpy(header.name, phdr.bytes.data() + at, sizeof header.name);
    header.preset = field<std::uint16_t>(phdr, at + 20);
    header.bank = field<std::uint16_t>(phdr, at + 22);
    header.bagIndex = field<std::uint16_t>(phdr, at + 24);
    return header;
}

InstrumentHeader instrumentHeader(const Table& inst, std::size_t index)
{
    const std::size_t at = index * kInstrumentSize;
    InstrumentHeader header{};
    std::memcpy(header.name, inst.bytes.data() + at, sizeof header.name);
    header.bagIndex = field<std::uint16_t>(inst, at + 20);
    return header;
}

Bag bag(const Table& bags, std::size_t index)
{
    const std::size_t at = index * kBagSize;
    return Bag{field<std::uint16_t>(bags, at), field<std::uint16_t>(bags, at + 2)};
}

SampleHeader sampleHeader(const Table& shdr, std::size_t index)
{
    const std::size_t at = index * kSampleHeaderSize;
    SampleHeader header{};
    std::memcpy(header.name, shdr.bytes.data() + at, sizeof header.name);
    header.start = field<std::uint32_t>(shdr, at + 20);
    header.end = field<std::uint32_t>(shdr, at + 24);
    header.loopStart = field<std::uint32_t>(shdr, at + 28);
    header.loopEnd = field<std::uint32_t>(shdr, at + 32);
    header.sampleRate = field<std::uint32_t>(shdr, at + 36);
    header.originalPitch = field<std::uint8_t>(shdr, at + 40);
    header.pitchCorrection = field<std::int8_t>(shdr, at + 41);
    header.sampleLink = field<std::uint16_t>(shdr, at + 42);
    header.sampleType = field<std::uint16_t>(shdr, at + 44);
    return header;
}

std::shared_ptr<SoundFontBank> SoundFontBank::open(const std::string& path)
{
    auto reader = std::make_unique<RiffReader>();
    if (!reader->open(path))
        return nullptr;
    return read(std::move(reader));
}

std::shared_ptr<SoundFontBank> SoundFontBank::read(std::unique_ptr<RiffReader> reader)
{
    auto bank = std::make_shared<SoundFontBank>();
    bank->version = plugin::newBankVersion();
    RiffReader& r = *reader;
    bank->reader_ = std::move(reader);

    RiffChunk form;
    if (!r.descendRiff(form, nullptr, fourcc("sfbk"))) {
        bank->formError = 2;
        return bank;
    }
    const std::uint64_t insideForm = r.tell();
    RiffChunk pdta;
    if (!r.descendList(pdta, &form, fourcc("pdta"))) {
        bank->formError = 3;
        return bank;
    }

    // Each sub-chunk is searched from where the previous one ended; a chunk that is
    // missing, or cannot be read whole, ends the chain.
    bool chainIntact = true;
    auto nextTable = [&](std::optional<Table>& slot, const char (&id)[5]) {
        if (!chainIntact)
            return;
        RiffChunk chunk;
        if (r.descend(chunk, &pdta, fourcc(id)))
            slot = readTable(r, chunk);
        if (!slot || !r.ascend(chunk))
            chainIntact = false;
    };
    auto nextSize = [&](std::optional<std::uint32_t>& slot, const char (&id)[5]) {
        if (!chainIntact)
            return;
        RiffChunk chunk;
        if (r.descend(chunk, &pdta, fourcc(id)) && r.ascend(chunk))
            slot = chunk.size;
        else
            chainIntact = false;
    };
    nextTable(bank->phdr, "phdr");
    nextTable(bank->pbag, "pbag");
    nextSize(bank->pmodBytes, "pmod");
    nextTable(bank->pgen, "pgen");
    nextTable(bank->inst, "inst");
    nextTable(bank->ibag, "ibag");
    nextSize(bank->imodBytes, "imod");
    nextTable(bank->igen, "igen");
    nextTable(bank->shdr, "shdr");

    RiffChunk sdta;
    if (r.seek(insideForm) && r.descendList(sdta, &form, fourcc("sdta"))) {
        bank->hasSdta = true;
        RiffChunk smpl;
        if (r.descend(smpl, &sdta, fourcc("smpl")))
            bank->smpl = smpl;
    }
    return bank;
}

std::size_t SoundFontBank::readAt(std::uint64_t offset, void* out, std::size_t count)
{
    if (!reader_->seek(offset))
        return 0;
    return reader_->read(out, count);
}

} // namespace orlim::kestrow
