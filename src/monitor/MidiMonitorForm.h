#pragma once

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "monitor/MidiMonitor.h"
#include "midi/MidiPorts.h"
#include "shell/WindowServices.h"

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QSortFilterProxyModel;
class QTableView;
class MonitorLineModel;

// One line of the monitor.
struct MonitorLine {
    double ms = 0;
    MidiTapEvent::Kind direction = MidiTapEvent::Received;
    MonitorKind kind = MonitorKind::Other;
    QString port;
    QString text;
    QString hex; // folded
    std::shared_ptr<const std::vector<uint8_t>> bytes; // the whole message; none for trace lines
};

// Windows > "MIDI Monitor": what goes over the wire, in the unit's terms.
// Lines arrive through the port layer's tap while the window is open and
// are added once per frame; the newest MonitorLineLimit are kept. Sends
// nothing.
class TMidiMonitorForm : public QWidget {
    Q_OBJECT
public:
    static constexpr int MonitorLineLimit = 10000;
    static constexpr int FrameMs = 33;

    TMidiMonitorForm(const WindowServices& shell, MidiPorts& ports, QWidget* parent = nullptr);
    ~TMidiMonitorForm() override;

    QPushButton* PauseBtn;
    QPushButton* ClearBtn;
    QPushButton* CopyBtn;
    QPushButton* SaveBtn;
    QCheckBox* InBox;
    QCheckBox* OutBox;
    QCheckBox* SysexBox;
    QCheckBox* ControllersBox;
    QCheckBox* TraceBox;
    QTableView* LineList;
    QPlainTextEdit* Detail;
    QLabel* LineCount;

    // The lines the filters let through, as Copy and Save write them:
    // time, direction, port, text, every byte in hex, tab-separated.
    QStringList VisibleLinesAsText(bool selectedOnly) const;
    int LineTotal() const;

protected:
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;

private:
    struct Arrival {
        MidiTapEvent::Kind kind;
        int64_t nanoseconds;
        int port;
        std::vector<uint8_t> bytes;
        std::string trace;
    };
    void observe(const MidiTapEvent& e);
    void flush();
    void applyFilters();
    void showDetail();
    void CopyClick();
    void SaveClick();
    void ClearClick();
    void FormKeyUp();
    QString lineText(const MonitorLine& line) const;

    MessageService& messages;
    HelpOpener& help;
    const PreferenceSet& prefs;
    MidiPorts& ports;
    MonitorLineModel* lines;
    QSortFilterProxyModel* filtered;
    std::vector<Arrival> pending;
    // What the lines so far have told: effect types, modes, name positions.
    MonitorContext context;
    QTimer frame;
    int64_t startNs = -1;
};
