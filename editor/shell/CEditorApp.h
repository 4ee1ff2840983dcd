#pragma once
// The editor's application object: start-up, the one document music of the run,
// the busy flag, the recent-file list and exit. Make it after the QApplication.

#include <memory>
#include <string>

#include "editor/shell/RecentFileList.h"
#include "engine/dialogs/SaveWaveDialog.h"
#include "platform/qt/BusyMouseFilter.h"

struct Durad;

namespace orlim {

class CMainFrame;

class CEditorApp {
public:
    CEditorApp();
    ~CEditorApp();
    CEditorApp(const CEditorApp&) = delete;
    CEditorApp& operator=(const CEditorApp&) = delete;

    // The application object of the process, or null when there is none.
    static CEditorApp* instance();

    // Start-up: settings, temporary files, first-start defaults, the main frame, the
    // document music and the child frames.
    void initInstance();
    // Exit: the main frame goes, the document music is deleted, the temporary files
    // are removed and the recent-file list is stored.
    void exitInstance();

    CMainFrame* mainFrame() const { return mainFrame_.get(); }
    Durad* documentMusic() const { return music_; }
    RecentFileList& recentFiles() { return recentFiles_; }

    // Set while a document opens or is saved: mouse input is discarded meanwhile.
    void setBusy(bool busy) { mouseFilter_.setBusy(busy); }
    bool isBusy() const { return mouseFilter_.isBusy(); }

    // The recent-file list's request to open a file: the open procedure of the frame.
    bool openDocumentFile(const std::string& path);

private:
    std::unique_ptr<CMainFrame> mainFrame_;
    Durad* music_ = nullptr;
    RecentFileList recentFiles_;
    BusyMouseFilter mouseFilter_;
    // Wave saving shows its progress in the "Saving Wave" dialog.
    SaveWaveDialogInstaller saveWaveDialog_;
    bool started_ = false;
};

} // namespace orlim
