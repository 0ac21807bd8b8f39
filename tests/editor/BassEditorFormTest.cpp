#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

#include "controls/ImgButton.h"
#include "controls/ImgKnob.h"
#include "controls/ListControls.h"
#include "controls/ResForm.h"
#include "editor/BassEditorForm.h"
#include "editor/EditorForm.h"
#include "editor/EditorFixture.h"
#include "files/Preferences.h"
#include "model/RecordingUnit.h"
#include "model/EditorLink.h"

namespace {

// Bass preset parameters the tests look at.
enum : int {
    McGain = BassPreset::Gain,
    McVolume = BassPreset::Volume,
    McDensity = BassPreset::CompDensity,
    McAmpModel = BassPreset::AmpModel,
    McMidShift = BassPreset::MidShift,
    McCompAttack = BassPreset::CompAttack,
    McCabinet = BassPreset::Cabinet,
    McXoverFreq = BassPreset::XoverFrequency,
    McXoverBalance = BassPreset::XoverBalance,
    McExpander = BassPreset::Expander,
    McSensitivity = BassPreset::Sensitivity,
    McPedal = BassPreset::Pedal,
    McWahPosition = BassPreset::WahPosition,
    McPreFxMode = BassPreset::PreFxMode,
    McWahDepth = BassPreset::WahDepth,
    McPostFxMode = BassPreset::PostFxMode,
    McFx4 = BassPreset::Fx4,
    McFx5 = BassPreset::Fx5,
    McFx7 = BassPreset::Fx7,
    McDelayUpper = BassPreset::DelayTimeUpper,
    McDelayLower = BassPreset::DelayTimeLower,
    McDelayWhole = BassPreset::DelayTime,
    McIntervalWithKey = BassPreset::IntervalWithKey,
    McIntervalWithoutKey = BassPreset::IntervalWithoutKey,
    McSynthKey = BassPreset::SynthKey,
};

MCtrl& bass(int mcix) { return Param(ModixBassPreset, mcix); }

using Messages = std::vector<std::pair<int, int>>;

struct BassLink : EditorLink {
    TBassEditF* form = nullptr;
    std::string presetName() override { return form->PresetNameText(); }
};

// A bass editor on fresh modules for a bass unit, showing a preset with the
// compressor, crossover, denoiser, pedal and wah in use; it is both the
// original and the edit buffer.
class BassEditor : public ::testing::Test, protected EditorFixture<TBassEditF> {
protected:
    void SetUp() override
    {
        EditorServices services;
        services.sendNoteOn = [this](int note, int velocity) { notes.emplace_back(note, velocity); };
        services.sendNoteOff = [this](int note, int velocity) { notes.emplace_back(-note, velocity); };
        setUpEditor(ModelBass, services);
        link.form = form.get();
        SetEditorLink(true, &link);
        takeStart({{McGain, 70}, {McVolume, 100}, {McDensity, 40}, {McAmpModel, 5}, {McMidShift, 30},
                   {McCabinet, 7}, {McXoverFreq, 20}, {McXoverBalance, 64}, {McExpander, 3},
                   {McSensitivity, 50}, {21, 60}, {McPedal, 2}, {26, 3}, {McWahPosition, 50},
                   {McPreFxMode, 2}, {McPostFxMode, 1}, {McDelayUpper, 10}, {McDelayLower, 20}},
                  "Deep Slap");
    }

    void TearDown() override { tearDownEditor(); }

    static void stepUp(TWC_ImgKnob* knob, int steps = 1)
    {
        for (int i = 0; i < steps; ++i) {
            QKeyEvent e(QEvent::KeyPress, Qt::Key_Plus, Qt::KeypadModifier);
            QCoreApplication::sendEvent(knob, &e);
        }
        FlushPending();
    }
    static void turnTo(TWC_ImgKnob* knob, int value)
    {
        knob->UserChange = true;
        knob->SetVal(value);
        FlushPending();
    }
    void key(QEvent::Type type, int code, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QWidget* f = QApplication::focusWidget();
        QKeyEvent e(type, code, mods);
        QCoreApplication::sendEvent(f ? f : form.get(), &e);
        FlushPending();
    }
    void press(int code, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        key(QEvent::KeyPress, code, mods);
        key(QEvent::KeyRelease, code, mods);
    }

    Messages sentOn(int cc) const
    {
        Messages out;
        for (auto m : unit.controllers)
            if (m.first == cc)
                out.push_back(m);
        return out;
    }

