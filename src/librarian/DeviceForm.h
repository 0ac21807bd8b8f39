#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QStatusBar>
#include <QTableWidget>

// The main window: the unit's 125 presets in 25 banks of 5, and the name of
// the preset in the unit's edit buffer above them.
class TDeviceForm : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int GridColumns = 6;
    static constexpr int GridRows = 26;

    explicit TDeviceForm(QWidget* parent = nullptr);

    // Slot shown by grid cell (column, row); header cells map to slot 0.
    static int CellToSlot(int column, int row);
    static QString StatusTextForCell(int column, int row);

    void RedrawSlot(int slot);
    void ShowCurrentPresetName(const QString& name);
    void SelectSlot(int slot);
    // The caption follows the active unit.
    void FormActivate();

    QRect Selection() const { return selection; }

    QLabel* Label1;
    QLineEdit* CurrentPreset;
    QTableWidget* PresetGrid;
    QStatusBar* DeviceStatusBar;

protected:
    bool event(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void PresetGridMouseMove(const QPoint& pos);

    // (left, top, right, bottom); all -1 while nothing is selected.
    QRect selection{QPoint(-1, -1), QPoint(-1, -1)};
};
