#include "librarian/DeviceForm.h"

#include <QActionGroup>
#include <QCloseEvent>
#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QPainter>
#include <QEvent>
#include <QHeaderView>
#include <QMenuBar>
#include <QMouseEvent>
#include <QScrollArea>
#include <QVBoxLayout>

#include "controls/KeyCodes.h"
#include "files/Preferences.h"
#include "librarian/LibrarianActions.h"
#include "librarian/LibrarianState.h"
#include "model/DeviceConnection.h"
#include "model/Presets.h"

namespace {
// Cells of 100 x 20 pixels plus the one-pixel grid line that Qt draws inside
// each section.
constexpr int ColumnWidth = 101;
constexpr int RowHeight = 21;
constexpr int GridWidth = 609;
constexpr int GridHeight = 549;

QString latin1(const std::string& s)
{
    return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

// Header cells can be neither selected nor reached with the cursor keys.
QTableWidgetItem* headerItem(const QString& text)
{
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::NoItemFlags);
    item->setTextAlignment(Qt::AlignCenter);
    item->setData(Qt::BackgroundRole, QColor(0xE4, 0xE4, 0xE8));
    item->setData(Qt::ForegroundRole, QColor(Qt::black));
    QFont f = item->font();
    f.setBold(true);
    item->setFont(f);
    return item;
}

// The picture that follows the pointer: one preset, or a stack of several.
QPixmap dragPicture(int count)
{
    QPixmap picture(count > 1 ? 40 : 32, count > 1 ? 28 : 20);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    const int sheets = count > 1 ? 3 : 1;
    for (int i = sheets - 1; i >= 0; --i) {
        const QRect sheet(i * 4, i * 4, 30, 18);
        p.fillRect(sheet, QColor(0xFF, 0xFF, 0xF0));
        p.setPen(Qt::darkGray);
        p.drawRect(sheet.adjusted(0, 0, -1, -1));
    }
    return picture;
}

bool isCommitKey(int key) { return key == KeyConfirm || key == Qt::Key_Return || key == Qt::Key_Enter; }
bool isCancelKey(int key) { return key == KeyCancel || key == Qt::Key_Escape; }
}

