#include "controls/CustomControl.h"

#include <QEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QToolTip>

#include "controls/KeyCodes.h"
#include "controls/ResForm.h"

// ---- TB_Image ----

TB_Image::TB_Image(QWidget* parent) : QWidget(parent) {}

void TB_Image::SetPicture(const QPixmap& pm)
{
    pending = nullptr;
    // The copy the controls draw their background from shares the picture's
    // pixels: a pixmap painted on later detaches, so the copy keeps what was
    // set, without a second window-sized image in memory until then.
    picture = pm;
    copy = pm;
    if (!pm.isNull())
        resize((QSizeF(pm.size()) / pm.devicePixelRatio()).toSize());
    update();
}

void TB_Image::SetPictureLater(QSize size, std::function<QPixmap()> draw)
{
    picture = copy = QPixmap();
    pending = std::move(draw);
    resize(size);
    update();
}

void TB_Image::drawPending() const
{
    if (!pending)
        return;
    picture = pending();
    copy = picture;
    pending = nullptr;
}

const QPixmap& TB_Image::Picture() const
{
    drawPending();
    return picture;
}

const QPixmap& TB_Image::BackgroundCopy() const
{
    drawPending();
    return copy;
}

void TB_Image::paintEvent(QPaintEvent*)
{
    drawPending();
    if (picture.isNull())
        return;
    QPainter p(this);
    p.drawPixmap(0, 0, picture);
}

// ---- the shared value editor ----

namespace {

QPointer<QLineEdit> valedit;
// The control whose value the editor is open for.
QPointer<TWC_CustomControl> editOwner;
bool committing = false;

// Routes the editor's focus loss and key releases to the control it is open
// for; the editor is shared, so the target changes with every opening.
class ValEditWatcher : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        if (!editOwner || watched != valedit)
            return false;
        if (e->type() == QEvent::FocusOut)
            editOwner->ValEditExit(watched);
        else if (e->type() == QEvent::KeyRelease) {
            auto* key = static_cast<QKeyEvent*>(e);
            if (!key->isAutoRepeat())
                editOwner->ValEditKeyUp(watched, key->key(), key->modifiers());
        }
        return false;
    }
};

ValEditWatcher* watcher()
{
    static ValEditWatcher* w = new ValEditWatcher;
    return w;
}

} // namespace

// ---- class-wide state ----

int TWC_CustomControl::NrTWC = 0;
int TWC_CustomControl::HilightTime = 20;
int TWC_CustomControl::MouseDir = ModeCircular;
DragAnchor TWC_CustomControl::Drag;
bool TWC_CustomControl::ShowHintOn = true;
bool TWC_CustomControl::HintsOff = false;
TWC_CustomControl* TWC_CustomControl::pHLFirst = nullptr;

void TWC_CustomControl::SetModul(Modul** table)
{
    ParamLink::SetModul(table);
}

void TWC_CustomControl::SetValEdit(QLineEdit* edit)
{
    if (valedit)
        valedit->removeEventFilter(watcher());
    valedit = edit;
    editOwner = nullptr;
    if (edit) {
        edit->hide();
        edit->installEventFilter(watcher());
    }
}

QLineEdit* TWC_CustomControl::ValEdit()
{
    return valedit;
}

void TWC_CustomControl::HilightListTimer()
{
    for (TWC_CustomControl** at = &pHLFirst; *at;) {
        TWC_CustomControl* c = *at;
        if (c->TimerExecHilight()) {
            *at = c->nextHilight;
            c->nextHilight = nullptr;
        } else {
            at = &c->nextHilight;
        }
    }
}

// ---- life ----

TWC_CustomControl::TWC_CustomControl(QWidget* parent) : QWidget(parent), link(this)
{
    if (NrTWC++ == 0 || !TResForm::Instance())
        TResForm::Create();
    setFocusPolicy(Qt::StrongFocus);
    resize(30, 30);
}

