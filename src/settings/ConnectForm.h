#pragma once

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QTreeWidget>
#include <functional>

#include "app/BusyPointer.h"
#include "midi/DeviceSearch.h"

class MidiPorts;

// What the configuration window is handed by the program.
struct ConnectServices {
    MidiPorts* ports = nullptr;
    DeviceSearch* search = nullptr;
    // The application-wide key and MIDI message filter.
    std::function<void()> installMessageFilter;
    // The main window's caption follows the active unit.
    std::function<void()> refreshMainCaption;
};

// The configuration window: the search for units and the recognised units
// on the left, the active unit's model and ports on the right. It owns the
// program-wide 33 ms tick that flushes pending parameter changes. Always
// shown modally; closing it commits the connection and reads the unit.
class TConnectForm : public QDialog, public SearchWindow {
    Q_OBJECT
public:
    static constexpr int FrameMs = 33;
    static constexpr int ClientWidth = 470;
    static constexpr int ClientHeight = 454;

    explicit TConnectForm(const ConnectServices& services, QWidget* parent = nullptr);
    ~TConnectForm() override;

    // The unit pictures of the recognised list, one per SubModel.
    static QPixmap UnitPicture(int subModel);

    // SearchWindow
    void unShowSelected() override;
    void showSelected() override;
    void unitsChanged() override;
    bool isShown() const override { return isVisible(); }
    void showModal() override;
    bool askRescan() override;
    void setBusy(bool busy) override;
    void refreshCaption() override;
    void enableOutPortBox() override;
    void showError(const std::string& text) override;

    void done(int result) override;

    QTreeWidget* FoundView;
    QPushButton* ReSearch;
    QPushButton* StopScan;
    QPushButton* CloseButt;
    QComboBox* ModelBox;
    QLineEdit* InPortBox;
    QComboBox* OutPortBox;
    QStatusBar* StatusBar;
    QLabel* HintPanel;
    QLabel* UnitPanel;
    QTimer FrameTimer;

protected:
    bool event(QEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void FoundViewSelectItem();
    void ModelBoxChange(int k);
    void ModelBoxExit();
    void OutPortBoxChange(int k);
    void FillOutPorts(const std::vector<std::string>& names);
    void WindowClosed();

    ConnectServices services;
    DeviceSearch& search;
    BusyPointer busyPointer;
    bool syncing = false;
};
