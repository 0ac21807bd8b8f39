#include "librarian/LibrarySearch.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <cmath>

#include "controls/KeyCodes.h"
#include "files/Preferences.h"
#include "librarian/LibraryForm.h"
#include "librarian/LibraryFormLogic.h"
#include "librarian/PresetClipboard.h"
#include "model/Trace.h"

namespace {

// The result list: the group of a duplicate, the file, then the library
// list's own columns from the name on.
constexpr int GroupColumn = 0;
constexpr int FileColumn = 1;
constexpr int FirstRecordColumn = 2;
constexpr int ResultColumnCount = FirstRecordColumn + LibraryColumnCount - NameColumn;

bool isCommitKey(int key) { return key == KeyConfirm || key == Qt::Key_Return || key == Qt::Key_Enter; }
bool isCancelKey(int key) { return key == KeyCancel || key == Qt::Key_Escape; }

QString plural(int n, const char* one, const char* many)
{
    return QStringLiteral("%1 %2").arg(n).arg(QLatin1String(n == 1 ? one : many));
}

} // namespace

LibrarySearch::LibrarySearch(TLibraryForm* libraryForm, QWidget* pane, const PreferenceSet& preferences)
    : QObject(pane)
    , form(libraryForm)
    , prefs(preferences)
{
    Bar = new QWidget(pane);
    auto* lines = new QVBoxLayout(Bar);
    lines->setContentsMargins(0, 0, 0, 0);
    lines->setSpacing(2);
    auto* bar = new QHBoxLayout;
    lines->addLayout(bar);
    SearchBox = new QLineEdit(Bar);
    SearchBox->setObjectName(QStringLiteral("SearchBox"));
    SearchBox->setPlaceholderText(QStringLiteral("Search"));
    SearchBox->setClearButtonEnabled(true);
    SearchBox->setMinimumWidth(160);
    SearchBox->installEventFilter(this);
    SearchAllBtn = new QPushButton(QStringLiteral("Search all files"), Bar);
    FindDuplicatesBtn = new QPushButton(QStringLiteral("Find Duplicates"), Bar);
    Progress = new QProgressBar(Bar);
    Progress->setMaximumWidth(120);
    CancelBtn = new QPushButton(QStringLiteral("Cancel"), Bar);
    Status = new QLabel(Bar);
    bar->addWidget(SearchBox, 1);
    bar->addWidget(SearchAllBtn);
    bar->addWidget(FindDuplicatesBtn);
    bar->addWidget(Progress);
    bar->addWidget(CancelBtn);
    // A line of its own: what was searched, found and skipped.
    Status->setWordWrap(true);
    lines->addWidget(Status);
    Progress->hide();
    CancelBtn->hide();

    ResultsPane = new QWidget(pane);
    auto* results = new QVBoxLayout(ResultsPane);
    results->setContentsMargins(0, 0, 0, 0);
    auto* tools = new QHBoxLayout;
    OpenFileBtn = new QPushButton(QStringLiteral("Open File"), ResultsPane);
    BackBtn = new QPushButton(QStringLiteral("Back to Library"), ResultsPane);
    tools->addWidget(OpenFileBtn);
    tools->addWidget(BackBtn);
    tools->addStretch();
    results->addLayout(tools);
    ResultList = new QTreeWidget(ResultsPane);
    ResultList->setObjectName(QStringLiteral("ResultList"));
    ResultList->setColumnCount(ResultColumnCount);
    QStringList captions{QStringLiteral("Group"), QStringLiteral("File")};
    for (int c = NameColumn; c < LibraryColumnCount; ++c)
        captions << QString::fromLatin1(LibraryColumns[c].caption);
    ResultList->setHeaderLabels(captions);
    ResultList->header()->setSectionsClickable(false);
    ResultList->header()->setStretchLastSection(false);
    ResultList->setColumnWidth(GroupColumn, 50);
    ResultList->setColumnWidth(FileColumn, 140);
    for (int c = NameColumn; c < LibraryColumnCount; ++c)
        ResultList->setColumnWidth(FirstRecordColumn + c - NameColumn, LibraryColumns[c].width);
    ResultList->setRootIsDecorated(false);
    ResultList->setUniformRowHeights(true);
    ResultList->setAllColumnsShowFocus(true);
    ResultList->setSelectionBehavior(QAbstractItemView::SelectRows);
    ResultList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ResultList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ResultList->setContextMenuPolicy(Qt::CustomContextMenu);
    ResultList->setProperty("helpContext", TLibraryForm::ListHelpContext);
    ResultList->installEventFilter(this);
    ResultList->viewport()->installEventFilter(this);
    results->addWidget(ResultList);
    ResultsPane->hide();

    ResultMenu = new QMenu(ResultList);
    connect(ResultMenu->addAction(QStringLiteral("&Edit")), &QAction::triggered, this, &LibrarySearch::editSelected);
    connect(ResultMenu->addAction(QStringLiteral("&Audition")), &QAction::triggered, this,
            &LibrarySearch::auditionSelected);
    ResultMenu->addSeparator();
    connect(ResultMenu->addAction(QStringLiteral("Open File")), &QAction::triggered, this,
            &LibrarySearch::openSelected);
    connect(ResultList, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { ResultMenu->popup(ResultList->viewport()->mapToGlobal(pos)); });

    connect(SearchBox, &QLineEdit::textEdited, this, [this](const QString& text) {
        // An emptied box goes back to the open library.
        if (text.isEmpty() && ShowingResults())
            ShowLibrary();
        else if (ShowingResults())
            filterRows();
        else
            FilterLibraryRows();
    });
    connect(SearchAllBtn, &QPushButton::clicked, this, [this] { start(Kind::Search); });
    connect(FindDuplicatesBtn, &QPushButton::clicked, this, [this] { start(Kind::Duplicates); });
    connect(CancelBtn, &QPushButton::clicked, this, &LibrarySearch::cancel);
    connect(OpenFileBtn, &QPushButton::clicked, this, &LibrarySearch::openSelected);
    connect(BackBtn, &QPushButton::clicked, this, &LibrarySearch::ShowLibrary);
    connect(ResultList, &QTreeWidget::itemSelectionChanged, this, [this] {
        OpenFileBtn->setEnabled(!ResultList->selectedItems().isEmpty());
        if (prefs.AutoAud && !ResultList->selectedItems().isEmpty())
            auditionSelected();
    });
    OpenFileBtn->setEnabled(false);
}

