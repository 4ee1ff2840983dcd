// kestrow.dll as hosts see it: loaded by name, its entry points resolved by name.
// The library folder is set before the plug-in's first use, as an installed system
// has it in the settings.
#include "platform/DynamicLibrary.h"
#include "platform/MessageBox.h"
#include "platform/Settings.h"
#include "plugin-api/PluginApi.h"
#include "tests/soundfont/KestrowTestSupport.h"

namespace orlim::testing {
namespace {

class KestrowDll : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        folder = new TempDir;
        ASSERT_TRUE(SettingsProfile("Kestrow").writeString("Library", "Path", folder->path()));
        library = loadPlugin("kestrow.dll");
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

TEST_F(KestrowDll, ExportsOnlyWhatItImplements)
{
    EXPECT_NE(resolveSymbol(library, kSrcAbout), nullptr);
    EXPECT_NE(resolveSymbol(library, kSrcGetSample), nullptr);
    EXPECT_NE(resolveSymbol(library, kSrcGetLastError), nullptr);
    EXPECT_EQ(resolveSymbol(library, kEffTreat), nullptr);
}

TEST_F(KestrowDll, AboutWithoutAParentNamesThePlugin)
{
    MessageBoxRecorder boxes;
    EXPECT_STREQ(entry<SrcAboutFn>(kSrcAbout)(nullptr), "Orlim Soundfont v2.0 Source Plugin.");
    EXPECT_TRUE(boxes.texts().empty());
}

TEST_F(KestrowDll, AboutWithAParentShowsTheAboutBox)
{
    MessageBoxRecorder boxes;
    QueueWindow parent;
    EXPECT_EQ(entry<SrcAboutFn>(kSrcAbout)(&parent), nullptr);
    const auto entries = boxes.entries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].text, "Orlim Durad SoundFont 2.0 Interface.");
    EXPECT_EQ(entries[0].caption, "About");
    EXPECT_EQ(entries[0].buttons, MessageButtons::Ok);
}

TEST_F(KestrowDll, PlaysABankOfTheLibraryFolderAndReportsFailures)
{
    writeFile(folder->file("Piano.SF2"), simpleBank().bytes());
    const auto getSample = entry<SrcGetSampleFn>(kSrcGetSample);
    const auto lastError = entry<SrcGetLastErrorFn>(kSrcGetLastError);

    const auto record = kestrowEntry("piano.sf2", 0, 0);
    SampleRequest request = noteRequest(6000);
    EXPECT_NE(getSample(asEntry(record), &request), nullptr) << lastError();
    EXPECT_EQ(lastError(), nullptr);
    EXPECT_EQ(request.sampleLength, 200u);

    const auto missing = kestrowEntry("organ.sf2", 0, 0);
    SampleRequest failing = noteRequest(6000);
    EXPECT_EQ(getSample(asEntry(missing), &failing), nullptr);
    EXPECT_STREQ(lastError(), "Can't Open the file.");
}

} // namespace
} // namespace orlim::testing
