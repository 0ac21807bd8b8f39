#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QStatusBar>
#include <QTableWidget>

// The main window: the unit's 125 presets in 25 banks of 5, and the name of
// the preset in the unit's edit buffer above them.
class QActionGroup;

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

    // "&Preferences": lists the preference sets each time it opens.
    void PrefsMClick();
    // Makes set `index` the active one (the menu's radio entries).
    void SetToPrefsClick(int index);

    // The menu bar holds File, Edit, Preferences, Windows, Help in that
    // order; menus before Preferences are inserted before PrefsM.
    QMenu* PrefsM;
    QAction* SetM;

    QLabel* Label1;
    QLineEdit* CurrentPreset;
    QTableWidget* PresetGrid;
    QStatusBar* DeviceStatusBar;

signals:
    // "&Set..." was chosen: the preferences dialog is to be shown modally.
    void preferencesRequested();

protected:
    bool event(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void PresetGridMouseMove(const QPoint& pos);

    // Makes the set entries of PrefsM exclusive.
    QActionGroup* prefsGroup = nullptr;
    // (left, top, right, bottom); all -1 while nothing is selected.
    QRect selection{QPoint(-1, -1), QPoint(-1, -1)};
};