LibrarySearch::~LibrarySearch()
{
    if (stop)
        stop->store(true);
    reap();
}

bool LibrarySearch::ShowingResults() const
{
    return !ResultsPane->isHidden();
}

QString LibrarySearch::SearchFolder() const
{
    const QModelIndex node = form->FileTree->currentIndex();
    if (node.isValid() && form->FileModel->isDir(node))
        return form->FileModel->filePath(node);
    return prefs.Dir.isEmpty() ? form->SelectedFolder() : prefs.Dir;
}

// ---- the filter ----

void LibrarySearch::FilterLibraryRows()
{
    if (ShowingResults())
        return;
    const std::string query = presetsearch::FoldQuery(SearchBox->text());
    QTreeWidget* list = form->PresetList;
    for (int i = 0; i < list->topLevelItemCount() && i < LibraryList->count; ++i) {
        const PresetRecord& r = LibraryList->at(i);
        // Comment lines stand between presets; a filtered list has none.
        const bool hide = !query.empty() && (r.isCommentLine() || !presetsearch::Matches(r, query));
        QTreeWidgetItem* item = list->topLevelItem(i);
        if (hide == item->isHidden())
            continue;
        // What the user cannot see is not acted on.
        if (hide && item->isSelected())
            item->setSelected(false);
        item->setHidden(hide);
    }
}

void LibrarySearch::filterRows()
{
    const std::string query = presetsearch::FoldQuery(SearchBox->text());
    for (int i = 0; i < ResultList->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = ResultList->topLevelItem(i);
        const bool hide = !presetsearch::Matches(rows[size_t(i)].hit.record, query);
        if (hide == item->isHidden())
            continue;
        if (hide && item->isSelected())
            item->setSelected(false);
        item->setHidden(hide);
    }
}

