#pragma once

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSplitter>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <QTreeWidget>
#include <QUrl>
#include <functional>
#include <vector>

#include "librarian/LibraryFileModel.h"
#include "librarian/LibraryFormLogic.h"
#include "librarian/PresetClipboard.h"

class LibrarySearch;
class TDeviceForm;

// The librarian's second window: a tree of folders and preset files on the
// left, the presets of the open library (LibraryList) on the right, one row
// per preset or comment line. The device window lends it Save, Save As,
// Print Library List, Undo and Redo.
// Its parts are defined in files of their own: LibraryForm.cpp the window,
// its actions and the tree's navigation; LibraryFormList.cpp the preset list
// and its commands; LibraryFormEditing.cpp the property editor and the
// list's clicks and keys; LibraryFormDrag.cpp the drags; LibraryFormTree.cpp
// the tree's file commands, over LibraryFiles.
class TLibraryForm : public QWidget {
    Q_OBJECT
public:
    static constexpr int TreeHelpContext = 1;
    static constexpr int ListHelpContext = 2;

    explicit TLibraryForm(TDeviceForm* device, QWidget* parent = nullptr);
    ~TLibraryForm() override;

    // ---- what the program calls ----
    // Refill the preset list from the library list and renumber.
    void RefillPresetList();
    // The item whose selection changed last (-1 for none).
    int LastSelectedIndex() const { return lastSelected; }
    // Select `path` in the tree and caption the window with it.
    void SelectPath(const QString& path);
    // The close query: false keeps the window (and the program) open.
    bool FormCloseQuery();
    // Removes the items a library Cut marked and renumbers.
    void DeleteCutItems();
    // Handlers for the device window's signals.
    void LibraryOpened(const QString& path);
    void LibrarySaved(const QString& path);
    void SysexImported(const QString& path);
    // Opens the library or dump file `path` as the open library and selects
    // its item `row` (a search result's place).
    void OpenLibraryAt(const QString& path, int row);
    // Edit of a record not necessarily in the list: auditions it, loads it
    // into the editor of its family and shows that editor under `caption`.
    void EditRecord(const PresetRecord& r, const QString& caption);

    // ---- handlers ----
    void FormShow();
    void FileTreeDblClick(const QModelIndex& index);
    void FileTreeChange();
    void NewFbtnClick();
    void EditExecute();
    void AuditionExecute();
    void CutPresetsExecute();
    void CopyPresetsExecute();
    void PastePresetsExecute();
    void DeletePresetsExecute();
    void SelectAllExecute();
    void RenamePresetExecute();
    void ExportExecute();
    void InsertCommentLineExecute();
    void NewDirectoryExecute();
    void DeleteFExecute();
    void RenameFExecute();
    void CutFExecute();
    void CopyFExecute();
    void PasteFExecute();
    void UpOneLevelExecute();
    void LibPopupMenuPopup();
    void FormKeyUp();

    // Drags of files out of the tree and of presets into it. A drag starts
    // at a file node only: its presets fill the drag list.
    void FileTreeStartDrag(const QModelIndex& index);
    bool FileTreeDragOver(DragSource source, const QModelIndex& node) const;
    void FileTreeDragDrop(DragSource source, const QModelIndex& node);
    void FileTreeEndDrag();
    // The name (without folder) of the tree file being dragged; empty when none.
    QString DraggedFileName() const { return draggedFileName; }
    DropMode CurrentDropMode() const { return dropMode; }
    // Scrolls the tree or list that a drag last hovered over by one line while
    // the pointer stays above or below it; stops the timer otherwise.
    void ScrollTimerTimer();
    // The pointer's global position for ScrollTimerTimer; tests may replace it.
    std::function<QPoint()> pointerPosition;

    // Property editing of item `index` in `column` (see EditColumn).
    void StartPropertyEdit(int index, EditColumn column);
    void PresetPropertyEditCommit();
    void PresetPropertyEditCancel();
    bool PropertyEditActive() const { return PresetPropertyEdit->isVisible(); }
    EditColumn ColumnToEdit() const { return editColumn; }

    // Selected item indices in list order.
    std::vector<int> SelectedItems() const;
    void SetSelectedItems(const std::vector<int>& items, int focused = -1);
    QString SelectedPath() const;
    // The folder of the selected path (the path itself for a folder).
    QString SelectedFolder() const;

    // Library file write of the close query; tests may replace it.
    std::function<bool(const QString&)> writeLibrary;
    // Carries a started drag to its drop; the default runs a QDrag.
    std::function<void(QMimeData*)> runDrag;

