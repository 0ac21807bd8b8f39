#include "controls/ImgKnob.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <cmath>

TWC_ImgKnob::TWC_ImgKnob(QWidget* parent) : TWC_CustomControl(parent) {}

void TWC_ImgKnob::SetBGndImagelist(const TImageList* list)
{
    bodies = list;
    if (list && list->count() > 0)
        resize(list->size());
    invalidate();
}

void TWC_ImgKnob::SetDotImagelist(const TImageList* list)
{
    dots = list;
    // Offsets are minus half the dot's size, halves rounded toward zero.
    dotOffX = list ? -(list->width() / 2) : 0;
    dotOffY = list ? -(list->height() / 2) : 0;
    underDot = QPixmap();
    invalidate();
}

void TWC_ImgKnob::SetNullIsOff(bool on)
{
    nullIsOff = on;
    invalidate();
}

void TWC_ImgKnob::SetDotPos(int radius)
{
    dotPos = radius;
    invalidate();
}

void TWC_ImgKnob::SetKnobMid(int x, int y)
{
    midX = x;
    midY = y;
    invalidate();
}

int TWC_ImgKnob::imageIndex() const
{
    if (!bodies || !dots || bodies->count() != 3 || dots->count() != 3)
        return 0;
    if (!isEnabled())
        return 0;
    return Hilighted ? 2 : 1;
}

QPoint TWC_ImgKnob::DotPosition() const
{
    const double a = KnobAngle(link.getRel());
    return QPoint(static_cast<int>(std::trunc(midX + dotOffX + 0.5 + std::sin(a) * dotPos)),
                  static_cast<int>(std::trunc(midY + dotOffY + 0.5 - std::cos(a) * dotPos)));
}

bool TWC_ImgKnob::DotShown() const
{
    return dots && !(nullIsOff && GetVal() == 0);
}

void TWC_ImgKnob::paintCanvas(QPainter& p)
{
    if (!bodies)
        return;
    bodies->draw(p, QPoint(0, 0), imageIndex());
}

void TWC_ImgKnob::paintOverlay()
{
    if (!bodies || !dots || dots->count() == 0)
        return;
    dotAt = DotPosition();
    drawDot();
}

// Saves the background under the dot's place, then draws the dot there.
void TWC_ImgKnob::drawDot()
{
    dotDevice = imageRect(dotAt, dots->image(0));
    underDot = grabCanvas(dotDevice);
    if (!DotShown())
        return;
    QPainter p(&canvas);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    dots->draw(p, dotAt, imageIndex());
}

void TWC_ImgKnob::ChangeFromMCtrl()
{
    if (!visibleFlag() || !isEnabled())
        return;
    if (OnCtrlChange)
        OnCtrlChange(this, GetVal());
    SetValText();
    UserChange = false;
    if (HilightNow())
        return;
    if (FullRepaint || !bodies || !dots || dots->count() == 0 || !canvasReady() || underDot.isNull()) {
        invalidate();
        return;
    }
    const QRect old = dotDevice;
    restoreCanvas(old, underDot);
    dotAt = DotPosition();
    drawDot();
    update(QRegion(logicalCover(old)) + QRegion(logicalCover(dotDevice)));
}

void TWC_ImgKnob::mousePressEvent(QMouseEvent* e)
{
    if (!mouseDownCommon(e)) {
        TWC_CustomControl::mousePressEvent(e);
        return;
    }
    const QPoint at = e->position().toPoint();
    const int dx = at.x() - midX;
    const int dy = midY - at.y();
    const int radius = dotPos + dotOffX;
    if (JumpEnabled && radius * radius < dx * dx + dy * dy) {
        UserChange = true;
        link.setRel(static_cast<float>(RelFromVector(dx, dy)));
        Hilighted = true;
        invalidate();
        return;
    }
    Drag.x = at.x();
    Drag.y = at.y();
    Drag.val = GetVal();
    Drag.rel = link.getRel();
    Drag.moving = true;
    Drag.fine = FineEnabled && (e->modifiers() & Qt::ShiftModifier);
}

void TWC_ImgKnob::mouseMoveEvent(QMouseEvent* e)
{
    if (!Drag.moving)
        return;
    const QPoint at = e->position().toPoint();
    const bool fine = FineEnabled && (e->modifiers() & Qt::ShiftModifier);
    const KnobMove m = KnobDragMove(Drag, at.x(), at.y(), fine, MouseDir, GetVal(), link.getRel());
    applyKnobMove(m);
}

void TWC_ImgKnob::mouseReleaseEvent(QMouseEvent* e)
{
    if (!mouseUpCommon(e))
        TWC_CustomControl::mouseReleaseEvent(e);
}

void TWC_ImgKnob::keyPressEvent(QKeyEvent* e)
{
    if (!valueKeyPress(e))
        TWC_CustomControl::keyPressEvent(e);
}

void TWC_ImgKnob::keyReleaseEvent(QKeyEvent* e)
{
    if (!valueKeyRelease(e))
        TWC_CustomControl::keyReleaseEvent(e);
}
