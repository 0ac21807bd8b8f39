#include "midi/Sysex.h"

#include <array>
#include <cstdio>

#include "model/Presets.h"

namespace {

SysexBytes header(int device, int model, uint8_t command)
{
    return {Sysex::Start, Sysex::Maker[0], Sysex::Maker[1], Sysex::Maker[2], static_cast<uint8_t>(device & 0x7F),
            static_cast<uint8_t>(model & 0x7F), command};
}

SysexBytes shortMessage(int device, int model, uint8_t command)
{
    SysexBytes m = header(device, model, command);
    m.push_back(Sysex::End);
    return m;
}

SysexBytes withValue(int device, int model, uint8_t command, int value)
{
    SysexBytes m = header(device, model, command);
    m.push_back(static_cast<uint8_t>(value & 0x7F));
    m.push_back(Sysex::End);
    return m;
}

// How the seven unit types are told apart and named. The tail key marks
// where the interesting part of the identity text (its version) begins.
struct SubModelRow {
    int model;
    const char* name;
    const char* tailKey;
    int tailOffset;
};
constexpr std::array<SubModelRow, 7> SubModels = {{
    {0x0D, "DRUX", "X ", 1},
    {0x11, "DRUX 2", "2 ", 1},
    {0x11, "DRUX PRO", "O ", 1},
    {0x11, "DRUXORA", "ORA ", 3},
    {0x13, "BASS DRUX", "X ", 1},
    {0x13, "BASS DRUX PRO", "O ", 1},
    {0x13, "BASS DRUXORA", "ORA", 3},
}};

constexpr size_t TailLength = 20;
constexpr size_t NameReplyLength = 24;

bool contains(std::string_view text, std::string_view key)
{
    return text.find(key) != std::string_view::npos;
}

} // namespace

SysexBytes IdentifyRequestMessage()
{
    return shortMessage(Sysex::Everyone, Sysex::Everyone, Sysex::IdentifyRequest);
}

SysexBytes SetChannelMessage(int device, int model, int channel)
{
    return withValue(device, model, Sysex::SetChannel, channel);
}

SysexBytes RequestPresetMessage(int device, int model, int preset)
{
    return withValue(device, model, Sysex::RequestPreset, preset);
}

SysexBytes RequestMemoryMessage(int device, int model)
{
    return shortMessage(device, model, Sysex::RequestMemory);
}

SysexBytes RequestNameMessage(int device, int model)
{
    return shortMessage(device, model, Sysex::RequestName);
}

SysexBytes SetNameMessage(int device, int model, std::string_view unitText)
{
    SysexBytes m = header(device, model, Sysex::Name);
    for (size_t i = 0; i < static_cast<size_t>(NameLength); ++i) {
        if (i >= unitText.size())
            break;
        const auto c = static_cast<uint8_t>(static_cast<uint8_t>(unitText[i]) & 0x7F);
        if (c < 32)
            break;
        m.push_back(c);
    }
    while (m.size() < 7 + static_cast<size_t>(NameLength))
        m.push_back(' ');
    m.push_back(Sysex::End);
    return m;
}

SysexBytes PresetDumpMessage(int device, int model, int preset, const uint8_t* image, int length)
{
    SysexBytes m = header(device, model, Sysex::PresetDump);
    m.push_back(static_cast<uint8_t>(preset & 0x7F));
    m.push_back(static_cast<uint8_t>(length & 0x7F));
    m.insert(m.end(), image, image + length);
    m.push_back(Sysex::End);
    return m;
}

SysexBytes MemoryDumpMessage(int device, int model, const uint8_t* images, int length)
{
    SysexBytes m = header(device, model, Sysex::MemoryDump);
    m.push_back(Sysex::MemoryPresets);
    m.push_back(static_cast<uint8_t>(length & 0x7F));
    m.insert(m.end(), images, images + SlotCount * length);
    m.push_back(Sysex::End);
    return m;
}

SysexBytes GlobalMessage(int device, int command, int value)
{
    return withValue(device, 0x0D, static_cast<uint8_t>(command), value);
}

// ---- recognising ----

SysexFrame FrameSysex(const SysexBytes& received)
{
    SysexFrame f;
    f.recorded = received.size();
    if (received.empty())
        return f;
    if (received.size() > Sysex::MaxLength) {
        f.kind = SysexKind::TooLong;
        return f;
    }
    if (received.size() < 9) {
        f.kind = SysexKind::TooShort;
        return f;
    }
    f.bytes.reserve(received.size() + 1);
    // A buffer whose F0h went missing is read as if it stood in front.
    if (received[0] != Sysex::Start)
        f.bytes.push_back(Sysex::Start);
    f.bytes.insert(f.bytes.end(), received.begin(), received.end());
    if (f.at(1) != Sysex::Maker[0] || f.at(2) != Sysex::Maker[1] || f.at(3) != Sysex::Maker[2]) {
        f.kind = SysexKind::ForeignMaker;
        return f;
    }
    switch (f.command()) {
    case Sysex::IdentifyReply:
        f.kind = SysexKind::IdentifyReply;
        break;
    case Sysex::PresetDump:
        f.kind = SysexKind::PresetDump;
        break;
    case Sysex::MemoryDump:
        f.kind = SysexKind::MemoryDump;
        break;
    case Sysex::Name:
        f.kind = SysexKind::NameReply;
        break;
    default:
        f.kind = SysexKind::OtherCommand;
        break;
    }
    return f;
}

