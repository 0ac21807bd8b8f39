#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "midi/MidiDriver.h"

// Largest SysEx message the program accepts; longer ones are dropped.
constexpr size_t SysexBufferSize = 10240;

// Receives the program's MIDI input on the GUI thread, in arrival order,
// each message tagged with the input port it came from.
using MidiInputHandler = std::function<void(int port, const std::vector<uint8_t>& message)>;

// What the port layer shows an observer (the MIDI monitor): every message
// sent, every message received on an open input port (also those it drops),
// and every trace line, each with a monotonic time stamp.
struct MidiTapEvent {
    enum Kind { Received, Sent, Trace };
    Kind kind = Received;
    int64_t nanoseconds = 0; // steady clock
    int port = -1;           // input port received on, output port sent to
    const std::vector<uint8_t>* bytes = nullptr; // not for Trace
    const std::string* trace = nullptr;          // Trace only
    bool dropped = false; // received, but longer than the program takes
};
using MidiTap = std::function<void(const MidiTapEvent&)>;

// The MIDI port layer: enumerates the ports, opens the one output port and
// one or every input port that ActiveDevice names, sends short messages and
// SysEx, and brings input to the GUI thread as posted events.
class MidiPorts : public QObject {
    Q_OBJECT
public:
    explicit MidiPorts(std::unique_ptr<MidiDriver> driver, QObject* parent = nullptr);
    ~MidiPorts() override;

    bool Enumerate();
    bool Open();
    void Close(bool all);
    bool Reopen();
    // Opens and starts every input port and no output port, for a listener
    // that never sends; true when any port started.
    bool OpenInputsOnly();
    void ShutDown();

    void SendControlChange(int number, int value);
    void SendProgramChange(int program);
    void SendNoteOn(int note, int velocity);
    void SendNoteOff(int note, int velocity);
    // The caller has opened the ports.
    bool SendSysex(const std::vector<uint8_t>& bytes);

    bool PortsOpen() const { return portsOpen; }
    const std::vector<std::string>& InputNames() const { return inputNames; }
    const std::vector<std::string>& OutputNames() const { return outputNames; }
    bool InputOpen(int port) const;
    bool InputStarted(int port) const;

    void SetInputHandler(MidiInputHandler h) { handler = std::move(h); }
    // One observer at a time; empty removes it. Called on the GUI thread.
    void SetTap(MidiTap observer);
    MidiDriver& Driver() { return *driver; }

signals:
    // The output port names changed (the configuration window lists them).
    void outputPortsChanged(const std::vector<std::string>& names);

protected:
    bool event(QEvent* e) override;

private:
    enum class InState { Closed, Stopped, Started };
    bool openInput(int port, const char* failText, const char* startText);
    void traceOpenFailure(const char* failText, int port, int code);
    bool sendShort(std::vector<uint8_t> msg, const char* errorText);
    void tapMessage(MidiTapEvent::Kind kind, int port, const std::vector<uint8_t>& bytes, bool dropped = false);

    std::unique_ptr<MidiDriver> driver;
    std::vector<std::string> inputNames;
    std::vector<std::string> outputNames;
    std::vector<InState> inputs;
    bool outputOpen = false;
    bool portsOpen = false;
    MidiInputHandler handler;
    MidiTap tap;
};
