#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "model/DeviceConnection.h"

class MidiPorts;
class QSettings;

// A one-shot timer of the search. The program runs it on the event loop;
// tests replace it with one they fire by hand.
class SearchTimer {
public:
    virtual ~SearchTimer() = default;
    virtual void start(int ms) = 0;
    virtual void stop() = 0;
    virtual bool isActive() const = 0;
    virtual int interval() const = 0;

    std::function<void()> elapsed;
};

std::unique_ptr<SearchTimer> MakeEventLoopTimer();

// What the search asks of the configuration window. Without a window (the
// command-line tool) every request does nothing and the Thru question is
// answered with Abort.
class SearchWindow {
public:
    virtual ~SearchWindow() = default;
    // Blank and disable the settings area.
    virtual void unShowSelected() {}
    // Show the settings of ActiveDevice.
    virtual void showSelected() {}
    // The recognised units or the selection among them changed.
    virtual void unitsChanged() {}
    virtual bool isShown() const { return false; }
    // Show the configuration window modally (it is not visible).
    virtual void showModal() {}
    // The Thru warning; true for Retry.
    virtual bool askRescan() { return false; }
    virtual void setBusy(bool) {}
    // The main window's caption follows the active unit.
    virtual void refreshCaption() {}
    // A virtual unit is active: its output port may be chosen.
    virtual void enableOutPortBox() {}
    // Writing the ini file failed.
    virtual void showError(const std::string&) {}
};

// Entries of the model box, numbered by SubModel.
extern const std::array<const char*, 7> VirtualModelNames;

constexpr const char* ThruWarningText =
    "If you connect a device\nwith its MIDI Thru function active,\nit cannot respond to scanning.\n\n"
    "Rescan all MIDI ports now?";

// Finds units on the output ports one port at a time, keeps the recognised
// units sorted by name, connects to one of them or to a virtual unit, and
// remembers the units and the last choice in the ini file.
class DeviceSearch {
public:
    static constexpr int StepMs = 200;
    static constexpr int ClosedPortStepMs = 10;
    static constexpr int NameWaitMs = 100;

    // Null timers are replaced by event-loop timers.
    explicit DeviceSearch(MidiPorts& ports, std::unique_ptr<SearchTimer> timeoutTimer = nullptr,
                          std::unique_ptr<SearchTimer> nameReq = nullptr);
    ~DeviceSearch();

    void setWindow(SearchWindow* w);

    // What the search needs of the protocol: the identify request (the ports
    // are open), and the read of the whole memory with a budget of one retry.
    std::function<void()> sendIdentifyRequest;
    std::function<void()> readWholeMemory;
    // The wait for a unit's name ended without a reply: the protocol must
    // not take a late one.
    std::function<void()> nameWaitEnded;
    // All preset records reset for the active model (the default resets the
    // program's records).
    std::function<void()> resetAllRecords;
    // Called whenever a search has ended (after connecting, or after the Thru
    // warning was answered).
    std::function<void()> searchEnded;
    // Whether choosing a unit asks it for its current settings (controller 80
    // with value 80); the command-line tool does without.
    bool requestSettingsOnSelect = true;
    // When set, the search ends as soon as a recognised unit satisfies it,
    // without trying the remaining output ports (the command-line tool
    // looking for one unit).
    std::function<bool(const DeviceConnection&)> enoughFound;

    // Start values, commit, enumerate. False when there is no input or no
    // output port.
    bool Initialise();
    void RestoreLastUnit(QSettings& ini);
    void Search();
    void ScanStep();
    void StopScan();

    // Protocol events: an identify reply arrived, the name was asked for, a
    // unit is recognised (after its name reply or the end of the name wait).
    void IdentifyReplyArrived();
    void NameRequested();
    void UnitRecognised();

    // The list's selection event; -1 deselects.
    void SelectItem(int index);
    // A click on the list with nothing selected selects the first item.
    void ListClicked();
    void ChooseVirtualUnit(int k);
    void OutputPortChanged(int k);
    // The unit's name or channel was changed in the window: the selected
    // item follows ActiveDevice.
    void UpdateSelectedItem();
    // Connect to a unit without the list (the command-line tool).
    void Connect(const DeviceConnection& unit);

    // Persist (errors go to the window), commit, reset the records, read
    // the memory of a real unit. Returns whether the ini file was written.
    bool WindowClosed(QSettings& ini);
    bool WriteIni(QSettings& ini) const;
    void Commit();

    bool ScanActive() const { return scanActive; }
    const std::vector<DeviceConnection>& Units() const { return units; }
    int Selected() const { return selected; }
    SearchTimer& TimeoutTimer() { return *timeoutTimer; }
    SearchTimer& NameReq() { return *nameReq; }

    void TimeoutTimerTimer();
    void NameReqTimer();

private:
    void SelectUnit();
    void setActive(const DeviceConnection& d);
    void endSearch();
    int insertUnit(const DeviceConnection& d);
    int outputCount() const;
    int inputCount() const;

    MidiPorts& ports;
    std::unique_ptr<SearchTimer> timeoutTimer;
    std::unique_ptr<SearchTimer> nameReq;
    SearchWindow noWindow;
    SearchWindow* window = &noWindow;

    std::vector<DeviceConnection> units;
    int selected = -1;
    bool scanActive = false;
    bool stopRequested = false;
};

class Protocol;

// Joins a search to the protocol: identify requests and whole-memory reads go
// out through it, and its replies move the search on.
void ConnectSearchToProtocol(DeviceSearch& search, Protocol& protocol);
