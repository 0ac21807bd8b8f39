#pragma once

#include "editor/EditorFormBase.h"

// The guitar editor: the preset of the guitar preset module shown as the
// unit's front panel. Every knob, button and list is bound to one preset
// parameter; the window adds the couplings between the bypass switches and
// their parameters, the effect-type dependent knobs, the preset name editor
// and the Original / Edit Buffer / Compare mechanism, which compares the
// module with the original preset every 100 ms.
//
// The store dialog and the help page belong to other windows: the Store and
// Overwrite buttons, the close with an unsaved edit and F1 ask for them
// through signals.
class TEditorForm : public TEditorFormBase {
    Q_OBJECT
public:
    // The modules must exist and be handed to the controls first.
    explicit TEditorForm(const WindowServices& shell, EditorServices services = {}, QWidget* parent = nullptr);

    // ---- published handlers ----
    void FormShow() override;
    void KnbAmpType2CtrlChange(int v);
    void KnbCabinetTypeCtrlChange(int v);
    void KnbFx4CtrlChange(int v);
    void lbDelay4CtrlChange(int v);
    void KnbPreEffectTypeCtrlChange(int v);
    void KnbModFxOnCtrlChange(int v);
    void KnbFxDelayCtrlChange(int v);
    void PreAmpBypassCtrlChange(int v);
    void CabinetBypassCtrlChange(int v);
    void PostFxMixOnCtrlChange(int v);
    void DelayMixOnCtrlChange(int v);
    void TapBtnCtrlChange(int v);
    void TunerButCtrlChange(int v);
    void KnbCompareCtrlChange(int v);

    // ---- components ----
    TWC_ImgKnob* KnbAmp1 = nullptr;
    TWC_ImgKnob* KnbAmp2 = nullptr;
    TWC_ImgKnob* KnbAmp3 = nullptr;
    TWC_ImgKnob* KnbAmp4 = nullptr;
    TWC_ImgKnob* KnbAmp5 = nullptr;
    TWC_ImgKnob* KnbAmp6 = nullptr;
    TWC_ImgKnob* KnbReverbSendOffOn = nullptr;
    TWC_ImgKnob* KnbNoiseGateLevel = nullptr;
    TWC_ImgKnob* KnbWahOffPosition = nullptr;
    TWC_ImgKnob* KnbpFx1 = nullptr;
    TWC_ImgKnob* KnbpFx2 = nullptr;
    TWC_ImgKnob* KnbpFx3 = nullptr;
    TWC_ImgKnob* KnbpFx4 = nullptr;
    TWC_ImgKnob* KnbDelay1 = nullptr;
    TWC_ImgKnob* KnbDelay2 = nullptr;
    TWC_ImgKnob* KnbDelay3 = nullptr;
    TWC_ImgKnob* lbDelay4 = nullptr;
    TWC_ImgKnob* KnbFx1 = nullptr;
    TWC_ImgKnob* KnbFx2 = nullptr;
    TWC_ImgKnob* KnbFx3 = nullptr;
    TWC_ImgKnob* KnbFx4 = nullptr;
    QLabel* vlAmp1 = nullptr;
    QLabel* vlAmp2 = nullptr;
    QLabel* vlAmp3 = nullptr;
    QLabel* vlAmp4 = nullptr;
    QLabel* vlAmp5 = nullptr;
    QLabel* vlAmp6 = nullptr;
    QLabel* vlMix = nullptr;
    QLabel* GateValue = nullptr;
    QLabel* vlWah = nullptr;
    QLabel* vlpFx1 = nullptr;
    QLabel* vlpFx2 = nullptr;
    QLabel* vlpFx3 = nullptr;
    QLabel* vlpFx4 = nullptr;
    QLabel* vlDelay1 = nullptr;
    QLabel* vlDelay2 = nullptr;
    QLabel* vlDelay3 = nullptr;
    QLabel* vlDelay4 = nullptr;
    QLabel* vlFx1 = nullptr;
    QLabel* vlFx2 = nullptr;
    QLabel* vlFx3 = nullptr;
    QLabel* vlFx4 = nullptr;
    QLabel* lbAmp5 = nullptr;
    QLabel* lbpFx1 = nullptr;
    QLabel* lbpFx2 = nullptr;
    QLabel* lbpFx3 = nullptr;
    QLabel* lbpFx4 = nullptr;

    TWC_ComboBox* KnbAmpType1 = nullptr;
    TWC_ComboBox* KnbAmpType2 = nullptr;
    TWC_ComboBox* KnbFxMixAssign = nullptr;
    TWC_ComboBox* KnbCabinetType = nullptr;
    TWC_ComboBox* KnbReverbType = nullptr;
    TWC_ComboBox* KnbPreEffectType = nullptr;
    TWC_ComboBox* KnbFxDelay = nullptr;
    TWC_ComboBox* KnbModFx = nullptr;

    TWC_ImgButton* KnbFxOffOn = nullptr;
    TWC_ImgButton* KnbReverbOnOff = nullptr;
    TWC_ImgButton* KnbDriveOffOn = nullptr;
    TWC_ImgButton* PreAmpBypass = nullptr;
    TWC_ImgButton* CabinetBypass = nullptr;
    TWC_ImgButton* PostFxMixOn = nullptr;
    TWC_ImgButton* DelayMixOn = nullptr;
    TWC_ImgButton* TapBtn = nullptr;
    TWC_ImgButton* OriginalPresetBtn = nullptr;
    TWC_ImgButton* EditBufferBtn = nullptr;
    TWC_ImgButton* TunerBut = nullptr;


    // The last non-off values of the four bypass-type switches' parameters,
    // brought back when the switch goes on again.
    int PreAmpBypassTag = 0;
    int CabinetBypassTag = 0;
    int PostFxMixOnTag = 0;
    int DelayMixOnTag = 0;

protected:
    bool FormKeyDown(QKeyEvent* e) override;
    bool FormKeyUp(QKeyEvent* e) override;
    // After a program change the mix switches bring back a middle mix.
    void tookOriginal() override;

private:
    void buildPanel();
    void applyModelSetup();
    void applyCouplings();
};
