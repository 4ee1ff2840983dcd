#include "editor/shell/FileDialogs.h"

#include <QFileDialog>

namespace orlim {
namespace {

// "*.mid" -> "*.[mM][iI][dD]", so that "X.MID" is listed too.
QString eitherCase(const QString& pattern)
{
    QString result;
    for (const QChar c : pattern) {
        if (c.isLetter() && c.toLower() != c.toUpper())
            result += QStringLiteral("[%1%2]").arg(c.toLower(), c.toUpper());
        else
            result += c;
    }
    return result;
}

} // namespace

QStringList qtNameFilters(const std::string& filter)
{
    const QStringList parts = QString::fromStdString(filter).split('|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty())
            break;
        QStringList patterns;
        for (const QString& pattern : parts[i + 1].split(';', Qt::SkipEmptyParts))
            patterns << eitherCase(pattern.trimmed());
        filters << parts[i] + " (" + patterns.join(' ') + ")";
    }
    return filters;
}

std::optional<std::string> showFileDialog(QWidget* parent, const FileDialogRequest& request)
{
    const bool save = request.kind == FileDialogRequest::Kind::Save;
    QFileDialog dialog(parent);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    // The descriptions already name their patterns; the either-case patterns would
    // only clutter them.
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setNameFilters(qtNameFilters(request.filter));
    if (!request.defaultSuffix.empty())
        dialog.setDefaultSuffix(QString::fromStdString(request.defaultSuffix));
    if (!request.defaultName.empty())
        dialog.selectFile(QString::fromStdString(request.defaultName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().front().toStdString();
}

} // namespace orlim