    // The piano under the mouse, in its own pixels.
    void pianoPress(QPoint at) { QTest::mousePress(form->Piano, Qt::LeftButton, Qt::NoModifier, at); }
    void pianoDrag(QPoint to)
    {
        QMouseEvent move(QEvent::MouseMove, to, form->Piano->mapToGlobal(to), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QCoreApplication::sendEvent(form->Piano, &move);
    }
    void pianoRelease(QPoint at) { QTest::mouseRelease(form->Piano, Qt::LeftButton, Qt::NoModifier, at); }

    BassLink link;
    Messages notes; // note on as (note, velocity), note off as (-note, velocity)
};

// ---- knobs and lists ----

TEST_F(BassEditor, KnobsReachTheUnitAsTheirControllers)
{
    showActive();
    struct Row {
        TWC_ImgKnob* knob;
        int cc;
        int factor; // the split counts in sevens
    };
    const Row rows[] = {
        {form->KnbPre1, 12, 1},      {form->KnbPre2, 22, 1},      {form->KnbPre5, 24, 1},   {form->KnbPre8, 16, 1},
        {form->KnbComp1, 18, 1},     {form->KnbComp2, 26, 1},     {form->KnbXover1, 28, 1}, {form->KnbXover2, 29, 1},
        {form->KnbDenoise2, 30, 1},  {form->KnbDenoise3, 31, 1},  {form->KnbStomp1, 37, 7}, {form->KnbStomp3, 35, 1},
        {form->KnbWah1, 49, 1},      {form->KnbWah3, 51, 1},      {form->KnbFx[0], 40, 1},  {form->KnbFx[4], 44, 1},
    };
    for (const Row& r : rows) {
        unit.controllers.clear();
        const int before = bass(r.knob->Mcix()).value;
        stepUp(r.knob);
        EXPECT_EQ(sentOn(r.cc), (Messages{{r.cc, (before + 1) * r.factor}})) << "controller " << r.cc;
    }

    // The delay time of "Delay Chorus" is one knob over two 7-bit halves.
    unit.controllers.clear();
    EXPECT_EQ(form->KnbFx[6]->Mcix(), McDelayWhole);
    stepUp(form->KnbFx[6]);
    ASSERT_FALSE(sentOn(46).empty());
    EXPECT_EQ(sentOn(46).back().second, 21);
    EXPECT_TRUE(sentOn(45).empty() || sentOn(45).back().second == 10);

    // Lists and the bound switches.
    unit.controllers.clear();
    choose(form->cbCabModel, 9);
    choose(form->cbPostFxMode, 4);
    const bool fxOn = form->KnbFxOn->Down();
    click(form->KnbFxOn);
    EXPECT_EQ(sentOn(23), (Messages{{23, 9}}));
    EXPECT_EQ(sentOn(39), (Messages{{39, 4}}));
    EXPECT_EQ(sentOn(21), (Messages{{21, fxOn ? 0 : 127}}));
}

TEST_F(BassEditor, PreampBypassTakesTheToneKnobsOutAndTheSwitchBringsTheModelBack)
{
    showActive();
    EXPECT_TRUE(form->KnbAmpBypass->Down());
    choose(form->cbAmpModel, 32);
    EXPECT_FALSE(form->KnbAmpBypass->Down());
    for (auto [knob, label] : {std::pair{form->KnbPre1, form->vlPre1}, std::pair{form->KnbPre5, form->vlPre5},
                               std::pair{form->KnbPre7, form->vlPre7}}) {
        EXPECT_FALSE(knob->isEnabled());
        EXPECT_TRUE(label->text().isEmpty());
    }
    EXPECT_TRUE(form->KnbPre8->isEnabled());
    EXPECT_EQ(form->vlPre8->text(), "100");

    unit.controllers.clear();
    click(form->KnbAmpBypass);
    EXPECT_EQ(bass(McAmpModel).value, 5);
    EXPECT_EQ(sentOn(61), (Messages{{61, 5}}));
    EXPECT_TRUE(form->KnbPre1->isEnabled());
    EXPECT_EQ(form->vlPre1->text(), "70");

    // Released by the user: the model goes to the bypass and comes back.
    click(form->KnbAmpBypass);
    EXPECT_EQ(bass(McAmpModel).value, 32);
    click(form->KnbAmpBypass);
    EXPECT_EQ(bass(McAmpModel).value, 5);
}

TEST_F(BassEditor, FifthToneKnobIsMidShiftOrShapeByAmpModel)
{
    struct Row {
        int model;
        bool midShift;
    };
    for (const Row r : {Row{5, false}, Row{6, true}, Row{10, true}, Row{14, true}, Row{23, false}, Row{24, true},
                        Row{31, true}, Row{0, false}}) {
        choose(form->cbAmpModel, r.model);
        EXPECT_EQ(form->lbPre5->text(), r.midShift ? "Mid-Shift" : "Shape") << "model " << r.model;
        // A shape knob at 0 is off and hides its dot; a mid shift is not.
        EXPECT_EQ(form->KnbPre5->NullIsOff(), !r.midShift) << "model " << r.model;
    }
}

TEST_F(BassEditor, CompressorSwitchAndDensity)
{
    showActive();
    EXPECT_TRUE(form->KnbComp2->isEnabled());
    unit.controllers.clear();
    click(form->KnbCompOn);
    EXPECT_EQ(bass(McDensity).value, 0);
    EXPECT_EQ(sentOn(18), (Messages{{18, 0}}));
    EXPECT_EQ(sentOn(38), (Messages{{38, 0}}));
    EXPECT_FALSE(form->KnbComp2->isEnabled());
    EXPECT_TRUE(form->vlComp2->text().isEmpty());

    click(form->KnbCompOn);
    EXPECT_EQ(bass(McDensity).value, 40);
    EXPECT_TRUE(form->KnbComp2->isEnabled());
    EXPECT_EQ(form->vlComp2->text(), QString::number(bass(McCompAttack).value));

    // The density knob at 0 takes "Attack" out by itself.
    turnTo(form->KnbComp1, 0);
    EXPECT_FALSE(form->KnbComp2->isEnabled());
    turnTo(form->KnbComp1, 12);
    EXPECT_TRUE(form->KnbComp2->isEnabled());
}

TEST_F(BassEditor, CrossoverSwitchFollowsTheFrequencyAndResendsTheBalance)
{
    showActive();
    EXPECT_TRUE(form->KnbXoverOn->Down());
    EXPECT_EQ(form->vlXover1->text(), "200 Hz");
    turnTo(form->KnbXover1, 0);
    EXPECT_FALSE(form->KnbXoverOn->Down());
    EXPECT_FALSE(form->KnbXover2->isEnabled());
    EXPECT_TRUE(form->vlXover2->text().isEmpty());

    unit.controllers.clear();
    click(form->KnbXoverOn);
    EXPECT_EQ(bass(McXoverFreq).value, 20);
    EXPECT_EQ(sentOn(28), (Messages{{28, 20}}));
    // The balance goes to the unit again although it did not change.
    EXPECT_EQ(sentOn(29), (Messages{{29, 64}}));
    EXPECT_TRUE(form->KnbXover2->isEnabled());

    unit.controllers.clear();
    click(form->KnbXoverOn);
    EXPECT_EQ(sentOn(28), (Messages{{28, 0}}));
    EXPECT_TRUE(sentOn(29).empty());
}

TEST_F(BassEditor, DenoiserSwitchNeedsBothExpanderAndSensitivity)
{
    showActive();
    EXPECT_TRUE(form->KnbDenoiserOn->Down());
    click(form->KnbDenoiserOn);
    EXPECT_EQ(bass(McExpander).value, 0);
    EXPECT_EQ(bass(McSensitivity).value, 0);
    EXPECT_FALSE(form->KnbDenoise3->isEnabled());
    click(form->KnbDenoiserOn);
    EXPECT_EQ(bass(McExpander).value, 3);
    EXPECT_EQ(bass(McSensitivity).value, 50);
    EXPECT_TRUE(form->KnbDenoiserOn->Down());
    EXPECT_TRUE(form->KnbDenoise3->isEnabled());

    turnTo(form->KnbDenoise1, 0);
    EXPECT_FALSE(form->KnbDenoiserOn->Down());
    EXPECT_TRUE(form->KnbDenoise3->isEnabled());
    turnTo(form->KnbDenoise1, 2);
    EXPECT_TRUE(form->KnbDenoiserOn->Down());
    turnTo(form->KnbDenoise2, 0);
    EXPECT_FALSE(form->KnbDenoiserOn->Down());
    EXPECT_FALSE(form->KnbDenoise3->isEnabled());
}

TEST_F(BassEditor, CabinetSwitchFollowsTheListAndBringsTheCabinetBack)
{
    showActive();
    choose(form->cbCabModel, 0);
    EXPECT_FALSE(form->KnbCabBypass->Down());
    click(form->KnbCabBypass);
    EXPECT_EQ(bass(McCabinet).value, 7);
    EXPECT_EQ(form->cbCabModel->currentText(), "Ampeg B-15 1x15\"");
}

// ---- modes ----

TEST_F(BassEditor, PreEffectModeRebindsTheWahKnob)
{
    showActive();
    EXPECT_EQ(form->KnbWah1->Mcix(), McWahDepth);
    EXPECT_EQ(form->lbWah1->text(), "Depth");
    unit.controllers.clear();
    choose(form->cbPreFxMode, 0);
    EXPECT_EQ(form->KnbWah1->Mcix(), McWahPosition);
    EXPECT_EQ(form->lbWah1->text(), "Wah");
    EXPECT_EQ(bass(McWahPosition).value, 0);
    EXPECT_EQ(sentOn(27), (Messages{{27, 0}}));
    EXPECT_EQ(form->vlWah1->text(), "0");
    for (auto [knob, label] : {std::pair{form->KnbWah2, form->vlWah2}, std::pair{form->KnbWah3, form->vlWah3}}) {
        EXPECT_FALSE(knob->isEnabled());
        EXPECT_TRUE(label->text().isEmpty());
    }
    choose(form->cbPreFxMode, 1);
    EXPECT_EQ(form->KnbWah1->Mcix(), McWahDepth);
    EXPECT_TRUE(form->KnbWah2->isEnabled());
    EXPECT_TRUE(form->KnbWah3->isEnabled());
}

TEST_F(BassEditor, PresetInMidiWahModeKeepsItsPedalPosition)
{
    PresetRecord wah = *OriginalRecord;
    wah.data[McPreFxMode - 1] = 0;
    wah.data[McWahPosition - 1] = 50;
    form->TakePreset(wah);
    FlushPending();
    showActive();
    EXPECT_EQ(form->KnbWah1->Mcix(), McWahPosition);
    EXPECT_EQ(bass(McWahPosition).value, 50);
    EXPECT_TRUE(sentOn(27).empty());
    tick();
    EXPECT_FALSE(form->Edited());
}

TEST_F(BassEditor, ChoosingTheShownPreEffectModeAgainLeavesALaterMidiWahPresetAlone)
{
    showActive();
    choose(form->cbPreFxMode, 2);
    choose(form->cbPreFxMode, 1);
    choose(form->cbPreFxMode, 1);
    unit.controllers.clear();

    PresetRecord wah = *OriginalRecord;
    wah.data[McPreFxMode - 1] = 0;
    wah.data[McWahPosition - 1] = 50;
    form->TakePreset(wah);
    FlushPending();
    EXPECT_EQ(form->KnbWah1->Mcix(), McWahPosition);
    EXPECT_EQ(bass(McWahPosition).value, 50);
    EXPECT_TRUE(sentOn(27).empty());
    tick();
    EXPECT_FALSE(form->Edited());
}

TEST_F(BassEditor, PedalSimulationTakesItsKnobs)
{
    struct Row {
        int pedal;
        std::array<bool, 4> on;
    };
    const std::array<TWC_ImgKnob*, 4> knobs{form->KnbStomp1, form->KnbStomp2, form->KnbStomp3, form->KnbStomp4};
    const std::array<QLabel*, 4> labels{form->vlStomp1, form->vlStomp2, form->vlStomp3, form->vlStomp4};
    for (const Row& r : {Row{0, {false, false, false, false}}, Row{1, {true, true, false, true}},
                         Row{2, {true, true, true, true}}, Row{4, {true, true, true, true}}}) {
        choose(form->cbPedalSim, r.pedal);
        for (size_t i = 0; i < 4; ++i) {
            EXPECT_EQ(knobs[i]->isEnabled(), r.on[i]) << "pedal " << r.pedal << " knob " << i + 1;
            EXPECT_EQ(labels[i]->text().isEmpty(), !r.on[i]) << "pedal " << r.pedal << " knob " << i + 1;
        }
    }
    EXPECT_EQ(form->vlStomp1->text(), "58 Hz");
}

TEST_F(BassEditor, EveryPostEffectModeEmptiesItsUnusedKnobsAndShowsOneInputAtMost)
{
    for (int mode = 0; mode < 16; ++mode) {
        choose(form->cbPostFxMode, mode);
        for (size_t i = 0; i < 7; ++i) {
            const bool on = form->KnbFx[i]->isEnabled();
            EXPECT_EQ(form->lbFx[i]->text().isEmpty(), !on) << "mode " << mode << " knob " << i + 1;
            EXPECT_EQ(form->vlFx[i]->text().isEmpty(), !on) << "mode " << mode << " knob " << i + 1;
        }
        EXPECT_EQ(!form->KnbStop->isHidden(), mode == 3) << "mode " << mode;
        EXPECT_EQ(!form->KnbRec->isHidden(), mode == 3) << "mode " << mode;
        EXPECT_EQ(!form->Piano->isHidden(), mode == 14) << "mode " << mode;
        EXPECT_EQ(form->KnbFx[6]->Mcix(), mode == 1 || mode == 2 ? McDelayWhole : McFx7) << "mode " << mode;
        EXPECT_EQ(form->KnbFx[4]->Mcix(), mode == 13 ? McSynthKey : McFx5) << "mode " << mode;
    }
}

TEST_F(BassEditor, PostEffectModesSetCaptionsAndValueTexts)
{
    struct Row {
        int mode;
        std::array<const char*, 7> captions;
    };
    const Row rows[] = {
        {1, {"DelayMix", "Chor.Mix", "Feedback", "Feedb.LP", "Spd/Depth", "", "Del.Time"}},
        {3, {"DelayMix", "Feedback", "", "", "", "", "Del.Time"}},
        {6, {"Mix", "Vowel", "Pedal", "", "", "", "Speed"}},
        {8, {"Mix", "Balance", "Split Freq.", "", "", "", "Speed"}},
        {13, {"SynthMix", "Variation", "", "Interval", "Key", "", ""}},
        {14, {"SynthMix", "Variation", "", "", "Reverb", "", ""}},
        {15, {"", "", "", "", "", "", ""}},
    };
    for (const Row& r : rows) {
        choose(form->cbPostFxMode, r.mode);
        for (size_t i = 0; i < 7; ++i)
            EXPECT_EQ(form->lbFx[i]->text(), QString::fromLatin1(r.captions[i])) << "mode " << r.mode << " knob " << i + 1;
    }

    // Named pairs: the voice box's vowel, the delay times in seconds.
    choose(form->cbPostFxMode, 6);
    turnTo(form->KnbFx[1], 0);
    EXPECT_EQ(form->vlFx[1]->text(), "A - E");
    choose(form->cbPostFxMode, 1);
    EXPECT_EQ(form->vlFx[6]->text(), "166.4 ms");
    choose(form->cbPostFxMode, 3);
    EXPECT_EQ(form->vlFx[6]->text(), "0.158 s");
    // Back to a plain number where the mode names no pair.
    choose(form->cbPostFxMode, 11);
    EXPECT_EQ(form->vlFx[1]->text(), "0");
    turnTo(form->KnbFx[1], 64);
    EXPECT_EQ(form->vlFx[1]->text(), "64");
}

TEST_F(BassEditor, SynthKeySwitchesTheIntervalBetweenSemitonesAndIntervals)
{
    showActive();
    choose(form->cbPostFxMode, 13);
    EXPECT_EQ(form->vlFx[4]->text(), "off");
    EXPECT_EQ(form->KnbFx[3]->Mcix(), McIntervalWithoutKey);
    EXPECT_EQ(form->vlFx[3]->text(), "0");

    stepUp(form->KnbFx[4]);
    EXPECT_EQ(bass(McSynthKey).value, 1);
    EXPECT_EQ(form->vlFx[4]->text(), "C");
    EXPECT_EQ(form->KnbFx[3]->Mcix(), McIntervalWithKey);
    EXPECT_EQ(form->vlFx[3]->text(), "-oct");
    stepUp(form->KnbFx[3], 3);
    EXPECT_EQ(form->vlFx[3]->text(), "unisono");

    turnTo(form->KnbFx[4], 0);
    EXPECT_EQ(form->KnbFx[3]->Mcix(), McIntervalWithoutKey);
    EXPECT_EQ(form->vlFx[3]->text(), "0");

    // Leaving the synth gives the knob its own parameter back.
    choose(form->cbPostFxMode, 0);
    EXPECT_EQ(form->KnbFx[3]->Mcix(), McFx4);
    EXPECT_EQ(form->KnbFx[4]->Mcix(), McFx5);
}

// ---- looper, tap, tuner ----

TEST_F(BassEditor, LooperKeysSendTheirControllers)
{
    showActive();
    choose(form->cbPostFxMode, 3);
    struct Row {
        int key;
        TWC_ImgButton* button;
        Messages down;
        Messages up;
    };
    const Row rows[] = {
        {Qt::Key_1, form->KnbRec, {{55, 100}}, {}},
        {Qt::Key_2, form->KnbLoop, {{56, 0}, {56, 100}}, {}},
        {Qt::Key_3, form->KnbPlay, {{60, 0}, {60, 100}}, {}},
        {Qt::Key_4, form->KnbStop, {{57, 0}}, {}},
        {Qt::Key_5, form->KnbHalf, {{58, 1}}, {{58, 2}}},
        {Qt::Key_6, form->KnbBack, {{59, 1}}, {{59, 0}}},
    };
    for (const Row& r : rows) {
        unit.controllers.clear();
        key(QEvent::KeyPress, r.key);
        EXPECT_EQ(unit.controllers, r.down) << "key " << r.key - Qt::Key_0;
        EXPECT_TRUE(r.button->Down());
        unit.controllers.clear();
        key(QEvent::KeyRelease, r.key);
        EXPECT_EQ(unit.controllers, r.up) << "key " << r.key - Qt::Key_0;
        EXPECT_FALSE(r.button->Down());
    }
    // The keypad works them too; the mouse as well.
    unit.controllers.clear();
    key(QEvent::KeyPress, Qt::Key_1, Qt::KeypadModifier);
    key(QEvent::KeyRelease, Qt::Key_1, Qt::KeypadModifier);
    click(form->KnbPlay);
    EXPECT_EQ(unit.controllers, (Messages{{55, 100}, {60, 0}, {60, 100}}));

    // Outside the looper mode the digits leave the looper alone.
    choose(form->cbPostFxMode, 1);
    unit.controllers.clear();
    press(Qt::Key_5);
    EXPECT_TRUE(sentOn(58).empty());
}

TEST_F(BassEditor, TapKeysTapButtonAndTuner)
{
    showActive();
    for (auto [control, text] : {std::pair{form->KnbTap, "Tap Tempo"}, std::pair{form->KnbOriginal, "Original"},
                                 std::pair{form->KnbEditBuffer, "Edit Buffer"}}) {
        EXPECT_EQ(control->accessibleName(), QString::fromLatin1(text));
        EXPECT_EQ(control->toolTip(), QString::fromLatin1(text));
    }
    press(Qt::Key_Space);
    press(Qt::Key_0, Qt::KeypadModifier);
    press(Qt::Key_Insert);
    click(form->KnbTap);
    EXPECT_EQ(sentOn(64), (Messages{{64, 127}, {64, 127}, {64, 127}, {64, 127}}));
    EXPECT_FALSE(form->KnbTap->Down());
    click(form->TunerBut);
    EXPECT_EQ(programs, std::vector<int>{127});

    // Not while an edit field has the keys.
    unit.controllers.clear();
    form->PresetNameClick();
    ASSERT_EQ(QApplication::focusWidget(), form->NameEdit);
    key(QEvent::KeyPress, Qt::Key_Insert);
    key(QEvent::KeyRelease, Qt::Key_Insert);
    EXPECT_TRUE(sentOn(64).empty());

    // Nor while the looper keys or the piano are up; Space still taps.
    for (int mode : {3, 14}) {
        form->KnbFx[0]->setFocus();
        choose(form->cbPostFxMode, mode);
        unit.controllers.clear();
        form->KnbFx[0]->setFocus();
        press(Qt::Key_0, Qt::KeypadModifier);
        press(Qt::Key_Insert);
        EXPECT_TRUE(sentOn(64).empty()) << "mode " << mode;
        press(Qt::Key_Space);
        EXPECT_EQ(sentOn(64), (Messages{{64, 127}})) << "mode " << mode;
    }
}

// ---- piano ----

TEST_F(BassEditor, DraggingOverThePianoPlaysLegato)
{
    showActive();
    choose(form->cbPostFxMode, 14);
    ASSERT_FALSE(form->Piano->isHidden());
    pianoPress({8, 60});
    pianoDrag({12, 62}); // the same key: nothing new
    pianoDrag({24, 60});
    pianoDrag({16, 30});
    pianoDrag({48, 30}); // between E and F: no black key
    pianoRelease({48, 30});
    EXPECT_EQ(notes, (Messages{{12, 127}, {-12, 0}, {14, 127}, {-14, 0}, {13, 127}, {-13, 0}}));
    EXPECT_EQ(form->PlayingNote(), -1);

    // Releasing again sends nothing; moving without the button plays nothing.
    notes.clear();
    pianoRelease({48, 30});
    QMouseEvent hover(QEvent::MouseMove, QPointF(200, 60), form->Piano->mapToGlobal(QPointF(200, 60)), Qt::NoButton,
                      Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(form->Piano, &hover);
    EXPECT_TRUE(notes.empty());
}

TEST_F(BassEditor, PianoMarkerShowsTheKeyAndGoesAfterTheDotTimer)
{
    showActive();
    choose(form->cbPostFxMode, 14);
    const QImage before = form->Piano->Canvas.toImage();
    form->PianoMouseMove(false, 40, 60); // white key 2
    EXPECT_EQ(form->MarkerRect(), QRect(37, 55, 6, 6));
    EXPECT_TRUE(form->Dot.isActive());
    const QImage marked = form->Piano->Canvas.toImage();
    EXPECT_EQ(marked.pixelColor(40, 58), QColor(255, 0, 0));
    EXPECT_EQ(marked.pixelColor(20, 58), before.pixelColor(20, 58));

    form->PianoMouseMove(false, 64, 30); // black key 4
    EXPECT_EQ(form->MarkerRect(), QRect(61, 29, 6, 6));
    const QImage moved = form->Piano->Canvas.toImage();
    EXPECT_EQ(moved.pixelColor(40, 58), before.pixelColor(40, 58));
    EXPECT_EQ(moved.pixelColor(64, 32), QColor(255, 0, 0));

    form->DotTimer();
    EXPECT_FALSE(form->Dot.isActive());
    EXPECT_EQ(form->Piano->Canvas.toImage(), before);
    EXPECT_EQ(form->MarkerPosition().index, -1);
}

TEST_F(BassEditor, ComputerKeysPlayThePiano)
{
    showActive();
    choose(form->cbPostFxMode, 14);
    ASSERT_TRUE(form->PianoActive());
    // Keys as the platform reports them on three layouts: the symbol differs,
    // the key's place (its X11 key code: 10 is the key 1, 19 the key 0) does
    // not. O and P reach the piano through the application's key filter.
    struct Row {
        const char* layout;
        int key;
        Qt::KeyboardModifiers mods;
        quint32 place;
        const char* text;
        int note;
    };
    const Qt::KeyboardModifiers shift = Qt::ShiftModifier;
    const Qt::KeyboardModifiers shiftCtrl = Qt::ShiftModifier | Qt::ControlModifier;
    const Row rows[] = {
        {"US", Qt::Key_1, Qt::NoModifier, 10, "1", 12},
        {"US", Qt::Key_2, Qt::NoModifier, 11, "2", 13},
        {"US", Qt::Key_0, Qt::NoModifier, 19, "0", 21},
        {"US", Qt::Key_O, Qt::NoModifier, 32, "o", 22},
        {"US", Qt::Key_P, Qt::NoModifier, 33, "p", 23},
        {"US", Qt::Key_Exclam, shift, 10, "!", 24},
        {"US", Qt::Key_NumberSign, shift, 12, "#", 26},
        {"US", Qt::Key_P, shiftCtrl, 33, "", 47},
        {"German", Qt::Key_Exclam, shift, 10, "!", 24},
        {"German", Qt::Key_section, shift, 12, "\u00a7", 26},
        {"German", Qt::Key_Slash, shift, 16, "/", 30},
        {"German", Qt::Key_Equal, shift, 19, "=", 33},
        {"German", Qt::Key_3, shiftCtrl, 12, "", 38},
        {"French", Qt::Key_Ampersand, Qt::NoModifier, 10, "&", 12},
        {"French", Qt::Key_Eacute, Qt::NoModifier, 11, "\u00e9", 13},
        {"French", Qt::Key_ParenLeft, Qt::NoModifier, 14, "(", 16},
        {"French", Qt::Key_1, shift, 10, "1", 24},
        {"French", Qt::Key_0, shift, 19, "0", 33},
        {"French", Qt::Key_2, shiftCtrl, 11, "", 37},
    };
    for (const Row& r : rows) {
        notes.clear();
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : form.get();
        for (QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
            QKeyEvent e(type, r.key, r.mods, r.place, 0, 0, QString::fromUtf8(r.text));
            QCoreApplication::sendEvent(target, &e);
            FlushPending();
        }
        EXPECT_EQ(notes, (Messages{{r.note, 127}, {-r.note, 0}})) << r.layout << " " << r.text;
        EXPECT_EQ(form->MarkerPosition().index, -1);
    }
    // The same key twice in a row sounds twice.
    notes.clear();
    press(Qt::Key_1);
    press(Qt::Key_1);
    EXPECT_EQ(notes.size(), 4u);

    // Without the piano the keys play nothing.
    choose(form->cbPostFxMode, 0);
    EXPECT_FALSE(form->PianoActive());
    notes.clear();
    press(Qt::Key_1);
    EXPECT_TRUE(notes.empty());
}

TEST_F(BassEditor, LeavingThePianoModeStopsTheNote)
{
    showActive();
    choose(form->cbPostFxMode, 14);
    pianoPress({8, 60});
    choose(form->cbPostFxMode, 0);
    EXPECT_EQ(notes, (Messages{{12, 127}, {-12, 0}}));
}

// ---- compare, name, store, help ----

TEST_F(BassEditor, CompareSimplyToggles)
{
    showActive();
    // Nothing to compare: the bass editor still goes to the edit buffer,
    // and the next comparison finds no edit and lights "Original" again.
    click(form->KnbCompare);
    EXPECT_TRUE(form->KnbEditBuffer->Down());
    tick();
    EXPECT_TRUE(form->KnbOriginal->Down());
    EXPECT_FALSE(form->Edited());

    stepUp(form->KnbPre1, 3);
    tick();
    ASSERT_TRUE(form->Edited());
    EXPECT_TRUE(form->KnbEditBuffer->Down());
    EXPECT_EQ(EditBufferRecord->data[McGain - 1], 73);
    click(form->KnbCompare);
    EXPECT_TRUE(form->KnbOriginal->Down());
    EXPECT_EQ(bass(McGain).value, 70);
    click(form->KnbCompare);
    EXPECT_EQ(bass(McGain).value, 73);
    EXPECT_EQ(form->PresetName->text(), "Deep Slap       ");
}

TEST_F(BassEditor, NameEditorStartsWithTheTrimmedName)
{
    showActive();
    form->PresetNameClick();
    EXPECT_EQ(form->NameEdit->text(), "Deep Slap");
    unit.controllers.clear();
    QTest::keyClick(form->NameEdit, Qt::Key_End);
    QTest::keyClicks(form->NameEdit, " 2");
    QTest::keyClick(form->NameEdit, Qt::Key_Return);
    EXPECT_TRUE(form->NameEdit->isHidden());
    EXPECT_EQ(form->PresetName->text(), "Deep Slap 2     ");
    // Sixteen position and character pairs.
    EXPECT_EQ(sentOn(81).size(), 32u);
    tick();
    EXPECT_TRUE(form->Edited());
    EXPECT_EQ(GetRecordName(*EditBufferRecord), "Deep Slap 2     ");
}

TEST_F(BassEditor, OverwriteCommitsIntoTheBassRecords)
{
    showActive();
    currentSlot = 17;
    stepUp(form->KnbPre8, 2);
    tick();
    ASSERT_TRUE(form->KnbEditBuffer->Down());
    QSignalSpy toUnit(form.get(), &TEditorFormBase::storeToUnitRequested);
    click(form->Overwrite);
    EXPECT_TRUE(form->KnbOriginal->Down());
    EXPECT_FALSE(form->Edited());
    EXPECT_EQ(OriginalRecord->data[McVolume - 1], 102);
    ASSERT_EQ(toUnit.count(), 1);
    EXPECT_EQ(toUnit.at(0).at(0).toInt(), 3);
    EXPECT_EQ(toUnit.at(0).at(1).toInt(), 2);
}

TEST_F(BassEditor, F1OpensTheBassAnchorsAndNothingFromAnEditField)
{
    struct Row {
        int help;
        const char* anchor;
    };
    for (const Row r : {Row{2, "#T10H10"}, Row{4, "#T10H21"}, Row{9, "#T10H34"}, Row{10, "#T10H36"}, Row{11, "#T10H35"},
                        Row{13, "#T10H38"}, Row{17, "#T10H43"}, Row{29, "#T10H83"}, Row{33, "#T10H100"},
                        Row{34, "#T10H110"}, Row{101, "#T4H30"}, Row{40, "#T10H00"}, Row{0, "#T10H00"}})
        EXPECT_EQ(BassEditorHelpAnchor(r.help), r.anchor) << "help " << r.help;

    showActive();
    QSignalSpy help(form.get(), &TEditorFormBase::helpRequested);
    form->KnbDenoise2->setFocus();
    press(Qt::Key_F1);
    ASSERT_EQ(help.count(), 1);
    EXPECT_EQ(help.at(0).at(0).toString(), "#T10H82");
    form->PresetNameClick();
    press(Qt::Key_F1);
    EXPECT_EQ(help.count(), 1);
}

TEST_F(BassEditor, TheActiveEditorTypesValuesInItsOwnField)
{
    // The guitar editor, created later, took the shared value editor.
    TEditorForm guitar(TestServices(dialogs, helpPages));
    ASSERT_EQ(TWC_CustomControl::ValEdit(), guitar.ValueEdit);
    showActive();
    EXPECT_EQ(TWC_CustomControl::ValEdit(), form->ValueEdit);
    QTest::mouseClick(form->vlPre1, Qt::LeftButton);
    EXPECT_TRUE(form->ValueEdit->isVisible());
    EXPECT_EQ(form->ValueEdit->parentWidget(), form.get());
    EXPECT_EQ(guitar.ValueEdit->parentWidget(), &guitar);
    QTest::keyClicks(form->ValueEdit, "77");
    QTest::keyClick(form->ValueEdit, Qt::Key_Return);
    EXPECT_EQ(bass(McGain).value, 77);
}

// Pictures of the window in the modes that change it most.
TEST_F(BassEditor, Screenshots)
{
    showActive();
    const QString dir = qEnvironmentVariable("DRUX_SCREENSHOT_DIR");
    for (int mode : {1, 3, 13, 14}) {
        choose(form->cbPostFxMode, mode);
        if (mode == 14)
            form->PianoMouseMove(false, 88, 60);
        for (int i = 0; i < TWC_CustomControl::HilightTime; ++i)
            TWC_CustomControl::HilightListTimer();
        const QPixmap shot = form->grab();
        EXPECT_EQ(shot.deviceIndependentSize().toSize(), QSize(TBassEditF::ClientWidth, TBassEditF::ClientHeight));
        if (!dir.isEmpty())
            shot.save(dir + QStringLiteral("/beditor-%1.png").arg(mode));
    }
    if (dir.isEmpty())
        GTEST_SKIP() << "set DRUX_SCREENSHOT_DIR to keep pictures of the editor";
}

} // namespace
