#include "controls/ImgButton.h"

#include <QKeyEvent>
#include <QMouseEvent>

TWC_ImgButton::TWC_ImgButton(QWidget* parent) : TWC_CustomControl(parent) {}

void TWC_ImgButton::SetImageList(const TImageList* list)
{
    images = list;
    if (list && list->count() > 0)
        resize(list->size());
    invalidate();
}

void TWC_ImgButton::SetIsPushButton(bool on)
{
    isPush = on && !isRadio;
}

void TWC_ImgButton::SetIsRadioButton(bool on)
{
    isRadio = on;
    if (on)
        isPush = false;
}

void TWC_ImgButton::SetVal(int v)
{
    if (BoundParam()) {
        link.setVal(v);
        return;
    }
    if ((v != 0) != down) {
        down = v != 0;
        ChangeFromMCtrl();
    }
}

int TWC_ImgButton::GetVal() const
{
    return BoundParam() ? link.getVal() : (down ? 1 : 0);
}

void TWC_ImgButton::ChangeFromMCtrl()
{
    if (!visibleFlag() || !isEnabled())
        return;
    down = GetVal() != 0;
    if (isRadio)
        HandleRadioButtons(!down);
    if (OnCtrlChange)
        OnCtrlChange(this, down ? 1 : 0);
    SetValText();
    if (!HilightNow())
        invalidate();
    UserChange = false;
}

void TWC_ImgButton::HandleRadioButtons(bool select)
{
    QWidget* parent = parentWidget();
    if (!parent)
        return;
    // Bound members follow their parameters one refresh at a time: the member
    // that went up may hear of it after another has gone down. Putting a
    // member down then would undo the user's choice.
    if (select) {
        for (QObject* child : parent->children()) {
            auto* other = qobject_cast<TWC_ImgButton*>(child);
            if (other && other != this && other->isRadio && other->Down())
                return;
        }
    }
    for (QObject* child : parent->children()) {
        auto* other = qobject_cast<TWC_ImgButton*>(child);
        if (!other || other == this || !other->isRadio)
            continue;
        // Cleared for the call so that the member does not run the group again.
        other->isRadio = false;
        other->SetVal(select ? 1 : 0);
        other->isRadio = true;
        if (select)
            return;
    }
}

void TWC_ImgButton::paintCanvas(QPainter& p)
{
    if (!images)
        return;
    int index = 0;
    if (images->count() == 5 && isEnabled())
        index = 1 + (down ? 1 : 0) + (Hilighted ? 2 : 0);
    images->draw(p, QPoint(0, 0), index);
}

void TWC_ImgButton::userSetVal(int v)
{
    const bool was = UserChange;
    const int before = GetVal();
    UserChange = true;
    SetVal(v);
    // A press that changes nothing, such as one on the lit lamp of a radio
    // group, must leave no user change behind: the next change from
    // elsewhere would be taken for the user's.
    if (GetVal() == before)
        UserChange = was;
}

void TWC_ImgButton::click()
{
    userSetVal(isPush || isRadio ? 1 : (down ? 0 : 1));
}

void TWC_ImgButton::release()
{
    if (isPush && !isRadio)
        SetVal(0);
}

void TWC_ImgButton::mousePressEvent(QMouseEvent* e)
{
    if (!mouseDownCommon(e)) {
        TWC_CustomControl::mousePressEvent(e);
        return;
    }
    click();
}

void TWC_ImgButton::mouseReleaseEvent(QMouseEvent* e)
{
    if (!mouseUpCommon(e)) {
        TWC_CustomControl::mouseReleaseEvent(e);
        return;
    }
    release();
}

namespace {
bool isClickKey(const QKeyEvent* e)
{
    return e->key() == Qt::Key_Space || e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter;
}
}

void TWC_ImgButton::keyPressEvent(QKeyEvent* e)
{
    if (!isClickKey(e)) {
        TWC_CustomControl::keyPressEvent(e);
        return;
    }
    if (!e->isAutoRepeat())
        click();
}

void TWC_ImgButton::keyReleaseEvent(QKeyEvent* e)
{
    if (!isClickKey(e)) {
        TWC_CustomControl::keyReleaseEvent(e);
        return;
    }
    if (e->isAutoRepeat())
        return;
    if (isPush && !isRadio)
        userSetVal(0);
}
