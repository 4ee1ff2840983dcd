#include <QAction>
#include <QLabel>
#include <QMdiArea>
#include <QMenuBar>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>

#include "editor/shell/CAboutDlg.h"
#include "editor/shell/CPlayBar.h"
#include "editor/shell/EditorSettings.h"
#include "engine/include/DuradMessages.h"
#include "platform/Files.h"
#include "plugin-api/Entries.h"
#include "tests/editor/EditorFixture.h"
#include "tests/midi/MidiWriter.h"

namespace orlim::testing {
namespace {

struct MenuCommand {
    int id;
    const char* text;
    const char* prompt;
    const char* toolTip;
    std::vector<const char*> keys;
    bool enabled;
};

const MenuCommand kMenuCommands[] = {
    {57600, "&New", "Create a new document", "New", {"Ctrl+N"}, true},
    {57601, "&Open...", "Open an existed music file", "", {}, true},
    {57603, "&Save", "Save the music", "", {}, true},
    {57604, "Save &As...", "Save the music as a new file", "", {}, true},
    {32877, "Save Wave", "", "", {}, true},
    {57665, "E&xit", "Quit the application; prompts to save documents", "Exit", {}, true},
    {57635, "Cu&t", "Cut the selection and put it on the Clipboard", "Cut", {"Ctrl+X", "Shift+Del"}, false},
    {57634, "&Copy", "Copy the selection and put it on the Clipboard", "Copy", {"Ctrl+C", "Ctrl+Ins"}, false},
    {57637, "&Paste", "Insert Clipboard contents", "Paste", {"Ctrl+V", "Shift+Ins"}, false},
    {57632, "&Delete", "Erase the selection", "Erase", {}, false},
    {32878, "Durad Infomatin", "", "", {}, false},
    {32881, "&MainToolbar", "", "", {}, true},
    {32880, "&Play Bar", "", "", {}, true},
    {59393, "S&tatus Bar", "Show or hide the status bar", "Toggle StatusBar", {}, true},
    {32796, "&Staff", "Show staff view", "", {}, true},
    {32797, "S&ound", "Show sound view", "", {}, true},
    {32823, "S&tudio", "Show studio view", "", {}, true},
    {32848, "&Play", "Play the music", "", {}, true},
    {32852, "Rewind", "Rewind the play positon", "", {}, true},
    {32853, "Forward", "Forward the play position", "", {}, true},
    {1120, "Stop", "Stop playing", "", {}, true},
    {32809, "Register Plug-ins", "Add new sound source", "", {}, false},
    {32854, "Player", "Set player parameters", "", {}, false},
    {32879, "Set MIDI Preset", "", "", {}, false},
    {57650, "&Cascade", "Arrange windows so they overlap", "Cascade Windows", {}, true},
    {57651, "&Tile", "Arrange windows as non-overlapping tiles", "Tile Windows", {}, true},
    {57649, "&Arrange Icons", "Arrange icons at the bottom of the window", "Arrange Icons", {}, true},
    {32885, "&Contents", "", "", {}, true},
    {57664, "&About Orlim...", "Display program information, version number and copyright", "About", {}, true},
    {57643, "Undo", "", "", {"Ctrl+Z", "Alt+Backspace"}, true},
    {57680, "Next Pane", "", "", {"F6"}, true},
    {57681, "Previous Pane", "", "", {"Shift+F6"}, true},
};

using Commands = EditorTest;

TEST_F(Commands, EveryMenuCommandCarriesItsNumberTextPromptAndShortcuts)
{
    for (const MenuCommand& c : kMenuCommands) {
        SCOPED_TRACE(c.id);
        QAction* action = frame->commandAction(c.id);
        ASSERT_NE(action, nullptr);
        EXPECT_EQ(action->data().toInt(), c.id);
        EXPECT_EQ(action->text(), c.text);
        EXPECT_EQ(action->statusTip(), c.prompt);
        if (*c.toolTip) {
            EXPECT_EQ(action->toolTip(), c.toolTip);
        }
        QList<QKeySequence> keys;
        for (const char* key : c.keys)
            keys << QKeySequence(key);
        EXPECT_EQ(action->shortcuts(), keys);
        EXPECT_EQ(action->isEnabled(), c.enabled);
    }
}

TEST_F(Commands, EditAndPlayMenusShowOnlyWhileAChildFrameIsActive)
{
    auto titles = [this] {
        QStringList shown;
        for (QAction* menu : frame->menuBar()->actions())
            if (menu->isVisible())
                shown << menu->text();
        return shown;
    };
    frame->mdiArea()->setActiveSubWindow(frame->soundChild());
    EXPECT_EQ(titles(), (QStringList{"&File", "&Edit", "&View", "&Play", "&Option", "&Window", "&Help"}));
    for (CChildFrame* child : {frame->staffChild(), frame->soundChild(), frame->studioChild()})
        hideChildFrame(child);
    frame->mdiArea()->setActiveSubWindow(nullptr);
    EXPECT_EQ(titles(), (QStringList{"&File", "&View", "&Option", "&Window", "&Help"}));
}

TEST_F(Commands, TheMainToolBarHoldsItsButtonsInOrder)
{
    std::vector<int> ids;
    for (QAction* action : frame->mainToolBar()->actions())
        ids.push_back(action->isSeparator() ? 0 : action->data().toInt());
    EXPECT_EQ(ids, (std::vector<int>{57600, 57601, 57603, 0, 57635, 57634, 57637, 57632, 0, 32882,
                                     32883, 32884, 0, 57664}));
}

TEST_F(Commands, TheStatusBarHasFivePanesAndShowsPromptsAndTexts)
{
    const QList<QLabel*> panes = frame->statusBar()->findChildren<QLabel*>();
    std::vector<int> ids;
    for (QLabel* pane : panes)
        ids.push_back(pane->property("resourceId").toInt());
    EXPECT_EQ(ids, (std::vector<int>{0, 59142, 59137, 59138, 59139}));
    EXPECT_EQ(frame->messagePane()->text(), "Ready");
    EXPECT_EQ(frame->positionPane()->frameStyle(), QFrame::NoFrame);
    EXPECT_GE(frame->positionPane()->minimumWidth(),
              frame->positionPane()->fontMetrics().horizontalAdvance("0000,0000MB"));

    frame->commandAction(57603)->showStatusText(frame);
    EXPECT_EQ(frame->messagePane()->text(), "Save the music");

    const char* text = "Track 1  2:01:00  C4";
    EXPECT_EQ(sendMessage(frame->window(), WM_MUS_POSTEXT, 0, reinterpret_cast<LParam>(text)), 0);
    EXPECT_EQ(frame->positionPane()->text(), text);
    sendMessage(frame->window(), WM_MUS_POSTEXT, 0, 0);
    EXPECT_EQ(frame->positionPane()->text(), "");
}

TEST_F(Commands, WhilePlayingOnlyStopTheViewButtonsCascadeAndTileGetThrough)
{
    addLongNote();
    frame->onCommand(32848);
    ASSERT_EQ(musIsPlaying(), 1);
    ASSERT_TRUE(frame->playBar()->isPlayPressed());

    const int refused[] = {57600, 57601, 57603, 57604, 32877, 57665, 32796, 32797, 32823, 32848,
                           32852, 32853, 32855, 32881, 32880, 59393, 57649, 32885, 57664, 57643,
                           57616};
    for (const int id : refused) {
        SCOPED_TRACE(id);
        boxes.clear();
        frame->onCommand(id);
        ASSERT_EQ(boxes.texts(), std::vector<std::string>{"Please Stop playing first."});
        EXPECT_EQ(boxes.entries()[0].caption, "Orlim");
        EXPECT_EQ(boxes.entries()[0].buttons, MessageButtons::Ok);
    }
    EXPECT_EQ(musGetDuradLength(music), 512u);
    EXPECT_TRUE(frame->isVisible());

    boxes.clear();
    hideChildFrame(frame->soundChild());
    for (const int id : {57650, 57651, 32882, 32883, 32884})
        frame->onCommand(id);
    EXPECT_TRUE(boxes.entries().empty());
    EXPECT_TRUE(frame->soundChild()->isVisible());
    EXPECT_EQ(musIsPlaying(), 1);

    frame->onCommand(1120);
    EXPECT_EQ(musIsPlaying(), 0);
    EXPECT_TRUE(boxes.entries().empty());
}

TEST_F(Commands, ClosingWhilePlayingIsRefusedAndTheFrameStays)
{
    addLongNote();
    frame->onCommand(32848);
    ASSERT_EQ(musIsPlaying(), 1);
    EXPECT_FALSE(frame->close());
    EXPECT_EQ(boxes.texts(),
              std::vector<std::string>{"The music is playing, You can't exit now.Please stop playing first!"});
    EXPECT_TRUE(frame->isVisible());
    EXPECT_NE(frame->auditionMusic(), nullptr);
}

TEST_F(Commands, OpeningByNameWhilePlayingIsRefused)
{
    addLongNote();
    frame->onCommand(32848);
    ASSERT_EQ(musIsPlaying(), 1);
    EXPECT_FALSE(app->openDocumentFile("/m/a.rwm"));
    EXPECT_EQ(boxes.texts(), std::vector<std::string>{
                                 "You can't do this operation for music is playing,Please stop playing first!"});
    EXPECT_EQ(frame->windowTitle(), "Orlim");
}

// A saved document with one note, for the open commands.
std::string savedDocument(const TempDir& folder, const char* name)
{
    Durad* scratch = musCreateDurad(nullptr);
    musInsertNote(scratch, 0, 0, 60, 32);
    const std::string path = folder.file(name);
    EXPECT_EQ(musFileSave(scratch, path.c_str()), 1);
    musDeleteDurad(scratch);
    return path;
}

TEST_F(Commands, OpenShowsTheMusicFiltersReadsTheFileAndSetsTheTitle)
{
    TempDir files;
    const std::string path = savedDocument(files, "Song.rwm");
    auto* view = new RecordingView(frame->staffChild()->widget());
    view->onMessage = [&](std::uint32_t msg) {
        if (msg == WM_MUS_LOADED) {
            EXPECT_TRUE(app->isBusy());
        }
    };
    dialogAnswers.push_back(path);
    frame->onCommand(57601);
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0].kind, FileDialogRequest::Kind::Open);
    EXPECT_EQ(dialogs[0].filter, "All recognizable music file(*.rwm,*.mid)|*.rwm;*.mid|"
                                 "Wave based music file(*.rwm)|*.rwm|MIDI file(*.mid)|*.mid|"
                                 "All File(*.*)|*.*||");
    EXPECT_EQ(frame->windowTitle(), QString::fromStdString("Orlim Durad-" + path));
    EXPECT_EQ(musGetDuradLength(music), 32u);
    EXPECT_FALSE(view->messagesOf(WM_MUS_LOADED).empty());
    EXPECT_FALSE(app->isBusy());
    EXPECT_EQ(app->recentFiles().entries(), std::vector<std::string>{path});
    EXPECT_TRUE(boxes.entries().empty());
}

