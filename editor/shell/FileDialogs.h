#pragma once
// The file dialogs of the document commands. The filters are written as the editor's
// resources give them ("desc|pattern;pattern|...||") and converted for Qt here.

#include <QStringList>

#include <functional>
#include <optional>
#include <string>

class QWidget;

namespace orlim {

struct FileDialogRequest {
    enum class Kind { Open, Save };
    Kind kind = Kind::Open;
    std::string filter;        // "desc|pattern;pattern|...||"
    std::string defaultName;   // proposed file path, may be empty
    std::string defaultSuffix; // added to a typed name without one ("rwm"), may be empty
};

// Shows the dialog and returns the chosen full path, or nothing on Cancel.
using FileDialogFunction = std::function<std::optional<std::string>(QWidget* parent,
                                                                    const FileDialogRequest&)>;

// Qt's filters for a "desc|pattern;pattern|...||" text, one per pair: the description
// followed by its patterns in parentheses, "desc (pattern pattern)". Each letter of a
// pattern matches either case, as the desktop's file dialogs do on Windows.
QStringList qtNameFilters(const std::string& filter);

// The dialog of Qt, modal over `parent`; saving asks before replacing a file.
std::optional<std::string> showFileDialog(QWidget* parent, const FileDialogRequest& request);

} // namespace orlim
