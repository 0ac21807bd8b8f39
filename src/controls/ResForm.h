#pragma once

#include <QObject>
#include <QPixmap>
#include <QTimer>

#include "controls/ImageList.h"

// The shared resources of the control set: the pictures every window's
// controls draw with and the 20 ms tick MS20 that fades the change highlight
// and drives the LED chains. Never shown. The first control creates it, with
// the application as owner, so it lives until the application ends.
//
// The tick runs only while it has work: while a control is in the highlight
// list or an LED chain falls or holds its peak. A control that starts to
// need it wakes it; the tick that finds nothing left to do stops it, so an
// idle program is not woken 50 times a second.
class TResForm : public QObject {
    Q_OBJECT
public:
    static TResForm* Create();
    static TResForm* Instance();

    QPixmap Knob8;
    QPixmap Knob10;
    // Picture sets for windows that place knobs, buttons, faders and LEDs.
    TImageList KnobBlack;
    TImageList KnobMetal;
    TImageList DotsLight;
    TImageList DotsDark;
    TImageList Buttons;
    TImageList Leds;
    TImageList FaderKnobH;
    TImageList FaderKnobV;

    QTimer MS20;
    // Starts the tick unless it runs (or is held for stepping by hand).
    void Wake();
    static void WakeTick();
    // While set, the tick never starts by itself: tests step it by hand.
    bool ManualTick = false;

private:
    explicit TResForm(QObject* owner);
    void MS20Timer();
};
