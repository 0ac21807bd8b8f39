#pragma once

#include <array>

#include "editor/BassEditorFormTables.h"
#include "editor/BassPianoPicture.h"
#include "editor/EditorFormBase.h"

// The bass editor: the preset of the bass preset module shown as the front
// panel of the bass units. Besides what it shares with the guitar editor it
// has the pre-effect, pedal, amp and post-effect modes that change captions,
// enabling, bindings and value texts of their knobs, a looper transport
// shown in the "Delay/Loop" mode and a piano that plays notes on the unit in
// the "MIDI Bass Synth" mode.
class TBassEditF : public TEditorFormBase {
    Q_OBJECT
public:
    static constexpr int DotMs = 2000;

    // The modules must exist and be handed to the controls first.
    explicit TBassEditF(EditorServices services = {}, QWidget* parent = nullptr);
    ~TBassEditF() override;

    // True while the piano takes the keys O and P (as the key codes of the
    // application's key filter).
    bool PianoActive() const;

    // ---- published handlers ----
    void FormShow() override;
    void cbPreFxModeCtrlChange(int v);
    void cbPedalSimCtrlChange(int v);
    void cbAmpModelCtrlChange(int v);
    void cbCabModelCtrlChange(int v);
    void cbPostFxModeCtrlChange(int v);
    void KnbAmpBypassCtrlChange(int v);
    void KnbCabBypassCtrlChange(int v);
    void KnbCompOnCtrlChange(int v);
    void KnbComp1CtrlChange(int v);
    void KnbXoverOnCtrlChange(int v);
    void KnbXover1CtrlChange(int v);
    void KnbDenoiserOnCtrlChange(int v);
    void KnbDenoise1CtrlChange(int v);
    void KnbDenoise2CtrlChange(int v);
    void KnbFx5CtrlChange(int v);
    void LooperKeyCtrlChange(int key, int v);
    void KnbTapCtrlChange(int v);
    void TunerButCtrlChange(int v);
    void PianoMouseDown();
    void PianoMouseMove(bool leftButton, int x, int y);
    void PianoMouseUp();
    void DotTimer();
    void KnbCompareCtrlChange(int v);

    // The note sounding, -1 for none; the marker's key, index -1 for none.
    int PlayingNote() const { return playingNote; }
    BassPiano::Position MarkerPosition() const { return lastPosition; }
    QRect MarkerRect() const { return Piano->Marker(); }

    // ---- components ----
    TWC_ImgKnob* KnbPre1 = nullptr;
    TWC_ImgKnob* KnbPre2 = nullptr;
    TWC_ImgKnob* KnbPre3 = nullptr;
    TWC_ImgKnob* KnbPre4 = nullptr;
    TWC_ImgKnob* KnbPre5 = nullptr;
    TWC_ImgKnob* KnbPre6 = nullptr;
    TWC_ImgKnob* KnbPre7 = nullptr;
    TWC_ImgKnob* KnbPre8 = nullptr;
    TWC_ImgKnob* KnbComp1 = nullptr;
    TWC_ImgKnob* KnbComp2 = nullptr;
    TWC_ImgKnob* KnbXover1 = nullptr;
    TWC_ImgKnob* KnbXover2 = nullptr;
    TWC_ImgKnob* KnbDenoise1 = nullptr;
    TWC_ImgKnob* KnbDenoise2 = nullptr;
    TWC_ImgKnob* KnbDenoise3 = nullptr;
    TWC_ImgKnob* KnbStomp1 = nullptr;
    TWC_ImgKnob* KnbStomp2 = nullptr;
    TWC_ImgKnob* KnbStomp3 = nullptr;
    TWC_ImgKnob* KnbStomp4 = nullptr;
    TWC_ImgKnob* KnbWah1 = nullptr;
    TWC_ImgKnob* KnbWah2 = nullptr;
    TWC_ImgKnob* KnbWah3 = nullptr;
    std::array<TWC_ImgKnob*, 7> KnbFx{};
    QLabel* vlPre1 = nullptr;
    QLabel* vlPre2 = nullptr;
    QLabel* vlPre3 = nullptr;
    QLabel* vlPre4 = nullptr;
    QLabel* vlPre5 = nullptr;
    QLabel* vlPre6 = nullptr;
    QLabel* vlPre7 = nullptr;
    QLabel* vlPre8 = nullptr;
    QLabel* vlComp1 = nullptr;
    QLabel* vlComp2 = nullptr;
    QLabel* vlXover1 = nullptr;
    QLabel* vlXover2 = nullptr;
    QLabel* vlDenoise1 = nullptr;
    QLabel* vlDenoise2 = nullptr;
    QLabel* vlDenoise3 = nullptr;
    QLabel* vlStomp1 = nullptr;
    QLabel* vlStomp2 = nullptr;
    QLabel* vlStomp3 = nullptr;
    QLabel* vlStomp4 = nullptr;
    QLabel* vlWah1 = nullptr;
    QLabel* vlWah2 = nullptr;
    QLabel* vlWah3 = nullptr;
    std::array<QLabel*, 7> vlFx{};
    QLabel* lbPre5 = nullptr;
    QLabel* lbWah1 = nullptr;
    std::array<QLabel*, 7> lbFx{};

