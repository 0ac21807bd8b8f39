#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "model/DeviceConnection.h"

// The MIDI monitor's reading of the traffic: one line of text for one
// message, in the unit's own terms. Pure functions of the bytes, the
// direction and the unit the program talks to; nothing here touches a port.

enum class MidiDirection { In, Out };

// What the decoder needs to know about the unit the program talks to.
struct MonitorUnit {
    int model = ModelDrux2;
    int device = 0;  // SysEx device id (its low seven bits travel)
    int channel = 0; // 0..15
    int timeUnit = 1; // the "Time Unit" preference: 0 BPM, 1 ms, 2 MIDI

    static MonitorUnit of(const DeviceConnection& c, int timeUnit)
    {
        return {c.Model, c.MidiDevice, c.MidiChan, timeUnit};
    }
};

// What the monitor's filters tell apart.
enum class MonitorKind { Sysex, Controller, Other };
MonitorKind MonitorKindOf(const std::vector<uint8_t>& message);

// One line: the message named as the unit understands it ("preset dump Bank
// 4 C \"CRUNCH LEAD\"", "Amplifier: Treble = 90"), or its kind followed by
// " - not the unit's: " and the reason (other channel, other maker, other
// device id or model, cut short). Latin-1, as the core's texts are.
std::string DecodeMidiMessage(const std::vector<uint8_t>& message, MidiDirection direction, const MonitorUnit& unit);

// The bytes in hex, "F0 00 20 32 ..."; a message longer than `fold` bytes
// shows its first `fold` bytes, " ..." and its length ("(6010 bytes)").
// fold 0 shows every byte.
constexpr size_t MonitorFoldBytes = 16;
std::string MonitorHex(const std::vector<uint8_t>& message, size_t fold = MonitorFoldBytes);

// "Bank 4 C" for the slots 0..124.
std::string SlotText(int slot);
