#pragma once

#include <QObject>
#include <QPixmap>
#include <QTimer>

#include "controls/ImageList.h"

// The shared resources of the control set: the pictures every window's
// controls draw with and the 20 ms tick MS20 that fades the change highlight
// and drives the LED chains. Never shown. The first control creates it, with
// the application as owner, so it lives until the application ends.
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

private:
    explicit TResForm(QObject* owner);
    void MS20Timer();
};
