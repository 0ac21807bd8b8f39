// The monitor's reading of SysEx messages: the unit's message set, named,
// with what makes a message not the unit's.
#include "midi/Sysex.h"
#include "model/ParameterNames.h"
#include "model/Presets.h"
#include "monitor/MonitorReading.h"

namespace MonitorReading {
namespace {

std::string quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

// The name of a preset image: its last 16 bytes, up to a zero byte.
std::string imageName(const std::vector<uint8_t>& m, size_t imageStart, int length)
{
    if (length < NameLength || imageStart + static_cast<size_t>(length) > m.size())
        return {};
    const char* name = reinterpret_cast<const char*>(m.data() + imageStart + length - NameLength);
    size_t n = 0;
    while (n < static_cast<size_t>(NameLength) && name[n] != 0)
        ++n;
    std::string text = UnitToHostName(std::string_view(name, n));
    while (!text.empty() && static_cast<uint8_t>(text.back()) <= ' ')
        text.pop_back();
    return text;
}

std::string presetText(int preset)
{
    if (preset == Sysex::EditBufferPreset)
        return "edit buffer";
    if (preset < SlotCount)
        return SlotText(preset);
    return format("preset %d (no slot)", preset);
}

std::string unitName(const std::vector<uint8_t>& m, size_t from)
{
    std::string unit;
    for (size_t i = from; i < m.size() && i < from + NameLength && m[i] != 0 && m[i] != Sysex::End; ++i)
        unit.push_back(static_cast<char>(m[i]));
    while (!unit.empty() && static_cast<uint8_t>(unit.back()) <= ' ')
        unit.pop_back();
    return UnitToHostName(unit);
}

} // namespace

std::string sysexText(const std::vector<uint8_t>& received, MidiDirection direction, const MonitorUnit& unit)
{
    if (received.size() > Sysex::MaxLength)
        return format("SysEx of %zu bytes, dropped: longer than %zu bytes", received.size(), Sysex::MaxLength);
    // A message whose F0h went missing is read as if it stood in front, as
    // the parser reads it.
    std::vector<uint8_t> m;
    m.reserve(received.size() + 1);
    const bool noStart = received[0] != Sysex::Start;
    if (noStart)
        m.push_back(Sysex::Start);
    m.insert(m.end(), received.begin(), received.end());
    const std::string start = noStart ? "SysEx without F0" : "SysEx";
    if (m.size() < 4)
        return notTheUnits(start, format("cut short (%zu bytes)", received.size()));
    // Bytes that follow no F0h and no header of ours: a piece of a message
    // the MIDI system delivered cut apart.
    if (noStart && (m[1] != Sysex::Maker[0] || m[2] != Sysex::Maker[1] || m[3] != Sysex::Maker[2]))
        return notTheUnits(start, format("a piece of a message cut apart (%zu bytes)", received.size()));
    if (m[1] != Sysex::Maker[0])
        return notTheUnits(start, format("other maker %02Xh", m[1]));
    if (m[2] != Sysex::Maker[1] || m[3] != Sysex::Maker[2])
        return notTheUnits(start, format("other maker %02Xh %02Xh %02Xh", m[1], m[2], m[3]));
    if (m.size() < 8)
        return notTheUnits(start, format("cut short (%zu bytes)", received.size()));

    const int device = m[4];
    const int model = m[5];
    const int command = m[6];
    const bool ended = m.back() == Sysex::End;
    const size_t length = m.size();
    // Fixed-length messages: cut short when the end is missing or too early.
    auto whole = [&](size_t expected) { return ended && length >= expected; };
    const std::string cutShort = format("cut short (%zu bytes)", received.size());

    std::string what;
    std::string problem;
    bool checkAddress = true;
    switch (command) {
    case Sysex::IdentifyRequest:
        what = "identify request";
        if (!whole(8))
            problem = cutShort;
        break;
    case Sysex::IdentifyReply: {
        // How units are found: any device id answers.
        checkAddress = false;
        std::string identity;
        for (size_t i = 7; i < length && m[i] != 0 && !(i == length - 1 && m[i] == Sysex::End); ++i)
            identity.push_back(static_cast<char>(m[i]));
        if (!IsKnownModel(model)) {
            what = "identify reply";
            problem = "model " + modelText(model) + " is none of the three";
            break;
        }
        const int sub = SubModelFor(model, identity);
        what = format("identify reply of device %d: ", device) + quoted(CanonicalModelText(sub, identity)) +
               format(", SubModel %d", sub);
        if (!ended)
            problem = cutShort;
        break;
    }
    case Sysex::SetChannel:
        what = length > 8 ? format("set channel %d", (m[7] & 0x0F) + 1) : "set channel";
        if (!whole(9))
            problem = cutShort;
        break;
    case Sysex::RequestPreset:
        what = length > 8 ? "request preset " + presetText(m[7]) : "request preset";
        if (!whole(9))
            problem = cutShort;
        break;
    case Sysex::RequestMemory:
        what = "request memory dump";
        if (!whole(8))
            problem = cutShort;
        break;
    case Sysex::RequestName:
        what = "request name";
        if (!whole(8))
            problem = cutShort;
        break;
    case Sysex::Name: {
        const bool reply = direction == MidiDirection::In;
        what = reply ? "name reply" : "set name";
        if (length < 24 || m[23] != Sysex::End) {
            problem = cutShort;
            break;
        }
        const std::string name = m[7] == 0 ? std::string() : unitName(m, 7);
        what += name.empty() ? ": no name" : " " + quoted(name);
        break;
    }
    case Sysex::PresetDump:
    case Sysex::MemoryDump: {
        const bool all = command == Sysex::MemoryDump;
        const int record = length > 8 ? m[8] : 0;
        const int count = all ? (length > 7 ? m[7] : 0) : 1;
        if (all)
            what = format("memory dump: %d presets of %d bytes", count, record);
        else
            what = "preset dump " + (length > 7 ? presetText(m[7]) : std::string());
        if (!all && length >= static_cast<size_t>(record) + 10) {
            const std::string name = imageName(m, 9, record);
            if (!name.empty())
                what += " " + quoted(name);
        }
        const size_t expected = static_cast<size_t>(count * record) + 10;
        if (length < expected || !ended)
            problem = format("cut short (%zu of %zu bytes)", received.size(), expected - (noStart ? 1 : 0));
        else if (IsKnownModel(model) && record != ImageLengthFor(static_cast<uint32_t>(model)))
            problem = format("record length %d, the model's is %d", record, ImageLengthFor(static_cast<uint32_t>(model)));
        else if (all && count != Sysex::MemoryPresets)
            problem = format("%d presets, not 125", count);
        break;
    }
    case Sysex::Global23:
    case Sysex::Global24: {
        const bool volume = command == Sysex::Global23;
        what = volume ? "Global 23h: Tuner: Volume" : "Global 24h: Tuner: Centre Frequency";
        if (!whole(9)) {
            problem = cutShort;
            break;
        }
        const int v = m[7];
        what += volume ? format(" = %d", v)
                       : " = " + globalValueText(GuitarGlobal::TunerCenter, v - TunerCcOffset, unit);
        break;
    }
    default:
        what = format("SysEx command %02Xh", command);
        problem = "no message of the unit";
        break;
    }
    if (noStart)
        what += " (without F0)";
    if (problem.empty() && checkAddress) {
        if (model != Sysex::Everyone && model != unit.model)
            problem = "model " + modelText(model) + ", the unit is " + modelText(unit.model);
        else if (device != Sysex::Everyone && device != (unit.device & 0x7F))
            problem = format("device id %d, the unit's is %d", device, unit.device & 0x7F);
    }
    return problem.empty() ? what : notTheUnits(what, problem);
}

} // namespace MonitorReading