std::string ForeignMakerTrace(const SysexFrame& f)
{
    char line[64];
    if (f.at(1) != Sysex::Maker[0])
        std::snprintf(line, sizeof line, "Recieved Manufacture Id %X", f.at(1));
    else
        std::snprintf(line, sizeof line, "Recieved Manufacture Id %X, %X", f.at(2), f.at(3));
    return line;
}

bool IsKnownModel(int model)
{
    return model == 0x0D || model == 0x11 || model == 0x13;
}

int SubModelFor(int model, std::string_view identity)
{
    if (model == 0x0D)
        return 0;
    const int first = model == 0x13 ? 4 : 1;
    if (contains(identity, "PRO"))
        return first + 1;
    if (contains(identity, "XORA"))
        return first + 2;
    return first;
}

std::string SubModelName(int subModel)
{
    if (subModel < 0 || subModel >= static_cast<int>(SubModels.size()))
        return {};
    return SubModels[subModel].name;
}

std::string CanonicalModelText(int subModel, std::string_view identity)
{
    if (subModel < 0 || subModel >= static_cast<int>(SubModels.size()))
        return std::string(identity);
    const SubModelRow& row = SubModels[subModel];
    const size_t key = identity.find(row.tailKey);
    // 1-based position of the key (0 when absent) plus the offset, back to 0-based.
    const size_t start = (key == std::string_view::npos ? 0 : key + 1) + row.tailOffset - 1;
    std::string text = row.name;
    if (start < identity.size())
        text += identity.substr(start, TailLength);
    return text;
}

std::optional<IdentifyInfo> ParseIdentifyReply(const SysexFrame& f)
{
    if (f.kind != SysexKind::IdentifyReply || !IsKnownModel(f.model()))
        return std::nullopt;
    IdentifyInfo info;
    info.model = f.model();
    info.device = f.device();
    size_t end = f.bytes.size();
    if (end > 7 && f.bytes[end - 1] == Sysex::End)
        --end;
    for (size_t i = 7; i < end && f.bytes[i] != 0; ++i)
        info.identity.push_back(static_cast<char>(f.bytes[i]));
    info.subModel = SubModelFor(info.model, info.identity);
    info.modelText = CanonicalModelText(info.subModel, info.identity);
    return info;
}

std::string MakeDeviceKey(int model, int device, int midiIn, int midiOut)
{
    char key[48];
    std::snprintf(key, sizeof key, "DEV%02XM%02dI%02dO%02d", model, device, midiIn, midiOut);
    return key;
}

std::string DefaultDeviceName(int device, std::string_view outputPort)
{
    return "Device " + std::to_string(device + 1) + " @ " + std::string(outputPort);
}

std::optional<std::string> ParseNameReply(const SysexFrame& f)
{
    if (f.kind != SysexKind::NameReply || f.at(7) <= 0 || f.at(NameReplyLength - 1) != Sysex::End)
        return std::nullopt;
    std::string unit;
    for (size_t i = 7; i < 7 + static_cast<size_t>(NameLength) && f.bytes[i] != 0; ++i)
        unit.push_back(static_cast<char>(f.bytes[i]));
    while (!unit.empty() && static_cast<uint8_t>(unit.back()) <= ' ')
        unit.pop_back();
    return UnitToHostName(unit);
}

DumpCheck CheckPresetDump(const SysexFrame& f, int device, int model, int length)
{
    if (f.kind != SysexKind::PresetDump || f.device() != (device & 0xFF) || f.model() != model
        || f.at(8) != length)
        return DumpCheck::Foreign;
    return f.recorded == static_cast<size_t>(length) + 10 ? DumpCheck::Complete : DumpCheck::Short;
}

DumpCheck CheckMemoryDump(const SysexFrame& f, int device, int model, int length)
{
    if (f.kind != SysexKind::MemoryDump || f.device() != (device & 0xFF) || f.model() != model
        || f.at(7) != Sysex::MemoryPresets || f.at(8) != length)
        return DumpCheck::Foreign;
    return f.recorded < static_cast<size_t>(Sysex::MemoryPresets * length + 9) ? DumpCheck::Short
                                                                                  : DumpCheck::Complete;
}
