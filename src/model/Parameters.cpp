#include "model/Parameters.h"

#include <cmath>
#include <span>

#include "model/Controllers.h"
#include "model/DeviceConnection.h"
#include "model/ParameterTables.h"
#include "model/Trace.h"

Modul* ModuleTable[8] = {};
PendingQueue PendingList;

namespace {

class NoUnit : public UnitLink {
public:
    void sendControlChange(int, int) override {}
    void sendGlobalParameter(int, int) override {}
    void sendPresetDump(int, const unsigned char*, int) override {}
    void requestPreset(int) override {}
};

NoUnit noUnit;
UnitLink* unitLink = &noUnit;

int relToVal(int maximum, float x)
{
    return static_cast<int>(std::trunc(maximum * static_cast<double>(x) + 0.5001));
}

void applyRows(Modul& m, std::span<const ParamRow> rows)
{
    for (const ParamRow& r : rows) {
        MCtrl* p = m.GetCtrl(r.mcix);
        p->maximum = r.max;
        p->value = r.initial;
        p->flags = r.flags | Ranged;
        p->ChangeHook = r.hook;
    }
}

} // namespace

void SetUnitLink(UnitLink* link)
{
    unitLink = link ? link : &noUnit;
}

UnitLink& Unit()
{
    return *unitLink;
}

// ---- MCtrl ----

void MCtrl::Detach(ControlBinding* b)
{
    for (ControlBinding** link = &head; *link; link = &(*link)->next) {
        if (*link == b) {
            *link = b->next;
            b->next = nullptr;
            b->bound = nullptr;
            return;
        }
    }
}

void MCtrl::Attach(ControlBinding* b)
{
    if (head != b) {
        b->next = head;
        head = b;
    }
    b->bound = this;
    MarkPending(RefreshPending);
}

float MCtrl::GetRel() const
{
    return maximum == 0 ? 0.0f : static_cast<float>(value) / static_cast<float>(maximum);
}

void MCtrl::SetValFromCtrl(int v)
{
    if (!is(Ranged)) {
        MarkPending(RefreshPending); // the control snaps back
        return;
    }
    const int c = clamp(v);
    if (c != value) {
        value = c;
        MarkPending(PendingBits);
    } else if (v != value) {
        MarkPending(RefreshPending);
    }
}

void MCtrl::SetVal(int v)
{
    SetValFlags(v, PendingBits);
}

void MCtrl::SetRelFromCtrl(float x)
{
    SetValFromCtrl(relToVal(maximum, x));
}

void MCtrl::SetRel(float x)
{
    SetVal(relToVal(maximum, x));
}

namespace {
std::function<void()>& pendingWake()
{
    static std::function<void()> wake;
    return wake;
}
}

void SetPendingWake(std::function<void()> wake)
{
    pendingWake() = std::move(wake);
}

void MCtrl::MarkPending(unsigned bits)
{
    if (!queued) {
        queued = true;
        nextPending = nullptr;
        const bool wasEmpty = !PendingList.head;
        if (PendingList.tail)
            PendingList.tail->nextPending = this;
        else
            PendingList.head = this;
        PendingList.tail = this;
        if (wasEmpty && pendingWake())
            pendingWake()();
    }
    flags |= bits;
}

void MCtrl::SetValFlags(int v, unsigned bits)
{
    if (!is(Ranged))
        return;
    const int c = clamp(v);
    if (c != value) {
        value = c;
        MarkPending(bits);
    }
}

// ---- modules ----

Modul::Modul(int modix, int count) : Modix(modix)
{
    ctrls.reserve(count);
    for (int i = 0; i < count; ++i)
        ctrls.push_back(std::make_unique<MCtrl>(modix, i));
}

MCtrl* Modul::AttachToCtrl(ControlBinding* b, int i)
{
    MCtrl* p = GetCtrl(i);
    p->Attach(b);
    return p;
}

MPreset::MPreset() : Modul(ModixPreset, GuitarPreset::Count) { applyRows(*this, GuitarPresetRows); }
MGlobal::MGlobal() : Modul(ModixGlobal, GuitarGlobal::Count) { applyRows(*this, GuitarGlobalRows); }
MBPreset::MBPreset() : Modul(ModixBassPreset, BassPreset::Count) { applyRows(*this, BassPresetRows); }
MBGlobal::MBGlobal() : Modul(ModixBassGlobal, BassGlobal::Count) { applyRows(*this, BassGlobalRows); }

void CreateModules()
{
    DestroyModules();
    ModuleTable[0] = new MPreset;
    ModuleTable[1] = new MGlobal;
    ModuleTable[2] = new MBPreset;
    ModuleTable[3] = new MBGlobal;
    for (int i = 0; i < 4; ++i)
        ModuleTable[4 + i] = ModuleTable[i];
}

void DestroyModules()
{
    for (int i = 0; i < 4; ++i)
        delete ModuleTable[i];
    for (Modul*& m : ModuleTable)
        m = nullptr;
    PendingList = {};
}

// ---- the frame flush ----

void FlushPending()
{
    while (MCtrl* p = PendingList.head) {
        if (p->is(SendPending))
            SendToUnit(*p);
        if (p->is(RefreshPending)) {
            // A refresh may detach its own binding; read the link first.
            for (ControlBinding* b = p->head; b;) {
                ControlBinding* next = b->next;
                if (b->control)
                    b->control->ChangeFromMCtrl();
                b = next;
            }
        }
        if (p->is(HookPending) && p->ChangeHook)
            p->ChangeHook(*p, static_cast<float>(p->value), p->flags & RefreshPending);
        p->flags &= ~static_cast<unsigned>(PendingBits);
        p->queued = false;
        PendingList.head = p->nextPending;
    }
    PendingList.tail = nullptr;
}

