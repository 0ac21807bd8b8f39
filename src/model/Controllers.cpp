#include "model/Controllers.h"

#include <initializer_list>

namespace {
// Controllers firstCc..lastCc address Mcix firstMcix, firstMcix + 1, ...
struct Range {
    int firstCc;
    int lastCc;
    int firstMcix;
};

constexpr std::array<int, 128> table(std::initializer_list<Range> ranges)
{
    std::array<int, 128> cc{};
    for (const Range& r : ranges)
        for (int c = r.firstCc; c <= r.lastCc; ++c)
            cc[c] = r.firstMcix + (c - r.firstCc);
    return cc;
}
}

std::array<int, 128> CcInGuitar = table({
    {1, 1, 1}, {7, 7, 2},                  // MGlobal
    {12, 18, 1}, {19, 19, 8}, {20, 20, 9}, // MPreset
    {21, 27, 10}, {44, 59, 17}, {60, 60, 9}, {61, 61, 8},
    {82, 88, 3},                           // MGlobal
});

std::array<int, 128> CcInBass = table({
    {1, 1, 1}, {7, 7, 2},                  // MBGlobal
    {12, 18, 1}, {19, 19, 8}, {20, 20, 32}, {21, 21, 14}, {22, 22, 11},
    {23, 23, 16}, {24, 24, 10}, {25, 25, 19}, {26, 26, 12}, {27, 27, 27},
    {28, 28, 17}, {29, 29, 18}, {30, 30, 20}, {31, 31, 21}, {33, 33, 22},
    {34, 36, 23}, {37, 37, 26}, {38, 38, 15}, {39, 39, 32}, {40, 46, 33},
    {48, 51, 28}, {61, 61, 8},
    {82, 89, 3},                           // MBGlobal
});

#include "model/DeviceConnection.h"
#include "model/EditorLink.h"
#include "model/Parameters.h"
#include "model/Presets.h"
#include "model/Trace.h"

std::array<std::array<uint8_t, 17>, 2> NameBuffer{};
std::array<int, 2> NamePosition{};
bool ProgramChangeRefresh = false;

namespace {
constexpr int TunerCenterCc = 83;
constexpr int TunerCenterOffset = 25;
constexpr int FirstPresetCc = 12;
constexpr int LastPresetCc = 81;

// Bass controller 20 carries both effect-mode selectors in one value range:
// below 8 the post-effect mode, 8 and 9 the pre-effect modes 1 and 2, from
// 10 on the post-effect modes 8 and up.
constexpr int BassFxModeCc = 20;
constexpr int BassPostFxMode = 32;
constexpr int BassPreFxMode = 28;
// Bass controller 37 carries the stomp split times seven.
constexpr int BassStompSplitCc = 37;
constexpr int BassStompSplit = 26;
constexpr int StompSplitStep = 7;

void applyToBassPreset(int c, int m, int v)
{
    if (c == BassFxModeCc) {
        if (v < 8)
            Param(ModixBassPreset, BassPostFxMode).SetValFromUnit(v);
        else if (v < 10)
            Param(ModixBassPreset, BassPreFxMode).SetValFromUnit(v - 7);
        else
            Param(ModixBassPreset, BassPostFxMode).SetValFromUnit(v - 2);
    } else if (c == BassStompSplitCc) {
        Param(ModixBassPreset, BassStompSplit).SetValFromUnit(v / StompSplitStep);
    } else {
        Param(ModixBassPreset, m).SetValFromUnit(v);
    }
}

bool globalController(int c) { return c < FirstPresetCc || c > LastPresetCc; }

int globalValue(int c, int v) { return c == TunerCenterCc ? v - TunerCenterOffset : v; }

void nameCharacter(int v)
{
    const bool bass = ActiveDevice.Model == ModelBass;
    if (!FamilyEditor(bass).exists())
        return;
    const int family = bass ? BassFamily : GuitarFamily;
    int& position = NamePosition[family];
    auto& buffer = NameBuffer[family];
    if (v < NameLength) {
        position = v;
        return;
    }
    if (position < 0 || position >= NameLength)
        position = 0;
    buffer[position] = static_cast<uint8_t>(v);
    // Each character follows its own position; the last one completes the name.
    if (position != NameLength - 1)
        return;
    buffer[NameLength] = 0;
    const std::string name = UnitToHostName(reinterpret_cast<const char*>(buffer.data()));
    FamilyEditor(bass).showUnitPresetName(name);
    if (ProgramChangeRefresh) {
        CaptureEditBuffer(*OriginalRecord);
        CaptureEditBuffer(*EditBufferRecord);
        FamilyEditor(bass).tookOriginal();
    }
    ProgramChangeRefresh = false;
    if (FamilyEditor(bass).visible())
        FamilyEditor(bass).startChangedTimer();
}
} // namespace

void HandleController(int c, int v)
{
    if (c < 0 || c > 127)
        return;
    const int model = ActiveDevice.Model;
    if (model == ModelDrux || model == ModelDrux2) {
        const int m = CcInGuitar[c];
        if (m != 0) {
            if (globalController(c))
                Param(ModixGlobal, m).SetValFromUnit(globalValue(c, v));
            else
                Param(ModixPreset, m).SetValFromUnit(v);
            return;
        }
    } else if (model == ModelBass) {
        const int m = CcInBass[c];
        if (m != 0) {
            if (globalController(c))
                Param(ModixBassGlobal, m).SetValFromUnit(globalValue(c, v));
            else
                applyToBassPreset(c, m, v);
            return;
        }
    } else {
        TraceLine(0, "Faulty Model %X", model);
        return;
    }
    if (c != NameCc) {
        TraceLine(0, "Unused cc nr %d", c);
        return;
    }
    nameCharacter(v);
}

void RequestRefresh()
{
    ProgramChangeRefresh = true;
    if (!ActiveDevice.isVirtual())
        Unit().sendControlChange(ReportAllCc, ReportAllCc);
}

void ProgramChangeFromUnit()
{
    if (FamilyEditor(false).visible())
        FamilyEditor(false).stopChangedTimer();
    else if (FamilyEditor(true).visible())
        FamilyEditor(true).stopChangedTimer();
    ProgramChangeRefresh = true;
    Unit().sendControlChange(ReportAllCc, ReportAllCc);
}

void SendNameAsControllers(std::string_view text)
{
    const std::string unit = HostToUnitName(text);
    if (unit.size() != static_cast<size_t>(NameLength))
        return;
    for (int i = 0; i < NameLength; ++i) {
        Unit().sendControlChange(NameCc, i);
        Unit().sendControlChange(NameCc, static_cast<uint8_t>(unit[i]));
    }
}

void MCtrl::SetValFromUnit(int v)
{
    if (!is(CcMapped))
        return;
    const int c = clamp(v);
    if (c == value)
        return;
    value = c;
    MarkPending(RefreshPending | HookPending);
    if (is(Selector))
        Unit().sendControlChange(ReportAllCc, ReportAllCc);
}
