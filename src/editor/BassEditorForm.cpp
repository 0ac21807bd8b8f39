#include "editor/BassEditorForm.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

#include "controls/CustomControl.h"
#include "controls/ImgButton.h"
#include "controls/ImgKnob.h"
#include "controls/ListControls.h"
#include "editor/ConversionControls.h"
#include "editor/EditorFormPanel.h"
#include "files/Preferences.h"
#include "model/Parameters.h"

namespace {

namespace Mc = BassPreset;

// Four rows of sections below the header; a row's lists and switches sit in
// its title line, its knobs below.
constexpr int RowTop[] = {74, 199, 324, 449};
constexpr int RowHeight = 123;
constexpr int KnobDrop = 76;
constexpr int TitleLine = 3;

constexpr QRect sectionAt(int x, int row, int width, int rows = 1)
{
    return QRect(x, RowTop[row], width, RowTop[row + rows - 1] + RowHeight - RowTop[row]);
}
constexpr QPoint knobAt(int x, int row)
{
    return QPoint(x, RowTop[row] + KnobDrop);
}
constexpr QRect titleList(int x, int row, int width)
{
    return QRect(x, RowTop[row] + TitleLine, width, 22);
}
constexpr QPoint titleSwitch(int x, int row)
{
    return QPoint(x, RowTop[row] + 1);
}
constexpr QRect PianoPlace(326, RowTop[2] + 34, BassPiano::Width, BassPiano::Height);

} // namespace

// ---- building ----

TBassEditF::TBassEditF(EditorServices s, QWidget* parent)
    : TEditorFormBase(std::move(s), ModixBassPreset, QStringLiteral("BassEditF"), QStringLiteral("BassEditF"), parent)
{
    trimNameForEditing = true;
    defaultPair = BassValues::Midi;
    buildPanel();

    Dot.setInterval(DotMs);
    connect(&Dot, &QTimer::timeout, this, &TBassEditF::DotTimer);
    applyCouplings();
}

TBassEditF::~TBassEditF() = default;

