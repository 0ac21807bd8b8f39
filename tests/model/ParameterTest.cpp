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
    EXPECT_EQ(Param(0, 20).value, 64);
    EXPECT_EQ(Param(0, 31).value, 64);
    EXPECT_EQ(Param(1, 4).value, 15);
    EXPECT_EQ(Param(2, 43).value, 3);
    EXPECT_EQ(Param(0, 33).maximum, 15103);
    EXPECT_EQ(Param(2, 41).maximum, 15615);
    EXPECT_EQ(Param(3, 5).maximum, 5);
    EXPECT_EQ(Param(1, 5).maximum, 4);
}

TEST_F(Parameters, FiftyChangesInOneFrameSendOneController)
{
    CountingControl knob;
    ModuleTable[0]->AttachToCtrl(&knob.binding, 1);
    FlushPending();
    knob.refreshes = 0;
    for (int v = 1; v <= 50; ++v)
        Param(0, 1).SetVal(v);
    FlushPending();
    EXPECT_EQ(unit.controllers, (std::vector<CC>{{12, 50}}));
    EXPECT_EQ(knob.refreshes, 1);
    EXPECT_EQ(knob.seen, 50);
    EXPECT_EQ(PendingList.head, nullptr);
    EXPECT_EQ(PendingList.tail, nullptr);
}

TEST_F(Parameters, ValuesAreClampedNotRejected)
{
    MCtrl& treble = Param(0, 2);
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
    MCtrl& gain = Param(0, 1);
    gain.SetRel(0.5f);
    EXPECT_EQ(gain.value, 64);
    EXPECT_FLOAT_EQ(Param(0, 0).GetRel(), 0.0f);
    gain.SetVal(127);
    EXPECT_FLOAT_EQ(gain.GetRel(), 1.0f);
}

