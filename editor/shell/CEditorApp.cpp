#include "editor/shell/CEditorApp.h"

#include "editor/shell/CMainFrame.h"
#include "editor/shell/CommandIds.h"
#include "editor/shell/EditorSettings.h"
#include "engine/include/DuradMessages.h"
#include "engine/include/durad.h"

namespace orlim {
namespace {

CEditorApp* theApp = nullptr;

} // namespace

CEditorApp::CEditorApp() : recentFiles_(command::kRecentFileCount)
{
    theApp = this;
}

CEditorApp::~CEditorApp()
{
    if (started_)
        exitInstance();
    if (theApp == this)
        theApp = nullptr;
}

CEditorApp* CEditorApp::instance()
{
    return theApp;
}

void CEditorApp::initInstance()
{
    recentFiles_.load();
    emptyEngineTempFolders(editorTempPath());
    if (isFirstStart())
        writeFirstStartDefaults();

    mainFrame_ = std::make_unique<CMainFrame>();
    mainFrame_->show();

    music_ = musCreateDurad(mainFrame_->window());
    mainFrame_->setMusic(music_);
    mainFrame_->createChildFrames();
    sendToDescendants(mainFrame_.get(), WM_MUS_LOADED, 0, 0);
    started_ = true;
}

void CEditorApp::exitInstance()
{
    if (!started_)
        return;
    started_ = false;
    // Nothing may still render from the musics about to be deleted.
    musEndPlay();
    mainFrame_.reset();
    musDeleteDurad(music_);
    music_ = nullptr;
    emptyEngineTempFolders(editorTempPath());
    recentFiles_.save();
}

bool CEditorApp::openDocumentFile(const std::string& path)
{
    return mainFrame_ && mainFrame_->openNamedFile(path);
}

} // namespace orlim
