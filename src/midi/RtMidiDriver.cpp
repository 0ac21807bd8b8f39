#include "midi/RtMidiDriver.h"

#include <rtmidi/RtMidi.h>
#include <thread>
#include <unistd.h>

#include "model/Trace.h"

struct RtMidiDriver::Input {
    RtMidiDriver* driver;
    int port;
    RtMidiIn* in = nullptr;
    std::unique_ptr<RtMidiIn> owned; // empty when `in` is the probe
};

const int RtMidiDriver::InvalidDeviceCode = RtMidiError::INVALID_DEVICE;
const int RtMidiDriver::InvalidUseCode = RtMidiError::INVALID_USE;

void RtMidiDriver::traceError(int type, const std::string& text, void* driver)
{
    TraceLine(1, "RtMidi: %s", text.c_str());
    static_cast<RtMidiDriver*>(driver)->reported = type;
}

namespace {
void onRtMidiError(RtMidiError::Type type, const std::string& text, void* driver)
{
    RtMidiDriver::traceError(type, text, driver);
}

MidiError errorOf(const RtMidiError& e)
{
    return {static_cast<int>(e.getType()), e.getMessage()};
}

void keepError(RtMidiError::Type, const std::string& text, void* error)
{
    *static_cast<std::string*>(error) = text;
}

// A client of the MIDI system, connected (JACK connects on the first
// question). The message of a failure is returned, not traced: this may run
// on a helper thread.
template <typename T>
std::unique_ptr<T> make(RtMidi::Api api, const std::string& client, std::string& error)
{
    try {
        auto p = std::make_unique<T>(api, client);
        p->setErrorCallback(keepError, &error);
        p->getPortCount();
        return p;
    } catch (const RtMidiError& e) {
        error = e.getMessage();
        return nullptr;
    }
}
}

RtMidiDriver::RtMidiDriver(std::string clientName) : client(std::move(clientName))
{
    for (RtMidi::Api candidate : {RtMidi::LINUX_ALSA, RtMidi::UNIX_JACK}) {
        // Without the sequencer device the ALSA attempt would only complain
        // on stderr before failing.
        if (candidate == RtMidi::LINUX_ALSA && access("/dev/snd/seq", R_OK | W_OK) != 0)
            continue;
        // Opening a client is a round trip or two to the MIDI system (a JACK
        // client waits for the server): the two clients open side by side.
        std::string inError, outError;
        std::thread outOpener([&] { probeOut = make<RtMidiOut>(candidate, client, outError); });
        probeIn = make<RtMidiIn>(candidate, client, inError);
        outOpener.join();
        for (const std::string* e : {&inError, &outError})
            if (!e->empty())
                TraceLine(1, "RtMidi: %s", e->c_str());
        if (probeIn)
            probeIn->setErrorCallback(onRtMidiError, this);
        if (probeOut)
            probeOut->setErrorCallback(onRtMidiError, this);
        if (probeIn && probeOut) {
            api = candidate;
            return;
        }
        probeIn.reset();
        probeOut.reset();
    }
    api = RtMidi::UNSPECIFIED;
}

RtMidiDriver::~RtMidiDriver()
{
    while (!inputs.empty())
        closeInput(inputs.begin()->first);
    // Closing a client waits for the MIDI system too (JACK: the output's
    // last period, then the server): both close side by side.
    std::thread outCloser([out = std::move(probeOut)]() mutable { out.reset(); });
    probeIn.reset();
    outCloser.join();
}

std::string RtMidiDriver::apiName() const
{
    switch (api) {
    case RtMidi::LINUX_ALSA:
        return "ALSA";
    case RtMidi::UNIX_JACK:
        return "JACK";
    default:
        return "none";
    }
}

bool RtMidiDriver::ownPort(const std::string& name) const
{
    return name.rfind(client, 0) == 0;
}

// One query per port: every question to the MIDI system is a round trip.
std::vector<std::string> RtMidiDriver::listed(bool in)
{
    Listing& l = lists[in ? 1 : 0];
    l = Listing();
    RtMidi* probe = in ? static_cast<RtMidi*>(probeIn.get()) : static_cast<RtMidi*>(probeOut.get());
    if (!probe)
        return l.names;
    const unsigned n = probe->getPortCount();
    for (unsigned i = 0; i < n; ++i) {
        const std::string name = probe->getPortName(i);
        if (!name.empty() && !ownPort(name)) {
            l.indexes.push_back(i);
            l.names.push_back(name);
        }
    }
    return l.names;
}

