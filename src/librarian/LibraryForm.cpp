#include "librarian/LibraryForm.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QCursor>
#include <QDir>
#include <QDrag>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMimeData>
#include <QPalette>
#include <QScrollBar>
#include <QVBoxLayout>

#include "shell/HelpPage.h"
#include "controls/KeyCodes.h"
#include "shell/MessageService.h"
#include "files/LibraryFile.h"
#include "files/Preferences.h"
#include "librarian/DeviceForm.h"
#include "librarian/LibrarianState.h"
#include "librarian/LibrarySearch.h"
#include "model/Trace.h"

namespace {

// LibActionList in its order. The PresetList actions answer to their keys
// while the list has the focus, the FileTree actions while the tree has it,
// so that a key shared by both (Delete, Cut, Copy, Paste, Rename) acts on
// what the user is looking at.
struct LibActionRow {
    QAction* TLibraryForm::*member;
    const char* name;
    const char* caption;
    const char* key;
    bool tree;
    void (TLibraryForm::*handler)();
    bool enabled;
};

const LibActionRow LibActionTable[] = {
    {&TLibraryForm::Edit, "Edit", "&Edit", "Return", false, &TLibraryForm::EditExecute, true},
    {&TLibraryForm::Audition, "Audition", "&Audition", "Alt+A", false, &TLibraryForm::AuditionExecute, true},
    {&TLibraryForm::CutPresets, "CutPresets", "&Cut", "Ctrl+X", false, &TLibraryForm::CutPresetsExecute, false},
    {&TLibraryForm::CopyPresets, "CopyPresets", "C&opy", "Ctrl+C", false, &TLibraryForm::CopyPresetsExecute, false},
    {&TLibraryForm::PastePresets, "PastePresets", "&Paste", "Ctrl+V", false, &TLibraryForm::PastePresetsExecute,
     false},
    {&TLibraryForm::DeletePresets, "DeletePresets", "&Delete", "Del", false, &TLibraryForm::DeletePresetsExecute,
     false},
    {&TLibraryForm::SelectAll, "SelectAll", "Select All", "Ctrl+A", false, &TLibraryForm::SelectAllExecute, true},
    {&TLibraryForm::RenamePreset, "RenamePreset", "Rena&me", "Ctrl+M", false, &TLibraryForm::RenamePresetExecute,
     true},
    {&TLibraryForm::Export, "Export", "E&xport", "Ctrl+E", false, &TLibraryForm::ExportExecute, true},
    {&TLibraryForm::InsertCommentLine, "InsertCommentLine", "Insert Comment Line", "Ctrl+I", false,
     &TLibraryForm::InsertCommentLineExecute, true},
    {&TLibraryForm::NewDirectory, "NewDirectory", "New Directory", "Ins", true, &TLibraryForm::NewDirectoryExecute,
     true},
    {&TLibraryForm::DeleteF, "DeleteF", "Delete", "Del", true, &TLibraryForm::DeleteFExecute, true},
    {&TLibraryForm::RenameF, "RenameF", "Rename", "Ctrl+M", true, &TLibraryForm::RenameFExecute, true},
    {&TLibraryForm::CutF, "CutF", "Cut", "Ctrl+X", true, &TLibraryForm::CutFExecute, true},
    {&TLibraryForm::CopyF, "CopyF", "Copy", "Ctrl+C", true, &TLibraryForm::CopyFExecute, true},
    {&TLibraryForm::PasteF, "PasteF", "Paste", "Ctrl+V", true, &TLibraryForm::PasteFExecute, false},
    {&TLibraryForm::UpOneLevel, "UpOneLevel", "UpOneLevel", "", true, &TLibraryForm::UpOneLevelExecute, true},
};

bool isCommitKey(int key) { return key == KeyConfirm || key == Qt::Key_Return || key == Qt::Key_Enter; }
bool isCancelKey(int key) { return key == KeyCancel || key == Qt::Key_Escape; }

QToolButton* toolButton(QWidget* parent, const QString& text, const QString& tip)
{
    auto* b = new QToolButton(parent);
    b->setText(text);
    b->setToolTip(tip);
    b->setAutoRaise(true);
    return b;
}

// A tool button that runs `action` and follows its enabled state while
// keeping its own short caption.
void bindButton(QToolButton* button, QAction* action)
{
    QObject::connect(button, &QToolButton::clicked, action, &QAction::trigger);
    QObject::connect(action, &QAction::enabledChanged, button, &QWidget::setEnabled);
    button->setEnabled(action->isEnabled());
}

// The comment column is the right one to edit for a comment line.
EditColumn columnFor(int column)
{
    switch (column) {
    case NameColumn:
        return EditColumn::Name;
    case CommentColumn:
        return EditColumn::Comment;
    case CreatedByColumn:
        return EditColumn::Author;
    default:
        return EditColumn::None;
    }
}

} // namespace

// ---- the tree's model ----

bool LibraryFileModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !index.isValid())
        return QFileSystemModel::setData(index, value, role);
    const QString oldPath = filePath(index);
    const QString name = isDir(index) ? value.toString() : RenamedFileName(fileName(index), value.toString());
    if (name == fileName(index))
        return true;
    if (!QFileSystemModel::setData(index, name, role))
        return false;
    emit renamed(oldPath, QDir(QFileInfo(oldPath).absolutePath()).filePath(name));
    return true;
}

QVariant LibraryFileModel::data(const QModelIndex& index, int role) const
{
    if (role == Qt::ForegroundRole && !cutPath.isEmpty() && index.column() == 0 && filePath(index) == cutPath)
        return QPalette().color(QPalette::Disabled, QPalette::Text);
    return QFileSystemModel::data(index, role);
}

void LibraryFileModel::SetCutPath(const QString& path)
{
    const QString old = cutPath;
    cutPath = path;
    for (const QString& p : {old, cutPath}) {
        const QModelIndex i = p.isEmpty() ? QModelIndex() : index(p);
        if (i.isValid())
            emit dataChanged(i, i, {Qt::ForegroundRole});
    }
}

// ---- the window ----

TLibraryForm::TLibraryForm(TDeviceForm* deviceForm, QWidget* parent) : QWidget(parent, Qt::Window), device(deviceForm)
{
    setObjectName(QStringLiteral("LibraryForm"));
    writeLibrary = [](const QString& path) { return WriteLibraryFile(*LibraryList, path) == FileResult::Ok; };
    runDrag = [this](QMimeData* data) {
        auto* drag = new QDrag(this);
        drag->setMimeData(data);
        drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::MoveAction);
    };
    slowClickTimer = new QTimer(this);
    slowClickTimer->setSingleShot(true);
    connect(slowClickTimer, &QTimer::timeout, this, [this] {
        if (RenamePreset->isEnabled() && editColumn != EditColumn::None)
            StartPropertyEdit(firstSelected(), editColumn);
    });
    ScrollTimer = new QTimer(this);
    ScrollTimer->setInterval(100);
    connect(ScrollTimer, &QTimer::timeout, this, &TLibraryForm::ScrollTimerTimer);
    pointerPosition = [] { return QCursor::pos(); };

    createLayout();
    createActions();
    resize(860, 480);
    // Opening a library from the device window replaces this list too.
    if (device)
        device->libraryMayBeReplaced = [this] { return offerToSave(); };
    // The program starts with Undo enabled and the library as its owner.
    TakeLibrarySnapshot();
    RefillPresetList();
}

