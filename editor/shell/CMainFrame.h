#pragma once
// The editor's main window: the MDI frame with the menus, the tool bars, the status
// bar and the three child frames. Every command passes its one entry, onCommand(),
// which refuses what would disturb a playing music. It is also the one window the
// engine knows: it turns the engine's notifications into what the views expect and
// hands them to every window inside it.

#include <QMainWindow>

#include <cstdint>
#include <functional>
#include <map>
#include <string>

#include "editor/shell/FileDialogs.h"
#include "engine/include/durad.h"
#include "platform/qt/QtWindow.h"
#include "platform/qt/Shell.h"

class QLabel;
class QMdiArea;
class QMenu;
class QToolBar;

namespace orlim {

class CChildFrame;
class CPlayBar;

class CMainFrame final : public QMainWindow {
public:
    // Creates the frame with its bars and the audition music.
    CMainFrame();
    ~CMainFrame() override;

    // The handle the engine sends its notifications to.
    WindowHandle window() { return &window_; }

    // The document music, given once at start-up.
    void setMusic(Durad* music) { music_ = music; }
    Durad* music() const { return music_; }
    // The scratch music of the auditions; it has no notify window.
    Durad* auditionMusic() const { return audition_; }

    // Creates the staff, sound and studio child frames, in that order.
    void createChildFrames();
    CChildFrame* staffChild() const { return staffChild_; }
    CChildFrame* soundChild() const { return soundChild_; }
    CChildFrame* studioChild() const { return studioChild_; }
    QMdiArea* mdiArea() const { return mdiArea_; }

    // The entry of every menu, shortcut and tool-bar command.
    void onCommand(int id);
    // The action of a menu or shortcut command, or null.
    QAction* commandAction(int id) const;

    // Messages from the engine, the views and the plug-in dialogs.
    std::intptr_t onMusMessage(std::uint32_t msg, WParam wParam, LParam lParam);

    // Opens a file by name, as the recent-file list asks; false when refused.
    bool openNamedFile(const std::string& path);

    // Where Play starts and what the time display shows, in ticks.
    std::uint32_t playPosition() const { return playPosition_; }
    // The flags of the play request (bit 0 stop on error, bit 1 disable effects).
    std::uint8_t requestFlags() const { return requestFlags_; }
    const PlayRequest& playRequest() const { return playRequest_; }

    CPlayBar* playBar() const { return playBar_; }
    QToolBar* mainToolBar() const { return mainToolBar_; }
    QLabel* messagePane() const { return messagePane_; }
    QLabel* positionPane() const { return positionPane_; }

    // True while the engine plays (or drains) a music.
    bool isMusicPlaying() const;

    // Gives the keyboard focus to the active view, or to the frame without one.
    void focusActiveView();

    // The file dialog and the "Open" verb, replaceable so that tests need no desktop.
    void setFileDialog(FileDialogFunction dialog) { fileDialog_ = std::move(dialog); }
    void setDocumentOpener(std::function<void(const std::string&)> opener)
    {
        documentOpener_ = std::move(opener);
    }

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // Frame creation.
    QAction* addCommand(QMenu* menu, int id, const QString& text, const QString& prompt = {},
                        const QList<QKeySequence>& keys = {});
    void createMenus();
    void createToolBars();
    void createStatusBar();
    void updateMenus();
    void updateRecentFileMenu();

    // Document commands.
    bool refusedWhilePlaying();
    bool askToSave();
    void fileNew();
    void fileOpen();
    bool fileSave();
    bool fileSaveAs();
    void openRecentFile(int index);
    void setTitleFromPath(const std::string& path);
    std::optional<std::string> askForFile(const FileDialogRequest& request);

    // View commands.
    void toggleChild(CChildFrame* child);
    void toggleBar(QToolBar* bar);
    void arrangeIcons();
    void helpContents();

    // Transport, relay and auditions.
    void relay(std::uint32_t msg, WParam wParam, LParam lParam);
    void rebuildRequestFlags();
    void fillFormat(const char* rateEntry, int rateFallback);
    void play();
    void rewind();
    void forward();
    void toStart();
    void saveWave();
    void movePosition(int measure, std::uint32_t position);
    std::intptr_t previewSource(int track, const SourceEntry* entry);
    std::intptr_t previewEffect(int track, const EffectEntry* entry);

    QtWindow window_{this, [this](std::uint32_t m, WParam w, LParam l) { return onMusMessage(m, w, l); }};
    Durad* music_ = nullptr;
    Durad* audition_ = nullptr;
    std::uint32_t playPosition_ = 0;
    PlayRequest playRequest_{};
    std::uint8_t requestFlags_ = 0;
    WindowHandle effectAuditionWindow_ = nullptr;

    QMdiArea* mdiArea_ = nullptr;
    CChildFrame* staffChild_ = nullptr;
    CChildFrame* soundChild_ = nullptr;
    CChildFrame* studioChild_ = nullptr;
    QToolBar* mainToolBar_ = nullptr;
    CPlayBar* playBar_ = nullptr;
    QLabel* messagePane_ = nullptr;
    QLabel* positionPane_ = nullptr;
    QMenu* fileMenu_ = nullptr;
    QMenu* editMenu_ = nullptr;
    QMenu* viewMenu_ = nullptr;
    QMenu* playMenu_ = nullptr;
    QMenu* windowMenu_ = nullptr;
    QAction* recentFilesEnd_ = nullptr;
    QList<QAction*> recentFileActions_;
    std::map<int, QAction*> actions_;

    FileDialogFunction fileDialog_ = showFileDialog;
    std::function<void(const std::string&)> documentOpener_ = openDocument;
};

} // namespace orlim
