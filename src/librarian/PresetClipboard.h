#pragma once

#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <vector>

#include "librarian/LibrarianState.h"
#include "model/Presets.h"
#include "shell/Questions.h"

class QMimeData;

// Moving presets between the unit's memory, the edit buffer, the library
// list and files: the clipboard, the drag list, drops and the one-level undo.
// The windows hand in a grid rectangle or a list of selected indices, a drop
// position and the modifier state; everything here works on the program's
// record lists. Questions go to `questions`.

// ---- undo ----

// Whose snapshot Undo and Redo act on: the side that took the last one.
enum class UndoOwner { Device, Library };

struct UndoStates {
    UndoOwner owner = UndoOwner::Device;
    bool undoEnabled = false;
    bool redoEnabled = false;
};
extern UndoStates UndoState;

// Told after every change of UndoState (the device window enables its
// Undo and Redo actions from it). Null removes the listener.
void SetUndoStateListener(std::function<void()> listener);
const std::function<void()>& UndoStateListener();

// The device snapshot copies DeviceMemory into DeviceMemoryUndo; the library
// snapshot copies LibraryList into LibraryUndoList. Both enable Undo, disable
// Redo and make their side the owner.
void TakeDeviceSnapshot();
void TakeLibrarySnapshot();

enum class UndoTarget { None, Device, Library };
// The side whose records changed (None when the action is disabled). On the
// device side the two memory images exchange and all 125 slots are sent; the
// caller redraws the grid. On the library side the caller refills the list.
UndoTarget UndoLastChange();
UndoTarget RedoLastChange();

// ---- the device grid ----

constexpr int GridLastColumn = 5;
constexpr int GridLastRow = 25;

// Slot of a slot cell (column 1..5, row 1..25).
inline int SlotAt(int column, int row) { return (row - 1) * 5 + (column - 1); }
inline int SlotAt(QPoint cell) { return SlotAt(cell.x(), cell.y()); }
inline QPoint CellOf(int slot) { return QPoint(slot % 5 + 1, slot / 5 + 1); }

// The cells a rectangular list covers when laid out from `anchor`; may run
// past the grid.
QRect TargetRectangle(QPoint anchor, const PresetRecordList& list);

// What a paste or drop into the grid did. Every written slot has been sent
// to the unit (records of another family excepted); the caller redraws them.
struct GridWrite {
    bool written = false;
    std::vector<int> writtenSlots;
    // The new selection for a rectangular write; null for a linear one.
    QRect selection;
    // Cut library items were removed (a cut-and-paste moves the presets).
    bool libraryChanged = false;
};

// Paste of the preset clipboard at the selection's top-left cell; with
// nothing selected the paste starts at Bank 1, Preset A.
GridWrite PasteIntoGrid(const PresetRecordList& clipboard, const QRect& selection, Questions& questions);

// Whether presets dragged from the grid itself may be dropped on `cell`:
// not on a header cell or outside the slots, and not where the dropped
// rectangle would overlap the dragged selection.
bool GridDropAllowed(QPoint cell, const QRect& dragSelection, bool fromGrid);

// Drop of the drag list on `cell`. A rectangular drag list from the grid
// swaps with the target unless `copyMode`; `source` is the dragged selection.
GridWrite DropOnGrid(const PresetRecordList& drag, QPoint cell, const QRect& source, bool copyMode,
                     Questions& questions);

// Device Copy: the grid selection (or, with nothing selected, the edit
// buffer under `editBufferName`) into the preset clipboard.
void CopyGridSelection(const QRect& selection, const QString& editBufferName);

// Fills the drag list with one record of the edit buffer under `name`, one
// column wide (a drag from the Current Preset field).
void CollectEditBuffer(const QString& name, PresetRecordList& list);

// ---- drags between the windows ----

// Where a drag began; its MIME data names it. Files: preset files dragged
// from another program, such as the desktop's file manager.
enum class DragSource { None, Grid, CurrentPreset, LibraryList, FileTree, Files };
QMimeData* PresetDragData(DragSource source);
// None for data of any other kind.
DragSource PresetDragSource(const QMimeData* data);