TWC_CustomControl::~TWC_CustomControl()
{
    // Nothing may point at a control that is gone: the highlight list, the
    // value editor and the parameter's list of bindings.
    unlinkHilight();
    if (editOwner == this)
        editOwner = nullptr;
}

void TWC_CustomControl::unlinkHilight()
{
    for (TWC_CustomControl** at = &pHLFirst; *at; at = &(*at)->nextHilight) {
        if (*at == this) {
            *at = nextHilight;
            nextHilight = nullptr;
            return;
        }
    }
}

bool TWC_CustomControl::visibleFlag() const
{
    return !(isHidden() && testAttribute(Qt::WA_WState_ExplicitShowHide));
}

// ---- binding ----

void TWC_CustomControl::SetModix(int modix)
{
    link.setModix(modix, visibleFlag());
}

void TWC_CustomControl::SetMcix(int mcix)
{
    link.setMcix(mcix, visibleFlag());
}

void TWC_CustomControl::TWC_Show()
{
    link.attach();
}

void TWC_CustomControl::TWC_Hide()
{
    link.detach();
}

void TWC_CustomControl::ChangeFromMCtrl()
{
    if (!visibleFlag() || !isEnabled())
        return;
    if (OnCtrlChange)
        OnCtrlChange(this, GetVal());
    SetValText();
    UserChange = false;
    if (!HilightNow())
        invalidate();
}

// ---- value ----

void TWC_CustomControl::SetVal(int v)
{
    link.setVal(v);
}

int TWC_CustomControl::GetVal() const
{
    return link.getVal();
}

void TWC_CustomControl::SetEnabled(bool enabled)
{
    setEnabled(enabled);
    invalidate();
}

void TWC_CustomControl::SetValText()
{
    if (valLabel && OnValToText)
        OnValToText(valLabel, GetVal());
}

// ---- value label and editor ----

void TWC_CustomControl::SetValLabel(QLabel* label)
{
    if (valLabel)
        valLabel->removeEventFilter(this);
    valLabel = label;
    if (label)
        label->installEventFilter(this);
}

void TWC_CustomControl::TWC_ValLabelClick(QObject*)
{
    if (!valLabel || !valedit || !OnTextToVal)
        return;
    QLineEdit* edit = valedit;
    if (edit->parentWidget() != valLabel->parentWidget())
        edit->setParent(valLabel->parentWidget());
    editOwner = this;
    const QRect l = valLabel->geometry();
    const int top = l.top() + (l.height() - edit->height()) / 2;
    const int left = l.left() + (l.width() - edit->width()) / 2;
    edit->move(left, top);
    edit->setText(valLabel->text());
    edit->show();
    edit->raise();
    edit->selectAll();
    edit->setFocus(Qt::OtherFocusReason);
}

void TWC_CustomControl::ValEditExit(QObject*)
{
    QLineEdit* edit = valedit;
    // Hiding the editor takes its focus away, which reports here again.
    if (!edit || edit->isHidden() || committing)
        return;
    committing = true;
    if (!edit->text().isEmpty() && OnTextToVal) {
        int v = GetVal();
        OnTextToVal(edit, v);
        if (GetVal() != v) {
            UserChange = true;
            SetVal(v);
        }
    }
    edit->hide();
    committing = false;
}

void TWC_CustomControl::ValEditKeyUp(QObject* sender, int key, Qt::KeyboardModifiers)
{
    QLineEdit* edit = valedit;
    if (!edit)
        return;
    // Delete is left to the edit field's own key press: it already removes one
    // character when nothing is selected, and acting again on the release
    // would remove a second one.
    // The focus goes back first: leaving the field commits through its
    // exit-focus event, and the focus never passes through another control
    // on the way. The explicit commit covers a window without the focus.
    if (key == KeyConfirm) {
        setFocus(Qt::OtherFocusReason);
        ValEditExit(sender);
    } else if (key == KeyCancel) {
        edit->clear();
        setFocus(Qt::OtherFocusReason);
        ValEditExit(sender);
    }
}