TEST_F(Parameters, ParametersWithoutRangeIgnoreEverySet)
{
    for (auto [modix, mcix] : {std::pair{2, 9}, {2, 13}, {2, 40}, {0, 0}, {1, 0}, {2, 0}, {3, 0}}) {
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
    Param(1, 4).SetVal(0);
    FlushPending();
    unit.controllers.clear();
    Param(0, 10).SetVal(1);        // switch goes out as 127
    Param(2, 26).SetVal(3);        // bass stomp split as 7 x v
    Param(1, 4).SetVal(15);        // tuner 440 Hz as 83 with v + 25
    Param(3, 10).SetVal(9);        // bass input gain
    Param(2, 14).SetVal(1);        // bass switch
    FlushPending();
    EXPECT_EQ(unit.controllers, (std::vector<CC>{{21, 127}, {37, 21}, {83, 40}, {89, 9}, {21, 127}}));
    EXPECT_TRUE(unit.globals.empty());
}

TEST_F(Parameters, FirstGenerationUnitTakesTunerAsSysexAndOtherControllers)
{
    connect(ModelDrux);
    Param(1, 4).SetVal(0);
    FlushPending();
    unit.globals.clear();
    Param(1, 4).SetVal(15);
    Param(1, 3).SetVal(90);
    Param(0, 8).SetVal(20); // amp model: only 16 models on this unit
    Param(0, 9).SetVal(2);
    Param(0, 6).SetVal(33); // presence: no controller on this unit
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
    EXPECT_EQ(Param(0, 8).maximum, 32);
}

TEST_F(Parameters, DelayTimeReachesTheUnitAsTwoHalves)
{
    Param(0, 33).SetVal(15103);
    FlushPending();
    EXPECT_EQ(unit.controllers, (std::vector<CC>{{50, 117}, {51, 127}}));
    // The halves' own hooks rebuild the whole value, which equals it already.
    EXPECT_EQ(Param(0, 33).value, 15103);

    unit.controllers.clear();
    Param(2, 41).SetVal(0x3CFF);
    FlushPending();
    EXPECT_EQ(unit.controllers, (std::vector<CC>{{45, 121}, {46, 127}}));
}

TEST_F(Parameters, HalvesFromTheUnitRebuildTheWholeDelayWithoutEcho)
{
    Param(0, 23).SetValFromUnit(2);
    Param(0, 24).SetValFromUnit(3);
    FlushPending();
    EXPECT_EQ(Param(0, 33).value, 259);
    EXPECT_TRUE(unit.controllers.empty());
}

TEST_F(Parameters, HookTargetsDoNotRunHooksAgain)
{
    // 33's hook sets 23 and 24 with SendPending only: they are sent, and
    // their own hooks (which would rebuild 33) do not run.
    Param(0, 33).SetVal(300);
    FlushPending();
    EXPECT_EQ(Param(0, 23).value, 2);
    EXPECT_EQ(Param(0, 24).value, 44);
    EXPECT_EQ(unit.controllers, (std::vector<CC>{{50, 2}, {51, 44}}));
    EXPECT_EQ(Param(0, 23).flags & PendingBits, 0u);

    // Marking 23 directly with a hook runs its hook once, which sets 33
    // without a hook: 33 does not send and does not split again.
    unit.controllers.clear();
    Param(0, 23).SetValFlags(1, HookPending);
    FlushPending();
    EXPECT_EQ(Param(0, 33).value, 128 + 44);
    EXPECT_TRUE(unit.controllers.empty());
}

// A mark without bits queues a parameter without work, once: the halves'
// hooks, run without the refresh bit, both set the whole delay time that way
// in one flush.
TEST_F(Parameters, MarksWithoutBitsQueueAParameterOnce)
{
    Param(0, 33).MarkPending(0);
    Param(0, 33).MarkPending(0);
    ASSERT_EQ(PendingList.head, &Param(0, 33));
    ASSERT_EQ(PendingList.head->nextPending, nullptr);
    FlushPending();
    EXPECT_EQ(PendingList.head, nullptr);

    Param(0, 23).SetValFlags(5, HookPending);
    Param(0, 24).SetValFlags(7, HookPending);
    FlushPending();
    EXPECT_EQ(PendingList.head, nullptr);
    EXPECT_EQ(Param(0, 33).value, 128 * 5 + 7);
    EXPECT_FALSE(Param(0, 33).isQueued());
    EXPECT_TRUE(unit.controllers.empty());
}

TEST_F(Parameters, SynthMirrorsFollowOnlyWhileSynthIsSelected)
{
    Param(2, 32).SetVal(13);
    FlushPending();
    unit.controllers.clear();

    Param(2, 44).SetVal(5); // key
    FlushPending();
    EXPECT_EQ(Param(2, 37).value, 5);
    EXPECT_EQ(unit.controllers, (std::vector<CC>{{44, 5}}));

    Param(2, 42).SetVal(4); // value for key not 0
    FlushPending();
    EXPECT_EQ(Param(2, 36).value, 4);

    Param(2, 37).SetValFromUnit(0); // key 0 from the unit
    Param(2, 36).SetValFromUnit(2);
    FlushPending();
    EXPECT_EQ(Param(2, 43).value, 2);
    EXPECT_EQ(Param(2, 44).value, 0);

    Param(2, 32).SetVal(3); // another post effect: mirrors keep their values
    FlushPending();
    Param(2, 44).SetVal(9);
    FlushPending();
    EXPECT_EQ(Param(2, 37).value, 0);
}

TEST_F(Parameters, BindingListAttachAndDetach)
{
    CountingControl a, b;
    MCtrl& p = Param(0, 3);
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
    Param(1, 4).MarkPending(SendPending);
    MCtrl& p = Param(1, 1);
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
        void ChangeFromMCtrl() override { Param(0, 5).SetVal(77); }
    } chain;
    Param(0, 4).Attach(&chain.binding);
    Param(0, 4).SetVal(10);
    FlushPending();
    EXPECT_EQ(unit.controllers, (std::vector<CC>{{15, 10}, {16, 77}}));
    EXPECT_EQ(PendingList.head, nullptr);
}

} // namespace
