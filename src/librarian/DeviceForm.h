#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QStatusBar>
#include <QTableWidget>
#include <QUrl>
#include <functional>

#include "librarian/PresetClipboard.h"
#include "shell/MessageService.h"
#include "shell/WindowServices.h"

class HelpOpener;
class LibrarianActions;
struct PreferenceList;
struct PreferenceSet;

// The main window: the unit's 125 presets in 25 banks of 5, and the name of
// the preset in the unit's edit buffer above them. Every change of a slot
// made here goes to the unit at once. The windows it works with (editors,
// library window, configuration window, splash, printing) belong to the
// program, which connects the signals below to them. Save, Save As, Print
// Library List, Undo and Redo are the librarian's shared actions, which this
// window carries out for both librarian windows.
class QActionGroup;
class QMimeData;
class QScrollArea;

class TDeviceForm : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int GridColumns = 6;
    static constexpr int GridRows = 26;
    static constexpr int MaxWidth = 619;
    static constexpr int MaxHeight = 639;
    static constexpr int MinimizedWidth = 235;
    static constexpr int MinimizedHeight = 42;
    static inline const char* HelpAnchor = "#T3H00";

    TDeviceForm(const WindowServices& services, LibrarianActions& librarian, QWidget* parent = nullptr);
    ~TDeviceForm() override;

    // Slot shown by grid cell (column, row); header cells map to slot 0.
    static int CellToSlot(int column, int row);
    static QString StatusTextForCell(int column, int row);

    void RedrawSlot(int slot);
    void ShowCurrentPresetName(const QString& name);
    void SelectSlot(int slot);
    // The caption follows the active unit.
    void FormActivate();

    QRect Selection() const { return selection; }
    // Where the save and open dialogs start from now on.
    void SetDialogDirectory(const QString& folder) { startDirectory = folder; }
    // Selects the cells of `cells` (NoSelection() for none). The current
    // cell moves to the top-left cell, or off the grid for none.
    void SetSelection(const QRect& cells);
    // The slot of the current cell (0 when no slot cell is current).
    int CurrentSlot() const;
    // Set by the last mouse press: a header cell or the Current Preset field
    // makes the edit buffer the subject of Edit, Audition and Export.
    bool EditBufferFocus() const { return editBufferFocus; }
    bool RenameInProgress() const { return renameEditor != nullptr; }
    QLineEdit* RenameEditor() const { return renameEditor; }

    // "&Preferences": lists the preference sets each time it opens.
    void PrefsMClick();
    // Makes set `index` the active one (the menu's radio entries).
    void SetToPrefsClick(int index);

    // Handlers of the actions and menu items.
    void AuditionExecute();
    void OpenEditSelectedExecute();
    void CurrentPresetDblClick();
    void RequestExecute();
    void TransmitExecute();
    void ClearExecute();
    void RenameExecute();
    void RenameCommit();
    void RenameCancel();
    void SelectAllExecute();
    void CopyExecute();
    void PasteExecute();
    void UndoExecute();
    void RedoExecute();
    void ExportExecute();
    void ExportSysexExecute();
    void ImportSysexExecute();
    void RestoreBackupExecute();
    void OpenExecute();
    void SaveExecute();
    void SaveAsExecute();
    // Save As; false when the library was not written (cancelled or failed).
    bool SaveLibraryAs();
    void MemoryGridPopupPopup();
    void FileMClick();
    void MinimizedClick();
    void ContentsClick();
    void HelpKeyClick();
    void FormClick();

    // Drag and drop. A drag from the grid takes the selection (or, with
    // nothing selected, the edit buffer); Ctrl at the press that began it
    // makes a drop on the grid copy instead of swap.
    void PresetGridStartDrag();
    void CurrentPresetStartDrag();
    bool PresetGridDragOver(DragSource source, QPoint cell);
    void PresetGridDragDrop(DragSource source, QPoint cell);
    void CurrentPresetDragDrop();
    bool DragCopyMode() const { return dragCopyMode; }
    // Carries a started drag to its drop; the default runs a QDrag, whose
    // picture tells one preset from several.
    std::function<void(QMimeData*)> runDrag;

    // The action list, in list order; the library window reuses its file
    // actions.
    QList<QAction*> DeviceActionList;
    QAction* Audition;
    QAction* Copy;
    QAction* Paste;
    QAction* Request;
    QAction* Transmit;
    QAction* Clear;
    QAction* Rename;
    QAction* Export;
    QAction* OpenEditSelected;
    QAction* SelectAll;
    QAction* OpenConfiguration;
    QAction* ExportSysex;
    QAction* ImportSysex;
    QAction* RestoreBackup;
    QAction* PrintSetup;
    QAction* PrintP;
    QAction* PrintD;
    QAction* PrintL;
    QAction* Save;
    QAction* SaveAs;
    QAction* Open;
    QAction* CloseLib;
    QAction* Undo;
    QAction* Redo;
    QAction* Print;

    // The menu bar holds File, Edit, Preferences, Windows, Help in that
    // order. Items that run an action with the same caption are that action.
    QMenu* FileM;
    QAction* PrinterSetupM;
    QAction* PrintEditorM;
    QAction* PrintConfigurationM;
    QAction* PrintLibraryListM;
    QAction* ExitM;
    QMenu* EditM;
    QAction* PasteM;
    QMenu* PrefsM;
    QAction* SetM;
    QMenu* WindowsM;
    QAction* LibrarianM;
    QAction* MinimizedM;
    QAction* MidiMonitorM;
    QMenu* HelpM;
    QAction* ContentsM;
    QAction* AboutM;

    // Context menu of the grid and the Current Preset field.
    QMenu* MemoryGridPopup;
    QAction* ExportPopupM;

    QLabel* Label1;
    QLineEdit* CurrentPreset;
    QTableWidget* PresetGrid;
    QStatusBar* DeviceStatusBar;

    // Questions the device window asks the program; without an answer the
    // library window counts as hidden and the window may close.
    std::function<bool()> libraryWindowVisible;
    std::function<bool()> closeQuery;

