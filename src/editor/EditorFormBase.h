#pragma once

#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <array>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "editor/EditorFormPanel.h"
#include "editor/PanelRows.h"
#include "editor/ValueConversions.h"

class QLabel;
class QKeyEvent;
class QLineEdit;
class TB_Image;
class TWC_ComboBox;
class TWC_CustomControl;
class TWC_ImgButton;
class TWC_ImgKnob;
struct MCtrl;
struct PresetRecord;

// Where the preset being edited was taken from. The device memory window and
// the library window set it; the name editor and Overwrite read it.
enum class PresetSource { Unit, Library };

// What an editor window is handed by the program.
struct EditorServices {
    // Program change on the unit's channel (the tuner button).
    std::function<void(int program)> sendProgramChange;
    // The device memory window's current slot, 0..124; the store dialog is
    // preselected with it.
    std::function<int()> currentSlot;
    // Notes on the unit's channel (the bass editor's piano).
    std::function<void(int note, int velocity)> sendNoteOn;
    std::function<void(int note, int velocity)> sendNoteOff;
};

// What the guitar and the bass editor have in common: a front panel of one
// preset module, the preset name editor, and the Original / Edit Buffer /
// Compare mechanism, which compares the module with the original preset
// every 100 ms and keeps the user's edit in the edit buffer. The store
// dialog and the help page belong to other windows: Store, Overwrite, the
// close with an unsaved edit and F1 ask for them through signals.
class TEditorFormBase : public QWidget {
    Q_OBJECT
public:
    static constexpr int ClientWidth = 789;
    static constexpr int ClientHeight = 583;
    static constexpr int ChangedMs = 100;
    static constexpr int TapCc = 64;
    static constexpr int TapValue = 127;
    static constexpr int TunerProgram = 127;

    ~TEditorFormBase() override;

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
    // change): the edit ends and "Original" lights up.
    void TookOriginal();
    void EnableChangedTimer();
    void StopChangedTimer();
    // A visible window runs its show steps again to take new preferences.
    void ShowAgain();
    // Closing without asking (another unit family became active).
    void CloseWithoutQuery();
    // False while the main window closes it after asking once already.
    bool CloseQueryEnabled = true;

    // ---- shared handlers ----
    virtual void FormShow() = 0;
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
    // Store shows the dialog; Overwrite commits the edit and stores it
    // where the preset came from. Both act on release.
    void StoreCtrlChange(TWC_ImgButton* sender, int v);

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
    // What the panel behind the controls shows.
    const PanelDrawing& Drawing() const { return drawing; }

    // ---- shared components ----
    TB_Image* BackImage = nullptr;
    QLabel* PresetName = nullptr;
    QLineEdit* NameEdit = nullptr;
    QLineEdit* ValueEdit = nullptr;
    TWC_ImgButton* KnbCompare = nullptr;
    TWC_ImgButton* Store = nullptr;
    TWC_ImgButton* Overwrite = nullptr;
    QTimer ChangedTimer;

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
    // The modules must exist and be handed to the controls first.
    TEditorFormBase(EditorServices services, int modix, const QString& objectName, const QString& caption,
                    QWidget* parent);

    // The header between the upper screws: the name display and the
    // Original, Edit Buffer, Compare, Store and Overwrite buttons.
    void buildHeader(PanelDrawing& panel);
    // Draws the panel behind the controls and lets the window see the keys
    // of every control.
    void finishPanel(PanelDrawing& panel);

    // Builds a panel's table, row by row in its order, and adds what the
    // rows print to the panel's drawing.
    template <class Form>
    void buildControls(PanelDrawing& panel, std::span<const typename PanelRows<Form>::Row> rows);

    MCtrl& param(int mcix) const;
    // A knob with its value label on or off; an unused knob shows no value.
    static void setKnobInUse(TWC_ImgKnob* knob, QLabel* label, bool on);
    static void refreshValueLabel(TWC_ImgKnob* knob, QLabel* label);
    // Keeps a switch in step with its parameter, without counting as the
    // user's change.
    static void followSwitch(TWC_ImgButton* button, bool on);
    // A switch turned by the user: remember the value and turn the
    // parameter off, or bring the remembered value back.
    void switchParameter(bool userChange, bool on, int mcix, int offValue, int& tag) const;
    void commitEdit();
    void slotPreselection(int& bank, int& preset) const;
    bool presetFromUnit() const { return source_ == PresetSource::Unit; }
    QWidget* focusedChild() const;