void TBassEditF::buildPanel()
{
    using namespace BassEditorTexts;
    using F = TBassEditF;
    using R = PanelRows<TBassEditF>;
    constexpr KnobLook Black = KnobLook::Black;
    constexpr KnobLook Metal = KnobLook::Metal;
    constexpr SwitchKind Toggle = SwitchKind::Toggle;
    constexpr SwitchKind Push = SwitchKind::Push;
    constexpr unsigned Fx = NarrowValue;
    // The bass panel, in the order the user tabs through it. A knob row
    // names the knob, its value label and the caption label the window
    // changes, then the parameter, caption, help number, centre and look, and
    // where they differ from the window's the conversion and options. It
    // lives here because it names the window's own looper captions and
    // piano builder.
    static const R::Row Panel[] = {
        // Preamp: model, amp switch and eight tone knobs.
        R::Section{sectionAt(8, 0, 592), "PREAMP"},
        R::List{in<&F::cbAmpModel>, Mc::AmpModel, titleList(86, 0, 180), 2, AmpModels},
        R::Switch{in<&F::KnbAmpBypass>, titleSwitch(276, 0), 3, Unbound, Toggle, "AMP ON", CaptionRight(60)},
        R::Knob{in<&F::KnbPre1>, in<&F::vlPre1>, nullptr, Mc::Gain, "Gain", 6, knobAt(48, 0), Black},
        R::Knob{in<&F::KnbPre2>, in<&F::vlPre2>, nullptr, Mc::Deep, "Deep", 7, knobAt(120, 0), Black},
        R::Knob{in<&F::KnbPre3>, in<&F::vlPre3>, nullptr, Mc::Bass, "Bass", 8, knobAt(192, 0), Black},
        R::Knob{in<&F::KnbPre4>, in<&F::vlPre4>, nullptr, Mc::Mid, "Mid", 9, knobAt(264, 0), Black},
        R::Knob{in<&F::KnbPre5>, in<&F::vlPre5>, in<&F::lbPre5>, Mc::MidShift, "Mid-Shift", 10, knobAt(336, 0), Black},
        R::Knob{in<&F::KnbPre6>, in<&F::vlPre6>, nullptr, Mc::Treble, "Treble", 11, knobAt(408, 0), Black},
        R::Knob{in<&F::KnbPre7>, in<&F::vlPre7>, nullptr, Mc::Presence, "Presence", 12, knobAt(480, 0), Black},
        R::Knob{in<&F::KnbPre8>, in<&F::vlPre8>, nullptr, Mc::Volume, "Volume", 13, knobAt(552, 0), Black},

        // Cabinet and the effects' master switch.
        R::Section{sectionAt(608, 0, 173), "CABINET"},
        R::List{in<&F::cbCabModel>, Mc::Cabinet, QRect(620, RowTop[0] + 28, 150, 22), 4, Cabinets},
        R::Switch{in<&F::KnbCabBypass>, {620, RowTop[0] + 58}, 5, Unbound, Toggle, "CAB ON", CaptionRight(60)},
        R::Switch{in<&F::KnbFxOn>, {620, RowTop[0] + 90}, 32, Mc::EffectsOn, Toggle, "Global Fx On/Off",
                  CaptionRight(110)},

        // Compressor, crossover, denoiser.
        R::Section{sectionAt(8, 1, 176), "COMPRESSOR"},
        R::Switch{in<&F::KnbCompOn>, titleSwitch(130, 1), 20, Mc::CompOn},
        R::Knob{in<&F::KnbComp1>, in<&F::vlComp1>, nullptr, Mc::CompDensity, "Density", 21, knobAt(52, 1), Metal, {},
                OffAtZero},
        R::Knob{in<&F::KnbComp2>, in<&F::vlComp2>, nullptr, Mc::CompAttack, "Attack", 22, knobAt(140, 1), Metal},

        R::Section{sectionAt(190, 1, 176), "CROSSOVER"},
        R::Switch{in<&F::KnbXoverOn>, titleSwitch(312, 1), 23},
        R::Knob{in<&F::KnbXover1>, in<&F::vlXover1>, nullptr, Mc::XoverFrequency, "Frequency", 24, knobAt(234, 1),
                Metal, BassValues::Freq, OffAtZero},
        R::Knob{in<&F::KnbXover2>, in<&F::vlXover2>, nullptr, Mc::XoverBalance, "Balance", 25, knobAt(322, 1), Metal,
                BassValues::Prct},

        R::Section{sectionAt(372, 1, 228), "DENOISER"},
        R::Switch{in<&F::KnbDenoiserOn>, titleSwitch(546, 1), 26},
        R::Knob{in<&F::KnbDenoise1>, in<&F::vlDenoise1>, nullptr, Mc::Expander, "Expander", 27, knobAt(414, 1), Metal,
                BassValues::Exp},
        R::Knob{in<&F::KnbDenoise2>, in<&F::vlDenoise2>, nullptr, Mc::Sensitivity, "Sensivity", 28, knobAt(486, 1),
                Metal},
        R::Knob{in<&F::KnbDenoise3>, in<&F::vlDenoise3>, nullptr, Mc::DenoiserRange, "Range", 29, knobAt(558, 1),
                Metal},

        R::Section{sectionAt(608, 1, 173), ""},
        R::Badge{QRect(614, RowTop[1] + 28, 160, 64), "BASS AMP MODELLER"},

        // Pedal and pre-effect.
        R::Section{sectionAt(8, 2, 298), "PEDAL"},
        R::List{in<&F::cbPedalSim>, Mc::Pedal, titleList(76, 2, 170), 18, PedalSims},
        R::Knob{in<&F::KnbStomp1>, in<&F::vlStomp1>, nullptr, Mc::StompSplit, "Split", 19, knobAt(48, 2), Black,
                BassValues::Split, OffAtZero},
        R::Knob{in<&F::KnbStomp2>, in<&F::vlStomp2>, nullptr, Mc::StompDrive, "Drive", 18, knobAt(118, 2), Black},
        R::Knob{in<&F::KnbStomp3>, in<&F::vlStomp3>, nullptr, Mc::StompTone, "Tone", 18, knobAt(188, 2), Black},
        R::Knob{in<&F::KnbStomp4>, in<&F::vlStomp4>, nullptr, Mc::StompBoost, "Boost", 18, knobAt(258, 2), Black},

        R::Section{sectionAt(8, 3, 298), "PRE-EFFECT"},
        R::List{in<&F::cbPreFxMode>, Mc::PreFxMode, titleList(120, 3, 120), 14, PreEffectModes},
        R::Knob{in<&F::KnbWah1>, in<&F::vlWah1>, in<&F::lbWah1>, Mc::WahDepth, "Depth", 15, knobAt(60, 3), Black},
        R::Knob{in<&F::KnbWah2>, in<&F::vlWah2>, nullptr, Mc::WahSpeed, "Speed", 16, knobAt(154, 3), Black},
        R::Knob{in<&F::KnbWah3>, in<&F::vlWah3>, nullptr, Mc::WahBase, "Base", 17, knobAt(248, 3), Black},

        // Post-effect over two rows: the mode, the looper keys or the piano,
        // tap and tuner above, the seven effect knobs below; the mode gives
        // the knobs their captions.
        R::Section{sectionAt(314, 2, 467, 2), "POST-EFFECT"},
        R::List{in<&F::cbPostFxMode>, Mc::PostFxMode, titleList(430, 2, 150), 30, PostEffectModes},
        R::Knob{at<&F::KnbFx, 0>, at<&F::vlFx, 0>, at<&F::lbFx, 0>, Mc::Fx1, "", 31, knobAt(350, 3), Metal, {}, Fx},
        R::Knob{at<&F::KnbFx, 1>, at<&F::vlFx, 1>, at<&F::lbFx, 1>, Mc::Fx2, "", 31, knobAt(416, 3), Metal, {}, Fx},
        R::Knob{at<&F::KnbFx, 2>, at<&F::vlFx, 2>, at<&F::lbFx, 2>, Mc::Fx3, "", 31, knobAt(482, 3), Metal, {}, Fx},
        R::Knob{at<&F::KnbFx, 3>, at<&F::vlFx, 3>, at<&F::lbFx, 3>, Mc::Fx4, "", 31, knobAt(548, 3), Metal, {}, Fx},
        R::Knob{at<&F::KnbFx, 4>, at<&F::vlFx, 4>, at<&F::lbFx, 4>, Mc::Fx5, "", 31, knobAt(614, 3), Metal, {}, Fx},
        R::Knob{at<&F::KnbFx, 5>, at<&F::vlFx, 5>, at<&F::lbFx, 5>, Mc::Fx6, "", 31, knobAt(680, 3), Metal, {}, Fx},
        R::Knob{at<&F::KnbFx, 6>, at<&F::vlFx, 6>, at<&F::lbFx, 6>, Mc::Fx7, "", 31, knobAt(746, 3), Metal, {},
                Fx | FineSteps},
        R::Switch{in<&F::KnbRec>, {340, RowTop[2] + 44}, 40, Unbound, Push, "REC", {}, at<&F::looperCaptions, 0>},
        R::Switch{in<&F::KnbLoop>, {394, RowTop[2] + 44}, 40, Unbound, Push, "LOOP", {}, at<&F::looperCaptions, 1>},
        R::Switch{in<&F::KnbPlay>, {448, RowTop[2] + 44}, 40, Unbound, Push, "PLAY", {}, at<&F::looperCaptions, 2>},
        R::Switch{in<&F::KnbStop>, {502, RowTop[2] + 44}, 40, Unbound, Push, "STOP", {}, at<&F::looperCaptions, 3>},
        R::Switch{in<&F::KnbHalf>, {556, RowTop[2] + 44}, 40, Unbound, Toggle, "HALF", {}, at<&F::looperCaptions, 4>},
        R::Switch{in<&F::KnbBack>, {610, RowTop[2] + 44}, 40, Unbound, Toggle, "BACK", {}, at<&F::looperCaptions, 5>},
        R::Section{PianoPlace.adjusted(-6, -6, 6, 6), ""},
        R::Own{&F::buildPiano, PianoPlace},
        R::Switch{in<&F::KnbTap>, {702, RowTop[2] + 32}, 33, Unbound, Push, "Tap Tempo", CaptionBelow(20)},
        R::Switch{in<&F::TunerBut>, {702, RowTop[2] + 78}, 34, Unbound, Push, "TUNER", CaptionBelow(20)},
    };

    PanelDrawing panel;
    panel.size = QSize(ClientWidth, ClientHeight);
    buildHeader(panel);
    KnbOriginal = originalButton;
    KnbEditBuffer = editBufferButton;
    KnbCompare->setProperty("HelpContext", 101);
    buildControls<TBassEditF>(panel, Panel);

    // Handlers.
    for (auto [box, handler] : {std::pair{cbAmpModel, &TBassEditF::cbAmpModelCtrlChange},
                                std::pair{cbCabModel, &TBassEditF::cbCabModelCtrlChange},
                                std::pair{cbPedalSim, &TBassEditF::cbPedalSimCtrlChange},
                                std::pair{cbPreFxMode, &TBassEditF::cbPreFxModeCtrlChange},
                                std::pair{cbPostFxMode, &TBassEditF::cbPostFxModeCtrlChange}})
        box->OnCtrlChange = [this, handler](QWidget*, int v) { (this->*handler)(v); };
    // Only a choice that changes the mode is followed by this list's refresh;
    // choosing the shown mode again must not leave the mark for a later
    // change from a preset or the unit.
    connect(cbPreFxMode, &QComboBox::activated, this,
            [this](int index) { preFxModeChosen = index != shownPreFxMode; });
    for (auto [c, handler] : {std::pair{static_cast<TWC_CustomControl*>(KnbComp1), &TBassEditF::KnbComp1CtrlChange},
                              std::pair{static_cast<TWC_CustomControl*>(KnbXover1), &TBassEditF::KnbXover1CtrlChange},
                              std::pair{static_cast<TWC_CustomControl*>(KnbDenoise1),
                                        &TBassEditF::KnbDenoise1CtrlChange},
                              std::pair{static_cast<TWC_CustomControl*>(KnbDenoise2),
                                        &TBassEditF::KnbDenoise2CtrlChange},
                              std::pair{static_cast<TWC_CustomControl*>(KnbFx[4]), &TBassEditF::KnbFx5CtrlChange},
                              std::pair{static_cast<TWC_CustomControl*>(KnbAmpBypass),
                                        &TBassEditF::KnbAmpBypassCtrlChange},
                              std::pair{static_cast<TWC_CustomControl*>(KnbCabBypass),
                                        &TBassEditF::KnbCabBypassCtrlChange},
                              std::pair{static_cast<TWC_CustomControl*>(KnbCompOn), &TBassEditF::KnbCompOnCtrlChange},
                              std::pair{static_cast<TWC_CustomControl*>(KnbXoverOn), &TBassEditF::KnbXoverOnCtrlChange},
                              std::pair{static_cast<TWC_CustomControl*>(KnbDenoiserOn),
                                        &TBassEditF::KnbDenoiserOnCtrlChange},
                              std::pair{static_cast<TWC_CustomControl*>(KnbTap), &TBassEditF::KnbTapCtrlChange},
                              std::pair{static_cast<TWC_CustomControl*>(TunerBut), &TBassEditF::TunerButCtrlChange},
                              std::pair{static_cast<TWC_CustomControl*>(KnbCompare),
                                        &TBassEditF::KnbCompareCtrlChange}})
        c->OnCtrlChange = [this, handler](TWC_CustomControl*, int v) { (this->*handler)(v); };
    for (int i = 0; i < 6; ++i)
        looperButtons()[static_cast<size_t>(i)]->OnCtrlChange = [this, i](TWC_CustomControl*, int v) {
            LooperKeyCtrlChange(i, v);
        };

    finishPanel(panel);
}

