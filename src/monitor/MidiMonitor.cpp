#include "monitor/MidiMonitor.h"

#include <algorithm>

#include "midi/Sysex.h"
#include "model/Controllers.h"
#include "model/Parameters.h"
#include "model/Presets.h"
#include "monitor/MonitorReading.h"

using namespace MonitorReading;

namespace {

constexpr int TunerProgram = 127;

std::string noteName(int note)
{
    static constexpr const char* names[] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};
    return format("%s%d (%d)", names[note % 12], note / 12 - 1, note);
}

std::string shortMessageText(const std::vector<uint8_t>& m, const MonitorUnit& unit, const MonitorMemory* mem,
                             MidiDirection direction)
{
    const int status = m[0];
    const int kind = status & 0xF0;
    const int channel = status & 0x0F;
    const size_t need = (kind == 0xC0 || kind == 0xD0) ? 2 : 3;
    std::string what;
    switch (kind) {
    case 0x80: what = "note off"; break;
    case 0x90: what = "note on"; break;
    case 0xA0: what = "key pressure"; break;
    case 0xB0: what = "control change"; break;
    case 0xC0: what = "program change"; break;
    case 0xD0: what = "channel pressure"; break;
    default: what = "pitch bend"; break;
    }
    if (m.size() < need)
        return notTheUnits(what, format("cut short (%zu bytes)", m.size()));
    const int d1 = m[1] & 0x7F;
    const int d2 = need == 3 ? m[2] & 0x7F : 0;
    if (kind == 0xB0)
        what += format(" %d = %d", d1, d2);
    else if (kind == 0xC0)
        what += format(" %d", d1);
    else if (kind == 0x80 || kind == 0x90)
        what += " " + noteName(d1) + format(", velocity %d", d2);
    if (channel != (unit.channel & 0x0F))
        return notTheUnits(what, format("channel %d, the unit's is %d", channel + 1, (unit.channel & 0x0F) + 1));
    switch (kind) {
    case 0xB0:
        return controllerText(d1, d2, unit, mem, direction);
    case 0xC0:
        if (d1 < SlotCount)
            return "program change: " + SlotText(d1);
        if (d1 == TunerProgram)
            return "program change 127: tuner";
        return what + ": no preset";
    case 0x80:
    case 0x90:
        if (IsBassModel(unit.model))
            return "bass piano: " + what;
        return notTheUnits(what, "only the bass units play notes");
    default:
        return notTheUnits(what, "no message of the unit");
    }
}

} // namespace

std::string SlotText(int slot)
{
    return format("Bank %d %c", SlotBank(slot), SlotLetter(slot));
}

MonitorKind MonitorKindOf(const std::vector<uint8_t>& m)
{
    if (m.empty())
        return MonitorKind::Other;
    if (m[0] == Sysex::Start || m[0] < 0x80)
        return MonitorKind::Sysex;
    if ((m[0] & 0xF0) == 0xB0)
        return MonitorKind::Controller;
    return MonitorKind::Other;
}

namespace {
std::string decode(const std::vector<uint8_t>& m, MidiDirection direction, const MonitorUnit& unit,
                   const MonitorMemory* mem)
{
    if (m.empty())
        return "empty message";
    if (m[0] == Sysex::Start || m[0] < 0x80)
        return sysexText(m, direction, unit);
    if (m[0] >= 0xF0)
        return notTheUnits(format("system message %02Xh", m[0]), "no message of the unit");
    return shortMessageText(m, unit, mem, direction);
}
} // namespace

std::string DecodeMidiMessage(const std::vector<uint8_t>& m, MidiDirection direction, const MonitorUnit& unit)
{
    return decode(m, direction, unit, nullptr);
}

std::optional<int> MonitorMemory::value(int mcix) const
{
    if (mcix < 0 || mcix >= Parameters || preset[static_cast<size_t>(mcix)] < 0)
        return std::nullopt;
    return preset[static_cast<size_t>(mcix)];
}

std::string MonitorContext::Decode(const std::vector<uint8_t>& m, MidiDirection direction, const MonitorUnit& unit)
{
    if (memory.bass != IsBassModel(unit.model)) {
        memory = MonitorMemory();
        memory.bass = IsBassModel(unit.model);
    }
    std::string text = decode(m, direction, unit, &memory);
    takeIn(m, direction, unit);
    return text;
}

void MonitorContext::Seed(int model, Modul& preset)
{
    memory = MonitorMemory();
    memory.bass = IsBassModel(model);
    const int last = std::min(preset.count(), MonitorMemory::Parameters) - 1;
    for (int mcix = 1; mcix <= last; ++mcix)
        if (const MCtrl* p = preset.GetCtrl(mcix))
            memory.preset[static_cast<size_t>(mcix)] = p->GetVal();
}

// What a message tells of the unit's state: a controller sets its
// parameter, a program change or a dump into the edit buffer brings a whole
// new preset, a name pair moves the name.
void MonitorContext::takeIn(const std::vector<uint8_t>& m, MidiDirection direction, const MonitorUnit& unit)
{
    if (m.empty())
        return;
    if (m[0] == Sysex::Start) {
        // A whole edit-buffer dump for this model: its image holds every
        // preset parameter, byte i the one of Mcix i + 1.
        const int length = ImageLengthFor(static_cast<uint32_t>(unit.model));
        if (m.size() == static_cast<size_t>(length) + 10 && m[1] == Sysex::Maker[0] && m[2] == Sysex::Maker[1] &&
            m[3] == Sysex::Maker[2] && m[5] == unit.model && m[6] == Sysex::PresetDump &&
            m[7] == Sysex::EditBufferPreset && m[8] == length && m.back() == Sysex::End)
            for (int i = 0; i < length - NameLength && i + 1 < MonitorMemory::Parameters; ++i)
                memory.preset[static_cast<size_t>(i + 1)] = m[static_cast<size_t>(9 + i)] & 0x7F;
        return;
    }
    if (m[0] >= 0xF0 || (m[0] & 0x0F) != (unit.channel & 0x0F))
        return;
    const int kind = m[0] & 0xF0;
    if (kind == 0xC0 && m.size() >= 2) {
        memory.preset.fill(-1);
        return;
    }
    if (kind != 0xB0 || m.size() < 3)
        return;
    const int c = m[1] & 0x7F;
    const int v = m[2] & 0x7F;
    if (c == NameCc) {
        MonitorMemory::Name& name = memory.names[direction == MidiDirection::In ? 0 : 1];
        if (v < NameLength)
            name.position = v;
        else if (name.position >= 0)
            name.chars[static_cast<size_t>(name.position)] = static_cast<char>(v);
        return;
    }
    if (c < FirstPresetCc || c > LastPresetCc)
        return;
    const PresetValue target = presetControllerValue(c, v, unit.model);
    if (target.mcix > 0 && target.mcix < MonitorMemory::Parameters)
        memory.preset[static_cast<size_t>(target.mcix)] = target.value;
}

std::string MonitorHex(const std::vector<uint8_t>& m, size_t fold)
{
    const bool folded = fold != 0 && m.size() > fold;
    const size_t shown = folded ? fold : m.size();
    std::string text;
    text.reserve(shown * 3 + 24);
    static constexpr char digits[] = "0123456789ABCDEF";
    for (size_t i = 0; i < shown; ++i) {
        if (i)
            text.push_back(' ');
        text.push_back(digits[m[i] >> 4]);
        text.push_back(digits[m[i] & 15]);
    }
    if (folded)
        text += format(" ... (%zu bytes)", m.size());
    return text;
}