#include "controls/Knob.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <cmath>

#include "controls/ControlArt.h"
#include "controls/ResForm.h"

const MarkRect KRKnob{6, 6, 31, 29};

const MarkRect KRArr8[9] = {
    {6, 29, 19, 35}, {0, 21, 6, 33}, {0, 8, 6, 21},   {0, 0, 11, 7},  {12, 0, 26, 6},
    {27, 0, 38, 7},  {31, 8, 39, 19}, {31, 19, 39, 30}, {21, 29, 34, 35},
};

const MarkRect KRArr10[11] = {
    {6, 29, 19, 35}, {0, 23, 6, 33}, {0, 15, 6, 23},  {0, 6, 6, 15},   {5, 0, 14, 6},    {14, 0, 24, 6},
    {24, 0, 33, 6},  {31, 6, 39, 15}, {31, 15, 39, 23}, {31, 23, 39, 31}, {21, 29, 31, 35},
};

int ScaleMarkAt(bool tenSteps, int x, int y)
{
    if (tenSteps) {
        for (int k = 0; k < 11; ++k)
            if (KRArr10[k].contains(x, y))
                return k;
    } else {
        for (int k = 0; k < 9; ++k)
            if (KRArr8[k].contains(x, y))
                return k;
    }
    return -1;
}

namespace {
const QPoint LineStart(18, 17);
}

TWC_Knob::TWC_Knob(QWidget* parent) : TWC_CustomControl(parent)
{
    const TResForm* res = TResForm::Instance();
    const QSize size = res && !res->Knob8.isNull() ? (QSizeF(res->Knob8.size()) / res->Knob8.devicePixelRatio()).toSize()
                                                   : QSize(39, 35);
    setFixedSize(size);
    InitBmp();
}

// The three discs, each filled with its state's colour. They are drawn in
// that colour rather than flood-filled afterwards, which keeps the disc's
// antialiased edge clean.
void TWC_Knob::InitBmp()
{
    const TResForm* res = TResForm::Instance();
    const qreal dpr = res ? res->Knob8.devicePixelRatio() : devicePixelRatioF();
    discDisabled = ControlArt::KnobDisc(tenSteps, disableColor, dpr);
    discNormal = ControlArt::KnobDisc(tenSteps, unhilightBgnd, dpr);
    discHilight = ControlArt::KnobDisc(tenSteps, hilightBgnd, dpr);
    invalidate();
}

void TWC_Knob::SetTenSteps(bool on)
{
    if (tenSteps != on) {
        tenSteps = on;
        InitBmp();
    }
}

void TWC_Knob::SetDisableColor(QColor c)
{
    disableColor = c;
    InitBmp();
}

void TWC_Knob::SetUnhilightBgndColor(QColor c)
{
    unhilightBgnd = c;
    InitBmp();
}

void TWC_Knob::SetHilightBgndColor(QColor c)
{
    hilightBgnd = c;
    InitBmp();
}

void TWC_Knob::SetUnhilightLineColor(QColor c)
{
    unhilightLine = c;
    invalidate();
}

void TWC_Knob::SetHilightLineColor(QColor c)
{
    hilightLine = c;
    invalidate();
}

QPoint TWC_Knob::GetLinePos() const
{
    const double a = KnobAngle(link.getRel());
    return QPoint(static_cast<int>(std::trunc(std::sin(a) * 13)) + 18, 17 - static_cast<int>(std::trunc(std::cos(a) * 13)));
}

const QPixmap& TWC_Knob::currentDisc() const
{
    if (!isEnabled())
        return discDisabled;
    return Hilighted ? discHilight : discNormal;
}

void TWC_Knob::DrawLine(QPainter& p, QPoint end, QColor colour) const
{
    p.setRenderHint(QPainter::Antialiasing);
    QPen pen(colour, 2.0);
    pen.setCapStyle(Qt::RoundCap);
    p.setPen(pen);
    p.drawLine(QPointF(LineStart) + QPointF(0.5, 0.5), QPointF(end) + QPointF(0.5, 0.5));
}

void TWC_Knob::paintCanvas(QPainter& p)
{
    p.drawPixmap(0, 0, currentDisc());
    lineEnd = GetLinePos();
    if (isEnabled())
        DrawLine(p, lineEnd, Hilighted ? hilightLine : unhilightLine);
}

void TWC_Knob::ChangeFromMCtrl()
{
    if (!visibleFlag() || !isEnabled())
        return;
    if (OnCtrlChange)
        OnCtrlChange(this, GetVal());
    SetValText();
    UserChange = false;
    if (HilightNow())
        return;
    if (!canvasReady()) {
        invalidate();
        return;
    }
    // Only the pointer line moves: put the disc back under the old line and
    // draw the new one.
    const QRect old = QRect(LineStart, lineEnd).normalized().adjusted(-2, -2, 2, 2);
    {
        QPainter p(&canvas);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawPixmap(old, currentDisc(), QRectF(QRectF(old).topLeft() * currentDisc().devicePixelRatio(),
                                                QRectF(old).size() * currentDisc().devicePixelRatio()));
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
        lineEnd = GetLinePos();
        DrawLine(p, lineEnd, hilightLine);
    }
    update(QRegion(old) + QRegion(QRect(LineStart, lineEnd).normalized().adjusted(-2, -2, 2, 2)));
}

void TWC_Knob::mousePressEvent(QMouseEvent* e)
{
    if (!mouseDownCommon(e)) {
        TWC_CustomControl::mousePressEvent(e);
        return;
    }
    const QPoint at = e->position().toPoint();
    if (KRKnob.contains(at.x(), at.y())) {
        Drag.x = at.x();
        Drag.y = at.y();
        Drag.val = GetVal();
        Drag.rel = link.getRel();
        Drag.moving = true;
        // The drawn knob always moves one step per pixel.
        Drag.fine = true;
        return;
    }
    const int k = ScaleMarkAt(tenSteps, at.x(), at.y());
    if (k < 0)
        return;
    UserChange = true;
    link.setRel(static_cast<float>(k * (tenSteps ? 0.1 : 0.125)));
    HilightNow();
}

void TWC_Knob::mouseMoveEvent(QMouseEvent* e)
{
    if (!Drag.moving)
        return;
    const QPoint at = e->position().toPoint();
    const KnobMove m = KnobDragMove(Drag, at.x(), at.y(), true, MouseDir, GetVal(), link.getRel());
    applyKnobMove(m);
}

void TWC_Knob::mouseReleaseEvent(QMouseEvent* e)
{
    if (!mouseUpCommon(e))
        TWC_CustomControl::mouseReleaseEvent(e);
}

void TWC_Knob::keyPressEvent(QKeyEvent* e)
{
    if (!valueKeyPress(e))
        TWC_CustomControl::keyPressEvent(e);
}

void TWC_Knob::keyReleaseEvent(QKeyEvent* e)
{
    if (!valueKeyRelease(e))
        TWC_CustomControl::keyReleaseEvent(e);
}