bool LibrarySearch::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == SearchBox) {
        // Enter and Escape act on release, as in every edit field.
        if (e->type() == QEvent::KeyRelease) {
            const int key = static_cast<QKeyEvent*>(e)->key();
            if (isCancelKey(key)) {
                ShowLibrary();
                return true;
            }
            if (isCommitKey(key)) {
                start(Kind::Search);
                return true;
            }
        }
        return false;
    }
    if (watched == ResultList) {
        // The window's keys for the list act on the results here, or not at all.
        if (e->type() == QEvent::ShortcutOverride) {
            const QKeySequence typed(static_cast<QKeyEvent*>(e)->keyCombination());
            for (const QAction* action : std::as_const(form->LibActionList))
                if (!action->shortcut().isEmpty() && action->shortcut() == typed) {
                    e->accept();
                    return true;
                }
        }
        if (e->type() == QEvent::KeyPress)
            return listKey(static_cast<QKeyEvent*>(e));
        return false;
    }
    const bool mouse = e->type() == QEvent::MouseButtonPress || e->type() == QEvent::MouseMove ||
                       e->type() == QEvent::MouseButtonRelease || e->type() == QEvent::MouseButtonDblClick;
    if (watched == ResultList->viewport() && mouse) {
        auto* m = static_cast<QMouseEvent*>(e);
        switch (e->type()) {
        case QEvent::MouseButtonPress: {
            QTreeWidgetItem* item = ResultList->itemAt(m->position().toPoint());
            pendingDrag = item && m->button() == Qt::LeftButton;
            dragStart = m->position().toPoint();
            // Pressing inside the selection keeps it, for dragging.
            return pendingDrag && item->isSelected() && m->modifiers() == Qt::NoModifier
                && ResultList->selectedItems().size() > 1;
        }
        case QEvent::MouseMove:
            if (pendingDrag && (m->buttons() & Qt::LeftButton)
                && (m->position().toPoint() - dragStart).manhattanLength() >= 7) {
                pendingDrag = false;
                startDrag();
                return true;
            }
            return false;
        case QEvent::MouseButtonRelease:
            pendingDrag = false;
            return false;
        case QEvent::MouseButtonDblClick:
            if (m->button() == Qt::LeftButton && ResultList->itemAt(m->position().toPoint())) {
                pendingDrag = false;
                editSelected();
                return true;
            }
            return false;
        default:
            return false;
        }
    }
    return QObject::eventFilter(watched, e);
}

bool LibrarySearch::listKey(QKeyEvent* e)
{
    const QKeySequence typed(e->keyCombination());
    if (isCommitKey(e->key()) && e->modifiers() == Qt::NoModifier) {
        editSelected();
        return true;
    }
    if (typed == form->Audition->shortcut()) {
        auditionSelected();
        return true;
    }
    if (typed == form->SelectAll->shortcut()) {
        ResultList->selectAll();
        return true;
    }
    // Delete, Cut, Paste, Rename and the rest: results are read-only.
    for (const QAction* action : std::as_const(form->LibActionList))
        if (!action->shortcut().isEmpty() && action->shortcut() == typed)
            return true;
    return false;
}

void LibrarySearch::ResultAction(const QAction* action)
{
    if (action == form->Edit)
        editSelected();
    else if (action == form->Audition)
        auditionSelected();
    else if (action == form->SelectAll)
        ResultList->selectAll();
}

// ---- searching ----

void LibrarySearch::start(Kind kind)
{
    if (stop)
        stop->store(true);
    reap();
    folder = SearchFolder();
    const QString query = SearchBox->text();
    stop = std::make_shared<std::atomic<bool>>(false);
    cancelledByUser = false;
    const int mine = ++generation;
    // The thread works on its own copies and hands its results back as
    // copies through the event loop; it touches no widget and no record of
    // the program.
    worker = QThread::create([this, kind, root = folder, query, flag = stop, mine] {
        presetsearch::Options options;
        options.cancel = flag.get();
        options.progress = [this, mine](const presetsearch::Progress& p) {
            QMetaObject::invokeMethod(this, [this, mine, p] { progressed(mine, p); }, Qt::QueuedConnection);
        };
        if (kind == Kind::Search) {
            auto found = std::make_shared<presetsearch::Results>(presetsearch::Search(root, query, options));
            QMetaObject::invokeMethod(this, [this, mine, found] { searched(mine, *found); }, Qt::QueuedConnection);
        } else {
            auto found = std::make_shared<presetsearch::Duplicates>(presetsearch::FindDuplicates(root, options));
            QMetaObject::invokeMethod(
                this, [this, mine, found] { duplicatesFound(mine, *found); }, Qt::QueuedConnection);
        }
    });
    setSearching(true);
    Status->setText(QStringLiteral("Searching %1 ...").arg(QDir::toNativeSeparators(folder)));
    worker->start();
}

