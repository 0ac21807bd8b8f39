// The monitor's reading of controllers: the parameters as the editors and
// the settings window caption them, and the knobs whose meaning depends on
// another parameter, shown with what the traffic told before.
#include <algorithm>
#include <array>
#include <optional>
#include <span>
#include <string_view>

#include "editor/BassEditorFormTables.h"
#include "editor/EditorFormTables.h"
#include "editor/ValueConversions.h"
#include "model/Controllers.h"
#include "model/ParameterTables.h"
#include "model/Presets.h"
#include "monitor/MonitorReading.h"

namespace MonitorReading {
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
namespace G = GuitarPreset;
namespace BP = BassPreset;
namespace BG = BassGlobal;

// Guitar preset, by Mcix. The pre-effect knobs change their captions with
// the pre-effect type: both are named.
const std::vector<MonitorParam> GuitarPresetParams = {
    {G::Gain, "Amplifier", "Gain"},
    {G::Treble, "Amplifier", "Treble"},
    {G::Mid, "Amplifier", "Mid"},
    {G::Bass, "Amplifier", "Bass"},
    {G::Volume, "Amplifier", "Volume"},
    {G::Presence, "Amplifier", "Presence"},
    {G::ReverbMix, "Cabinet / Reverb", "Mix"},
    {G::AmpModel, "Amplifier", "Amp Model", Shows::List, AmpModels},
    {G::EffectSelection, "Effects", "Control Assigment", Shows::List, ControlAssignments},
    {G::EffectsOn, "Effects", "FX ON", Shows::Switch},
    {G::ReverbOn, "Cabinet / Reverb", "REVERB ON", Shows::Switch},
    {G::Cabinet, "Cabinet / Reverb", "Cabinet", Shows::List, Cabinets},
    {G::ReverbType, "Cabinet / Reverb", "REVERB TYPE", Shows::List, ReverbTypes},
    {G::NoiseGate, "Gate / Wah", "Threshold", Shows::Convert, {}, GuitarValues::Gate},
    {G::DriveOn, "Amplifier", "Drive", Shows::Switch},
    {G::WahPosition, "Gate / Wah", "Wah Position"},
    {G::PreEffectType, "Pre-Effect", "Type", Shows::List, PreEffectTypes},
    {G::PreEffectSpeed, "Pre-Effect", "Sense / Speed"},
    {G::PreEffectDepth, "Pre-Effect", "Attack / Depth"},
    {G::PreEffectOffset, "Pre-Effect", "Offset"},
    {G::PreEffectFrequency, "Pre-Effect", "Frequency"},
    {G::DelayType, "Delay", "Type", Shows::List, DelayTypes},
    {G::DelayTimeUpper, "Delay", "Delay-Time, upper 7 bits"},
    {G::DelayTimeLower, "Delay", "Delay-Time, lower 7 bits"},
    {G::DelaySpread, "Delay", "Spread"},
    {G::DelayFeedback, "Delay", "FeedBack"},
    {G::DelayMix, "Delay", "Mix"},
    {G::ModulationType, "Modulation", "Type", Shows::List, ModulationTypes},
    {G::ModulationSpeed, "Modulation", "Speed"},
    {G::ModulationDepth, "Modulation", "Depth"},
    {G::ModulationFeedback, "Modulation", "FeedBack"},
    {G::ModulationMix, "Modulation", "Mix"},
};

// The effect knobs of the bass change their captions with the post-effect
// mode: they go by their number.
const std::vector<MonitorParam> BassPresetParams = {
    {BP::Gain, "Preamp", "Gain"},
    {BP::Treble, "Preamp", "Treble"},
    {BP::Mid, "Preamp", "Mid"},
    {BP::Bass, "Preamp", "Bass"},
    {BP::Volume, "Preamp", "Volume"},
    {BP::Presence, "Preamp", "Presence"},
    {BP::CompDensity, "Compressor", "Density"},
    {BP::AmpModel, "Preamp", "Amp Model", Shows::List, B::AmpModels},
    {BP::MidShift, "Preamp", "Mid-Shift"},
    {BP::Deep, "Preamp", "Deep"},
    {BP::CompAttack, "Compressor", "Attack"},
    {BP::EffectsOn, "Cabinet", "Global Fx On/Off", Shows::Switch},
    {BP::CompOn, "Compressor", "On", Shows::Switch},
    {BP::Cabinet, "Cabinet", "Cabinet Model", Shows::List, B::Cabinets},
    {BP::XoverFrequency, "Crossover", "Frequency", Shows::Convert, {}, BassValues::Freq},
    {BP::XoverBalance, "Crossover", "Balance", Shows::Convert, {}, BassValues::Prct},
    {BP::Expander, "Denoiser", "Expander", Shows::Convert, {}, BassValues::Exp},
    {BP::Sensitivity, "Denoiser", "Sensivity"},
    {BP::DenoiserRange, "Denoiser", "Range"},
    {BP::Pedal, "Pedal", "Pedal Simulation", Shows::List, B::PedalSims},
    {BP::StompDrive, "Pedal", "Drive"},
    {BP::StompTone, "Pedal", "Tone"},
    {BP::StompBoost, "Pedal", "Boost"},
    {BP::StompSplit, "Pedal", "Split", Shows::Convert, {}, BassValues::Split},
    {BP::WahPosition, "Pre-Effect", "Wah Position"},
    {BP::PreFxMode, "Pre-Effect", "Mode", Shows::List, B::PreEffectModes},
    {BP::WahDepth, "Pre-Effect", "Depth"},
    {BP::WahSpeed, "Pre-Effect", "Speed"},
    {BP::WahBase, "Pre-Effect", "Base"},
    {BP::PostFxMode, "Post-Effect", "Mode", Shows::List, B::PostEffectModes},
    {BP::Fx1, "Post-Effect", "Effect 1"},
    {BP::Fx2, "Post-Effect", "Effect 2"},
    {BP::Fx3, "Post-Effect", "Effect 3"},
    {BP::Fx4, "Post-Effect", "Effect 4"},
    {BP::Fx5, "Post-Effect", "Effect 5"},
    {BP::Fx6, "Post-Effect", "Effect 6"},
    {BP::Fx7, "Post-Effect", "Effect 7"},
};

// Guitar and bass globals share the layout; only the bass has input gain.
const std::vector<MonitorParam> GlobalParams = {
    {BG::Global1, "Global", "Parameter 1"},
    {BG::MasterVolume, "Global", "Volume"},
    {BG::TunerVolume, "Tuner", "Volume"},
    {BG::TunerCenter, "Tuner", "Centre Frequency", Shows::Tuner},
    {BG::Configuration, "Global", "Configuration"},
    {BG::LiveTreble, "Live EQ", "Treble"},
    {BG::LiveMid, "Live EQ", "Mid"},
    {BG::LiveBass, "Live EQ", "Bass"},
    {BG::DigitalOut, "Global", "Digital Output"},
    {BG::InputGain, "Global", "Input Gain"},
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

constexpr int TunerBaseHz = 425;

// Bass controller 20 carries both effect modes, bass controller 37 the
// stomp split times seven.
constexpr int BassFxModeCc = 20;
constexpr int BassStompSplitCc = 37;
constexpr int StompSplitStep = 7;

const MonitorParam* find(const std::vector<MonitorParam>& params, int mcix)
{
    for (const MonitorParam& p : params)
        if (p.mcix == mcix)
            return &p;
    return nullptr;
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

std::optional<std::string> guitarInContext(const MonitorParam* p, int v, const MonitorUnit& unit,
                                           const MonitorMemory& mem)
{
    using namespace GuitarEditorTexts;
    const int m = p->mcix;
    if (m == G::Gain || m == G::Treble || m == G::Mid || m == G::Bass || m == G::Presence) {
        const size_t models = unit.model == ModelDrux ? FirstGenerationAmpModels : AmpModels.size();
        if (selector(mem, G::AmpModel, models) == AmpBypass)
            return unused(p, v, AmpModels[AmpBypass]);
        return std::nullopt;
    }
    if (m >= G::PreEffectSpeed && m <= G::PreEffectFrequency) {
        const std::optional<int> type = selector(mem, G::PreEffectType, PreEffectTypes.size());
        if (!type)
            return std::nullopt;
        const PreEffectKnob& k = PreEffectKnobs[static_cast<size_t>(*type)][static_cast<size_t>(m - G::PreEffectSpeed)];
        const bool on = k.use == PreEffectKnob::On || (k.use == PreEffectKnob::OnNewerModels && unit.model != ModelDrux);
        if (!on)
            return unused(p, v, PreEffectTypes[static_cast<size_t>(*type)]);
        return std::string(p->module) + ": " + std::string(k.caption) + " = " +
               converted(k.conversion ? *k.conversion : GuitarValues::Midi, v, unit);
    }
    if (m == G::DelayTimeUpper || m == G::DelayTimeLower)
        return delayHalf(p->module, "Delay-Time", m == G::DelayTimeUpper, v,
                         mem.value(m == G::DelayTimeUpper ? G::DelayTimeLower : G::DelayTimeUpper), GuitarValues::DelT, unit);
    if (m == G::DelaySpread) {
        const std::optional<int> type = selector(mem, G::DelayType, DelayTypes.size());
        if (type && *type != SimpleDelay)
            return unused(p, v, DelayTypes[static_cast<size_t>(*type)]);
        return std::nullopt;
    }
    if (m >= G::ModulationSpeed && m <= G::ModulationFeedback) {
        const std::optional<int> type = selector(mem, G::ModulationType, ModulationTypes.size());
        if (!type)
            return std::nullopt;
        const ModulationKnobs use = ModulationKnobsFor(*type);
        if ((m == G::ModulationDepth && !use.depth) || (m == G::ModulationFeedback && !use.feedback))
            return unused(p, v, ModulationTypes[static_cast<size_t>(*type)]);
        if (m == G::ModulationSpeed)
            return std::string(p->module) + ": " + p->name + " = " + converted(GuitarValues::FxSpd, v, unit, *type);
    }
    return std::nullopt;
}

std::optional<std::string> bassInContext(const MonitorParam* p, int v, const MonitorUnit& unit,
                                         const MonitorMemory& mem)
{
    using namespace BassEditorTexts;
    const int m = p->mcix;
    if (m >= BP::WahPosition && m <= BP::WahBase && m != BP::PreFxMode) {
        const std::optional<int> mode = selector(mem, BP::PreFxMode, PreEffectModes.size());
        // The MIDI wah's knob is the pedal's position, the others' the depth.
        if (mode && (*mode == MidiWah) != (m == BP::WahPosition))
            return unused(p, v, PreEffectModes[static_cast<size_t>(*mode)]);
        if (mode && m == BP::WahPosition)
            return std::string(p->module) + ": Wah = " + std::to_string(v);
        return std::nullopt;
    }
    if (m < BP::Fx1 || m > BP::Fx7)
        return std::nullopt;
    const std::optional<int> mode = selector(mem, BP::PostFxMode, PostEffectModes.size());
    if (!mode)
        return std::nullopt;
    const std::string prefix = std::string(p->module) + ": ";
    if ((*mode == DelayChorus || *mode == StereoDelay) && (m == BP::DelayTimeUpper || m == BP::DelayTimeLower))
        return delayHalf(p->module, "Del.Time", m == BP::DelayTimeUpper, v,
                         mem.value(m == BP::DelayTimeUpper ? BP::DelayTimeLower : BP::DelayTimeUpper), BassValues::DelL, unit);
    if (*mode == Synth && m == BP::Fx4) {
        const std::optional<int> key = mem.value(BP::Fx5);
        if (!key)
            return prefix + "Interval = " + std::to_string(v);
        return prefix + "Interval = " + converted(*key != 0 ? BassValues::Trans : BassValues::Semi, v, unit);
    }
    const PostEffectKnob& k = PostEffectKnobs[static_cast<size_t>(*mode)][static_cast<size_t>(m - BP::Fx1)];
    if (k.caption.empty())
        return unused(p, v, PostEffectModes[static_cast<size_t>(*mode)]);
    return prefix + std::string(k.caption) + " = " + converted(k.conversion ? *k.conversion : BassValues::Midi, v, unit);
}

std::string presetParameterText(const MonitorParam* p, int v, const MonitorUnit& unit, const MonitorMemory* mem)
{
    // The first-generation unit knows the first amp models only.
    if (unit.model == ModelDrux && p->mcix == G::AmpModel && v >= GuitarEditorTexts::FirstGenerationAmpModels)
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

} // namespace

PresetValue presetControllerValue(int c, int v, int model)
{
    const bool bass = IsBassModel(model);
    if (bass && c == BassFxModeCc) {
        if (v == 8 || v == 9)
            return {BP::PreFxMode, v - 7};
        return {BP::PostFxMode, v < 8 ? v : v - 2};
    }
    // Controller 17 follows the model, whatever the editor last set.
    return {CcInFor(model, c), bass && c == BassStompSplitCc ? v / StompSplitStep : v};
}

std::string globalValueText(int mcix, int v, const MonitorUnit& unit)
{
    const MonitorParam* p = find(GlobalParams, mcix);
    return p ? valueText(*p, v, unit) : std::to_string(v);
}

std::string controllerText(int c, int v, const MonitorUnit& unit, const MonitorMemory* mem, MidiDirection direction)
{
    if (c == ReportAllCc && v == ReportAllCc)
        return "report all parameters";
    if (c == NameCc)
        return nameText(v, mem ? &mem->names[direction == MidiDirection::In ? 0 : 1] : nullptr);
    const bool bass = IsBassModel(unit.model);
    if (c < FirstPresetCc || c > LastPresetCc) {
        const int m = CcInFor(unit.model, c);
        if (const MonitorParam* p = find(GlobalParams, m); p && (bass || m < GuitarGlobal::Count))
            return parameterText(p, m == BG::TunerCenter ? v - TunerCcOffset : v, unit);
    } else if (const PresetValue target = presetControllerValue(c, v, unit.model); target.mcix != 0) {
        if (const MonitorParam* p = find(bass ? BassPresetParams : GuitarPresetParams, target.mcix))
            return presetParameterText(p, target.value, unit, mem);
    }
    if (c == TapTempoCc)
        return format("Tap Tempo = %d", v);
    if (bass)
        for (const LooperCc& l : LooperControllers)
            if (l.controller == c)
                return format("Looper: %s = %d", l.key, v);
    return format("controller %d = %d: no parameter", c, v);
}

} // namespace MonitorReading
