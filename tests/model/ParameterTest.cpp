#include <gtest/gtest.h>

#include "model/Controllers.h"
#include "model/RecordingUnit.h"
#include "model/Trace.h"

namespace {

using CC = std::pair<int, int>;

class Parameters : public ::testing::Test, protected ModelFixtureBase {
protected:
    void SetUp() override { setUpModel(ModelDrux2); }
    void TearDown() override { tearDownModel(); }
    void connect(int model)
    {
        ActiveDevice.Model = model;
        AdaptTablesToModel(model);
    }
};

// A control that counts its refreshes and remembers the value it saw.
struct CountingControl : BoundControl {
    ControlBinding binding;
    int refreshes = 0;
    int seen = -1;
    CountingControl() { binding.control = this; }
    void ChangeFromMCtrl() override
    {
        ++refreshes;
        seen = binding.bound ? binding.bound->GetVal() : -1;
    }
};

TEST_F(Parameters, ModulesHaveTheirSizesAndTableRepeatsThem)
{
    EXPECT_EQ(ModuleTable[0]->count(), 34);
    EXPECT_EQ(ModuleTable[1]->count(), 10);
    EXPECT_EQ(ModuleTable[2]->count(), 45);
    EXPECT_EQ(ModuleTable[3]->count(), 11);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(ModuleTable[4 + i], ModuleTable[i]);
        EXPECT_EQ(ModuleTable[i]->Modix, i);
        EXPECT_EQ(ModuleTable[i]->GetCtrl(5)->Mcix, 5);
    }
    EXPECT_EQ(Param(GuitarPreset::PreEffectOffset).value, 64);
    EXPECT_EQ(Param(GuitarPreset::ModulationFeedback).value, 64);
    EXPECT_EQ(Param(GuitarGlobal::TunerCenter).value, 15);
    EXPECT_EQ(Param(BassPreset::IntervalWithoutKey).value, 3);
    EXPECT_EQ(Param(GuitarPreset::DelayTime).maximum, 15103);
    EXPECT_EQ(Param(BassPreset::DelayTime).maximum, 15615);
    EXPECT_EQ(Param(BassGlobal::Configuration).maximum, 5);
    EXPECT_EQ(Param(GuitarGlobal::Configuration).maximum, 4);
}

TEST_F(Parameters, FiftyChangesInOneFrameSendOneController)
{
    CountingControl knob;
    ModuleTable[0]->AttachToCtrl(&knob.binding, 1);
    FlushPending();
    knob.refreshes = 0;
    for (int v = 1; v <= 50; ++v)
        Param(GuitarPreset::Gain).SetVal(v);
    FlushPending();
    EXPECT_EQ(unit.controllers, (std::vector<CC>{{12, 50}}));
    EXPECT_EQ(knob.refreshes, 1);
    EXPECT_EQ(knob.seen, 50);
    EXPECT_EQ(PendingList.head, nullptr);
    EXPECT_EQ(PendingList.tail, nullptr);
}

TEST_F(Parameters, ValuesAreClampedNotRejected)
{
    MCtrl& treble = Param(GuitarPreset::Treble);
    treble.SetVal(200);
    EXPECT_EQ(treble.value, 127);
    FlushPending();
    unit.controllers.clear();

    treble.SetVal(200); // unchanged: nothing queued
    EXPECT_EQ(PendingList.head, nullptr);

    CountingControl knob;
    ModuleTable[0]->AttachToCtrl(&knob.binding, 2);
    FlushPending();
    knob.refreshes = 0;
    treble.SetValFromCtrl(200); // out of range but same value: the control snaps back
    FlushPending();
    EXPECT_EQ(knob.refreshes, 1);
    EXPECT_TRUE(unit.controllers.empty());

    treble.SetVal(-5);
    EXPECT_EQ(treble.value, 0);
}

TEST_F(Parameters, RelativeValues)
{
    MCtrl& gain = Param(GuitarPreset::Gain);
    gain.SetRel(0.5f);
    EXPECT_EQ(gain.value, 64);
    EXPECT_FLOAT_EQ(Param(ModixPreset, 0).GetRel(), 0.0f);
    gain.SetVal(127);
    EXPECT_FLOAT_EQ(gain.GetRel(), 1.0f);
}

TEST_F(Parameters, ParametersWithoutRangeIgnoreEverySet)
{
    for (auto [modix, mcix] : {std::pair{ModixBassPreset, 9}, {ModixBassPreset, 13}, {ModixBassPreset, 40},
                               {ModixPreset, 0}, {ModixGlobal, 0}, {ModixBassPreset, 0}, {ModixBassGlobal, 0}}) {
        MCtrl& p = Param(modix, mcix);
        p.SetVal(5);
        p.SetValFlags(5, PendingBits);
        p.SetRel(1.0f);
        EXPECT_EQ(p.value, 0) << modix << "/" << mcix;
    }
    EXPECT_EQ(PendingList.head, nullptr);
}

