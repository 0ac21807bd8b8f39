#include <QCoreApplication>
#include <gtest/gtest.h>
#include <thread>

#include "midi/LoopbackDriver.h"
#include "midi/MidiDispatch.h"
#include "midi/MidiPorts.h"
#include "model/DeviceConnection.h"
#include "model/Trace.h"
#include "support/ProgramState.h"

namespace {

using Bytes = std::vector<uint8_t>;

class Ports : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto d = std::make_unique<LoopbackDriver>(std::vector<std::string>{"In A", "In B", "In C"},
                                                  std::vector<std::string>{"Out A", "Out B"});
        driver = d.get();
        ports = std::make_unique<MidiPorts>(std::move(d));
        ports->SetInputHandler([this](int port, const Bytes& m) { received.emplace_back(port, m); });
        SetTraceSink([this](int, const std::string& l) { trace.push_back(l); });
        ASSERT_TRUE(ports->Enumerate());
    }
    void TearDown() override { ports.reset(); }
    void deliverPosted() { QCoreApplication::processEvents(); }
    bool traced(const std::string& text) const
    {
        return std::find(trace.begin(), trace.end(), text) != trace.end();
    }

    ProgramState state;
    LoopbackDriver* driver = nullptr;
    std::unique_ptr<MidiPorts> ports;
    std::vector<std::pair<int, Bytes>> received;
    std::vector<std::string> trace;
};

TEST_F(Ports, ListeningToEveryInputSkipsOneThatWillNotOpen)
{
    ActiveDevice.MidiIn = -1;
    driver->failingInputs = {1};
    EXPECT_TRUE(ports->Open());
    EXPECT_TRUE(ports->InputStarted(0));
    EXPECT_FALSE(ports->InputOpen(1));
    EXPECT_TRUE(ports->InputStarted(2));
    EXPECT_TRUE(traced("Open MIDI out: Out A"));

    driver->failingInputs = {0, 1, 2};
    ports->Close(true);
    EXPECT_FALSE(ports->Open());
    EXPECT_EQ(driver->openOutputPort(), -1); // the output is closed again
}

TEST_F(Ports, ClosingWhileListeningToAllStopsButClosesNone)
{
    ActiveDevice.MidiIn = -1;
    ASSERT_TRUE(ports->Open());
    ports->Close(false);
    EXPECT_FALSE(ports->PortsOpen());
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(ports->InputOpen(i));
        EXPECT_FALSE(ports->InputStarted(i));
        EXPECT_TRUE(driver->inputOpen(i));
    }
    // Input on a stopped port is not delivered.
    driver->inject(0, {0xB0, 12, 1});
    deliverPosted();
    EXPECT_TRUE(received.empty());
}

TEST_F(Ports, SelectingOneInputClosesTheOthers)
{
    ActiveDevice.MidiIn = -1;
    ASSERT_TRUE(ports->Open());
    ActiveDevice.MidiIn = 1; // the identify reply named port 1
    EXPECT_TRUE(ports->Reopen());
    EXPECT_FALSE(ports->InputOpen(0));
    EXPECT_TRUE(ports->InputStarted(1));
    EXPECT_FALSE(ports->InputOpen(2));
    ports->Close(true);
    EXPECT_FALSE(ports->InputOpen(1));
}

TEST_F(Ports, InputArrivesInOrderTaggedWithItsPort)
{
    ActiveDevice.MidiIn = -1;
    ASSERT_TRUE(ports->Open());
    Bytes sysex(7010, 0x11);
    sysex.front() = 0xF0;
    sysex.back() = 0xF7;
    std::thread far([&] {
        driver->inject(2, {0xB0, 12, 1});
        driver->inject(0, sysex);
        driver->inject(1, {0xC0, 5});
    });
    far.join();
    EXPECT_TRUE(received.empty()); // nothing runs before the event loop does
    deliverPosted();
    ASSERT_EQ(received.size(), 3u);
    EXPECT_EQ(received[0], (std::pair<int, Bytes>{2, {0xB0, 12, 1}}));
    EXPECT_EQ(received[1].first, 0);
    EXPECT_EQ(received[1].second, sysex);
    EXPECT_EQ(received[2], (std::pair<int, Bytes>{1, {0xC0, 5}}));
}

TEST_F(Ports, SysexLongerThanTheBufferIsDropped)
{
    ASSERT_TRUE(ports->Open());
    Bytes fits(10240, 0), tooLong(10241, 0);
    fits.front() = tooLong.front() = 0xF0;
    fits.back() = tooLong.back() = 0xF7;
    driver->inject(0, tooLong);
    driver->inject(0, fits);
    deliverPosted();
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].second.size(), 10240u);
    EXPECT_TRUE(traced("MIDI in unknown message"));
}