TLibraryForm::~TLibraryForm()
{
    if (device)
        device->libraryMayBeReplaced = nullptr;
}

void TLibraryForm::createLayout()
{
    auto* outer = new QHBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    Splitter = new QSplitter(Qt::Horizontal, this);
    outer->addWidget(Splitter);

    auto* left = new QWidget(Splitter);
    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(2, 2, 2, 2);
    auto* leftTools = new QHBoxLayout;
    leftTools->setSpacing(0);
    UpOneLevelBtn = toolButton(left, QStringLiteral("Up"), QStringLiteral("Up one level"));
    NewDirectoryBtn = toolButton(left, QStringLiteral("New Dir"), QStringLiteral("New Directory"));
    NewFbtn = toolButton(left, QStringLiteral("New"), QStringLiteral("New library"));
    BitBtn1 = toolButton(left, QStringLiteral("Save"), QStringLiteral("Save library"));
    BitBtn2 = toolButton(left, QStringLiteral("Save As"), QStringLiteral("Save library as"));
    DeleteFBtn = toolButton(left, QStringLiteral("Del"), QStringLiteral("Delete"));
    CutFBtn = toolButton(left, QStringLiteral("Cut"), QStringLiteral("Cut"));
    CopyFBtn = toolButton(left, QStringLiteral("Copy"), QStringLiteral("Copy"));
    PasteFBtn = toolButton(left, QStringLiteral("Paste"), QStringLiteral("Paste"));
    // Two rows: folders and library files, then the file transfers.
    auto* leftTools2 = new QHBoxLayout;
    leftTools2->setSpacing(0);
    for (QToolButton* b : {UpOneLevelBtn, NewDirectoryBtn, NewFbtn, BitBtn1, BitBtn2})
        leftTools->addWidget(b);
    for (QToolButton* b : {DeleteFBtn, CutFBtn, CopyFBtn, PasteFBtn})
        leftTools2->addWidget(b);
    leftTools->addStretch();
    leftTools2->addStretch();
    leftLayout->addLayout(leftTools);
    leftLayout->addLayout(leftTools2);

    FileModel = new LibraryFileModel(this);
    FileModel->setReadOnly(false);
    FileModel->setFilter(QDir::AllDirs | QDir::Files | QDir::NoDotAndDotDot);
    FileModel->setNameFilterDisables(false);
    FileModel->setRootPath(QString());
    FileTree = new QTreeView(left);
    FileTree->setObjectName(QStringLiteral("FileTree"));
    FileTree->setModel(FileModel);
    FileTree->setRootIsDecorated(true);
    FileTree->setHeaderHidden(true);
    for (int c = 1; c < FileModel->columnCount(); ++c)
        FileTree->hideColumn(c);
    FileTree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    FileTree->setContextMenuPolicy(Qt::CustomContextMenu);
    FileTree->setProperty("helpContext", TreeHelpContext);
    leftLayout->addWidget(FileTree);
    connect(FileModel, &LibraryFileModel::renamed, this, &TLibraryForm::fileRenamed);
    connect(FileTree->itemDelegate(), &QAbstractItemDelegate::closeEditor, this, &TLibraryForm::treeEditEnded);
    connect(FileTree, &QTreeView::doubleClicked, this, [this](const QModelIndex& index) {
        // A file the user opens takes the place of search results.
        if (index.isValid() && !FileModel->isDir(index) && openFile(FileModel->filePath(index)))
            Search->ShowLibrary();
    });

    auto* right = new QWidget(Splitter);
    auto* rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(2, 2, 2, 2);
    auto* rightTools = new QHBoxLayout;
    rightTools->setSpacing(0);
    PresetsLabel = new QLabel(QStringLiteral("Presets:"), right);
    DeletePBtn = toolButton(right, QStringLiteral("Del"), QStringLiteral("Delete"));
    CutPBtn = toolButton(right, QStringLiteral("Cut"), QStringLiteral("Cut"));
    CopyPBtn = toolButton(right, QStringLiteral("Copy"), QStringLiteral("Copy"));
    PastePBtn = toolButton(right, QStringLiteral("Paste"), QStringLiteral("Paste"));
    PrintFBtn = toolButton(right, QStringLiteral("Print"), QStringLiteral("Print library list"));
    rightTools->addWidget(PresetsLabel);
    rightTools->addSpacing(8);
    for (QToolButton* b : {DeletePBtn, CutPBtn, CopyPBtn, PastePBtn, PrintFBtn})
        rightTools->addWidget(b);
    rightTools->addStretch();
    rightLayout->addLayout(rightTools);
    Search = new LibrarySearch(this, right);
    rightLayout->addWidget(Search->Bar);

    PresetList = new QTreeWidget(right);
    PresetList->setObjectName(QStringLiteral("PresetList"));
    PresetList->setColumnCount(LibraryColumnCount);
    QStringList captions;
    for (const LibraryColumnRow& c : LibraryColumns)
        captions << QString::fromLatin1(c.caption);
    PresetList->setHeaderLabels(captions);
    PresetList->header()->setSectionsClickable(false);
    PresetList->header()->setSectionsMovable(false);
    PresetList->header()->setStretchLastSection(false);
    PresetList->header()->setMinimumSectionSize(20);
    for (int c = 0; c < LibraryColumnCount; ++c)
        PresetList->setColumnWidth(c, LibraryColumns[c].width);
    PresetList->setRootIsDecorated(false);
    PresetList->setUniformRowHeights(true);
    PresetList->setAllColumnsShowFocus(true);
    PresetList->setSelectionBehavior(QAbstractItemView::SelectRows);
    PresetList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    PresetList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    PresetList->setContextMenuPolicy(Qt::CustomContextMenu);
    PresetList->setProperty("helpContext", ListHelpContext);
    PresetList->viewport()->installEventFilter(this);
    PresetList->viewport()->setAcceptDrops(true);
    PresetList->installEventFilter(this);
    rightLayout->addWidget(PresetList);
    rightLayout->addWidget(Search->ResultsPane);
    connect(PresetList->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TLibraryForm::selectionChanged);

    PresetPropertyEdit = new QLineEdit(PresetList->viewport());
    PresetPropertyEdit->setObjectName(QStringLiteral("PresetPropertyEdit"));
    PresetPropertyEdit->setProperty("helpContext", ListHelpContext);
    PresetPropertyEdit->hide();
    PresetPropertyEdit->installEventFilter(this);
    connect(PresetPropertyEdit, &QLineEdit::textEdited, this, [this](const QString& text) {
        const int limit = EditLimit(editColumn);
        if (text.size() <= limit)
            return;
        QApplication::beep();
        PresetPropertyEdit->setText(text.left(limit));
        PresetPropertyEdit->end(false);
    });

    Splitter->addWidget(left);
    Splitter->addWidget(right);
    left->setMinimumWidth(120);
    for (QWidget* pane : {left, right})
        pane->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    Splitter->setSizes({250, 610});
    Splitter->setStretchFactor(1, 1);
    // Last, so that the filter finds every control it asks about.
    FileTree->viewport()->installEventFilter(this);
    FileTree->viewport()->setAcceptDrops(true);
}

