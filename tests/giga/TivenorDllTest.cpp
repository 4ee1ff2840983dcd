// tivenor.dll as hosts see it: loaded by name, its entry points resolved by name.
// The library folder is set before the plug-in's first use, as an installed system
// has it in the settings.
#include "platform/DynamicLibrary.h"
#include "platform/MessageBox.h"
#include "platform/Settings.h"
#include "plugin-api/PluginApi.h"
#include "tests/giga/GigaWriter.h"
#include "tests/support/SourceRequests.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

namespace orlim::testing {
namespace {

class TivenorDll : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        folder = new TempDir;
        ASSERT_TRUE(SettingsProfile("Tivenor").writeString("Library", "Path", folder->path()));
        library = loadPlugin("tivenor.dll");
        ASSERT_NE(library, nullptr);
    }

    static void TearDownTestSuite()
    {
        freeLibrary(library);
        delete folder;
    }

    template <typename Function>
    static Function entry(const char* name)
    {
        return reinterpret_cast<Function>(resolveSymbol(library, name));
    }

    static inline TempDir* folder = nullptr;
    static inline LibraryHandle library = nullptr;
};

TEST_F(TivenorDll, ExportsOnlyWhatItImplements)
{
    EXPECT_NE(resolveSymbol(library, kSrcAbout), nullptr);
    EXPECT_NE(resolveSymbol(library, kSrcGetSample), nullptr);
    EXPECT_NE(resolveSymbol(library, kSrcGetLastError), nullptr);
    EXPECT_EQ(resolveSymbol(library, kSrcSetup), nullptr);
    EXPECT_EQ(resolveSymbol(library, kSrcHelp), nullptr);
    EXPECT_EQ(resolveSymbol(library, kEffTreat), nullptr);
}

TEST_F(TivenorDll, AboutWithoutAParentNamesThePlugin)
{
    MessageBoxRecorder boxes;
    EXPECT_STREQ(entry<SrcAboutFn>(kSrcAbout)(nullptr), "Orlim Giga Source Plugin V1.0 testing.");
    EXPECT_TRUE(boxes.texts().empty());
}

TEST_F(TivenorDll, AboutWithAParentShowsTheAboutBox)
{
    MessageBoxRecorder boxes;
    QueueWindow parent;
    EXPECT_EQ(entry<SrcAboutFn>(kSrcAbout)(&parent), nullptr);
    const auto entries = boxes.entries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].text, "Orlim Durad Giga Source Interface.");
    EXPECT_EQ(entries[0].caption, "Dialog");
    EXPECT_EQ(entries[0].buttons, MessageButtons::Ok);
}

TEST_F(TivenorDll, PlaysABankOfTheLibraryFolderAndReportsFailures)
{
    simpleGigaBank(150).write(folder->file("Strings.GIG"));
    const auto getSample = entry<SrcGetSampleFn>(kSrcGetSample);
    const auto lastError = entry<SrcGetLastErrorFn>(kSrcGetLastError);

    const auto missing = tivenorEntry("organ.gig", 0, 0);
    SampleRequest failing = noteRequest(6000);
    EXPECT_EQ(getSample(asEntry(missing), &failing), nullptr);
    EXPECT_STREQ(lastError(), "Can't open the giga file.");

    const auto record = tivenorEntry("strings.gig", 0, 0);
    SampleRequest request = noteRequest(6000);
    EXPECT_NE(getSample(asEntry(record), &request), nullptr) << lastError();
    EXPECT_EQ(request.sampleLength, 150u);

    const auto wrongProgram = tivenorEntry("strings.gig", 0, 1);
    SampleRequest other = noteRequest(6000);
    EXPECT_EQ(getSample(asEntry(wrongProgram), &other), nullptr);
    EXPECT_STREQ(lastError(), "Can't find the bank chunk.");
}

} // namespace
} // namespace orlim::testing
