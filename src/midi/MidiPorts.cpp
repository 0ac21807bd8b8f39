#include "midi/MidiPorts.h"

#include <QCoreApplication>
#include <QEvent>
#include <chrono>

#include "model/DeviceConnection.h"
#include "model/Trace.h"

namespace {
// The code traced for a port the port table does not have.
constexpr int NoSuchPortCode = 2;

const QEvent::Type MidiInputEventType = static_cast<QEvent::Type>(QEvent::registerEventType());

struct MidiInputEvent : QEvent {
    MidiInputEvent(int p, std::vector<uint8_t> b) : QEvent(MidiInputEventType), port(p), bytes(std::move(b)) {}
    int port;
    std::vector<uint8_t> bytes;
};
}

MidiPorts::MidiPorts(std::unique_ptr<MidiDriver> d, QObject* parent) : QObject(parent), driver(std::move(d))
{
    // Runs on the driver's thread: post a copy to the GUI thread, nothing more.
    driver->setInputCallback([this](int port, std::vector<uint8_t> bytes) {
        QCoreApplication::postEvent(this, new MidiInputEvent(port, std::move(bytes)));
    });
}

MidiPorts::~MidiPorts()
{
    SetTap(nullptr);
    ShutDown();
    driver->setInputCallback(nullptr);
}

namespace {
int64_t now()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
}

void MidiPorts::SetTap(MidiTap observer)
{
    tap = std::move(observer);
    if (!tap) {
        SetTraceObserver(nullptr);
        return;
    }
    SetTraceObserver([this](int, const std::string& line) {
        MidiTapEvent e;
        e.kind = MidiTapEvent::Trace;
        e.nanoseconds = now();
        e.trace = &line;
        tap(e);
    });
}

void MidiPorts::tapMessage(MidiTapEvent::Kind kind, int port, const std::vector<uint8_t>& bytes, bool dropped)
{
    MidiTapEvent e;
    e.kind = kind;
    e.nanoseconds = now();
    e.port = port;
    e.bytes = &bytes;
    e.dropped = dropped;
    tap(e);
}

bool MidiPorts::Enumerate()
{
    TraceLine(0, "Looking for MIDI Devices ..");
    Close(true);
    inputNames = driver->inputPorts();
    outputNames = driver->outputPorts();
    inputs.assign(inputNames.size(), InState::Closed);
    for (const auto& n : inputNames)
        TraceLine(0, "Found in : %s", n.c_str());
    for (const auto& n : outputNames)
        TraceLine(0, "Found out : %s", n.c_str());
    emit outputPortsChanged(outputNames);
    return !inputNames.empty() && !outputNames.empty();
}

bool MidiPorts::InputOpen(int port) const
{
    return port >= 0 && port < static_cast<int>(inputs.size()) && inputs[port] != InState::Closed;
}

bool MidiPorts::InputStarted(int port) const
{
    return port >= 0 && port < static_cast<int>(inputs.size()) && inputs[port] == InState::Started;
}

// The trace of an input port that would not open: with the port's number
// when one input port is listened to, without it when every port is.
void MidiPorts::traceOpenFailure(const char* failText, int port, int code)
{
    if (ActiveDevice.MidiIn >= 0)
        TraceLine(0, failText, port, code);
    else
        TraceLine(0, failText, code);
}

bool MidiPorts::openInput(int port, const char* failText, const char* startText)
{
    if (port >= static_cast<int>(inputs.size())) {
        traceOpenFailure(failText, port, NoSuchPortCode);
        return false;
    }
    const char* name = inputNames[port].c_str();
    if (inputs[port] == InState::Closed) {
        MidiError error;
        if (!driver->openInput(port, error)) {
            traceOpenFailure(failText, port, error.code);
            TraceLine(1, "  %s", error.text.c_str());
            return false;
        }
        TraceLine(0, "Open MIDI in: %s", name);
        inputs[port] = InState::Stopped;
    }
    inputs[port] = InState::Started;
    TraceLine(0, startText, name);
    return true;
}

bool MidiPorts::Open()
{
    if (portsOpen)
        return true;
    MidiError error;
    const int out = ActiveDevice.MidiOut;
    if (out < 0 || out >= static_cast<int>(outputNames.size()))
        error.code = NoSuchPortCode;
    if (error.code != 0 || !driver->openOutput(out, error)) {
        TraceLine(0, " ! No MIDI out device code = %d", error.code);
        if (!error.text.empty())
            TraceLine(1, "  %s", error.text.c_str());
        portsOpen = false;
        return false;
    }
    outputOpen = true;
    TraceLine(0, "Open MIDI out: %s", outputNames[out].c_str());

    if (ActiveDevice.MidiIn >= 0) {
        portsOpen = openInput(ActiveDevice.MidiIn, "! No MIDI in %d device code = %d", "Start MIDI in: %s");
    } else {
        for (int i = 0; i < static_cast<int>(inputs.size()); ++i)
            if (openInput(i, " ! No MIDI in device code = %d", "  Start MIDI in: %s"))
                portsOpen = true;
    }
    if (!portsOpen) {
        driver->closeOutput(error);
        outputOpen = false;
    }
    return portsOpen;
}

