#include "editor/shell/CMainFrame.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMenuBar>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QToolBar>

#include "editor/shell/CAboutDlg.h"
#include "editor/shell/CEditorApp.h"
#include "editor/shell/CPlayBar.h"
#include "editor/shell/ChildFrames.h"
#include "editor/shell/CommandIds.h"
#include "editor/shell/EditorSettings.h"
#include "editor/shell/ResourceImages.h"
#include "platform/Files.h"
#include "platform/MessageBox.h"
#include "platform/qt/Shell.h"

namespace orlim {
namespace {

using namespace command;

constexpr const char* kTitle = "Orlim";
constexpr const char* kTitlePrefix = "Orlim Durad-";
constexpr const char* kIdleMessage = "Ready";

constexpr const char* kOpenFilter = "All recognizable music file(*.rwm,*.mid)|*.rwm;*.mid|"
                                    "Wave based music file(*.rwm)|*.rwm|MIDI file(*.mid)|*.mid|"
                                    "All File(*.*)|*.*||";
constexpr const char* kSaveFilter = "Wave Based Durad(*.rwm)|*.rwm|All File(*.*)|*.*||";

constexpr const char* kStopFirst = "Please Stop playing first.";
constexpr const char* kStopForOperation =
    "You can't do this operation for music is playing,Please stop playing first!";
constexpr const char* kStopForExit =
    "The music is playing, You can't exit now.Please stop playing first!";
constexpr const char* kAskToSave = "Save current file?";

// While a music plays only these get through: Stop, the view-showing buttons,
// Cascade and Tile.
bool passesWhilePlaying(int id)
{
    switch (id) {
    case kStop:
    case kShowStaff:
    case kShowSound:
    case kShowStudio:
    case kCascade:
    case kTile: return true;
    default: return false;
    }
}

// Sets the busy flag and the wait cursor for the life of the scope.
class BusyScope {
public:
    BusyScope()
    {
        if (CEditorApp* app = CEditorApp::instance())
            app->setBusy(true);
        QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ~BusyScope()
    {
        QApplication::restoreOverrideCursor();
        if (CEditorApp* app = CEditorApp::instance())
            app->setBusy(false);
    }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;
};

void addToRecentFiles(const std::string& path)
{
    if (CEditorApp* app = CEditorApp::instance())
        app->recentFiles().add(path);
}

} // namespace

CMainFrame::CMainFrame()
{
    setProperty("resourceId", resource::kMainFrame);
    setWindowTitle(kTitle);
    setWindowIcon(resourceIcon(resource::kMainFrame));
    mdiArea_ = new QMdiArea;
    setCentralWidget(mdiArea_);
    connect(mdiArea_, &QMdiArea::subWindowActivated, this, [this] { updateMenus(); });

    createMenus();
    createToolBars();
    createStatusBar();
    updateMenus();
    resize(800, 600);

    requestFlags_ = 0;
    audition_ = musCreateDurad(nullptr);
}

CMainFrame::~CMainFrame()
{
    // The child windows go after this object; what they signal on the way must not
    // reach it any more.
    QObject::disconnect(mdiArea_, nullptr, this, nullptr);
    for (QMenu* menu : {fileMenu_, viewMenu_, windowMenu_})
        QObject::disconnect(menu, nullptr, this, nullptr);
    musDeleteDurad(audition_);
}

// --- Frame creation -----------------------------------------------------------------

QAction* CMainFrame::addCommand(QMenu* menu, int id, const QString& text, const QString& prompt,
                                const QList<QKeySequence>& keys)
{
    auto* action = new QAction(text, this);
    action->setData(id);
    const qsizetype tip = prompt.indexOf('\n');
    action->setStatusTip(prompt.left(tip));
    if (tip >= 0)
        action->setToolTip(prompt.mid(tip + 1));
    action->setShortcuts(keys);
    connect(action, &QAction::triggered, this, [this, id] { onCommand(id); });
    // On the frame itself too, so that the shortcuts work in every child window and
    // whichever menu bar is showing.
    addAction(action);
    if (menu)
        menu->addAction(action);
    actions_[id] = action;
    return action;
}

void CMainFrame::createMenus()
{
    QMenuBar* bar = menuBar();

    fileMenu_ = bar->addMenu("&File");
    addCommand(fileMenu_, kNew, "&New", "Create a new document\nNew", {QKeySequence("Ctrl+N")});
    addCommand(fileMenu_, kOpen, "&Open...", "Open an existed music file");
    addCommand(fileMenu_, kSave, "&Save", "Save the music");
    addCommand(fileMenu_, kSaveAs, "Save &As...", "Save the music as a new file");
    addCommand(fileMenu_, kSaveWave, "Save Wave");
    fileMenu_->addSeparator();
    recentFilesEnd_ = fileMenu_->addSeparator();
    addCommand(fileMenu_, kExit, "E&xit", "Quit the application; prompts to save documents\nExit");
    connect(fileMenu_, &QMenu::aboutToShow, this, [this] { updateRecentFileMenu(); });
    updateRecentFileMenu();

    editMenu_ = bar->addMenu("&Edit");
    // Cut, copy, paste and delete belong to the staff view; without it they stay off.
    const QList<QAction*> clipboard = {
        addCommand(editMenu_, kCut, "Cu&t", "Cut the selection and put it on the Clipboard\nCut",
                   {QKeySequence("Ctrl+X"), QKeySequence("Shift+Del")}),
        addCommand(editMenu_, kCopy, "&Copy",
                   "Copy the selection and put it on the Clipboard\nCopy",
                   {QKeySequence("Ctrl+C"), QKeySequence("Ctrl+Ins")}),
        addCommand(editMenu_, kPaste, "&Paste", "Insert Clipboard contents\nPaste",
                   {QKeySequence("Ctrl+V"), QKeySequence("Shift+Ins")}),
        addCommand(editMenu_, kDelete, "&Delete", "Erase the selection\nErase"),
    };
    for (QAction* action : clipboard)
        action->setEnabled(false);
    editMenu_->addSeparator();
    addCommand(editMenu_, kDuradInformation, "Durad Infomatin")->setEnabled(false);

    viewMenu_ = bar->addMenu("&View");
    addCommand(viewMenu_, kMainToolBar, "&MainToolbar")->setCheckable(true);
    addCommand(viewMenu_, kPlayBar, "&Play Bar")->setCheckable(true);
    addCommand(viewMenu_, kStatusBar, "S&tatus Bar", "Show or hide the status bar\nToggle StatusBar")
        ->setCheckable(true);
    viewMenu_->addSeparator();
    addCommand(viewMenu_, kToggleStaff, "&Staff", "Show staff view");
    addCommand(viewMenu_, kToggleSound, "S&ound", "Show sound view");
    addCommand(viewMenu_, kToggleStudio, "S&tudio", "Show studio view");
    connect(viewMenu_, &QMenu::aboutToShow, this, [this] { updateMenus(); });

    playMenu_ = bar->addMenu("&Play");
    addCommand(playMenu_, kPlay, "&Play", "Play the music");
    addCommand(playMenu_, kRewind, "Rewind", "Rewind the play positon");
    addCommand(playMenu_, kForward, "Forward", "Forward the play position");
    addCommand(playMenu_, kStop, "Stop", "Stop playing");

    QMenu* option = bar->addMenu("&Option");
    addCommand(option, kRegisterPlugins, "Register Plug-ins", "Add new sound source")->setEnabled(false);
    addCommand(option, kPlayer, "Player", "Set player parameters")->setEnabled(false);
    addCommand(option, kSetMidiPreset, "Set MIDI Preset")->setEnabled(false);

    windowMenu_ = bar->addMenu("&Window");
    addCommand(windowMenu_, kCascade, "&Cascade", "Arrange windows so they overlap\nCascade Windows");
    addCommand(windowMenu_, kTile, "&Tile", "Arrange windows as non-overlapping tiles\nTile Windows");
    addCommand(windowMenu_, kArrangeIcons, "&Arrange Icons",
               "Arrange icons at the bottom of the window\nArrange Icons");
    connect(windowMenu_, &QMenu::aboutToShow, this, [this] { updateMenus(); });

    QMenu* help = bar->addMenu("&Help");
    addCommand(help, kHelpContents, "&Contents");
    addCommand(help, kAbout, "&About Orlim...",
               "Display program information, version number and copyright\nAbout");

    // Shortcuts without a menu entry; nothing handles them.
    addCommand(nullptr, kUndo, "Undo", {}, {QKeySequence("Ctrl+Z"), QKeySequence("Alt+Backspace")});
    addCommand(nullptr, kNextPane, "Next Pane", {}, {QKeySequence("F6")});
    addCommand(nullptr, kPreviousPane, "Previous Pane", {}, {QKeySequence("Shift+F6")});
}

void CMainFrame::createToolBars()
{
    mainToolBar_ = new QToolBar("Standard", this);
    mainToolBar_->setObjectName("mainToolBar");
    mainToolBar_->setProperty("resourceId", resource::kMainFrame);
    mainToolBar_->setIconSize(QSize(16, 15));
    const int buttons[] = {kNew, kOpen, kSave, 0, kCut, kCopy, kPaste, kDelete, 0,
                           kShowStaff, kShowSound, kShowStudio, 0, kAbout};
    for (const int id : buttons) {
        if (id == 0) {
            mainToolBar_->addSeparator();
            continue;
        }
        QAction* action = commandAction(id);
        if (!action)
            action = addCommand(nullptr, id, id == kShowStaff   ? "Staff"
                                             : id == kShowSound ? "Sound"
                                                                : "Studio");
        action->setIcon(QIcon(toolBarImage(id)));
        mainToolBar_->addAction(action);
    }
    playBar_ = new CPlayBar(*this);
    addToolBar(Qt::TopToolBarArea, mainToolBar_);
    addToolBar(Qt::TopToolBarArea, playBar_);
}

void CMainFrame::createStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setStyleSheet("QStatusBar::item { border: none; }");
    auto pane = [](const QString& text, int id) {
        auto* label = new QLabel(text);
        label->setProperty("resourceId", id);
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        return label;
    };
    messagePane_ = pane(kIdleMessage, resource::kMessagePane);
    positionPane_ = pane({}, resource::kPositionPane);
    positionPane_->setFrameStyle(QFrame::NoFrame);
    positionPane_->setMinimumWidth(positionPane_->fontMetrics().horizontalAdvance("0000,0000MB"));
    bar->addWidget(messagePane_, 1);
    bar->addWidget(positionPane_, 1);
    // The keyboard's lock states cannot be read portably; the panes show their names.
    bar->addPermanentWidget(pane("CAP", resource::kCapsPane));
    bar->addPermanentWidget(pane("NUM", resource::kNumPane));
    bar->addPermanentWidget(pane("SCRL", resource::kScrollPane));
}

void CMainFrame::createChildFrames()
{
    staffChild_ = new CStaffFrame;
    soundChild_ = new CSoundFrame;
    studioChild_ = new CStudioFrame;
    // Cascaded as a new MDI child would be, each a step below and right of the last.
    const QSize size(520, 340);
    int step = 0;
    for (CChildFrame* child : {staffChild_, soundChild_, studioChild_}) {
        mdiArea_->addSubWindow(child);
        child->setGeometry(QRect(QPoint(step, step), size));
        child->show();
        step += 28;
    }
}

// Menu 129 while a child frame is active, menu 128 (without Edit and Play) otherwise;
// the marks of the bar toggles follow the bars.
void CMainFrame::updateMenus()
{
    const bool childActive = mdiArea_->activeSubWindow() != nullptr;
    editMenu_->menuAction()->setVisible(childActive);
    playMenu_->menuAction()->setVisible(childActive);
    actions_[kMainToolBar]->setChecked(mainToolBar_ && mainToolBar_->isVisible());
    actions_[kPlayBar]->setChecked(playBar_ && playBar_->isVisible());
    actions_[kStatusBar]->setChecked(statusBar()->isVisible());
}

void CMainFrame::updateRecentFileMenu()
{
    for (QAction* action : recentFileActions_) {
        fileMenu_->removeAction(action);
        actions_.erase(action->data().toInt());
        delete action;
    }
    recentFileActions_.clear();
    CEditorApp* app = CEditorApp::instance();
    if (!app || app->recentFiles().entries().empty()) {
        QAction* placeholder = addCommand(nullptr, kRecentFile1, "Recent File", {});
        placeholder->setEnabled(false);
        fileMenu_->insertAction(recentFilesEnd_, placeholder);
        recentFileActions_ << placeholder;
        return;
    }
    const std::vector<std::string>& entries = app->recentFiles().entries();
    for (std::size_t i = 0; i < entries.size(); ++i) {
        QString text = QString("&%1 %2").arg(i + 1).arg(QString::fromStdString(entries[i]));
        QAction* action =
            addCommand(nullptr, kRecentFile1 + static_cast<int>(i), text, {});
        fileMenu_->insertAction(recentFilesEnd_, action);
        recentFileActions_ << action;
    }
}

QAction* CMainFrame::commandAction(int id) const
{
    const auto found = actions_.find(id);
    return found == actions_.end() ? nullptr : found->second;
}

bool CMainFrame::event(QEvent* event)
{
    if (event->type() == QEvent::StatusTip) {
        const QString tip = static_cast<QStatusTipEvent*>(event)->tip();
        messagePane_->setText(tip.isEmpty() ? QString(kIdleMessage) : tip);
        return true;
    }
    return QMainWindow::event(event);
}

// --- Commands -----------------------------------------------------------------------

void CMainFrame::onCommand(int id)
{
    if (isMusicPlaying() && !passesWhilePlaying(id)) {
        messageBox(window(), kStopFirst);
        return;
    }
    switch (id) {
    case kNew: fileNew(); break;
    case kOpen: fileOpen(); break;
    case kSave: fileSave(); break;
    case kSaveAs: fileSaveAs(); break;
    case kSaveWave: saveWave(); break;
    case kExit: close(); break;
    case kMainToolBar: toggleBar(mainToolBar_); break;
    case kPlayBar: toggleBar(playBar_); break;
    case kStatusBar:
        statusBar()->setVisible(!statusBar()->isVisible());
        updateMenus();
        break;
    case kToggleStaff: toggleChild(staffChild_); break;
    case kToggleSound: toggleChild(soundChild_); break;
    case kToggleStudio: toggleChild(studioChild_); break;
    case kShowStaff: showChildFrame(staffChild_); break;
    case kShowSound: showChildFrame(soundChild_); break;
    case kShowStudio: showChildFrame(studioChild_); break;
    case kPlay: play(); break;
    case kStop: musEndPlay(); break;
    case kRewind: rewind(); break;
    case kForward: forward(); break;
    case kToStart: toStart(); break;
    case kCascade: mdiArea_->cascadeSubWindows(); break;
    case kTile: mdiArea_->tileSubWindows(); break;
    case kArrangeIcons: arrangeIcons(); break;
    case kHelpContents: helpContents(); break;
    case kAbout: CAboutDlg(this).exec(); break;
    default:
        if (id >= kRecentFile1 && id < kRecentFile1 + kRecentFileCount)
            openRecentFile(id - kRecentFile1);
        break;
    }
}

bool CMainFrame::refusedWhilePlaying()
{
    if (!isMusicPlaying())
        return false;
    messageBox(window(), kStopForOperation);
    return true;
}

// True when the command may go on: nothing to save, the user said No, or the save
// really happened.
bool CMainFrame::askToSave()
{
    if (!musIsChanged(music_))
        return true;
    if (messageBox(window(), kAskToSave, kOrlimCaption, MessageButtons::YesNo) != MessageAnswer::Yes)
        return true;
    return fileSave() && !musIsChanged(music_);
}

void CMainFrame::fileNew()
{
    if (refusedWhilePlaying() || !askToSave())
        return;
    musClear(music_);
}

void CMainFrame::fileOpen()
{
    if (refusedWhilePlaying() || !askToSave())
        return;
    const auto path = askForFile({FileDialogRequest::Kind::Open, kOpenFilter, {}, {}});
    if (!path)
        return;
    musSetMIDPreset(midiPresetPath().c_str());
    {
        BusyScope busy;
        musFileOpen(music_, path->c_str());
        addToRecentFiles(*path);
    }
    setTitleFromPath(*path);
}

bool CMainFrame::openNamedFile(const std::string& path)
{
    if (refusedWhilePlaying() || !askToSave())
        return false;
    {
        BusyScope busy;
        musSetMIDPreset(midiPresetPath().c_str());
        musFileOpen(music_, path.c_str());
        addToRecentFiles(path);
    }
    setTitleFromPath(path);
    return true;
}

void CMainFrame::openRecentFile(int index)
{
    CEditorApp* app = CEditorApp::instance();
    if (!app || index >= static_cast<int>(app->recentFiles().entries().size()))
        return;
    // A copy: opening reorders the list.
    const std::string path = app->recentFiles().entries()[static_cast<std::size_t>(index)];
    app->openDocumentFile(path);
}

bool CMainFrame::fileSave()
{
    if (refusedWhilePlaying())
        return false;
    const std::string path = musFileName(music_);
    if (path.empty() || !isDocumentPath(path))
        return fileSaveAs();
    return musFileSave(music_, path.c_str()) == 1;
}

bool CMainFrame::fileSaveAs()
{
    if (refusedWhilePlaying())
        return false;
    const auto path = askForFile({FileDialogRequest::Kind::Save, kSaveFilter,
                                  defaultFileName(musFileName(music_), ".rwm"), "rwm"});
    if (!path)
        return false;
    int saved = 0;
    {
        BusyScope busy;
        saved = musFileSave(music_, path->c_str());
        addToRecentFiles(*path);
    }
    setTitleFromPath(*path);
    return saved == 1;
}

void CMainFrame::setTitleFromPath(const std::string& path)
{
    setWindowTitle(kTitlePrefix + QString::fromStdString(path));
}

std::optional<std::string> CMainFrame::askForFile(const FileDialogRequest& request)
{
    return fileDialog_ ? fileDialog_(this, request) : std::nullopt;
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    if (isMusicPlaying()) {
        messageBox(window(), kStopForExit);
        event->ignore();
        return;
    }
    if (!askToSave()) {
        event->ignore();
        return;
    }
    musDeleteDurad(audition_);
    audition_ = nullptr;
    event->accept();
}

// --- View commands ------------------------------------------------------------------

void CMainFrame::toggleChild(CChildFrame* child)
{
    if (child->isVisible())
        hideChildFrame(child);
    else
        showChildFrame(child);
}

void CMainFrame::toggleBar(QToolBar* bar)
{
    if (bar->isVisible()) {
        bar->hide();
    } else {
        // Docked again at its default place, the end of the top dock.
        addToolBar(Qt::TopToolBarArea, bar);
        bar->show();
    }
    updateMenus();
}

// Minimized child frames go to a row along the bottom of the client area.
void CMainFrame::arrangeIcons()
{
    int x = 0;
    for (QMdiSubWindow* child : mdiArea_->subWindowList()) {
        if (!child->isVisible() || !child->isMinimized())
            continue;
        const QSize size = child->size();
        child->move(x, mdiArea_->viewport()->height() - size.height());
        x += size.width();
    }
}

void CMainFrame::helpContents()
{
    const std::string path = appendFileName(installationFolder(), "orlim.chm");
    documentOpener_(path);
}

void CMainFrame::focusActiveView()
{
    QMdiSubWindow* child = mdiArea_->activeSubWindow();
    if (child && child->widget())
        child->widget()->setFocus();
    else
        setFocus();
}

} // namespace orlim
