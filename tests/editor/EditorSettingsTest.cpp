#include <QStringList>

#include "editor/shell/EditorSettings.h"
#include "editor/shell/FileDialogs.h"
#include "platform/Files.h"
#include "tests/editor/EditorFixture.h"

namespace orlim::testing {
namespace {

TEST(DefaultFileName, CutsTheFileNameAtItsFirstDotAndKeepsTheFolder)
{
    struct Case {
        const char* path;
        const char* extension;
        const char* expected;
    };
    const Case cases[] = {
        {"/home/u/tune.mid", ".rwm", "/home/u/tune.rwm"},
        {"/home/u/a.b.mid", ".rwm", "/home/u/a.rwm"},
        {"/home/u/.cache/x.mid", ".rwm", "/home/u/.cache/x.rwm"},
        {"/home/u/v1.2/song.rwm", ".wav", "/home/u/v1.2/song.wav"},
        {"/home/u/README", ".rwm", ""},
        {"/home/u/.hidden", ".rwm", ""},
        {"/home/u/", ".rwm", ""},
        {"", ".wav", ""},
        {"song.rwm", ".wav", "song.wav"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(defaultFileName(c.path, c.extension), c.expected);
    }
}

TEST(DocumentPath, IsOneEndingInRwmInAnyCase)
{
    EXPECT_TRUE(isDocumentPath("/a/b.rwm"));
    EXPECT_TRUE(isDocumentPath("/a/B.RWM"));
    EXPECT_TRUE(isDocumentPath("xrwm"));
    EXPECT_FALSE(isDocumentPath("/a/b.mid"));
    EXPECT_FALSE(isDocumentPath("wm"));
    EXPECT_FALSE(isDocumentPath(""));
}

TEST(AppendFileName, AddsOneSlashOnlyWhenNeeded)
{
    EXPECT_EQ(appendFileName("/opt/Orlim", "orlim.chm"), "/opt/Orlim/orlim.chm");
    EXPECT_EQ(appendFileName("/opt/Orlim/", "orlim.chm"), "/opt/Orlim/orlim.chm");
    EXPECT_EQ(appendFileName("", "soundfont"), "/soundfont");
}

using PresetPath = EditorEnvironment;

TEST_F(PresetPath, ARelativeNameLiesInTheInstallationFolderAndAFullPathStays)
{
    const struct {
        const char* stored;
        std::string path;
    } cases[] = {
        {"midiset.pre", appendFileName(installationFolder(), "midiset.pre")},
        {"presets/gm.pre", appendFileName(installationFolder(), "presets/gm.pre")},
        {"/home/u/My Presets/gm.pre", "/home/u/My Presets/gm.pre"},
        {"", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        editorSettings().writeString("midiset", "FileName", c.stored);
        EXPECT_EQ(midiPresetPath(), c.path);
    }
}

TEST(FileFilters, TurnIntoQtFiltersWhosePatternsMatchEitherCase)
{
    EXPECT_EQ(qtNameFilters("All recognizable music file(*.rwm,*.mid)|*.rwm;*.mid|All File(*.*)|*.*||"),
              (QStringList{"All recognizable music file(*.rwm,*.mid) (*.[rR][wW][mM] *.[mM][iI][dD])",
                           "All File(*.*) (*.*)"}));
    EXPECT_EQ(qtNameFilters("Wave Form File(*.wav)|*.wav|"), QStringList{"Wave Form File(*.wav) (*.[wW][aA][vV])"});
    EXPECT_TRUE(qtNameFilters("").isEmpty());
    EXPECT_TRUE(qtNameFilters("dangling").isEmpty());
}

} // namespace
} // namespace orlim::testing
