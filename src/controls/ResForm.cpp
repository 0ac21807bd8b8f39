#include "controls/ResForm.h"

#include <QGuiApplication>
#include <QPointer>

#include "controls/ControlArt.h"
#include "controls/CustomControl.h"
#include "controls/LedVuChain.h"

namespace {
QPointer<TResForm> instance;
constexpr int TickMs = 20;
}

TResForm* TResForm::Create()
{
    if (!instance)
        instance = new TResForm(QCoreApplication::instance());
    return instance;
}

TResForm* TResForm::Instance()
{
    return instance;
}

TResForm::TResForm(QObject* owner) : QObject(owner)
{
    setObjectName(QStringLiteral("ResForm"));
    // Drawn for the densest screen, so pictures stay sharp everywhere.
    const qreal dpr = qApp ? qApp->devicePixelRatio() : 1.0;
    using namespace ControlArt;
    Knob8 = KnobDisc(false, QColor(0, 0, 128), dpr);
    Knob10 = KnobDisc(true, QColor(0, 0, 128), dpr);
    KnobBlack = KnobBodies(KnobStyle::Black, dpr);
    KnobMetal = KnobBodies(KnobStyle::Metal, dpr);
    DotsLight = KnobDots(KnobStyle::Black, dpr);
    DotsDark = KnobDots(KnobStyle::Metal, dpr);
    Buttons = ButtonStrip(QSize(46, 28), dpr);
    Leds = ControlArt::Leds(QSize(9, 16), dpr);
    FaderKnobH = FaderKnobs(true, dpr);
    FaderKnobV = FaderKnobs(false, dpr);

    MS20.setInterval(TickMs);
    connect(&MS20, &QTimer::timeout, this, &TResForm::MS20Timer);
}

void TResForm::Wake()
{
    if (!ManualTick && !MS20.isActive())
        MS20.start();
}

void TResForm::WakeTick()
{
    if (instance)
        instance->Wake();
}

void TResForm::MS20Timer()
{
    TWC_CustomControl::HilightListTimer();
    if (TWC_LedVuChain::head)
        TWC_LedVuChain::head->OnMS20Timer();
    if (!TWC_CustomControl::HilightListHead() && !TWC_LedVuChain::AnyMoving())
        MS20.stop();
}