TDeviceForm::TDeviceForm(const WindowServices& services, LibrarianActions& librarian_, QWidget* parent)
    : QMainWindow(parent)
    , messages(services.messages)
    , help(services.help)
    , prefs(services.preferences)
    , prefSets(services.preferenceSets)
    , librarian(librarian_)
{
    setObjectName(QStringLiteral("DeviceForm"));
    runDrag = [this](QMimeData* data) {
        auto* drag = new QDrag(this);
        drag->setMimeData(data);
        drag->setPixmap(dragPicture(DragList->count));
        drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::MoveAction);
    };

    // The contents scroll whenever the window is smaller than its maximum.
    scroller = new QScrollArea(this);
    scroller->setFrameShape(QFrame::NoFrame);
    scroller->setWidgetResizable(true);
    scroller->setMinimumSize(1, 1);
    auto* central = new QWidget(scroller);
    central->setObjectName(QStringLiteral("DeviceFormBackground"));
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(5, 4, 5, 0);
    auto* top = new QHBoxLayout;
    Label1 = new QLabel(QStringLiteral("Current Preset:"), central);
    CurrentPreset = new QLineEdit(central);
    CurrentPreset->setObjectName(QStringLiteral("CurrentPreset"));
    CurrentPreset->setMaxLength(16);
    CurrentPreset->setFixedWidth(160);
    top->addWidget(Label1);
    top->addWidget(CurrentPreset);
    top->addStretch();
    layout->addLayout(top);

    PresetGrid = new QTableWidget(GridRows, GridColumns, central);
    PresetGrid->setObjectName(QStringLiteral("PresetGrid"));
    PresetGrid->horizontalHeader()->hide();
    PresetGrid->verticalHeader()->hide();
    PresetGrid->horizontalHeader()->setMinimumSectionSize(10);
    PresetGrid->verticalHeader()->setMinimumSectionSize(10);
    for (int c = 0; c < GridColumns; ++c)
        PresetGrid->setColumnWidth(c, ColumnWidth);
    for (int r = 0; r < GridRows; ++r)
        PresetGrid->setRowHeight(r, RowHeight);
    PresetGrid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    PresetGrid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    PresetGrid->setFixedSize(GridWidth, GridHeight);
    PresetGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    PresetGrid->setSelectionMode(QAbstractItemView::ContiguousSelection);
    PresetGrid->setTabKeyNavigation(false);
    // A full 16-character name has to fit a 100-pixel cell.
    QFont cellFont = PresetGrid->font();
    cellFont.setPointSizeF(cellFont.pointSizeF() * 0.9);
    PresetGrid->setFont(cellFont);
    PresetGrid->setMouseTracking(true);
    PresetGrid->viewport()->setMouseTracking(true);
    PresetGrid->viewport()->installEventFilter(this);
    PresetGrid->viewport()->setAcceptDrops(true);
    PresetGrid->installEventFilter(this);
    PresetGrid->setContextMenuPolicy(Qt::CustomContextMenu);
    CurrentPreset->setContextMenuPolicy(Qt::CustomContextMenu);
    CurrentPreset->installEventFilter(this);
    layout->addWidget(PresetGrid);
    layout->addStretch();
    scroller->setWidget(central);
    setCentralWidget(scroller);

    DeviceStatusBar = new QStatusBar(this);
    setStatusBar(DeviceStatusBar);
    for (QWidget* w : {static_cast<QWidget*>(central), static_cast<QWidget*>(Label1),
                       static_cast<QWidget*>(DeviceStatusBar)})
        w->installEventFilter(this);

    createActions();
    createMenus();
    librarian.saveLibraryAs = [this] { return SaveLibraryAs(); };
    librarian.editBufferName = [this] { return CurrentPreset->text(); };
    librarian.setDialogDirectory = [this](const QString& folder) { SetDialogDirectory(folder); };
    connect(PresetGrid, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        MemoryGridPopupPopup();
        MemoryGridPopup->popup(PresetGrid->viewport()->mapToGlobal(pos));
    });
    connect(CurrentPreset, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        MemoryGridPopupPopup();
        MemoryGridPopup->popup(CurrentPreset->mapToGlobal(pos));
    });

    // Header texts, the 125 names, the edit buffer's name, no selection.
    PresetGrid->setItem(0, 0, headerItem(QString()));
    for (int c = 1; c < GridColumns; ++c)
        PresetGrid->setItem(0, c, headerItem(QStringLiteral("Preset %1").arg(QChar('A' + c - 1))));
    for (int r = 1; r < GridRows; ++r)
        PresetGrid->setItem(r, 0, headerItem(QStringLiteral("Bank %1").arg(r)));
    for (int slot = 0; slot < SlotCount; ++slot)
        RedrawSlot(slot);
    CurrentPreset->setText(latin1(GetRecordName(*DeviceMemory[0])));
    PresetGrid->setCurrentCell(1, 1, QItemSelectionModel::NoUpdate);
    selection = NoSelection();
    connect(PresetGrid->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TDeviceForm::selectionFollowsGrid);
    // Moving to another cell, by mouse or key, ends a rename by committing it.
    connect(PresetGrid, &QTableWidget::currentCellChanged, this, [this] {
        if (renameEditor)
            RenameCommit();
    });

    setMaximumSize(MaxWidth, MaxHeight);
    resize(MaxWidth, MaxHeight);
    FormActivate();
}

TDeviceForm::~TDeviceForm()
{
    SetUndoStateListener(nullptr);
    librarian.saveLibraryAs = nullptr;
    librarian.editBufferName = nullptr;
    librarian.setDialogDirectory = nullptr;
}

int TDeviceForm::CellToSlot(int column, int row)
{
    if (column < 1 || row < 1)
        return 0;
    return (row - 1) * 5 + (column - 1);
}

QString TDeviceForm::StatusTextForCell(int c, int r)
{
    const QChar letter('A' + c - 1);
    if (c >= 1 && r >= 1)
        return QStringLiteral("Bank %1, Preset %2").arg(r).arg(letter);
    if (r >= 1)
        return QStringLiteral("Bank %1").arg(r);
    if (c >= 1)
        return QStringLiteral("Preset %1").arg(letter);
    return QString();
}