// The system's index of the port the program knows by `index` in its last
// listing, or -1. Ports may have come and gone since: the name decides.
int RtMidiDriver::systemIndex(bool in, int index)
{
    Listing& l = lists[in ? 1 : 0];
    if (l.names.empty())
        listed(in);
    RtMidi* probe = in ? static_cast<RtMidi*>(probeIn.get()) : static_cast<RtMidi*>(probeOut.get());
    if (!probe || index < 0 || index >= static_cast<int>(l.names.size()))
        return -1;
    const std::string& name = l.names[index];
    if (probe->getPortName(l.indexes[index]) == name)
        return static_cast<int>(l.indexes[index]);
    const unsigned n = probe->getPortCount();
    for (unsigned i = 0; i < n; ++i)
        if (probe->getPortName(i) == name)
            return static_cast<int>(i);
    return -1;
}

std::vector<std::string> RtMidiDriver::inputPorts() { return listed(true); }
std::vector<std::string> RtMidiDriver::outputPorts() { return listed(false); }

bool RtMidiDriver::openOutput(int index, MidiError& error)
{
    const Listing& l = lists[0];
    if (probeOut && probeOut->isPortOpen() && index >= 0 && index < static_cast<int>(l.names.size()) &&
        l.names[index] == outName) {
        outActive = true;
        return true;
    }
    const int system = systemIndex(false, index);
    if (system < 0) {
        error = {InvalidDeviceCode, "no such output port"};
        return false;
    }
    // The probe carries the output port too: every client of the MIDI system
    // costs time to open and to close.
    RtMidiOut* out = probeOut.get();
    if (!out) {
        error = {InvalidUseCode, "MIDI output unavailable"};
        return false;
    }
    const std::string name = lists[0].names[index];
    reported = -1;
    try {
        out->closePort();
        out->openPort(static_cast<unsigned>(system), client + " Out");
    } catch (const RtMidiError& e) {
        error = errorOf(e);
        return false;
    }
    outName = name;
    outActive = out->isPortOpen();
    if (!outActive)
        error = {reported >= 0 ? reported : InvalidDeviceCode, "output port did not open"};
    return outActive;
}

// The connection stays until another port is opened: reconnecting the same
// port at once costs a round trip to the MIDI system, and a message sent
// right after a fresh connection can be lost on the way.
bool RtMidiDriver::closeOutput(MidiError&)
{
    outActive = false;
    return true;
}

bool RtMidiDriver::openInput(int index, MidiError& error)
{
    const int system = systemIndex(true, index);
    if (system < 0) {
        error = {InvalidDeviceCode, "no such input port"};
        return false;
    }
    closeInput(index);
    auto input = std::make_unique<Input>();
    input->driver = this;
    input->port = index;
    // The first input port opened rides on the probe, the others get a
    // client each.
    if (probeIn && !probeInUsed) {
        input->in = probeIn.get();
    } else {
        std::string failure;
        input->owned = make<RtMidiIn>(static_cast<RtMidi::Api>(api), client, failure);
        if (input->owned)
            input->owned->setErrorCallback(onRtMidiError, this);
        else
            TraceLine(1, "RtMidi: %s", failure.c_str());
        input->in = input->owned.get();
    }
    if (!input->in) {
        error = {InvalidUseCode, "MIDI input unavailable"};
        return false;
    }
    reported = -1;
    try {
        input->in->ignoreTypes(false, true, true);
        input->in->setCallback(&RtMidiDriver::onMessage, input.get());
        input->in->openPort(static_cast<unsigned>(system), client + " In " + std::to_string(index));
    } catch (const RtMidiError& e) {
        error = errorOf(e);
        input->in->cancelCallback();
        return false;
    }
    if (!input->in->isPortOpen()) {
        error = {reported >= 0 ? reported : InvalidDeviceCode, "input port did not open"};
        input->in->cancelCallback();
        return false;
    }
    if (!input->owned)
        probeInUsed = true;
    inputs[index] = std::move(input);
    return true;
}

void RtMidiDriver::closeInput(int index)
{
    auto it = inputs.find(index);
    if (it == inputs.end())
        return;
    it->second->in->closePort();
    it->second->in->cancelCallback();
    if (!it->second->owned)
        probeInUsed = false;
    inputs.erase(it);
}

bool RtMidiDriver::send(const std::vector<uint8_t>& message, MidiError& error)
{
    if (!probeOut || !probeOut->isPortOpen() || !outActive) {
        error = {InvalidUseCode, "output port closed"};
        return false;
    }
    reported = -1;
    try {
        probeOut->sendMessage(message.data(), message.size());
    } catch (const RtMidiError& e) {
        error = errorOf(e);
        return false;
    }
    // Some failures come through the error callback instead of a throw.
    if (reported > RtMidiError::DEBUG_WARNING) {
        error = {reported, "send failed"};
        return false;
    }
    return true;
}

// Runs on RtMidi's thread: copy and hand on, nothing else.
void RtMidiDriver::onMessage(double, std::vector<unsigned char>* message, void* user)
{
    auto* input = static_cast<Input*>(user);
    input->driver->deliver(input->port, std::vector<uint8_t>(message->begin(), message->end()));
}
