#pragma once

#include <QObject>
#include <functional>

#include "midi/MidiDispatch.h"

class MidiPorts;

// Sees every key event before its target and every MIDI message once it has
// reached the GUI thread. Enter and Escape in a single-line edit field of the
// program arrive there as KeyConfirm and KeyCancel (the toolkit's own dialogs
// keep their keys); O and P reach the bass piano as its keys while
// pianoActive says so. MIDI goes on through the hooks.
class ApplicationFilter : public QObject {
    Q_OBJECT
public:
    explicit ApplicationFilter(QObject* parent = nullptr);

    void install(MidiPorts& ports);

    MidiHooks hooks;
    std::function<bool()> pianoActive;

protected:
    bool eventFilter(QObject* target, QEvent* event) override;
};
