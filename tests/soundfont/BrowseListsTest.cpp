// The lists the setup dialog browses a bank with, and their message boxes.
#include <cstring>
#include <functional>

#include "platform/MessageBox.h"
#include "plugins/soundfont/BrowseLists.h"
#include "plugins/soundfont/Generators.h"
#include "tests/soundfont/KestrowTestSupport.h"

namespace orlim::testing {
namespace {

using namespace orlim::kestrow;

std::string nameOf(const char (&field)[20])
{
    return std::string(field, strnlen(field, sizeof field));
}

// Two presets; the second holds a global zone, two instrument zones and one zone
// whose instrument generator is not last.
SoundFontBuilder browsingBank()
{
    SoundFontBuilder bank;
    SfSample low;
    low.name = "Low sample";
    low.points.assign(64, 0);
    low.originalPitch = 48;
    low.pitchCorrection = -7;
    SfSample high = low;
    high.name = "High sample";
    high.originalPitch = 72;
    high.pitchCorrection = 3;
    bank.samples = {low, high};
    bank.instruments.push_back({"Strings", {SfZone{{keyRange(70, 30)}, 0},
                                            SfZone{{generator(OverridingRootKey, 66), keyRange(60, 90)}, 1},
                                            SfZone{{generator(CoarseTune, 1)}, std::nullopt},
                                            SfZone{{}, 1}}});
    bank.instruments.push_back({"Brass", {SfZone{{}, 0}}});
    bank.presets.push_back({"Piano", 0, 0, {SfZone{{}, 1}}});
    bank.presets.push_back({"Ensemble", 48, 128,
                            {SfZone{{generator(InitialAttenuation, 10)}, std::nullopt}, SfZone{{}, 0},
                             SfZone{{}, 1}}});
    return bank;
}

class BrowseListsTest : public KestrowTest {
protected:
    void SetUp() override { writeBank(browsingBank()); }
    std::string path() const { return dir.file("bank.sf2"); }
    MessageBoxRecorder boxes;
};

TEST_F(BrowseListsTest, PresetsListEveryHeaderWithTheTerminalOne)
{
    const auto block = presetList(path());
    ASSERT_TRUE(block);
    EXPECT_EQ(readField<std::uint32_t>(block->data(), 0), 4u + 3 * 28);
    EXPECT_EQ(block->size(), 4u + 3 * 28);
    const auto entries = listEntries<PresetListEntry>(*block);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].recordIndex, 0u);
    EXPECT_EQ(entries[0].bank, 0);
    EXPECT_EQ(entries[0].preset, 0);
    EXPECT_EQ(nameOf(entries[0].name), "Piano");
    EXPECT_EQ(entries[1].recordIndex, 1u);
    EXPECT_EQ(entries[1].bank, 128);
    EXPECT_EQ(entries[1].preset, 48);
    EXPECT_EQ(nameOf(entries[1].name), "Ensemble");
    EXPECT_EQ(nameOf(entries[2].name), "EOP");
    EXPECT_TRUE(boxes.texts().empty());
}

TEST_F(BrowseListsTest, InstrumentsListTheBagsThatEndWithAnInstrument)
{
    const auto block = instrumentList(path(), 1);
    ASSERT_TRUE(block);
    const auto entries = listEntries<InstrumentListEntry>(*block);
    ASSERT_EQ(entries.size(), 2u);
    // The preset's bags are 1 (global), 2 and 3.
    EXPECT_EQ(entries[0].bagIndex, 2u);
    EXPECT_EQ(nameOf(entries[0].name), "Strings");
    EXPECT_EQ(entries[1].bagIndex, 3u);
    EXPECT_EQ(nameOf(entries[1].name), "Brass");
    EXPECT_TRUE(boxes.texts().empty());
}

TEST_F(BrowseListsTest, ZonesListTheBagsThatEndWithASample)
{
    const auto block = zoneList(path(), 2);
    ASSERT_TRUE(block);
    const auto entries = listEntries<ZoneListEntry>(*block);
    ASSERT_EQ(entries.size(), 3u);
    // Key range 70-30 is put in order; the root is the recorded pitch with its correction.
    EXPECT_EQ(entries[0].rootPitch, 4800 - 7);
    EXPECT_EQ(entries[0].lowerBound, 3000);
    EXPECT_EQ(entries[0].upperBound, 7000 - 7);
    EXPECT_EQ(nameOf(entries[0].sampleName), "Low sample");
    // An overriding root key gives the root.
    EXPECT_EQ(entries[1].rootPitch, 6600);
    EXPECT_EQ(entries[1].lowerBound, 6000);
    EXPECT_EQ(entries[1].upperBound, 9000 + 3);
    EXPECT_EQ(nameOf(entries[1].sampleName), "High sample");
    // Without a key range: the recorded pitch as the upper bound and -1 below.
    EXPECT_EQ(entries[2].rootPitch, 7200 + 3);
    EXPECT_EQ(entries[2].lowerBound, -1);
    EXPECT_EQ(entries[2].upperBound, 7200 + 3);
    EXPECT_TRUE(boxes.texts().empty());
}

