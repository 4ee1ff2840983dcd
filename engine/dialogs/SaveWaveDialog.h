#pragma once
// "Saving Wave" (dialog 1008): the path being written, a bar of the bytes rendered,
// the percentage and Cancel. It is the Qt face of the wave-saving progress.

#include <QDialog>

#include <cstdint>
#include <memory>
#include <string>

#include "platform/SaveWaveProgress.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace orlim {

class CSaveWaveDlg final : public QDialog {
public:
    explicit CSaveWaveDlg(QWidget* parent = nullptr);

    // Control ids of the dialog.
    static constexpr int kCancelId = 2;
    static constexpr int kBarId = 1091;
    static constexpr int kPathId = 1092;
    static constexpr int kPercentId = 1093;
    // The bar's own range; the byte counts are scaled onto it.
    static constexpr int kBarSteps = 1000;

    void setPath(const std::string& path);
    void setRange(std::uint64_t maximum);
    void setPosition(std::uint64_t bytes, const std::string& percentText);

    bool cancelRequested() const { return cancelRequested_; }

    QLabel* pathText() const { return path_; }
    QProgressBar* bar() const { return bar_; }
    QLabel* percentText() const { return percent_; }
    QPushButton* cancelButton() const { return cancel_; }

protected:
    // Escape, the close box and Cancel all ask to cancel; the saving code closes it.
    void reject() override;

private:
    QLabel* path_;
    QProgressBar* bar_;
    QLabel* percent_;
    QPushButton* cancel_;
    std::uint64_t maximum_ = 0;
    bool cancelRequested_ = false;
};

// Makes every later wave saving show the dialog, centred over the active window;
// restores the previous display for its own life's end.
class SaveWaveDialogInstaller {
public:
    SaveWaveDialogInstaller();
    ~SaveWaveDialogInstaller();
    SaveWaveDialogInstaller(const SaveWaveDialogInstaller&) = delete;
    SaveWaveDialogInstaller& operator=(const SaveWaveDialogInstaller&) = delete;

private:
    SaveWaveProgressFactory previous_;
};

// A progress display that shows a CSaveWaveDlg while the saving code runs it.
std::unique_ptr<SaveWaveProgress> makeSaveWaveDialogProgress();

} // namespace orlim