TEST_F(Parameters, OutgoingControllers)
{
    Param(GuitarGlobal::TunerCenter).SetVal(0);
    FlushPending();
    unit.controllers.clear();
    Param(GuitarPreset::EffectsOn).SetVal(1);   // switch goes out as 127
    Param(BassPreset::StompSplit).SetVal(3);    // as 7 x v
    Param(GuitarGlobal::TunerCenter).SetVal(15); // 440 Hz as 83 with v + 25
    Param(BassGlobal::InputGain).SetVal(9);
    Param(BassPreset::EffectsOn).SetVal(1);
    FlushPending();
    EXPECT_EQ(unit.controllers, (std::vector<CC>{{21, 127}, {37, 21}, {83, 40}, {89, 9}, {21, 127}}));
    EXPECT_TRUE(unit.globals.empty());
}

TEST_F(Parameters, FirstGenerationUnitTakesTunerAsSysexAndOtherControllers)
{
    connect(ModelDrux);
    Param(GuitarGlobal::TunerCenter).SetVal(0);
    FlushPending();
    unit.globals.clear();
    Param(GuitarGlobal::TunerCenter).SetVal(15);
    Param(GuitarGlobal::TunerVolume).SetVal(90);
    Param(GuitarPreset::AmpModel).SetVal(20); // only 16 models on this unit
    Param(GuitarPreset::EffectSelection).SetVal(2);
    Param(GuitarPreset::Presence).SetVal(33); // no controller on this unit
    std::vector<std::string> trace;
    SetTraceSink([&](int, const std::string& l) { trace.push_back(l); });
    FlushPending();
    EXPECT_EQ(unit.globals, (std::vector<CC>{{0x24, 40}, {0x23, 90}}));
    EXPECT_EQ(unit.controllers, (std::vector<CC>{{19, 15}, {17, 2}}));
    EXPECT_EQ(trace, std::vector<std::string>{"Unused Preset mcix 6"});
    EXPECT_EQ(CcInGuitar[17], 9);

    connect(ModelDrux2);
    EXPECT_EQ(PresetCcOut[8], 61);
    EXPECT_EQ(PresetCcOut[6], 17);
    EXPECT_EQ(PresetCcOut[9], 60);
    EXPECT_EQ(CcInGuitar[17], 6);
    EXPECT_EQ(Param(GuitarPreset::AmpModel).maximum, 32);
}

TEST_F(Parameters, DelayTimeReachesTheUnitAsTwoHalves)
{
    Param(GuitarPreset::DelayTime).SetVal(15103);
    FlushPending();
    EXPECT_EQ(unit.controllers, (std::vector<CC>{{50, 117}, {51, 127}}));
    // The halves' own hooks rebuild the whole value, which equals it already.
    EXPECT_EQ(Param(GuitarPreset::DelayTime).value, 15103);

    unit.controllers.clear();
    Param(BassPreset::DelayTime).SetVal(0x3CFF);
    FlushPending();
    EXPECT_EQ(unit.controllers, (std::vector<CC>{{45, 121}, {46, 127}}));
}

TEST_F(Parameters, HalvesFromTheUnitRebuildTheWholeDelayWithoutEcho)
{
    Param(GuitarPreset::DelayTimeUpper).SetValFromUnit(2);
    Param(GuitarPreset::DelayTimeLower).SetValFromUnit(3);
    FlushPending();
    EXPECT_EQ(Param(GuitarPreset::DelayTime).value, 259);
    EXPECT_TRUE(unit.controllers.empty());
}

TEST_F(Parameters, HookTargetsDoNotRunHooksAgain)
{
    // 33's hook sets 23 and 24 with SendPending only: they are sent, and
    // their own hooks (which would rebuild 33) do not run.
    Param(GuitarPreset::DelayTime).SetVal(300);
    FlushPending();
    EXPECT_EQ(Param(GuitarPreset::DelayTimeUpper).value, 2);
    EXPECT_EQ(Param(GuitarPreset::DelayTimeLower).value, 44);
    EXPECT_EQ(unit.controllers, (std::vector<CC>{{50, 2}, {51, 44}}));
    EXPECT_EQ(Param(GuitarPreset::DelayTimeUpper).flags & PendingBits, 0u);

    // Marking 23 directly with a hook runs its hook once, which sets 33
    // without a hook: 33 does not send and does not split again.
    unit.controllers.clear();
    Param(GuitarPreset::DelayTimeUpper).SetValFlags(1, HookPending);
    FlushPending();
    EXPECT_EQ(Param(GuitarPreset::DelayTime).value, 128 + 44);
    EXPECT_TRUE(unit.controllers.empty());
}

