#include "controls/Fader.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdlib>

TWC_ImgFader::TWC_ImgFader(QWidget* parent) : TWC_CustomControl(parent) {}

void TWC_ImgFader::SetKnobImagelist(const TImageList* list)
{
    knobs = list;
    underKnob = QPixmap();
    invalidate();
}

void TWC_ImgFader::SetBGndImage(const QPixmap& picture)
{
    track = picture;
    if (!picture.isNull())
        resize((QSizeF(picture.size()) / picture.devicePixelRatio()).toSize());
    invalidate();
}

void TWC_ImgFader::SetRange(int lo, int hi)
{
    valMin = lo;
    valMax = hi;
    SetFactors();
    ValChanged();
}

void TWC_ImgFader::SetTravel(int xb, int yb, int xe, int ye)
{
    xBegin = xb;
    yBegin = yb;
    xEnd = xe;
    yEnd = ye;
    SetFactors();
    invalidate();
}

void TWC_ImgFader::SetCacheTicks(int n)
{
    if (n == 0 || n > 1)
        cacheTicks = n;
}

bool TWC_ImgFader::Horizontal() const
{
    return std::abs(xBegin - xEnd) > std::abs(yBegin - yEnd);
}

void TWC_ImgFader::SetFactors()
{
    FaderScale x{valMin, valMax, xBegin, xEnd};
    FaderScale y{valMin, valMax, yBegin, yEnd};
    factorX = x.factor();
    factorY = y.factor();
}

FaderScale TWC_ImgFader::axisScale() const
{
    return Horizontal() ? FaderScale{valMin, valMax, xBegin, xEnd} : FaderScale{valMin, valMax, yBegin, yEnd};
}

int TWC_ImgFader::axisCoord(QPoint at) const
{
    return Horizontal() ? at.x() : at.y();
}

int TWC_ImgFader::halfKnob() const
{
    if (!knobs)
        return 0;
    return Horizontal() ? knobs->width() / 2 : knobs->height() / 2;
}

QPoint TWC_ImgFader::KnobPos() const
{
    return QPoint(FaderScale{valMin, valMax, xBegin, xEnd}.knobPos(value),
                  FaderScale{valMin, valMax, yBegin, yEnd}.knobPos(value));
}

void TWC_ImgFader::SetVal(int v)
{
    if (BoundParam()) {
        link.setVal(v);
        return;
    }
    if (v != value) {
        value = v;
        ChangeFromMCtrl();
    }
}

int TWC_ImgFader::GetVal() const
{
    return value;
}

void TWC_ImgFader::ValChanged()
{
    if (MCtrl* p = BoundParam()) {
        valMin = 0;
        valMax = p->GetMax();
        SetFactors();
        value = p->GetVal();
    } else {
        value = std::clamp(value, std::min(valMin, valMax), std::max(valMin, valMax));
    }
    PaintKnob(false);
}

void TWC_ImgFader::ChangeFromMCtrl()
{
    if (!visibleFlag() || !isEnabled())
        return;
    // A highlight change redraws the whole control; the knob then follows
    // with it instead of moving on its own.
    HilightNow();
    ValChanged();
    if (OnCtrlChange)
        OnCtrlChange(this, value);
    SetValText();
    UserChange = false;
}

int TWC_ImgFader::imageIndex() const
{
    if (!knobs || knobs->count() != 3 || !isEnabled())
        return 0;
    return Hilighted ? 2 : 1;
}

void TWC_ImgFader::paintCanvas(QPainter& p)
{
    if (!track.isNull())
        p.drawPixmap(0, 0, track);
}

void TWC_ImgFader::paintOverlay()
{
    PaintKnob(true);
}

void TWC_ImgFader::PaintKnob(bool full)
{
    if (!knobs || knobs->count() == 0)
        return;
    if (!full) {
        if (!canvasReady() || underKnob.isNull()) {
            invalidate();
            return;
        }
        restoreCanvas(knobDevice, underKnob);
    }
    const QRect old = knobDevice;
    knobRect = QRect(KnobPos(), knobs->size());
    knobDevice = imageRect(knobRect.topLeft(), knobs->image(0));
    underKnob = grabCanvas(knobDevice);
    {
        QPainter p(&canvas);
        knobs->draw(p, knobRect.topLeft(), imageIndex());
    }
    if (!full)
        update(QRegion(logicalCover(old)) + QRegion(logicalCover(knobDevice)));
}

void TWC_ImgFader::userSetVal(int v)
{
    UserChange = true;
    if (BoundParam()) {
        link.setVal(v);
    } else {
        value = v;
        ChangeFromMCtrl();
    }
}

// A bound fader steps its parameter, whose value is ahead of the fader's own
// until the next refresh: two presses within one tick step twice.
void TWC_ImgFader::userStep(int delta)
{
    if (BoundParam())
        TWC_CustomControl::userStep(delta);
    else
        userSetVal(value + delta);
}

void TWC_ImgFader::mousePressEvent(QMouseEvent* e)
{
    if (!mouseDownCommon(e)) {
        TWC_CustomControl::mousePressEvent(e);
        return;
    }
    const QPoint at = e->position().toPoint();
    // The knob rectangle with its right and bottom edges.
    const bool onKnob = knobs && QRect(knobRect.topLeft(), knobRect.size() + QSize(1, 1)).contains(at);
    if (!JumpEnabled || onKnob) {
        Drag.x = at.x();
        Drag.y = at.y();
        Drag.val = value;
        Drag.rel = 0.0f;
        Drag.moving = true;
        Drag.fine = FineEnabled && (e->modifiers() & Qt::ShiftModifier);
        return;
    }
    int v = axisScale().valueAt(axisCoord(at), halfKnob());
    if (cacheTicks != 0)
        v = SnapToTicks(v, valMin, valMax, cacheTicks);
    userSetVal(v);
    HilightNow();
}

void TWC_ImgFader::mouseMoveEvent(QMouseEvent* e)
{
    if (!Drag.moving)
        return;
    const QPoint at = e->position().toPoint();
    const bool fine = FineEnabled && (e->modifiers() & Qt::ShiftModifier);
    if (fine != Drag.fine) {
        Drag.x = at.x();
        Drag.y = at.y();
        Drag.val = value;
        Drag.fine = fine;
        return;
    }
    int v;
    if (fine)
        v = Drag.val + (Horizontal() ? at.x() - Drag.x : Drag.y - at.y());
    else
        v = axisScale().valueAt(axisCoord(at), halfKnob());
    userSetVal(v);
}

void TWC_ImgFader::mouseReleaseEvent(QMouseEvent* e)
{
    if (!mouseUpCommon(e))
        TWC_CustomControl::mouseReleaseEvent(e);
}

void TWC_ImgFader::keyPressEvent(QKeyEvent* e)
{
    if (!valueKeyPress(e))
        TWC_CustomControl::keyPressEvent(e);
}

void TWC_ImgFader::keyReleaseEvent(QKeyEvent* e)
{
    if (!valueKeyRelease(e))
        TWC_CustomControl::keyReleaseEvent(e);
}
