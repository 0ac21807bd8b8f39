#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The unit's System Exclusive framing as the simulated unit writes and reads
// it. It is written out here on its own, byte by byte, and shares nothing
// with the program's framing: a fault on the program's side then shows up as
// a unit that does not understand it, instead of cancelling out.
//
// Every message is F0 00 20 32 dd mm cc ... F7: the manufacturer identifier,
// the device id, the model code and the command.
namespace SimFrames {

using Bytes = std::vector<uint8_t>;

enum Command : uint8_t {
    Identify = 0x01,
    IdentifyReply = 0x02,
    PresetDump = 0x20,
    MemoryDump = 0x21,
    SetChannel = 0x22,
    Global23 = 0x23,
    Global24 = 0x24,
    Name = 0x25,
    RequestPreset = 0x60,
    RequestMemory = 0x61,
    RequestName = 0x65,
};

constexpr uint8_t Start = 0xF0;
constexpr uint8_t End = 0xF7;
// Device id or model code that addresses every unit.
constexpr uint8_t Everyone = 0x7F;
// Preset number of the edit buffer in requests and dumps.
constexpr int EditBuffer = 127;
// Presets in a memory dump.
constexpr int MemorySlots = 125;
constexpr int NameLength = 16;

// A message of ours as the unit reads it: the three addressing bytes and
// what stands between the command and the last byte.
struct Message {
    int device = 0;
    int model = 0;
    int command = 0;
    Bytes body;
};

// Empty unless `m` starts with F0h and our manufacturer identifier and is
// long enough to carry a command and a byte after it.
std::optional<Message> read(const Bytes& m);

Bytes identifyReply(int device, int model, const std::string& identity);
// The name in the unit's character set, cut or padded with blanks to 16.
Bytes nameReply(int device, int model, const std::string& name);
Bytes presetDump(int device, int model, int preset, const Bytes& image);
// 125 images of `length` bytes back to back.
Bytes memoryDump(int device, int model, const Bytes& images, int length);

} // namespace SimFrames
