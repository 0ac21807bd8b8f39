// What the MIDI monitor's tap on the port layer costs a message: the check
// for an observer alone, a controller sent through the port layer without an
// observer, with an empty one and with one that reads the message as the
// monitor does; and the reading itself for a controller and a memory dump.
#include <QCoreApplication>
#include <benchmark/benchmark.h>

#include "midi/LoopbackDriver.h"
#include "monitor/MidiMonitor.h"
#include "midi/MidiPorts.h"
#include "model/DeviceConnection.h"

namespace {

// The branch every message takes when nobody observes.
void TapCheckWithoutObserver(benchmark::State& state)
{
    MidiTap tap;
    const std::vector<uint8_t> m{0xB0, 13, 90};
    MidiTapEvent e;
    e.bytes = &m;
    for (auto _ : state) {
        benchmark::DoNotOptimize(tap);
        if (tap)
            tap(e);
    }
}
BENCHMARK(TapCheckWithoutObserver);

enum class Observer { None, Empty, Decoding };

void SendControlChange(benchmark::State& state, Observer observer)
{
    ActiveDevice = DeviceConnection();
    auto d = std::make_unique<LoopbackDriver>(std::vector<std::string>{"In"}, std::vector<std::string>{"Out"});
    LoopbackDriver* driver = d.get();
    MidiPorts ports(std::move(d));
    ports.Enumerate();
    ports.Open();
    size_t lines = 0;
    if (observer == Observer::Empty)
        ports.SetTap([](const MidiTapEvent&) {});
    if (observer == Observer::Decoding)
        ports.SetTap([&lines](const MidiTapEvent& e) {
            if (e.bytes)
                lines += DecodeMidiMessage(*e.bytes, MidiDirection::Out, MonitorUnit()).size();
        });
    int n = 0;
    for (auto _ : state) {
        ports.SendControlChange(13, n & 127);
        if ((++n & 4095) == 0)
            driver->sent.clear();
    }
    benchmark::DoNotOptimize(lines);
}
BENCHMARK_CAPTURE(SendControlChange, without_observer, Observer::None);
BENCHMARK_CAPTURE(SendControlChange, empty_observer, Observer::Empty);
BENCHMARK_CAPTURE(SendControlChange, decoding_observer, Observer::Decoding);

void Decode(benchmark::State& state, std::vector<uint8_t> m)
{
    const MonitorUnit unit;
    for (auto _ : state) {
        std::string text = DecodeMidiMessage(m, MidiDirection::In, unit);
        std::string hex = MonitorHex(m);
        benchmark::DoNotOptimize(text);
        benchmark::DoNotOptimize(hex);
    }
}
BENCHMARK_CAPTURE(Decode, controller, std::vector<uint8_t>{0xB0, 25, 11});
BENCHMARK_CAPTURE(Decode, memory_dump, [] {
    std::vector<uint8_t> m{0xF0, 0x00, 0x20, 0x32, 0x00, 0x11, 0x21, 0x7D, 48};
    m.resize(125 * 48 + 9, 0);
    m.push_back(0xF7);
    return m;
}());

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