void TBassEditF::buildPiano(QRect place)
{
    Piano = new TBassPianoPicture(this);
    Piano->move(place.topLeft());
    Piano->hide();
    Piano->OnMouseDown = [this](QMouseEvent* e) {
        if (e->button() != Qt::LeftButton)
            return;
        // The press plays the key under the pointer even when no move
        // came before it.
        PianoMouseMove(false, e->position().toPoint().x(), e->position().toPoint().y());
        PianoMouseDown();
    };
    Piano->OnMouseMove = [this](QMouseEvent* e) {
        PianoMouseMove(e->buttons() & Qt::LeftButton, e->position().toPoint().x(), e->position().toPoint().y());
    };
    Piano->OnMouseUp = [this](QMouseEvent* e) {
        if (e->button() == Qt::LeftButton)
            PianoMouseUp();
    };
}

std::array<TWC_ImgButton*, 6> TBassEditF::looperButtons() const
{
    return {KnbRec, KnbLoop, KnbPlay, KnbStop, KnbHalf, KnbBack};
}

void TBassEditF::showLooper(bool on)
{
    for (TWC_ImgButton* b : looperButtons())
        b->setVisible(on);
    for (QLabel* caption : looperCaptions)
        caption->setVisible(on);
}

bool TBassEditF::PianoActive() const
{
    return isActiveWindow() && !Piano->isHidden();
}