void TLibraryForm::createActions()
{
    for (const LibActionRow& row : LibActionTable) {
        auto* action = new QAction(QString::fromLatin1(row.caption), this);
        action->setObjectName(QString::fromLatin1(row.name));
        action->setShortcut(QKeySequence(QString::fromLatin1(row.key)));
        action->setShortcutContext(Qt::WidgetShortcut);
        action->setProperty("category", row.tree ? QStringLiteral("FileTree") : QStringLiteral("PresetList"));
        action->setEnabled(row.enabled);
        connect(action, &QAction::triggered, this, [this, action, handler = row.handler, tree = row.tree] {
            // While search results stand in the list's place, the list's
            // actions act on them or not at all.
            if (!tree && Search->ShowingResults())
                Search->ResultAction(action);
            else
                (this->*handler)();
        });
        this->*row.member = action;
        LibActionList.append(action);
    }
    // One key for each shortcut of the list, anywhere in the window: the
    // first enabled action in list order that has it takes it, whichever
    // pane has the focus.
    for (const LibActionRow& row : LibActionTable) {
        const QKeySequence key(QString::fromLatin1(row.key));
        if (key.isEmpty() || actionKeys.contains(key))
            continue;
        actionKeys << key;
        auto* dispatcher = new QAction(this);
        dispatcher->setShortcut(key);
        dispatcher->setShortcutContext(Qt::WindowShortcut);
        connect(dispatcher, &QAction::triggered, this, [this, key] {
            for (QAction* action : std::as_const(LibActionList))
                if (action->shortcut() == key && action->isEnabled()) {
                    action->trigger();
                    return;
                }
        });
        addAction(dispatcher);
    }
    bindButton(UpOneLevelBtn, UpOneLevel);
    bindButton(NewDirectoryBtn, NewDirectory);
    bindButton(DeleteFBtn, DeleteF);
    bindButton(CutFBtn, CutF);
    bindButton(CopyFBtn, CopyF);
    bindButton(PasteFBtn, PasteF);
    bindButton(DeletePBtn, DeletePresets);
    bindButton(CutPBtn, CutPresets);
    bindButton(CopyPBtn, CopyPresets);
    bindButton(PastePBtn, PastePresets);
    connect(NewFbtn, &QToolButton::clicked, this, &TLibraryForm::NewFbtnClick);
    if (device) {
        bindButton(BitBtn1, device->Save);
        bindButton(BitBtn2, device->SaveAs);
        bindButton(PrintFBtn, device->PrintL);
    }

    LibPopupMenu = new QMenu(this);
    LibPopupMenu->addActions({Edit, Audition});
    LibPopupMenu->addSeparator();
    LibPopupMenu->addActions({CutPresets, CopyPresets, PastePresets, DeletePresets, SelectAll});
    LibPopupMenu->addSeparator();
    LibPopupMenu->addActions({RenamePreset, Export});
    LibPopupMenu->addSeparator();
    if (device)
        LibPopupMenu->addActions({device->Undo, device->Redo});
    LibPopupMenu->addSeparator();
    LibPopupMenu->addAction(InsertCommentLine);
    connect(PresetList, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        LibPopupMenuPopup();
        LibPopupMenu->popup(PresetList->viewport()->mapToGlobal(pos));
    });
    // The menu's enabling holds while it is up; then the keys follow the
    // selection again.
    connect(LibPopupMenu, &QMenu::aboutToHide, this, [this] {
        for (QAction* action : {Edit, Audition, Export})
            action->setEnabled(true);
        updatePresetActions();
    });

    FileTreePopupMenu = new QMenu(this);
    FileTreePopupMenu->addActions({NewDirectory, DeleteF, RenameF});
    FileTreePopupMenu->addSeparator();
    FileTreePopupMenu->addActions({CutF, CopyF, PasteF});
    FileTreePopupMenu->addSeparator();
    connect(FileTree, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        // A right click selects the node under the pointer.
        const QModelIndex index = FileTree->indexAt(pos);
        if (index.isValid())
            FileTree->setCurrentIndex(index);
        FileTreePopupMenu->popup(FileTree->viewport()->mapToGlobal(pos));
    });
    connect(FileTree->selectionModel(), &QItemSelectionModel::currentChanged, this, &TLibraryForm::FileTreeChange);

    auto* helpKey = new QAction(this);
    helpKey->setShortcut(QKeySequence(Qt::Key_F1));
    helpKey->setShortcutContext(Qt::WindowShortcut);
    connect(helpKey, &QAction::triggered, this, &TLibraryForm::FormKeyUp);
    addAction(helpKey);
}

void TLibraryForm::showMessage(const QString& text)
{
    Dialogs().message(this, MessageService::Kind::Information, QString(), text, QMessageBox::Ok, QMessageBox::Ok);
}

// ---- the preset list ----

void TLibraryForm::RefillPresetList()
{
    refill(false);
}

// The rows of a refilled list may hold other records than before: only a
// refill that changed no row keeps the selection.
void TLibraryForm::refill(bool keepSelection)
{
    const std::vector<int> keep = keepSelection ? SelectedItems() : std::vector<int>();
    if (!keepSelection)
        singleAtLastRelease = -1;
    PresetList->clear();
    const std::vector<int> numbers = RowNumbers(*LibraryList);
    const QDateTime now = QDateTime::currentDateTime();
    const QPalette palette = PresetList->palette();
    QList<QTreeWidgetItem*> items;
    for (int i = 0; i < LibraryList->count; ++i) {
        PresetRecord& r = LibraryList->at(i);
        if (!r.isCommentLine())
            StampUndatedRecord(r, now);
        auto* item = new QTreeWidgetItem(RowTexts(r, numbers[size_t(i)]));
        if (r.isCommentLine()) {
            QFont bold = item->font(0);
            bold.setBold(true);
            item->setFont(0, bold);
            item->setForeground(0, palette.color(QPalette::Active, QPalette::Link));
        } else if (r.mark & CutMark) {
            for (int c = 0; c < LibraryColumnCount; ++c)
                item->setForeground(c, palette.color(QPalette::Disabled, QPalette::Text));
        }
        items << item;
    }
    PresetList->addTopLevelItems(items);
    // Spanning only works on items that are in the list.
    for (int i = 0; i < items.size(); ++i)
        items[i]->setFirstColumnSpanned(LibraryList->at(i).isCommentLine());
    for (int c = 0; c < LibraryColumnCount; ++c)
        if (LibraryColumns[c].automatic) {
            PresetList->resizeColumnToContents(c);
            PresetList->setColumnWidth(c, std::min(PresetList->columnWidth(c), LibraryColumns[c].width));
        }
    std::vector<int> still;
    for (int i : keep)
        if (i < LibraryList->count)
            still.push_back(i);
    SetSelectedItems(still);
    Search->FilterLibraryRows();
    updatePresetActions();
    emit libraryChanged();
}

