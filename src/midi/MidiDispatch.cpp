#include "midi/MidiDispatch.h"

#include "model/DeviceConnection.h"
#include "model/Trace.h"

void DispatchMidiInput(const MidiHooks& hooks, int port, const std::vector<uint8_t>& m)
{
    if (m.empty())
        return;
    const uint8_t status = m[0];
    if (status == 0xF0) {
        if (hooks.sysex)
            hooks.sysex(port, m);
        return;
    }
    if (status < 0x80 || status >= 0xF0) {
        // SysEx continuation or system messages: not the unit's business.
        if (status < 0x80 && hooks.sysex)
            hooks.sysex(port, m); // the parser decides about a message without F0
        return;
    }
    if ((status & 0x0F) != (ActiveDevice.MidiChan & 0x0F))
        return;
    switch (status & 0xF0) {
    case 0xB0:
        if (m.size() >= 3 && hooks.controller)
            hooks.controller(m[1] & 0x7F, m[2] & 0x7F);
        break;
    case 0xC0:
        if (m.size() >= 2 && hooks.programChange)
            hooks.programChange(m[1] & 0x7F);
        break;
    default:
        break;
    }
}
