#include "editor/EditorForm.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

#include "controls/CustomControl.h"
#include "controls/ImgButton.h"
#include "controls/ImgKnob.h"
#include "controls/ListControls.h"
#include "controls/ResForm.h"
#include "editor/ConversionControls.h"
#include "editor/EditorFormPanel.h"
#include "editor/EditorFormTables.h"
#include "files/Preferences.h"
#include "model/Controllers.h"
#include "model/DeviceConnection.h"
#include "model/Parameters.h"
#include "model/Presets.h"

namespace {

namespace Mc = GuitarPreset;

// Rows of the panel: the header with the name display and the compare
// buttons between the upper screws, then three rows of sections that end
// above the lower screws.
constexpr int RowTop[] = {76, 241, 406};
constexpr int RowHeight = 158;
// Knob centres lie this far below their row's top: room for the title, a
// line of lists and switches, and the knob's caption.
constexpr int KnobDrop = 100;
constexpr int ListTop = 24;

constexpr QRect sectionAt(int x, int row, int width)
{
    return QRect(x, RowTop[row], width, RowHeight);
}
constexpr QPoint knobAt(int x, int row)
{
    return QPoint(x, RowTop[row] + KnobDrop);
}
// Lists and switches share the line below the section's title.
constexpr QRect listAt(int x, int row, int width)
{
    return QRect(x, RowTop[row] + ListTop, width, 24);
}
constexpr QPoint switchAt(int x, int row)
{
    return QPoint(x, RowTop[row] + ListTop - 2);
}

using F = TEditorForm;
using R = PanelRows<TEditorForm>;
constexpr KnobLook Black = KnobLook::Black;
constexpr KnobLook Metal = KnobLook::Metal;
constexpr SwitchKind Toggle = SwitchKind::Toggle;
constexpr SwitchKind Push = SwitchKind::Push;

// The guitar panel, in the order the user tabs through it. A knob row names
// the knob, its value label and the caption label the window changes, then
// the parameter, caption, help number, centre and look, and where they differ
// from the window's the conversion, options and the parameter the conversion
// reads.
const R::Row Panel[] = {
    // Amplifier: model, amp and drive switches, six tone knobs.
    R::Section{sectionAt(8, 0, 470), "AMPLIFIER"},
    R::List{in<&F::KnbAmpType2>, Mc::AmpModel, listAt(20, 0, 190), 9, GuitarEditorTexts::AmpModels},
    R::List{in<&F::KnbAmpType1>, Mc::AmpModel, listAt(20, 0, 190), 9,
            std::span(GuitarEditorTexts::AmpModels).first<GuitarEditorTexts::FirstGenerationAmpModels>()},
    R::Switch{in<&F::PreAmpBypass>, switchAt(224, 0), 10, Unbound, Toggle, "AMP ON", CaptionRight(60)},
    R::Switch{in<&F::KnbDriveOffOn>, switchAt(336, 0), 11, Mc::DriveOn, Toggle, "Drive", CaptionRight(60)},
    R::Knob{in<&F::KnbAmp1>, in<&F::vlAmp1>, nullptr, Mc::Gain, "Gain", 3, knobAt(58, 0), Black},
    R::Knob{in<&F::KnbAmp2>, in<&F::vlAmp2>, nullptr, Mc::Bass, "Bass", 4, knobAt(132, 0), Black},
    R::Knob{in<&F::KnbAmp3>, in<&F::vlAmp3>, nullptr, Mc::Mid, "Mid", 5, knobAt(206, 0), Black},
    R::Knob{in<&F::KnbAmp4>, in<&F::vlAmp4>, nullptr, Mc::Treble, "Treble", 6, knobAt(280, 0), Black},
    R::Knob{in<&F::KnbAmp5>, in<&F::vlAmp5>, in<&F::lbAmp5>, Mc::Presence, "Presence", 7, knobAt(354, 0), Black},
    R::Knob{in<&F::KnbAmp6>, in<&F::vlAmp6>, nullptr, Mc::Volume, "Volume", 8, knobAt(428, 0), Black},

    // Cabinet and reverb.
    R::Section{sectionAt(486, 0, 295), "CABINET / REVERB"},
    R::List{in<&F::KnbCabinetType>, Mc::Cabinet, listAt(498, 0, 170), 15, GuitarEditorTexts::Cabinets},
    R::Switch{in<&F::CabinetBypass>, switchAt(676, 0), 16, Unbound, Toggle, "CAB ON", CaptionRight(44)},
    R::Text{QRect(498, RowTop[0] + 56, 150, 14), "REVERB TYPE"},
    R::List{in<&F::KnbReverbType>, Mc::ReverbType, QRect(498, RowTop[0] + 72, 150, 24), 13,
            GuitarEditorTexts::ReverbTypes},
    R::Switch{in<&F::KnbReverbOnOff>, {498, RowTop[0] + 110}, 14, Mc::ReverbOn, Toggle, "REVERB ON", CaptionRight(80)},
    R::Knob{in<&F::KnbReverbSendOffOn>, in<&F::vlMix>, nullptr, Mc::ReverbMix, "Mix", 12, QPoint(722, RowTop[0] + 104),
            Metal},

    // Pre-effect: the type gives the knobs their captions.
    R::Section{sectionAt(8, 1, 310), "PRE-EFFECT"},
    R::List{in<&F::KnbPreEffectType>, Mc::PreEffectType, listAt(20, 1, 160), 13, GuitarEditorTexts::PreEffectTypes},
    R::Knob{in<&F::KnbpFx1>, in<&F::vlpFx1>, in<&F::lbpFx1>, Mc::PreEffectSpeed, "", 25, knobAt(55, 1), Metal},
    R::Knob{in<&F::KnbpFx2>, in<&F::vlpFx2>, in<&F::lbpFx2>, Mc::PreEffectDepth, "", 26, knobAt(127, 1), Metal},
    R::Knob{in<&F::KnbpFx3>, in<&F::vlpFx3>, in<&F::lbpFx3>, Mc::PreEffectOffset, "", 27, knobAt(199, 1), Metal},
    R::Knob{in<&F::KnbpFx4>, in<&F::vlpFx4>, in<&F::lbpFx4>, Mc::PreEffectFrequency, "", 28, knobAt(271, 1), Metal},

    // Noise gate and wah.
    R::Section{sectionAt(326, 1, 152), "GATE / WAH"},
    R::Knob{in<&F::KnbNoiseGateLevel>, in<&F::GateValue>, nullptr, Mc::NoiseGate, "Threshold", 20, knobAt(366, 1),
            Black, GuitarValues::Gate},
    R::Knob{in<&F::KnbWahOffPosition>, in<&F::vlWah>, nullptr, Mc::WahPosition, "Wah Position", 21, knobAt(438, 1),
            Black},

    // Modulation: the speed reads in the unit of the type.
    R::Section{sectionAt(486, 1, 295), "MODULATION"},
    R::List{in<&F::KnbModFx>, Mc::ModulationType, listAt(498, 1, 130), 13, GuitarEditorTexts::ModulationTypes},
    R::Switch{in<&F::PostFxMixOn>, switchAt(650, 1), 34, Unbound, Toggle, "MIX ON", CaptionRight(60)},
    R::Knob{in<&F::KnbFx1>, in<&F::vlFx1>, nullptr, Mc::ModulationSpeed, "Speed", 30, knobAt(528, 1), Metal,
            GuitarValues::FxSpd, NoKnobOption, Mc::ModulationType},
    R::Knob{in<&F::KnbFx2>, in<&F::vlFx2>, nullptr, Mc::ModulationDepth, "Depth", 31, knobAt(598, 1), Metal},
    R::Knob{in<&F::KnbFx3>, in<&F::vlFx3>, nullptr, Mc::ModulationFeedback, "FeedBack", 32, knobAt(668, 1), Metal},
    R::Knob{in<&F::KnbFx4>, in<&F::vlFx4>, nullptr, Mc::ModulationMix, "Mix", 33, knobAt(738, 1), Metal},

    // Delay.
    R::Section{sectionAt(8, 2, 390), "DELAY"},
    R::List{in<&F::KnbFxDelay>, Mc::DelayType, listAt(20, 2, 150), 13, GuitarEditorTexts::DelayTypes},
    R::Switch{in<&F::DelayMixOn>, switchAt(184, 2), 40, Unbound, Toggle, "MIX ON", CaptionRight(56)},
    R::Switch{in<&F::TapBtn>, switchAt(278, 2), 19, Unbound, Push, "Tap Tempo", CaptionRight(70)},
    R::Knob{in<&F::KnbDelay1>, in<&F::vlDelay1>, nullptr, Mc::DelayTime, "Delay-Time", 36, knobAt(83, 2), Black,
            GuitarValues::DelT, FineSteps},
    R::Knob{in<&F::KnbDelay2>, in<&F::vlDelay2>, nullptr, Mc::DelaySpread, "Spread", 37, knobAt(163, 2), Black},
    R::Knob{in<&F::KnbDelay3>, in<&F::vlDelay3>, nullptr, Mc::DelayFeedback, "FeedBack", 38, knobAt(243, 2), Black},
    R::Knob{in<&F::lbDelay4>, in<&F::vlDelay4>, nullptr, Mc::DelayMix, "Mix", 39, knobAt(323, 2), Black},

    // Effects: on/off, pedal assignment and the tuner.
    R::Section{sectionAt(406, 2, 375), "EFFECTS"},
    R::Switch{in<&F::KnbFxOffOn>, switchAt(418, 2), 18, Mc::EffectsOn, Toggle, "FX ON", CaptionRight(50)},
    R::Switch{in<&F::TunerBut>, switchAt(530, 2), 0, Unbound, Push, "TUNER", CaptionRight(50)},
    R::Text{QRect(418, RowTop[2] + 64, 220, 14), "Control Assigment"},
    R::List{in<&F::KnbFxMixAssign>, Mc::EffectSelection, QRect(418, RowTop[2] + 80, 190, 24), 17,
            GuitarEditorTexts::ControlAssignments, "Control Assigment"},
    R::Badge{QRect(612, RowTop[2] + 58, 160, 64)},
};

MCtrl& preset(int mcix) { return Param(ModixPreset, mcix); }

bool isFirstGeneration() { return ActiveDevice.Model == ModelDrux; }

} // namespace

