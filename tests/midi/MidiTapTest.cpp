#include <QCoreApplication>
#include <gtest/gtest.h>

#include "midi/LoopbackDriver.h"
#include "midi/MidiPorts.h"
#include "model/DeviceConnection.h"
#include "model/Trace.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct Seen {
    MidiTapEvent::Kind kind;
    int64_t nanoseconds;
    int port;
    Bytes bytes;
    std::string trace;
    bool dropped;
};

// Everything sent, everything received on every open input (with its port,
// also what the port layer drops) and every trace line reach the observer in
// order, with a monotonic time stamp; without an observer nothing does.
TEST(MidiTap, ShowsEveryMessageBothWaysAndEveryTraceLine)
{
    ActiveDevice = DeviceConnection();
    ActiveDevice.MidiIn = -1;
    ActiveDevice.MidiOut = 1;
    auto d = std::make_unique<LoopbackDriver>(std::vector<std::string>{"In A", "In B"},
                                              std::vector<std::string>{"Out A", "Out B"});
    LoopbackDriver* driver = d.get();
    MidiPorts ports(std::move(d));
    int handled = 0;
    ports.SetInputHandler([&](int, const Bytes&) { ++handled; });
    ports.Enumerate();
    std::vector<Seen> seen;
    ports.SetTap([&](const MidiTapEvent& e) {
        seen.push_back({e.kind, e.nanoseconds, e.port, e.bytes ? *e.bytes : Bytes(),
                        e.trace ? *e.trace : std::string(), e.dropped});
    });
    ASSERT_TRUE(ports.Open());
    seen.clear();

    ports.SendControlChange(13, 90);
    ports.SendSysex({0xF0, 0x00, 0x20, 0x32, 0x00, 0x11, 0x61, 0xF7});
    driver->inject(1, {0xB0, 81, 3});
    Bytes tooLong(10241, 0x01);
    tooLong.front() = 0xF0;
    driver->inject(0, tooLong);
    QCoreApplication::processEvents();

    ASSERT_EQ(seen.size(), 6u);
    EXPECT_EQ(seen[0].kind, MidiTapEvent::Sent);
    EXPECT_EQ(seen[0].port, 1);
    EXPECT_EQ(seen[0].bytes, (Bytes{0xB0, 13, 90}));
    EXPECT_EQ(seen[1].kind, MidiTapEvent::Sent);
    EXPECT_EQ(seen[1].bytes.size(), 8u);
    EXPECT_EQ(seen[2].kind, MidiTapEvent::Received);
    EXPECT_EQ(seen[2].port, 1);
    EXPECT_FALSE(seen[2].dropped);
    EXPECT_EQ(seen[3].kind, MidiTapEvent::Received);
    EXPECT_EQ(seen[3].port, 0);
    EXPECT_TRUE(seen[3].dropped);
    EXPECT_EQ(seen[3].bytes.size(), 10241u);
    // The port layer's own trace of the dropped message follows it.
    EXPECT_EQ(seen[4].kind, MidiTapEvent::Trace);
    EXPECT_EQ(seen[4].trace, "MIDI in unknown message");
    EXPECT_EQ(handled, 1);
    for (size_t i = 1; i < seen.size(); ++i)
        EXPECT_LE(seen[i - 1].nanoseconds, seen[i].nanoseconds);

    ports.SetTap(nullptr);
    ports.SendControlChange(13, 91);
    TraceLine(0, "after");
    EXPECT_EQ(seen.size(), 6u);
    ActiveDevice = DeviceConnection();
}

} // namespace