// A mark without bits queues a parameter without work, once: the halves'
// hooks, run without the refresh bit, both set the whole delay time that way
// in one flush.
TEST_F(Parameters, MarksWithoutBitsQueueAParameterOnce)
{
    Param(GuitarPreset::DelayTime).MarkPending(0);
    Param(GuitarPreset::DelayTime).MarkPending(0);
    ASSERT_EQ(PendingList.head, &Param(GuitarPreset::DelayTime));
    ASSERT_EQ(PendingList.head->nextPending, nullptr);
    FlushPending();
    EXPECT_EQ(PendingList.head, nullptr);

    Param(GuitarPreset::DelayTimeUpper).SetValFlags(5, HookPending);
    Param(GuitarPreset::DelayTimeLower).SetValFlags(7, HookPending);
    FlushPending();
    EXPECT_EQ(PendingList.head, nullptr);
    EXPECT_EQ(Param(GuitarPreset::DelayTime).value, 128 * 5 + 7);
    EXPECT_FALSE(Param(GuitarPreset::DelayTime).isQueued());
    EXPECT_TRUE(unit.controllers.empty());
}

TEST_F(Parameters, SynthMirrorsFollowOnlyWhileSynthIsSelected)
{
    Param(BassPreset::PostFxMode).SetVal(13);
    FlushPending();
    unit.controllers.clear();

    Param(BassPreset::SynthKey).SetVal(5);
    FlushPending();
    EXPECT_EQ(Param(BassPreset::Fx5).value, 5);
    EXPECT_EQ(unit.controllers, (std::vector<CC>{{44, 5}}));

    Param(BassPreset::IntervalWithKey).SetVal(4);
    FlushPending();
    EXPECT_EQ(Param(BassPreset::Fx4).value, 4);

    Param(BassPreset::Fx5).SetValFromUnit(0); // key 0 from the unit
    Param(BassPreset::Fx4).SetValFromUnit(2);
    FlushPending();
    EXPECT_EQ(Param(BassPreset::IntervalWithoutKey).value, 2);
    EXPECT_EQ(Param(BassPreset::SynthKey).value, 0);

    Param(BassPreset::PostFxMode).SetVal(3); // another post effect: mirrors keep their values
    FlushPending();
    Param(BassPreset::SynthKey).SetVal(9);
    FlushPending();
    EXPECT_EQ(Param(BassPreset::Fx5).value, 0);
}

TEST_F(Parameters, BindingListAttachAndDetach)
{
    CountingControl a, b;
    MCtrl& p = Param(GuitarPreset::Mid);
    p.Attach(&a.binding);
    p.Attach(&a.binding);
    EXPECT_EQ(p.head, &a.binding);
    EXPECT_EQ(a.binding.next, nullptr);
    p.Attach(&b.binding);
    EXPECT_EQ(p.head, &b.binding);
    EXPECT_EQ(b.binding.next, &a.binding);

    CountingControl stranger;
    p.Detach(&stranger.binding);
    EXPECT_EQ(p.head, &b.binding);
    EXPECT_EQ(b.binding.next, &a.binding);

    p.Detach(&a.binding);
    EXPECT_EQ(a.binding.bound, nullptr);
    EXPECT_EQ(b.binding.next, nullptr);
    FlushPending();
    EXPECT_EQ(b.refreshes, 1);
    EXPECT_EQ(a.refreshes, 0);
}

TEST_F(Parameters, GlobalsGoOutOnTheirControllers)
{
    std::vector<std::string> trace;
    SetTraceSink([&](int, const std::string& l) { trace.push_back(l); });
    Param(GuitarGlobal::TunerCenter).MarkPending(SendPending);
    MCtrl& p = Param(GuitarGlobal::Global1);
    p.SetVal(3);
    FlushPending();
    EXPECT_TRUE(trace.empty());
    EXPECT_EQ(unit.controllers, (std::vector<CC>{{83, 40}, {1, 3}}));
}

// Refresh callbacks that mark further parameters are reached in the same flush.
TEST_F(Parameters, ChangesMadeDuringAFlushAreWorkedOffInIt)
{
    struct Chaining : BoundControl {
        ControlBinding binding;
        Chaining() { binding.control = this; }
        void ChangeFromMCtrl() override { Param(GuitarPreset::Volume).SetVal(77); }
    } chain;
    Param(GuitarPreset::Bass).Attach(&chain.binding);
    Param(GuitarPreset::Bass).SetVal(10);
    FlushPending();
    EXPECT_EQ(unit.controllers, (std::vector<CC>{{15, 10}, {16, 77}}));
    EXPECT_EQ(PendingList.head, nullptr);
}

} // namespace