signals:
    // "&Set..." was chosen: the preferences dialog is to be shown modally.
    void preferencesRequested();
    // The unit is to load a slot (program change 0..124).
    void programChangeRequested(int program);
    // The editor of the connected family is to be shown with `name` in its
    // name field, captioned with the unit's name and marked as opened from
    // the device window. The records have been prepared. An empty `name`
    // (edit-buffer focus: no slot was loaded) leaves the editor's name field
    // and compare state as they are.
    void editorRequested(bool bass, const QString& name);
    // The configuration window is to be shown modally.
    void configurationRequested();
    // The library window is to be shown; closed (its close query applies).
    void libraryWindowRequested();
    void closeLibraryRequested();
    // Windows > "MIDI Monitor".
    void midiMonitorRequested();
    // LibraryList now holds the file `path`: show the library window,
    // refill its list, select the file in its tree, caption it with `path`.
    void libraryOpened(const QString& path);
    // The library was written to `path`: the library window's caption.
    void librarySaved(const QString& path);
    // A SysEx file was imported: select it in the library window's tree.
    void sysexImported(const QString& path);
    // The splash window is to be shown modally as the About box.
    void aboutRequested();
    // Printing.
    void printSetupRequested();
    void printPresetFormRequested();
    void printDeviceListRequested();
    void printLibraryListRequested();
    void printRequested();
    // LibraryList changed here (a library Undo or Redo, or a paste into the
    // grid that moved cut library items): the library window refills.
    void libraryListChanged();

protected:
    bool event(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    void createActions();
    void createMenus();
    void showMessage(const QString& text);
    void showRestored(UndoTarget target);
    void PresetGridMouseMove(const QPoint& pos);
    bool PresetGridMouseDown(QMouseEvent* e, bool inCurrentPreset);
    bool PresetGridKeyDown(QKeyEvent* e);
    void selectionFollowsGrid();
    bool singleCell() const;
    // The file dialogs of the window; empty when cancelled.
    QString askSaveName(const QString& title, const QString& filter, const QString& proposed);
    QString askOpenName(const QString& title, const QString& filter);
    // Reads a dump file into the memory and the unit (Import Sysex), asking
    // first under "Confirm", then shows it or says why it did not change.
    void importDump(const QString& file);
    QString dialogDirectory() const;
    void exportSysex(int index, const QString& title);
    // Writes `list` to a library file the user chooses; false when nothing
    // was written. The current library file name is left to the caller.
    QString saveLibraryList(const PresetRecordList& list);
    void auditionSlot(int slot);
    void prepareEditor(bool loadSlot);
    void undoStateChanged();
    void showWrite(const GridWrite& write);
    bool dragEvent(QEvent* e, bool onGrid);
    bool dragMouse(QMouseEvent* e, DragSource source);

    MessageService& messages;
    HelpOpener& help;
    const PreferenceSet& prefs;
    const PreferenceList& prefSets;
    LibrarianActions& librarian;
    DialogQuestions questions{messages, this};
    QScrollArea* scroller = nullptr;
    // Makes the set entries of PrefsM exclusive.
    QActionGroup* prefsGroup = nullptr;
    // (left, top, right, bottom); all -1 while nothing is selected.
    QRect selection{QPoint(-1, -1), QPoint(-1, -1)};
    bool settingSelection = false;
    bool editBufferFocus = false;
    QLineEdit* renameEditor = nullptr;
    int renameSlot = -1;
    // The text a rename or the Current Preset field started from.
    QString rememberedName;
    // Start folder of the save and open dialogs once a file was written.
    QString startDirectory;
    QSize savedSize;
    // A left press that may become a drag once the pointer has moved 7 pixels.
    DragSource pendingDrag = DragSource::None;
    QPoint dragStart;
    bool dragCopyMode = false;
    bool doubleClickPending = false;
    // The preset files of a drag from another program.
    QStringList droppedFiles;
    // The selection a drag from the grid took its presets from.
    QRect dragSelection = NoSelection();
};
