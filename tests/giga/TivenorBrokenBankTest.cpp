// Banks that are missing chunks or carry counts, indices and formats that do not fit:
// each gives its error number and text, in both chunk orders.
#include <functional>

#include "plugins/common/ErrorTexts.h"
#include "plugins/giga/TivenorErrors.h"
#include "tests/giga/TivenorTestSupport.h"

namespace orlim::testing {
namespace {

using namespace orlim::tivenor;

// Overwrites the 32-bit size of the first chunk `id` in the file.
void patchSize(std::string& file, const char* id, std::uint32_t size)
{
    const std::size_t at = file.find(id);
    ASSERT_NE(at, std::string::npos) << id;
    for (int i = 0; i < 4; ++i)
        file[at + 4 + i] = static_cast<char>(size >> (8 * i));
}

struct BrokenBank {
    const char* name;
    std::function<void(GigaBankBuilder&)> build;
    std::function<void(std::string&)> damage;
    int error;
    const char* text;
    std::uint32_t bank = 0;
    std::uint32_t program = 0;
};

GigaRegion& region(GigaBankBuilder& b)
{
    return b.instruments[0].regions[0];
}

const BrokenBank kBrokenBanks[] = {
    {"another RIFF form", [](GigaBankBuilder& b) { b.formType = "DLSX"; }, {}, 3, "It's not a giga file."},
    {"not a RIFF file", {}, [](std::string& f) { f = "This is plain text, not a bank."; }, 3, "It's not a giga file."},
    {"an empty file", {}, [](std::string& f) { f.clear(); }, 3, "It's not a giga file."},
    {"no colh", [](GigaBankBuilder& b) { b.omit = {"colh"}; }, {}, 4, "Can't find the col chunk."},
    {"no lins", [](GigaBankBuilder& b) { b.omit = {"lins"}; }, {}, 5, "Can't find the lins chunk."},
    {"no ins", [](GigaBankBuilder& b) { b.instruments[0].omit = {"ins "}; }, {}, 6, "Can't find the inst chunk."},
    {"no insh", [](GigaBankBuilder& b) { b.instruments[0].omit = {"insh"}; }, {}, 6, "Can't find the inst chunk."},
    {"an instrument without insh before the one asked for",
     [](GigaBankBuilder& b) {
         b.instruments.push_back(b.instruments[0]);
         b.instruments[1].program = 1;
         b.instruments[0].omit = {"insh"};
     },
     {}, 6, "Can't find the inst chunk.", 0, 1},
    {"fewer instruments than colh counts",
     [](GigaBankBuilder& b) { b.instrumentCount = 3; }, {}, 6, "Can't find the inst chunk.", 5, 5},
    {"the instrument beyond the count of colh",
     [](GigaBankBuilder& b) {
         b.instruments.push_back(b.instruments[0]);
         b.instruments[1].program = 1;
         b.instrumentCount = 1;
     },
     {}, 7, "Can't find the bank chunk.", 0, 1},
    {"no such instrument", {}, {}, 7, "Can't find the bank chunk.", 0, 1},
    {"no lrgn", [](GigaBankBuilder& b) { b.instruments[0].omit = {"lrgn"}; }, {}, 8, "Can't find the range chunk."},
    {"no rgn", [](GigaBankBuilder& b) { region(b).omit = {"rgn "}; }, {}, 8, "Can't find the range chunk."},
    {"no rgnh", [](GigaBankBuilder& b) { region(b).omit = {"rgnh"}; }, {}, 8, "Can't find the range chunk."},
    {"a region count of 0", [](GigaBankBuilder& b) { b.instruments[0].regionCount = 0; }, {}, 8,
     "Can't find the range chunk."},
    {"no 3prg", [](GigaBankBuilder& b) { region(b).omit = {"3prg"}; }, {}, 9, "Can't find the 3prg chunk."},
    {"no 3prg and no wlnk", [](GigaBankBuilder& b) { region(b).omit = {"3prg", "wlnk"}; }, {}, 9,
     "Can't find the 3prg chunk."},
    {"no 3ewl", [](GigaBankBuilder& b) { region(b).omit = {"3ewl"}; }, {}, 10, "Can't find the 3ewl chunk."},
    {"no 3ewa", [](GigaBankBuilder& b) { region(b).omit = {"3ewa"}; }, {}, 11, "Can't find the 3ewa chunk."},
    {"no wsmp", [](GigaBankBuilder& b) { region(b).omit = {"wsmp"}; }, {}, 12, "Can't find the wsmp chunk"},
    {"only the region's own wsmp",
     [](GigaBankBuilder& b) {
         region(b).omit = {"wsmp"};
         region(b).regionUnityNote = 60;
     },
     {}, 12, "Can't find the wsmp chunk"},
    {"no wlnk", [](GigaBankBuilder& b) { region(b).omit = {"wlnk"}; }, {}, 13, "Can't find the wlnk chunk."},
    {"no ptbl", [](GigaBankBuilder& b) { b.omit = {"ptbl"}; }, {}, 14, "Can't find the ptbl chunk."},
    {"a table index at the cue count", [](GigaBankBuilder& b) { region(b).tableIndex = 1; }, {}, 14,
     "Can't find the ptbl chunk."},
    {"a table index far beyond the table", [](GigaBankBuilder& b) { region(b).tableIndex = 0x40000000; }, {}, 14,
     "Can't find the ptbl chunk."},
    {"a cue count larger than the table holds",
     [](GigaBankBuilder& b) {
         b.cueCount = 5;
         region(b).tableIndex = 3;
     },
     {}, 14, "Can't find the ptbl chunk."},
    {"no wvpl", [](GigaBankBuilder& b) { b.omit = {"wvpl"}; }, {}, 15, "Can't find the wvpl chunk."},
    {"no wave", [](GigaBankBuilder& b) { b.waves[0].listType = "wavx"; }, {}, 16, "Can't find the wave chunk"},
    {"a cue offset past the pool", [](GigaBankBuilder& b) { b.cueOffsets = std::vector<std::uint32_t>{0xFFFFFF00u}; },
     {}, 16, "Can't find the wave chunk"},
    {"no fmt", [](GigaBankBuilder& b) { b.waves[0].omit = {"fmt "}; }, {}, 17, "Can't find the fmt chunk."},
    {"a block align of 0", [](GigaBankBuilder& b) { b.waves[0].blockAlign = 0; }, {}, 17, "Can't find the fmt chunk."},
    {"a block align below a frame's points",
     [](GigaBankBuilder& b) {
         b.waves[0].channels = 2;
         b.waves[0].blockAlign = 3;
     },
     {}, 17, "Can't find the fmt chunk."},
    {"no channels", [](GigaBankBuilder& b) { b.waves[0].channels = 0; b.waves[0].blockAlign = 2; }, {}, 17,
     "Can't find the fmt chunk."},
    {"points of 4 bits", [](GigaBankBuilder& b) { b.waves[0].bitsPerSample = 4; b.waves[0].blockAlign = 1; }, {}, 17,
     "Can't find the fmt chunk."},
    {"points of 40 bits", [](GigaBankBuilder& b) { b.waves[0].bitsPerSample = 40; b.waves[0].blockAlign = 5; }, {},
     17, "Can't find the fmt chunk."},
    {"a fmt of 14 bytes", {}, [](std::string& f) { patchSize(f, "fmt ", 14); }, 17, "Can't find the fmt chunk."},
    {"no data", [](GigaBankBuilder& b) { b.waves[0].omit = {"data"}; }, {}, 18, "Can't find the data chunk."},
};

class TivenorBrokenBank : public TivenorTest, public ::testing::WithParamInterface<ChunkOrder> {};

TEST_P(TivenorBrokenBank, EachMissingOrUnfitChunkGivesItsErrorNumberAndText)
{
    for (const BrokenBank& broken : kBrokenBanks) {
        SCOPED_TRACE(broken.name);
        GigaBankBuilder bank = simpleGigaBank();
        bank.order = GetParam();
        if (broken.build)
            broken.build(bank);
        std::string file = bank.bytes();
        if (broken.damage)
            broken.damage(file);
        writeFile(dir.file("bank.gig"), file);

        SampleRequest request = noteRequest(6000);
        EXPECT_EQ(ask(request, broken.bank, broken.program), nullptr);
        EXPECT_EQ(source.lastErrorNumber(), broken.error);
        EXPECT_STREQ(source.lastError(), broken.text);
    }
}

INSTANTIATE_TEST_SUITE_P(ChunkOrders, TivenorBrokenBank, ::testing::Values(ChunkOrder::Listed, ChunkOrder::Giga),
                         [](const auto& info) { return info.param == ChunkOrder::Listed ? "Listed" : "Giga"; });

TEST_F(TivenorTest, AMissingBankGivesError2)
{
    SampleRequest request = noteRequest(6000);
    EXPECT_EQ(ask(request), nullptr);
    EXPECT_EQ(source.lastErrorNumber(), 2);
    EXPECT_STREQ(source.lastError(), "Can't open the giga file.");
    EXPECT_EQ(source.getSample(nullptr, &request), nullptr);
    EXPECT_EQ(source.lastErrorNumber(), 2);
}

TEST(TivenorErrors, TheFirstTextIsNeverAFailure)
{
    const plugin::ErrorTexts errors{kErrorTexts};
    EXPECT_STREQ(errors.textOf(1), "No errors");
    EXPECT_EQ(errors.textOf(19), nullptr);
    EXPECT_EQ(errors.text(), nullptr);
}

} // namespace
} // namespace orlim::testing