// ---- show ----

void TBassEditF::FormShow()
{
    TWC_CustomControl::SetMouseDir(CurrentPreferences.MouseMoveMode);
    applyCouplings();
    ChangedTimer.start();
}

// Brings every coupled control in step with the module as it is.
void TBassEditF::applyCouplings()
{
    cbAmpModelCtrlChange(param(Mc::AmpModel).value);
    cbCabModelCtrlChange(param(Mc::Cabinet).value);
    KnbComp1CtrlChange(param(Mc::CompDensity).value);
    KnbXover1CtrlChange(param(Mc::XoverFrequency).value);
    KnbDenoise1CtrlChange(param(Mc::Expander).value);
    KnbDenoise2CtrlChange(param(Mc::Sensitivity).value);
    cbPedalSimCtrlChange(param(Mc::Pedal).value);
    cbPreFxModeCtrlChange(param(Mc::PreFxMode).value);
    cbPostFxModeCtrlChange(param(Mc::PostFxMode).value);
    for (const KnobAndLabel& k : knobs)
        refreshValueLabel(k.knob, k.label);
}

// ---- switch couplings ----

void TBassEditF::KnbAmpBypassCtrlChange(int v)
{
    switchParameter(KnbAmpBypass->UserChange, v != 0, Mc::AmpModel, BassEditorTexts::AmpBypass, KnbAmpBypassTag);
}