std::vector<int> TLibraryForm::SelectedItems() const
{
    std::vector<int> items;
    for (int i = 0; i < PresetList->topLevelItemCount(); ++i)
        if (PresetList->topLevelItem(i)->isSelected())
            items.push_back(i);
    return items;
}

void TLibraryForm::SetSelectedItems(const std::vector<int>& items, int focused)
{
    QItemSelectionModel* model = PresetList->selectionModel();
    // The items keep their own selected flags in step with the model's
    // signals, so those stay connected; only audition is held back.
    settingSelection = true;
    model->clearSelection();
    for (int i : items)
        if (QTreeWidgetItem* item = PresetList->topLevelItem(i))
            item->setSelected(true);
    if (QTreeWidgetItem* item = PresetList->topLevelItem(focused))
        model->setCurrentIndex(PresetList->indexFromItem(item), QItemSelectionModel::NoUpdate);
    settingSelection = false;
    updatePresetActions();
}

int TLibraryForm::firstSelected() const
{
    const std::vector<int> items = SelectedItems();
    return items.empty() ? -1 : items.front();
}

void TLibraryForm::selectionChanged(const QItemSelection& selected, const QItemSelection& deselected)
{
    const QModelIndexList on = selected.indexes();
    const QModelIndexList off = deselected.indexes();
    if (!on.isEmpty())
        lastSelected = on.last().row();
    else if (!off.isEmpty())
        lastSelected = off.last().row();
    updatePresetActions();
    if (!on.isEmpty() && CurrentPreferences.AutoAud && !settingSelection)
        AuditionExecute();
}

void TLibraryForm::updatePresetActions()
{
    const bool any = !SelectedItems().empty();
    DeletePresets->setEnabled(any);
    CutPresets->setEnabled(any);
    CopyPresets->setEnabled(any);
    RenamePreset->setEnabled(SelectedItems().size() == 1);
    updatePaste();
}

void TLibraryForm::updatePaste()
{
    if (treeEditing)
        return;
    const bool clip = ClipboardList->count > 0;
    PastePresets->setEnabled(clip);
    PasteF->setEnabled(clip && FileTree->currentIndex().isValid());
}

void TLibraryForm::changeEvent(QEvent* e)
{
    // The device window may have filled the clipboard meanwhile.
    if (e->type() == QEvent::ActivationChange && isActiveWindow())
        updatePaste();
    QWidget::changeEvent(e);
}

void TLibraryForm::LibPopupMenuPopup()
{
    const QList<QAction*> presetActions{Edit, Audition, DeletePresets, CutPresets, CopyPresets, PastePresets,
                                        RenamePreset, Export};
    if (FileTree->hasFocus()) {
        for (QAction* a : presetActions)
            a->setEnabled(false);
        updatePaste();
        PastePresets->setEnabled(false);
        return;
    }
    PresetList->setFocus();
    const std::vector<int> items = SelectedItems();
    const bool one = items.size() == 1;
    const bool oneComment = one && LibraryList->at(items.front()).isCommentLine();
    DeletePresets->setEnabled(!items.empty());
    CutPresets->setEnabled(!items.empty());
    CopyPresets->setEnabled(!items.empty());
    PastePresets->setEnabled(ClipboardList->count > 0);
    Audition->setEnabled(one && !oneComment);
    Edit->setEnabled(one && !oneComment && !PresetPropertyEdit->isVisible());
    RenamePreset->setEnabled(one);
    Export->setEnabled(!items.empty() && !oneComment);
}

void TLibraryForm::SelectAllExecute()
{
    PresetList->selectAll();
}

void TLibraryForm::AuditionExecute()
{
    AuditionItem(firstSelected());
}

void TLibraryForm::EditExecute()
{
    const int index = firstSelected();
    if (index < 0)
        return;
    const QFileInfo node(SelectedPath());
    EditRecord(LibraryList->at(index), node.isFile() ? node.fileName() : QString());
}

void TLibraryForm::EditRecord(const PresetRecord& r, const QString& caption)
{
    if (!AuditionRecord(r))
        return;
    const std::string name = GetRecordName(r);
    ApplyRecord(r, false);
    RecordFromModules(*OriginalRecord, name);
    RecordFromModules(*EditBufferRecord, name);
    OriginalRecord->origin = r.origin;
    emit editorRequested(ConnectedUnitIsBass(), QString::fromLatin1(name.data(), qsizetype(name.size())), caption);
}

void TLibraryForm::CutPresetsExecute()
{
    updatePaste();
    if (CopyLibraryItems(SelectedItems(), true))
        refill(true);
}

void TLibraryForm::CopyPresetsExecute()
{
    CopyLibraryItems(SelectedItems(), false);
    refill(true);
}

void TLibraryForm::PastePresetsExecute()
{
    if (ClipboardList->count == 0)
        return;
    const QModelIndex current = PresetList->currentIndex();
    const ListSelection s = PasteIntoLibrary(current.isValid() ? current.row() : -1, SelectedItems());
    RefillPresetList();
    SetSelectedItems(s.selected, s.focused);
}

void TLibraryForm::DeletePresetsExecute()
{
    if (DeleteFromLibrary(SelectedItems(), this)) {
        SetSelectedItems({});
        RefillPresetList();
    }
}

void TLibraryForm::DeleteCutItems()
{
    RemoveCutItems();
    RefillPresetList();
}

// ---- property editing ----

void TLibraryForm::placeEditor(int index, EditColumn column)
{
    QRect area;
    const int rows = PresetList->topLevelItemCount();
    if (QTreeWidgetItem* item = PresetList->topLevelItem(std::min(index, rows - 1))) {
        area = PresetList->visualItemRect(item);
        // A line that goes to the end is typed below the last item.
        if (index >= rows)
            area.translate(0, area.height());
    } else {
        area = QRect(0, 0, PresetList->viewport()->width(), PresetList->fontMetrics().height() + 6);
    }
    const bool spans = column == EditColumn::NewCommentLine
        || (index < LibraryList->count && LibraryList->at(index).isCommentLine());
    if (spans) {
        area.setLeft(0);
        area.setWidth(PresetList->viewport()->width());
    } else {
        const int c = static_cast<int>(column);
        area.setLeft(PresetList->header()->sectionViewportPosition(c));
        area.setWidth(PresetList->columnWidth(c));
    }
    area.setHeight(std::max(area.height(), PresetPropertyEdit->sizeHint().height()));
    PresetPropertyEdit->setGeometry(area);
}

