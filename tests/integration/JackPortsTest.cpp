// The real MIDI path through RtMidi and a JACK server: runs when the test
// command has started one (DRUX_JACK_RUNNING=1), and says so when it skips.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <gtest/gtest.h>
#include <rtmidi/RtMidi.h>

#include <atomic>
#include <mutex>

#include "midi/MidiPorts.h"
#include "midi/RtMidiDriver.h"
#include "model/DeviceConnection.h"

namespace {

using Bytes = std::vector<uint8_t>;

bool jackRunning()
{
    const char* v = std::getenv("DRUX_JACK_RUNNING");
    return v && std::string(v) == "1";
}

// A stand-in for a unit: one virtual output and one virtual input on JACK.
struct Peer {
    RtMidiOut out{RtMidi::UNIX_JACK, "PortsPeer"};
    RtMidiIn in{RtMidi::UNIX_JACK, "PortsPeer"};
    std::mutex lock;
    std::vector<Bytes> received;

    Peer()
    {
        in.ignoreTypes(false, true, true);
        in.setCallback(
            [](double, std::vector<unsigned char>* m, void* self) {
                auto* p = static_cast<Peer*>(self);
                std::lock_guard<std::mutex> g(p->lock);
                p->received.emplace_back(m->begin(), m->end());
            },
            this);
        out.openVirtualPort("to editor");
        in.openVirtualPort("from editor");
    }
};

int indexOf(const std::vector<std::string>& names, const std::string& part)
{
    for (size_t i = 0; i < names.size(); ++i)
        if (names[i].find(part) != std::string::npos)
            return static_cast<int>(i);
    return -1;
}

bool waitFor(const std::function<bool()>& done)
{
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

TEST(JackPorts, ShortMessagesAndWholeSysexBothWays)
{
    if (!jackRunning())
        GTEST_SKIP() << "no JACK server running (scripts/test starts one with jackd -d dummy)";
    Peer peer;
    auto driver = std::make_unique<RtMidiDriver>("Drux Ports Test");
    ASSERT_EQ(driver->apiName() == "ALSA" || driver->apiName() == "JACK", true);
    MidiPorts ports(std::move(driver));
    std::vector<std::pair<int, Bytes>> got;
    ports.SetInputHandler([&](int port, const Bytes& m) { got.emplace_back(port, m); });
    ASSERT_TRUE(ports.Enumerate());
    for (const auto& n : ports.InputNames())
        EXPECT_EQ(n.find("Drux Ports Test"), std::string::npos) << "own port listed: " << n;

    ActiveDevice = DeviceConnection();
    ActiveDevice.MidiIn = -1;
    ActiveDevice.MidiOut = indexOf(ports.OutputNames(), "from editor");
    const int peerOut = indexOf(ports.InputNames(), "to editor");
    ASSERT_GE(ActiveDevice.MidiOut, 0);
    ASSERT_GE(peerOut, 0);
    ASSERT_TRUE(ports.Open());

    ports.SendControlChange(80, 80);
    Bytes request = {0xF0, 0x00, 0x20, 0x30, 0x01, 0x11, 0x05, 0xF7};
    ASSERT_TRUE(ports.SendSysex(request));
    ASSERT_TRUE(waitFor([&] {
        std::lock_guard<std::mutex> g(peer.lock);
        return peer.received.size() >= 2;
    }));
    EXPECT_EQ(peer.received[0], (Bytes{0xB0, 80, 80}));
    EXPECT_EQ(peer.received[1], request);

    // A whole-memory dump of a bass unit is the largest message a unit sends.
    Bytes dump(7010);
    for (size_t i = 0; i < dump.size(); ++i)
        dump[i] = static_cast<uint8_t>(i % 128);
    dump.front() = 0xF0;
    dump.back() = 0xF7;
    peer.out.sendMessage(dump.data(), dump.size());
    peer.out.sendMessage(std::vector<unsigned char>{0xB0, 12, 5}.data(), 3);
    ASSERT_TRUE(waitFor([&] { return got.size() >= 2; }));
    EXPECT_EQ(got[0].first, peerOut);
    EXPECT_EQ(got[0].second, dump);
    EXPECT_EQ(got[1].second, (Bytes{0xB0, 12, 5}));
    ActiveDevice = DeviceConnection();
}

} // namespace
