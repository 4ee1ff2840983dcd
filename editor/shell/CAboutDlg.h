#pragma once
// The About box (dialog 100).

#include <QDialog>

namespace orlim {

class CAboutDlg final : public QDialog {
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};

} // namespace orlim
