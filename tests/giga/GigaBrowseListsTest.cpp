// The lists the setup dialog browses a Giga bank with, and their message boxes.
#include <cstring>
#include <filesystem>
#include <functional>

#include "platform/MessageBox.h"
#include "plugins/giga/BrowseLists.h"
#include "plugins/giga/TivenorRecord.h"
#include "tests/giga/TivenorTestSupport.h"

namespace orlim::testing {
namespace {

using namespace orlim::tivenor;

std::string nameOf(const char (&field)[32])
{
    return std::string(field, strnlen(field, sizeof field));
}

// Three instruments over three waves: a piano of two regions, a drum kit, and an
// organ without a name whose second region has no "wsmp" of its own.
GigaBankBuilder browsingBank(ChunkOrder order)
{
    GigaBankBuilder bank;
    bank.order = order;
    bank.waves = {wave16(ramp(32), "Piano low"), wave16(ramp(32), "Piano high"), wave16(ramp(32))};

    GigaInstrument piano;
    piano.name = "Grand Piano";
    piano.program = 0;
    GigaRegion low;
    low.keyLow = 0;
    low.keyHigh = 59;
    low.regionUnityNote = 48;
    low.tableIndex = 0;
    GigaRegion high = low;
    high.keyLow = 60;
    high.keyHigh = 127;
    high.regionUnityNote = 72;
    high.tableIndex = 1;
    piano.regions = {low, high};

    GigaInstrument drums;
    drums.name = "Standard Kit With A Name Longer Than Thirty-Two Bytes";
    drums.bank = kDrumKitFlag;
    drums.program = 0;
    GigaRegion hit;
    hit.keyLow = 35;
    hit.keyHigh = 81;
    hit.regionUnityNote = 60;
    hit.tableIndex = 2;
    drums.regions = {hit};

    GigaInstrument organ;
    organ.bank = 1;
    organ.program = 16;
    GigaRegion pipe = hit;
    pipe.regionUnityNote.reset();
    organ.regions = {low, pipe};

    bank.instruments = {piano, drums, organ};
    return bank;
}

class GigaBrowseLists : public TivenorTest, public ::testing::WithParamInterface<ChunkOrder> {
protected:
    std::string path() const { return dir.file("bank.gig"); }
    MessageBoxRecorder boxes;
};

TEST_P(GigaBrowseLists, InstrumentsListTheirBankProgramAndName)
{
    writeBank(browsingBank(GetParam()));
    const auto block = instrumentList(path());
    ASSERT_TRUE(block);
    EXPECT_EQ(readField<std::uint32_t>(block->data(), 0), 4u + 3 * 40);
    EXPECT_EQ(block->size(), 4u + 3 * 40);
    const auto entries = listEntries<InstrumentListEntry>(*block);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].bank, 0u);
    EXPECT_EQ(entries[0].program, 0u);
    EXPECT_EQ(nameOf(entries[0].name), "Grand Piano");
    EXPECT_EQ(entries[1].bank, kDrumKitFlag);
    EXPECT_EQ(nameOf(entries[1].name), "Standard Kit With A Name Longer ");
    EXPECT_EQ(entries[2].bank, 1u);
    EXPECT_EQ(entries[2].program, 16u);
    const char zeros[32] = {};
    EXPECT_EQ(std::memcmp(entries[2].name, zeros, 32), 0);
    EXPECT_TRUE(boxes.texts().empty());
}

TEST_P(GigaBrowseLists, RegionsListTheirRootKeyRangeAndWaveName)
{
    writeBank(browsingBank(GetParam()));
    const auto piano = regionList(path(), 0, 0);
    ASSERT_TRUE(piano);
    EXPECT_EQ(piano->size(), 4u + 2 * 38);
    const auto regions = listEntries<RegionListEntry>(*piano);
    ASSERT_EQ(regions.size(), 2u);
    EXPECT_EQ(regions[0].rootPitch, 4800);
    EXPECT_EQ(regions[0].keyLow, 0);
    EXPECT_EQ(regions[0].keyHigh, 59);
    EXPECT_EQ(nameOf(regions[0].waveName), "Piano low");
    EXPECT_EQ(regions[1].rootPitch, 7200);
    EXPECT_EQ(regions[1].keyLow, 60);
    EXPECT_EQ(regions[1].keyHigh, 127);
    EXPECT_EQ(nameOf(regions[1].waveName), "Piano high");

    const auto drums = regionList(path(), kDrumKitFlag, 0);
    ASSERT_TRUE(drums);
    const auto hits = listEntries<RegionListEntry>(*drums);
    ASSERT_EQ(hits.size(), 1u);
    EXPECT_EQ(hits[0].rootPitch, 6000);
    EXPECT_EQ(hits[0].keyLow, 35);
    EXPECT_EQ(hits[0].keyHigh, 81);
    EXPECT_EQ(nameOf(hits[0].waveName), "");

    const auto organ = listEntries<RegionListEntry>(*regionList(path(), 1, 16));
    ASSERT_EQ(organ.size(), 2u);
    EXPECT_EQ(organ[1].rootPitch, kNoRoot);
    EXPECT_TRUE(boxes.texts().empty());
}

