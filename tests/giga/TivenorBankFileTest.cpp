// A bank is read once per version of its file; a bank that changes, is replaced,
// deleted or cut short while in use is noticed at the next note.
#include <filesystem>

#include "tests/giga/TivenorTestSupport.h"

namespace orlim::testing {
namespace {

GigaBankBuilder bankAtRate(std::uint32_t rate, std::size_t points = 200)
{
    GigaBankBuilder bank = simpleGigaBank(points);
    bank.waves[0].sampleRate = rate;
    return bank;
}

TEST_F(TivenorTest, ReadsABankOncePerVersionOfItsFile)
{
    writeBank(bankAtRate(22050));
    for (int i = 0; i < 50; ++i) {
        SampleRequest request = noteRequest(3000 + 100 * (i % 40));
        ASSERT_NE(ask(request), nullptr) << source.lastError();
        EXPECT_EQ(request.sampleRate, 22050u);
    }
    EXPECT_EQ(source.bankReads(), 1u);

    writeBank(bankAtRate(32000, 300));
    SampleRequest request = noteRequest(6000);
    ASSERT_NE(ask(request), nullptr) << source.lastError();
    EXPECT_EQ(request.sampleRate, 32000u);
    EXPECT_EQ(request.sampleLength, 300u);
    EXPECT_EQ(source.bankReads(), 2u);
}

TEST_F(TivenorTest, KeepsTheSamePointsOnlyOnce)
{
    writeBank(bankAtRate(22050));
    SampleRequest first = noteRequest(6000);
    ASSERT_NE(ask(first), nullptr);
    const std::size_t held = source.sampleBytesCached();
    EXPECT_EQ(held, 2u * (200 + tivenor::kExtraPoints));
    for (int i = 0; i < 10; ++i) {
        SampleRequest again = noteRequest(6000);
        ASSERT_NE(ask(again), nullptr);
    }
    EXPECT_EQ(source.sampleBytesCached(), held);
}

TEST_F(TivenorTest, RegionsThatShareAWaveWithOtherLoopsGetTheirOwnPoints)
{
    GigaBankBuilder bank = simpleGigaBank();
    GigaRegion low;
    low.keyHigh = 59;
    low.loop = GigaLoop{150, 50};
    GigaRegion high;
    high.keyLow = 60;
    high.loop = GigaLoop{190, 10};
    bank.instruments[0].regions = {low, high};
    writeBank(bank);

    SampleRequest first = noteRequest(5000);
    const auto* a = static_cast<const std::int16_t*>(ask(first));
    ASSERT_NE(a, nullptr) << source.lastError();
    EXPECT_EQ(a[200], 151);
    SampleRequest second = noteRequest(7000);
    const auto* b = static_cast<const std::int16_t*>(ask(second));
    ASSERT_NE(b, nullptr) << source.lastError();
    EXPECT_EQ(b[200], 191);
}

TEST_F(TivenorTest, NoticesABankReplacedByAnother)
{
    writeBank(bankAtRate(22050));
    SampleRequest before = noteRequest(6000);
    ASSERT_NE(ask(before), nullptr);

    writeBank(bankAtRate(11025), "other.gig");
    std::filesystem::rename(dir.file("other.gig"), dir.file("bank.gig"));
    SampleRequest after = noteRequest(6000);
    ASSERT_NE(ask(after), nullptr) << source.lastError();
    EXPECT_EQ(after.sampleRate, 11025u);
}

TEST_F(TivenorTest, ADeletedBankGivesError2UntilItComesBack)
{
    writeBank(bankAtRate(22050));
    SampleRequest first = noteRequest(6000);
    ASSERT_NE(ask(first), nullptr);

    std::filesystem::remove(dir.file("bank.gig"));
    SampleRequest gone = noteRequest(6000);
    EXPECT_EQ(ask(gone), nullptr);
    EXPECT_EQ(source.lastErrorNumber(), 2);

    writeBank(bankAtRate(44100));
    SampleRequest back = noteRequest(6000);
    ASSERT_NE(ask(back), nullptr);
    EXPECT_EQ(back.sampleRate, 44100u);
}

TEST_F(TivenorTest, ABankChangedIntoAnotherKindOfFileGivesItsError)
{
    writeBank(bankAtRate(22050));
    SampleRequest first = noteRequest(6000);
    ASSERT_NE(ask(first), nullptr);
    writeFile(dir.file("bank.gig"), "RIFF\x04\x00\x00\x00WAVE");
    SampleRequest second = noteRequest(6000);
    EXPECT_EQ(ask(second), nullptr);
    EXPECT_EQ(source.lastErrorNumber(), 3);
}

// Cut the bank short in place, at every length, after it has been read once.
class TivenorCutBank : public TivenorTest, public ::testing::WithParamInterface<ChunkOrder> {};

TEST_P(TivenorCutBank, GivesAnErrorOrTheWavesOwnPointsAtEveryLength)
{
    GigaBankBuilder bank = bankAtRate(22050, 120);
    bank.order = GetParam();
    bank.instruments[0].regions[0].loop = GigaLoop{100, 20};
    const std::string file = bank.bytes();
    const std::vector<std::int16_t> points = ramp(120);
    for (std::size_t length = file.size(); length-- > 0;) {
        SCOPED_TRACE(length);
        writeFile(dir.file("bank.gig"), file);
        SampleRequest whole = noteRequest(6000);
        ASSERT_NE(ask(whole), nullptr) << source.lastError();

        std::filesystem::resize_file(dir.file("bank.gig"), length);
        SampleRequest cut = noteRequest(6000);
        const void* block = ask(cut);
        if (block) {
            // Only the end of the wave's points can have been cut.
            ASSERT_LE(cut.sampleLength, 120u);
            ASSERT_LE(cut.loopEnd, cut.sampleLength);
            const auto got = points16(block, cut.sampleLength + tivenor::kExtraPoints);
            for (std::size_t i = 0; i < cut.sampleLength; ++i)
                ASSERT_EQ(got[i], points[i]);
        } else {
            EXPECT_GE(source.lastErrorNumber(), 3);
            EXPECT_LE(source.lastErrorNumber(), 18);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(ChunkOrders, TivenorCutBank, ::testing::Values(ChunkOrder::Listed, ChunkOrder::Giga),
                         [](const auto& info) { return info.param == ChunkOrder::Listed ? "Listed" : "Giga"; });

} // namespace
} // namespace orlim::testing