void LibrarySearch::cancel()
{
    if (!worker)
        return;
    stop->store(true);
    // The thread stops at its next file; whatever it still hands back is
    // not shown.
    cancelledByUser = true;
    setSearching(false);
    Status->setText(QStringLiteral("Search cancelled."));
}

void LibrarySearch::reap()
{
    if (!worker)
        return;
    worker->wait();
    delete worker;
    worker = nullptr;
}

void LibrarySearch::setSearching(bool on)
{
    SearchAllBtn->setEnabled(!on);
    FindDuplicatesBtn->setEnabled(!on);
    Progress->setVisible(on);
    CancelBtn->setVisible(on);
    if (on) {
        Progress->setRange(0, 0);
        Progress->setValue(0);
    }
}

void LibrarySearch::progressed(int mine, presetsearch::Progress p)
{
    if (mine != generation || cancelledByUser)
        return;
    Progress->setRange(0, std::max(p.filesTotal, 1));
    Progress->setValue(p.filesDone);
}

QString LibrarySearch::skippedText(const std::vector<presetsearch::Skipped>& skipped, int otherFamily) const
{
    QString text;
    if (otherFamily > 0)
        text += QStringLiteral(" %1 of the other family not shown.").arg(plural(otherFamily, "preset", "presets"));
    if (!skipped.empty()) {
        text += QStringLiteral(" %1 could not be read.").arg(plural(int(skipped.size()), "file", "files"));
        QStringList lines;
        for (const presetsearch::Skipped& s : skipped) {
            lines << QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(s.file), s.reason);
            TraceLine(2, "Search skipped %s: %s", qPrintable(s.file), qPrintable(s.reason));
        }
        Status->setToolTip(lines.join(QLatin1Char('\n')));
    } else {
        Status->setToolTip(QString());
    }
    return text;
}

// The end of search run `mine`: false when a newer run replaced it or the
// user cancelled it, so that its results are dropped.
bool LibrarySearch::takeResult(int mine)
{
    if (mine != generation)
        return false;
    reap();
    if (cancelledByUser)
        return false;
    setSearching(false);
    return true;
}

void LibrarySearch::searched(int mine, const presetsearch::Results& r)
{
    if (!takeResult(mine))
        return;
    // The list shows what the connected unit can take, as the tree does.
    std::vector<Row> shown;
    int other = 0;
    for (const presetsearch::Hit& h : r.hits)
        if (SameFamily(h.record))
            shown.push_back({h, 0});
        else
            ++other;
    const QString status = QStringLiteral("%1 found, %2 searched.")
                               .arg(plural(int(shown.size()), "preset", "presets"),
                                    plural(r.filesRead + int(r.skipped.size()), "file", "files"))
        + skippedText(r.skipped, other);
    showRows(std::move(shown), false, status);
}

void LibrarySearch::duplicatesFound(int mine, const presetsearch::Duplicates& d)
{
    if (!takeResult(mine))
        return;
    std::vector<Row> shown;
    int group = 0;
    int other = 0;
    for (const presetsearch::DuplicateGroup& g : d.groups) {
        // A group holds one family: its images are the same.
        if (!SameFamily(g.members.front().record)) {
            other += int(g.members.size());
            continue;
        }
        ++group;
        for (const presetsearch::Hit& h : g.members)
            shown.push_back({h, group});
    }
    const QString status = QStringLiteral("%1 of duplicates found, %2 searched.")
                               .arg(plural(group, "group", "groups"),
                                    plural(d.filesRead + int(d.skipped.size()), "file", "files"))
        + skippedText(d.skipped, other);
    showRows(std::move(shown), true, status);
}

