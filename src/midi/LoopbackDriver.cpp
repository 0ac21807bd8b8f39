#include "midi/LoopbackDriver.h"

LoopbackDriver::LoopbackDriver(std::vector<std::string> in, std::vector<std::string> out)
    : inputs(std::move(in)), outputs(std::move(out))
{
}

bool LoopbackDriver::openOutput(int index, MidiError& error)
{
    if (index < 0 || index >= static_cast<int>(outputs.size()) || failingOutputs.count(index)) {
        error = {errorCode, "no such output port"};
        return false;
    }
    output = index;
    return true;
}

bool LoopbackDriver::closeOutput(MidiError& error)
{
    if (failClose) {
        error = {errorCode, "close failed"};
        return false;
    }
    output = -1;
    return true;
}

bool LoopbackDriver::openInput(int index, MidiError& error)
{
    if (index < 0 || index >= static_cast<int>(inputs.size()) || failingInputs.count(index)) {
        error = {errorCode, "no such input port"};
        return false;
    }
    std::lock_guard<std::mutex> g(lock);
    openInputs.insert(index);
    return true;
}

void LoopbackDriver::closeInput(int index)
{
    std::lock_guard<std::mutex> g(lock);
    openInputs.erase(index);
}

bool LoopbackDriver::send(const std::vector<uint8_t>& message, MidiError& error)
{
    if (output < 0 || failSend) {
        error = {errorCode, "output port closed"};
        return false;
    }
    sent.emplace_back(output, message);
    auto it = peers.find(output);
    if (it != peers.end() && it->second)
        it->second->received(output, message);
    return true;
}

void LoopbackDriver::attach(int outputPort, LoopbackPeer* peer)
{
    peers[outputPort] = peer;
}

void LoopbackDriver::inject(int inputPort, std::vector<uint8_t> message)
{
    {
        std::lock_guard<std::mutex> g(lock);
        if (!openInputs.count(inputPort))
            return;
    }
    deliver(inputPort, std::move(message));
}