void TDeviceForm::RedrawSlot(int slot)
{
    if (slot < 0 || slot >= SlotCount || !DeviceMemory[slot])
        return;
    const int row = slot / 5 + 1;
    const int column = slot % 5 + 1;
    const QString name = latin1(GetRecordName(*DeviceMemory[slot]));
    if (QTableWidgetItem* item = PresetGrid->item(row, column))
        item->setText(name);
    else
        PresetGrid->setItem(row, column, new QTableWidgetItem(name));
}

void TDeviceForm::ShowCurrentPresetName(const QString& name)
{
    CurrentPreset->setText(name);
}

void TDeviceForm::SelectSlot(int slot)
{
    if (slot < 0 || slot >= SlotCount)
        return;
    const int row = slot / 5 + 1;
    const int column = slot % 5 + 1;
    SetSelection(QRect(QPoint(column, row), QPoint(column, row)));
}

void TDeviceForm::SetSelection(const QRect& cells)
{
    settingSelection = true;
    QItemSelectionModel* model = PresetGrid->selectionModel();
    if (NothingSelected(cells)) {
        model->clearSelection();
        model->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
        selection = NoSelection();
    } else {
        const QRect r = cells.intersected(WholeMemory());
        PresetGrid->setCurrentCell(r.top(), r.left(), QItemSelectionModel::NoUpdate);
        const QItemSelection items(PresetGrid->model()->index(r.top(), r.left()),
                                   PresetGrid->model()->index(r.bottom(), r.right()));
        model->select(items, QItemSelectionModel::ClearAndSelect);
        selection = r;
    }
    settingSelection = false;
}

void TDeviceForm::selectionFollowsGrid()
{
    if (settingSelection)
        return;
    QRect bounds;
    for (const QTableWidgetSelectionRange& range : PresetGrid->selectedRanges())
        bounds |= QRect(QPoint(range.leftColumn(), range.topRow()), QPoint(range.rightColumn(), range.bottomRow()));
    selection = bounds.isValid() ? bounds : NoSelection();
}

int TDeviceForm::CurrentSlot() const
{
    return CellToSlot(PresetGrid->currentColumn(), PresetGrid->currentRow());
}

bool TDeviceForm::singleCell() const
{
    return !NothingSelected(selection) && selection.width() == 1 && selection.height() == 1;
}

void TDeviceForm::FormActivate()
{
    const std::string& name = ActiveDevice.DeviceName.empty() ? ActiveDevice.ModelText : ActiveDevice.DeviceName;
    setWindowTitle(QStringLiteral("BRAXEL DRUX Device :") + latin1(name));
}

void TDeviceForm::FormClick()
{
    if (selection == WholeMemory())
        SetSelection(NoSelection());
}

bool TDeviceForm::event(QEvent* e)
{
    if (e->type() == QEvent::WindowActivate)
        FormActivate();
    return QMainWindow::event(e);
}

void TDeviceForm::closeEvent(QCloseEvent* e)
{
    if (closeQuery && !closeQuery()) {
        e->ignore();
        return;
    }
    QMainWindow::closeEvent(e);
}