// The local files of a drag from another program that the library window's
// tree would show (".syx" and the family's library extension); empty when
// it carries none or any other file.
QStringList DroppedPresetFiles(const QMimeData* data, bool bass);
// The source of a drag: one of the program's own, Files for preset files
// from elsewhere, else None.
DragSource DropSource(const QMimeData* data, bool bass);
// Reads dropped files into the drag list one after the other, as the tree's
// own files are read. False when one of them could not be read ("Unable to
// Load the file"); the drop goes on with what was read.
bool ReadDroppedFiles(const QStringList& files, Questions& questions);

// ---- the library list ----

// Flags in a library record's mark byte.
constexpr uint8_t CutMark = 1;
constexpr uint8_t DraggedMark = 2;

// True while the preset clipboard holds the items of a library Cut; only
// then does a paste remove cut items from the library. Every other filling
// of the clipboard clears it.
extern bool ClipboardFromCut;

// Library Cut and Copy: the selected items (in list order) into the
// clipboard. Returns whether Paste is to be enabled (the clipboard holds
// records); nothing changes when nothing is selected.
bool CopyLibraryItems(const std::vector<int>& selected, bool cut);

// Removes cut items from the library list, walking at most `limit` of them
// from the top (-1 for all). With `presetsOnly` cut comment lines stay and
// lose their cut mark: they never reached the unit. Returns how many went.
int RemoveCutItems(int limit = -1, bool presetsOnly = false);

struct ListSelection {
    std::vector<int> selected;
    int focused = -1;
};

// Library Paste: inserts the clipboard at the focused item, else at the first
// selected one, else at the end. Returns the items to select and focus.
ListSelection PasteIntoLibrary(int focused, const std::vector<int>& selected);

// Library Delete of the selected items. False when nothing is selected or
// the question was answered No.
bool DeleteFromLibrary(const std::vector<int>& selected, Questions& questions);

enum class DropMode { Move = 0, Replace = 1, Insert = 2 };

// Drop mode of a press on a list item.
DropMode DropModeFor(bool ctrl, bool shift);

// Start of a drag in the library list: the selected items into the drag
// list, marked as dragged.
void StartLibraryDrag(const std::vector<int>& selected);

// A drop from the list itself may not land on a selected item; `dropIndex`
// is the item under the pointer or the item count.
bool LibraryDropAllowed(int dropIndex, const std::vector<int>& selected, bool fromList);

struct LibraryDrop {
    bool dropped = false;
    ListSelection selection;
    bool deselectOthers = false; // move mode
    bool libraryBecameChanged = false; // the list was empty before
};

// Drop of the drag list at `dropIndex` in `mode`; afterwards the mode is
// Insert.
LibraryDrop DropIntoLibrary(int dropIndex, DropMode& mode, Questions& questions);

// ---- files of the library window's tree ----

// The file a drop or paste onto `folder` creates: "New" with the family's
// library extension, or New0, New1 ... when that exists.
QString NewLibraryPath(const QString& folder, bool bass);

// Replaces the list's records with a file's presets: a ".syx" file as a
// dump, any other as a library. On failure the list is left empty, so that
// a transfer goes on with nothing rather than with older presets. False
// when the file cannot be read ("Unable to Load the file"); a dump that is
// not compatible or corrupted says so first.
bool ReadPresetFile(PresetRecordList& list, const QString& path, Questions& questions);

// File-tree Cut and Copy of a file: its presets into the clipboard. False
// when it cannot be read.
bool CopyFileToClipboard(const QString& path, Questions& questions);

struct FolderWrite {
    bool saved = false; // false: "Unable to Save the file"
    QString path;
    bool editName = false; // a new file whose name the user is to edit in place
};

// Writes `list` as a library into `folder`: under `draggedFileName` when a
// file of the tree is being dragged (a copy of it), else as a new file.
// A dragged ".syx" file is written under the family's library extension, so
// that no dump file is ever overwritten with a library; when that name is
// taken, a digit is added (Name0, Name1 ...) so that no file is replaced.
FolderWrite WritePresetsIntoFolder(const PresetRecordList& list, const QString& folder,
                                   const QString& draggedFileName, bool bass);