void LibrarySearch::showRows(std::vector<Row> shown, bool groups, const QString& status)
{
    rows = std::move(shown);
    ResultList->clear();
    const QDir root(folder);
    QList<QTreeWidgetItem*> items;
    for (const Row& row : rows) {
        const PresetRecord& r = row.hit.record;
        const QStringList texts = RowTexts(r, 0);
        QStringList columns{row.group > 0 ? QString::number(row.group) : QString(),
                            QDir::toNativeSeparators(root.relativeFilePath(row.hit.file))};
        columns += texts.mid(NameColumn);
        // A record without a date shows none; a search stamps nothing.
        if (std::trunc(r.dateTime) == 0.0)
            columns[FirstRecordColumn + DateTimeColumn - NameColumn].clear();
        auto* item = new QTreeWidgetItem(columns);
        item->setToolTip(FileColumn, QDir::toNativeSeparators(row.hit.file));
        items << item;
    }
    ResultList->addTopLevelItems(items);
    ResultList->setColumnHidden(GroupColumn, !groups);
    // Measured once per file, not per row: a search may find tens of
    // thousands of presets in a few hundred files.
    int fileWidth = 60;
    QString previous;
    for (const QTreeWidgetItem* item : std::as_const(items))
        if (item->text(FileColumn) != previous) {
            previous = item->text(FileColumn);
            fileWidth = std::max(fileWidth, ResultList->fontMetrics().horizontalAdvance(previous) + 16);
        }
    ResultList->setColumnWidth(FileColumn, std::min(fileWidth, 220));
    Status->setText(status);
    setResultsShown(true);
    filterRows();
    if (!items.isEmpty())
        ResultList->setCurrentItem(items.front(), 0, QItemSelectionModel::NoUpdate);
    ResultList->setFocus();
}

void LibrarySearch::setResultsShown(bool on)
{
    form->PresetList->setVisible(!on);
    for (QWidget* w : {static_cast<QWidget*>(form->DeletePBtn), static_cast<QWidget*>(form->CutPBtn),
                       static_cast<QWidget*>(form->CopyPBtn), static_cast<QWidget*>(form->PastePBtn),
                       static_cast<QWidget*>(form->PrintFBtn)})
        w->setVisible(!on);
    ResultsPane->setVisible(on);
}

void LibrarySearch::ShowLibrary()
{
    if (worker && !cancelledByUser)
        cancel();
    SearchBox->clear();
    if (ShowingResults()) {
        setResultsShown(false);
        ResultList->clear();
        rows.clear();
        Status->clear();
        Status->setToolTip(QString());
        form->PresetList->setFocus();
    }
    FilterLibraryRows();
}

// ---- what a result does ----

std::vector<const LibrarySearch::Row*> LibrarySearch::selectedRows() const
{
    std::vector<const Row*> selected;
    for (int i = 0; i < ResultList->topLevelItemCount(); ++i)
        if (ResultList->topLevelItem(i)->isSelected() && !ResultList->topLevelItem(i)->isHidden())
            selected.push_back(&rows[size_t(i)]);
    return selected;
}

void LibrarySearch::auditionSelected()
{
    const auto selected = selectedRows();
    if (!selected.empty())
        AuditionRecord(selected.front()->hit.record);
}

void LibrarySearch::editSelected()
{
    const auto selected = selectedRows();
    if (!selected.empty())
        form->EditRecord(selected.front()->hit.record, QFileInfo(selected.front()->hit.file).fileName());
}

void LibrarySearch::openSelected()
{
    const auto selected = selectedRows();
    if (selected.empty())
        return;
    // A copy: opening the file ends the results.
    const presetsearch::Hit hit = selected.front()->hit;
    form->OpenLibraryAt(hit.file, hit.position);
}

void LibrarySearch::startDrag()
{
    const auto selected = selectedRows();
    if (selected.empty())
        return;
    // The results go as library presets do: a linear list, one copy each.
    ListClear(*DragList);
    for (const Row* row : selected)
        ListAdd(*DragList, &row->hit.record);
    form->runDrag(PresetDragData(DragSource::LibraryList));
}