void TLibraryForm::StartPropertyEdit(int index, EditColumn column)
{
    if (column == EditColumn::NewCommentLine) {
        index = std::clamp(index, 0, LibraryList->count);
    } else {
        if (!RenamePreset->isEnabled() || index < 0 || index >= LibraryList->count)
            return;
        if (column == EditColumn::None || LibraryList->at(index).isCommentLine())
            column = EditColumn::Comment;
    }
    slowClickTimer->stop();
    editColumn = column;
    editIndex = index;
    editStartText = PropertyText(column, index);
    PresetPropertyEdit->setText(editStartText);
    placeEditor(index, column);
    PresetPropertyEdit->selectAll();
    takeKeys(true);
    PresetPropertyEdit->show();
    PresetPropertyEdit->raise();
    PresetPropertyEdit->setFocus();
}

void TLibraryForm::takeKeys(bool take)
{
    QAction* const owners[] = {Edit, DeletePresets, DeleteF};
    if (take) {
        if (!takenKeys.isEmpty())
            return;
        for (QAction* a : owners) {
            takenKeys << a->shortcut();
            a->setShortcut(QKeySequence());
        }
    } else if (!takenKeys.isEmpty()) {
        for (int i = 0; i < 3; ++i)
            owners[i]->setShortcut(takenKeys[i]);
        takenKeys.clear();
    }
}

void TLibraryForm::PresetPropertyEditCommit()
{
    finishPropertyEdit(false);
}

void TLibraryForm::PresetPropertyEditCancel()
{
    finishPropertyEdit(true);
}

void TLibraryForm::finishPropertyEdit(bool cancel)
{
    if (finishing || editColumn == EditColumn::None)
        return;
    finishing = true;
    if (cancel)
        PresetPropertyEdit->setText(editStartText);
    const EditColumn column = editColumn;
    takeKeys(false);
    PresetPropertyEdit->hide();
    editColumn = EditColumn::None;
    const int changed = CommitPropertyEdit(column, editIndex, PresetPropertyEdit->text());
    RefillPresetList();
    if (changed >= 0)
        SetSelectedItems({changed}, changed);
    PresetList->setFocus();
    finishing = false;
}

void TLibraryForm::RenamePresetExecute()
{
    const int index = firstSelected();
    if (index < 0)
        return;
    StartPropertyEdit(index, LibraryList->at(index).isCommentLine() ? EditColumn::Comment : EditColumn::Name);
}

void TLibraryForm::InsertCommentLineExecute()
{
    int at = LibraryList->count;
    if (LibraryList->count == 0)
        at = 0;
    else if (!SelectedItems().empty() && lastSelected >= 0)
        at = lastSelected;
    StartPropertyEdit(at, EditColumn::NewCommentLine);
}

// ---- mouse and keys in the list ----

bool TLibraryForm::listMousePress(QMouseEvent* e)
{
    const QPoint pos = e->position().toPoint();
    QTreeWidgetItem* item = PresetList->itemAt(pos);
    if (!item) {
        // Empty space: no focus mark.
        PresetList->selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
        return false;
    }
    const int row = PresetList->indexOfTopLevelItem(item);
    if (e->button() == Qt::LeftButton) {
        pendingDrag = true;
        dragStart = pos;
        dropMode = DropModeFor(e->modifiers().testFlag(Qt::ControlModifier),
                               e->modifiers().testFlag(Qt::ShiftModifier));
    }
    if (LibraryList->at(row).isCommentLine()) {
        editColumn = EditColumn::Comment;
    } else if (e->button() == Qt::LeftButton) {
        const int column = PresetList->header()->logicalIndexAt(pos.x());
        editColumn = column < 0 ? EditColumn::Author : columnFor(column);
    }
    // Pressing inside the selection keeps it, for dragging.
    if (e->button() == Qt::LeftButton && item->isSelected() && e->modifiers() == Qt::NoModifier
        && SelectedItems().size() > 1)
        return true;
    return false;
}

void TLibraryForm::listMouseRelease(QMouseEvent* e)
{
    pendingDrag = false;
    if (e->button() != Qt::LeftButton)
        return;
    const bool oneNow = SelectedItems().size() == 1;
    const int single = oneNow ? firstSelected() : -1;
    const bool secondClick = single >= 0 && single == singleAtLastRelease && !doubleClicked;
    singleAtLastRelease = single;
    doubleClicked = false;
    RenamePreset->setEnabled(oneNow);
    // A slow second click on the one selected row opens its text for editing,
    // unless it turns out to be a double-click.
    if (secondClick && editColumn != EditColumn::None && !PresetPropertyEdit->isVisible())
        slowClickTimer->start(QApplication::doubleClickInterval());
}

bool TLibraryForm::listKeyPress(QKeyEvent* e)
{
    const int rows = PresetList->topLevelItemCount();
    const QModelIndex current = PresetList->currentIndex();
    if (e->key() == Qt::Key_Down && current.isValid() && current.row() == rows - 1) {
        PresetList->clearSelection();
        PresetList->selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
        return true;
    }
    if (e->key() == Qt::Key_Up && !current.isValid() && rows > 0) {
        QTreeWidgetItem* last = PresetList->topLevelItem(rows - 1);
        PresetList->setCurrentItem(last);
        return true;
    }
    if (isCommitKey(e->key()) && !PresetPropertyEdit->isVisible() && Edit->isEnabled()) {
        EditExecute();
        return true;
    }
    return false;
}

bool TLibraryForm::listDragEvent(QEvent* e)
{
    auto* drop = static_cast<QDropEvent*>(e);
    const DragSource source = DropSource(drop->mimeData(), ConnectedUnitIsBass());
    if (e->type() == QEvent::DragEnter) {
        activateWindow();
        raise();
    }
    QTreeWidgetItem* item = PresetList->itemAt(drop->position().toPoint());
    const int index = item ? PresetList->indexOfTopLevelItem(item) : PresetList->topLevelItemCount();
    const bool fromList = source == DragSource::LibraryList;
    const bool accepted = source != DragSource::None && LibraryDropAllowed(index, SelectedItems(), fromList);
    if (!accepted) {
        drop->ignore();
        return true;
    }
    acceptDrop(drop, source);
    if (e->type() != QEvent::Drop)
        return true;
    if (source == DragSource::CurrentPreset && device)
        CollectEditBuffer(device->CurrentPreset->text(), *DragList);
    if (source == DragSource::Files) {
        // Inserted as the presets of a file dragged from the tree are.
        dropMode = DropMode::Insert;
        if (!ReadDroppedFiles(DroppedPresetFiles(drop->mimeData(), ConnectedUnitIsBass())))
            showMessage(QStringLiteral("Unable to Load the file"));
    }
    const LibraryDrop result = DropIntoLibrary(index, dropMode, this);
    if (!result.dropped)
        return true;
    if (result.libraryBecameChanged)
        ListClear(*LibraryLoadedList);
    RefillPresetList();
    SetSelectedItems(result.selection.selected, result.selection.focused);
    return true;
}