TEST_P(GigaBrowseLists, AnInstrumentTheBankDoesNotHoldEndsTheRegionsListSilently)
{
    writeBank(browsingBank(GetParam()));
    EXPECT_FALSE(regionList(path(), 0, 1));
    EXPECT_FALSE(regionList(path(), 0, 16)); // the drum bit and the bank must both match
    EXPECT_TRUE(boxes.texts().empty());
}

struct BrokenList {
    const char* name;
    std::function<void(GigaBankBuilder&)> build;
    std::function<void(std::string&)> damage;
    const char* instrumentsText; // null: the list is made
    const char* regionsText;     // null: the list is made
};

const BrokenList kBrokenLists[] = {
    {"a missing file", {}, {}, "Failed to open file.", "Failed to open file."},
    {"another RIFF form", [](GigaBankBuilder& b) { b.formType = "WAVE"; }, {}, "This is not a GIGA file.",
     "This is not a GIGA file."},
    {"no colh", [](GigaBankBuilder& b) { b.omit = {"colh"}; }, {}, "Can't find colh chunk.", "Can't find colh chunk."},
    {"no lins", [](GigaBankBuilder& b) { b.omit = {"lins"}; }, {}, "Can't find sample chunk.",
     "Can't find sample chunk."},
    {"no ins before the instrument", [](GigaBankBuilder& b) { b.instrumentCount = 4; b.instruments[0].omit = {"ins "}; },
     {}, "Can't find sample chunk.", "Can't find inst chunk."},
    {"no insh before the instrument", [](GigaBankBuilder& b) { b.instruments[0].omit = {"insh"}; }, {},
     "Can't find sample chunk.", "Can't find inst chunk."},
    {"no lrgn", [](GigaBankBuilder& b) { b.instruments[0].omit = {"lrgn"}; }, {}, nullptr, "Can't find lrgn chunk."},
    {"no rgnh", [](GigaBankBuilder& b) { b.instruments[0].regions[1].omit = {"rgnh"}; }, {}, nullptr,
     "Can't find lrgn chunk."},
    {"no wlnk", [](GigaBankBuilder& b) { b.instruments[0].regions[0].omit = {"wlnk"}; }, {}, nullptr,
     "Can't find lrgn chunk."},
    {"no ptbl", [](GigaBankBuilder& b) { b.omit = {"ptbl"}; }, {}, nullptr, "Can't find lrgn chunk."},
    {"a table index beyond the table", [](GigaBankBuilder& b) { b.instruments[0].regions[1].tableIndex = 3; }, {},
     nullptr, "Can't find lrgn chunk."},
    {"no wvpl", [](GigaBankBuilder& b) { b.omit = {"wvpl"}; }, {}, nullptr, "Can't find lrgn chunk."},
    {"a missing wave", [](GigaBankBuilder& b) { b.waves[1].listType = "wavx"; b.waves[2].listType = "wavx"; }, {},
     nullptr, "Can't find lrgn chunk."},
};

TEST_P(GigaBrowseLists, EachMissingChunkShowsItsMessageAndGivesNoList)
{
    for (const BrokenList& broken : kBrokenLists) {
        SCOPED_TRACE(broken.name);
        std::filesystem::remove(path());
        if (broken.build || broken.damage) {
            GigaBankBuilder bank = browsingBank(GetParam());
            if (broken.build)
                broken.build(bank);
            std::string file = bank.bytes();
            if (broken.damage)
                broken.damage(file);
            writeFile(path(), file);
        }
        for (const auto& [list, text] : {std::pair{std::function([&] { return instrumentList(path()); }),
                                                   broken.instrumentsText},
                                         std::pair{std::function([&] { return regionList(path(), 0, 0); }),
                                                   broken.regionsText}}) {
            boxes.clear();
            const auto block = list();
            if (!text) {
                EXPECT_TRUE(block);
                EXPECT_TRUE(boxes.texts().empty());
                continue;
            }
            EXPECT_FALSE(block);
            const auto entries = boxes.entries();
            ASSERT_EQ(entries.size(), 1u);
            EXPECT_EQ(entries[0].text, text);
            EXPECT_EQ(entries[0].caption, "Tivenor");
            EXPECT_EQ(entries[0].buttons, MessageButtons::Ok);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(ChunkOrders, GigaBrowseLists, ::testing::Values(ChunkOrder::Listed, ChunkOrder::Giga),
                         [](const auto& info) { return info.param == ChunkOrder::Listed ? "Listed" : "Giga"; });

} // namespace
} // namespace orlim::testing
