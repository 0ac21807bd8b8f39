#include "controls/ListControls.h"

namespace {
bool notHidden(const QWidget* w)
{
    return !(w->isHidden() && w->testAttribute(Qt::WA_WState_ExplicitShowHide));
}
}

// ---- TWC_ComboBox ----

TWC_ComboBox::TWC_ComboBox(QWidget* parent) : QComboBox(parent)
{
    // Only a user's choice reaches the parameter, not items being added.
    connect(this, &QComboBox::activated, this, &TWC_ComboBox::userChange);
}

bool TWC_ComboBox::ownVisible() const
{
    return notHidden(this);
}

void TWC_ComboBox::userChange(int index)
{
    if (refreshing || index < 0)
        return;
    link.setValFromCtrl(index);
}

void TWC_ComboBox::ChangeFromMCtrl()
{
    int v = link.getVal();
    if (OnCtrlChange)
        OnCtrlChange(this, v);
    if (v >= count())
        v = -1;
    if (v != currentIndex()) {
        refreshing = true;
        setCurrentIndex(v);
        refreshing = false;
    }
}

// ---- TWC_CheckBox ----

TWC_CheckBox::TWC_CheckBox(const QString& text, QWidget* parent) : QCheckBox(text, parent) {}

bool TWC_CheckBox::ownVisible() const
{
    return notHidden(this);
}

void TWC_CheckBox::nextCheckState()
{
    QCheckBox::nextCheckState();
    link.setValFromCtrl(isChecked() ? 1 : 0);
}

void TWC_CheckBox::ChangeFromMCtrl()
{
    const int v = link.getVal();
    if (OnCtrlChange)
        OnCtrlChange(this, v);
    if ((v != 0) != isChecked())
        setChecked(v != 0);
}

// ---- TWC_PageControl ----

TWC_PageControl::TWC_PageControl(QWidget* parent) : QTabWidget(parent)
{
    connect(this, &QTabWidget::currentChanged, this, &TWC_PageControl::userChange);
}

bool TWC_PageControl::ownVisible() const
{
    return notHidden(this);
}

void TWC_PageControl::userChange(int index)
{
    // Leaving "no current" only happens when the first entry is added.
    const bool fromNone = lastIndex < 0;
    lastIndex = index;
    if (refreshing)
        return;
    emit pageChanged(index);
    if (index >= 0 && !fromNone)
        link.setValFromCtrl(index);
}

void TWC_PageControl::ChangeFromMCtrl()
{
    const int v = link.getVal();
    if (OnCtrlChange)
        OnCtrlChange(this, v);
    if (v != currentIndex()) {
        refreshing = true;
        setCurrentIndex(v);
        refreshing = false;
        emit pageChanged(currentIndex());
    }
}

// ---- TWC_TabControl ----

TWC_TabControl::TWC_TabControl(QWidget* parent) : QTabBar(parent)
{
    connect(this, &QTabBar::currentChanged, this, &TWC_TabControl::userChange);
}

bool TWC_TabControl::ownVisible() const
{
    return notHidden(this);
}

void TWC_TabControl::userChange(int index)
{
    // Leaving "no current" only happens when the first entry is added.
    const bool fromNone = lastIndex < 0;
    lastIndex = index;
    if (refreshing)
        return;
    emit tabChanged(index);
    if (index >= 0 && !fromNone)
        link.setValFromCtrl(index);
}

void TWC_TabControl::ChangeFromMCtrl()
{
    const int v = link.getVal();
    if (OnCtrlChange)
        OnCtrlChange(this, v);
    if (v != currentIndex()) {
        refreshing = true;
        setCurrentIndex(v < count() ? v : -1);
        refreshing = false;
        emit tabChanged(currentIndex());
    }
}
