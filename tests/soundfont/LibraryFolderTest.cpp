// Where kestrow looks for its banks, and how it finds a bank whose name differs in case.
#include <filesystem>

#include "platform/Files.h"
#include "platform/Settings.h"
#include "plugins/common/LibraryFolder.h"
#include "tests/soundfont/KestrowTestSupport.h"

namespace orlim::testing {
namespace {

constexpr std::string_view kAppPaths = "Software\\microsoft\\Windows\\CurrentVersion\\App Paths\\Orlim.exe";

class LibraryFolder : public ::testing::Test {
protected:
    void TearDown() override
    {
        SettingsProfile("Kestrow").deleteEntry("Library", "Path");
        if (const auto key = SettingsKey::open(SettingsHive::Machine, kAppPaths))
            key->deleteValue("Path");
    }

    static void setInstallation(std::string_view path)
    {
        const auto key = SettingsKey::create(SettingsHive::Machine, kAppPaths);
        ASSERT_TRUE(key);
        ASSERT_TRUE(key->setString("Path", path));
    }
};

TEST_F(LibraryFolder, ComesFromTheUserSettings)
{
    ASSERT_TRUE(SettingsProfile("Kestrow").writeString("Library", "Path", "/data/My Banks"));
    EXPECT_EQ(plugin::startLibraryFolder("Kestrow", "soundfont"), "/data/My Banks/");
    // Stored as it was, without the added "/".
    EXPECT_EQ(SettingsProfile("Kestrow").getString("Library", "Path"), "/data/My Banks");
}

TEST_F(LibraryFolder, ARelativeFolderLiesInTheInstallationFolder)
{
    setInstallation("/opt/OrlimDurad");
    ASSERT_TRUE(SettingsProfile("Kestrow").writeString("Library", "Path", "banks/gm"));
    EXPECT_EQ(plugin::startLibraryFolder("Kestrow", "soundfont"), "/opt/OrlimDurad/banks/gm/");
}

TEST_F(LibraryFolder, FallsBackToTheInstallationFolderAndWritesThatBack)
{
    const struct {
        const char* appPath;
        const char* folder;
    } cases[] = {
        {"/opt/OrlimDurad", "/opt/OrlimDurad/soundfont"},
        {"/opt/OrlimDurad/", "/opt/OrlimDurad/soundfont"},
        {"/opt/Orlim/ORLIM.EXE", "/opt/Orlim/soundfont"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.appPath);
        setInstallation(c.appPath);
        SettingsProfile("Kestrow").deleteEntry("Library", "Path");
        EXPECT_EQ(plugin::startLibraryFolder("Kestrow", "soundfont"), std::string(c.folder) + "/");
        EXPECT_EQ(SettingsProfile("Kestrow").getString("Library", "Path"), c.folder);
    }
}

TEST_F(LibraryFolder, WithoutAnInstallationItIsBesideTheProgram)
{
    EXPECT_EQ(plugin::startLibraryFolder("Kestrow", "soundfont"), programFolder() + "/soundfont/");
}

TEST_F(KestrowTest, OpensABankWhoseFileNameDiffersInCase)
{
    SoundFontBuilder bank = simpleBank();
    bank.samples[0].sampleRate = 32000;
    writeBank(bank, "Bank.SF2");
    SampleRequest request = noteRequest(6000);
    ASSERT_NE(ask(request), nullptr) << source.lastError();
    EXPECT_EQ(request.sampleRate, 32000u);

    // An exact match wins once there is one.
    bank.samples[0].sampleRate = 11025;
    writeBank(bank, "bank.sf2");
    SampleRequest exact = noteRequest(6000);
    ASSERT_NE(ask(exact), nullptr);
    EXPECT_EQ(exact.sampleRate, 11025u);

    // And the other is found again when the exact one goes.
    std::filesystem::remove(dir.file("bank.sf2"));
    SampleRequest again = noteRequest(6000);
    ASSERT_NE(ask(again), nullptr);
    EXPECT_EQ(again.sampleRate, 32000u);
}

TEST_F(KestrowTest, ForgetsACaseMatchThatIsGone)
{
    writeBank(simpleBank(), "BANK.sf2");
    SampleRequest first = noteRequest(6000);
    ASSERT_NE(ask(first), nullptr);
    std::filesystem::rename(dir.file("BANK.sf2"), dir.file("Bank.Sf2"));
    SampleRequest second = noteRequest(6000);
    EXPECT_NE(ask(second), nullptr) << source.lastError();
    std::filesystem::remove(dir.file("Bank.Sf2"));
    SampleRequest gone = noteRequest(6000);
    EXPECT_EQ(ask(gone), nullptr);
    EXPECT_EQ(source.lastErrorNumber(), 1);
}

} // namespace
} // namespace orlim::testing