TEST_F(Commands, OpenImportsAMidiFileThroughThePresetOfTheSettings)
{
    // A preset file is its records one after the other; this one has program 0 only.
    TempDir files;
    std::string entry(kEntryHeadSize, '\0');
    writeField<std::uint16_t>(entry.data(), 0, static_cast<std::uint16_t>(kEntryHeadSize));
    setNameField(entry.data(), SourceEntryOffset::fileName, "kestrow.dll");
    setNameField(entry.data(), SourceEntryOffset::displayText, "Chosen piano");
    writeFile(files.file("mine.pre"), entry);
    editorSettings().writeString("midiset", "FileName", files.file("mine.pre"));

    MidiTrack track;
    track.event(0, {0xC0, 0}).noteOn(0, 0, 60).noteOff(96, 0, 60).end();
    writeFile(files.file("song.mid"), midiFile(0, 96, {track}));
    dialogAnswers.push_back(files.file("song.mid"));
    frame->onCommand(57601);
    const SourceEntry* source = musGetSource(music, 0, 0);
    ASSERT_NE(source, nullptr);
    EXPECT_STREQ(source->displayText, "Chosen piano");
}

TEST_F(Commands, AFailedOpenStillChangesTheTitle)
{
    dialogAnswers.push_back("/nowhere/lost.rwm");
    frame->onCommand(57601);
    EXPECT_EQ(frame->windowTitle(), "Orlim Durad-/nowhere/lost.rwm");
    EXPECT_EQ(app->recentFiles().entries(), std::vector<std::string>{"/nowhere/lost.rwm"});
}

