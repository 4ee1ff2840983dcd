#include "editor/shell/CAboutDlg.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "editor/shell/CommandIds.h"
#include "editor/shell/ResourceImages.h"

namespace orlim {

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent)
{
    setProperty("resourceId", resource::kAboutDialog);
    setWindowTitle("About Orlim");
    auto* icon = new QLabel;
    icon->setPixmap(resourceIcon(resource::kMainFrame).pixmap(32, 32));
    auto* text = new QLabel("Orlim Version 1.0");
    text->setObjectName("version");
    auto* ok = new QPushButton("OK");
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* top = new QHBoxLayout;
    top->addWidget(icon);
    top->addSpacing(12);
    top->addWidget(text, 1);
    top->addWidget(ok, 0, Qt::AlignTop);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
}

} // namespace orlim
