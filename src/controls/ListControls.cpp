#include "controls/ListControls.h"

#include <QEvent>

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

// ---- user input on tabs ----

namespace {
bool isUserInput(const QEvent* e)
{
    switch (e->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Wheel:
        return true;
    default:
        return false;
    }
}

// Marks `flag` for the duration of one user input event.
template <typename Handle>
bool duringInput(QEvent* e, bool& flag, Handle handle)
{
    if (!isUserInput(e))
        return handle();
    const bool was = flag;
    flag = true;
    const bool result = handle();
    flag = was;
    return result;
}
} // namespace

bool UserTabBar::event(QEvent* e)
{
    return duringInput(e, inUserInput, [&] { return QTabBar::event(e); });
}

// ---- TWC_PageControl ----

TWC_PageControl::TWC_PageControl(QWidget* parent) : QTabWidget(parent), bar(new UserTabBar(this))
{
    setTabBar(bar);
    connect(this, &QTabWidget::currentChanged, this, &TWC_PageControl::currentChange);
}

bool TWC_PageControl::ownVisible() const
{
    return notHidden(this);
}

bool TWC_PageControl::event(QEvent* e)
{
    // The page widget's own keys (Ctrl+Tab, Ctrl+PageDown) are the user's too.
    return duringInput(e, inUserInput, [&] { return QTabWidget::event(e); });
}

void TWC_PageControl::currentChange(int index)
{
    if (refreshing || !(inUserInput || bar->inUserInput) || index < 0)
        return;
    emit pageChanged(index);
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
    connect(this, &QTabBar::currentChanged, this, &TWC_TabControl::currentChange);
}

bool TWC_TabControl::ownVisible() const
{
    return notHidden(this);
}

bool TWC_TabControl::event(QEvent* e)
{
    return duringInput(e, inUserInput, [&] { return QTabBar::event(e); });
}

void TWC_TabControl::currentChange(int index)
{
    if (refreshing || !inUserInput || index < 0 || index == noTab)
        return;
    dropNoTab();
    emit tabChanged(index);
    link.setValFromCtrl(index);
}

void TWC_TabControl::showNoTab()
{
    if (noTab < 0) {
        noTab = addTab(QString());
        setTabVisible(noTab, false);
        setTabEnabled(noTab, false);
    }
    setCurrentIndex(noTab);
}

void TWC_TabControl::dropNoTab()
{
    if (noTab < 0)
        return;
    const int at = noTab;
    noTab = -1;
    const bool was = refreshing;
    refreshing = true;
    removeTab(at);
    refreshing = was;
}

void TWC_TabControl::tabInserted(int index)
{
    QTabBar::tabInserted(index);
    if (noTab < 0)
        return;
    // Tabs added later go before the hidden one, which stays last.
    if (index <= noTab)
        ++noTab;
    if (noTab != count() - 1) {
        const bool was = refreshing;
        refreshing = true;
        moveTab(noTab, count() - 1);
        noTab = count() - 1;
        refreshing = was;
    }
}

void TWC_TabControl::ChangeFromMCtrl()
{
    const int v = link.getVal();
    if (OnCtrlChange)
        OnCtrlChange(this, v);
    const int shown = NoTabSelected() ? -1 : currentIndex();
    const int wanted = v >= 0 && v < TabCount() ? v : -1;
    if (wanted != shown) {
        refreshing = true;
        if (wanted < 0) {
            showNoTab();
        } else {
            setCurrentIndex(wanted);
            dropNoTab();
        }
        refreshing = false;
        emit tabChanged(NoTabSelected() ? -1 : currentIndex());
    }
}
