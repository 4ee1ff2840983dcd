#include "platform/qt/Shell.h"

#include <QDesktopServices>
#include <QUrl>

namespace orlim {

void openDocument(const std::string& path)
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path)));
}

} // namespace orlim