TEST_F(Ports, ShortMessagesGoOutOnTheUnitsChannelOpeningThePortsOnDemand)
{
    ActiveDevice.MidiChan = 3;
    ActiveDevice.MidiOut = 1;
    ports->SendControlChange(80, 80);
    ports->SendProgramChange(12);
    ports->SendNoteOn(60, 100);
    ports->SendNoteOff(60, 0);
    ASSERT_EQ(driver->sent.size(), 4u);
    EXPECT_EQ(driver->sent[0], (std::pair<int, Bytes>{1, {0xB3, 80, 80}}));
    EXPECT_EQ(driver->sent[1].second, (Bytes{0xC3, 12}));
    EXPECT_EQ(driver->sent[2].second, (Bytes{0x93, 60, 100}));
    EXPECT_EQ(driver->sent[3].second, (Bytes{0x83, 60, 0}));
    EXPECT_TRUE(traced("SendMidiNoteOn 60"));
}

TEST_F(Ports, AFailedOpenIsTriedAgainByTheNextSend)
{
    driver->failingOutputs = {0};
    driver->errorCode = 11;
    ports->SendControlChange(7, 1);
    EXPECT_TRUE(driver->sent.empty());
    EXPECT_TRUE(traced(" ! No MIDI out device code = 11"));
    driver->failingOutputs.clear();
    ports->SendControlChange(7, 2);
    ASSERT_EQ(driver->sent.size(), 1u);
    EXPECT_EQ(driver->sent[0].second, (Bytes{0xB0, 7, 2}));
}

TEST_F(Ports, AFailedCloseKeepsThePortsOpen)
{
    ASSERT_TRUE(ports->Open());
    driver->failClose = true;
    driver->errorCode = 7;
    ports->Close(false);
    EXPECT_TRUE(ports->PortsOpen());
    EXPECT_TRUE(traced("CloseMidiPort error = 7"));
    driver->failClose = false;
}

// The trace carries the MIDI system's error code, not a port number or a
// status byte.
TEST_F(Ports, FailuresAreTracedWithTheDriversErrorCode)
{
    driver->errorCode = 9;
    driver->failingInputs = {1};
    ActiveDevice.MidiIn = 1;
    EXPECT_FALSE(ports->Open());
    EXPECT_TRUE(traced("! No MIDI in 1 device code = 9"));
    ActiveDevice.MidiIn = -1;
    EXPECT_TRUE(ports->Open());
    EXPECT_TRUE(traced(" ! No MIDI in device code = 9"));

    driver->failSend = true;
    ports->SendControlChange(7, 1);
    ports->SendProgramChange(3);
    ports->SendNoteOn(60, 1);
    ports->SendNoteOff(60, 0);
    driver->failSend = false;
    EXPECT_EQ(std::count(trace.begin(), trace.end(), "SendMidiControl error 9"), 2);
    EXPECT_TRUE(traced("SendMidiNoteOn error 9"));
    EXPECT_TRUE(traced("SendMidiNoteOff error 9"));
}

struct Routed {
    std::vector<std::pair<int, int>> controllers;
    std::vector<int> programs;
    std::vector<std::pair<int, Bytes>> sysex;
    MidiHooks hooks()
    {
        return {[this](int c, int v) { controllers.emplace_back(c, v); },
                [this](int p) { programs.push_back(p); },
                [this](int port, const Bytes& m) { sysex.emplace_back(port, m); }};
    }
};

TEST(MidiDispatch, OnlyTheUnitsChannelReachesTheProgram)
{
    ActiveDevice = DeviceConnection();
    ActiveDevice.MidiChan = 2;
    Routed r;
    const MidiHooks h = r.hooks();
    DispatchMidiInput(h, 0, {0xB2, 13, 90});
    DispatchMidiInput(h, 0, {0xB1, 13, 91}); // another channel
    DispatchMidiInput(h, 0, {0xC5, 4});      // program change on another channel
    DispatchMidiInput(h, 0, {0xC2, 4});
    DispatchMidiInput(h, 0, {0x92, 60, 1});  // notes are not the unit's business
    DispatchMidiInput(h, 0, {0xF8});         // clock
    DispatchMidiInput(h, 1, {0xF0, 0x00, 0xF7});
    DispatchMidiInput(h, 1, {0xB2});         // cut short
    DispatchMidiInput(h, 1, {});
    EXPECT_EQ(r.controllers, (std::vector<std::pair<int, int>>{{13, 90}}));
    EXPECT_EQ(r.programs, std::vector<int>{4});
    ASSERT_EQ(r.sysex.size(), 1u);
    EXPECT_EQ(r.sysex[0].first, 1);
    ActiveDevice = DeviceConnection();
}

} // namespace