TEST_F(BrowseListsTest, AGlobalPresetBagHasNoZones)
{
    EXPECT_FALSE(zoneList(path(), 1));
    EXPECT_EQ(boxes.texts(), std::vector<std::string>{"Can't find INST chunk."});
}

struct ListFailure {
    const char* name;
    std::function<void(SoundFontBuilder&)> build;
    const char* presets;
    const char* instruments;
    const char* zones;
};

const ListFailure kListFailures[] = {
    {"another form", [](SoundFontBuilder& b) { b.formType = "sfbx"; }, "This is not a sound font file.",
     "This is not a sound font file.", "This is not a sound font file."},
    {"no pdta", [](SoundFontBuilder& b) { b.withPdta = false; }, "Can't find pdtas chunk.",
     "Can't find pdtas chunk.", "Can't find pdtas chunk."},
    {"no phdr", [](SoundFontBuilder& b) { std::erase(b.pdtaOrder, "phdr"); }, "Can't find sample chunk.",
     "Can't find PHDR chunk.", nullptr},
    {"no pbag", [](SoundFontBuilder& b) { std::erase(b.pdtaOrder, "pbag"); }, nullptr, "Can't find PBAG chunk.",
     "Can't find PBAG chunk."},
    {"no pgen", [](SoundFontBuilder& b) { std::erase(b.pdtaOrder, "pgen"); }, nullptr, "Can't find PGEN chunk.",
     "Can't find PGEN chunk."},
    {"no inst", [](SoundFontBuilder& b) { std::erase(b.pdtaOrder, "inst"); }, nullptr, "Can't find INST chunk.",
     "Can't find INST chunk."},
    {"no ibag", [](SoundFontBuilder& b) { std::erase(b.pdtaOrder, "ibag"); }, nullptr, nullptr,
     "Can't find IBAG chunk."},
    {"no igen", [](SoundFontBuilder& b) { std::erase(b.pdtaOrder, "igen"); }, nullptr, nullptr,
     "Can't find IBAG chunk."},
    {"no shdr", [](SoundFontBuilder& b) { std::erase(b.pdtaOrder, "shdr"); }, nullptr, nullptr,
     "Can't find IBAG chunk."},
};

TEST_F(BrowseListsTest, EachMissingPieceShowsItsMessage)
{
    for (const ListFailure& failure : kListFailures) {
        SCOPED_TRACE(failure.name);
        SoundFontBuilder bank = browsingBank();
        failure.build(bank);
        writeBank(bank);
        const struct {
            std::optional<ListBlock> block;
            const char* message;
        } lists[] = {{presetList(path()), failure.presets},
                     {instrumentList(path(), 1), failure.instruments},
                     {zoneList(path(), 2), failure.zones}};
        std::vector<std::string> expected;
        for (const auto& list : lists) {
            EXPECT_EQ(list.block.has_value(), list.message == nullptr);
            if (list.message)
                expected.push_back(list.message);
        }
        EXPECT_EQ(boxes.texts(), expected);
        for (const auto& entry : boxes.entries())
            EXPECT_EQ(entry.caption, "Kestrow");
        boxes.clear();
    }
}

TEST_F(BrowseListsTest, AMissingFileCannotBeOpened)
{
    EXPECT_FALSE(presetList(dir.file("none.sf2")));
    EXPECT_FALSE(instrumentList(dir.file("none.sf2"), 0));
    EXPECT_FALSE(zoneList(dir.file("none.sf2"), 0));
    EXPECT_EQ(boxes.texts(), std::vector<std::string>(3, "Failed to open file."));
}

TEST_F(BrowseListsTest, IndicesPastTheirChunksGiveShorterListsOrMessages)
{
    EXPECT_FALSE(instrumentList(path(), 2)); // the terminal record has no successor
    EXPECT_FALSE(zoneList(path(), 4));       // the terminal bag has no successor
    EXPECT_EQ(boxes.texts(), (std::vector<std::string>{"Can't find PHDR chunk.", "Can't find PBAG chunk."}));
}

} // namespace
} // namespace orlim::testing
