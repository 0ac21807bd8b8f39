// The four module tables, as data, and the controller tables derived from them.
#include "model/ParameterTables.h"

#include "model/Controllers.h"
#include "model/DeviceConnection.h"

namespace {
constexpr unsigned CC = CcMapped;
constexpr unsigned SW = Switch | CcMapped;
constexpr unsigned SEL = Selector | CcMapped;

namespace G = GuitarPreset;
namespace GG = GuitarGlobal;
namespace B = BassPreset;
namespace BG = BassGlobal;

constexpr ParamRow guitarPreset[] = {
    // parameter            max   init flags hook              out  in
    {G::Gain,               127,  0,   CC,   nullptr,          12, {12}},
    {G::Treble,             127,  0,   CC,   nullptr,          13, {13}},
    {G::Mid,                127,  0,   CC,   nullptr,          14, {14}},
    {G::Bass,               127,  0,   CC,   nullptr,          15, {15}},
    {G::Volume,             127,  0,   CC,   nullptr,          16, {16}},
    {G::Presence,           127,  0,   CC,   nullptr,          17, {17}},
    {G::ReverbMix,          127,  0,   CC,   nullptr,          18, {18}},
    {G::AmpModel,           32,   0,   SEL,  nullptr,          61, {19, 61}},
    {G::EffectSelection,    15,   0,   SEL,  nullptr,          60, {20, 60}},
    {G::EffectsOn,          1,    0,   SW,   nullptr,          21, {21}},
    {G::ReverbOn,           1,    0,   SW,   nullptr,          22, {22}},
    {G::Cabinet,            15,   0,   CC,   nullptr,          23, {23}},
    {G::ReverbType,         8,    0,   CC,   nullptr,          24, {24}},
    {G::NoiseGate,          15,   0,   CC,   nullptr,          25, {25}},
    {G::DriveOn,            1,    0,   SW,   nullptr,          26, {26}},
    {G::WahPosition,        127,  0,   CC,   nullptr,          27, {27}},
    {G::PreEffectType,      2,    0,   CC,   nullptr,          44, {44}},
    {G::PreEffectSpeed,     127,  0,   CC,   nullptr,          45, {45}},
    {G::PreEffectDepth,     127,  0,   CC,   nullptr,          46, {46}},
    {G::PreEffectOffset,    127,  64,  CC,   nullptr,          47, {47}},
    {G::PreEffectFrequency, 127,  0,   CC,   nullptr,          48, {48}},
    {G::DelayType,          2,    0,   CC,   nullptr,          49, {49}},
    {G::DelayTimeUpper,     127,  0,   CC,   DelayHalvesHook,  50, {50}},
    {G::DelayTimeLower,     127,  0,   CC,   DelayHalvesHook,  51, {51}},
    {G::DelaySpread,        127,  0,   CC,   nullptr,          52, {52}},
    {G::DelayFeedback,      127,  0,   CC,   nullptr,          53, {53}},
    {G::DelayMix,           127,  0,   CC,   nullptr,          54, {54}},
    {G::ModulationType,     6,    0,   CC,   nullptr,          55, {55}},
    {G::ModulationSpeed,    127,  0,   CC,   nullptr,          56, {56}},
    {G::ModulationDepth,    127,  0,   CC,   nullptr,          57, {57}},
    {G::ModulationFeedback, 127,  64,  CC,   nullptr,          58, {58}},
    {G::ModulationMix,      127,  0,   CC,   nullptr,          59, {59}},
    {G::DelayTime,          0x3AFF, 0, 0,    DelayWholeHook,   0,  {}},
};

// The tuner centre goes out and comes in as v + 25.
constexpr ParamRow guitarGlobal[] = {
    // parameter        max  init flags hook     out  in
    {GG::Global1,       127, 0,   CC,   nullptr, 1,  {1}},
    {GG::MasterVolume,  127, 0,   CC,   nullptr, 7,  {7}},
    {GG::TunerVolume,   127, 0,   CC,   nullptr, 82, {82}},
    {GG::TunerCenter,   30,  15,  CC,   nullptr, 83, {83}},
    {GG::Configuration, 4,   0,   CC,   nullptr, 84, {84}},
    {GG::LiveTreble,    127, 0,   CC,   nullptr, 85, {85}},
    {GG::LiveMid,       127, 0,   CC,   nullptr, 86, {86}},
    {GG::LiveBass,      127, 0,   CC,   nullptr, 87, {87}},
    {GG::DigitalOut,    7,   0,   CC,   nullptr, 88, {88}},
};

constexpr ParamRow bassGlobal[] = {
    // parameter        max  init flags hook     out  in
    {BG::Global1,       127, 0,   CC,   nullptr, 1,  {1}},
    {BG::MasterVolume,  127, 0,   CC,   nullptr, 7,  {7}},
    {BG::TunerVolume,   127, 0,   CC,   nullptr, 82, {82}},
    {BG::TunerCenter,   30,  15,  CC,   nullptr, 83, {83}},
    {BG::Configuration, 5,   0,   CC,   nullptr, 84, {84}}, // one more than the guitar units
    {BG::LiveTreble,    127, 0,   CC,   nullptr, 85, {85}},
    {BG::LiveMid,       127, 0,   CC,   nullptr, 86, {86}},
    {BG::LiveBass,      127, 0,   CC,   nullptr, 87, {87}},
    {BG::DigitalOut,    7,   0,   CC,   nullptr, 88, {88}},
    {BG::InputGain,     127, 0,   CC,   nullptr, 89, {89}},
};

// Controller 20 carries both effect modes (HandleController splits it); the
// stomp split goes out as 7 x v and comes in as v / 7.
constexpr ParamRow bassPreset[] = {
    // parameter            max     init flags hook                 out  in
    {B::Gain,               127,    0,   CC,   nullptr,             12, {12}},
    {B::Treble,             127,    0,   CC,   nullptr,             13, {13}},
    {B::Mid,                127,    0,   CC,   nullptr,             14, {14}},
    {B::Bass,               127,    0,   CC,   nullptr,             15, {15}},
    {B::Volume,             127,    0,   CC,   nullptr,             16, {16}},
    {B::Presence,           127,    0,   CC,   nullptr,             17, {17}},
    {B::CompDensity,        127,    0,   CC,   nullptr,             18, {18}},
    {B::AmpModel,           32,     0,   SEL,  nullptr,             61, {19, 61}},
    {B::MidShift,           127,    0,   CC,   nullptr,             24, {24}},
    {B::Deep,               127,    0,   CC,   nullptr,             22, {22}},
    {B::CompAttack,         127,    0,   CC,   nullptr,             26, {26}},
    {B::EffectsOn,          1,      0,   SW,   nullptr,             21, {21}},
    {B::CompOn,             1,      0,   SW,   nullptr,             38, {38}},
    {B::Cabinet,            23,     0,   CC,   nullptr,             23, {23}},
    {B::XoverFrequency,     99,     0,   CC,   nullptr,             28, {28}},
    {B::XoverBalance,       127,    0,   CC,   nullptr,             29, {29}},
    {B::Expander,           15,     0,   CC,   nullptr,             25, {25}},
    {B::Sensitivity,        127,    0,   CC,   nullptr,             30, {30}},
    {B::DenoiserRange,      127,    0,   CC,   nullptr,             31, {31}},
    {B::Pedal,              4,      0,   CC,   nullptr,             33, {33}},
    {B::StompDrive,         127,    0,   CC,   nullptr,             34, {34}},
    {B::StompTone,          127,    0,   CC,   nullptr,             35, {35}},
    {B::StompBoost,         127,    0,   CC,   nullptr,             36, {36}},
    {B::StompSplit,         17,     0,   CC,   nullptr,             37, {37}},
    {B::WahPosition,        127,    0,   CC,   nullptr,             27, {27}},
    {B::PreFxMode,          2,      0,   SEL,  nullptr,             48, {48}},
    {B::WahDepth,           127,    0,   CC,   nullptr,             49, {49}},
    {B::WahSpeed,           127,    0,   CC,   nullptr,             50, {50}},
    {B::WahBase,            127,    0,   CC,   nullptr,             51, {51}},
    {B::PostFxMode,         15,     0,   SEL,  nullptr,             39, {39, 20}},
    {B::Fx1,                127,    0,   CC,   nullptr,             40, {40}},
    {B::Fx2,                127,    0,   CC,   nullptr,             41, {41}},
    {B::Fx3,                127,    0,   CC,   nullptr,             42, {42}},
    {B::Fx4,                127,    0,   CC,   SynthParamHook,      43, {43}},
    {B::Fx5,                127,    0,   CC,   SynthParamHook,      44, {44}},
    {B::Fx6,                127,    0,   CC,   BassDelayHalvesHook, 45, {45}},
    {B::Fx7,                127,    0,   CC,   BassDelayHalvesHook, 46, {46}},
    {B::DelayTime,          0x3CFF, 0,   0,    BassDelayWholeHook,  0,  {}},
    {B::IntervalWithKey,    6,      0,   0,    SynthValueHook,      0,  {}},
    {B::IntervalWithoutKey, 6,      3,   0,    SynthValueHook,      0,  {}},
    {B::SynthKey,           12,     0,   0,    SynthKeyHook,        0,  {}},
};

// The two global modules share their layout, so that a parameter of either
// may go by the guitar's name.
constexpr bool globalsShareTheLayout()
{
    for (size_t i = 0; i < std::size(guitarGlobal); ++i)
        if (guitarGlobal[i].mcix != bassGlobal[i].mcix || guitarGlobal[i].ccOut != bassGlobal[i].ccOut)
            return false;
    return true;
}
static_assert(globalsShareTheLayout());

// Every incoming controller addresses one parameter, a global one below 12
// and above 81, a preset one between (HandleController tells them so).
constexpr bool controllersFitTheirModules(std::span<const ParamRow> global, std::span<const ParamRow> preset)
{
    std::array<bool, 128> taken{};
    for (auto rows : {global, preset})
        for (const ParamRow& r : rows)
            for (int c : r.ccIn) {
                if (c == 0)
                    continue;
                const bool globalCc = c < 12 || c > 81;
                if (taken.at(static_cast<size_t>(c)) || globalCc != (rows.data() == global.data()))
                    return false;
                taken[static_cast<size_t>(c)] = true;
            }
    return true;
}
static_assert(controllersFitTheirModules(guitarGlobal, guitarPreset));
static_assert(controllersFitTheirModules(bassGlobal, bassPreset));

// What the first-generation guitar unit (model 0x0D) does differently: a
// parameter's outgoing controller, one more incoming controller that takes
// the place of another parameter's, and a smaller range (Same: as the module
// table has it).
struct FirstGenerationRow {
    GuitarPreset::Mcix mcix;
    int ccOut;
    int ccIn;
    int max;
};
constexpr int Same = -1;

constexpr FirstGenerationRow firstGeneration[] = {
    // parameter            out  in    max
    {G::Presence,           0,   Same, Same},
    {G::AmpModel,           19,  Same, 15}, // the last of its 16 amp models
    {G::EffectSelection,    17,  17,   Same},
};

template <size_t N>
constexpr std::array<int, N> ccOut(std::span<const ParamRow> rows)
{
    std::array<int, N> out{};
    for (const ParamRow& r : rows)
        if (r.ccOut != 0)
            out.at(static_cast<size_t>(r.mcix)) = r.ccOut;
    return out;
}

// One table for the two modules of a family: the controller number tells
// the module (Controllers.h).
constexpr std::array<int, 128> ccIn(std::span<const ParamRow> global, std::span<const ParamRow> preset)
{
    std::array<int, 128> in{};
    for (auto rows : {global, preset})
        for (const ParamRow& r : rows)
            for (int c : r.ccIn)
                if (c != 0)
                    in.at(static_cast<size_t>(c)) = r.mcix;
    return in;
}

constexpr auto guitarCcIn = ccIn(guitarGlobal, guitarPreset);

constexpr const ParamRow& rowOf(std::span<const ParamRow> rows, int mcix)
{
    for (const ParamRow& r : rows)
        if (r.mcix == mcix)
            return r;
    return rows.front();
}
} // namespace

