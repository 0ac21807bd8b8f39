#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/DeviceConnection.h"

class Modul;

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

// What the traffic has told so far: the last value seen of each preset
// parameter of the unit's family and, per direction, where the preset name's
// characters land.
struct MonitorMemory {
    static constexpr int Parameters = 48;
    bool bass = false;
    std::array<int, Parameters> preset; // by Mcix; -1 while not known
    struct Name {
        int position = -1;
        std::array<char, 17> chars{};
    };
    std::array<Name, 2> names; // In, Out

    MonitorMemory() { preset.fill(-1); }
    std::optional<int> value(int mcix) const;
};

// The monitor's reading of the traffic in order. A knob whose caption and
// unit depend on another parameter (the amp model, the pre-effect type, the
// pre- and post-effect modes, the modulation and delay types, the other half
// of a delay time, the synth's key) is shown as the editor shows it with the
// values seen before, and a knob the type leaves unused says so; a name
// character with the position it lands at, and the name when it is
// complete. Controllers and edit-buffer dumps in either direction tell the
// values; a program change brings a preset of which nothing is known yet.
// What has not been seen is shown as by DecodeMidiMessage.
class MonitorContext {
public:
    // One line, as DecodeMidiMessage but in the light of the messages
    // before; then takes in what this message tells.
    std::string Decode(const std::vector<uint8_t>& message, MidiDirection direction, const MonitorUnit& unit);
    // Takes the values of a preset module of the parameter model as seen.
    void Seed(int model, Modul& preset);
    std::optional<int> Value(int mcix) const { return memory.value(mcix); }

private:
    void takeIn(const std::vector<uint8_t>& message, MidiDirection direction, const MonitorUnit& unit);
    MonitorMemory memory;
};

// The bytes in hex, "F0 00 20 32 ..."; a message longer than `fold` bytes
// shows its first `fold` bytes, " ..." and its length ("(6010 bytes)").
// fold 0 shows every byte.
constexpr size_t MonitorFoldBytes = 16;
std::string MonitorHex(const std::vector<uint8_t>& message, size_t fold = MonitorFoldBytes);

// "Bank 4 C" for the slots 0..124.
std::string SlotText(int slot);
