#include "midi/PortsUnitLink.h"

#include "model/Trace.h"

void PortsUnitLink::sendGlobalParameter(int command, int value)
{
    TraceLine(0, "Global %02Xh %d not sent", command, value);
}

void PortsUnitLink::sendPresetDump(int slot, const unsigned char*, int)
{
    TraceLine(0, "Preset dump to slot %d not sent", slot);
}

void PortsUnitLink::requestPreset(int slot)
{
    TraceLine(0, "Preset request for slot %d not sent", slot);
}