TEST_F(Commands, CancellingTheOpenDialogChangesNothing)
{
    frame->onCommand(57601);
    EXPECT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(frame->windowTitle(), "Orlim");
    EXPECT_TRUE(app->recentFiles().entries().empty());
}

TEST_F(Commands, SaveAsProposesTheDocumentNameAndSetsTheTitle)
{
    TempDir files;
    const std::string first = savedDocument(files, "take.one.rwm");
    app->openDocumentFile(first);
    const std::string target = files.file("final.rwm");
    dialogAnswers.push_back(target);
    frame->onCommand(57604);
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0].kind, FileDialogRequest::Kind::Save);
    EXPECT_EQ(dialogs[0].filter, "Wave Based Durad(*.rwm)|*.rwm|All File(*.*)|*.*||");
    EXPECT_EQ(dialogs[0].defaultSuffix, "rwm");
    EXPECT_EQ(dialogs[0].defaultName, files.file("take.rwm"));
    EXPECT_EQ(frame->windowTitle(), QString::fromStdString("Orlim Durad-" + target));
    EXPECT_TRUE(fileExists(target));
    EXPECT_EQ(std::string(musFileName(music)), target);
    EXPECT_EQ(app->recentFiles().entries(), (std::vector<std::string>{target, first}));
}

