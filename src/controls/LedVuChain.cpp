#include "controls/LedVuChain.h"

#include <QPainter>
#include <algorithm>
#include <cstdlib>

#include "controls/ResForm.h"

TWC_LedVuChain* TWC_LedVuChain::head = nullptr;

TWC_LedVuChain::TWC_LedVuChain(QWidget* parent) : TWC_CustomControl(parent)
{
    next = head;
    head = this;
}

TWC_LedVuChain::~TWC_LedVuChain()
{
    for (TWC_LedVuChain** at = &head; *at; at = &(*at)->next) {
        if (*at == this) {
            *at = next;
            break;
        }
    }
}

void TWC_LedVuChain::SetLedImagelist(const TImageList* list)
{
    leds = list;
    AutoCalcSize();
    invalidate();
}

void TWC_LedVuChain::SetBGndImage(const QPixmap& picture)
{
    background = picture;
    if (!picture.isNull())
        resize((QSizeF(picture.size()) / picture.devicePixelRatio()).toSize());
    invalidate();
}

void TWC_LedVuChain::SetLedRangeList(const QStringList& ranges)
{
    rangeTexts = ranges.isEmpty() ? QStringList{QStringLiteral("0")} : ranges;
    state.ranges.clear();
    for (const QString& t : rangeTexts)
        state.ranges.push_back(t.trimmed().toInt());
    invalidate();
}

void TWC_LedVuChain::SetNrLeds(int n)
{
    if (n <= 0)
        return;
    state.nrLeds = n;
    AutoCalcSize();
    invalidate();
}

void TWC_LedVuChain::SetRange(int lo, int hi)
{
    state.valMin = lo;
    state.valMax = hi;
    ValChanged();
}

void TWC_LedVuChain::SetGeometry(int px, int py, int dx, int dy)
{
    posX = px;
    posY = py;
    divX = dx;
    divY = dy;
    AutoCalcSize();
    invalidate();
}

void TWC_LedVuChain::SetFilterMode(int mode)
{
    state.filterMode = mode;
    FilterSet();
}

void TWC_LedVuChain::SetFilterMs(int ms)
{
    state.setFilterMs(ms);
}

void TWC_LedVuChain::SetPiekValue(int v)
{
    state.piekValue = v;
    if (state.piekMode != PIEK_OFF)
        ValChanged();
}

void TWC_LedVuChain::SetPiekMode(int mode)
{
    state.piekMode = mode;
    PiekSet();
    PaintLeds(false);
}

void TWC_LedVuChain::SetPiekHoldMs(int ms)
{
    state.setPiekHoldMs(ms);
}

void TWC_LedVuChain::AutoCalcSize()
{
    if (!background.isNull())
        return;
    const int n = state.nrLeds + 1;
    const int w = divX >= 0 ? n * divX + posX : std::max(posX, std::abs(n * divX));
    const int h = divY >= 0 ? n * divY + posY : std::max(posY, std::abs(n * divY));
    // Only ever grows.
    resize(std::max({width(), w, 10}), std::max({height(), h, 10}));
}

void TWC_LedVuChain::SetVal(int v)
{
    if (BoundParam()) {
        link.setVal(v);
        return;
    }
    if (v != state.value) {
        state.value = v;
        ChangeFromMCtrl();
    }
}

void TWC_LedVuChain::ChangeFromMCtrl()
{
    if (!visibleFlag() || !isEnabled())
        return;
    ValChanged();
    if (OnCtrlChange)
        OnCtrlChange(this, state.value);
    SetValText();
}

void TWC_LedVuChain::ValChanged()
{
    if (MCtrl* p = BoundParam()) {
        state.valMin = 0;
        state.valMax = p->GetMax();
        state.value = p->GetVal();
    }
    state.valueChanged();
    wakeTick();
    PaintLeds(false);
}

bool TWC_LedVuChain::AnyMoving()
{
    for (const TWC_LedVuChain* c = head; c; c = c->next)
        if (c->state.moving())
            return true;
    return false;
}

void TWC_LedVuChain::wakeTick()
{
    if (state.moving())
        TResForm::WakeTick();
}

QPoint TWC_LedVuChain::LedPos(int k) const
{
    return QPoint(posX + divX * k, posY + divY * k);
}

void TWC_LedVuChain::paintCanvas(QPainter& p)
{
    if (!background.isNull())
        p.drawPixmap(0, 0, background);
}

void TWC_LedVuChain::paintOverlay()
{
    // What lies under the LEDs, to put back before an LED is drawn again.
    base = canvas.copy();
    PaintLeds(true);
}

void TWC_LedVuChain::PaintLeds(bool full)
{
    if (!leds || leds->count() == 0 || !isEnabled() || state.nrLeds == 0)
        return;
    if (!full && (!canvasReady() || base.isNull())) {
        invalidate();
        return;
    }
    QRegion dirty;
    for (int k = state.firstToRedraw(full); k < state.nrLeds; ++k) {
        int image = state.imageIndex(k);
        if (image >= leds->count())
            image = 0;
        const QRect device = imageRect(LedPos(k), leds->image(image));
        QPixmap under = base.copy(device);
        under.setDevicePixelRatio(1.0);
        restoreCanvas(device, under);
        QPainter p(&canvas);
        leds->draw(p, LedPos(k), image);
        dirty += logicalCover(device);
    }
    state.lastDrawn = static_cast<int>(state.level());
    if (!full)
        update(dirty);
}

void TWC_LedVuChain::OnMS20Timer()
{
    for (TWC_LedVuChain* c = this; c; c = c->next) {
        if (c->state.tick())
            c->PaintLeds(false);
    }
}
