#pragma once

#include <cstdint>
#include <functional>
#include <vector>

// Where incoming MIDI goes once it reached the GUI thread: control changes on
// the unit's channel to the controller dispatch, program changes to the
// device window's handling, SysEx to the parser.
struct MidiHooks {
    std::function<void(int controller, int value)> controller;
    std::function<void(int program)> programChange;
    std::function<void(int port, const std::vector<uint8_t>& message)> sysex;
};

// Routes one message. Short messages on another channel than
// ActiveDevice.MidiChan are ignored entirely, as is every other message kind.
void DispatchMidiInput(const MidiHooks& hooks, int port, const std::vector<uint8_t>& message);
