#pragma once

#include <QString>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

class QLabel;
class QKeyEvent;
class QLineEdit;
class TB_Image;
class TWC_ComboBox;
class TWC_CustomControl;
class TWC_ImgButton;
class TWC_ImgKnob;
struct PresetRecord;

// Where the preset being edited was taken from. The device memory window and
// the library window set it; the name editor and Overwrite read it.
enum class PresetSource { Unit, Library };

// What the guitar editor is handed by the program.
struct EditorServices {
    // Program change on the unit's channel (the tuner button).
    std::function<void(int program)> sendProgramChange;
    // The device memory window's current slot, 0..124; the store dialog is
    // preselected with it.
    std::function<int()> currentSlot;
};

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
class TEditorForm : public QWidget {
    Q_OBJECT
public:
    static constexpr int ClientWidth = 789;
    static constexpr int ClientHeight = 583;
    static constexpr int ChangedMs = 100;
    static constexpr int TapCc = 64;
    static constexpr int TapValue = 127;
    static constexpr int TunerProgram = 127;

    // The modules must exist and be handed to the controls first.
    explicit TEditorForm(EditorServices services = {}, QWidget* parent = nullptr);
    ~TEditorForm() override;

    // ---- opening ----
    // Loads a record into the preset module without sending it, shows its
    // name and makes it the original and the edit buffer: the edit starts
    // afresh with "Original" lit.
    void TakePreset(const PresetRecord& record);
    // The module holds the original preset now: "Original" lights up and
    // the next change begins a new edit.
    void ResetCompareState();
    // Shows the window with this caption for a preset from `source`.
    void ShowPreset(const QString& caption, PresetSource source);
    void SetPresetSource(PresetSource source) { source_ = source; }
    PresetSource Source() const { return source_; }

    // ---- what the model asks of the window ----
    // Text of the name label, in the host's Latin-1.
    std::string PresetNameText() const;
    void ShowPresetName(const std::string& latin1Name);
    // The module's settings became the original (a refresh after a program
    // change): the edit ends, "Original" lights up, and the mix switches
    // remember the middle value.
    void TookOriginal();
    void EnableChangedTimer();
    void StopChangedTimer();
    // A visible window runs its show steps again to take new preferences.
    void ShowAgain();
    // Closing without asking (another unit family became active).
    void CloseWithoutQuery();
    // False while the main window closes it after asking once already.
    bool CloseQueryEnabled = true;

    // ---- published handlers ----
    void FormShow();
    void FormActivate();
    // Closing is always allowed; an unsaved edit asks for the store dialog.
    bool FormCloseQuery();
    void ChangedTimerTimer();
    void SetBuffers();
    void PresetNameClick();
    void NameEditEnter();
    void NameEditChange(const QString& text);
    void NameEditExit();
    void NameEditKeyUp(int key);
    void NameEditDblClick();
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
    void StoreCtrlChange(TWC_ImgButton* sender, int v);
    void KnbCompareCtrlChange(int v);
    void OriginalPresetBtnCtrlChange(int v);
    void EditBufferBtnCtrlChange(int v);

    bool Edited() const { return edited; }
    bool Switching() const { return switching; }
    // Help number of a control (0: none).
    static int HelpContext(const QWidget* control);
    // Every value knob with its value label, in placing order.
    struct KnobAndLabel {
        TWC_ImgKnob* knob;
        QLabel* label;
    };
    const std::vector<KnobAndLabel>& Knobs() const { return knobs; }

    // ---- components ----
    TB_Image* BackImage = nullptr;
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
    TWC_ImgButton* KnbCompare = nullptr;
    TWC_ImgButton* Store = nullptr;
    TWC_ImgButton* Overwrite = nullptr;
    TWC_ImgButton* TunerBut = nullptr;

    QLabel* PresetName = nullptr;
    QLineEdit* NameEdit = nullptr;
    QLineEdit* ValueEdit = nullptr;
    QTimer ChangedTimer;

    // The last non-off values of the four bypass-type switches' parameters,
    // brought back when the switch goes on again.
    int PreAmpBypassTag = 0;
    int CabinetBypassTag = 0;
    int PostFxMixOnTag = 0;
    int DelayMixOnTag = 0;

signals:
    // Show the store dialog modally, preselected with bank index 0..24 and
    // preset index 0..4.
    void storeDialogRequested(int bankIndex, int presetIndex);
    // The store dialog's two store actions, run without showing it.
    void storeToUnitRequested(int bankIndex, int presetIndex);
    void storeToLibraryRequested(int bankIndex, int presetIndex);
    // F1: open the help page at this anchor.
    void helpRequested(const QString& anchor);

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void changeEvent(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void buildPanel();
    TWC_ImgKnob* knob(TWC_ImgKnob*& knob, QLabel*& label, int mcix, const char* caption, int help, QPoint centre,
                      bool metal, QLabel** captionLabel = nullptr);
    TWC_ComboBox* list(int mcix, QRect place, int help, const std::string_view* texts, int count);
    TWC_ImgButton* button(QPoint at, int help, int mcix = -1);
    void watchKeys(QWidget* w);

    // True when the window took the key.
    bool FormKeyDown(QKeyEvent* e);
    bool FormKeyUp(QKeyEvent* e);
    // A knob with its value label on or off; an unused knob shows no value.
    void setKnobInUse(TWC_ImgKnob* knob, QLabel* label, bool on);
    void refreshValueLabel(TWC_ImgKnob* knob, QLabel* label);
    // Keeps a switch in step with its parameter, without counting as the
    // user's change.
    static void followSwitch(TWC_ImgButton* button, bool on);
    // A switch turned by the user: remember the value and turn the
    // parameter off, or bring the remembered value back.
    static void switchParameter(bool userChange, bool on, int mcix, int offValue, int& tag);
    void applyModelSetup();
    void applyCouplings();
    void commitEdit();
    void slotPreselection(int& bank, int& preset) const;
    bool presetFromUnit() const { return source_ == PresetSource::Unit; }

    EditorServices services;
    PresetSource source_ = PresetSource::Unit;
    bool edited = false;
    bool switching = false;
    QString nameOnEntry;
    std::vector<KnobAndLabel> knobs;
};
