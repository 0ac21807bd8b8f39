#include "midi/RtMidiDriver.h"

#include <rtmidi/RtMidi.h>
#include <unistd.h>

#include "model/Trace.h"

struct RtMidiDriver::Input {
    RtMidiDriver* driver;
    int port;
    RtMidiIn* in = nullptr;
    std::unique_ptr<RtMidiIn> owned; // empty when `in` is the probe
};

namespace {
void traceError(RtMidiError::Type, const std::string& text, void*)
{
    TraceLine(1, "RtMidi: %s", text.c_str());
}

template <typename T>
std::unique_ptr<T> make(RtMidi::Api api, const std::string& client)
{
    try {
        auto p = std::make_unique<T>(api, client);
        p->setErrorCallback(traceError, nullptr);
        return p;
    } catch (const RtMidiError& e) {
        TraceLine(1, "RtMidi: %s", e.getMessage().c_str());
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
        probeIn = make<RtMidiIn>(candidate, client);
        probeOut = make<RtMidiOut>(candidate, client);
        if (probeIn && probeOut) {
            api = candidate;
            return;
        }
    }
    probeIn.reset();
    probeOut.reset();
    api = RtMidi::UNSPECIFIED;
}

RtMidiDriver::~RtMidiDriver()
{
    while (!inputs.empty())
        closeInput(inputs.begin()->first);
    if (probeOut)
        probeOut->closePort();
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

// Port indexes of the system, in the order the program lists them.
std::vector<unsigned> RtMidiDriver::systemIndexes(bool in)
{
    std::vector<unsigned> result;
    RtMidi* probe = in ? static_cast<RtMidi*>(probeIn.get()) : static_cast<RtMidi*>(probeOut.get());
    if (!probe)
        return result;
    const unsigned n = probe->getPortCount();
    for (unsigned i = 0; i < n; ++i) {
        const std::string name = probe->getPortName(i);
        if (!name.empty() && !ownPort(name))
            result.push_back(i);
    }
    return result;
}

std::vector<std::string> RtMidiDriver::listed(bool in)
{
    std::vector<std::string> names;
    RtMidi* probe = in ? static_cast<RtMidi*>(probeIn.get()) : static_cast<RtMidi*>(probeOut.get());
    for (unsigned i : systemIndexes(in))
        names.push_back(probe->getPortName(i));
    return names;
}

std::vector<std::string> RtMidiDriver::inputPorts() { return listed(true); }
std::vector<std::string> RtMidiDriver::outputPorts() { return listed(false); }

bool RtMidiDriver::openOutput(int index, std::string& error)
{
    const auto indexes = systemIndexes(false);
    if (index < 0 || index >= static_cast<int>(indexes.size())) {
        error = "no such output port";
        return false;
    }
    // The probe carries the output port too: every client of the MIDI system
    // costs time to open and to close.
    RtMidiOut* out = probeOut.get();
    if (!out) {
        error = "MIDI output unavailable";
        return false;
    }
    const std::string name = probeOut->getPortName(indexes[index]);
    if (out->isPortOpen() && name == outName) {
        outActive = true;
        return true;
    }
    try {
        out->closePort();
        out->openPort(indexes[index], client + " Out");
    } catch (const RtMidiError& e) {
        error = e.getMessage();
        return false;
    }
    outName = name;
    outActive = out->isPortOpen();
    return outActive;
}

// The connection stays until another port is opened: reconnecting the same
// port at once costs a round trip to the MIDI system, and a message sent
// right after a fresh connection can be lost on the way.
bool RtMidiDriver::closeOutput(std::string&)
{
    outActive = false;
    return true;
}

bool RtMidiDriver::openInput(int index, std::string& error)
{
    const auto indexes = systemIndexes(true);
    if (index < 0 || index >= static_cast<int>(indexes.size())) {
        error = "no such input port";
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
        input->owned = make<RtMidiIn>(static_cast<RtMidi::Api>(api), client);
        input->in = input->owned.get();
    }
    if (!input->in) {
        error = "MIDI input unavailable";
        return false;
    }
    try {
        input->in->ignoreTypes(false, true, true);
        input->in->setCallback(&RtMidiDriver::onMessage, input.get());
        input->in->openPort(indexes[index], client + " In " + std::to_string(index));
    } catch (const RtMidiError& e) {
        error = e.getMessage();
        input->in->cancelCallback();
        return false;
    }
    if (!input->in->isPortOpen()) {
        error = "input port did not open";
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

bool RtMidiDriver::send(const std::vector<uint8_t>& message, std::string& error)
{
    if (!probeOut || !probeOut->isPortOpen() || !outActive) {
        error = "output port closed";
        return false;
    }
    try {
        probeOut->sendMessage(message.data(), message.size());
    } catch (const RtMidiError& e) {
        error = e.getMessage();
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