bool MidiPorts::OpenInputsOnly()
{
    bool any = false;
    const char* failText = ActiveDevice.MidiIn >= 0 ? "! No MIDI in %d device code = %d" : " ! No MIDI in device code = %d";
    for (int i = 0; i < static_cast<int>(inputs.size()); ++i)
        if (openInput(i, failText, "  Start MIDI in: %s"))
            any = true;
    return any;
}

void MidiPorts::Close(bool all)
{
    if (!portsOpen)
        return;
    MidiError error;
    const bool closed = driver->closeOutput(error);
    TraceLine(0, "Close MIDI out");
    for (int i = 0; i < static_cast<int>(inputs.size()); ++i) {
        if (inputs[i] == InState::Closed)
            continue;
        inputs[i] = InState::Stopped;
        TraceLine(0, "Stop MIDI in: %s", inputNames[i].c_str());
        if (all || (ActiveDevice.MidiIn >= 0 && i != ActiveDevice.MidiIn)) {
            driver->closeInput(i);
            inputs[i] = InState::Closed;
            TraceLine(0, "Close MIDI in: %s", inputNames[i].c_str());
        }
    }
    if (!closed) {
        TraceLine(0, "CloseMidiPort error = %d", error.code);
        return;
    }
    outputOpen = false;
    portsOpen = false;
}

bool MidiPorts::Reopen()
{
    if (portsOpen) {
        Close(false);
        Open();
    }
    return portsOpen;
}

void MidiPorts::ShutDown()
{
    Close(true);
    // Ports that were only stopped after a failed close are closed here too.
    for (int i = 0; i < static_cast<int>(inputs.size()); ++i)
        if (inputs[i] != InState::Closed)
            driver->closeInput(i);
    inputs.clear();
    inputNames.clear();
    outputNames.clear();
}

bool MidiPorts::sendShort(std::vector<uint8_t> msg, const char* errorText)
{
    if (!Open())
        return false;
    MidiError error;
    if (!driver->send(msg, error)) {
        TraceLine(0, errorText, error.code);
        return false;
    }
    if (tap)
        tapMessage(MidiTapEvent::Sent, ActiveDevice.MidiOut, msg);
    return true;
}

void MidiPorts::SendControlChange(int number, int value)
{
    sendShort({static_cast<uint8_t>(0xB0 | (ActiveDevice.MidiChan & 15)), static_cast<uint8_t>(number & 0x7F),
               static_cast<uint8_t>(value & 0x7F)},
              "SendMidiControl error %d");
}

void MidiPorts::SendProgramChange(int program)
{
    sendShort({static_cast<uint8_t>(0xC0 | (ActiveDevice.MidiChan & 15)), static_cast<uint8_t>(program & 0x7F)},
              "SendMidiControl error %d");
}

void MidiPorts::SendNoteOn(int note, int velocity)
{
    TraceLine(0, "SendMidiNoteOn %d", note);
    sendShort({static_cast<uint8_t>(0x90 | (ActiveDevice.MidiChan & 15)), static_cast<uint8_t>(note & 0x7F),
               static_cast<uint8_t>(velocity & 0x7F)},
              "SendMidiNoteOn error %d");
}

void MidiPorts::SendNoteOff(int note, int velocity)
{
    TraceLine(0, "SendMidiNoteOff %d", note);
    sendShort({static_cast<uint8_t>(0x80 | (ActiveDevice.MidiChan & 15)), static_cast<uint8_t>(note & 0x7F),
               static_cast<uint8_t>(velocity & 0x7F)},
              "SendMidiNoteOff error %d");
}

bool MidiPorts::SendSysex(const std::vector<uint8_t>& bytes)
{
    MidiError error;
    if (!outputOpen || !driver->send(bytes, error)) {
        TraceLine(0, "SendSysex error %d", error.code);
        return false;
    }
    if (tap)
        tapMessage(MidiTapEvent::Sent, ActiveDevice.MidiOut, bytes);
    return true;
}

bool MidiPorts::event(QEvent* e)
{
    if (e->type() != MidiInputEventType)
        return QObject::event(e);
    auto* m = static_cast<MidiInputEvent*>(e);
    if (!InputStarted(m->port) || m->bytes.empty())
        return true;
    if (tap)
        tapMessage(MidiTapEvent::Received, m->port, m->bytes, m->bytes.size() > SysexBufferSize);
    if (m->bytes.size() > SysexBufferSize) {
        // Split over buffers on the unit's side of things: no message the
        // program knows.
        TraceLine(0, "MIDI in unknown message");
        TraceLine(1, "  %zu bytes on port %d", m->bytes.size(), m->port);
        return true;
    }
    if (handler)
        handler(m->port, m->bytes);
    return true;
}
