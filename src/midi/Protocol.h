#pragma once

#include <QObject>
#include <QTimer>
#include <functional>
#include <string>
#include <string_view>

#include "midi/Sysex.h"

class MidiPorts;

// Text of the box shown when the unit does not answer a preset request.
inline constexpr const char* NoResponseText = "No response from Drux !!\nCheck connection.";

// What the protocol needs from the windows: the busy pointer while it waits
// for the unit, and the Abort / Retry question when the unit stays silent.
// The default answers nothing (command-line tool, tests without windows).
class ProtocolUi {
public:
    virtual ~ProtocolUi() = default;
    virtual void setBusy(bool) {}
    // The error box with Abort and Retry; true for Retry.
    virtual bool askRetry(const std::string& /*text*/) { return false; }
};

// Where the protocol reports to the search and to whoever reads the memory.
// Every hook may be empty.
struct ProtocolHooks {
    // An identify reply arrived: the search step's timer stops.
    std::function<void()> stopSearchTimer;
    // ActiveDevice describes a recognised unit (identify reply of the
    // first-generation unit, name reply).
    std::function<void()> unitRecognised;
    // A name request went out: the wait for the name starts (100 ms).
    std::function<void()> nameRequested;
    // A preset (0..124, or 127 for the edit buffer) was received and stored.
    std::function<void(int preset)> presetStored;
    // The whole memory was stored, at once or one preset at a time.
    std::function<void()> memoryRead;
    // The user gave up waiting (Abort).
    std::function<void()> readAborted;
};

// The SysEx message set over the port layer: the senders, the handling of
// received SysEx and the preset read with its time-outs and retries.
class Protocol : public QObject {
    Q_OBJECT
public:
    explicit Protocol(MidiPorts& ports, QObject* parent = nullptr);
    ~Protocol() override;

    void setUi(ProtocolUi* ui);

    // ---- senders (all talk to ActiveDevice) ----
    // Sent by the search step after it opened the ports itself.
    void SendIdentifyRequest();
    void SendSetChannel(int channel);
    void RequestPreset(int preset);
    void RequestWholeMemory();
    // Only for model codes other than 0Dh; starts the wait for the name.
    void RequestName();
    // The wait for the name has ended: a name reply that comes later is
    // ignored.
    void NameWaitEnded();
    // Only for model codes other than 0Dh; text in the unit's character set.
    void SendSetName(std::string_view unitText);
    void SendPresetDump(int preset, const uint8_t* image, int length);
    void SendMemoryDump(const uint8_t* images, int length);
    // Only for model code 0Dh.
    void SendGlobal(int command, int value);
    // Controller 80 with value 80: the unit reports every current parameter.
    void SendReportAll();

    // Read the whole memory with `budget` automatic re-requests.
    void ReadMemory(int budget);
    // Read one preset with `budget` automatic re-requests.
    void ReadPreset(int preset, int budget);

    // ---- input ----
    // One received SysEx message and the input port it came on.
    void HandleSysexIn(int port, const SysexBytes& message);

    // The request time-out (UploadTimer elapsed).
    void UploadTimerTimer();

    // ---- state ----
    // Preset last requested, 0..124, or -1 for the whole memory.
    int RequestedPreset = 0;
    // True while the memory is read one preset at a time.
    bool OneByOneDump = false;
    // Automatic re-requests left for the current read.
    int RetryBudget = 0;
    QTimer UploadTimer;

    bool Waiting() const { return UploadTimer.isActive(); }
    bool Busy() const { return busy; }
    ProtocolHooks hooks;
    // Whether an identify reply is followed by a name request. Without it a
    // unit is recognised at its identify reply, under its default name (the
    // command-line tool reading a memory has no use for the name).
    bool askName = true;

private:
    bool portsReady();
    void send(const SysexBytes& message);
    void startWaiting(int ms);
    void stopWaiting();
    void setBusy(bool on);
    void handleIdentifyReply(int port, const SysexFrame& f);
    void handleNameReply(const SysexFrame& f);
    void handlePresetDump(const SysexFrame& f);
    void handleMemoryDump(const SysexFrame& f);
    void askAgain();

    MidiPorts& ports;
    ProtocolUi defaultUi;
    ProtocolUi* ui = &defaultUi;
    bool busy = false;
    int shortInARow = 0;
    bool nameAsked = false;
    // A read has begun and not yet ended in its presets or the question.
    bool reading = false;
};
