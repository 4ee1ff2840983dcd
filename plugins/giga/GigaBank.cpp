#include "plugins/giga/GigaBank.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "plugin-api/Record.h"
#include "plugins/common/BankCache.h"

namespace orlim::tivenor {
namespace {

// The chunk `id` among the children of `parent`, searched from its first child.
bool findChild(RiffReader& reader, const RiffChunk& parent, RiffChunk& found, std::uint32_t id)
{
    return reader.seek(parent.dataOffset) && reader.descend(found, &parent, id);
}

// The LIST of type `type` among the children of `parent`, searched from its first child.
bool findChildList(RiffReader& reader, const RiffChunk& parent, RiffChunk& found, std::uint32_t type)
{
    return reader.seek(parent.dataOffset) && reader.descendList(found, &parent, type);
}

// The first `count` bytes of a chunk's data; what the chunk does not hold reads as 0.
std::vector<std::uint8_t> head(RiffReader& reader, const RiffChunk& chunk, std::size_t count)
{
    std::vector<std::uint8_t> bytes(count, 0);
    const std::size_t available = std::min<std::size_t>(count, chunk.size);
    if (reader.seek(chunk.dataOffset))
        reader.read(bytes.data(), available);
    return bytes;
}

template <typename T>
T field(const std::vector<std::uint8_t>& bytes, std::size_t offset)
{
    return readField<T>(bytes.data(), offset);
}

// The "INAM" text of the "INFO" list among the children of `parent`, at most 32 bytes.
Name infoName(RiffReader& reader, const RiffChunk& parent)
{
    Name name{};
    RiffChunk info;
    RiffChunk inam;
    if (findChildList(reader, parent, info, fourcc("INFO")) && findChild(reader, info, inam, fourcc("INAM"))) {
        const std::vector<std::uint8_t> text = head(reader, inam, kNameSize);
        std::memcpy(name.data(), text.data(), kNameSize);
    }
    return name;
}

Region readRegion(RiffReader& reader, const RiffChunk& rgn, const RiffChunk& rgnh)
{
    Region region;
    const auto range = head(reader, rgnh, 8);
    region.keyLow = field<std::uint16_t>(range, 0);
    region.keyHigh = field<std::uint16_t>(range, 2);
    region.velocityLow = field<std::uint16_t>(range, 4);
    region.velocityHigh = field<std::uint16_t>(range, 6);

    RiffChunk chunk;
    if (findChild(reader, rgn, chunk, fourcc("wsmp")))
        region.unityNote = field<std::uint16_t>(head(reader, chunk, 6), 4);
    if (findChild(reader, rgn, chunk, fourcc("wlnk")))
        region.tableIndex = field<std::uint32_t>(head(reader, chunk, 12), 8);

    RiffChunk program;
    RiffChunk dimension;
    if (!findChildList(reader, rgn, program, fourcc("3prg"))) {
        region.articulationError = 9;
    } else if (!findChildList(reader, program, dimension, fourcc("3ewl"))) {
        region.articulationError = 10;
    } else if (!findChild(reader, dimension, chunk, fourcc("3ewa"))) {
        region.articulationError = 11;
    } else {
        const auto ewa = head(reader, chunk, kArticulationSize);
        Articulation& a = region.articulation;
        a.delay = field<std::int32_t>(ewa, 28);
        a.attack = field<std::int32_t>(ewa, 32);
        a.sustain = field<std::uint16_t>(ewa, 38);
        a.release = field<std::int32_t>(ewa, 40);
        a.holdOrDecay = field<std::uint32_t>(ewa, 80);
        a.mode = field<std::uint16_t>(ewa, 130);
        if (!findChild(reader, dimension, chunk, fourcc("wsmp"))) {
            region.articulationError = 12;
        } else {
            // 16 bytes of header, the loop count, then the first loop record.
            const auto wsmp = head(reader, chunk, 36);
            SampleInfo& s = region.sample;
            s.unityNote = field<std::uint16_t>(wsmp, 4);
            s.fineTune = field<std::int16_t>(wsmp, 6);
            s.attenuation = field<std::int32_t>(wsmp, 8);
            if (field<std::uint32_t>(wsmp, 16) != 0) {
                s.loopStart = field<std::uint32_t>(wsmp, 28);
                s.loopLength = field<std::uint32_t>(wsmp, 32);
            }
        }
    }
    return region;
}

Instrument readInstrument(RiffReader& reader, const RiffChunk& ins, const RiffChunk& insh)
{
    Instrument instrument;
    const auto header = head(reader, insh, 12);
    instrument.regionCount = field<std::uint32_t>(header, 0);
    instrument.bank = field<std::uint32_t>(header, 4);
    instrument.program = field<std::uint32_t>(header, 8);
    instrument.name = infoName(reader, ins);

    RiffChunk lrgn;
    if (!findChildList(reader, ins, lrgn, fourcc("lrgn")))
        return instrument;
    instrument.hasLrgn = true;
    // Each region is searched from the end of the one before.
    std::uint64_t next = lrgn.dataOffset;
    for (std::uint32_t index = 0; index < instrument.regionCount; ++index) {
        RiffChunk rgn;
        RiffChunk rgnh;
        if (!reader.seek(next) || !reader.descendList(rgn, &lrgn, fourcc("rgn ")) ||
            !findChild(reader, rgn, rgnh, fourcc("rgnh"))) {
            instrument.regionsBroken = true;
            break;
        }
        instrument.regions.push_back(readRegion(reader, rgn, rgnh));
        reader.ascend(rgn);
        next = reader.tell();
    }
    return instrument;
}

} // namespace

std::shared_ptr<GigaBank> GigaBank::open(const std::string& path)
{
    auto reader = std::make_unique<RiffReader>();
    if (!reader->open(path))
        return nullptr;
    return read(std::move(reader));
}

std::shared_ptr<GigaBank> GigaBank::read(std::unique_ptr<RiffReader> reader)
{
    auto bank = std::make_shared<GigaBank>();
    bank->version = plugin::newBankVersion();
    RiffReader& r = *reader;
    bank->reader_ = std::move(reader);

    RiffChunk form;
    if (!r.seek(0) || !r.descendRiff(form, nullptr, fourcc("DLS "))) {
        bank->formError = 3;
        return bank;
    }

    RiffChunk chunk;
    if (findChild(r, form, chunk, fourcc("colh")))
        bank->instrumentCount = field<std::uint32_t>(head(r, chunk, 4), 0);

    RiffChunk lins;
    if (bank->instrumentCount && findChildList(r, form, lins, fourcc("lins"))) {
        bank->hasLins = true;
        // Each instrument is searched from the end of the one before.
        std::uint64_t next = lins.dataOffset;
        for (std::uint32_t index = 0; index < *bank->instrumentCount; ++index) {
            RiffChunk ins;
            RiffChunk insh;
            if (!r.seek(next) || !r.descendList(ins, &lins, fourcc("ins ")) ||
                !findChild(r, ins, insh, fourcc("insh"))) {
                bank->instrumentsBroken = true;
                break;
            }
            bank->instruments.push_back(readInstrument(r, ins, insh));
            r.ascend(ins);
            next = r.tell();
        }
    }

    if (findChild(r, form, chunk, fourcc("ptbl"))) {
        // Header size, cue count, then the cue offsets from byte 8 on.
        const std::uint32_t count = field<std::uint32_t>(head(r, chunk, 8), 4);
        const std::size_t held = chunk.size >= 8 ? (chunk.size - 8) / 4 : 0;
        const std::size_t present = std::min<std::size_t>(count, held);
        std::vector<std::uint8_t> table(present * 4);
        if (r.seek(chunk.dataOffset + 8) && r.read(table.data(), table.size()) == table.size()) {
            std::vector<std::uint32_t> cues(present);
            for (std::size_t i = 0; i < present; ++i)
                cues[i] = readField<std::uint32_t>(table.data(), 4 * i);
            bank->cues = std::move(cues);
        }
    }

    if (findChildList(r, form, chunk, fourcc("wvpl")))
        bank->wvpl = chunk;
    return bank;
}

std::optional<RiffChunk> GigaBank::findWave(std::uint32_t cueOffset)
{
    if (!wvpl)
        return std::nullopt;
    // Cue offsets count from the first byte after the pool's list type.
    const std::uint64_t at = wvpl->dataOffset + 4 + std::uint64_t{cueOffset};
    RiffChunk wave;
    if (at > wvpl->end() || !reader_->seek(at) || !reader_->descendList(wave, &*wvpl, fourcc("wave")))
        return std::nullopt;
    return wave;
}

GigaBank::WaveResult GigaBank::waveAt(std::uint32_t cueOffset)
{
    WaveResult result;
    const std::optional<RiffChunk> wave = findWave(cueOffset);
    if (!wave) {
        result.error = 16;
        return result;
    }
    RiffChunk fmt;
    if (!findChild(*reader_, *wave, fmt, fourcc("fmt ")) || fmt.size < 16) {
        result.error = 17;
        return result;
    }
    const auto format = head(*reader_, fmt, 16);
    WaveData& w = result.wave;
    w.channels = field<std::uint16_t>(format, 2);
    w.sampleRate = field<std::uint32_t>(format, 4);
    w.blockAlign = field<std::uint16_t>(format, 12);
    w.bitsPerSample = field<std::uint16_t>(format, 14);
    // A frame must hold a point of every channel, and a point 1 to 4 bytes.
    const unsigned pointBytes = w.bitsPerSample / 8u;
    if (pointBytes < 1 || pointBytes > 4 || w.channels == 0 || w.blockAlign < w.channels * pointBytes) {
        result.error = 17;
        return result;
    }
    if (!findChild(*reader_, *wave, w.data, fourcc("data"))) {
        result.error = 18;
        return result;
    }
    return result;
}

std::optional<Name> GigaBank::waveNameAt(std::uint32_t cueOffset)
{
    const std::optional<RiffChunk> wave = findWave(cueOffset);
    if (!wave)
        return std::nullopt;
    return infoName(*reader_, *wave);
}

std::size_t GigaBank::readAt(std::uint64_t offset, void* out, std::size_t count)
{
    if (!reader_->seek(offset))
        return 0;
    return reader_->read(out, count);
}

} // namespace orlim::tivenor
