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

// Guitar preset parameters (Mcix) the window handles itself.
enum : int {
    McAmpModel = 8,
    McCabinet = 12,
    McPreEffectType = 17,
    McDelayType = 22,
    McDelayMix = 27,
    McModulationType = 28,
    McModulationMix = 32,
};

// Rows of the panel: the header with the name display and the compare
// buttons between the upper screws, then three rows of sections that end
// above the lower screws.
constexpr int RowTop[] = {76, 241, 406};
constexpr int RowHeight = 158;
// Knob centres lie this far below their row's top: room for the title, a
// line of lists and switches, and the knob's caption.
constexpr int KnobDrop = 100;
constexpr int ListTop = 24;

MCtrl& preset(int mcix) { return Param(ModixPreset, mcix); }

bool isFirstGeneration() { return ActiveDevice.Model == ModelDrux; }

} // namespace

// ---- building ----

TEditorForm::TEditorForm(const WindowServices& shell, EditorServices s, QWidget* parent)
    : TEditorFormBase(shell, std::move(s), ModixPreset, QStringLiteral("EditorForm"), QStringLiteral("Editor"), parent)
{
    buildPanel();
}

void TEditorForm::buildPanel()
{
    using namespace GuitarEditorTexts;
    PanelDrawing panel;
    panel.size = QSize(ClientWidth, ClientHeight);
    auto section = [&](int x, int row, int w, const char* title) {
        panel.sections.push_back({QRect(x, RowTop[row], w, RowHeight), QString::fromLatin1(title)});
    };
    // A switch with its caption printed to its right.
    auto switchCaption = [&](TWC_ImgButton* b, const char* text, int width = 60) {
        panel.captions.push_back({QRect(b->x() + 50, b->y(), width, b->height()), QString::fromLatin1(text),
                                  Qt::AlignLeft | Qt::AlignVCenter});
        nameControl(b, text);
    };
    auto knobAt = [&](int x, int row) { return QPoint(x, RowTop[row] + KnobDrop); };

    // Header: the name display and the compare and store buttons.
    buildHeader(panel);
    OriginalPresetBtn = originalButton;
    EditBufferBtn = editBufferButton;

    // Amplifier: model, amp and drive switches, six tone knobs.
    section(8, 0, 470, "AMPLIFIER");
    const QRect ampList(20, RowTop[0] + ListTop, 190, 24);
    KnbAmpType2 = list(McAmpModel, ampList, 9, AmpModels.data(), static_cast<int>(AmpModels.size()));
    KnbAmpType1 = list(McAmpModel, ampList, 9, AmpModels.data(), FirstGenerationAmpModels);
    PreAmpBypass = button({224, RowTop[0] + ListTop - 2}, 10);
    switchCaption(PreAmpBypass, "AMP ON");
    KnbDriveOffOn = button({336, RowTop[0] + ListTop - 2}, 11, 15);
    switchCaption(KnbDriveOffOn, "Drive");
    knob(KnbAmp1, vlAmp1, 1, "Gain", 3, knobAt(58, 0), false);
    knob(KnbAmp2, vlAmp2, 4, "Bass", 4, knobAt(132, 0), false);
    knob(KnbAmp3, vlAmp3, 3, "Mid", 5, knobAt(206, 0), false);
    knob(KnbAmp4, vlAmp4, 2, "Treble", 6, knobAt(280, 0), false);
    knob(KnbAmp5, vlAmp5, 6, "Presence", 7, knobAt(354, 0), false, &lbAmp5);
    knob(KnbAmp6, vlAmp6, 5, "Volume", 8, knobAt(428, 0), false);

    // Cabinet and reverb.
    section(486, 0, 295, "CABINET / REVERB");
    KnbCabinetType = list(McCabinet, QRect(498, RowTop[0] + ListTop, 170, 24), 15, Cabinets.data(),
                          static_cast<int>(Cabinets.size()));
    CabinetBypass = button({676, RowTop[0] + ListTop - 2}, 16);
    switchCaption(CabinetBypass, "CAB ON", 44);
    panel.captions.push_back({QRect(498, RowTop[0] + 56, 150, 14), QStringLiteral("REVERB TYPE"),
                              Qt::AlignLeft | Qt::AlignVCenter});
    KnbReverbType = list(13, QRect(498, RowTop[0] + 72, 150, 24), 13, ReverbTypes.data(),
                         static_cast<int>(ReverbTypes.size()));
    KnbReverbOnOff = button({498, RowTop[0] + 110}, 14, 11);
    switchCaption(KnbReverbOnOff, "REVERB ON", 80);
    knob(KnbReverbSendOffOn, vlMix, 7, "Mix", 12, QPoint(722, RowTop[0] + 104), true);

    // Pre-effect.
    section(8, 1, 310, "PRE-EFFECT");
    KnbPreEffectType = list(McPreEffectType, QRect(20, RowTop[1] + ListTop, 160, 24), 13, PreEffectTypes.data(),
                            static_cast<int>(PreEffectTypes.size()));
    knob(KnbpFx1, vlpFx1, 18, "", 25, knobAt(55, 1), true, &lbpFx1);
    knob(KnbpFx2, vlpFx2, 19, "", 26, knobAt(127, 1), true, &lbpFx2);
    knob(KnbpFx3, vlpFx3, 20, "", 27, knobAt(199, 1), true, &lbpFx3);
    knob(KnbpFx4, vlpFx4, 21, "", 28, knobAt(271, 1), true, &lbpFx4);

    // Noise gate and wah.
    section(326, 1, 152, "GATE / WAH");
    knob(KnbNoiseGateLevel, GateValue, 14, "Threshold", 20, knobAt(366, 1), false);
    InstallConversion(*KnbNoiseGateLevel, GuitarValues::Gate, questions);
    knob(KnbWahOffPosition, vlWah, 16, "Wah Position", 21, knobAt(438, 1), false);

    // Modulation.
    section(486, 1, 295, "MODULATION");
    KnbModFx = list(McModulationType, QRect(498, RowTop[1] + ListTop, 130, 24), 13, ModulationTypes.data(),
                    static_cast<int>(ModulationTypes.size()));
    PostFxMixOn = button({650, RowTop[1] + ListTop - 2}, 34);
    switchCaption(PostFxMixOn, "MIX ON", 60);
    knob(KnbFx1, vlFx1, 29, "Speed", 30, knobAt(528, 1), true);
    InstallConversion(*KnbFx1, GuitarValues::FxSpd, questions, [] { return preset(McModulationType).value; });
    knob(KnbFx2, vlFx2, 30, "Depth", 31, knobAt(598, 1), true);
    knob(KnbFx3, vlFx3, 31, "FeedBack", 32, knobAt(668, 1), true);
    knob(KnbFx4, vlFx4, McModulationMix, "Mix", 33, knobAt(738, 1), true);

    // Delay.
    section(8, 2, 390, "DELAY");
    KnbFxDelay = list(McDelayType, QRect(20, RowTop[2] + ListTop, 150, 24), 13, DelayTypes.data(),
                      static_cast<int>(DelayTypes.size()));
    DelayMixOn = button({184, RowTop[2] + ListTop - 2}, 40);
    switchCaption(DelayMixOn, "MIX ON", 56);
    TapBtn = button({278, RowTop[2] + ListTop - 2}, 19);
    TapBtn->SetIsPushButton(true);
    switchCaption(TapBtn, "Tap Tempo", 70);
    knob(KnbDelay1, vlDelay1, 33, "Delay-Time", 36, knobAt(83, 2), false);
    KnbDelay1->FineEnabled = true;
    InstallConversion(*KnbDelay1, GuitarValues::DelT, questions);
    knob(KnbDelay2, vlDelay2, 25, "Spread", 37, knobAt(163, 2), false);
    knob(KnbDelay3, vlDelay3, 26, "FeedBack", 38, knobAt(243, 2), false);
    knob(lbDelay4, vlDelay4, McDelayMix, "Mix", 39, knobAt(323, 2), false);

    // Effects: on/off, pedal assignment and the tuner.
    section(406, 2, 375, "EFFECTS");
    KnbFxOffOn = button({418, RowTop[2] + ListTop - 2}, 18, 10);
    switchCaption(KnbFxOffOn, "FX ON", 50);
    TunerBut = button({530, RowTop[2] + ListTop - 2}, 0);
    TunerBut->SetIsPushButton(true);
    switchCaption(TunerBut, "TUNER", 50);
    panel.captions.push_back({QRect(418, RowTop[2] + 64, 220, 14), QStringLiteral("Control Assigment"),
                              Qt::AlignLeft | Qt::AlignVCenter});
    KnbFxMixAssign = list(9, QRect(418, RowTop[2] + 80, 190, 24), 17, ControlAssignments.data(),
                          static_cast<int>(ControlAssignments.size()));
    nameControl(KnbFxMixAssign, "Control Assigment");
    panel.badge = QRect(612, RowTop[2] + 58, 160, 64);

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
    TWC_CustomControl::SetMouseDir(prefs.MouseMoveMode);
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
    KnbAmpType2CtrlChange(preset(McAmpModel).value);
    KnbCabinetTypeCtrlChange(preset(McCabinet).value);
    KnbFx4CtrlChange(preset(McModulationMix).value);
    lbDelay4CtrlChange(preset(McDelayMix).value);
    KnbPreEffectTypeCtrlChange(preset(McPreEffectType).value);
    KnbModFxOnCtrlChange(preset(McModulationType).value);
    KnbFxDelayCtrlChange(preset(McDelayType).value);
}

void TEditorForm::tookOriginal()
{
    PostFxMixOnTag = 64;
    DelayMixOnTag = 64;
}

// ---- switch couplings ----

void TEditorForm::PreAmpBypassCtrlChange(int v)
{
    switchParameter(PreAmpBypass->UserChange, v != 0, McAmpModel, GuitarEditorTexts::AmpBypass, PreAmpBypassTag);
}

void TEditorForm::CabinetBypassCtrlChange(int v)
{
    switchParameter(CabinetBypass->UserChange, v != 0, McCabinet, GuitarEditorTexts::CabinetBypass,
                    CabinetBypassTag);
}

void TEditorForm::PostFxMixOnCtrlChange(int v)
{
    switchParameter(PostFxMixOn->UserChange, v != 0, McModulationMix, 0, PostFxMixOnTag);
}

void TEditorForm::DelayMixOnCtrlChange(int v)
{
    switchParameter(DelayMixOn->UserChange, v != 0, McDelayMix, 0, DelayMixOnTag);
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
                InstallConversion(*pfx[i], *k.conversion, questions);
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