void TBassEditF::KnbCabBypassCtrlChange(int v)
{
    switchParameter(KnbCabBypass->UserChange, v != 0, Mc::Cabinet, BassEditorTexts::NoCabinet, KnbCabBypassTag);
}

void TBassEditF::KnbCompOnCtrlChange(int v)
{
    switchParameter(KnbCompOn->UserChange, v != 0, Mc::CompDensity, 0, KnbCompOnTag);
}

void TBassEditF::KnbXoverOnCtrlChange(int v)
{
    switchParameter(KnbXoverOn->UserChange, v != 0, Mc::XoverFrequency, 0, KnbXoverOnTag);
    // The unit takes the balance again whenever the crossover comes on.
    if (v != 0)
        param(Mc::XoverBalance).MarkPending(SendPending);
}

void TBassEditF::KnbDenoiserOnCtrlChange(int v)
{
    if (!KnbDenoiserOn->UserChange)
        return;
    MCtrl& expander = param(Mc::Expander);
    MCtrl& sensitivity = param(Mc::Sensitivity);
    if (v != 0) {
        expander.SetValFlags(KnbDenoise1Tag, PendingBits);
        sensitivity.SetValFlags(KnbDenoise2Tag, PendingBits);
    } else {
        KnbDenoise1Tag = expander.value;
        KnbDenoise2Tag = sensitivity.value;
        expander.SetValFlags(0, PendingBits);
        sensitivity.SetValFlags(0, PendingBits);
    }
}