TEST_F(Commands, SaveWritesADocumentInPlaceWithoutTouchingTheTitle)
{
    TempDir files;
    const std::string path = savedDocument(files, "Song.RWM");
    app->openDocumentFile(path);
    musInsertNote(music, 0, 64, 62, 32);
    const QString title = frame->windowTitle();
    frame->onCommand(57603);
    EXPECT_TRUE(dialogs.empty());
    EXPECT_EQ(musIsChanged(music), 0);
    EXPECT_EQ(frame->windowTitle(), title);
}

TEST_F(Commands, SaveOfAMusicReadFromAMidiFileGoesToSaveAsWithTheRwmName)
{
    TempDir files;
    const std::string imported = files.file("tune.mid");
    MidiTrack track;
    track.noteOn(0, 0, 60).noteOff(96, 0, 60).end();
    writeFile(imported, midiFile(0, 96, {track}));
    dialogAnswers.push_back(imported);
    frame->onCommand(57601);
    ASSERT_EQ(std::string(musFileName(music)), imported);
    EXPECT_EQ(musGetDuradLength(music), 32u);
    EXPECT_TRUE(boxes.entries().empty());

    frame->onCommand(57603);
    ASSERT_EQ(dialogs.size(), 2u);
    EXPECT_EQ(dialogs[1].kind, FileDialogRequest::Kind::Save);
    EXPECT_EQ(dialogs[1].defaultName, files.file("tune.rwm"));
}

TEST_F(Commands, NewAsksToSaveAChangedMusicAndGoesOnOnlyWhenThatWasSettled)
{
    struct Case {
        const char* name;
        MessageAnswer answer;
        bool saveAsGivesAPath;
        bool cleared;
    };
    const Case cases[] = {
        {"No", MessageAnswer::No, false, true},
        {"Yes, then Save As cancelled", MessageAnswer::Yes, false, false},
        {"Yes, then saved", MessageAnswer::Yes, true, true},
    };
    TempDir files;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        musClear(music);
        musInsertNote(music, 0, 0, 60, 32);
        boxes.clear();
        boxes.answerWith(c.answer);
        dialogs.clear();
        if (c.saveAsGivesAPath)
            dialogAnswers.push_back(files.file("kept.rwm"));
        frame->onCommand(57600);
        EXPECT_EQ(boxes.texts(), std::vector<std::string>{"Save current file?"});
        EXPECT_EQ(boxes.entries()[0].buttons, MessageButtons::YesNo);
        EXPECT_EQ(musGetDuradLength(music) == 0, c.cleared);
    }
}

