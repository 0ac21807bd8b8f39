#include "midi/PortsUnitLink.h"

#include "midi/Protocol.h"
#include "model/Presets.h"
#include "model/Trace.h"

namespace {
// The device window's request of one slot may retry this often on its own.
constexpr int PresetRequestBudget = 5;
}

void PortsUnitLink::sendGlobalParameter(int command, int value)
{
    if (protocol)
        protocol->SendGlobal(command, value);
    else
        TraceLine(0, "Global %02Xh %d not sent", command, value);
}

void PortsUnitLink::sendPresetDump(int slot, const unsigned char* image, int length)
{
    if (protocol)
        protocol->SendPresetDump(slot, image, length);
    else
        TraceLine(0, "Preset dump to slot %d not sent", slot);
}

void PortsUnitLink::sendMemoryDump(const unsigned char* images, int length)
{
    if (protocol && length % SlotCount == 0)
        protocol->SendMemoryDump(images, length / SlotCount);
    else
        TraceLine(0, "Memory dump of %d bytes not sent", length);
}

void PortsUnitLink::requestPreset(int slot)
{
    if (protocol)
        protocol->ReadPreset(slot, PresetRequestBudget);
    else
        TraceLine(0, "Preset request for slot %d not sent", slot);
}