// The followers also remember every non-off value, so that a parameter
// turned off through its list or knob comes back with the switch as well.
void TBassEditF::cbAmpModelCtrlChange(int v)
{
    const bool bypass = v == BassEditorTexts::AmpBypass;
    followSwitch(KnbAmpBypass, !bypass);
    if (!bypass) {
        KnbAmpBypassTag = v;
        const bool midShift = BassEditorTexts::AmpHasMidShift(v);
        lbPre5->setText(midShift ? QStringLiteral("Mid-Shift") : QStringLiteral("Shape"));
        KnbPre5->SetNullIsOff(!midShift);
    }
    for (auto [k, label] : {std::pair{KnbPre1, vlPre1}, std::pair{KnbPre2, vlPre2}, std::pair{KnbPre3, vlPre3},
                            std::pair{KnbPre4, vlPre4}, std::pair{KnbPre5, vlPre5}, std::pair{KnbPre6, vlPre6},
                            std::pair{KnbPre7, vlPre7}})
        setKnobInUse(k, label, !bypass);
}

void TBassEditF::cbCabModelCtrlChange(int v)
{
    followSwitch(KnbCabBypass, v != BassEditorTexts::NoCabinet);
    if (v != BassEditorTexts::NoCabinet)
        KnbCabBypassTag = v;
}

void TBassEditF::KnbComp1CtrlChange(int v)
{
    setKnobInUse(KnbComp2, vlComp2, v != 0);
    if (v != 0)
        KnbCompOnTag = v;
}

void TBassEditF::KnbXover1CtrlChange(int v)
{
    followSwitch(KnbXoverOn, v != 0);
    setKnobInUse(KnbXover2, vlXover2, v != 0);
    if (v != 0)
        KnbXoverOnTag = v;
}

void TBassEditF::KnbDenoise1CtrlChange(int v)
{
    followSwitch(KnbDenoiserOn, v != 0 && param(Mc::Sensitivity).value != 0);
    if (v != 0)
        KnbDenoise1Tag = v;
}

void TBassEditF::KnbDenoise2CtrlChange(int v)
{
    setKnobInUse(KnbDenoise3, vlDenoise3, v != 0);
    followSwitch(KnbDenoiserOn, v != 0 && param(Mc::Expander).value != 0);
    if (v != 0)
        KnbDenoise2Tag = v;
}

// ---- modes ----

void TBassEditF::rebind(TWC_ImgKnob* k, QLabel* label, int mcix)
{
    if (k->Mcix() != mcix)
        k->SetMcix(mcix);
    refreshValueLabel(k, label);
}

void TBassEditF::cbPreFxModeCtrlChange(int v)
{
    const bool chosen = preFxModeChosen;
    preFxModeChosen = false;
    shownPreFxMode = v;
    const bool midiWah = v == BassEditorTexts::MidiWah;
    if (midiWah) {
        rebind(KnbWah1, vlWah1, Mc::WahPosition);
        lbWah1->setText(QStringLiteral("Wah"));
        // Only the user's choice starts the pedal at 0: a preset that
        // arrives in this mode keeps its own position.
        if (chosen)
            param(Mc::WahPosition).SetValFlags(0, PendingBits);
    } else {
        rebind(KnbWah1, vlWah1, Mc::WahDepth);
        lbWah1->setText(QStringLiteral("Depth"));
    }
    setKnobInUse(KnbWah2, vlWah2, !midiWah);
    setKnobInUse(KnbWah3, vlWah3, !midiWah);
    refreshValueLabel(KnbWah1, vlWah1);
}

void TBassEditF::cbPedalSimCtrlChange(int v)
{
    const bool bypass = v == 0;
    const bool boost = v == 1;
    setKnobInUse(KnbStomp1, vlStomp1, !bypass);
    setKnobInUse(KnbStomp2, vlStomp2, !bypass);
    setKnobInUse(KnbStomp3, vlStomp3, !bypass && !boost);
    setKnobInUse(KnbStomp4, vlStomp4, !bypass);
}

