#pragma once

#include "midi/MidiPorts.h"
#include "model/Parameters.h"

// Parameter changes leave through the port layer as controllers.
class PortsUnitLink : public UnitLink {
public:
    explicit PortsUnitLink(MidiPorts& p) : ports(p) {}
    void sendControlChange(int number, int value) override { ports.SendControlChange(number, value); }
    void sendGlobalParameter(int command, int value) override;
    void sendPresetDump(int slot, const unsigned char* image, int length) override;
    void requestPreset(int slot) override;

protected:
    MidiPorts& ports;
};
