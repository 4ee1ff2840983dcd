#pragma once
// The three child frames of the main frame, one per view of the document. They live
// as long as the main frame: closing one only hides it.

#include <QMdiSubWindow>

namespace orlim {

class CChildFrame : public QMdiSubWindow {
public:
    // A frame from its resource: the number gives its small icon and is kept as the
    // frame's resourceId; `view` becomes its widget.
    CChildFrame(int resourceId, const QString& title, QWidget* view);

protected:
    void closeEvent(QCloseEvent* event) override;
};

class CStaffFrame final : public CChildFrame {
public:
    CStaffFrame();
};

class CSoundFrame final : public CChildFrame {
public:
    CSoundFrame();
};

class CStudioFrame final : public CChildFrame {
public:
    CStudioFrame();
};

// Hides a child frame; the window below it in the stacking order gets the focus when
// it is visible.
void hideChildFrame(QMdiSubWindow* child);

// Shows the child frame, gives it the focus and brings it to the top.
void showChildFrame(QMdiSubWindow* child);

} // namespace orlim