void TBassEditF::setEffectKnob(int i, const PostEffectKnob& use)
{
    TWC_ImgKnob* k = KnbFx[static_cast<size_t>(i)];
    QLabel* value = vlFx[static_cast<size_t>(i)];
    QLabel* caption = lbFx[static_cast<size_t>(i)];
    const bool on = !use.caption.empty();
    caption->setText(QString::fromLatin1(use.caption.data(), static_cast<qsizetype>(use.caption.size())));
    if (on)
        InstallConversion(*k, use.conversion ? *use.conversion : BassValues::Midi);
    setKnobInUse(k, value, on);
}

void TBassEditF::cbPostFxModeCtrlChange(int v)
{
    using namespace BassEditorTexts;
    showLooper(false);
    if (!Piano->isHidden()) {
        PianoMouseUp();
        DotTimer();
        Piano->hide();
    }
    const PostEffectBindings b = PostEffectBindingsFor(v);
    rebind(KnbFx[6], vlFx[6], b.fx7);
    if (v != Synth)
        rebind(KnbFx[3], vlFx[3], b.fx4);
    rebind(KnbFx[4], vlFx[4], b.fx5);

    static constexpr std::array<PostEffectKnob, 7> none{};
    const auto& row = v >= 0 && v < static_cast<int>(PostEffectKnobs.size()) ? PostEffectKnobs[static_cast<size_t>(v)]
                                                                              : none;
    for (int i = 0; i < 7; ++i)
        setEffectKnob(i, row[static_cast<size_t>(i)]);
    if (v == Synth)
        bindSynthInterval(param(Mc::SynthKey).value, true);
    if (v == DelayLoop)
        showLooper(true);
    if (v == MidiBassSynth) {
        Piano->show();
        Piano->raise();
    }
}

void TBassEditF::bindSynthInterval(int key, bool modeChanged)
{
    const int mcix = key != 0 ? Mc::IntervalWithKey : Mc::IntervalWithoutKey;
    if (!modeChanged && KnbFx[3]->Mcix() == mcix)
        return;
    // The mode gave the knob the plain pair; the key decides its own.
    InstallConversion(*KnbFx[3], key != 0 ? BassValues::Trans : BassValues::Semi);
    if (KnbFx[3]->Mcix() != mcix)
        KnbFx[3]->SetMcix(mcix);
    refreshValueLabel(KnbFx[3], vlFx[3]);
}

void TBassEditF::KnbFx5CtrlChange(int v)
{
    if (KnbFx[4]->Mcix() == Mc::SynthKey && param(Mc::PostFxMode).value == BassEditorTexts::Synth)
        bindSynthInterval(v);
}

// ---- looper, tap, tuner ----

void TBassEditF::LooperKeyCtrlChange(int key, int v)
{
    if (key < 0 || key >= static_cast<int>(LooperKeys.size()))
        return;
    const LooperKey& k = LooperKeys[static_cast<size_t>(key)];
    if (v != 0) {
        for (int i = 0; i < k.pressCount; ++i)
            Unit().sendControlChange(k.press[static_cast<size_t>(i)].controller, k.press[static_cast<size_t>(i)].value);
    } else if (k.sendsRelease) {
        Unit().sendControlChange(k.release.controller, k.release.value);
    }
}

void TBassEditF::KnbTapCtrlChange(int v)
{
    if (v != 0)
        Unit().sendControlChange(TapCc, TapValue);
}

void TBassEditF::TunerButCtrlChange(int v)
{
    if (v != 0 && services.sendProgramChange)
        services.sendProgramChange(TunerProgram);
}

// ---- compare ----

void TBassEditF::KnbCompareCtrlChange(int v)
{
    if (v != 0)
        return;
    if (KnbOriginal->Down())
        KnbEditBuffer->SetDown(true);
    else
        KnbOriginal->SetDown(true);
    SetBuffers();
}

// ---- piano ----

void TBassEditF::PianoMouseMove(bool leftButton, int x, int y)
{
    Dot.start();
    const BassPiano::Position at = BassPiano::PositionAt(x, y);
    if (at.index < 0 || at == lastPosition)
        return;
    lastPosition = at;
    if (leftButton && BassPiano::NoteAt(at) != playingNote) {
        PianoMouseUp();
        PianoMouseDown();
    }
    Piano->MoveMarker(BassPiano::MarkerRect(at));
}

