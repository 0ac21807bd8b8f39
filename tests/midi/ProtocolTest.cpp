#include <QTest>
#include <gtest/gtest.h>

#include <random>

#include "midi/LoopbackDriver.h"
#include "midi/MidiPorts.h"
#include "midi/PortsUnitLink.h"
#include "midi/Protocol.h"
#include "model/DeviceConnection.h"
#include "model/Parameters.h"
#include "model/Presets.h"
#include "model/Trace.h"
#include "support/ProgramState.h"

namespace {

using Bytes = std::vector<uint8_t>;

class AnsweringUi : public ProtocolUi {
public:
    void setBusy(bool on) override { busy.push_back(on); }
    bool askRetry(const std::string& text) override
    {
        asked.push_back(text);
        return retry;
    }
    std::vector<bool> busy;
    std::vector<std::string> asked;
    bool retry = false;
};

struct Family {
    int model;
    int length;
};

class ProtocolTest : public ::testing::TestWithParam<Family> {
protected:
    void SetUp() override
    {
        state.useModel(GetParam().model);
        ActiveDevice.MidiDevice = 2;
        ActiveDevice.MidiChan = 2;
        ActiveDevice.MidiIn = 1;
        ActiveDevice.MidiOut = 1;
        ActiveDevice.DeviceKey = "DEV11M02I01O01";
        auto d = std::make_unique<LoopbackDriver>(std::vector<std::string>{"In A", "In B"},
                                                  std::vector<std::string>{"Out A", "Out B"});
        driver = d.get();
        ports = std::make_unique<MidiPorts>(std::move(d));
        ASSERT_TRUE(ports->Enumerate());
        protocol = std::make_unique<Protocol>(*ports);
        protocol->setUi(&ui);
        protocol->hooks.unitRecognised = [this] { ++recognised; };
        protocol->hooks.nameRequested = [this] { ++nameRequests; };
        protocol->hooks.stopSearchTimer = [this] { ++searchTimerStops; };
        protocol->hooks.memoryRead = [this] { ++memoryReads; };
        protocol->hooks.readAborted = [this] { ++aborts; };
        SetTraceSink([this](int, const std::string& l) { trace.push_back(l); });
    }
    void TearDown() override
    {
        protocol.reset();
        ports.reset();
    }

    int length() const { return GetParam().length; }
    int model() const { return GetParam().model; }
    uint8_t mm() const { return static_cast<uint8_t>(model()); }
    bool traced(const std::string& text) const
    {
        return std::find(trace.begin(), trace.end(), text) != trace.end();
    }
    Bytes lastSent() const { return driver->sent.empty() ? Bytes{} : driver->sent.back().second; }
    Bytes presetDump(int preset, uint8_t fill) const
    {
        std::vector<uint8_t> image(static_cast<size_t>(length()), fill);
        return PresetDumpMessage(2, model(), preset, image.data(), length());
    }
    Bytes memoryDump() const
    {
        std::vector<uint8_t> images(static_cast<size_t>(125 * length()));
        for (int j = 0; j < 125; ++j)
            std::fill_n(images.begin() + j * length(), length(), static_cast<uint8_t>(j));
        return MemoryDumpMessage(2, model(), images.data(), length());
    }
    Bytes requestPreset(int n) const { return {0xF0, 0x00, 0x20, 0x32, 0x02, mm(), 0x60, static_cast<uint8_t>(n), 0xF7}; }
    Bytes requestMemory() const { return {0xF0, 0x00, 0x20, 0x32, 0x02, mm(), 0x61, 0xF7}; }

