#pragma once

#include <QApplication>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>
#include <memory>
#include <optional>

#include "controls/ControlArt.h"
#include "controls/CustomControl.h"
#include "controls/ImgKnob.h"
#include "controls/ResForm.h"
#include "model/Parameters.h"
#include "support/ProgramState.h"

// Guitar preset parameters used by the tests.
enum : int {
    McGain = GuitarPreset::Gain,
    McVolume = GuitarPreset::Volume,
    McAmpModel = GuitarPreset::AmpModel,
    McEffectsOn = GuitarPreset::EffectsOn,
    McReverbOn = GuitarPreset::ReverbOn,
    McCabinet = GuitarPreset::Cabinet,
    McReverbType = GuitarPreset::ReverbType,
    McDriveOn = GuitarPreset::DriveOn,
    McDelayType = GuitarPreset::DelayType,
};

// Fresh program state and modules for every test, handed to the controls; the 20 ms tick is
// held so that tests step the highlight and LED timers themselves.
class ControlTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        state.emplace(ModelDrux2);
        TWC_CustomControl::SetModul(ModuleTable);
        TResForm::Create()->ManualTick = true;
        TResForm::Instance()->MS20.stop();
        TWC_CustomControl::MouseDir = ModeCircular;
        TWC_CustomControl::Drag = DragAnchor();
        TWC_CustomControl::HintsOff = false;
    }

    void TearDown() override
    {
        window.reset();
        TWC_CustomControl::SetValEdit(nullptr);
        state.reset();
        TWC_CustomControl::SetModul(nullptr);
        TResForm::Instance()->ManualTick = false;
    }

    QWidget& win()
    {
        if (!window) {
            window = std::make_unique<QWidget>();
            window->resize(400, 300);
        }
        return *window;
    }

    void showActive()
    {
        win().show();
        QApplication::setActiveWindow(&win());
        ASSERT_TRUE(QTest::qWaitForWindowActive(&win()));
    }

    // A black image knob 52 x 52, centre (26, 26), dot circle radius 14 with
    // an 8 x 8 dot: clicks within 10 pixels of the centre start a drag.
    TWC_ImgKnob* imageKnob(int mcix)
    {
        auto* k = new TWC_ImgKnob(&win());
        TResForm* res = TResForm::Instance();
        k->SetBGndImagelist(&res->KnobBlack);
        k->SetDotImagelist(&res->DotsLight);
        k->SetKnobMid(26, 26);
        k->SetDotPos(14);
        k->SetModix(ModixPreset);
        k->SetMcix(mcix);
        FlushPending();
        return k;
    }

    static MCtrl& preset(int mcix) { return Param(ModixPreset, mcix); }

    static void press(QWidget* w, QPoint at, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QMouseEvent e(QEvent::MouseButtonPress, at, w->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, mods);
        QCoreApplication::sendEvent(w, &e);
    }
    static void move(QWidget* w, QPoint at, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QMouseEvent e(QEvent::MouseMove, at, w->mapToGlobal(at), Qt::NoButton, Qt::LeftButton, mods);
        QCoreApplication::sendEvent(w, &e);
    }
    static void release(QWidget* w, QPoint at, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QMouseEvent e(QEvent::MouseButtonRelease, at, w->mapToGlobal(at), Qt::LeftButton, Qt::NoButton, mods);
        QCoreApplication::sendEvent(w, &e);
    }
    static void key(QWidget* w, QEvent::Type type, int code, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QKeyEvent e(type, code, mods);
        QCoreApplication::sendEvent(w, &e);
    }
    static void tick(int n)
    {
        for (int i = 0; i < n; ++i)
            TWC_CustomControl::HilightListTimer();
    }
    static int hilightListLength()
    {
        int n = 0;
        for (auto* c = TWC_CustomControl::HilightListHead(); c; c = c->NextHilighted())
            ++n;
        return n;
    }

    std::optional<ProgramState> state;
    std::unique_ptr<QWidget> window;
};