void TBassEditF::PianoMouseDown()
{
    const int note = BassPiano::NoteAt(lastPosition);
    if (note <= 0)
        return;
    playingNote = note;
    if (services.sendNoteOn)
        services.sendNoteOn(note, BassPiano::Velocity);
}

void TBassEditF::PianoMouseUp()
{
    if (playingNote < 0)
        return;
    if (services.sendNoteOff)
        services.sendNoteOff(playingNote, 0);
    playingNote = -1;
}

void TBassEditF::DotTimer()
{
    Dot.stop();
    Piano->RemoveMarker();
    lastPosition = {};
}

// ---- keys ----

namespace {

bool inEditField()
{
    return qobject_cast<QLineEdit*>(QApplication::focusWidget()) != nullptr;
}

// Keypad 0 or Insert taps the tempo while neither the looper keys nor the
// piano are up.
bool isTapKey(const QKeyEvent* e)
{
    return e->key() == Qt::Key_Insert || (e->key() == Qt::Key_0 && (e->modifiers() & Qt::KeypadModifier));
}

// 1..6 of the looper keys, on the main row or the keypad; 0 for another key.
int looperNumber(const QKeyEvent* e)
{
    if (e->modifiers() & Qt::KeypadModifier)
        return e->key() >= Qt::Key_1 && e->key() <= Qt::Key_6 ? e->key() - Qt::Key_1 + 1 : 0;
    const int at = BassPiano::DigitRowPosition(e);
    return at >= 0 && at < 6 ? at + 1 : 0;
}

} // namespace

bool TBassEditF::pianoKey(QKeyEvent* e, bool down)
{
    const int i = BassPiano::KeyIndex(e);
    if (i < 0)
        return false;
    if (e->isAutoRepeat())
        return true;
    const BassPiano::KeyPoint at = BassPiano::LowestOctave[static_cast<size_t>(i)];
    int x = at.x;
    if (e->modifiers() & Qt::ShiftModifier)
        x += (e->modifiers() & Qt::ControlModifier) ? 2 * BassPiano::OctaveWidth : BassPiano::OctaveWidth;
    if (down) {
        // A key plays even where the pointer rests already.
        lastPosition = {};
        PianoMouseMove(true, x, at.y);
    } else {
        PianoMouseUp();
        DotTimer();
    }
    return true;
}

bool TBassEditF::FormKeyDown(QKeyEvent* e)
{
    if (inEditField())
        return false;
    if (e->key() == Qt::Key_Space) {
        if (!e->isAutoRepeat())
            followSwitch(KnbTap, true);
        return true;
    }
    if (!KnbStop->isHidden()) {
        if (const int n = looperNumber(e)) {
            if (!e->isAutoRepeat())
                followSwitch(looperButtons()[static_cast<size_t>(n - 1)], true);
            return true;
        }
    } else if (!Piano->isHidden()) {
        if (pianoKey(e, true))
            return true;
    } else if (isTapKey(e)) {
        if (!e->isAutoRepeat())
            followSwitch(KnbTap, true);
        return true;
    }
    return false;
}

bool TBassEditF::FormKeyUp(QKeyEvent* e)
{
    if (inEditField())
        return false;
    if (e->key() == Qt::Key_Space) {
        if (!e->isAutoRepeat())
            followSwitch(KnbTap, false);
        return true;
    }
    if (!KnbStop->isHidden()) {
        if (const int n = looperNumber(e)) {
            if (!e->isAutoRepeat())
                followSwitch(looperButtons()[static_cast<size_t>(n - 1)], false);
            return true;
        }
    } else if (!Piano->isHidden()) {
        if (pianoKey(e, false))
            return true;
    } else if (isTapKey(e)) {
        if (!e->isAutoRepeat())
            followSwitch(KnbTap, false);
        return true;
    }
    if (e->key() == Qt::Key_F1 && !e->isAutoRepeat())
        emit helpRequested(BassEditorHelpAnchor(HelpContext(focusedChild())));
    return false;
}
