#pragma once

#include <QApplication>

// The busy pointer while the program waits for the unit. Each owner pushes
// the pointer once at most, so switching it on twice needs one switch off.
class BusyPointer {
public:
    ~BusyPointer() { set(false); }

    void set(bool on)
    {
        if (on == active)
            return;
        active = on;
        if (on)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        else
            QApplication::restoreOverrideCursor();
    }
    bool isOn() const { return active; }

private:
    bool active = false;
};
