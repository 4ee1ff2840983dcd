#include "tests/giga/GigaWriter.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include <gtest/gtest.h>

#include "platform/Riff.h"
#include "plugin-api/Record.h"
#include "plugins/giga/TivenorRecord.h"
#include "tests/support/TempDir.h"

namespace orlim::testing {
namespace {

std::uint32_t idOf(const std::string& text)
{
    char id[5] = {' ', ' ', ' ', ' ', '\0'};
    std::memcpy(id, text.data(), std::min<std::size_t>(4, text.size()));
    return fourcc(id);
}

// A little-endian record assembled field by field.
class Bytes {
public:
    explicit Bytes(std::size_t size = 0) : bytes_(size, 0) {}

    template <typename T>
    Bytes& at(std::size_t offset, T value)
    {
        if (bytes_.size() < offset + sizeof(T))
            bytes_.resize(offset + sizeof(T), 0);
        writeField(bytes_.data(), offset, value);
        return *this;
    }

    const std::vector<std::uint8_t>& data() const { return bytes_; }

private:
    std::vector<std::uint8_t> bytes_;
};

std::uint64_t chunkBytes(std::uint64_t dataSize)
{
    return 8 + dataSize + (dataSize & 1);
}

std::uint64_t infoBytes(const std::string& name)
{
    return name.empty() ? 0 : 12 + chunkBytes(name.size() + 1);
}

std::uint64_t waveListBytes(const GigaWave& wave)
{
    std::uint64_t size = 12 + infoBytes(wave.name);
    if (!wave.omit.contains("fmt "))
        size += chunkBytes(16);
    if (!wave.omit.contains("data"))
        size += chunkBytes(wave.data.size());
    return size;
}

class Writer {
public:
    explicit Writer(const std::string& path) : ok_(riff_.create(path)) {}

    void chunk(const std::string& id, const std::vector<std::uint8_t>& data)
    {
        ok_ = ok_ && riff_.writeChunk(idOf(id), data.data(), data.size());
    }
    void begin(const std::string& listId, const std::string& type)
    {
        ok_ = ok_ && riff_.beginList(idOf(listId), idOf(type));
    }
    void end() { ok_ = ok_ && riff_.endChunk(); }

    void info(const std::string& name)
    {
        if (name.empty())
            return;
        begin("LIST", "INFO");
        std::vector<std::uint8_t> text(name.begin(), name.end());
        text.push_back(0);
        chunk("INAM", text);
        end();
    }

