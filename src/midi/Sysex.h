#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The unit's System Exclusive messages as pure functions of bytes: builders
// that return a whole message, and recognisers that look at a received one.
// Nothing here touches a port, a timer or the program's state.

using SysexBytes = std::vector<uint8_t>;

namespace Sysex {
constexpr uint8_t Start = 0xF0;
constexpr uint8_t End = 0xF7;
// Manufacturer identifier, bytes 1 to 3 of every message.
constexpr uint8_t Maker[3] = {0x00, 0x20, 0x32};
// Device id or model code that addresses every unit.
constexpr uint8_t Everyone = 0x7F;
// Preset number of a dump that addresses the unit's edit buffer.
constexpr int EditBufferPreset = 127;
// Presets in a memory dump (byte 7 of the message).
constexpr int MemoryPresets = 0x7D;
// Longest message the program accepts.
constexpr size_t MaxLength = 10240;

enum Command : uint8_t {
    IdentifyRequest = 0x01,
    IdentifyReply = 0x02,
    PresetDump = 0x20,
    MemoryDump = 0x21,
    SetChannel = 0x22,
    Global23 = 0x23,
    Global24 = 0x24,
    Name = 0x25, // set name (to the unit) and name reply (from it)
    RequestPreset = 0x60,
    RequestMemory = 0x61,
    RequestName = 0x65,
};
}

// ---- builders ----
// `device` is ActiveDevice.MidiDevice (its low seven bits are sent), `model`
// the model code.

SysexBytes IdentifyRequestMessage();
SysexBytes SetChannelMessage(int device, int model, int channel);
SysexBytes RequestPresetMessage(int device, int model, int preset);
SysexBytes RequestMemoryMessage(int device, int model);
SysexBytes RequestNameMessage(int device, int model);
// `unitText` is already in the unit's character set: bytes with bit 7
// cleared, up to the first byte below 32, at most 16, padded with blanks.
SysexBytes SetNameMessage(int device, int model, std::string_view unitText);
// One preset image of `length` bytes; preset 127 is the edit buffer.
SysexBytes PresetDumpMessage(int device, int model, int preset, const uint8_t* image, int length);
// 125 images of `length` bytes each, back to back.
SysexBytes MemoryDumpMessage(int device, int model, const uint8_t* images, int length);
// Global 23h / 24h of the first-generation unit (model code always 0Dh).
SysexBytes GlobalMessage(int device, int command, int value);

// ---- recognising ----

enum class SysexKind {
    Empty,        // nothing recorded
    TooLong,      // longer than Sysex::MaxLength
    TooShort,     // fewer than 9 bytes
    ForeignMaker, // another manufacturer identifier
    OtherCommand, // ours, but nothing the program answers to (also echoed requests)
    IdentifyReply,
    PresetDump,
    MemoryDump,
    NameReply,
};

// A received message as the parser reads it: when the leading F0h is
// missing the message is read as if it stood there, so `bytes` always starts
// with F0h while `recorded` is the number of bytes that really arrived.
struct SysexFrame {
    SysexKind kind = SysexKind::Empty;
    SysexBytes bytes;
    size_t recorded = 0;

    // Byte i counted from the (possibly missing) F0h; -1 beyond the end.
    int at(size_t i) const { return i < bytes.size() ? bytes[i] : -1; }
    int device() const { return at(4); }
    int model() const { return at(5); }
    int command() const { return at(6); }
};

SysexFrame FrameSysex(const SysexBytes& received);

// Trace line for a foreign manufacturer identifier, as the parser writes it.
std::string ForeignMakerTrace(const SysexFrame& frame);

bool IsKnownModel(int model);
// 0..6 from the model code and the identity text.
int SubModelFor(int model, std::string_view identity);
// Canonical name of the SubModel followed by up to 20 characters of the
// identity text taken from behind the SubModel's tail key.
std::string CanonicalModelText(int subModel, std::string_view identity);
// Name of a SubModel ("DRUX", "DRUX 2", ... "BASS DRUXORA"); empty outside 0..6.
std::string SubModelName(int subModel);

struct IdentifyInfo {
    int model = 0;
    int device = 0;
    int subModel = 0;
    std::string identity;  // the text as the unit sent it (up to F7h or a zero byte)
    std::string modelText; // canonical name and tail
};

// Empty unless the frame is an identify reply of one of the three models.
std::optional<IdentifyInfo> ParseIdentifyReply(const SysexFrame& frame);

// "DEV%02XM%02dI%02dO%02d" with model, device, input and output port.
std::string MakeDeviceKey(int model, int device, int midiIn, int midiOut);
// "Device %d @ %s" with device + 1 and the output port's name.
std::string DefaultDeviceName(int device, std::string_view outputPort);

// The unit's name from a name reply, in the host's character set; empty when
// the reply carries none (t1 is zero or byte 23 is not F7h).
std::optional<std::string> ParseNameReply(const SysexFrame& frame);

enum class DumpCheck {
    Foreign,  // another unit, another model or another record length: ignore
    Short,    // ours but cut short: ask again
    Complete, // the data bytes are all there
};

// Preset dump: the record length must be `length` and the message exactly
// length + 10 bytes long as recorded.
DumpCheck CheckPresetDump(const SysexFrame& frame, int device, int model, int length);
// Memory dump: byte 7 must be 7Dh and the record length `length`; recorded
// bytes may exceed 125 x length + 9, never fall short of it.
DumpCheck CheckMemoryDump(const SysexFrame& frame, int device, int model, int length);

// Preset number (byte 7) and the data bytes (from byte 9 on) of a dump
// that passed its check.
inline int DumpPreset(const SysexFrame& frame) { return frame.at(7); }
inline const uint8_t* DumpData(const SysexFrame& frame) { return frame.bytes.data() + 9; }
