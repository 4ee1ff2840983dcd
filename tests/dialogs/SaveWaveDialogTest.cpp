#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include <gtest/gtest.h>

#include "engine/dialogs/SaveWaveDialog.h"

namespace orlim {
namespace {

TEST(SaveWaveDialog, HasTheCaptionAndTheControlsOfItsLayout)
{
    CSaveWaveDlg dialog;
    EXPECT_EQ(dialog.windowTitle(), "Saving Wave");
    EXPECT_EQ(dialog.property("resourceId").toInt(), 1008);
    EXPECT_EQ(dialog.size(), QSize(336, 98));
    struct Control {
        QWidget* widget;
        int id;
        QRect geometry;
    };
    const Control controls[] = {
        {dialog.cancelButton(), 2, QRect(134, 63, 75, 23)},
        {dialog.pathText(), 1092, QRect(11, 11, 216, 13)},
        {dialog.bar(), 1091, QRect(11, 29, 315, 16)},
        {dialog.percentText(), 1093, QRect(275, 11, 51, 13)},
    };
    for (const Control& c : controls) {
        SCOPED_TRACE(c.id);
        EXPECT_EQ(c.widget->property("resourceId").toInt(), c.id);
        EXPECT_EQ(c.widget->geometry(), c.geometry);
    }
    EXPECT_EQ(dialog.cancelButton()->text(), "Cancel");
    EXPECT_TRUE(dialog.pathText()->alignment() & Qt::AlignLeft);
    EXPECT_TRUE(dialog.percentText()->alignment() & Qt::AlignRight);
}

TEST(SaveWaveDialog, ShowsThePathTheShareOfTheRangeAndThePercentage)
{
    CSaveWaveDlg dialog;
    dialog.setPath("/music/out.wav");
    EXPECT_EQ(dialog.pathText()->text(), "/music/out.wav");
    dialog.setRange(4000);
    struct Case {
        std::uint64_t bytes;
        const char* percent;
        int bar;
    };
    const Case cases[] = {{0, "0%", 0}, {1000, "25%", 250}, {3999, "99%", 999}, {9000, "100%", 1000}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes);
        dialog.setPosition(c.bytes, c.percent);
        EXPECT_EQ(dialog.percentText()->text(), c.percent);
        EXPECT_EQ(dialog.bar()->value(), c.bar);
    }
    dialog.setRange(0);
    dialog.setPosition(500, "100%");
    EXPECT_EQ(dialog.bar()->value(), 0);
}

TEST(SaveWaveDialog, CancelEscapeAndTheCloseBoxOnlyAskToCancel)
{
    CSaveWaveDlg dialog;
    dialog.show();
    EXPECT_FALSE(dialog.cancelRequested());
    dialog.cancelButton()->click();
    EXPECT_TRUE(dialog.cancelRequested());
    EXPECT_TRUE(dialog.isVisible());
    CSaveWaveDlg other;
    other.show();
    other.close();
    EXPECT_TRUE(other.cancelRequested());
}

CSaveWaveDlg* shownDialog()
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* dialog = dynamic_cast<CSaveWaveDlg*>(widget); dialog && dialog->isVisible())
            return dialog;
    return nullptr;
}

TEST(SaveWaveDialog, TheInstalledDisplayShowsTheDialogWhileSavingRuns)
{
    SaveWaveDialogInstaller installed;
    std::unique_ptr<SaveWaveProgress> progress = makeSaveWaveProgress();
    progress->open("/music/song.wav", 88200);
    CSaveWaveDlg* dialog = shownDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->pathText()->text(), "/music/song.wav");
    EXPECT_EQ(dialog->windowModality(), Qt::ApplicationModal);
    progress->position(44100, "50%");
    EXPECT_EQ(dialog->percentText()->text(), "50%");
    progress->idle(1);
    EXPECT_FALSE(progress->cancelled());
    dialog->cancelButton()->click();
    EXPECT_TRUE(progress->cancelled());
    progress->idle(60000);
    progress->close();
    EXPECT_EQ(shownDialog(), nullptr);
}

} // namespace
} // namespace orlim