// ---- building ----

TEditorForm::TEditorForm(EditorServices s, QWidget* parent)
    : TEditorFormBase(std::move(s), ModixPreset, QStringLiteral("EditorForm"), QStringLiteral("Editor"), parent)
{
    buildPanel();
}

void TEditorForm::buildPanel()
{
    PanelDrawing panel;
    panel.size = QSize(ClientWidth, ClientHeight);
    buildHeader(panel);
    OriginalPresetBtn = originalButton;
    EditBufferBtn = editBufferButton;
    buildControls<TEditorForm>(panel, Panel);

    // Handlers.
    for (auto [box, handler] : {std::pair{KnbAmpType1, &TEditorForm::KnbAmpType2CtrlChange},
                                std::pair{KnbAmpType2, &TEditorForm::KnbAmpType2CtrlChange},
                                std::pair{KnbCabinetType, &TEditorForm::KnbCabinetTypeCtrlChange},
                                std::pair{KnbPreEffectType, &TEditorForm::KnbPreEffectTypeCtrlChange},
                                std::pair{KnbModFx, &TEditorForm::KnbModFxOnCtrlChange},
                                std::pair{KnbFxDelay, &TEditorForm::KnbFxDelayCtrlChange}})
        box->OnCtrlChange = [this, handler](QWidget*, int v) { (this->*handler)(v); };
    KnbFx4->OnCtrlChange = [this](TWC_CustomControl*, int v) { KnbFx4CtrlChange(v); };
    lbDelay4->OnCtrlChange = [this](TWC_CustomControl*, int v) { lbDelay4CtrlChange(v); };
    for (auto [b, handler] : {std::pair{PreAmpBypass, &TEditorForm::PreAmpBypassCtrlChange},
                              std::pair{CabinetBypass, &TEditorForm::CabinetBypassCtrlChange},
                              std::pair{PostFxMixOn, &TEditorForm::PostFxMixOnCtrlChange},
                              std::pair{DelayMixOn, &TEditorForm::DelayMixOnCtrlChange},
                              std::pair{TapBtn, &TEditorForm::TapBtnCtrlChange},
                              std::pair{TunerBut, &TEditorForm::TunerButCtrlChange},
                              std::pair{KnbCompare, &TEditorForm::KnbCompareCtrlChange}})
        b->OnCtrlChange = [this, handler](TWC_CustomControl*, int v) { (this->*handler)(v); };

    finishPanel(panel);
}