    QSplitter* Splitter;
    QToolButton* UpOneLevelBtn;
    QToolButton* NewDirectoryBtn;
    QToolButton* NewFbtn;
    QToolButton* BitBtn1;
    QToolButton* BitBtn2;
    QToolButton* DeleteFBtn;
    QToolButton* CutFBtn;
    QToolButton* CopyFBtn;
    QToolButton* PasteFBtn;
    QTreeView* FileTree;
    LibraryFileModel* FileModel;
    QLabel* PresetsLabel;
    QToolButton* DeletePBtn;
    QToolButton* CutPBtn;
    QToolButton* CopyPBtn;
    QToolButton* PastePBtn;
    QToolButton* PrintFBtn;
    QTreeWidget* PresetList;
    QLineEdit* PresetPropertyEdit;
    QTimer* ScrollTimer;
    // The search box over the list and the searches through all files.
    LibrarySearch* Search;

    // LibActionList in list order.
    QList<QAction*> LibActionList;
    QAction* Edit;
    QAction* Audition;
    QAction* CutPresets;
    QAction* CopyPresets;
    QAction* PastePresets;
    QAction* DeletePresets;
    QAction* SelectAll;
    QAction* RenamePreset;
    QAction* Export;
    QAction* InsertCommentLine;
    QAction* NewDirectory;
    QAction* DeleteF;
    QAction* RenameF;
    QAction* CutF;
    QAction* CopyF;
    QAction* PasteF;
    QAction* UpOneLevel;

    QMenu* LibPopupMenu;
    QMenu* FileTreePopupMenu;

signals:
    // The editor of the family is to be shown, opened from the library: the
    // records have been prepared; `name` goes into its name field, `caption`
    // (the tree's file without folder; empty to keep the caption) on top.
    void editorRequested(bool bass, const QString& name, const QString& caption);
    // LibraryList changed here; the device window need not know, but the
    // printing of the library list may.
    void libraryChanged();

protected:
    bool event(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    bool offerToSave();
    // Reads `path` into the library list and captions the window with it.
    bool openFile(const QString& path);
    void createActions();
    void createLayout();
    void refill(bool keepSelection);
    void updatePresetActions();
    // Opens a tree node's name for editing; treeEditEnded gives back what
    // the edit took.
    void editTreeName(const QModelIndex& index);
    void treeEditEnded();
    void updatePaste();
    void takeKeys(bool take);
    void placeEditor(int index, EditColumn column);
    void finishPropertyEdit(bool cancel);
    void selectionChanged(const QItemSelection& selected, const QItemSelection& deselected);
    // The window's event filter hands each watched object's events to these.
    bool listViewportEvent(QEvent* e);
    bool treeViewportEvent(QEvent* e);
    bool propertyEditEvent(QEvent* e);
    bool listMousePress(QMouseEvent* e);
    void listMouseRelease(QMouseEvent* e);
    bool listKeyPress(QKeyEvent* e);
    bool listDragEvent(QEvent* e);
    bool treeDragEvent(QEvent* e);
    void acceptDrop(QDropEvent* drop, DragSource source);
    // A drag hovered over or left `view`: the scroll timer works on it.
    void dragHovered(QAbstractItemView* view, bool left);
    void setRoot(const QString& folder);
    void selectInTree(const QString& path);
    void setFileFilter();
    void captionFor(const QString& path);
    void fileRenamed(const QString& oldPath, const QString& newPath);
    int firstSelected() const;
    void showMessage(const QString& text);

    TDeviceForm* device;
    int lastSelected = -1;
    EditColumn editColumn = EditColumn::None;
    int editIndex = -1;
    QString editStartText;
    bool finishing = false;
    bool settingSelection = false;
    // Rename by a second click needs the same single item selected at two
    // releases.
    int singleAtLastRelease = -1;
    bool treeEditing = false;
    bool doubleClicked = false;
    QTimer* slowClickTimer;
    DropMode dropMode = DropMode::Move;
    bool pendingDrag = false;
    QPoint dragStart;
    QPersistentModelIndex treeDragIndex;
    QPoint treeDragStart;
    QString draggedFileName;
    QString draggedFilePath;
    QAbstractItemView* scrollTarget = nullptr;
    QString rootFolder;
    // The keys of the action list, each taken by the first enabled action
    // that has it.
    QList<QKeySequence> actionKeys;
    // Shortcuts taken from the actions while the property editor is open.
    QList<QKeySequence> takenKeys;
};
