// Cost of the 33 ms frame flush, and proof that changes coalesce: one million
// SetVal calls on one parameter between two flushes leave as one controller.
#include <benchmark/benchmark.h>

#include <cstdio>

#include "model/Parameters.h"

namespace {

struct CountingUnit : UnitLink {
    long messages = 0;
    void sendControlChange(int, int) override { ++messages; }
    void sendGlobalParameter(int, int) override { ++messages; }
    void sendPresetDump(int, const unsigned char*, int) override {}
    void requestPreset(int) override {}
};

struct Model {
    CountingUnit unit;
    Model()
    {
        CreateModules();
        SetUnitLink(&unit);
        FlushPending();
    }
    ~Model()
    {
        SetUnitLink(nullptr);
        DestroyModules();
    }
};

void FlushEmptyQueue(benchmark::State& state)
{
    Model m;
    for (auto _ : state)
        FlushPending();
}
BENCHMARK(FlushEmptyQueue);

// The 32 stored guitar preset parameters and two globals, each changed once:
// 34 queued parameters, 34 controllers per flush.
void Flush34Pending(benchmark::State& state)
{
    Model m;
    int v = 0;
    for (auto _ : state) {
        state.PauseTiming();
        v ^= 1; // within every range, so each call is a change
        for (int i = 1; i <= 32; ++i)
            Param(ModixPreset, i).SetVal(v);
        Param(GuitarGlobal::MasterVolume).SetVal(v);
        Param(GuitarGlobal::LiveTreble).SetVal(v);
        state.ResumeTiming();
        FlushPending();
    }
    state.counters["messages/flush"] =
        benchmark::Counter(static_cast<double>(m.unit.messages), benchmark::Counter::kAvgIterations);
}
BENCHMARK(Flush34Pending);

void MillionSetValsOneMessage(benchmark::State& state)
{
    Model m;
    for (auto _ : state) {
        const long before = m.unit.messages;
        MCtrl& gain = Param(GuitarPreset::Gain);
        for (int i = 0; i < 1000000; ++i)
            gain.SetVal(i % 128);
        FlushPending();
        const long sent = m.unit.messages - before;
        if (sent != 1)
            state.SkipWithError("coalescing failed: more than one message");
        state.counters["messages"] = static_cast<double>(sent);
    }
}
BENCHMARK(MillionSetValsOneMessage)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