void TEditorForm::FormShow()
{
    applyModelSetup();
    TWC_CustomControl::SetMouseDir(CurrentPreferences.MouseMoveMode);
    applyCouplings();
    for (const KnobAndLabel& k : knobs)
        refreshValueLabel(k.knob, k.label);
    ChangedTimer.start();
}

void TEditorForm::applyModelSetup()
{
    const bool first = isFirstGeneration();
    AdaptTablesToModel(ActiveDevice.Model);
    TWC_ComboBox* shown = first ? KnbAmpType1 : KnbAmpType2;
    TWC_ComboBox* hidden = first ? KnbAmpType2 : KnbAmpType1;
    hidden->hide();
    hidden->TWC_Hide();
    shown->show();
    shown->TWC_Show();
    lbAmp5->setVisible(!first);
    PreAmpBypass->SetEnabled(!first);
}

void TEditorForm::applyCouplings()
{
    KnbAmpType2CtrlChange(preset(Mc::AmpModel).value);
    KnbCabinetTypeCtrlChange(preset(Mc::Cabinet).value);
    KnbFx4CtrlChange(preset(Mc::ModulationMix).value);
    lbDelay4CtrlChange(preset(Mc::DelayMix).value);
    KnbPreEffectTypeCtrlChange(preset(Mc::PreEffectType).value);
    KnbModFxOnCtrlChange(preset(Mc::ModulationType).value);
    KnbFxDelayCtrlChange(preset(Mc::DelayType).value);
}

