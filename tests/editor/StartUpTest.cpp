#include <QMdiArea>
#include <QSlider>

#include "editor/shell/CPlayBar.h"
#include "editor/shell/EditorSettings.h"
#include "engine/include/DuradMessages.h"
#include "platform/Files.h"
#include "tests/editor/EditorFixture.h"

namespace orlim::testing {
namespace {

struct Entry {
    std::string name;
    SettingType type;
    std::string text;
    std::uint32_t number;
};

std::vector<Entry> sectionEntries(std::string_view section)
{
    std::vector<Entry> entries;
    const auto key = SettingsKey::open(SettingsHive::User,
                                       std::string("Software\\Orlim Durad\\Orlim\\") + std::string(section));
    if (!key)
        return entries;
    for (std::size_t i = 0; const auto value = key->value(i); ++i)
        entries.push_back({value->name, value->type, value->text, value->number});
    return entries;
}

std::string libraryPath(std::string_view plugin)
{
    const auto key = SettingsKey::open(SettingsHive::User,
                                       std::string("Software\\Orlim Durad\\") + std::string(plugin) + "\\Library");
    return key ? key->queryString("Path").value_or("(none)") : "(no key)";
}

void expectFirstStartValues(const std::string& tempFolder)
{
    auto names = [](const std::vector<Entry>& entries) {
        std::vector<std::string> result;
        for (const Entry& e : entries)
            result.push_back(e.name);
        return result;
    };
    EXPECT_EQ(names(sectionEntries("Source")), (std::vector<std::string>{"kestrow.dll", "tivenor.dll"}));
    EXPECT_EQ(names(sectionEntries("Effect")), std::vector<std::string>{"effect.dll"});
    EXPECT_EQ(editorSettings().getString("midiset", "FileName"), "midiset.pre");
    const std::vector<Entry> player = sectionEntries("Player");
    ASSERT_EQ(names(player), (std::vector<std::string>{"Channels", "PlayRate", "PlaySampleBytes",
                                                        "SaveRate", "SaveSampleBytes", "TempPath"}));
    const std::uint32_t numbers[] = {2, 22050, 2, 44100, 2};
    for (std::size_t i = 0; i < 5; ++i) {
        SCOPED_TRACE(player[i].name);
        EXPECT_EQ(player[i].type, SettingType::Integer);
        EXPECT_EQ(player[i].number, numbers[i]);
    }
    EXPECT_EQ(player[5].type, SettingType::String);
    EXPECT_EQ(player[5].text, tempFolder);
    EXPECT_EQ(libraryPath("Kestrow"), appendFileName(installationFolder(), "soundfont"));
    EXPECT_EQ(libraryPath("Tivenor"), appendFileName(installationFolder(), "giga"));
}

using StartUp = EditorEnvironment;

TEST_F(StartUp, TheFirstStartWritesTheDefaultsInOrder)
{
    CEditorApp app;
    app.initInstance();
    expectFirstStartValues(temp.path());
    EXPECT_TRUE(boxes.entries().empty());
}

TEST_F(StartUp, AStartWithoutPlayerChannelsRewritesEveryDefault)
{
    struct Case {
        const char* name;
        void (*forget)();
    };
    const Case cases[] = {
        {"deleted", [] { editorSettings().deleteEntry("Player", "Channels"); }},
        {"32767", [] { editorSettings().writeInt("Player", "Channels", 32767); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        {
            CEditorApp first;
            first.initInstance();
        }
        editorSettings().writeInt("Player", "PlayRate", 11025);
        editorSettings().writeString("midiset", "FileName", "/home/u/mine.pre");
        editorSettings().deleteEntry("Source", "kestrow.dll");
        SettingsKey::create(SettingsHive::User, "Software\\Orlim Durad\\Kestrow\\Library")
            ->setString("Path", "/data/banks");
        c.forget();
        CEditorApp again;
        again.initInstance();
        EXPECT_EQ(editorSettings().getInt("Player", "PlayRate", 0), 22050);
        EXPECT_EQ(editorSettings().getString("midiset", "FileName"), "midiset.pre");
        EXPECT_EQ(editorSettings().entryNames("Source"),
                  (std::vector<std::string>{"tivenor.dll", "kestrow.dll"}));
        EXPECT_EQ(libraryPath("Kestrow"), appendFileName(installationFolder(), "soundfont"));
    }
}

TEST_F(StartUp, AStartWithPlayerChannelsKeepsTheUsersSettings)
{
    editorSettings().writeInt("Player", "Channels", 1);
    editorSettings().writeInt("Player", "PlayRate", 11025);
    CEditorApp app;
    app.initInstance();
    EXPECT_EQ(editorSettings().getInt("Player", "Channels", 0), 1);
    EXPECT_EQ(editorSettings().getInt("Player", "PlayRate", 0), 11025);
    EXPECT_TRUE(editorSettings().entryNames("Source").empty());
    EXPECT_EQ(libraryPath("Kestrow"), "(no key)");
}

// What the engine leaves in the temporary folders, and what the user keeps there.
struct TempFiles {
    explicit TempFiles(const std::string& root) : buffer(root + "/Buffer"), sample(root + "/Sample")
    {
        createFolder(buffer);
        createFolder(sample);
        createFolder(buffer + "/bufFolder");
        createFolder(sample + "/Index.tmp.d");
    }
    void fill() const
    {
        for (const char* name : {"bufA1b2C3", "buf", "Notes.txt", "mybuf.wav"})
            writeFile(buffer + "/" + name, "x");
        for (const char* name : {"Index.tmp", "Sample.tmp", "sample.tmp", "Song.rwm"})
            writeFile(sample + "/" + name, "x");
    }
    std::vector<std::string> names(const std::string& folder) const
    {
        std::vector<std::string> result;
        for (const FolderEntry& entry : listFolder(folder))
            result.push_back(entry.name);
        return result;
    }
    void expectOnlyTheUsersLeft() const
    {
        EXPECT_EQ(names(buffer), (std::vector<std::string>{"Notes.txt", "bufFolder", "mybuf.wav"}));
        EXPECT_EQ(names(sample), (std::vector<std::string>{"Index.tmp.d", "Song.rwm", "sample.tmp"}));
    }
    std::string buffer;
    std::string sample;
};

TEST_F(StartUp, StartAndExitDeleteOnlyTheEnginesTemporaryFiles)
{
    TempDir chosen;
    editorSettings().writeInt("Player", "Channels", 2);
    editorSettings().writeString("Player", "TempPath", chosen.path());
    TempFiles files(chosen.path());
    files.fill();
    CEditorApp app;
    app.initInstance();
    files.expectOnlyTheUsersLeft();
    files.fill();
    app.exitInstance();
    files.expectOnlyTheUsersLeft();
}

TEST_F(StartUp, AnEmptyTempPathMeansTheSystemsTemporaryFolderAndStaysEmpty)
{
    editorSettings().writeInt("Player", "Channels", 2);
    editorSettings().writeString("Player", "TempPath", "");
    TempFiles files(temp.path());
    files.fill();
    CEditorApp app;
    app.initInstance();
    files.expectOnlyTheUsersLeft();
    EXPECT_EQ(editorSettings().getString("Player", "TempPath", "(none)"), "");
}

TEST_F(StartUp, TheFrameGetsTheDocumentItsChildFramesAndTheTitle)
{
    CEditorApp app;
    app.initInstance();
    CMainFrame* frame = app.mainFrame();
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(CEditorApp::instance(), &app);
    EXPECT_NE(app.documentMusic(), nullptr);
    EXPECT_EQ(frame->music(), app.documentMusic());
    EXPECT_NE(frame->auditionMusic(), nullptr);
    EXPECT_NE(frame->auditionMusic(), app.documentMusic());
    EXPECT_EQ(frame->windowTitle(), "Orlim");
    EXPECT_TRUE(frame->isVisible());

    const QList<QMdiSubWindow*> children = frame->mdiArea()->subWindowList(QMdiArea::CreationOrder);
    ASSERT_EQ(children.size(), 3);
    EXPECT_EQ(children[0], frame->staffChild());
    EXPECT_EQ(children[1], frame->soundChild());
    EXPECT_EQ(children[2], frame->studioChild());
    const int resources[] = {130, 304, 129};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(children[i]->property("resourceId").toInt(), resources[i]);
        EXPECT_TRUE(children[i]->isVisible());
        EXPECT_FALSE(children[i]->windowIcon().isNull());
    }
}

TEST_F(StartUp, TheLoadedMessageReachesThePlayBarWhichThenFollowsTheLevel)
{
    CEditorApp app;
    app.initInstance();
    Durad* music = app.documentMusic();
    musSetLevel(music, 1200);
    musSetChanged(music, -1);
    EXPECT_EQ(app.mainFrame()->playBar()->slider()->value(), 12);
}

TEST_F(StartUp, TheDocumentNotifiesTheMainWindow)
{
    CEditorApp app;
    app.initInstance();
    auto* view = new RecordingView(app.mainFrame()->staffChild()->widget());
    musInsertNote(app.documentMusic(), 0, 0, 60, 32);
    EXPECT_FALSE(view->messagesOf(WM_MUS_CHANGED).empty());
}

TEST_F(StartUp, TheRecentFileListKeepsFourFilesMostRecentFirstAcrossRuns)
{
    {
        CEditorApp app;
        app.initInstance();
        for (const char* path : {"/m/a.rwm", "/m/b.rwm", "/m/c.rwm", "/m/d.rwm", "/m/e.rwm", "/m/c.rwm"})
            app.recentFiles().add(path);
        app.exitInstance();
    }
    EXPECT_EQ(editorSettings().getString("Recent File List", "File1"), "/m/c.rwm");
    EXPECT_EQ(editorSettings().getString("Recent File List", "File4"), "/m/b.rwm");
    CEditorApp next;
    next.initInstance();
    EXPECT_EQ(next.recentFiles().entries(),
              (std::vector<std::string>{"/m/c.rwm", "/m/e.rwm", "/m/d.rwm", "/m/b.rwm"}));
}

TEST_F(StartUp, ExitStopsAMusicThatStillPlaysBeforeDeletingIt)
{
    CEditorApp app;
    app.initInstance();
    ASSERT_EQ(musInsertNote(app.documentMusic(), 0, 0, 60, 512), 1);
    app.mainFrame()->onCommand(32848);
    ASSERT_EQ(musIsPlaying(), 1);
    app.exitInstance();
    EXPECT_EQ(musIsPlaying(), 0);
    EXPECT_EQ(app.mainFrame(), nullptr);
    EXPECT_EQ(app.documentMusic(), nullptr);
}

} // namespace
} // namespace orlim::testing