bool TLibraryForm::eventFilter(QObject* watched, QEvent* e)
{
    const QEvent::Type type = e->type();
    if (watched == PresetList->viewport()) {
        switch (type) {
        case QEvent::MouseButtonPress:
            return listMousePress(static_cast<QMouseEvent*>(e));
        case QEvent::MouseButtonRelease:
            listMouseRelease(static_cast<QMouseEvent*>(e));
            break;
        case QEvent::MouseButtonDblClick:
            if (static_cast<QMouseEvent*>(e)->button() == Qt::LeftButton) {
                slowClickTimer->stop();
                doubleClicked = true;
                pendingDrag = false;
                PresetList->selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
                EditExecute();
                return true;
            }
            break;
        case QEvent::MouseMove: {
            auto* m = static_cast<QMouseEvent*>(e);
            if (pendingDrag && (m->buttons() & Qt::LeftButton)
                && (m->position().toPoint() - dragStart).manhattanLength() >= 7) {
                pendingDrag = false;
                StartLibraryDrag(SelectedItems());
                runDrag(PresetDragData(DragSource::LibraryList));
                ScrollTimer->stop();
                return true;
            }
            break;
        }
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
            dragHovered(PresetList, false);
            return listDragEvent(e);
        case QEvent::DragLeave:
            dragHovered(PresetList, true);
            break;
        default:
            break;
        }
    } else if (watched == FileTree->viewport()) {
        switch (type) {
        case QEvent::MouseButtonPress: {
            auto* m = static_cast<QMouseEvent*>(e);
            treeDragIndex = m->button() == Qt::LeftButton ? FileTree->indexAt(m->position().toPoint())
                                                          : QModelIndex();
            treeDragStart = m->position().toPoint();
            break;
        }
        case QEvent::MouseMove: {
            auto* m = static_cast<QMouseEvent*>(e);
            if (treeDragIndex.isValid() && (m->buttons() & Qt::LeftButton)
                && (m->position().toPoint() - treeDragStart).manhattanLength() >= 7) {
                const QModelIndex index = treeDragIndex;
                treeDragIndex = QModelIndex();
                if (!FileModel->isDir(index)) {
                    FileTreeStartDrag(index);
                    return true;
                }
            }
            break;
        }
        case QEvent::MouseButtonRelease:
            treeDragIndex = QModelIndex();
            break;
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
            dragHovered(FileTree, false);
            return treeDragEvent(e);
        case QEvent::DragLeave:
            dragHovered(FileTree, true);
            break;
        default:
            break;
        }
    } else if (watched == PresetList) {
        if (type == QEvent::KeyPress)
            return listKeyPress(static_cast<QKeyEvent*>(e));
    } else if (watched == PresetPropertyEdit) {
        if (type == QEvent::KeyRelease) {
            const int key = static_cast<QKeyEvent*>(e)->key();
            if (isCommitKey(key)) {
                PresetPropertyEditCommit();
                return true;
            }
            if (isCancelKey(key)) {
                PresetPropertyEditCancel();
                return true;
            }
        } else if (type == QEvent::KeyPress) {
            // Enter and Escape act on release; the list must not see them.
            const int key = static_cast<QKeyEvent*>(e)->key();
            if (isCommitKey(key) || isCancelKey(key))
                return true;
        } else if (type == QEvent::FocusOut && PresetPropertyEdit->isVisible()) {
            PresetPropertyEditCommit();
        }
    }
    return QWidget::eventFilter(watched, e);
}

// ---- the tree and files ----

void TLibraryForm::setFileFilter()
{
    FileModel->setNameFilters(TreeNameFilters(ConnectedUnitIsBass()));
}

void TLibraryForm::setRoot(const QString& folder)
{
    rootFolder = QDir::cleanPath(folder);
    FileModel->setRootPath(rootFolder);
    FileTree->setRootIndex(FileModel->index(rootFolder));
}

QString TLibraryForm::SelectedPath() const
{
    const QModelIndex index = FileTree->currentIndex();
    return index.isValid() ? FileModel->filePath(index) : QString();
}

QString TLibraryForm::SelectedFolder() const
{
    const QString path = SelectedPath();
    if (path.isEmpty())
        return CurrentPreferences.Dir;
    const QFileInfo info(path);
    return info.isDir() ? info.absoluteFilePath() : info.absolutePath();
}

void TLibraryForm::SelectPath(const QString& path)
{
    selectInTree(path);
    captionFor(path);
}

void TLibraryForm::selectInTree(const QString& path)
{
    const QFileInfo info(path);
    const QString clean = QDir::cleanPath(info.absoluteFilePath());
    // The root lies above the path, so that the path itself can be shown.
    if (rootFolder.isEmpty() || !clean.startsWith(rootFolder + QLatin1Char('/')))
        setRoot(info.absolutePath() == clean ? clean : QFileInfo(info.absolutePath()).absolutePath());
    const QModelIndex index = FileModel->index(clean);
    if (index.isValid()) {
        FileTree->setCurrentIndex(index);
        FileTree->scrollTo(index);
    }
}

void TLibraryForm::captionFor(const QString& path)
{
    setWindowTitle(QDir::toNativeSeparators(path));
}

bool TLibraryForm::event(QEvent* e)
{
    // A line being typed (a property or a file name) keeps the window's
    // keys for itself.
    if (e->type() == QEvent::ShortcutOverride) {
        QWidget* focus = QApplication::focusWidget();
        const auto* key = static_cast<QKeyEvent*>(e);
        if (qobject_cast<QLineEdit*>(focus) && isAncestorOf(focus)) {
            if (actionKeys.contains(QKeySequence(key->keyCombination()))) {
                e->accept();
                return true;
            }
        }
    }
    return QWidget::event(e);
}

void TLibraryForm::showEvent(QShowEvent* e)
{
    QWidget::showEvent(e);
    if (!e->spontaneous())
        FormShow();
}

void TLibraryForm::FormShow()
{
    setFileFilter();
    if (LibraryFileName.isEmpty()) {
        const QString dir = CurrentPreferences.Dir.isEmpty() ? QDir::homePath() : CurrentPreferences.Dir;
        SelectPath(dir);
        captionFor(UntitledCaption(SelectedFolder(), ConnectedUnitIsBass()));
    } else {
        captionFor(LibraryFileName);
    }
    dropMode = DropMode::Move;
    updatePaste();
}

void TLibraryForm::FileTreeDblClick(const QModelIndex& index)
{
    if (index.isValid() && !FileModel->isDir(index))
        openFile(FileModel->filePath(index));
}

bool TLibraryForm::openFile(const QString& path)
{
    // Opening replaces the list: unsaved changes are offered for saving
    // first rather than lost.
    if (!offerToSave())
        return false;
    if (!OpenIntoLibrary(path)) {
        showMessage(QStringLiteral("Unable to Load the file"));
        return false;
    }
    RefillPresetList();
    captionFor(path);
    LibraryFileName = LibraryNameFor(path, ConnectedUnitIsBass());
    return true;
}

void TLibraryForm::OpenLibraryAt(const QString& path, int row)
{
    if (!openFile(path))
        return;
    Search->ShowLibrary();
    selectInTree(path);
    SetSelectedItems({row}, row);
    if (QTreeWidgetItem* item = PresetList->topLevelItem(row))
        PresetList->scrollToItem(item);
    PresetList->setFocus();
}

