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

private:
    void userChange(int index);
    bool refreshing = false;
    int lastIndex = -1;
};

class TWC_TabControl : public QTabBar, public ListBinding {
    Q_OBJECT
public:
    explicit TWC_TabControl(QWidget* parent = nullptr);
    void ChangeFromMCtrl() override;

signals:
    void tabChanged(int index);

protected:
    bool ownVisible() const override;

private:
    void userChange(int index);
    bool refreshing = false;
    int lastIndex = -1;
};