void TEditorForm::tookOriginal()
{
    PostFxMixOnTag = 64;
    DelayMixOnTag = 64;
}

// ---- switch couplings ----

void TEditorForm::PreAmpBypassCtrlChange(int v)
{
    switchParameter(PreAmpBypass->UserChange, v != 0, Mc::AmpModel, GuitarEditorTexts::AmpBypass, PreAmpBypassTag);
}

void TEditorForm::CabinetBypassCtrlChange(int v)
{
    switchParameter(CabinetBypass->UserChange, v != 0, Mc::Cabinet, GuitarEditorTexts::CabinetBypass,
                    CabinetBypassTag);
}

void TEditorForm::PostFxMixOnCtrlChange(int v)
{
    switchParameter(PostFxMixOn->UserChange, v != 0, Mc::ModulationMix, 0, PostFxMixOnTag);
}

void TEditorForm::DelayMixOnCtrlChange(int v)
{
    switchParameter(DelayMixOn->UserChange, v != 0, Mc::DelayMix, 0, DelayMixOnTag);
}

// The followers also remember every non-off value, so that a parameter
// turned off through its list or knob comes back with the switch as well.
void TEditorForm::KnbCabinetTypeCtrlChange(int v)
{
    followSwitch(CabinetBypass, v != GuitarEditorTexts::CabinetBypass);
    if (v != GuitarEditorTexts::CabinetBypass)
        CabinetBypassTag = v;
}

void TEditorForm::KnbFx4CtrlChange(int v)
{
    followSwitch(PostFxMixOn, v != 0);
    if (v != 0)
        PostFxMixOnTag = v;
}

void TEditorForm::lbDelay4CtrlChange(int v)
{
    followSwitch(DelayMixOn, v != 0);
    if (v != 0)
        DelayMixOnTag = v;
}

void TEditorForm::KnbAmpType2CtrlChange(int v)
{
    const bool bypass = v == GuitarEditorTexts::AmpBypass;
    followSwitch(PreAmpBypass, !bypass);
    if (!bypass)
        PreAmpBypassTag = v;
    for (auto [k, label] : {std::pair{KnbAmp1, vlAmp1}, std::pair{KnbAmp2, vlAmp2}, std::pair{KnbAmp3, vlAmp3},
                            std::pair{KnbAmp4, vlAmp4}})
        setKnobInUse(k, label, !bypass);
    setKnobInUse(KnbAmp5, vlAmp5, !bypass && !isFirstGeneration());
}

