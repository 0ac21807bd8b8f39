#pragma once

#include <QDialog>
#include <functional>

#include "shell/WindowServices.h"

class QComboBox;
class QLabel;
class QPushButton;

// ---- the two stores, without a window ----

// Puts the edited preset into unit slot `slot` (0..124): the preset module's
// bytes and the editor's name go into the slot's record, which is sent to
// the unit as a single-preset dump (not for a record of another family).
// The edit is then committed as the new original. False for a slot outside
// the memory; nothing changes then.
bool StoreEditToSlot(int slot);

// Appends the edited preset to the end of LibraryList and commits the edit.
// A preset opened from the device window (or any preset while no library
// file is current) starts from a fresh record and keeps the slot it was
// loaded from as its origin. A preset opened from the library starts as a
// copy of library item `lastSelected` (its device id, comment, date and
// author come along) and has no slot of origin. Returns the new item's
// index.
int AppendEditToLibrary(bool openedFromDevice, int lastSelected);

// The edit buffer becomes the editors' original: the edited state ends.
void CommitEditBuffer();

// Slot chosen by the two lists; 0 while either has no choice.
int ChosenSlot(int presetIndex, int bankIndex);

// ---- the dialog ----

// What the dialog reaches beyond the records.
struct StoreServices {
    // Shows a stored slot (0..124) in the device grid and selects it there;
    // may be empty.
    std::function<void(int slot)> showStoredSlot;
    // Whether the editor was last opened from the device window rather than
    // from the library window. Without an answer: from the device window.
    std::function<bool()> openedFromDevice;
    // The library window's last selected item index (-1 for none).
    std::function<int()> lastLibraryIndex;
};

// The small modal dialog in which the user decides where an edited preset
// goes: into a slot of the unit (overwriting it) or onto the end of the
// library. It holds no data of its own.
class TStoreForm : public QDialog {
    Q_OBJECT
public:
    static constexpr int ClientWidth = 235;
    static constexpr int ClientHeight = 150;
    static inline const char* HelpAnchor = "#T4H40";

    explicit TStoreForm(const WindowServices& shell, StoreServices services = {}, QWidget* parent = nullptr);

    // Sets the lists to bank index 0..24 and preset index 0..4.
    void Preselect(int bankIndex, int presetIndex);
    // Preselects and shows the dialog modally; the modal result.
    int ShowModal(int bankIndex, int presetIndex);
    // Overwrite: the two stores without showing the dialog.
    void StoreToUnit(int bankIndex, int presetIndex);
    void StoreToLibrary(int bankIndex, int presetIndex);

    int ChosenSlot() const;

    void FormShow();
    void StorePresetOrBankNrChange();
    void StoreToDruxClick();
    void StoreToLibClick();
    void StoreCancelClick();
    void FormKeyUp(int key);

    QLabel* Label1;
    QComboBox* StorePresetNr;
    QLabel* Label2;
    QComboBox* StoreBankNr;
    QPushButton* StoreToDrux;
    QPushButton* StoreToLib;
    QPushButton* StoreCancel;

    // Modal results: Yes for either store, No for "Do Not Store".
    enum Result { No = QDialog::Rejected, Yes = QDialog::Accepted };

signals:
    // LibraryList grew by an appended preset: the library window refills.
    void libraryListChanged();

protected:
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void showStoredSlot(int slot);

    HelpOpener& help;
    StoreServices services;
};
