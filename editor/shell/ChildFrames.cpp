#include "editor/shell/ChildFrames.h"

#include <QCloseEvent>
#include <QMdiArea>

#include "editor/shell/CommandIds.h"
#include "editor/shell/ResourceImages.h"

namespace orlim {

CChildFrame::CChildFrame(int resourceId, const QString& title, QWidget* view)
{
    setProperty("resourceId", resourceId);
    setWindowTitle(title);
    setWindowIcon(resourceIcon(resourceId));
    setWidget(view);
}

void CChildFrame::closeEvent(QCloseEvent* event)
{
    event->ignore();
    hideChildFrame(this);
}

// The views arrive with the staff, sound and studio editors; until then each frame
// shows an empty window.
CStaffFrame::CStaffFrame() : CChildFrame(resource::kStaffFrame, "Staff", new QWidget) {}

CSoundFrame::CSoundFrame() : CChildFrame(resource::kSoundFrame, "Sound", new QWidget) {}

CStudioFrame::CStudioFrame() : CChildFrame(resource::kStudioFrame, "Studio", new QWidget) {}

void hideChildFrame(QMdiSubWindow* child)
{
    if (QMdiArea* area = child->mdiArea()) {
        const QList<QMdiSubWindow*> stack = area->subWindowList(QMdiArea::StackingOrder);
        const qsizetype index = stack.indexOf(child);
        if (index > 0 && stack[index - 1]->isVisible())
            area->setActiveSubWindow(stack[index - 1]);
    }
    child->hide();
}

void showChildFrame(QMdiSubWindow* child)
{
    child->show();
    if (QMdiArea* area = child->mdiArea())
        area->setActiveSubWindow(child);
    child->raise();
    child->setFocus();
}

} // namespace orlim