bool TWC_CustomControl::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == valLabel && e->type() == QEvent::MouseButtonPress
        && static_cast<QMouseEvent*>(e)->button() == Qt::LeftButton) {
        TWC_ValLabelClick(watched);
        return true;
    }
    return QWidget::eventFilter(watched, e);
}

// ---- focus and highlight ----

void TWC_CustomControl::DoEnter()
{
    Focused = true;
    if (!Hilighted) {
        Hilighted = true;
        invalidate();
    }
}

void TWC_CustomControl::DoExit()
{
    Focused = false;
    if (HilightCount == 0 && Hilighted) {
        Hilighted = false;
        invalidate();
    }
}

bool TWC_CustomControl::HilightNow()
{
    if (Focused) {
        if (Hilighted)
            return false;
        Hilighted = true;
        invalidate();
        return true;
    }
    // The countdown needs the 20 ms tick, which sleeps while nothing fades.
    TResForm::WakeTick();
    if (HilightCount != 0) {
        HilightCount = HilightTime;
        return false;
    }
    HilightCount = HilightTime;
    nextHilight = pHLFirst;
    pHLFirst = this;
    Hilighted = true;
    invalidate();
    return true;
}

bool TWC_CustomControl::TimerExecHilight()
{
    if (HilightCount > 1) {
        --HilightCount;
        return false;
    }
    HilightCount = 0;
    if (Hilighted && !Focused) {
        Hilighted = false;
        invalidate();
    }
    return true;
}

void TWC_CustomControl::focusInEvent(QFocusEvent* e)
{
    QWidget::focusInEvent(e);
    DoEnter();
}

void TWC_CustomControl::focusOutEvent(QFocusEvent* e)
{
    QWidget::focusOutEvent(e);
    DoExit();
}

// ---- mouse ----

bool TWC_CustomControl::mouseDownCommon(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton)
        return false;
    if (valedit && !valedit->isHidden() && editOwner)
        editOwner->ValEditExit(valedit);
    // No hints from button down to button up, for every kind of press.
    ShowHintOn = !HintsOff;
    HintsOff = true;
    QToolTip::hideText();
    setFocus(Qt::MouseFocusReason);
    return true;
}

bool TWC_CustomControl::mouseUpCommon(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton)
        return false;
    HintsOff = !ShowHintOn;
    Drag.moving = false;
    return true;
}

bool TWC_CustomControl::valueKeyPress(QKeyEvent* e)
{
    // Enter belongs to the release, which opens the value editor; the press
    // must not reach a dialog's default button as well.
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter)
        return true;
    const bool keypad = e->modifiers() & Qt::KeypadModifier;
    if (keypad && (e->key() == Qt::Key_Plus || e->key() == Qt::Key_Minus)) {
        userStep(e->key() == Qt::Key_Plus ? 1 : -1);
        return true;
    }
    return false;
}

bool TWC_CustomControl::valueKeyRelease(QKeyEvent* e)
{
    if (e->isAutoRepeat())
        return false;
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        TWC_ValLabelClick(this);
        return true;
    }
    if (e->key() == Qt::Key_0 && (e->modifiers() & Qt::KeypadModifier)) {
        userSetVal(0);
        return true;
    }
    return false;
}

void TWC_CustomControl::applyKnobMove(const KnobMove& m)
{
    if (m.kind == KnobMove::Value)
        link.setVal(m.value);
    else if (m.kind == KnobMove::Relative)
        link.setRel(m.rel);
    if (m.kind == KnobMove::Value || m.kind == KnobMove::Relative)
        UserChange = true;
}

