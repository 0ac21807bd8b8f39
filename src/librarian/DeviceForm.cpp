#include "librarian/DeviceForm.h"

#include <QEvent>
#include <QActionGroup>
#include <QHeaderView>
#include <QMenuBar>
#include <QMouseEvent>
#include <QVBoxLayout>

#include "files/Preferences.h"
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

QTableWidgetItem* headerItem(const QString& text)
{
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled);
    item->setTextAlignment(Qt::AlignCenter);
    item->setData(Qt::BackgroundRole, QColor(0xE4, 0xE4, 0xE8));
    QFont f = item->font();
    f.setBold(true);
    item->setFont(f);
    return item;
}
}

TDeviceForm::TDeviceForm(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("DeviceForm"));
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(6, 6, 6, 0);
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
    // A full 16-character name has to fit a 100-pixel cell.
    QFont cellFont = PresetGrid->font();
    cellFont.setPointSizeF(cellFont.pointSizeF() * 0.9);
    PresetGrid->setFont(cellFont);
    PresetGrid->setMouseTracking(true);
    PresetGrid->viewport()->setMouseTracking(true);
    PresetGrid->viewport()->installEventFilter(this);
    layout->addWidget(PresetGrid);

    PrefsM = menuBar()->addMenu(QStringLiteral("&Preferences"));
    PrefsM->setObjectName(QStringLiteral("PrefsM"));
    SetM = PrefsM->addAction(QStringLiteral("&Set..."), this, &TDeviceForm::preferencesRequested);
    SetM->setObjectName(QStringLiteral("SetM"));
    PrefsM->addSeparator();
    connect(PrefsM, &QMenu::aboutToShow, this, &TDeviceForm::PrefsMClick);

    DeviceStatusBar = new QStatusBar(this);
    setStatusBar(DeviceStatusBar);
    setCentralWidget(central);

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
    selection = QRect(QPoint(-1, -1), QPoint(-1, -1));

    setMaximumSize(619, 639);
    adjustSize();
    FormActivate();
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
    PresetGrid->setCurrentCell(row, column);
    selection = QRect(QPoint(column, row), QPoint(column, row));
}

void TDeviceForm::FormActivate()
{
    const std::string& name = ActiveDevice.DeviceName.empty() ? ActiveDevice.ModelText : ActiveDevice.DeviceName;
    setWindowTitle(QStringLiteral("BRAXEL DRUX Device :") + latin1(name));
}

bool TDeviceForm::event(QEvent* e)
{
    if (e->type() == QEvent::WindowActivate)
        FormActivate();
    return QMainWindow::event(e);
}

bool TDeviceForm::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == PresetGrid->viewport() && e->type() == QEvent::MouseMove)
        PresetGridMouseMove(static_cast<QMouseEvent*>(e)->position().toPoint());
    return QMainWindow::eventFilter(watched, e);
}

void TDeviceForm::PresetGridMouseMove(const QPoint& pos)
{
    const int c = PresetGrid->columnAt(pos.x());
    const int r = PresetGrid->rowAt(pos.y());
    DeviceStatusBar->showMessage(c < 0 || r < 0 ? QString() : StatusTextForCell(c, r));
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
    for (size_t i = 0; i < PreferenceSets.sets.size(); ++i) {
        QAction* entry = PrefsM->addAction(PreferenceSets.sets[i].Name);
        entry->setCheckable(true);
        entry->setChecked(int(i) == PreferenceSets.active);
        entry->setData(int(i));
        prefsGroup->addAction(entry);
        connect(entry, &QAction::triggered, this, [this, i] { SetToPrefsClick(int(i)); });
    }
}

void TDeviceForm::SetToPrefsClick(int index)
{
    SwitchPreferenceSet(index);
}
