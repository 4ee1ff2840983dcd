// The editor program: one application object over Qt's event loop. No file named
// on the command line is opened.
#include <QApplication>

#include "editor/shell/CEditorApp.h"
#include "platform/qt/QtPlatform.h"

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    application.setApplicationName("Orlim");
    application.setOrganizationName("Orlim Durad");
    orlim::QtPlatform platform;
    orlim::CEditorApp editor;
    editor.initInstance();
    const int result = application.exec();
    editor.exitInstance();
    return result;
}
