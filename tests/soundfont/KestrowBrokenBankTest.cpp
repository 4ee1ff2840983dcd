// Banks that are missing chunks, hold them out of order, or carry indices and
// addresses that point outside them: each gives its error number and text.
#include <filesystem>
#include <functional>

#include "plugins/soundfont/Generators.h"
#include "tests/soundfont/KestrowTestSupport.h"

namespace orlim::testing {
namespace {

using namespace orlim::kestrow;

// Overwrites a 16-bit value at `offset` inside the data of the first chunk `id`.
void patch16(std::string& file, const char* id, std::ptrdiff_t offset, std::uint16_t value)
{
    const std::size_t at = file.find(id);
    ASSERT_NE(at, std::string::npos) << id;
    ASSERT_GE(static_cast<std::ptrdiff_t>(at) + 8 + offset, 0);
    file[at + 8 + static_cast<std::size_t>(offset)] = static_cast<char>(value & 0xFF);
    file[at + 9 + static_cast<std::size_t>(offset)] = static_cast<char>(value >> 8);
}

struct BrokenBank {
    const char* name;
    std::function<void(SoundFontBuilder&)> build;
    std::function<void(std::string&)> damage;
    int error;
    const char* text;
};

const BrokenBank kBrokenBanks[] = {
    {"another RIFF form", [](SoundFontBuilder& b) { b.formType = "sfbx"; }, {}, 2, "It's not a soundfont file."},
    {"not a RIFF file", {}, [](std::string& f) { f = "This is plain text, not a bank."; }, 2,
     "It's not a soundfont file."},
    {"an empty file", {}, [](std::string& f) { f.clear(); }, 2, "It's not a soundfont file."},
    {"no pdta", [](SoundFontBuilder& b) { b.withPdta = false; }, {}, 3, "The file is corrupt. No PDTA chunk in it."},
    {"no phdr", [](SoundFontBuilder& b) { b.pdtaOrder.erase(b.pdtaOrder.begin()); }, {}, 4,
     "The file is corrupt. No PHDR chunk in it."},
    {"no pbag", [](SoundFontBuilder& b) { std::erase(b.pdtaOrder, "pbag"); }, {}, 5,
     "The file is corrupt. No PBAG chunk in it."},
    {"no pmod", [](SoundFontBuilder& b) { std::erase(b.pdtaOrder, "pmod"); }, {}, 6,
     "The file is corrupt. No PMOD chunk in it."},
    {"no pgen", [](SoundFontBuilder& b) { std::erase(b.pdtaOrder, "pgen"); }, {}, 7,
     "The file is corrupt. No PGEN chunk in it."},
    {"no inst", [](SoundFontBuilder& b) { std::erase(b.pdtaOrder, "inst"); }, {}, 9,
     "The file is corrupt. No INST chunk in it."},
    {"no ibag", [](SoundFontBuilder& b) { std::erase(b.pdtaOrder, "ibag"); }, {}, 10,
     "The file is corrupt. No IBAG chunk in it."},
    {"no imod", [](SoundFontBuilder& b) { std::erase(b.pdtaOrder, "imod"); }, {}, 11,
     "The file is corrupt. No IMOD chunk in it."},
    {"no igen", [](SoundFontBuilder& b) { std::erase(b.pdtaOrder, "igen"); }, {}, 12,
     "The file is corrupt. No IGEN chunk in it."},
    {"no shdr", [](SoundFontBuilder& b) { std::erase(b.pdtaOrder, "shdr"); }, {}, 13,
     "The file is corrupt. No SHDR chunk in it."},
    {"no sdta", [](SoundFontBuilder& b) { b.withSdta = false; }, {}, 15, "The file is corrupt. No SDTA chunk in it."},
    {"no smpl", [](SoundFontBuilder& b) { b.withSmpl = false; }, {}, 17, "The file is corrupt. No SMPL chunk in it."},
    {"pgen before pbag",
     [](SoundFontBuilder& b) { b.pdtaOrder = {"phdr", "pgen", "pbag", "pmod", "inst", "ibag", "imod", "igen", "shdr"}; },
     {}, 7, "The file is corrupt. No PGEN chunk in it."},
    {"inst before pgen",
     [](SoundFontBuilder& b) { b.pdtaOrder = {"phdr", "pbag", "pmod", "inst", "pgen", "ibag", "imod", "igen", "shdr"}; },
     {}, 9, "The file is corrupt. No INST chunk in it."},
    {"shdr before igen",
     [](SoundFontBuilder& b) { b.pdtaOrder = {"phdr", "pbag", "pmod", "pgen", "inst", "ibag", "imod", "shdr", "igen"}; },
     {}, 13, "The file is corrupt. No SHDR chunk in it."},
    {"a ROM sample", [](SoundFontBuilder& b) { b.samples[0].sampleType = 0x8001; }, {}, 14,
     "Can't get expected sample from the file."},
    {"an instrument index past inst", [](SoundFontBuilder& b) { b.presets[0].zones[0].target = 5; }, {}, 9,
     "The file is corrupt. No INST chunk in it."},
    {"the terminal instrument", [](SoundFontBuilder& b) { b.presets[0].zones[0].target = 1; }, {}, 9,
     "The file is corrupt. No INST chunk in it."},
    {"a sample index past shdr", [](SoundFontBuilder& b) { b.instruments[0].zones[0].target = 7; }, {}, 13,
     "The file is corrupt. No SHDR chunk in it."},
    {"a sample ending past smpl",
     [](SoundFontBuilder& b) { b.instruments[0].zones[0].generators = {generator(EndAddrsCoarseOffset, 1)}; }, {}, 14,
     "Can't get expected sample from the file."},
    {"a sample starting at its end",
     [](SoundFontBuilder& b) { b.instruments[0].zones[0].generators = {generator(StartAddrsOffset, 200)}; }, {}, 14,
     "Can't get expected sample from the file."},
    {"a sample starting before smpl",
     [](SoundFontBuilder& b) { b.instruments[0].zones[0].generators = {generator(StartAddrsOffset, -1)}; }, {}, 14,
     "Can't get expected sample from the file."},
    {"a sample ending before its start",
     [](SoundFontBuilder& b) { b.instruments[0].zones[0].generators = {generator(EndAddrsOffset, -300)}; }, {}, 14,
     "Can't get expected sample from the file."},
    {"a preset bag range past pbag",
     [](SoundFontBuilder& b) { b.presets[0].zones[0].generators = {keyRange(0, 10)}; },
     [](std::string& f) { patch16(f, "phdr", 38 + 24, 50); }, 5, "The file is corrupt. No PBAG chunk in it."},
    {"preset generators past pgen",
     [](SoundFontBuilder& b) { b.presets[0].zones[0].target.reset(); },
     [](std::string& f) { patch16(f, "pbag", 4, 100); }, 7, "The file is corrupt. No PGEN chunk in it."},
    {"preset modulators past pmod", {}, [](std::string& f) { patch16(f, "pbag", 6, 5); }, 6,
     "The file is corrupt. No PMOD chunk in it."},
    {"an instrument bag range past ibag",
     [](SoundFontBuilder& b) { b.instruments[0].zones[0].generators = {keyRange(0, 10)}; },
     [](std::string& f) { patch16(f, "inst", 22 + 20, 50); }, 10, "The file is corrupt. No IBAG chunk in it."},
    {"instrument generators past igen",
     [](SoundFontBuilder& b) { b.instruments[0].zones[0].target.reset(); },
     [](std::string& f) { patch16(f, "ibag", 4, 100); }, 12, "The file is corrupt. No IGEN chunk in it."},
    {"instrument modulators past imod", {}, [](std::string& f) { patch16(f, "ibag", 6, 5); }, 11,
     "The file is corrupt. No IMOD chunk in it."},
    {"a partial preset header only", {}, [](std::string& f) { patch16(f, "phdr", -4, 37); }, 4,
     "The file is corrupt. No PHDR chunk in it."},
};

class KestrowBrokenBank : public KestrowTest, public ::testing::WithParamInterface<BrokenBank> {};

TEST_P(KestrowBrokenBank, GivesItsErrorNumberAndText)
{
    SoundFontBuilder bank = simpleBank(200);
    if (GetParam().build)
        GetParam().build(bank);
    std::string file = bank.bytes();
    if (GetParam().damage)
        GetParam().damage(file);
    writeFile(dir.file("bank.sf2"), file);

    SampleRequest request = noteRequest(6000);
    EXPECT_EQ(ask(request), nullptr);
    EXPECT_EQ(source.lastErrorNumber(), GetParam().error);
    EXPECT_STREQ(source.lastError(), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Banks, KestrowBrokenBank, ::testing::ValuesIn(kBrokenBanks),
                         [](const ::testing::TestParamInfo<BrokenBank>& info) {
                             std::string name;
                             for (const char* c = info.param.name; *c; ++c)
                                 name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
                             return name;
                         });

TEST_F(KestrowTest, AMissingBankFileGivesError1)
{
    SampleRequest request = noteRequest(6000);
    EXPECT_EQ(ask(request), nullptr);
    EXPECT_EQ(source.lastErrorNumber(), 1);
    EXPECT_STREQ(source.lastError(), "Can't Open the file.");

    std::filesystem::create_directory(dir.file("bank.sf2"));
    EXPECT_EQ(ask(request), nullptr);
    EXPECT_EQ(source.lastErrorNumber(), 1);
}

TEST_F(KestrowTest, ASampleTypeOf32768IsStillPlayed)
{
    SoundFontBuilder bank = simpleBank();
    bank.samples[0].sampleType = 32768;
    writeBank(bank);
    SampleRequest request = noteRequest(6000);
    EXPECT_NE(ask(request), nullptr) << source.lastError();
}

} // namespace
} // namespace orlim::testing