bool TDeviceForm::eventFilter(QObject* watched, QEvent* e)
{
    const QEvent::Type type = e->type();
    if (watched == PresetGrid->viewport()) {
        switch (type) {
        case QEvent::MouseMove:
            PresetGridMouseMove(static_cast<QMouseEvent*>(e)->position().toPoint());
            return dragMouse(static_cast<QMouseEvent*>(e), DragSource::Grid);
        case QEvent::MouseButtonPress:
            dragMouse(static_cast<QMouseEvent*>(e), DragSource::Grid);
            return PresetGridMouseDown(static_cast<QMouseEvent*>(e), false);
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
            return dragEvent(e, true);
        case QEvent::MouseButtonRelease:
            pendingDrag = DragSource::None;
            // Every click in the grid auditions while "Auto Audition" is on;
            // the release that ends a double-click belongs to Edit, which has
            // made the unit load the slot already.
            if (static_cast<QMouseEvent*>(e)->button() == Qt::LeftButton && prefs.AutoAud
                && !doubleClickPending)
                AuditionExecute();
            doubleClickPending = false;
            break;
        case QEvent::MouseButtonDblClick:
            if (static_cast<QMouseEvent*>(e)->button() == Qt::LeftButton) {
                doubleClickPending = true;
                OpenEditSelectedExecute();
                return true;
            }
            break;
        default:
            break;
        }
    } else if (watched == PresetGrid) {
        if (type == QEvent::KeyPress)
            return PresetGridKeyDown(static_cast<QKeyEvent*>(e));
    } else if (watched == CurrentPreset) {
        switch (type) {
        case QEvent::MouseButtonPress:
            dragMouse(static_cast<QMouseEvent*>(e), DragSource::CurrentPreset);
            PresetGridMouseDown(static_cast<QMouseEvent*>(e), true);
            break;
        case QEvent::MouseMove:
            return dragMouse(static_cast<QMouseEvent*>(e), DragSource::CurrentPreset);
        case QEvent::MouseButtonRelease:
            pendingDrag = DragSource::None;
            break;
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
            return dragEvent(e, false);
        case QEvent::MouseButtonDblClick:
            CurrentPresetDblClick();
            return true;
        case QEvent::FocusIn:
            rememberedName = CurrentPreset->text();
            break;
        case QEvent::KeyRelease:
            if (isCancelKey(static_cast<QKeyEvent*>(e)->key()))
                CurrentPreset->setText(rememberedName);
            break;
        default:
            break;
        }
    } else if (renameEditor && watched == renameEditor) {
        if (type == QEvent::KeyRelease) {
            const int key = static_cast<QKeyEvent*>(e)->key();
            if (isCommitKey(key)) {
                RenameCommit();
                return true;
            }
            if (isCancelKey(key)) {
                RenameCancel();
                return true;
            }
        }
    } else if (type == QEvent::MouseButtonPress) {
        // The background, the label and the status bar.
        FormClick();
    }
    return QMainWindow::eventFilter(watched, e);
}

// A left press arms a drag; moving 7 pixels with the button held starts it.
// True while the move belongs to the drag.
bool TDeviceForm::dragMouse(QMouseEvent* e, DragSource source)
{
    if (e->type() == QEvent::MouseButtonPress) {
        pendingDrag = e->button() == Qt::LeftButton ? source : DragSource::None;
        dragStart = e->position().toPoint();
        if (pendingDrag != DragSource::None)
            dragCopyMode = e->modifiers().testFlag(Qt::ControlModifier);
        return false;
    }
    if (pendingDrag != source || !(e->buttons() & Qt::LeftButton))
        return false;
    if ((e->position().toPoint() - dragStart).manhattanLength() < 7)
        return source == DragSource::Grid;
    pendingDrag = DragSource::None;
    if (source == DragSource::Grid)
        PresetGridStartDrag();
    else
        CurrentPresetStartDrag();
    runDrag(PresetDragData(source));
    return true;
}

// Drags over and drops on the grid or the Current Preset field.
bool TDeviceForm::dragEvent(QEvent* e, bool onGrid)
{
    auto* drop = static_cast<QDropEvent*>(e);
    const DragSource source = DropSource(drop->mimeData(), IsBassModel(ActiveDevice.Model));
    if (e->type() == QEvent::DragEnter) {
        // Dragging over the window brings it to the front.
        activateWindow();
        raise();
    }
    if (source == DragSource::Files)
        droppedFiles = DroppedPresetFiles(drop->mimeData(), IsBassModel(ActiveDevice.Model));
    bool accepted = false;
    if (onGrid) {
        const QPoint pos = drop->position().toPoint();
        const QPoint cell(PresetGrid->columnAt(pos.x()), PresetGrid->rowAt(pos.y()));
        // Entering refuses nothing yet: the cells under the pointer decide.
        accepted = e->type() == QEvent::DragEnter ? source != DragSource::None : PresetGridDragOver(source, cell);
        if (accepted && e->type() == QEvent::Drop)
            PresetGridDragDrop(source, cell);
    } else {
        accepted = source == DragSource::Grid;
        if (accepted && e->type() == QEvent::Drop)
            CurrentPresetDragDrop();
    }
    if (!accepted) {
        drop->ignore();
    } else if (source == DragSource::Files) {
        // Files from another program are read, never taken away from it.
        drop->setDropAction(Qt::CopyAction);
        drop->accept();
    } else {
        drop->acceptProposedAction();
    }
    return true;
}

