#include "librarian/LibraryForm.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QDir>
#include <QDrag>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QVBoxLayout>

#include "shell/HelpPage.h"
#include "shell/MessageService.h"
#include "files/LibraryFile.h"
#include "files/Preferences.h"
#include "librarian/LibrarianActions.h"
#include "librarian/LibrarianState.h"
#include "librarian/LibrarySearch.h"

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

} // namespace

// ---- the window ----

TLibraryForm::TLibraryForm(const WindowServices& services, LibrarianActions& librarian_, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , messages(services.messages)
    , help(services.help)
    , prefs(services.preferences)
    , librarian(librarian_)
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
    librarian.libraryMayBeReplaced = [this] { return offerToSave(); };
    // The program starts with Undo enabled and the library as its owner.
    TakeLibrarySnapshot();
    RefillPresetList();
}

TLibraryForm::~TLibraryForm()
{
    librarian.libraryMayBeReplaced = nullptr;
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
    Search = new LibrarySearch(this, right, prefs);
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
    bindButton(BitBtn1, librarian.Save);
    bindButton(BitBtn2, librarian.SaveAs);
    bindButton(PrintFBtn, librarian.PrintL);

    LibPopupMenu = new QMenu(this);
    LibPopupMenu->addActions({Edit, Audition});
    LibPopupMenu->addSeparator();
    LibPopupMenu->addActions({CutPresets, CopyPresets, PastePresets, DeletePresets, SelectAll});
    LibPopupMenu->addSeparator();
    LibPopupMenu->addActions({RenamePreset, Export});
    LibPopupMenu->addSeparator();
    LibPopupMenu->addActions({librarian.Undo, librarian.Redo});
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
    messages.message(this, MessageService::Kind::Information, QString(), text, QMessageBox::Ok, QMessageBox::Ok);
}

// The window's filter on its views and the property editor hands each event
// to the part that handles it.
bool TLibraryForm::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == PresetList->viewport())
        return listViewportEvent(e);
    if (watched == FileTree->viewport())
        return treeViewportEvent(e);
    if (watched == PresetList)
        return e->type() == QEvent::KeyPress && listKeyPress(static_cast<QKeyEvent*>(e));
    if (watched == PresetPropertyEdit)
        return propertyEditEvent(e);
    return QWidget::eventFilter(watched, e);
}

// ---- the tree ----

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
        return prefs.Dir;
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
        const QString dir = prefs.Dir.isEmpty() ? QDir::homePath() : prefs.Dir;
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
    if (!OpenIntoLibrary(path, questions)) {
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
    if (prefs.Confirm && LibraryDiffersFromSaved()
        && messages.message(this, MessageService::Kind::Question, QString(), QStringLiteral("Create New Library ?"),
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
    if (!LibraryDiffersFromSaved() || !prefs.Confirm)
        return true;
    const auto answer = messages.message(this, MessageService::Kind::Question, QString(),
                                         QStringLiteral("Save Library?"),
                                         QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
    if (answer == QMessageBox::Cancel)
        return false;
    if (answer == QMessageBox::Yes) {
        if (LibraryFileName.isEmpty()) {
            // A Save As that wrote nothing leaves the changes unsaved.
            if (!librarian.saveLibraryAs || !librarian.saveLibraryAs())
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

void TLibraryForm::FormKeyUp()
{
    const QWidget* focused = QApplication::focusWidget();
    int context = 0;
    for (const QWidget* w = focused; w && !context; w = w->parentWidget())
        context = w->property("helpContext").toInt();
    help.open(LibraryHelpAnchor(context));
}
