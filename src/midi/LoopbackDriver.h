#pragma once

#include <map>
#include <mutex>
#include <set>

#include "midi/MidiDriver.h"

// What sits at the far end of the loopback: a test or the unit simulator's
// engine. It receives what the program sends on an output port.
class LoopbackPeer {
public:
    virtual ~LoopbackPeer() = default;
    virtual void received(int outputPort, const std::vector<uint8_t>& message) = 0;
};

// In-process MIDI ports for tests. The far end injects messages into input
// ports; they take the same road into the program as real input.
class LoopbackDriver : public MidiDriver {
public:
    LoopbackDriver(std::vector<std::string> inputs, std::vector<std::string> outputs);

    std::vector<std::string> inputPorts() override { return inputs; }
    std::vector<std::string> outputPorts() override { return outputs; }
    bool openOutput(int index, MidiError& error) override;
    bool closeOutput(MidiError& error) override;
    bool openInput(int index, MidiError& error) override;
    void closeInput(int index) override;
    bool send(const std::vector<uint8_t>& message, MidiError& error) override;

    // Attach the far end of an output port (one peer may serve several).
    void attach(int outputPort, LoopbackPeer* peer);
    // A message from the far end; dropped while the input port is closed.
    void inject(int inputPort, std::vector<uint8_t> message);

    // Test controls: ports that refuse to open, a close or sends that fail,
    // the error code every failure reports, and what was sent.
    std::set<int> failingInputs;
    std::set<int> failingOutputs;
    bool failClose = false;
    bool failSend = false;
    int errorCode = 2;
    std::vector<std::pair<int, std::vector<uint8_t>>> sent;
    int openOutputPort() const { return output; }
    bool inputOpen(int index) const { return openInputs.count(index) != 0; }

private:
    std::vector<std::string> inputs;
    std::vector<std::string> outputs;
    std::map<int, LoopbackPeer*> peers;
    std::set<int> openInputs;
    int output = -1;
    std::mutex lock;
};
