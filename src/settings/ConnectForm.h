#pragma once

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QElapsedTimer>
#include <QTimer>
#include <QTreeWidget>
#include <functional>

#include "shell/BusyPointer.h"
#include "controls/ImageList.h"
#include "midi/DeviceSearch.h"

class MidiPorts;
class Protocol;
class TB_Image;
class TWC_ComboBox;
class TWC_CustomControl;
class TWC_ImgKnob;

// What the configuration window is handed by the program.
struct ConnectServices {
    MidiPorts* ports = nullptr;
    DeviceSearch* search = nullptr;
    // The application-wide key and MIDI message filter.
    std::function<void()> installMessageFilter;
    // The main window's caption follows the active unit.
    std::function<void()> refreshMainCaption;
    // Name and channel changes go to the unit as SysEx; without it they
    // stay in the window.
    Protocol* protocol = nullptr;
    // F1: opens the help page at the anchor of the focused control. Without
    // it the key does nothing.
    std::function<void(const QString& anchor)> openHelp;
};

// The configuration window: the search for units and the recognised units
// on the left, the active unit's model, ports, name and channel on the
// right, and below them the unit's global settings bound to the global
// module of its family (MGlobal for the guitar units, MBGlobal for the bass
// units). It owns the program-wide 33 ms tick that flushes pending parameter
// changes. Always shown modally; closing it commits the connection and reads
// the unit.
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
    QLineEdit* NameBox;
    QComboBox* ChanEdit;
    QLineEdit* InPortBox;
    QComboBox* OutPortBox;
    TWC_ComboBox* KnbDigOut;
    QLabel* lbDigOut;
    QPushButton* TunerBut;
    TWC_ComboBox* KnbConfiguration;
    TWC_ComboBox* KnbConfiguration2;
    TWC_ComboBox* KnbConfiguration3;
    QLabel* lbConfiguration;
    QLabel* ConfigurationStatusLbl;
    QLabel* imgZephra;
    QLabel* ZephraInfo;
    TWC_ImgKnob* KnbTunerBypassVolume;
    TWC_ImgKnob* KnbTunerCenterFrequency;
    TWC_ImgKnob* KnbVolumePedal;
    TWC_ImgKnob* KnbInputGain;
    TWC_ImgKnob* KnbLiveEQBass;
    TWC_ImgKnob* KnbLiveEQMid;
    TWC_ImgKnob* KnbLiveEQTreble;
    QLabel* vlTunerBypassVolume;
    QLabel* vlTunerCenterFrequency;
    QLabel* vlVolumePedal;
    QLabel* vlInputGain;
    QLabel* vlLiveEQBass;
    QLabel* vlLiveEQMid;
    QLabel* vlLiveEQTreble;
    TB_Image* Background;
    QStatusBar* StatusBar;
    QLabel* HintPanel;
    QLabel* UnitPanel;
    // Flushes the pending parameter changes on a 33 ms grid. It sleeps while
    // nothing is pending: the first change wakes it for the next boundary of
    // the grid, so a change is sent when an always-running tick would have
    // sent it, and any number of changes before that boundary is one flush.
    QTimer FrameTimer;

    // Help number of a control (0: none); F1 opens the page for the focused one.
    static int HelpNumber(const QWidget* control);
    // The configuration list that fits the active unit, if one is shown.
    TWC_ComboBox* VisibleConfiguration() const;

protected:
    bool event(QEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void buildSettingsArea();
    // Builds the rows of the settings area's table, in order.
    void buildRows();
    // The knobs that follow the active unit's family, and the Live EQ ones.
    std::vector<TWC_ImgKnob*> globalKnobs() const;
    std::vector<TWC_ImgKnob*> liveEqKnobs() const;
    void showKnob(TWC_ImgKnob* knob, int modix);

    void KnbConfigurationCtrlChange(QWidget* sender, int v);
    void NameBoxEnter();
    void NameBoxExit();
    void NameBoxKeyUp(int key);
    void NameBoxDblClick();
    void ChanEditChange(int c);
    void TunerButClick();
    void FormKeyUp(int key);
    void FormActivate();
    void FrameTimerTimer();
    void wakeFrameTimer();
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
    QString nameOnEntry;
    // Time since creation, the origin of the frame tick's grid.
    QElapsedTimer frameClock;
    // Knob pictures sized for this window.
    TImageList knobBodies;
    TImageList knobDots;
};