TEST_F(Commands, ShortcutsPressedInAChildWindowReachTheFrame)
{
    frame->show();
    QWidget* child = frame->staffChild();
    QApplication::setActiveWindow(frame);
    child->setFocus();
    const struct {
        const char* what;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        bool asks;
    } cases[] = {
        {"Ctrl+N asks to save, then clears", Qt::Key_N, Qt::ControlModifier, true},
        {"Ctrl+Z does nothing", Qt::Key_Z, Qt::ControlModifier, false},
        {"F6 does nothing", Qt::Key_F6, Qt::NoModifier, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        musClear(music);
        musInsertNote(music, 0, 0, 60, 32);
        boxes.clear();
        boxes.answerWith(MessageAnswer::No);
        QTest::keyClick(child, c.key, c.modifiers);
        EXPECT_EQ(boxes.texts(), c.asks ? std::vector<std::string>{"Save current file?"} : std::vector<std::string>{});
        EXPECT_EQ(musGetDuradLength(music) == 0, c.asks);
    }
}

TEST_F(Commands, AnUnchangedMusicIsClearedWithoutAQuestion)
{
    musInsertNote(music, 0, 0, 60, 32);
    TempDir files;
    musFileSave(music, files.file("a.rwm").c_str());
    frame->onCommand(57600);
    EXPECT_TRUE(boxes.entries().empty());
    EXPECT_EQ(musGetDuradLength(music), 0u);
    EXPECT_EQ(frame->windowTitle(), "Orlim");
}

TEST_F(Commands, ExitAndRecentFileOpenAskToSaveAsWell)
{
    TempDir files;
    const std::string path = savedDocument(files, "other.rwm");
    app->recentFiles().add(path);
    musInsertNote(music, 0, 0, 60, 32);
    boxes.answerWith(MessageAnswer::Yes);

    frame->onCommand(57616);
    EXPECT_EQ(boxes.texts(), std::vector<std::string>{"Save current file?"});
    EXPECT_EQ(frame->windowTitle(), "Orlim");

    boxes.clear();
    EXPECT_FALSE(frame->close());
    EXPECT_EQ(boxes.texts(), std::vector<std::string>{"Save current file?"});
    EXPECT_TRUE(frame->isVisible());

    boxes.clear();
    boxes.answerWith(MessageAnswer::No);
    frame->onCommand(57616);
    EXPECT_EQ(frame->windowTitle(), QString::fromStdString("Orlim Durad-" + path));
    EXPECT_EQ(musIsChanged(music), 0);
    EXPECT_TRUE(frame->close());
    EXPECT_EQ(frame->auditionMusic(), nullptr);
}

TEST_F(Commands, TheRecentFilesAppearInTheFileMenu)
{
    app->recentFiles().add("/m/a.rwm");
    app->recentFiles().add("/m/b.mid");
    QMenu* file = frame->menuBar()->actions().first()->menu();
    emit file->aboutToShow();
    QStringList texts;
    for (QAction* action : file->actions())
        if (!action->isSeparator())
            texts << action->text();
    EXPECT_EQ(texts, (QStringList{"&New", "&Open...", "&Save", "Save &As...", "Save Wave",
                                  "&1 /m/b.mid", "&2 /m/a.rwm", "E&xit"}));
    EXPECT_EQ(frame->commandAction(57617)->text(), "&2 /m/a.rwm");
}

TEST_F(Commands, HidingTheTopChildGivesTheFocusToTheNextVisibleOne)
{
    QMdiArea* area = frame->mdiArea();
    area->setActiveSubWindow(frame->studioChild());
    area->setActiveSubWindow(frame->soundChild());
    area->setActiveSubWindow(frame->staffChild());
    frame->onCommand(32796);
    EXPECT_FALSE(frame->staffChild()->isVisible());
    EXPECT_EQ(area->activeSubWindow(), frame->soundChild());

    frame->onCommand(32796);
    EXPECT_TRUE(frame->staffChild()->isVisible());
    EXPECT_EQ(area->activeSubWindow(), frame->staffChild());

    frame->onCommand(32884);
    frame->onCommand(32884);
    EXPECT_TRUE(frame->studioChild()->isVisible());
    EXPECT_EQ(area->activeSubWindow(), frame->studioChild());
}

TEST_F(Commands, ClosingAChildFrameOnlyHidesIt)
{
    EXPECT_FALSE(frame->soundChild()->close());
    EXPECT_FALSE(frame->soundChild()->isVisible());
    EXPECT_EQ(frame->mdiArea()->subWindowList().size(), 3);
}

TEST_F(Commands, TheBarTogglesHideAndShowTheBarsAndMarkTheirEntries)
{
    struct Case {
        int id;
        QWidget* bar;
    };
    const Case cases[] = {{32881, frame->mainToolBar()}, {32880, frame->playBar()},
                          {59393, frame->statusBar()}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        ASSERT_TRUE(c.bar->isVisible());
        frame->onCommand(c.id);
        EXPECT_FALSE(c.bar->isVisible());
        EXPECT_FALSE(frame->commandAction(c.id)->isChecked());
        frame->onCommand(c.id);
        EXPECT_TRUE(c.bar->isVisible());
        EXPECT_TRUE(frame->commandAction(c.id)->isChecked());
    }
    EXPECT_EQ(frame->toolBarArea(frame->playBar()), Qt::TopToolBarArea);
}

TEST_F(Commands, HelpOpensTheHelpFileOfTheInstallationFolder)
{
    std::vector<std::string> opened;
    frame->setDocumentOpener([&](const std::string& path) { opened.push_back(path); });
    frame->onCommand(32885);
    EXPECT_EQ(opened, std::vector<std::string>{appendFileName(installationFolder(), "orlim.chm")});
}

TEST(AboutBox, ShowsItsCaptionVersionAndOk)
{
    CAboutDlg about;
    EXPECT_EQ(about.windowTitle(), "About Orlim");
    EXPECT_EQ(about.property("resourceId").toInt(), 100);
    QStringList texts;
    for (QLabel* label : about.findChildren<QLabel*>())
        if (!label->text().isEmpty())
            texts << label->text();
    EXPECT_EQ(texts, QStringList{"Orlim Version 1.0"});
}

} // namespace
} // namespace orlim::testing
