#include "editor/shell/ResourceImages.h"

#include <algorithm>
#include <iterator>

#include <QPainter>
#include <QPolygon>

#include "editor/shell/CommandIds.h"

namespace orlim {
namespace {

using namespace command;

const QColor kInk(0, 0, 0);
const QColor kPaper(255, 255, 255);
const QColor kShade(128, 128, 128);
const QColor kFolder(255, 255, 0);
const QColor kSignal(0, 128, 0);

QPixmap blank(int width, int height)
{
    QPixmap pixmap(width, height);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

void page(QPainter& p, int x, int y)
{
    p.setPen(kInk);
    p.setBrush(kPaper);
    p.drawPolygon(QPolygon({QPoint(x, y), QPoint(x + 6, y), QPoint(x + 9, y + 3),
                            QPoint(x + 9, y + 12), QPoint(x, y + 12)}));
    p.drawLine(x + 6, y, x + 6, y + 3);
    p.drawLine(x + 6, y + 3, x + 9, y + 3);
}

void staffLines(QPainter& p, int top, int step)
{
    p.setPen(kInk);
    for (int i = 0; i < 5; ++i)
        p.drawLine(1, top + i * step, 14, top + i * step);
}

void drawButton(QPainter& p, int commandId)
{
    switch (commandId) {
    case kNew: page(p, 3, 1); break;
    case kOpen:
        p.setPen(kInk);
        p.setBrush(kFolder);
        p.drawPolygon(QPolygon({QPoint(1, 4), QPoint(5, 4), QPoint(6, 5), QPoint(12, 5),
                                QPoint(12, 12), QPoint(1, 12)}));
        p.setBrush(QColor(128, 128, 0));
        p.drawPolygon(QPolygon({QPoint(3, 7), QPoint(15, 7), QPoint(12, 12), QPoint(1, 12)}));
        break;
    case kSave:
        p.setPen(kInk);
        p.setBrush(QColor(0, 0, 128));
        p.drawRect(1, 1, 13, 12);
        p.setBrush(kPaper);
        p.drawRect(4, 1, 7, 5);
        p.setBrush(kShade);
        p.drawRect(4, 9, 7, 4);
        break;
    case kCut:
        p.setPen(QPen(kInk, 1));
        p.drawLine(4, 1, 10, 9);
        p.drawLine(11, 1, 5, 9);
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(2, 9, 4, 4);
        p.drawEllipse(9, 9, 4, 4);
        break;
    case kCopy:
        page(p, 1, 0);
        page(p, 5, 2);
        break;
    case kPaste:
        p.setPen(kInk);
        p.setBrush(QColor(128, 64, 0));
        p.drawRect(1, 2, 10, 12);
        p.setBrush(kShade);
        p.drawRect(4, 1, 4, 2);
        page(p, 6, 2);
        break;
    case kDelete:
        p.setPen(QPen(QColor(255, 0, 0), 2));
        p.drawLine(3, 3, 12, 12);
        p.drawLine(12, 3, 3, 12);
        break;
    case kShowStaff:
        staffLines(p, 3, 2);
        p.setBrush(kInk);
        p.drawEllipse(5, 7, 4, 3);
        p.drawLine(9, 8, 9, 1);
        break;
    case kShowSound:
        p.setPen(kInk);
        p.setBrush(kShade);
        p.drawPolygon(QPolygon({QPoint(1, 5), QPoint(4, 5), QPoint(8, 1), QPoint(8, 13),
                                QPoint(4, 9), QPoint(1, 9)}));
        p.setBrush(Qt::NoBrush);
        p.drawArc(7, 3, 6, 8, -60 * 16, 120 * 16);
        p.drawArc(7, 1, 9, 12, -60 * 16, 120 * 16);
        break;
    case kShowStudio:
        p.setPen(kInk);
        for (int x : {3, 7, 11}) {
            p.drawLine(x, 1, x, 13);
        }
        p.setBrush(kShade);
        p.drawRect(1, 8, 4, 2);
        p.drawRect(5, 3, 4, 2);
        p.drawRect(9, 10, 4, 2);
        break;
    case kAbout:
        p.setPen(kInk);
        p.setBrush(QColor(255, 255, 192));
        p.drawEllipse(1, 0, 13, 13);
        p.setFont(QFont("Sans", 8, QFont::Bold));
        p.drawText(QRect(1, 0, 14, 14), Qt::AlignCenter, "?");
        break;
    case kPlay:
        p.setPen(kInk);
        p.setBrush(kSignal);
        p.drawPolygon(QPolygon({QPoint(4, 2), QPoint(12, 7), QPoint(4, 12)}));
        break;
    case kToStart:
        p.setPen(kInk);
        p.setBrush(kInk);
        p.drawRect(2, 2, 1, 10);
        p.drawPolygon(QPolygon({QPoint(12, 2), QPoint(5, 7), QPoint(12, 12)}));
        break;
    case kRewind:
        p.setPen(kInk);
        p.setBrush(kInk);
        p.drawPolygon(QPolygon({QPoint(8, 2), QPoint(2, 7), QPoint(8, 12)}));
        p.drawPolygon(QPolygon({QPoint(14, 2), QPoint(8, 7), QPoint(14, 12)}));
        break;
    case kForward:
        p.setPen(kInk);
        p.setBrush(kInk);
        p.drawPolygon(QPolygon({QPoint(1, 2), QPoint(7, 7), QPoint(1, 12)}));
        p.drawPolygon(QPolygon({QPoint(7, 2), QPoint(13, 7), QPoint(7, 12)}));
        break;
    case kStop:
        p.setPen(kInk);
        p.setBrush(QColor(128, 0, 0));
        p.drawRect(3, 3, 9, 8);
        break;
    default: break;
    }
}

QPixmap iconImage(int resourceId, int size)
{
    QPixmap pixmap = blank(size, size);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing, size > 16);
    p.scale(size / 16.0, size / 16.0);
    switch (resourceId) {
    case resource::kMainFrame: {
        p.setPen(kInk);
        p.setBrush(QColor(0, 0, 160));
        p.drawEllipse(2, 10, 5, 4);
        p.drawEllipse(9, 8, 5, 4);
        p.drawRect(6, 2, 1, 10);
        p.drawRect(13, 1, 1, 9);
        p.drawPolygon(QPolygon({QPoint(6, 2), QPoint(14, 0), QPoint(14, 3), QPoint(6, 5)}));
        break;
    }
    case resource::kStaffFrame:
        staffLines(p, 3, 2);
        p.setBrush(kInk);
        p.drawEllipse(6, 8, 4, 3);
        p.drawLine(10, 9, 10, 1);
        break;
    case resource::kSoundFrame:
        drawButton(p, kShowSound);
        break;
    case resource::kStudioFrame:
        p.setPen(QPen(QColor(0, 0, 255), 1.5));
        p.drawPolyline(QPolygon({QPoint(1, 12), QPoint(5, 6), QPoint(9, 9), QPoint(15, 2)}));
        break;
    case resource::kLevelIcon:
        p.setPen(kInk);
        p.setBrush(kShade);
        p.drawPolygon(QPolygon({QPoint(1, 6), QPoint(4, 6), QPoint(8, 2), QPoint(8, 14),
                                QPoint(4, 10), QPoint(1, 10)}));
        p.setBrush(Qt::NoBrush);
        p.drawArc(7, 4, 6, 8, -60 * 16, 120 * 16);
        p.drawArc(7, 2, 9, 12, -60 * 16, 120 * 16);
        break;
    default: return {};
    }
    return pixmap;
}

} // namespace

QPixmap toolBarImage(int commandId)
{
    static constexpr int kDrawn[] = {kNew, kOpen, kSave, kCut, kCopy, kPaste, kDelete,
                                     kShowStaff, kShowSound, kShowStudio, kAbout, kPlay,
                                     kToStart, kRewind, kForward, kStop};
    if (std::find(std::begin(kDrawn), std::end(kDrawn), commandId) == std::end(kDrawn))
        return {};
    QPixmap pixmap = blank(16, 15);
    QPainter painter(&pixmap);
    drawButton(painter, commandId);
    return pixmap;
}

QIcon resourceIcon(int resourceId)
{
    QIcon icon;
    for (int size : {16, 32}) {
        QPixmap image = iconImage(resourceId, size);
        if (image.isNull())
            return {};
        icon.addPixmap(image);
    }
    return icon;
}

} // namespace orlim