    TWC_ComboBox* cbAmpModel = nullptr;
    TWC_ComboBox* cbCabModel = nullptr;
    TWC_ComboBox* cbPedalSim = nullptr;
    TWC_ComboBox* cbPreFxMode = nullptr;
    TWC_ComboBox* cbPostFxMode = nullptr;

    TWC_ImgButton* KnbFxOn = nullptr;
    TWC_ImgButton* KnbCompOn = nullptr;
    TWC_ImgButton* KnbAmpBypass = nullptr;
    TWC_ImgButton* KnbCabBypass = nullptr;
    TWC_ImgButton* KnbXoverOn = nullptr;
    TWC_ImgButton* KnbDenoiserOn = nullptr;
    TWC_ImgButton* KnbTap = nullptr;
    TWC_ImgButton* TunerBut = nullptr;
    TWC_ImgButton* KnbRec = nullptr;
    TWC_ImgButton* KnbLoop = nullptr;
    TWC_ImgButton* KnbPlay = nullptr;
    TWC_ImgButton* KnbStop = nullptr;
    TWC_ImgButton* KnbHalf = nullptr;
    TWC_ImgButton* KnbBack = nullptr;
    TWC_ImgButton* KnbEditBuffer = nullptr;
    TWC_ImgButton* KnbOriginal = nullptr;
    TBassPianoPicture* Piano = nullptr;
    QTimer Dot;

    // The last non-off values that the bypass-type switches bring back.
    int KnbAmpBypassTag = 0;
    int KnbCabBypassTag = 0;
    int KnbCompOnTag = 0;
    int KnbXoverOnTag = 0;
    int KnbDenoise1Tag = 0;
    int KnbDenoise2Tag = 0;

protected:
    bool FormKeyDown(QKeyEvent* e) override;
    bool FormKeyUp(QKeyEvent* e) override;

private:
    void buildPanel();
    void buildPiano(QRect place);
    void applyCouplings();
    // The synth's interval knob shows semitones without a key and
    // intervals with one.
    void bindSynthInterval(int key, bool modeChanged = false);
    void rebind(TWC_ImgKnob* knob, QLabel* label, int mcix);
    void setEffectKnob(int i, const PostEffectKnob& use);
    bool pianoKey(QKeyEvent* e, bool down);
    std::array<TWC_ImgButton*, 6> looperButtons() const;
    void showLooper(bool on);

    // The user chose a pre-effect mode: "MIDI-Wah" then starts its pedal at 0.
    bool preFxModeChosen = false;
    // The pre-effect mode the window was last set up for.
    int shownPreFxMode = -1;
    // The looper keys' captions come and go with the keys.
    std::array<QLabel*, 6> looperCaptions{};
    int playingNote = -1;
    BassPiano::Position lastPosition;
};
