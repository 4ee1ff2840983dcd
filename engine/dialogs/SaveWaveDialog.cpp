#include "engine/dialogs/SaveWaveDialog.h"

#include <QApplication>
#include <QEventLoop>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include <algorithm>

namespace orlim {
namespace {

// Dialog units of the layout in pixels: 1.5 across and 1.625 down.
QRect dialogRect(double x, double y, double width, double height)
{
    return QRect(qRound(x * 1.5), qRound(y * 1.625), qRound(width * 1.5), qRound(height * 1.625));
}

class DialogProgress final : public SaveWaveProgress {
public:
    void open(const std::string& path, std::uint64_t maximum) override
    {
        QWidget* owner = QApplication::activeWindow();
        dialog_ = std::make_unique<CSaveWaveDlg>(owner);
        dialog_->setPath(path);
        dialog_->setRange(maximum);
        dialog_->setWindowModality(Qt::ApplicationModal);
        if (owner)
            dialog_->move(owner->frameGeometry().center() - dialog_->rect().center());
        dialog_->show();
    }

    void position(std::uint64_t bytes, const std::string& percentText) override
    {
        if (dialog_)
            dialog_->setPosition(bytes, percentText);
    }

    void idle(int milliseconds) override
    {
        if (!dialog_ || dialog_->cancelRequested())
            return;
        QEventLoop loop;
        QTimer::singleShot(std::max(milliseconds, 0), &loop, &QEventLoop::quit);
        QObject::connect(dialog_->cancelButton(), &QPushButton::clicked, &loop, &QEventLoop::quit);
        loop.exec();
    }

    bool cancelled() override { return dialog_ && dialog_->cancelRequested(); }

    void close() override { dialog_.reset(); }

private:
    std::unique_ptr<CSaveWaveDlg> dialog_;
};

} // namespace

CSaveWaveDlg::CSaveWaveDlg(QWidget* parent) : QDialog(parent)
{
    setProperty("resourceId", 1008);
    setWindowTitle("Saving Wave");
    setFixedSize(dialogRect(0, 0, 224, 60).size());

    path_ = new QLabel(this);
    path_->setProperty("resourceId", kPathId);
    path_->setGeometry(dialogRect(7, 7, 144, 8));
    path_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    bar_ = new QProgressBar(this);
    bar_->setProperty("resourceId", kBarId);
    bar_->setGeometry(dialogRect(7, 18, 210, 10));
    bar_->setRange(0, kBarSteps);
    bar_->setValue(0);
    bar_->setTextVisible(false);

    percent_ = new QLabel(this);
    percent_->setProperty("resourceId", kPercentId);
    percent_->setGeometry(dialogRect(183, 7, 34, 8));
    percent_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    cancel_ = new QPushButton("Cancel", this);
    cancel_->setProperty("resourceId", kCancelId);
    cancel_->setGeometry(dialogRect(89, 39, 50, 14));
    connect(cancel_, &QPushButton::clicked, this, &CSaveWaveDlg::reject);
}

void CSaveWaveDlg::setPath(const std::string& path)
{
    const QString text = QString::fromStdString(path);
    path_->setToolTip(text);
    path_->setText(path_->fontMetrics().elidedText(text, Qt::ElideMiddle, path_->width()));
}

void CSaveWaveDlg::setRange(std::uint64_t maximum)
{
    maximum_ = maximum;
    bar_->setValue(0);
}

void CSaveWaveDlg::setPosition(std::uint64_t bytes, const std::string& percentText)
{
    // Past the range the bar stays full, as a bar does at its maximum.
    const double part = maximum_ == 0 ? 0.0 : std::min(1.0, static_cast<double>(bytes) / static_cast<double>(maximum_));
    bar_->setValue(static_cast<int>(part * kBarSteps));
    percent_->setText(QString::fromStdString(percentText));
}

void CSaveWaveDlg::reject()
{
    cancelRequested_ = true;
}

SaveWaveDialogInstaller::SaveWaveDialogInstaller()
    : previous_(setSaveWaveProgressFactory(makeSaveWaveDialogProgress))
{
}

SaveWaveDialogInstaller::~SaveWaveDialogInstaller()
{
    setSaveWaveProgressFactory(std::move(previous_));
}

std::unique_ptr<SaveWaveProgress> makeSaveWaveDialogProgress()
{
    return std::make_unique<DialogProgress>();
}

} // namespace orlim