// A key that changes nothing (a step beyond the end) leaves UserChange as it
// was, so the next change from the unit is not taken for the user's.
void TWC_CustomControl::userSetVal(int v)
{
    const bool was = UserChange;
    const int before = GetVal();
    UserChange = true;
    link.setVal(v);
    if (GetVal() == before)
        UserChange = was;
}

void TWC_CustomControl::userStep(int delta)
{
    const bool was = UserChange;
    const int before = GetVal();
    UserChange = true;
    link.step(delta);
    if (GetVal() == before)
        UserChange = was;
}

bool TWC_CustomControl::event(QEvent* e)
{
    if (e->type() == QEvent::ToolTip && HintsOff)
        return true;
    return QWidget::event(e);
}

void TWC_CustomControl::SetParentImage(TB_Image* image)
{
    parentImage = image;
    invalidate();
}

// ---- cached drawing ----

void TWC_CustomControl::invalidate()
{
    canvasValid = false;
    update();
}

// Saved pieces are kept in device pixels and cover every pixel a picture
// drawn at a logical position touches, so that putting them back is exact at
// any pixel ratio, fractional ones included.
QRect TWC_CustomControl::imageRect(QPoint at, const QPixmap& image) const
{
    const qreal d = canvas.devicePixelRatio();
    const QSizeF drawn = QSizeF(image.size()) / image.devicePixelRatio() * d;
    return QRectF(QPointF(at) * d, drawn).toAlignedRect();
}

QRect TWC_CustomControl::logicalCover(const QRect& device) const
{
    const qreal d = canvas.devicePixelRatio();
    return QRectF(device.x() / d, device.y() / d, device.width() / d, device.height() / d).toAlignedRect();
}

QPixmap TWC_CustomControl::grabCanvas(const QRect& device) const
{
    QPixmap piece = canvas.copy(device);
    piece.setDevicePixelRatio(1.0);
    return piece;
}

void TWC_CustomControl::restoreCanvas(const QRect& device, const QPixmap& piece)
{
    const qreal d = canvas.devicePixelRatio();
    canvas.setDevicePixelRatio(1.0);
    {
        QPainter p(&canvas);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawPixmap(device.topLeft(), piece);
    }
    canvas.setDevicePixelRatio(d);
}

void TWC_CustomControl::renderCanvas()
{
    const qreal d = devicePixelRatioF();
    const QSize px(qCeil(width() * d), qCeil(height() * d));
    if (canvas.size() != px || canvas.devicePixelRatio() != d) {
        canvas = QPixmap(px);
        canvas.setDevicePixelRatio(d);
    }
    canvas.fill(Qt::transparent);
    {
        QPainter p(&canvas);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        if (parentImage && !parentImage->BackgroundCopy().isNull()) {
            const QPixmap& bg = parentImage->BackgroundCopy();
            const QWidget* top = window();
            const QPoint offset = mapTo(top, QPoint(0, 0)) - parentImage->mapTo(top, QPoint(0, 0));
            const qreal bd = bg.devicePixelRatio();
            p.drawPixmap(QRectF(0, 0, width(), height()), bg,
                         QRectF(offset.x() * bd, offset.y() * bd, width() * bd, height() * bd));
        }
        if (visibleFlag())
            paintCanvas(p);
    }
    if (visibleFlag())
        paintOverlay();
    canvasValid = true;
    ++fullRenders;
}

void TWC_CustomControl::paintEvent(QPaintEvent* e)
{
    if (!canvasReady() || !qFuzzyCompare(canvas.devicePixelRatio(), devicePixelRatioF()))
        renderCanvas();
    QPainter p(this);
    p.setClipRegion(e->region());
    p.drawPixmap(0, 0, canvas);
}

void TWC_CustomControl::changeEvent(QEvent* e)
{
    if (e->type() == QEvent::EnabledChange)
        invalidate();
    QWidget::changeEvent(e);
}

void TWC_CustomControl::resizeEvent(QResizeEvent* e)
{
    QWidget::resizeEvent(e);
    invalidate();
}