void TLibraryForm::FileTreeChange()
{
    if (treeEditing)
        return;
    const QModelIndex index = FileTree->currentIndex();
    NewDirectory->setEnabled(index.isValid() && FileModel->isDir(index));
    CutF->setEnabled(true);
    CopyF->setEnabled(true);
    updatePaste();
}

void TLibraryForm::NewFbtnClick()
{
    if (CurrentPreferences.Confirm && LibraryDiffersFromSaved()
        && Dialogs().message(this, MessageService::Kind::Question, QString(), QStringLiteral("Create New Library ?"),
                             QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes)
               != QMessageBox::Yes)
        return;
    ClearLibrary();
    RefillPresetList();
    LibraryFileName.clear();
    captionFor(UntitledCaption(SelectedFolder(), ConnectedUnitIsBass()));
}

// With unsaved changes and confirmations on: "Save Library?". False when the
// user cancels or the save fails; whatever replaces the list then waits.
bool TLibraryForm::offerToSave()
{
    if (PresetPropertyEdit->isVisible())
        PresetPropertyEditCommit();
    if (!LibraryDiffersFromSaved() || !CurrentPreferences.Confirm)
        return true;
    const auto answer = Dialogs().message(this, MessageService::Kind::Question, QString(),
                                          QStringLiteral("Save Library?"),
                                          QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
    if (answer == QMessageBox::Cancel)
        return false;
    if (answer == QMessageBox::Yes) {
        if (LibraryFileName.isEmpty()) {
            // A Save As that wrote nothing leaves the changes unsaved.
            if (!device || !device->SaveLibraryAs())
                return false;
            MarkLibrarySaved();
        } else if (!writeLibrary(LibraryFileName)) {
            showMessage(QStringLiteral("Unable to Save the file"));
            return false;
        } else {
            MarkLibrarySaved();
        }
    }
    return true;
}

bool TLibraryForm::FormCloseQuery()
{
    if (!isVisible())
        return true;
    if (!offerToSave())
        return false;
    NewFbtnClick();
    return true;
}

void TLibraryForm::closeEvent(QCloseEvent* e)
{
    if (!FormCloseQuery()) {
        e->ignore();
        return;
    }
    Search->ShowLibrary();
    QWidget::closeEvent(e);
}

void TLibraryForm::LibraryOpened(const QString& path)
{
    Search->ShowLibrary();
    show();
    raise();
    RefillPresetList();
    SelectPath(path);
}

void TLibraryForm::LibrarySaved(const QString& path)
{
    MarkLibrarySaved();
    captionFor(path);
}

void TLibraryForm::SysexImported(const QString& path)
{
    // The import went into the unit: the open library and its caption stay.
    selectInTree(path);
}

void TLibraryForm::ExportExecute()
{
    const std::vector<int> items = SelectedItems();
    if (items.empty())
        return;
    const bool bass = ConnectedUnitIsBass();
    const QModelIndex focused = PresetList->currentIndex();
    const int proposedIndex = focused.isValid() ? focused.row() : items.front();
    const QString proposed = PropertyText(EditColumn::Name, proposedIndex).trimmed();
    const bool one = items.size() == 1;
    const QString title = one ? QStringLiteral("Export Preset to file..") : QStringLiteral("Export Presets to file..");
    // The bass library filter is spelt differently in the two cases.
    const QString library = !bass ? QStringLiteral("Drux Library files (*.dlb)")
        : one                     ? QStringLiteral("Bass Drux Library files (*.blb)")
                                  : QStringLiteral("Bass DRUX Library files (*.blb)");
    const QString filter = one ? QStringLiteral("Sysex files (*.syx);;") + library : library;
    const QString start = QDir(SelectedFolder()).filePath(proposed);
    // Both file dialogs of the device window start in the tree's folder too.
    if (device)
        device->SetDialogDirectory(SelectedFolder());
    QString chosen;
    const QString file = AskSaveFile(this, title, start, filter, &chosen);
    if (file.isEmpty())
        return;
    // A single preset takes the form its extension names; a name of another
    // kind takes the form of the filter chosen.
    const bool asDump = one
        && (file.endsWith(QStringLiteral(".syx"), Qt::CaseInsensitive)
            || (!file.endsWith(LibraryExtension(bass), Qt::CaseInsensitive) && FilterExtension(chosen) == "syx"));
    if (!ExportLibraryItems(items, file, asDump))
        showMessage(QStringLiteral("Unable to Save the file"));
}

void TLibraryForm::NewDirectoryExecute()
{
    const QModelIndex parent = FileTree->currentIndex();
    if (!parent.isValid() || !FileModel->isDir(parent))
        return;
    const QModelIndex created = FileModel->mkdir(parent, NewFolderName(FileModel->filePath(parent)));
    if (!created.isValid()) {
        showMessage(QStringLiteral("Cannot create new directory."));
        return;
    }
    FileTree->expand(parent);
    FileTree->setCurrentIndex(created);
    editTreeName(created);
}

void TLibraryForm::DeleteFExecute()
{
    const QModelIndex index = FileTree->currentIndex();
    if (!index.isValid())
        return;
    const QString path = FileModel->filePath(index);
    const bool folder = FileModel->isDir(index);
    const QString question = folder ? QStringLiteral("Delete the folder \"%1\" and everything in it?")
                                    : QStringLiteral("Delete the file \"%1\"?");
    if (Dialogs().message(this, MessageService::Kind::Question, QString(),
                          question.arg(QDir::toNativeSeparators(path)), QMessageBox::Yes | QMessageBox::No,
                          QMessageBox::No)
        != QMessageBox::Yes)
        return;
    // As the desktop deletes: into the trash, so that a slip can be undone;
    // only where there is no trash does the file go for good.
    const bool removed =
        QFile::moveToTrash(path) || (folder ? QDir(path).removeRecursively() : QFile::remove(path));
    if (!removed) {
        TraceLine(1, "Could not delete %s", qPrintable(path));
        showMessage(QStringLiteral("Cannot delete \"%1\".").arg(QDir::toNativeSeparators(path)));
    }
}

void TLibraryForm::RenameFExecute()
{
    const QModelIndex index = FileTree->currentIndex();
    if (index.isValid())
        editTreeName(index);
}

void TLibraryForm::editTreeName(const QModelIndex& index)
{
    FileTree->edit(index);
    if (!FileTree->indexWidget(index))
        return;
    // While a name is typed, nothing may move or replace the file.
    treeEditing = true;
    for (QAction* action : {NewDirectory, CutF, CopyF, PasteF, PastePresets})
        action->setEnabled(false);
}

void TLibraryForm::treeEditEnded()
{
    if (!treeEditing)
        return;
    treeEditing = false;
    FileTreeChange();
}

void TLibraryForm::fileRenamed(const QString& oldPath, const QString& newPath)
{
    if (!LibraryFileName.isEmpty() && QFileInfo(LibraryFileName) == QFileInfo(oldPath)) {
        LibraryFileName = QFileInfo(newPath).absoluteFilePath();
        captionFor(LibraryFileName);
    }
}

void TLibraryForm::CutFExecute()
{
    CopyFExecute();
    const QModelIndex index = FileTree->currentIndex();
    if (index.isValid())
        FileModel->SetCutPath(FileModel->filePath(index));
}

void TLibraryForm::CopyFExecute()
{
    const QModelIndex index = FileTree->currentIndex();
    if (!index.isValid())
        return;
    FileModel->SetCutPath(QString());
    auto* data = new QMimeData;
    data->setUrls({QUrl::fromLocalFile(FileModel->filePath(index))});
    QApplication::clipboard()->setMimeData(data);
    if (!FileModel->isDir(index) && !CopyFileToClipboard(FileModel->filePath(index)))
        showMessage(QStringLiteral("Unable to Load the file"));
    updatePaste();
}

void TLibraryForm::PasteFExecute()
{
    const QModelIndex index = FileTree->currentIndex();
    if (!index.isValid() || ClipboardList->count == 0)
        return;
    const QString path = FileModel->filePath(index);
    if (FileModel->isDir(index)) {
        const FolderWrite write = WritePresetsIntoFolder(*ClipboardList, path, QString(), ConnectedUnitIsBass());
        if (!write.saved) {
            showMessage(QStringLiteral("Unable to Save the file"));
            return;
        }
        const QModelIndex created = FileModel->index(write.path);
        FileTree->setCurrentIndex(created);
        if (write.editName)
            editTreeName(created);
        return;
    }
    if (path.endsWith(QStringLiteral(".syx"), Qt::CaseInsensitive)
        || AppendToLibraryFile(*ClipboardList, path) != FileResult::Ok) {
        showMessage(QStringLiteral("Unable to Save the file"));
        return;
    }
    FileTreeDblClick(index);
}

void TLibraryForm::UpOneLevelExecute()
{
    QDir dir(rootFolder.isEmpty() ? SelectedFolder() : rootFolder);
    if (dir.cdUp())
        setRoot(dir.absolutePath());
}

void TLibraryForm::FormKeyUp()
{
    const QWidget* focused = QApplication::focusWidget();
    int context = 0;
    for (const QWidget* w = focused; w && !context; w = w->parentWidget())
        context = w->property("helpContext").toInt();
    OpenHelp(LibraryHelpAnchor(context));
}

// ---- drags into and out of the tree ----

void TLibraryForm::FileTreeStartDrag(const QModelIndex& index)
{
    if (!index.isValid() || FileModel->isDir(index))
        return;
    const QString path = FileModel->filePath(index);
    // A file that cannot be read is dragged with what could be read.
    if (!ReadPresetFile(*DragList, path))
        showMessage(QStringLiteral("Unable to Load the file"));
    draggedFilePath = path;
    draggedFileName = QFileInfo(path).fileName();
    dropMode = DropMode::Insert;
    runDrag(PresetDragData(DragSource::FileTree));
    FileTreeEndDrag();
}

bool TLibraryForm::FileTreeDragOver(DragSource source, const QModelIndex& node) const
{
    if (source == DragSource::None || !node.isValid())
        return false;
    const QString path = FileModel->filePath(node);
    // A file dropped where it was picked up would be appended to itself.
    if ((source == DragSource::FileTree || source == DragSource::Files) && path == draggedFilePath)
        return false;
    return TreeAcceptsDrop(path, FileModel->isDir(node), ConnectedUnitIsBass());
}

void TLibraryForm::FileTreeDragDrop(DragSource source, const QModelIndex& node)
{
    if (!FileTreeDragOver(source, node))
        return;
    if (source == DragSource::CurrentPreset && device)
        CollectEditBuffer(device->CurrentPreset->text(), *DragList);
    const QString path = FileModel->filePath(node);
    const bool folder = FileModel->isDir(node);
    const bool file = source == DragSource::FileTree || source == DragSource::Files;
    const QString dragged = file ? draggedFileName : QString();
    const TreeDrop drop = DropIntoTree(*DragList, path, folder, dragged, ConnectedUnitIsBass(), this);
    if (!drop.dropped)
        return;
    if (!drop.saved) {
        showMessage(QStringLiteral("Unable to Save the file"));
        return;
    }
    if (folder) {
        // The library list stays; the new file is selected.
        const QModelIndex created = FileModel->index(drop.path);
        FileTree->expand(node);
        FileTree->setCurrentIndex(created);
        if (drop.editName)
            editTreeName(created);
        return;
    }
    // The file that grew becomes the open library.
    FileTree->setCurrentIndex(node);
    FileTreeDblClick(node);
}

void TLibraryForm::FileTreeEndDrag()
{
    ScrollTimer->stop();
    draggedFileName.clear();
    draggedFilePath.clear();
}

bool TLibraryForm::treeDragEvent(QEvent* e)
{
    auto* drop = static_cast<QDropEvent*>(e);
    const DragSource source = DropSource(drop->mimeData(), ConnectedUnitIsBass());
    if (source == DragSource::Files) {
        const QStringList files = DroppedPresetFiles(drop->mimeData(), ConnectedUnitIsBass());
        draggedFilePath = files.value(0);
        draggedFileName = QFileInfo(draggedFilePath).fileName();
    }
    if (e->type() == QEvent::DragEnter) {
        activateWindow();
        raise();
    }
    const QModelIndex node = FileTree->indexAt(drop->position().toPoint());
    // Entering refuses nothing yet: the node under the pointer decides.
    const bool accepted =
        e->type() == QEvent::DragEnter ? source != DragSource::None : FileTreeDragOver(source, node);
    if (!accepted) {
        drop->ignore();
        return true;
    }
    acceptDrop(drop, source);
    if (e->type() == QEvent::Drop) {
        if (source == DragSource::Files
            && !ReadDroppedFiles(DroppedPresetFiles(drop->mimeData(), ConnectedUnitIsBass())))
            showMessage(QStringLiteral("Unable to Load the file"));
        FileTreeDragDrop(source, node);
        if (source == DragSource::Files)
            FileTreeEndDrag();
    }
    return true;
}

void TLibraryForm::acceptDrop(QDropEvent* drop, DragSource source)
{
    // Files from another program are read, never taken away from it.
    if (source == DragSource::Files) {
        drop->setDropAction(Qt::CopyAction);
        drop->accept();
    } else {
        drop->acceptProposedAction();
    }
}

void TLibraryForm::dragHovered(QAbstractItemView* view, bool left)
{
    scrollTarget = view;
    if (left)
        ScrollTimer->start();
}

void TLibraryForm::ScrollTimerTimer()
{
    if (!scrollTarget) {
        ScrollTimer->stop();
        return;
    }
    const QRect control(scrollTarget->mapTo(this, QPoint(0, 0)), scrollTarget->size());
    const int direction = ScrollDirection(control, mapFromGlobal(pointerPosition()));
    if (direction == 0) {
        ScrollTimer->stop();
        return;
    }
    scrollTarget->verticalScrollBar()->triggerAction(direction < 0 ? QAbstractSlider::SliderSingleStepSub
                                                                   : QAbstractSlider::SliderSingleStepAdd);
}
