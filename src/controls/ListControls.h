#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QTabBar>
#include <QTabWidget>
#include <functional>

#include "controls/ControlLogic.h"

// Ordinary list widgets bound to a parameter: the item, check state, page or
// tab index is the parameter's value. They have no value label and no
// highlight. A user's choice goes through SetValFromCtrl, so an out-of-range
// request that clamps to the current value still snaps the widget back.

// The binding part the four list controls share.
class ListBinding : public BoundControl {
public:
    ListBinding() : link(this) {}

    void SetModix(int modix) { link.setModix(modix, ownVisible()); }
    void SetMcix(int mcix) { link.setMcix(mcix, ownVisible()); }
    int Modix() const { return link.Modix(); }
    int Mcix() const { return link.Mcix(); }
    MCtrl* BoundParam() const { return link.bound(); }
    void TWC_Show() { link.attach(); }
    void TWC_Hide() { link.detach(); }
    int GetVal() const { return link.getVal(); }

    std::function<void(QWidget* sender, int val)> OnCtrlChange;

protected:
    virtual bool ownVisible() const = 0;
    ParamLink link;
};

class TWC_ComboBox : public QComboBox, public ListBinding {
    Q_OBJECT
public:
    explicit TWC_ComboBox(QWidget* parent = nullptr);
    void ChangeFromMCtrl() override;

protected:
    bool ownVisible() const override;

private:
    void userChange(int index);
    bool refreshing = false;
};

class TWC_CheckBox : public QCheckBox, public ListBinding {
    Q_OBJECT
public:
    explicit TWC_CheckBox(const QString& text = QString(), QWidget* parent = nullptr);
    void ChangeFromMCtrl() override;

protected:
    bool ownVisible() const override;
    void nextCheckState() override;
};

// The tab bar of a page control, which tells when the user works it.
class UserTabBar : public QTabBar {
    Q_OBJECT
public:
    explicit UserTabBar(QWidget* parent = nullptr) : QTabBar(parent) {}
    // True while a mouse, wheel or key event of the user is being handled.
    bool inUserInput = false;

protected:
    bool event(QEvent* e) override;
};

// Page and tab controls take a new index to their parameter only when the
// user chose it (a click, a key or the wheel on the tabs), as the combo box
// does; the code changing the index or adding pages leaves the parameter
// alone and raises no change event.
class TWC_PageControl : public QTabWidget, public ListBinding {
    Q_OBJECT
public:
    explicit TWC_PageControl(QWidget* parent = nullptr);
    void ChangeFromMCtrl() override;

signals:
    // The page changed, by the user or by the parameter.
    void pageChanged(int index);

protected:
    bool ownVisible() const override;
    bool event(QEvent* e) override;

private:
    void currentChange(int index);
    UserTabBar* bar;
    bool inUserInput = false;
    bool refreshing = false;
};

class TWC_TabControl : public QTabBar, public ListBinding {
    Q_OBJECT
public:
    explicit TWC_TabControl(QWidget* parent = nullptr);
    void ChangeFromMCtrl() override;
    // The tabs of the parameter's values, without the one that stands for a
    // value beyond them.
    int TabCount() const { return count() - (noTab >= 0 ? 1 : 0); }
    // No tab is selected: the parameter holds a value beyond the last tab.
    bool NoTabSelected() const { return noTab >= 0 && currentIndex() == noTab; }

signals:
    // The tab changed, by the user or by the parameter; -1 for no tab.
    void tabChanged(int index);

protected:
    bool ownVisible() const override;
    bool event(QEvent* e) override;
    void tabInserted(int index) override;

private:
    void currentChange(int index);
    void showNoTab();
    void dropNoTab();
    bool inUserInput = false;
    bool refreshing = false;
    // A hidden extra tab made current while no real tab may be: a tab bar
    // always has a current tab once it has any.
    int noTab = -1;
};