    ProgramState state;
    LoopbackDriver* driver = nullptr;
    std::unique_ptr<MidiPorts> ports;
    std::unique_ptr<Protocol> protocol;
    AnsweringUi ui;
    std::vector<std::string> trace;
    int recognised = 0, nameRequests = 0, searchTimerStops = 0, memoryReads = 0, aborts = 0;
};

INSTANTIATE_TEST_SUITE_P(Models, ProtocolTest, ::testing::Values(Family{0x0D, 48}, Family{0x11, 48}, Family{0x13, 56}),
                         [](const auto& info) { return "Model" + std::to_string(info.param.model); });

TEST_P(ProtocolTest, RequestsWaitWithTheBusyPointer)
{
    protocol->ReadPreset(7, 5);
    EXPECT_EQ(lastSent(), requestPreset(7));
    EXPECT_EQ(protocol->RequestedPreset, 7);
    EXPECT_EQ(protocol->UploadTimer.interval(), 600);
    EXPECT_TRUE(protocol->Waiting());
    EXPECT_EQ(ui.busy, std::vector<bool>{true});

    protocol->ReadMemory(1);
    EXPECT_EQ(lastSent(), requestMemory());
    EXPECT_EQ(protocol->RequestedPreset, -1);
    EXPECT_EQ(protocol->UploadTimer.interval(), 6000);
    EXPECT_EQ(ui.busy, std::vector<bool>{true}); // still the one busy pointer
}

TEST_P(ProtocolTest, SendersThatDependOnTheModel)
{
    const bool first = model() == 0x0D;
    driver->sent.clear();
    protocol->RequestName();
    protocol->SendSetName("Hi");
    protocol->SendGlobal(0x24, 40);
    std::vector<Bytes> expected;
    if (!first) {
        expected.push_back({0xF0, 0x00, 0x20, 0x32, 0x02, mm(), 0x65, 0xF7});
        Bytes name = {0xF0, 0x00, 0x20, 0x32, 0x02, mm(), 0x25, 'H', 'i'};
        name.insert(name.end(), 14, ' ');
        name.push_back(0xF7);
        expected.push_back(name);
    } else {
        expected.push_back({0xF0, 0x00, 0x20, 0x32, 0x02, 0x0D, 0x24, 40, 0xF7});
    }
    std::vector<Bytes> sent;
    for (auto& [port, m] : driver->sent)
        sent.push_back(m);
    EXPECT_EQ(sent, expected);
    EXPECT_EQ(nameRequests, first ? 0 : 1);
}

TEST_P(ProtocolTest, ParameterModelReachesTheUnitThroughTheLink)
{
    PortsUnitLink link(*ports, protocol.get());
    driver->sent.clear();
    link.sendGlobalParameter(0x23, 100);
    if (model() == 0x0D)
        EXPECT_EQ(lastSent(), (Bytes{0xF0, 0x00, 0x20, 0x32, 0x02, 0x0D, 0x23, 0x64, 0xF7}));
    else
        EXPECT_TRUE(driver->sent.empty()); // later models take these as controllers

    std::vector<uint8_t> image(static_cast<size_t>(length()), 0x11);
    link.sendPresetDump(30, image.data(), length());
    Bytes dump = {0xF0, 0x00, 0x20, 0x32, 0x02, mm(), 0x20, 30, static_cast<uint8_t>(length())};
    dump.insert(dump.end(), image.begin(), image.end());
    dump.push_back(0xF7);
    EXPECT_EQ(lastSent(), dump);

    // The whole memory leaves as one Memory dump: header, 21h, 7Dh, image length,
    // the 125 images, F7.
    std::vector<uint8_t> memory(static_cast<size_t>(125 * length()), 0x22);
    link.sendMemoryDump(memory.data(), static_cast<int>(memory.size()));
    Bytes all = {0xF0, 0x00, 0x20, 0x32, 0x02, mm(), 0x21, 0x7D, static_cast<uint8_t>(length())};
    all.insert(all.end(), memory.begin(), memory.end());
    all.push_back(0xF7);
    EXPECT_EQ(lastSent(), all);

    link.requestPreset(12);
    EXPECT_EQ(lastSent(), requestPreset(12));
    EXPECT_EQ(protocol->RetryBudget, 5);
    EXPECT_EQ(protocol->UploadTimer.interval(), 600);
    EXPECT_FALSE(protocol->OneByOneDump);
}

TEST_P(ProtocolTest, NoPortsMeansNothingSent)
{
    driver->failingOutputs = {1};
    protocol->ReadMemory(1);
    protocol->SendSetChannel(3);
    EXPECT_TRUE(driver->sent.empty());
    EXPECT_TRUE(traced("  No MIDI device"));
    EXPECT_FALSE(protocol->Waiting());
}

TEST_P(ProtocolTest, IdentifyReplyDescribesTheUnit)
{
    ActiveDevice.MidiIn = -1;
    ActiveDevice.MidiOut = 1;
    const std::string text = model() == 0x13 ? "BASS DRUX PRO V1" : (model() == 0x0D ? "DRUX V1" : "DRUXORA V2");
    Bytes reply = {0xF0, 0x00, 0x20, 0x32, 0x05, mm(), 0x02};
    reply.insert(reply.end(), text.begin(), text.end());
    reply.push_back(0xF7);
    ports->Open();
    driver->sent.clear();
    protocol->HandleSysexIn(1, reply);

    EXPECT_EQ(searchTimerStops, 1);
    EXPECT_EQ(ActiveDevice.Model, model());
    EXPECT_EQ(ActiveDevice.MidiDevice, 5);
    EXPECT_EQ(ActiveDevice.MidiChan, 5);
    EXPECT_EQ(ActiveDevice.MidiIn, 1);
    EXPECT_EQ(ActiveDevice.SubModel, model() == 0x13 ? 5 : (model() == 0x0D ? 0 : 3));
    EXPECT_EQ(ActiveDevice.ModelText, model() == 0x13 ? "BASS DRUX PRO V1" : (model() == 0x0D ? "DRUX V1" : "DRUXORA V2"));
    char key[32];
    std::snprintf(key, sizeof key, "DEV%02XM05I01O01", model());
    EXPECT_EQ(ActiveDevice.DeviceKey, key);
    EXPECT_EQ(ActiveDevice.DeviceName, "Device 6 @ Out B");
    EXPECT_TRUE(traced(std::string("Found Dev 5, App ") + (model() == 0x0D ? "D" : model() == 0x11 ? "11" : "13")));
    if (model() == 0x0D) {
        // The first-generation unit has no name: it is recognised at once.
        EXPECT_EQ(recognised, 1);
        EXPECT_TRUE(driver->sent.empty());
    } else {
        EXPECT_EQ(recognised, 0);
        EXPECT_EQ(nameRequests, 1);
        EXPECT_EQ(lastSent(), (Bytes{0xF0, 0x00, 0x20, 0x32, 0x05, mm(), 0x65, 0xF7}));
    }
}

TEST_P(ProtocolTest, NameReplyOfTheUnitNamesIt)
{
    Bytes reply = {0xF0, 0x00, 0x20, 0x32, 0x02, mm(), 0x25};
    const std::string name = "Rehearsal       ";
    reply.insert(reply.end(), name.begin(), name.end());
    reply.push_back(0xF7);

    ActiveDevice.Model = model() == 0x0D ? 0x11 : model(); // the first-generation unit has no name
    reply[5] = static_cast<uint8_t>(ActiveDevice.Model);
    protocol->RequestName();
    Bytes other = reply;
    other[4] = 3;
    protocol->HandleSysexIn(1, other);
    EXPECT_EQ(recognised, 0);

    protocol->HandleSysexIn(1, reply);
    EXPECT_EQ(ActiveDevice.DeviceName, "Rehearsal");
    EXPECT_EQ(recognised, 1);

    // No name in it: the unit is still recognised under its old name.
    protocol->RequestName();
    reply[7] = 0;
    protocol->HandleSysexIn(1, reply);
    EXPECT_EQ(ActiveDevice.DeviceName, "Rehearsal");
    EXPECT_EQ(recognised, 2);
}

TEST_P(ProtocolTest, EchoedRequestsStartNothing)
{
    ActiveDevice.MidiIn = -1; // searching: every input port is listened to
    ports->Open();
    driver->sent.clear();
    for (const Bytes& echo : {IdentifyRequestMessage(), requestMemory(), requestPreset(4),
                              Bytes{0xF0, 0x00, 0x20, 0x32, 0x02, mm(), 0x65, 0xF7}}) {
        protocol->HandleSysexIn(0, echo);
        protocol->HandleSysexIn(1, Bytes(echo.begin() + 1, echo.end())); // and without its F0h
    }
    EXPECT_TRUE(driver->sent.empty());
    EXPECT_EQ(searchTimerStops, 0);
    EXPECT_EQ(recognised, 0);
    EXPECT_EQ(nameRequests, 0);
    EXPECT_EQ(ActiveDevice.MidiIn, -1);
}

TEST_P(ProtocolTest, EchoedSetNameIsNoNameReply)
{
    ActiveDevice.Model = model() == 0x0D ? 0x11 : model();
    ActiveDevice.DeviceName = "Old";
    protocol->SendSetName("New Name");
    protocol->HandleSysexIn(1, lastSent()); // back through a Thru port
    EXPECT_EQ(recognised, 0);
    EXPECT_EQ(ActiveDevice.DeviceName, "Old");
    EXPECT_TRUE(traced("Name not asked for, ignored"));
}

TEST_P(ProtocolTest, WholeMemoryStoredAtOnce)
{
    protocol->ReadMemory(1);
    protocol->HandleSysexIn(1, memoryDump());
    EXPECT_EQ(memoryReads, 1);
    EXPECT_FALSE(protocol->Waiting());
    EXPECT_EQ(ui.busy, (std::vector<bool>{true, false}));
    EXPECT_EQ(DeviceMemory[0]->data[0], 0);
    EXPECT_EQ(DeviceMemory[124]->data[length() - 1], 124);
    EXPECT_EQ(DeviceMemory[124]->data[length()], 0); // nothing beyond the image
}

TEST_P(ProtocolTest, CutMemoryDumpIsAskedAgainThenReadOnePresetAtATime)
{
    const Bytes full = memoryDump();
    const Bytes cut(full.begin(), full.begin() + 3000);
    protocol->ReadMemory(1);
    protocol->HandleSysexIn(1, cut);
    EXPECT_EQ(lastSent(), requestMemory());
    EXPECT_EQ(protocol->RetryBudget, 0);

    protocol->HandleSysexIn(1, cut);
    EXPECT_TRUE(protocol->OneByOneDump);
    EXPECT_EQ(protocol->RetryBudget, 5);
    EXPECT_EQ(lastSent(), requestPreset(0));
    EXPECT_EQ(protocol->UploadTimer.interval(), 600);

    for (int p = 0; p < 125; ++p) {
        ASSERT_EQ(lastSent(), requestPreset(p));
        protocol->HandleSysexIn(1, presetDump(p, static_cast<uint8_t>(p + 1)));
    }
    EXPECT_FALSE(protocol->OneByOneDump);
    EXPECT_FALSE(protocol->Waiting());
    EXPECT_EQ(memoryReads, 1);
    EXPECT_EQ(DeviceMemory[0]->data[0], 1);
    EXPECT_EQ(DeviceMemory[124]->data[length() - 1], 125);
    EXPECT_TRUE(traced("Rx Preset 124, len " + std::to_string(length()) + ", nr " + std::to_string(length() + 10)));
}

// A late answer to an earlier request, cut short or whole, or a late memory
// dump, answers nothing that is outstanding: the request for the next preset
// keeps its time-out and the busy pointer, and is asked again when it ends.
TEST_P(ProtocolTest, AnswersNotAskedForLeaveTheRequestWaiting)
{
    const Bytes full = memoryDump();
    const Bytes cutMemory(full.begin(), full.begin() + 3000);
    protocol->ReadMemory(1);
    protocol->HandleSysexIn(1, cutMemory);
    protocol->HandleSysexIn(1, cutMemory);
    ASSERT_EQ(lastSent(), requestPreset(0));
    protocol->HandleSysexIn(1, presetDump(0, 1));
    ASSERT_EQ(lastSent(), requestPreset(1));

    const size_t sent = driver->sent.size();
    const auto busy = ui.busy;
    Bytes lateCut = presetDump(0, 9);
    lateCut.resize(20);
    for (const Bytes& late : {presetDump(0, 9), lateCut, cutMemory, presetDump(7, 9)})
        protocol->HandleSysexIn(1, late);
    EXPECT_TRUE(protocol->Waiting());
    EXPECT_TRUE(protocol->Busy());
    EXPECT_EQ(ui.busy, busy);
    EXPECT_EQ(protocol->RequestedPreset, 1);
    EXPECT_TRUE(protocol->OneByOneDump);
    EXPECT_EQ(driver->sent.size(), sent);

    // Preset 1's answer is lost: its time-out asks for it again.
    EXPECT_TRUE(QTest::qWaitFor([&] { return driver->sent.size() > sent; }, 1500));
    EXPECT_EQ(lastSent(), requestPreset(1));
    EXPECT_EQ(protocol->RetryBudget, 4);
    protocol->HandleSysexIn(1, presetDump(1, 2));
    EXPECT_EQ(lastSent(), requestPreset(2));
    EXPECT_EQ(DeviceMemory[1]->data[0], 2);
}

TEST_P(ProtocolTest, TimeOutsSpendTheBudgetThenAskTheUser)
{
    protocol->ReadPreset(3, 2);
    EXPECT_EQ(protocol->UploadTimer.interval(), 1200);
    protocol->UploadTimerTimer();
    EXPECT_EQ(protocol->RetryBudget, 1);
    EXPECT_EQ(lastSent(), requestPreset(3));
    EXPECT_EQ(protocol->UploadTimer.interval(), 1400);
    protocol->UploadTimerTimer();
    EXPECT_EQ(protocol->RetryBudget, 0);
    EXPECT_EQ(protocol->UploadTimer.interval(), 1600);
    EXPECT_TRUE(ui.asked.empty());

    // Budget spent: Retry restarts the read as a whole-memory request.
    ui.retry = true;
    protocol->UploadTimerTimer();
    ASSERT_EQ(ui.asked.size(), 1u);
    EXPECT_EQ(ui.asked[0], "No response from Drux !!\nCheck connection.");
    EXPECT_EQ(protocol->RetryBudget, 1);
    EXPECT_EQ(lastSent(), requestMemory());
    EXPECT_EQ(protocol->UploadTimer.interval(), 6000);

    protocol->UploadTimerTimer();
    EXPECT_EQ(lastSent(), requestMemory());
    ui.retry = false;
    const size_t sent = driver->sent.size();
    protocol->UploadTimerTimer();
    EXPECT_EQ(ui.asked.size(), 2u);
    EXPECT_EQ(driver->sent.size(), sent);
    EXPECT_TRUE(traced("Check connection."));
    EXPECT_FALSE(protocol->Busy());
    EXPECT_EQ(ui.busy.back(), false);
    EXPECT_EQ(aborts, 1);
}

// The ports go away while a read waits: the requests that cannot go out
// still wait their time, and the read ends in the question, not with the
// busy pointer up for good.
TEST_P(ProtocolTest, PortsLostDuringAReadStillEndInTheQuestion)
{
    protocol->ReadMemory(1);
    ports->Close(true);
    driver->failingOutputs = {1};
    protocol->UploadTimerTimer();
    EXPECT_TRUE(protocol->Waiting());
    EXPECT_TRUE(traced("  No MIDI device"));
    protocol->UploadTimerTimer();
    EXPECT_EQ(ui.asked, std::vector<std::string>{"No response from Drux !!\nCheck connection."});
    EXPECT_FALSE(protocol->Busy());
    EXPECT_EQ(aborts, 1);
}

TEST_P(ProtocolTest, RepliesOfAnotherUnitLeaveTheRequestWaiting)
{
    protocol->ReadMemory(1);
    Bytes other = memoryDump();
    other[4] = 3;
    protocol->HandleSysexIn(1, other);
    Bytes model = memoryDump();
    model[5] = model[5] == 0x11 ? 0x13 : 0x11;
    protocol->HandleSysexIn(1, model);
    EXPECT_TRUE(protocol->Waiting());
    EXPECT_EQ(memoryReads, 0);

    // Not yet listening to one input port: no dump is taken.
    ActiveDevice.MidiIn = -1;
    protocol->HandleSysexIn(1, memoryDump());
    EXPECT_TRUE(protocol->Waiting());
}

TEST_P(ProtocolTest, ShortPresetDumpIsAskedAgainAtOnceButNotForever)
{
    protocol->ReadPreset(9, 5);
    Bytes noStart = presetDump(9, 1);
    noStart.erase(noStart.begin());
    const size_t before = driver->sent.size();
    for (int i = 0; i < 5; ++i)
        protocol->HandleSysexIn(1, noStart);
    EXPECT_EQ(driver->sent.size(), before + 5);
    EXPECT_EQ(lastSent(), requestPreset(9));
    EXPECT_EQ(protocol->RetryBudget, 5);

    // The sixth in a row waits for the time-out, which spends the budget.
    protocol->HandleSysexIn(1, noStart);
    EXPECT_EQ(driver->sent.size(), before + 5);
    EXPECT_TRUE(protocol->Waiting());
    protocol->UploadTimerTimer();
    EXPECT_EQ(protocol->RetryBudget, 4);
    EXPECT_EQ(lastSent(), requestPreset(9));

    protocol->HandleSysexIn(1, presetDump(9, 77));
    EXPECT_FALSE(protocol->Waiting());
    EXPECT_EQ(DeviceMemory[9]->data[0], 77);
}

TEST_P(ProtocolTest, PresetNumbersBeyondTheMemoryAreNotStored)
{
    protocol->HandleSysexIn(1, presetDump(125, 42));
    protocol->HandleSysexIn(1, presetDump(127, 42));
    EXPECT_TRUE(traced("Rx Preset 125, len " + std::to_string(length()) + ", nr " + std::to_string(length() + 10)));
    for (int j = 0; j < 125; ++j)
        ASSERT_NE(DeviceMemory[j]->data[0], 42);
}

TEST_P(ProtocolTest, BadInputIsTracedOrIgnored)
{
    const Bytes before(DeviceMemory[0]->data.begin(), DeviceMemory[0]->data.end());
    protocol->HandleSysexIn(5, memoryDump());
    EXPECT_TRUE(traced("Midi Input error port 5"));
    protocol->HandleSysexIn(-1, memoryDump());
    EXPECT_TRUE(traced("Midi Input error port -1"));
    protocol->HandleSysexIn(0, {});
    EXPECT_TRUE(traced("HandleMidiSysExIn"));
    protocol->HandleSysexIn(0, {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7});
    EXPECT_TRUE(traced("Recieved Manufacture Id 41"));
    Bytes huge = memoryDump();
    huge.resize(10241, 0);
    protocol->HandleSysexIn(1, huge);
    // Echoed requests of the program itself.
    protocol->HandleSysexIn(1, IdentifyRequestMessage());
    protocol->HandleSysexIn(1, requestMemory());

    std::mt19937 random(7);
    for (int i = 0; i < 2000; ++i) {
        Bytes noise(random() % 80);
        for (auto& b : noise)
            b = static_cast<uint8_t>(random());
        if (noise.size() > 7 && i % 2) {
            noise[0] = 0xF0, noise[1] = 0x00, noise[2] = 0x20, noise[3] = 0x32;
        }
        protocol->HandleSysexIn(static_cast<int>(random() % 3) - 1, noise);
    }
    EXPECT_EQ(memoryReads, 0);
    EXPECT_EQ(Bytes(DeviceMemory[0]->data.begin(), DeviceMemory[0]->data.end()), before);
}

} // namespace