    // True when the window took the key.
    virtual bool FormKeyDown(QKeyEvent* e) = 0;
    virtual bool FormKeyUp(QKeyEvent* e) = 0;
    // What a window adds when its settings became the original.
    virtual void tookOriginal() {}

    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void hideEvent(QHideEvent* e) override;
    void changeEvent(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

    EditorServices services;
    // The two radio buttons of the compare mechanism.
    TWC_ImgButton* originalButton = nullptr;
    TWC_ImgButton* editBufferButton = nullptr;
    // The bass editor starts the name editor on the trimmed name.
    bool trimNameForEditing = false;
    // What a new knob shows its value with.
    ConversionPair defaultPair = GuitarValues::Midi;
    bool edited = false;
    bool switching = false;
    std::vector<KnobAndLabel> knobs;

private:
    // The style sheet `widget` gets when the window is first polished (at
    // once if it is already).
    void styleLater(QWidget* widget, const QString& sheet);
    // The rows of buildControls that place widgets, with the window's
    // members resolved.
    void placeKnob(TWC_ImgKnob*& knob, QLabel*& value, QLabel** title, int mcix, const char* caption, int help,
                   QPoint centre, KnobLook look, ConversionPair conversion, unsigned options, int reads);
    void placeList(TWC_ComboBox*& list, int mcix, QRect place, int help, std::span<const std::string_view> texts,
                   const char* caption);
    void placeSwitch(PanelDrawing& panel, TWC_ImgButton*& button, QPoint at, int help, int mcix, SwitchKind kind,
                     const char* caption, SwitchCaption captionArea, QLabel** label);
    TWC_ImgButton* button(QPoint at, int help, int mcix);
    // The caption printed beside a control is also its hint and its
    // accessible name.
    static void nameControl(QWidget* control, const char* caption);

    void takeValueEditor();
    void showRecordName(const PresetRecord& record);
    void originalButtonChange();
    void editBufferButtonChange();

    int modix;
    PanelDrawing drawing;
    PresetSource source_ = PresetSource::Unit;
    QString nameOnEntry;
    std::vector<std::pair<QPointer<QWidget>, QString>> pendingStyles;
};

template <class Form>
void TEditorFormBase::buildControls(PanelDrawing& panel, std::span<const typename PanelRows<Form>::Row> rows)
{
    using R = PanelRows<Form>;
    Form& window = static_cast<Form&>(*this);
    for (const typename R::Row& row : rows) {
        std::visit(
            [&](const auto& r) {
                using T = std::decay_t<decltype(r)>;
                if constexpr (std::is_same_v<T, typename R::Section>) {
                    panel.sections.push_back({r.area, QString::fromLatin1(r.title)});
                } else if constexpr (std::is_same_v<T, typename R::Text>) {
                    panel.captions.push_back({r.area, QString::fromLatin1(r.text), r.align});
                } else if constexpr (std::is_same_v<T, typename R::Badge>) {
                    panel.badge = r.area;
                    if (r.subtitle)
                        panel.badgeSubtitle = QString::fromLatin1(r.subtitle);
                } else if constexpr (std::is_same_v<T, typename R::Knob>) {
                    placeKnob(r.knob(window), r.value(window), r.title ? &r.title(window) : nullptr, r.mcix,
                              r.caption, r.help, r.centre, r.look, r.conversion, r.options, r.reads);
                } else if constexpr (std::is_same_v<T, typename R::List>) {
                    placeList(r.list(window), r.mcix, r.place, r.help, r.texts, r.caption);
                } else if constexpr (std::is_same_v<T, typename R::Switch>) {
                    placeSwitch(panel, r.button(window), r.at, r.help, r.mcix, r.kind, r.caption, r.captionArea,
                                r.label ? &r.label(window) : nullptr);
                } else {
                    static_assert(std::is_same_v<T, typename R::Own>);
                    (window.*r.build)(r.place);
                }
            },
            row);
    }
}