void TDeviceForm::PresetGridMouseMove(const QPoint& pos)
{
    const int c = PresetGrid->columnAt(pos.x());
    const int r = PresetGrid->rowAt(pos.y());
    DeviceStatusBar->showMessage(c < 0 || r < 0 ? QString() : StatusTextForCell(c, r));
}

// True when the grid is not to act on the press itself.
bool TDeviceForm::PresetGridMouseDown(QMouseEvent* e, bool inCurrentPreset)
{
    const QPoint pos = e->position().toPoint();
    const int c = inCurrentPreset ? -1 : PresetGrid->columnAt(pos.x());
    const int r = inCurrentPreset ? -1 : PresetGrid->rowAt(pos.y());
    editBufferFocus = c < 1 || r < 1;
    const bool left = e->button() == Qt::LeftButton;
    if (left && selection == WholeMemory())
        SetSelection(NoSelection());
    if (inCurrentPreset)
        return false;
    // The context menu leaves the selection as it is.
    if (!left || editBufferFocus)
        return true;
    if (renameEditor)
        RenameCommit();
    // Pressing inside the selection keeps it (for dragging).
    return selection.contains(c, r);
}

bool TDeviceForm::PresetGridKeyDown(QKeyEvent* e)
{
    if (!renameEditor && isCommitKey(e->key())) {
        OpenEditSelectedExecute();
        return true;
    }
    QPoint step;
    switch (e->key()) {
    case Qt::Key_Left: step = QPoint(-1, 0); break;
    case Qt::Key_Right: step = QPoint(1, 0); break;
    case Qt::Key_Up: step = QPoint(0, -1); break;
    case Qt::Key_Down: step = QPoint(0, 1); break;
    default: return false;
    }
    if (renameEditor)
        RenameCommit();
    // The cursor keys may not move the focus into the selection either.
    const QPoint target = QPoint(PresetGrid->currentColumn(), PresetGrid->currentRow()) + step;
    return !singleCell() && selection.contains(target);
}

void TDeviceForm::resizeEvent(QResizeEvent* e)
{
    QMainWindow::resizeEvent(e);
    // The menu and status bars may keep the window a little above the
    // minimized size; that still counts as minimized.
    const QSize floor = QSize(MinimizedWidth, MinimizedHeight).expandedTo(minimumSizeHint());
    if (MinimizedM->isChecked() && (height() > floor.height() || width() > floor.width()))
        MinimizedM->setChecked(false);
}

void TDeviceForm::MinimizedClick()
{
    // The item's check has already flipped when its action runs.
    if (MinimizedM->isChecked()) {
        savedSize = size();
        resize(MinimizedWidth, MinimizedHeight);
    } else {
        resize(savedSize);
    }
}

void TDeviceForm::PrefsMClick()
{
    const QList<QAction*> entries = PrefsM->actions();
    for (qsizetype i = 2; i < entries.size(); ++i) {
        PrefsM->removeAction(entries[i]);
        delete entries[i];
    }
    delete prefsGroup;
    prefsGroup = new QActionGroup(PrefsM);
    for (size_t i = 0; i < prefSets.sets.size(); ++i) {
        QAction* entry = PrefsM->addAction(prefSets.sets[i].Name);
        entry->setCheckable(true);
        entry->setChecked(int(i) == prefSets.active);
        entry->setData(int(i));
        prefsGroup->addAction(entry);
        connect(entry, &QAction::triggered, this, [this, i] { SetToPrefsClick(int(i)); });
    }
}

void TDeviceForm::SetToPrefsClick(int index)
{
    SwitchPreferenceSet(index);
}