namespace {
int switchValue(const MCtrl& p)
{
    return p.is(Switch) ? (p.value != 0 ? 127 : 0) : p.value;
}

void sendCc(int number, int value)
{
    Unit().sendControlChange(number, value & 0xFF);
}
}

// SysEx commands of the first-generation unit for the two tuner globals.
constexpr int GlobalTunerVolume = 0x23;
constexpr int GlobalTunerCenter = 0x24;
constexpr int TunerCenterOffset = 25;
constexpr int StompSplitStep = 7;

// The controller entry `mcix` of an outgoing table, 0 past its end.
int ccOf(const auto& table, int mcix)
{
    return mcix < static_cast<int>(table.size()) ? table[static_cast<size_t>(mcix)] : 0;
}

void SendToUnit(MCtrl& p)
{
    if (!p.is(CcMapped))
        return;
    const bool firstGeneration = ActiveDevice.Model == ModelDrux;
    switch (p.Modix) {
    case ModixPreset:
        if (const int cc = ccOf(PresetCcOut, p.Mcix))
            sendCc(cc, switchValue(p));
        else
            TraceLine(0, "Unused Preset mcix %d", p.Mcix);
        break;
    case ModixGlobal:
        if (p.Mcix == GuitarGlobal::TunerCenter) {
            if (firstGeneration)
                Unit().sendGlobalParameter(GlobalTunerCenter, p.value + TunerCenterOffset);
            else
                sendCc(GlobalCcOut[GuitarGlobal::TunerCenter], p.value + TunerCenterOffset);
        } else if (p.Mcix == GuitarGlobal::TunerVolume && firstGeneration) {
            Unit().sendGlobalParameter(GlobalTunerVolume, p.value);
        } else if (const int cc = ccOf(GlobalCcOut, p.Mcix)) {
            sendCc(cc, p.value);
        } else {
            TraceLine(0, "Unused Global mcix %d", p.Mcix);
        }
        break;
    case ModixBassPreset:
        if (const int cc = ccOf(BassPresetCcOut, p.Mcix))
            sendCc(cc, p.Mcix == BassPreset::StompSplit ? StompSplitStep * p.value : switchValue(p));
        break;
    case ModixBassGlobal:
        if (p.Mcix == BassGlobal::TunerCenter)
            sendCc(BassGlobalCcOut[BassGlobal::TunerCenter], p.value + TunerCenterOffset);
        else if (const int cc = ccOf(BassGlobalCcOut, p.Mcix))
            sendCc(cc, p.value);
        else
            TraceLine(0, "Unused Global mcix %d", p.Mcix);
        break;
    default:
        break;
    }
}

// ---- coupling hooks ----
// Hooks set their targets with SetValFlags and never with HookPending, so a
// hook never triggers another hook.

namespace {
void splitInto(int modix, int upper, int lower, int v, unsigned r)
{
    Param(modix, upper).SetValFlags((v >> 7) & 127, r | SendPending);
    Param(modix, lower).SetValFlags(v & 127, r | SendPending);
}

void joinInto(int modix, int whole, int upper, int lower, unsigned r)
{
    Param(modix, whole).SetValFlags(128 * Param(modix, upper).value + Param(modix, lower).value, r);
}

constexpr int SynthPostFx = 13;
bool synthActive() { return Param(BassPreset::PostFxMode).value == SynthPostFx; }
}

void DelayWholeHook(MCtrl&, float v, unsigned r)
{
    splitInto(ModixPreset, GuitarPreset::DelayTimeUpper, GuitarPreset::DelayTimeLower, static_cast<int>(v), r);
}
void DelayHalvesHook(MCtrl&, float, unsigned r)
{
    joinInto(ModixPreset, GuitarPreset::DelayTime, GuitarPreset::DelayTimeUpper, GuitarPreset::DelayTimeLower, r);
}
void BassDelayWholeHook(MCtrl&, float v, unsigned r)
{
    splitInto(ModixBassPreset, BassPreset::DelayTimeUpper, BassPreset::DelayTimeLower, static_cast<int>(v), r);
}
void BassDelayHalvesHook(MCtrl&, float, unsigned r)
{
    joinInto(ModixBassPreset, BassPreset::DelayTime, BassPreset::DelayTimeUpper, BassPreset::DelayTimeLower, r);
}

// While the post-effect is the synth, its interval (Fx4) and key (Fx5) are
// shown through the three synth parameters.
void SynthValueHook(MCtrl&, float v, unsigned r)
{
    if (synthActive())
        Param(BassPreset::Fx4).SetValFlags(static_cast<int>(v), r | SendPending);
}

void SynthKeyHook(MCtrl&, float v, unsigned r)
{
    if (synthActive())
        Param(BassPreset::Fx5).SetValFlags(static_cast<int>(v), r | SendPending);
}

void SynthParamHook(MCtrl&, float, unsigned r)
{
    if (!synthActive())
        return;
    const int interval = Param(BassPreset::Fx4).value;
    const int key = Param(BassPreset::Fx5).value;
    Param(key != 0 ? BassPreset::IntervalWithKey : BassPreset::IntervalWithoutKey).SetValFlags(interval, r);
    Param(BassPreset::SynthKey).SetValFlags(key, r);
}
