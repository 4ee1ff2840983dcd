// A bank is read once per version of its file; a bank that changes, is replaced,
// deleted or cut short while in use is noticed at the next note.
#include <filesystem>

#include "tests/soundfont/KestrowTestSupport.h"

namespace orlim::testing {
namespace {

SoundFontBuilder bankAtRate(std::uint32_t rate, std::size_t points = 200)
{
    SoundFontBuilder bank = simpleBank(points);
    bank.samples[0].sampleRate = rate;
    return bank;
}

TEST_F(KestrowTest, ReadsABankOncePerVersionOfItsFile)
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

TEST_F(KestrowTest, KeepsTheSamePointsOnlyOnce)
{
    writeBank(bankAtRate(22050));
    SampleRequest first = noteRequest(6000);
    ASSERT_NE(ask(first), nullptr);
    const std::size_t held = source.sampleBytesCached();
    EXPECT_GE(held, 2u * (200 + 48));
    for (int i = 0; i < 10; ++i) {
        SampleRequest again = noteRequest(6000);
        ASSERT_NE(ask(again), nullptr);
    }
    EXPECT_EQ(source.sampleBytesCached(), held);
}

TEST_F(KestrowTest, NoticesABankReplacedByAnother)
{
    writeBank(bankAtRate(22050));
    SampleRequest before = noteRequest(6000);
    ASSERT_NE(ask(before), nullptr);

    writeBank(bankAtRate(11025), "other.sf2");
    std::filesystem::rename(dir.file("other.sf2"), dir.file("bank.sf2"));
    SampleRequest after = noteRequest(6000);
    ASSERT_NE(ask(after), nullptr) << source.lastError();
    EXPECT_EQ(after.sampleRate, 11025u);
}

TEST_F(KestrowTest, ADeletedBankGivesError1UntilItComesBack)
{
    writeBank(bankAtRate(22050));
    SampleRequest first = noteRequest(6000);
    ASSERT_NE(ask(first), nullptr);

    std::filesystem::remove(dir.file("bank.sf2"));
    SampleRequest gone = noteRequest(6000);
    EXPECT_EQ(ask(gone), nullptr);
    EXPECT_EQ(source.lastErrorNumber(), 1);

    writeBank(bankAtRate(44100));
    SampleRequest back = noteRequest(6000);
    ASSERT_NE(ask(back), nullptr);
    EXPECT_EQ(back.sampleRate, 44100u);
}

TEST_F(KestrowTest, ABankChangedIntoAnotherKindOfFileGivesItsError)
{
    writeBank(bankAtRate(22050));
    SampleRequest first = noteRequest(6000);
    ASSERT_NE(ask(first), nullptr);
    writeFile(dir.file("bank.sf2"), "RIFF\x04\x00\x00\x00WAVE");
    SampleRequest second = noteRequest(6000);
    EXPECT_EQ(ask(second), nullptr);
    EXPECT_EQ(source.lastErrorNumber(), 2);
}

// Cut the bank short in place, at every length, after it has been read once.
class KestrowCutBank : public KestrowTest, public ::testing::WithParamInterface<bool> {};

TEST_P(KestrowCutBank, GivesAnErrorOrAValidSampleAtEveryLength)
{
    SoundFontBuilder bank = bankAtRate(22050, 120);
    bank.sdtaFirst = GetParam();
    const std::string file = bank.bytes();
    for (std::size_t length = file.size(); length-- > 0;) {
        SCOPED_TRACE(length);
        writeFile(dir.file("bank.sf2"), file);
        SampleRequest whole = noteRequest(6000);
        ASSERT_NE(ask(whole), nullptr) << source.lastError();

        std::filesystem::resize_file(dir.file("bank.sf2"), length);
        SampleRequest cut = noteRequest(6000);
        const auto* block = static_cast<const std::int16_t*>(ask(cut));
        if (block) {
            // Only the bytes after the sample's own points were cut.
            ASSERT_EQ(cut.sampleLength, 120u);
            for (std::size_t i = 0; i < 120; ++i)
                ASSERT_EQ(block[i], bank.samples[0].points[i]);
        } else {
            EXPECT_GE(source.lastErrorNumber(), 2);
            EXPECT_LE(source.lastErrorNumber(), 17);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Layouts, KestrowCutBank, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "SamplesFirst" : "SamplesLast"; });

} // namespace
} // namespace orlim::testing
