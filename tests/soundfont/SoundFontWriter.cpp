#include "tests/soundfont/SoundFontWriter.h"

#include <cstring>
#include <map>

namespace orlim::testing {
namespace {

void put16(std::string& out, std::uint16_t value)
{
    out.push_back(static_cast<char>(value & 0xFF));
    out.push_back(static_cast<char>(value >> 8));
}

void put32(std::string& out, std::uint32_t value)
{
    put16(out, static_cast<std::uint16_t>(value & 0xFFFF));
    put16(out, static_cast<std::uint16_t>(value >> 16));
}

void putName(std::string& out, const std::string& name)
{
    std::string field = name.substr(0, 20);
    field.resize(20, '\0');
    out += field;
}

std::string chunk(const std::string& id, const std::string& data)
{
    std::string out = id.substr(0, 4);
    put32(out, static_cast<std::uint32_t>(data.size()));
    out += data;
    if (data.size() & 1)
        out.push_back('\0');
    return out;
}

std::string list(const std::string& listId, const std::string& type, const std::string& data)
{
    return chunk(listId, type + data);
}

// Bags and generators of one level (presets or instruments).
struct Level {
    std::string bags;
    std::string generators;
    std::uint16_t bagCount = 0;
    std::uint16_t generatorCount = 0;

    std::uint16_t addZones(const std::vector<SfZone>& zones, std::uint16_t terminator)
    {
        const std::uint16_t first = bagCount;
        for (const SfZone& zone : zones) {
            put16(bags, generatorCount);
            put16(bags, 0);
            ++bagCount;
            for (const SfGenerator& g : zone.generators) {
                put16(generators, g.generator);
                put16(generators, g.amount);
                ++generatorCount;
            }
            if (zone.target) {
                put16(generators, terminator);
                put16(generators, *zone.target);
                ++generatorCount;
            }
        }
        return first;
    }

    void finish()
    {
        put16(bags, generatorCount);
        put16(bags, 0);
        put32(generators, 0);
    }
};

} // namespace

SfGenerator keyRange(int low, int high)
{
    return {43, static_cast<std::uint16_t>((low & 0xFF) | (high & 0xFF) << 8)};
}

SfGenerator velocityRange(int low, int high)
{
    return {44, static_cast<std::uint16_t>((low & 0xFF) | (high & 0xFF) << 8)};
}

SfGenerator generator(std::uint16_t number, int amount)
{
    return {number, static_cast<std::uint16_t>(static_cast<std::int16_t>(amount))};
}

std::uint32_t SoundFontBuilder::sampleStart(std::size_t index) const
{
    std::uint32_t start = 0;
    for (std::size_t i = 0; i < index; ++i)
        start += static_cast<std::uint32_t>(samples[i].points.size() + padding);
    return start;
}

std::string SoundFontBuilder::bytes() const
{
    std::map<std::string, std::string> pdta;

    Level presetLevel;
    std::string phdr;
    for (const SfPreset& preset : presets) {
        const std::uint16_t firstBag = presetLevel.addZones(preset.zones, 41);
        putName(phdr, preset.name);
        put16(phdr, preset.preset);
        put16(phdr, preset.bank);
        put16(phdr, firstBag);
        put32(phdr, 0);
        put32(phdr, 0);
        put32(phdr, 0);
    }
    putName(phdr, "EOP");
    put16(phdr, 0);
    put16(phdr, 0);
    put16(phdr, presetLevel.bagCount);
    phdr.append(12, '\0');
    presetLevel.finish();

    Level instrumentLevel;
    std::string inst;
    for (const SfInstrument& instrument : instruments) {
        const std::uint16_t firstBag = instrumentLevel.addZones(instrument.zones, 53);
        putName(inst, instrument.name);
        put16(inst, firstBag);
    }
    putName(inst, "EOI");
    put16(inst, instrumentLevel.bagCount);
    instrumentLevel.finish();

    std::string shdr;
    std::string smpl;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const SfSample& sample = samples[i];
        const std::uint32_t start = sampleStart(i);
        putName(shdr, sample.name);
        put32(shdr, start);
        put32(shdr, start + static_cast<std::uint32_t>(sample.points.size()));
        put32(shdr, start + sample.loopStart);
        put32(shdr, start + sample.loopEnd);
        put32(shdr, sample.sampleRate);
        shdr.push_back(static_cast<char>(sample.originalPitch));
        shdr.push_back(static_cast<char>(sample.pitchCorrection));
        put16(shdr, 0);
        put16(shdr, sample.sampleType);
        for (std::int16_t point : sample.points)
            put16(smpl, static_cast<std::uint16_t>(point));
        smpl.append(2 * padding, '\0');
    }
    putName(shdr, "EOS");
    shdr.append(26, '\0');

    pdta["phdr"] = phdr;
    pdta["pbag"] = presetLevel.bags;
    pdta["pmod"] = std::string(10, '\0');
    pdta["pgen"] = presetLevel.generators;
    pdta["inst"] = inst;
    pdta["ibag"] = instrumentLevel.bags;
    pdta["imod"] = std::string(10, '\0');
    pdta["igen"] = instrumentLevel.generators;
    pdta["shdr"] = shdr;

    std::string pdtaData;
    for (const std::string& name : pdtaOrder)
        pdtaData += chunk(name, pdta[name]);

    std::string info = list("LIST", "INFO", chunk("ifil", std::string("\x02\x00\x01\x00", 4)) +
                                                chunk("INAM", std::string("Test bank\0", 10)));
    const std::string sdta = withSdta ? list("LIST", "sdta", withSmpl ? chunk("smpl", smpl) : "") : "";
    const std::string pdtaList = withPdta ? list("LIST", "pdta", pdtaData) : "";
    const std::string body = sdtaFirst ? info + sdta + pdtaList : info + pdtaList + sdta;
    return list("RIFF", formType, body);
}

std::vector<std::uint8_t> kestrowEntry(const std::string& bankFile, int bank, int preset, int cutoffMode,
                                       int pitchOffset, int attenuationOffset, int relativeCutoff,
                                       int fixedCutoff)
{
    std::vector<std::uint8_t> record(93 + bankFile.size(), 0);
    auto set16 = [&](std::size_t offset, int value) {
        const auto v = static_cast<std::uint16_t>(value);
        std::memcpy(record.data() + offset, &v, 2);
    };
    set16(0, static_cast<int>(record.size()));
    set16(4, pitchOffset);
    set16(6, attenuationOffset);
    std::memcpy(record.data() + 12, "kestrow.dll", 11);
    std::memcpy(record.data() + 44, "Test", 4);
    set16(76, bank);
    set16(78, preset);
    set16(80, relativeCutoff);
    set16(82, fixedCutoff);
    set16(86, cutoffMode);
    std::memcpy(record.data() + 88, bankFile.data(), bankFile.size());
    return record;
}

SoundFontBuilder simpleBank(std::size_t points)
{
    SoundFontBuilder bank;
    SfSample sample;
    sample.name = "Tone";
    for (std::size_t i = 0; i < points; ++i)
        sample.points.push_back(static_cast<std::int16_t>(i * 7 - 500));
    sample.loopStart = 50;
    sample.loopEnd = static_cast<std::uint32_t>(points) - 10;
    bank.samples.push_back(sample);
    bank.instruments.push_back({"Instrument", {SfZone{{}, 0}}});
    bank.presets.push_back({"Piano", 0, 0, {SfZone{{}, 0}}});
    return bank;
}

} // namespace orlim::testing
