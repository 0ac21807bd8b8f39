#pragma once

#include "midi/MidiPorts.h"
#include "model/Parameters.h"

class Protocol;

// Parameter changes leave through the port layer as controllers; global
// parameters of the first-generation unit, preset dumps and preset requests
// through the SysEx protocol.
class PortsUnitLink : public UnitLink {
public:
    explicit PortsUnitLink(MidiPorts& p, Protocol* proto = nullptr) : ports(p), protocol(proto) {}
    void sendControlChange(int number, int value) override { ports.SendControlChange(number, value); }
    void sendGlobalParameter(int command, int value) override;
    void sendPresetDump(int slot, const unsigned char* image, int length) override;
    void sendMemoryDump(const unsigned char* images, int length) override;
    void requestPreset(int slot) override;

    void setProtocol(Protocol* proto) { protocol = proto; }

protected:
    MidiPorts& ports;
    Protocol* protocol;
};