const std::span<const ParamRow> GuitarPresetRows = guitarPreset;
const std::span<const ParamRow> GuitarGlobalRows = guitarGlobal;
const std::span<const ParamRow> BassPresetRows = bassPreset;
const std::span<const ParamRow> BassGlobalRows = bassGlobal;

std::array<int, GuitarPreset::Count> PresetCcOut = ccOut<GuitarPreset::Count>(guitarPreset);
std::array<int, GuitarGlobal::Count> GlobalCcOut = ccOut<GuitarGlobal::Count>(guitarGlobal);
std::array<int, BassPresetControllers> BassPresetCcOut = ccOut<BassPresetControllers>(bassPreset);
std::array<int, BassGlobal::Count> BassGlobalCcOut = ccOut<BassGlobal::Count>(bassGlobal);

std::array<int, 128> CcInGuitar = guitarCcIn;
std::array<int, 128> CcInBass = ccIn(bassGlobal, bassPreset);

void AdaptTablesToModel(int model)
{
    const bool first = model == ModelDrux;
    for (const FirstGenerationRow& f : firstGeneration) {
        const ParamRow& r = rowOf(guitarPreset, f.mcix);
        PresetCcOut[static_cast<size_t>(f.mcix)] = first ? f.ccOut : r.ccOut;
        if (f.ccIn != Same) {
            const auto c = static_cast<size_t>(f.ccIn);
            CcInGuitar[c] = first ? f.mcix : guitarCcIn[c];
        }
        if (f.max != Same && ModuleTable[ModixPreset])
            Param(f.mcix).maximum = first ? f.max : r.max;
    }
}

int CcInFor(int model, int controller)
{
    if (controller < 0 || controller > 127)
        return 0;
    const auto c = static_cast<size_t>(controller);
    if (IsBassModel(model))
        return CcInBass[c];
    if (model == ModelDrux)
        for (const FirstGenerationRow& f : firstGeneration)
            if (f.ccIn == controller)
                return f.mcix;
    return guitarCcIn[c];
}
