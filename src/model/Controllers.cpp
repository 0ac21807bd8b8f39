#include "model/Controllers.h"

#include "model/DeviceConnection.h"
#include "model/EditorLink.h"
#include "model/Parameters.h"
#include "model/Presets.h"
#include "model/Trace.h"

std::array<std::array<uint8_t, 17>, 2> NameBuffer{};
std::array<int, 2> NamePosition{};
bool ProgramChangeRefresh = false;

namespace {
constexpr int TunerCenterOffset = 25;
constexpr int FirstPresetCc = 12;
constexpr int LastPresetCc = 81;

// Bass controller 20 carries both effect-mode selectors in one value range:
// below 8 the post-effect mode, 8 and 9 the pre-effect modes 1 and 2, from
// 10 on the post-effect modes 8 and up.
constexpr int BassFxModeCc = 20;
// Bass controller 37 carries the stomp split times seven.
constexpr int BassStompSplitCc = 37;
constexpr int StompSplitStep = 7;

void applyToBassPreset(int c, int m, int v)
{
    if (c == BassFxModeCc) {
        if (v < 8)
            Param(BassPreset::PostFxMode).SetValFromUnit(v);
        else if (v < 10)
            Param(BassPreset::PreFxMode).SetValFromUnit(v - 7);
        else
            Param(BassPreset::PostFxMode).SetValFromUnit(v - 2);
    } else if (c == BassStompSplitCc) {
        Param(BassPreset::StompSplit).SetValFromUnit(v / StompSplitStep);
    } else {
        Param(ModixBassPreset, m).SetValFromUnit(v);
    }
}

bool globalController(int c) { return c < FirstPresetCc || c > LastPresetCc; }

// The tuner centre arrives as v + 25; the two global modules share the layout.
int globalValue(int mcix, int v) { return mcix == GuitarGlobal::TunerCenter ? v - TunerCenterOffset : v; }

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
                Param(ModixGlobal, m).SetValFromUnit(globalValue(m, v));
            else
                Param(ModixPreset, m).SetValFromUnit(v);
            return;
        }
    } else if (model == ModelBass) {
        const int m = CcInBass[c];
        if (m != 0) {
            if (globalController(c))
                Param(ModixBassGlobal, m).SetValFromUnit(globalValue(m, v));
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
