#pragma once

#include <array>
#include <functional>
#include <memory>
#include <vector>

#include "model/ParameterNames.h"

class MCtrl;

// A control that shows a parameter. The parameter model calls it back after
// the parameter changed; it never sees the control's widget type.
class BoundControl {
public:
    virtual ~BoundControl() = default;
    virtual void ChangeFromMCtrl() = 0;
};

// The link from one control to its parameter. A parameter keeps the bindings
// of all controls that show it in a singly linked list, newest first.
struct ControlBinding {
    BoundControl* control = nullptr;
    int Modix = -1;
    int Mcix = -1;
    MCtrl* bound = nullptr;
    ControlBinding* next = nullptr;
};

enum ParamFlag : unsigned {
    Switch = 0x01,
    Selector = 0x04,
    CcMapped = 0x08,
    Ranged = 0x20,
    RefreshPending = 0x1000,
    SendPending = 0x2000,
    HookPending = 0x8000,
    PendingBits = RefreshPending | SendPending | HookPending,
};

// Runs after a change to keep coupled parameters in step. Receives the
// parameter, its value and the RefreshPending bit of the flush (0 or 0x1000).
using ChangeHookFn = void (*)(MCtrl& param, float value, unsigned refreshBit);

class JMCtrl {
public:
    virtual ~JMCtrl() = default;
    virtual void Detach(ControlBinding*) { head = nullptr; }
    virtual void Attach(ControlBinding* b) { head = b; }
    virtual float GetRel() const { return 0.0f; }
    virtual int GetVal() const { return 0; }
    virtual int GetMax() const { return 0; }
    virtual void SetValFromCtrl(int) {}
    virtual void SetVal(int) {}
    virtual void StepFromCtrl(int) {}
    virtual void Step(int) {}
    virtual void SetRelFromCtrl(float) {}
    virtual void SetRel(float) {}

    ControlBinding* head = nullptr;
};

class MCtrl : public JMCtrl {
public:
    MCtrl(int modix, int mcix) : Modix(modix), Mcix(mcix) {}

    void Detach(ControlBinding* b) override;
    void Attach(ControlBinding* b) override;
    float GetRel() const override;
    int GetVal() const override { return value; }
    int GetMax() const override { return maximum; }
    void SetValFromCtrl(int v) override;
    void SetVal(int v) override;
    void StepFromCtrl(int d) override { SetValFromCtrl(value + d); }
    void Step(int d) override { SetVal(value + d); }
    void SetRelFromCtrl(float x) override;
    void SetRel(float x) override;

    void MarkPending(unsigned bits);
    void SetValFlags(int v, unsigned bits);
    // A value reported by the unit: applied without echoing it back.
    void SetValFromUnit(int v);

    bool is(unsigned flag) const { return (flags & flag) != 0; }
    // In PendingList, with or without work: a mark with no bits queues the
    // parameter too, and must not append it a second time.
    bool isQueued() const { return queued; }
    int clamp(int v) const { return v < 0 ? 0 : (v > maximum ? maximum : v); }

    int Modix;
    int Mcix;
    int maximum = 0;
    int value = 0;
    ChangeHookFn ChangeHook = nullptr;
    MCtrl* nextPending = nullptr;
    unsigned flags = 0;
    bool queued = false;
};

class JModul {
public:
    virtual MCtrl* GetCtrl(int) { return nullptr; }
    virtual MCtrl* AttachToCtrl(ControlBinding*, int) { return nullptr; }
    virtual ~JModul() = default;
};

class Modul : public JModul {
public:
    Modul(int modix, int count);
    MCtrl* GetCtrl(int i) override { return ctrls[i].get(); }
    MCtrl* AttachToCtrl(ControlBinding* b, int i) override;
    int count() const { return static_cast<int>(ctrls.size()); }

    int Modix;

protected:
    std::vector<std::unique_ptr<MCtrl>> ctrls;
};

class MPreset : public Modul { public: MPreset(); };
class MGlobal : public Modul { public: MGlobal(); };
class MBPreset : public Modul { public: MBPreset(); };
class MBGlobal : public Modul { public: MBGlobal(); };

enum ModuleIndex : int { ModixPreset = 0, ModixGlobal = 1, ModixBassPreset = 2, ModixBassGlobal = 3 };

// Entries 0..3 hold the four modules in Modix order; 4..7 repeat them.
extern Modul* ModuleTable[8];

inline MCtrl& Param(int modix, int mcix) { return *ModuleTable[modix]->GetCtrl(mcix); }
inline MCtrl& Param(GuitarPreset::Mcix mcix) { return Param(ModixPreset, mcix); }
inline MCtrl& Param(GuitarGlobal::Mcix mcix) { return Param(ModixGlobal, mcix); }
inline MCtrl& Param(BassPreset::Mcix mcix) { return Param(ModixBassPreset, mcix); }
inline MCtrl& Param(BassGlobal::Mcix mcix) { return Param(ModixBassGlobal, mcix); }

struct PendingQueue {
    MCtrl* head = nullptr;
    MCtrl* tail = nullptr;
};
extern PendingQueue PendingList;

void CreateModules();
void DestroyModules();

// Works off the queue: send, refresh bound controls, run coupling hooks.
void FlushPending();

// Told when the empty queue gets its first entry, so that the frame tick,
// which sleeps while there is nothing to flush, can wake; empty: nobody.
void SetPendingWake(std::function<void()> wake);
void SendToUnit(MCtrl& p);

// Outgoing controller tables, indexed by Mcix (0 = no controller), derived
// from the module tables. Writable: they are adapted to the connected model.
// The bass table ends before the whole delay time: no parameter from there
// on is a controller.
constexpr int BassPresetControllers = BassPreset::DelayTime;
extern std::array<int, GuitarPreset::Count> PresetCcOut;
extern std::array<int, GuitarGlobal::Count> GlobalCcOut;
extern std::array<int, BassPresetControllers> BassPresetCcOut;
extern std::array<int, BassGlobal::Count> BassGlobalCcOut;

// Adapt the writable tables and the amp-model range to the connected model
// (the first-generation guitar unit numbers some controllers differently).
void AdaptTablesToModel(int model);

// Where parameter changes leave the program. The protocol layer provides the
// real one; until then changes go nowhere.
class UnitLink {
public:
    virtual ~UnitLink() = default;
    virtual void sendControlChange(int number, int value) = 0;
    // Global parameter messages that the first-generation unit takes as SysEx.
    virtual void sendGlobalParameter(int command, int value) = 0;
    virtual void sendPresetDump(int slot, const unsigned char* image, int length) = 0;
    // All 125 images back to back as one Memory dump; `length` counts the
    // bytes of all of them (125 x the image length).
    virtual void sendMemoryDump(const unsigned char* /*images*/, int /*length*/) {}
    virtual void requestPreset(int slot) = 0;
};

void SetUnitLink(UnitLink* link);
UnitLink& Unit();
