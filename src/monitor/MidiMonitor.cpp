#include "monitor/MidiMonitor.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <optional>
#include <span>
#include <string_view>

#include "editor/BassEditorFormTables.h"
#include "editor/EditorFormTables.h"
#include "editor/ValueConversions.h"
#include "midi/Sysex.h"
#include "model/Controllers.h"
#include "model/Parameters.h"
#include "model/Presets.h"

namespace {

// ---- the parameters as the editors caption them ----

enum class Shows {
    Number,  // the plain number
    Switch,  // "on" / "off"
    List,    // an entry of the control's list
    Convert, // the knob's value conversion
    Tuner,   // 425 + v Hz
};

struct MonitorParam {
    int mcix;
    const char* module;
    const char* name;
    Shows shows = Shows::Number;
    std::span<const std::string_view> list = {};
    ConversionPair pair = {};
};

using namespace GuitarEditorTexts;
namespace B = BassEditorTexts;

// Guitar preset, by Mcix. The pre-effect knobs change their captions with
// the pre-effect type: both are named.
const std::vector<MonitorParam> GuitarPresetParams = {
    {1, "Amplifier", "Gain"},
    {2, "Amplifier", "Treble"},
    {3, "Amplifier", "Mid"},
    {4, "Amplifier", "Bass"},
    {5, "Amplifier", "Volume"},
    {6, "Amplifier", "Presence"},
    {7, "Cabinet / Reverb", "Mix"},
    {8, "Amplifier", "Amp Model", Shows::List, AmpModels},
    {9, "Effects", "Control Assigment", Shows::List, ControlAssignments},
    {10, "Effects", "FX ON", Shows::Switch},
    {11, "Cabinet / Reverb", "REVERB ON", Shows::Switch},
    {12, "Cabinet / Reverb", "Cabinet", Shows::List, Cabinets},
    {13, "Cabinet / Reverb", "REVERB TYPE", Shows::List, ReverbTypes},
    {14, "Gate / Wah", "Threshold", Shows::Convert, {}, GuitarValues::Gate},
    {15, "Amplifier", "Drive", Shows::Switch},
    {16, "Gate / Wah", "Wah Position"},
    {17, "Pre-Effect", "Type", Shows::List, PreEffectTypes},
    {18, "Pre-Effect", "Sense / Speed"},
    {19, "Pre-Effect", "Attack / Depth"},
    {20, "Pre-Effect", "Offset"},
    {21, "Pre-Effect", "Frequency"},
    {22, "Delay", "Type", Shows::List, DelayTypes},
    {23, "Delay", "Delay-Time, upper 7 bits"},
    {24, "Delay", "Delay-Time, lower 7 bits"},
    {25, "Delay", "Spread"},
    {26, "Delay", "FeedBack"},
    {27, "Delay", "Mix"},
    {28, "Modulation", "Type", Shows::List, ModulationTypes},
    {29, "Modulation", "Speed"},
    {30, "Modulation", "Depth"},
    {31, "Modulation", "FeedBack"},
    {32, "Modulation", "Mix"},
};

// The effect knobs of the bass change their captions with the post-effect
// mode: they go by their number.
const std::vector<MonitorParam> BassPresetParams = {
    {1, "Preamp", "Gain"},
    {2, "Preamp", "Treble"},
    {3, "Preamp", "Mid"},
    {4, "Preamp", "Bass"},
    {5, "Preamp", "Volume"},
    {6, "Preamp", "Presence"},
    {7, "Compressor", "Density"},
    {8, "Preamp", "Amp Model", Shows::List, B::AmpModels},
    {10, "Preamp", "Mid-Shift"},
    {11, "Preamp", "Deep"},
    {12, "Compressor", "Attack"},
    {14, "Cabinet", "Global Fx On/Off", Shows::Switch},
    {15, "Compressor", "On", Shows::Switch},
    {16, "Cabinet", "Cabinet Model", Shows::List, B::Cabinets},
    {17, "Crossover", "Frequency", Shows::Convert, {}, BassValues::Freq},
    {18, "Crossover", "Balance", Shows::Convert, {}, BassValues::Prct},
    {19, "Denoiser", "Expander", Shows::Convert, {}, BassValues::Exp},
    {20, "Denoiser", "Sensivity"},
    {21, "Denoiser", "Range"},
    {22, "Pedal", "Pedal Simulation", Shows::List, B::PedalSims},
    {23, "Pedal", "Drive"},
    {24, "Pedal", "Tone"},
    {25, "Pedal", "Boost"},
    {26, "Pedal", "Split", Shows::Convert, {}, BassValues::Split},
    {27, "Pre-Effect", "Wah Position"},
    {28, "Pre-Effect", "Mode", Shows::List, B::PreEffectModes},
    {29, "Pre-Effect", "Depth"},
    {30, "Pre-Effect", "Speed"},
    {31, "Pre-Effect", "Base"},
    {32, "Post-Effect", "Mode", Shows::List, B::PostEffectModes},
    {33, "Post-Effect", "Effect 1"},
    {34, "Post-Effect", "Effect 2"},
    {35, "Post-Effect", "Effect 3"},
    {36, "Post-Effect", "Effect 4"},
    {37, "Post-Effect", "Effect 5"},
    {38, "Post-Effect", "Effect 6"},
    {39, "Post-Effect", "Effect 7"},
};

// Guitar and bass globals share the layout; only the bass has input gain.
const std::vector<MonitorParam> GlobalParams = {
    {1, "Global", "Parameter 1"},
    {2, "Global", "Volume"},
    {3, "Tuner", "Volume"},
    {4, "Tuner", "Centre Frequency", Shows::Tuner},
    {5, "Global", "Configuration"},
    {6, "Live EQ", "Treble"},
    {7, "Live EQ", "Mid"},
    {8, "Live EQ", "Bass"},
    {9, "Global", "Digital Output"},
    {10, "Global", "Input Gain"},
};

// Controllers that address no parameter but that the program sends.
constexpr int TapTempoCc = 64;
struct LooperCc {
    int controller;
    const char* key;
};
constexpr std::array<LooperCc, 6> LooperControllers{{
    {55, "REC"}, {56, "LOOP"}, {57, "STOP"}, {58, "HALF"}, {59, "BACK"}, {60, "PLAY"},
}};

constexpr int TunerProgram = 127;
constexpr int TunerBaseHz = 425;
constexpr int TunerCcOffset = 25;
constexpr int FirstPresetCc = 12;
constexpr int LastPresetCc = 81;

const MonitorParam* find(const std::vector<MonitorParam>& params, int mcix)
{
    for (const MonitorParam& p : params)
        if (p.mcix == mcix)
            return &p;
    return nullptr;
}

std::string format(const char* f, auto... args)
{
    char line[256];
    std::snprintf(line, sizeof line, f, args...);
    return line;
}

std::string modelText(int model)
{
    return format("%02Xh", model);
}

std::string notTheUnits(const std::string& what, const std::string& reason)
{
    return what + " - not the unit's: " + reason;
}

std::string valueText(const MonitorParam& p, int v, const MonitorUnit& unit)
{
    switch (p.shows) {
    case Shows::Number:
        break;
    case Shows::Switch:
        return v != 0 ? "on" : "off";
    case Shows::List:
        if (v >= 0 && v < static_cast<int>(p.list.size()))
            return std::string(p.list[static_cast<size_t>(v)]);
        break;
    case Shows::Convert: {
        ConversionContext context;
        context.timeUnit = unit.timeUnit;
        context.decimalSeparator = QLatin1Char('.');
        if (const std::optional<QString> text = p.pair.valToText(v, context))
            return text->toLatin1().toStdString();
        break;
    }
    case Shows::Tuner:
        if (unit.timeUnit == 2)
            return std::to_string(v + TunerCcOffset);
        return std::to_string(v + TunerBaseHz) + " Hz";
    }
    return std::to_string(v);
}

std::string parameterText(const MonitorParam* p, int v, const MonitorUnit& unit)
{
    return std::string(p->module) + ": " + p->name + " = " + valueText(*p, v, unit);
}

// ---- knobs that depend on another parameter ----

std::string converted(const ConversionPair& pair, int v, const MonitorUnit& unit, int modulationType = 0)
{
    ConversionContext context;
    context.timeUnit = unit.timeUnit;
    context.modulationType = modulationType;
    context.decimalSeparator = QLatin1Char('.');
    if (const std::optional<QString> text = pair.valToText(v, context))
        return text->toLatin1().toStdString();
    return std::to_string(v);
}

// The selector's value when it is known, held to its list as the parameter
// holds it to its range.
std::optional<int> selector(const MonitorMemory& mem, int mcix, size_t entries)
{
    const std::optional<int> v = mem.value(mcix);
    if (!v)
        return std::nullopt;
    return std::min(*v, static_cast<int>(entries) - 1);
}

std::string unused(const MonitorParam* p, int v, std::string_view by)
{
    return std::string(p->module) + ": " + p->name + " = " + std::to_string(v) + " (not used by " +
           std::string(by) + ")";
}

// A half of a delay time: the whole time when the other half is known.
std::string delayHalf(const char* module, const char* name, bool upper, int v, std::optional<int> other,
                      const ConversionPair& pair, const MonitorUnit& unit)
{
    const char* half = upper ? "upper 7 bits" : "lower 7 bits";
    if (!other)
        return format("%s: %s, %s = %d", module, name, half, v);
    const int whole = upper ? 128 * v + *other : 128 * *other + v;
    return format("%s: %s = %s (%s = %d)", module, name, converted(pair, whole, unit).c_str(), half, v);
}

constexpr int GuitarGain = 1;
constexpr int GuitarTreble = 2;
constexpr int GuitarMid = 3;
constexpr int GuitarBass = 4;
constexpr int GuitarPresence = 6;
constexpr int GuitarAmpModel = 8;
constexpr int GuitarPreEffectType = 17;
constexpr int GuitarFirstPreEffectKnob = 18;
constexpr int GuitarDelayType = 22;
constexpr int GuitarDelayHigh = 23;
constexpr int GuitarDelayLow = 24;
constexpr int GuitarSpread = 25;
constexpr int GuitarModulationType = 28;
constexpr int GuitarModulationSpeed = 29;
constexpr int GuitarModulationDepth = 30;
constexpr int GuitarModulationFeedback = 31;

std::optional<std::string> guitarInContext(const MonitorParam* p, int v, const MonitorUnit& unit,
                                           const MonitorMemory& mem)
{
    using namespace GuitarEditorTexts;
    const int m = p->mcix;
    if (m == GuitarGain || m == GuitarTreble || m == GuitarMid || m == GuitarBass || m == GuitarPresence) {
        const size_t models = unit.model == ModelDrux ? FirstGenerationAmpModels : AmpModels.size();
        if (selector(mem, GuitarAmpModel, models) == AmpBypass)
            return unused(p, v, AmpModels[AmpBypass]);
        return std::nullopt;
    }
    if (m >= GuitarFirstPreEffectKnob && m < GuitarFirstPreEffectKnob + 4) {
        const std::optional<int> type = selector(mem, GuitarPreEffectType, PreEffectTypes.size());
        if (!type)
            return std::nullopt;
        const PreEffectKnob& k = PreEffectKnobs[static_cast<size_t>(*type)][static_cast<size_t>(m - GuitarFirstPreEffectKnob)];
        const bool on = k.use == PreEffectKnob::On || (k.use == PreEffectKnob::OnNewerModels && unit.model != ModelDrux);
        if (!on)
            return unused(p, v, PreEffectTypes[static_cast<size_t>(*type)]);
        return std::string(p->module) + ": " + std::string(k.caption) + " = " +
               converted(k.conversion ? *k.conversion : GuitarValues::Midi, v, unit);
    }
    if (m == GuitarDelayHigh || m == GuitarDelayLow)
        return delayHalf(p->module, "Delay-Time", m == GuitarDelayHigh, v,
                         mem.value(m == GuitarDelayHigh ? GuitarDelayLow : GuitarDelayHigh), GuitarValues::DelT, unit);
    if (m == GuitarSpread) {
        const std::optional<int> type = selector(mem, GuitarDelayType, DelayTypes.size());
        if (type && *type != SimpleDelay)
            return unused(p, v, DelayTypes[static_cast<size_t>(*type)]);
        return std::nullopt;
    }
    if (m >= GuitarModulationSpeed && m <= GuitarModulationFeedback) {
        const std::optional<int> type = selector(mem, GuitarModulationType, ModulationTypes.size());
        if (!type)
            return std::nullopt;
        const ModulationKnobs use = ModulationKnobsFor(*type);
        if ((m == GuitarModulationDepth && !use.depth) || (m == GuitarModulationFeedback && !use.feedback))
            return unused(p, v, ModulationTypes[static_cast<size_t>(*type)]);
        if (m == GuitarModulationSpeed)
            return std::string(p->module) + ": " + p->name + " = " + converted(GuitarValues::FxSpd, v, unit, *type);
    }
    return std::nullopt;
}

constexpr int BassWahPosition = 27;
constexpr int BassPreEffectMode = 28;
constexpr int BassWahDepth = 29;
constexpr int BassWahBase = 31;
constexpr int BassPostEffectMode = 32;
constexpr int BassFirstEffectKnob = 33;
constexpr int BassDelayHigh = 38;
constexpr int BassDelayLow = 39;
constexpr int BassSynthInterval = 36;
constexpr int BassSynthKey = 37;

std::optional<std::string> bassInContext(const MonitorParam* p, int v, const MonitorUnit& unit,
                                         const MonitorMemory& mem)
{
    using namespace BassEditorTexts;
    const int m = p->mcix;
    if (m >= BassWahPosition && m <= BassWahBase && m != BassPreEffectMode) {
        const std::optional<int> mode = selector(mem, BassPreEffectMode, PreEffectModes.size());
        // The MIDI wah's knob is the pedal's position, the others' the depth.
        if (mode && (*mode == MidiWah) != (m == BassWahPosition))
            return unused(p, v, PreEffectModes[static_cast<size_t>(*mode)]);
        if (mode && m == BassWahPosition)
            return std::string(p->module) + ": Wah = " + std::to_string(v);
        return std::nullopt;
    }
    if (m < BassFirstEffectKnob || m >= BassFirstEffectKnob + 7)
        return std::nullopt;
    const std::optional<int> mode = selector(mem, BassPostEffectMode, PostEffectModes.size());
    if (!mode)
        return std::nullopt;
    const std::string prefix = std::string(p->module) + ": ";
    if ((*mode == DelayChorus || *mode == StereoDelay) && (m == BassDelayHigh || m == BassDelayLow))
        return delayHalf(p->module, "Del.Time", m == BassDelayHigh, v,
                         mem.value(m == BassDelayHigh ? BassDelayLow : BassDelayHigh), BassValues::DelL, unit);
    if (*mode == Synth && m == BassSynthInterval) {
        const std::optional<int> key = mem.value(BassSynthKey);
        if (!key)
            return prefix + "Interval = " + std::to_string(v);
        return prefix + "Interval = " + converted(*key != 0 ? BassValues::Trans : BassValues::Semi, v, unit);
    }
    const PostEffectKnob& k = PostEffectKnobs[static_cast<size_t>(*mode)][static_cast<size_t>(m - BassFirstEffectKnob)];
    if (k.caption.empty())
        return unused(p, v, PostEffectModes[static_cast<size_t>(*mode)]);
    return prefix + std::string(k.caption) + " = " + converted(k.conversion ? *k.conversion : BassValues::Midi, v, unit);
}

std::string presetParameterText(const MonitorParam* p, int v, const MonitorUnit& unit, const MonitorMemory* mem)
{
    // The first-generation unit knows the first amp models only.
    if (unit.model == ModelDrux && p->mcix == GuitarAmpModel && v >= GuitarEditorTexts::FirstGenerationAmpModels)
        return std::string(p->module) + ": " + p->name + " = " + std::to_string(v);
    if (mem) {
        const auto text = IsBassModel(unit.model) ? bassInContext(p, v, unit, *mem) : guitarInContext(p, v, unit, *mem);
        if (text)
            return *text;
    }
    return parameterText(p, v, unit);
}

std::string trimmed(std::string text)
{
    while (!text.empty() && static_cast<uint8_t>(text.back()) <= ' ')
        text.pop_back();
    return text;
}

// A name character: where it lands when its position has been seen, and the
// whole name once the last position is filled, as the editor takes it.
std::string nameText(int v, const MonitorMemory::Name* name)
{
    if (v < NameLength)
        return format("preset name: position %d", v);
    const std::string ch = UnitToHostName(std::string(1, static_cast<char>(v)));
    if (!name || name->position < 0)
        return "preset name: character '" + ch + "'";
    std::string text = format("preset name: character %d = '", name->position) + ch + "'";
    if (name->position == NameLength - 1) {
        std::array<char, 17> chars = name->chars;
        chars[static_cast<size_t>(NameLength - 1)] = static_cast<char>(v);
        text += ", complete: \"" + trimmed(UnitToHostName(std::string_view(chars.data()))) + "\"";
    }
    return text;
}

// A controller on the unit's channel, read as HandleController reads it.
std::string controllerText(int c, int v, const MonitorUnit& unit, const MonitorMemory* mem, MidiDirection direction)
{
    if (c == ReportAllCc && v == ReportAllCc)
        return "report all parameters";
    if (c == NameCc)
        return nameText(v, mem ? &mem->names[direction == MidiDirection::In ? 0 : 1] : nullptr);
    const bool bass = IsBassModel(unit.model);
    int m = bass ? CcInBass[static_cast<size_t>(c)] : CcInGuitar[static_cast<size_t>(c)];
    // Controller 17 follows the model, whatever the editor last set.
    if (!bass && c == 17)
        m = unit.model == ModelDrux ? 9 : 6;
    if (m != 0) {
        if (c < FirstPresetCc || c > LastPresetCc) {
            if (const MonitorParam* p = find(GlobalParams, m); p && (bass || m < 10))
                return parameterText(p, c == 83 ? v - TunerCcOffset : v, unit);
        } else if (!bass) {
            if (const MonitorParam* p = find(GuitarPresetParams, m))
                return presetParameterText(p, v, unit, mem);
        } else if (c == 20) {
            if (v == 8 || v == 9)
                return parameterText(find(BassPresetParams, 28), v - 7, unit);
            return parameterText(find(BassPresetParams, 32), v < 8 ? v : v - 2, unit);
        } else if (const MonitorParam* p = find(BassPresetParams, m)) {
            return presetParameterText(p, c == 37 ? v / 7 : v, unit, mem);
        }
    }
    if (c == TapTempoCc)
        return format("Tap Tempo = %d", v);
    if (bass)
        for (const LooperCc& l : LooperControllers)
            if (l.controller == c)
                return format("Looper: %s = %d", l.key, v);
    return format("controller %d = %d: no parameter", c, v);
}

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

// ---- SysEx ----

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
                       : " = " + valueText(*find(GlobalParams, 4), v - TunerCcOffset, unit);
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
    const bool bass = IsBassModel(unit.model);
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
    int mcix = bass ? CcInBass[static_cast<size_t>(c)] : CcInGuitar[static_cast<size_t>(c)];
    int value = v;
    if (!bass && c == 17)
        mcix = unit.model == ModelDrux ? 9 : 6;
    if (bass && c == 20) {
        if (v == 8 || v == 9) {
            mcix = BassPreEffectMode;
            value = v - 7;
        } else {
            mcix = BassPostEffectMode;
            value = v < 8 ? v : v - 2;
        }
    } else if (bass && c == 37) {
        value = v / 7;
    }
    if (mcix > 0 && mcix < MonitorMemory::Parameters)
        memory.preset[static_cast<size_t>(mcix)] = value;
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