// ---- effect types ----

void TEditorForm::KnbPreEffectTypeCtrlChange(int v)
{
    const std::array<TWC_ImgKnob*, 4> pfx{KnbpFx1, KnbpFx2, KnbpFx3, KnbpFx4};
    const std::array<QLabel*, 4> values{vlpFx1, vlpFx2, vlpFx3, vlpFx4};
    const std::array<QLabel*, 4> captions{lbpFx1, lbpFx2, lbpFx3, lbpFx4};
    for (int i = 0; i < 4; ++i) {
        pfx[i]->SetEnabled(false);
        values[i]->setEnabled(false);
        captions[i]->clear();
    }
    if (v >= 0 && v < static_cast<int>(PreEffectKnobs.size())) {
        for (int i = 0; i < 4; ++i) {
            const PreEffectKnob& k = PreEffectKnobs[v][i];
            const bool on = k.use == PreEffectKnob::On || (k.use == PreEffectKnob::OnNewerModels && !isFirstGeneration());
            if (!on)
                continue;
            captions[i]->setText(QString::fromLatin1(k.caption.data(), static_cast<qsizetype>(k.caption.size())));
            if (k.conversion)
                InstallConversion(*pfx[i], *k.conversion);
            pfx[i]->SetEnabled(true);
            values[i]->setEnabled(true);
        }
    }
    for (int i = 0; i < 4; ++i)
        refreshValueLabel(pfx[i], values[i]);
}

void TEditorForm::KnbModFxOnCtrlChange(int v)
{
    const ModulationKnobs use = ModulationKnobsFor(v);
    setKnobInUse(KnbFx2, vlFx2, use.depth);
    setKnobInUse(KnbFx3, vlFx3, use.feedback);
    // The speed reads in the unit of the new type.
    refreshValueLabel(KnbFx1, vlFx1);
}

void TEditorForm::KnbFxDelayCtrlChange(int v)
{
    setKnobInUse(KnbDelay2, vlDelay2, v == GuitarEditorTexts::SimpleDelay);
}

// ---- tap and tuner ----

void TEditorForm::TapBtnCtrlChange(int v)
{
    if (v != 0)
        Unit().sendControlChange(TapCc, TapValue);
}

void TEditorForm::TunerButCtrlChange(int v)
{
    if (v != 0 && services.sendProgramChange)
        services.sendProgramChange(TunerProgram);
}

// ---- keys ----

namespace {
// Keypad 0 away from edit fields, or Insert, taps the tempo.
bool isTapKey(const QKeyEvent* e)
{
    if (e->key() == Qt::Key_Insert)
        return true;
    if (e->key() != Qt::Key_0 || !(e->modifiers() & Qt::KeypadModifier))
        return false;
    return !qobject_cast<QLineEdit*>(QApplication::focusWidget());
}
}

// Tap keys are taken here and go no further: keypad 0 would also set the
// focused knob to 0.
bool TEditorForm::FormKeyDown(QKeyEvent* e)
{
    if (!isTapKey(e))
        return false;
    if (!e->isAutoRepeat())
        followSwitch(TapBtn, true);
    return true;
}

bool TEditorForm::FormKeyUp(QKeyEvent* e)
{
    if (isTapKey(e)) {
        if (!e->isAutoRepeat())
            followSwitch(TapBtn, false);
        return true;
    }
    if (e->key() == Qt::Key_F1 && !e->isAutoRepeat()) {
        QWidget* focus = QApplication::focusWidget();
        emit helpRequested(EditorHelpAnchor(focus && isAncestorOf(focus) ? HelpContext(focus) : 0));
    }
    return false;
}

void TEditorForm::KnbCompareCtrlChange(int v)
{
    if (v != 0)
        return;
    if (EditBufferBtn->Down())
        OriginalPresetBtn->SetDown(true);
    else if (RecordDiffers(*EditBufferRecord) || GetRecordName(*OriginalRecord) != GetRecordName(*EditBufferRecord))
        EditBufferBtn->SetDown(true);
    SetBuffers();
}