    bool commit() { return ok_ && riff_.commit(); }

private:
    RiffWriter riff_;
    bool ok_;
};

std::vector<std::uint8_t> articulationRecord(const GigaArticulation& a)
{
    return Bytes(136)
                          .at<std::int32_t>(28, a.delay)
                          .at<std::int32_t>(32, a.attack)
                          .at<std::uint16_t>(38, a.sustain)
                          .at<std::int32_t>(40, a.release)
                          .at<std::uint32_t>(80, a.holdOrDecay)
                          .at<std::uint16_t>(130, a.mode)
                          .data();
}

void writeArticulation(Writer& w, const GigaRegion& region, ChunkOrder order)
{
    const std::vector<std::uint8_t> ewa = articulationRecord(region.articulation);
    Bytes wsmp = Bytes(20)
                     .at<std::uint32_t>(0, 20)
                     .at<std::uint16_t>(4, region.unityNote)
                     .at<std::int16_t>(6, region.fineTune)
                     .at<std::int32_t>(8, region.attenuation)
                     .at<std::uint32_t>(16, region.loop ? 1 : 0);
    if (region.loop)
        wsmp.at<std::uint32_t>(20, 16).at<std::uint32_t>(24, 0).at<std::uint32_t>(28, region.loop->start).at<std::uint32_t>(
            32, region.loop->length);

    if (region.omit.contains("3prg"))
        return;
    w.begin("LIST", "3prg");
    if (!region.omit.contains("3ewl")) {
        w.begin("LIST", "3ewl");
        if (order == ChunkOrder::Giga && !region.omit.contains("wsmp"))
            w.chunk("wsmp", wsmp.data());
        if (!region.omit.contains("3ewa"))
            w.chunk("3ewa", ewa);
        if (order == ChunkOrder::Listed && !region.omit.contains("wsmp"))
            w.chunk("wsmp", wsmp.data());
        w.end();
    }
    if (region.secondDimension) {
        w.begin("LIST", "3ewl");
        w.chunk("wsmp", wsmp.data());
        w.chunk("3ewa", articulationRecord(*region.secondDimension));
        w.end();
    }
    w.end();
}

void writeRegion(Writer& w, const GigaRegion& region, ChunkOrder order)
{
    if (region.omit.contains("rgn "))
        return;
    w.begin("LIST", "rgn ");
    if (!region.omit.contains("rgnh"))
        w.chunk("rgnh", Bytes(12)
                            .at<std::uint16_t>(0, region.keyLow)
                            .at<std::uint16_t>(2, region.keyHigh)
                            .at<std::uint16_t>(4, region.velocityLow)
                            .at<std::uint16_t>(6, region.velocityHigh)
                            .data());
    if (region.regionUnityNote)
        w.chunk("wsmp", Bytes(20).at<std::uint32_t>(0, 20).at<std::uint16_t>(4, *region.regionUnityNote).data());
    const Bytes wlnk = Bytes(12).at<std::uint32_t>(4, 1).at<std::uint32_t>(8, region.tableIndex);
    const bool withWlnk = !region.omit.contains("wlnk");
    if (order == ChunkOrder::Giga && withWlnk)
        w.chunk("wlnk", wlnk.data());
    writeArticulation(w, region, order);
    if (order == ChunkOrder::Listed && withWlnk)
        w.chunk("wlnk", wlnk.data());
    w.end();
}

void writeWave(Writer& w, const GigaWave& wave)
{
    w.begin("LIST", wave.listType);
    if (!wave.omit.contains("fmt ")) {
        const std::uint16_t align =
            wave.blockAlign.value_or(static_cast<std::uint16_t>(wave.channels * (wave.bitsPerSample / 8)));
        w.chunk("fmt ", Bytes(16)
                            .at<std::uint16_t>(0, wave.formatTag)
                            .at<std::uint16_t>(2, wave.channels)
                            .at<std::uint32_t>(4, wave.sampleRate)
                            .at<std::uint32_t>(8, wave.sampleRate * align)
                            .at<std::uint16_t>(12, align)
                            .at<std::uint16_t>(14, wave.bitsPerSample)
                            .data());
    }
    if (!wave.omit.contains("data"))
        w.chunk("data", wave.data);
    w.info(wave.name);
    w.end();
}

} // namespace

std::int32_t gigaTime(double seconds)
{
    return static_cast<std::int32_t>(std::lround(1200.0 * std::log2(seconds) * 65536.0));
}

GigaWave wave16(const std::vector<std::int16_t>& points, const std::string& name)
{
    return interleaved16(points, 1, name);
}

GigaWave interleaved16(const std::vector<std::int16_t>& frames, std::uint16_t channels, const std::string& name)
{
    GigaWave wave;
    wave.name = name;
    wave.channels = channels;
    wave.data.resize(frames.size() * 2);
    std::memcpy(wave.data.data(), frames.data(), wave.data.size());
    return wave;
}

std::vector<std::int16_t> ramp(std::size_t count, std::int16_t first)
{
    std::vector<std::int16_t> points(count);
    for (std::size_t i = 0; i < count; ++i)
        points[i] = static_cast<std::int16_t>(first + static_cast<int>(i));
    return points;
}

std::uint32_t GigaBankBuilder::waveOffset(std::size_t index) const
{
    std::uint64_t offset = 0;
    for (std::size_t i = 0; i < index && i < waves.size(); ++i)
        offset += waveListBytes(waves[i]);
    return static_cast<std::uint32_t>(offset);
}

void GigaBankBuilder::write(const std::string& path) const
{
    Writer w(path);
    w.begin("RIFF", formType);
    if (!omit.contains("colh"))
        w.chunk("colh", Bytes().at<std::uint32_t>(0, instrumentCount.value_or(
                                                         static_cast<std::uint32_t>(instruments.size())))
                            .data());
    if (!omit.contains("lins")) {
        w.begin("LIST", "lins");
        for (const GigaInstrument& instrument : instruments) {
            if (instrument.omit.contains("ins "))
                continue;
            w.begin("LIST", "ins ");
            if (!instrument.omit.contains("insh"))
                w.chunk("insh", Bytes()
                                    .at<std::uint32_t>(0, instrument.regionCount.value_or(
                                                              static_cast<std::uint32_t>(instrument.regions.size())))
                                    .at<std::uint32_t>(4, instrument.bank)
                                    .at<std::uint32_t>(8, instrument.program)
                                    .data());
            if (!instrument.omit.contains("lrgn")) {
                w.begin("LIST", "lrgn");
                for (const GigaRegion& region : instrument.regions)
                    writeRegion(w, region, order);
                w.end();
            }
            w.info(instrument.name);
            w.end();
        }
        w.end();
    }
    if (!omit.contains("ptbl")) {
        Bytes ptbl;
        ptbl.at<std::uint32_t>(0, 8).at<std::uint32_t>(4, cueCount.value_or(static_cast<std::uint32_t>(waves.size())));
        std::vector<std::uint32_t> offsets;
        if (cueOffsets)
            offsets = *cueOffsets;
        else
            for (std::size_t i = 0; i < waves.size(); ++i)
                offsets.push_back(waveOffset(i));
        for (std::size_t i = 0; i < offsets.size(); ++i)
            ptbl.at<std::uint32_t>(8 + 4 * i, offsets[i]);
        w.chunk("ptbl", ptbl.data());
    }
    if (!omit.contains("wvpl")) {
        w.begin("LIST", "wvpl");
        for (const GigaWave& wave : waves)
            writeWave(w, wave);
        w.end();
    }
    w.end();
    ASSERT_TRUE(w.commit()) << path;
}

std::string GigaBankBuilder::bytes() const
{
    TempDir dir;
    write(dir.file("bank.gig"));
    return readFile(dir.file("bank.gig"));
}

std::vector<std::uint8_t> tivenorEntry(const std::string& bankFile, std::uint32_t bank, std::uint32_t program,
                                       int pitchOffset, int attenuationOffset, int relativeCutoff)
{
    using namespace orlim::tivenor;
    std::vector<std::uint8_t> record(kStoredLengthBase + bankFile.size(), 0);
    writeField<std::uint16_t>(record.data(), 0, static_cast<std::uint16_t>(record.size()));
    writeField<std::int16_t>(record.data(), RecordOffset::pitchOffset, static_cast<std::int16_t>(pitchOffset));
    writeField<std::int16_t>(record.data(), RecordOffset::attenuationOffset,
                             static_cast<std::int16_t>(attenuationOffset));
    setNameField(record.data(), SourceEntryOffset::fileName, kPluginFileName);
    writeField<std::uint32_t>(record.data(), RecordOffset::bank, bank);
    writeField<std::uint32_t>(record.data(), RecordOffset::program, program);
    writeField<std::uint16_t>(record.data(), RecordOffset::relativeCutoff, static_cast<std::uint16_t>(relativeCutoff));
    std::memcpy(record.data() + RecordOffset::bankFile, bankFile.data(), bankFile.size());
    return record;
}

GigaBankBuilder simpleGigaBank(std::size_t points)
{
    GigaBankBuilder bank;
    GigaInstrument instrument;
    instrument.name = "Piano";
    instrument.regions.push_back(GigaRegion{});
    bank.instruments.push_back(instrument);
    bank.waves.push_back(wave16(ramp(points), "Piano C4"));
    return bank;
}

} // namespace orlim::testing
