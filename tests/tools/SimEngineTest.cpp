#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTemporaryDir>
#include <fstream>

#include "SimEngine.h"
#include "SimFrames.h"
#include "midi/MidiDispatch.h"
#include "midi/MidiPorts.h"
#include "midi/Protocol.h"
#include "model/Controllers.h"
#include "model/DeviceConnection.h"
#include "model/EditorLink.h"
#include "model/Parameters.h"
#include "model/Presets.h"
#include "support/ProgramState.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct Collected {
    std::vector<Bytes> messages;
    SimEngine::Output output()
    {
        return [this](const Bytes& m) { messages.push_back(m); };
    }
};

SimEngine engineFor(int model, int variant = -1)
{
    SimOptions o;
    o.model = model;
    o.variant = variant;
    o.deviceId = 3;
    return SimEngine(o);
}

// The simulator frames its messages with its own code: what it builds, the
// program's parser reads, and what the program builds, the simulator reads.
TEST(SimFrames, ProgramAndSimulatorReadEachOthersMessages)
{
    const Bytes image = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20,
                         21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34, 35, 36, 37, 38,
                         39, 40, 'B', 'a', 's', 's', ' ', 'R', 'i', 'g', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '};
    Bytes images;
    for (int slot = 0; slot < 125; ++slot)
        images.insert(images.end(), image.begin(), image.end());

    const auto identity = ParseIdentifyReply(FrameSysex(SimFrames::identifyReply(3, 0x13, "BASS DRUX PRO V1.05")));
    ASSERT_TRUE(identity.has_value());
    EXPECT_EQ(identity->device, 3);
    EXPECT_EQ(identity->model, 0x13);
    EXPECT_EQ(identity->identity, "BASS DRUX PRO V1.05");
    EXPECT_EQ(ParseNameReply(FrameSysex(SimFrames::nameReply(3, 0x13, "Bass Rig"))), "Bass Rig");
    const SysexFrame preset = FrameSysex(SimFrames::presetDump(3, 0x13, 17, image));
    ASSERT_EQ(CheckPresetDump(preset, 3, 0x13, 56), DumpCheck::Complete);
    EXPECT_EQ(DumpPreset(preset), 17);
    EXPECT_EQ(Bytes(DumpData(preset), DumpData(preset) + 56), image);
    const SysexFrame memory = FrameSysex(SimFrames::memoryDump(3, 0x13, images, 56));
    ASSERT_EQ(CheckMemoryDump(memory, 3, 0x13, 56), DumpCheck::Complete);
    EXPECT_EQ(Bytes(DumpData(memory), DumpData(memory) + 125 * 56), images);

    const auto read = [](const Bytes& m) {
        const auto r = SimFrames::read(m);
        return r ? std::vector<int>{r->device, r->model, r->command, static_cast<int>(r->body.size())}
                 : std::vector<int>{};
    };
    EXPECT_EQ(read(IdentifyRequestMessage()), (std::vector<int>{0x7F, 0x7F, 0x01, 0}));
    EXPECT_EQ(read(RequestNameMessage(3, 0x13)), (std::vector<int>{3, 0x13, 0x65, 0}));
    EXPECT_EQ(read(RequestMemoryMessage(3, 0x13)), (std::vector<int>{3, 0x13, 0x61, 0}));
    EXPECT_EQ(SimFrames::read(RequestPresetMessage(3, 0x13, 17))->body, Bytes{17});
    EXPECT_EQ(SimFrames::read(SetChannelMessage(3, 0x13, 9))->body, Bytes{9});
    EXPECT_EQ(SimFrames::read(GlobalMessage(3, 0x24, 5))->body, Bytes{5});
    EXPECT_EQ(SimFrames::read(SetNameMessage(3, 0x13, "Bass Rig"))->body, Bytes(image.end() - 16, image.end()));
    Bytes dump = {17, 56};
    dump.insert(dump.end(), image.begin(), image.end());
    EXPECT_EQ(SimFrames::read(PresetDumpMessage(3, 0x13, 17, image.data(), 56))->body, dump);
    const auto whole = SimFrames::read(MemoryDumpMessage(3, 0x13, images.data(), 56));
    ASSERT_TRUE(whole.has_value());
    EXPECT_EQ(whole->command, 0x21);
    EXPECT_EQ(Bytes(whole->body.begin(), whole->body.begin() + 2), (Bytes{125, 56}));
    EXPECT_EQ(Bytes(whole->body.begin() + 2, whole->body.end()), images);
}

TEST(SimEngine, IdentityOfEachUnitTypeIsRecognisedByTheParser)
{
    const int models[7] = {0x0D, 0x11, 0x11, 0x11, 0x13, 0x13, 0x13};
    const char* names[7] = {"DRUX", "DRUX 2", "DRUX PRO", "DRUXORA", "BASS DRUX", "BASS DRUX PRO", "BASS DRUXORA"};
    for (int variant = 0; variant < 7; ++variant) {
        SCOPED_TRACE(variant);
        SimEngine sim = engineFor(models[variant], variant);
        Collected out;
        sim.setOutput(out.output());
        sim.handle(IdentifyRequestMessage());
        ASSERT_EQ(out.messages.size(), 1u);
        const auto info = ParseIdentifyReply(FrameSysex(out.messages[0]));
        ASSERT_TRUE(info.has_value());
        EXPECT_EQ(info->model, models[variant]);
        EXPECT_EQ(info->device, 3);
        EXPECT_EQ(info->subModel, variant);
        EXPECT_EQ(info->modelText.rfind(names[variant], 0), 0u);
    }
}

TEST(SimEngine, AnswersOnlyWhatIsAddressedToIt)
{
    SimEngine sim = engineFor(0x11);
    Collected out;
    sim.setOutput(out.output());
    sim.handle(RequestNameMessage(4, 0x11)); // another device id
    sim.handle(RequestNameMessage(3, 0x13)); // another model
    sim.handle({0xF0, 0x43, 0x20, 0x32, 0x03, 0x11, 0x65, 0xF7});
    EXPECT_TRUE(out.messages.empty());
    sim.handle(RequestNameMessage(3, 0x11));
    ASSERT_EQ(out.messages.size(), 1u);
    EXPECT_EQ(ParseNameReply(FrameSysex(out.messages[0])), "DRUX SIMULATOR");

    SimEngine first = engineFor(0x0D);
    first.setOutput(out.output());
    first.handle(RequestNameMessage(3, 0x0D));
    EXPECT_EQ(out.messages.size(), 1u); // the first-generation unit has no name
}

TEST(SimEngine, StoresWhatItIsSent)
{
    SimEngine sim = engineFor(0x13);
    Collected out;
    sim.setOutput(out.output());
    const Bytes image(56, 9);
    sim.handle(PresetDumpMessage(3, 0x13, 4, image.data(), 56));
    EXPECT_EQ(sim.image(4), image);
    sim.handle(PresetDumpMessage(3, 0x13, 127, image.data(), 56));
    EXPECT_EQ(sim.editBuffer(), image);
    sim.handle(SetNameMessage(3, 0x13, "Bass Rig"));
    EXPECT_EQ(sim.unitName(), "Bass Rig");

    const Bytes images(125 * 56, 1);
    sim.handle(MemoryDumpMessage(3, 0x13, images.data(), 56));
    EXPECT_EQ(sim.memory(), images);

    sim.handle(SetChannelMessage(3, 0x13, 9));
    EXPECT_EQ(sim.deviceId(), 9);
    EXPECT_EQ(sim.channel(), 9);
    sim.handle(RequestMemoryMessage(9, 0x13));
    ASSERT_EQ(out.messages.size(), 1u);
    EXPECT_EQ(CheckMemoryDump(FrameSysex(out.messages[0]), 9, 0x13, 56), DumpCheck::Complete);
}

TEST(SimEngine, Faults)
{
    SimOptions o;
    o.ignoreMemoryRequests = 1;
    o.cutMemoryDumps = 1;
    o.cutPresetDumps = 1;
    SimEngine sim(o);
    Collected out;
    sim.setOutput(out.output());
    sim.handle(RequestMemoryMessage(0, 0x11));
    EXPECT_TRUE(out.messages.empty());
    sim.handle(RequestMemoryMessage(0, 0x11));
    sim.handle(RequestMemoryMessage(0, 0x11));
    sim.handle(RequestPresetMessage(0, 0x11, 2));
    sim.handle(RequestPresetMessage(0, 0x11, 2));
    ASSERT_EQ(out.messages.size(), 4u);
    EXPECT_EQ(CheckMemoryDump(FrameSysex(out.messages[0]), 0, 0x11, 48), DumpCheck::Short);
    EXPECT_EQ(CheckMemoryDump(FrameSysex(out.messages[1]), 0, 0x11, 48), DumpCheck::Complete);
    EXPECT_EQ(CheckPresetDump(FrameSysex(out.messages[2]), 0, 0x11, 48), DumpCheck::Short);
    EXPECT_EQ(CheckPresetDump(FrameSysex(out.messages[3]), 0, 0x11, 48), DumpCheck::Complete);

    o = SimOptions();
    o.neverAnswer = true;
    SimEngine silent(o);
    silent.setOutput(out.output());
    silent.handle(IdentifyRequestMessage());
    silent.handle(RequestMemoryMessage(0, 0x11));
    EXPECT_EQ(out.messages.size(), 4u);
    EXPECT_EQ(silent.memoryRequests, 1);
}

TEST(SimEngine, LateAndDroppedReplies)
{
    SimOptions o;
    ASSERT_TRUE(ParseDelays("2:700,3:50", o.delayPresetReplies));
    ASSERT_TRUE(ParseNumberList("1,4", o.dropPresetRequests));
    EXPECT_FALSE(ParseDelays("2-700", o.delayPresetReplies));
    EXPECT_FALSE(ParseNumberList("1;4", o.dropPresetRequests));
    o.delayNameReply = 300;
    SimEngine sim(o);
    Collected out;
    std::vector<int> lateMs;
    sim.setOutput(out.output());
    for (int n = 0; n < 4; ++n)
        sim.handle(RequestPresetMessage(0, 0x11, n));
    ASSERT_EQ(out.messages.size(), 0u); // 1 and 4 dropped, 2 and 3 held back
    sim.setLateOutput([&](int ms, const Bytes& m) {
        lateMs.push_back(ms);
        out.messages.push_back(m);
    });
    sim.handle(RequestNameMessage(0, 0x11));
    EXPECT_EQ(lateMs, std::vector<int>{300});
    sim.releaseLate();
    ASSERT_EQ(out.messages.size(), 3u);
    EXPECT_EQ(DumpPreset(FrameSysex(out.messages[1])), 1);
    EXPECT_EQ(DumpPreset(FrameSysex(out.messages[2])), 2);
    EXPECT_EQ(sim.presetRequests, 4);
}

TEST(SimEngine, MemoryFileRoundTrip)
{
    QTemporaryDir dir;
    const std::string path = dir.filePath("unit.syx").toStdString();
    SimOptions o;
    o.model = 0x13;
    o.memoryFile = path;
    {
        SimEngine sim(o);
        const Bytes image(56, 42);
        sim.handle(PresetDumpMessage(0, 0x13, 124, image.data(), 56)); // saved at once
    }
    std::ifstream in(path, std::ios::binary);
    const Bytes file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_EQ(file.size(), 7010u);
    EXPECT_EQ((Bytes{file.begin(), file.begin() + 9}), (Bytes{0xF0, 0x00, 0x20, 0x32, 0x00, 0x13, 0x21, 0x7D, 56}));
    EXPECT_EQ(file[9 + 124 * 56], 42);
    EXPECT_EQ(file.back(), 0xF7);

    SimEngine again(o);
    EXPECT_EQ(again.image(124), Bytes(56, 42));
    std::string error;
    o.model = 0x11;
    SimEngine guitar(o); // a bass memory does not fit a guitar unit
    EXPECT_FALSE(guitar.loadMemory(path, error));
    EXPECT_FALSE(error.empty());
}

// The unit's report of its current preset, fed into the program's
// controller handling, gives the program the unit's settings and name.
class SimReport : public ::testing::TestWithParam<int> {};
INSTANTIATE_TEST_SUITE_P(Models, SimReport, ::testing::Values(0x0D, 0x11, 0x13));

struct EditorWindows : EditorLink {
    std::string name;
    bool exists() override { return true; }
    void showUnitPresetName(const std::string& n) override { name = n; }
};

TEST_P(SimReport, ReportAllReachesTheProgramsParameters)
{
    const int model = GetParam();
    const bool bass = model == 0x13;
    ProgramState state(model);
    ActiveDevice.MidiChan = 0;
    EditorWindows windows;
    SetEditorLink(bass, &windows);

    SimOptions o;
    o.model = model;
    SimEngine sim(o);
    std::vector<Bytes> out;
    sim.setOutput([&](const Bytes& m) { out.push_back(m); });
    sim.handle({0xC0, 17});               // program change: preset 17 into the edit buffer
    sim.handle({0xB0, 13, 90});           // treble turned on the program's side
    sim.handle({0xB0, 80, 80});
    MidiHooks hooks;
    hooks.controller = [](int c, int v) { HandleController(c, v); };
    for (const Bytes& m : out)
        DispatchMidiInput(hooks, 0, m);

    const Bytes edit = sim.editBuffer();
    EXPECT_EQ(edit[1], 90);
    const int length = bass ? 56 : 48;
    Modul& module = *ModuleTable[bass ? ModixBassPreset : ModixPreset];
    int compared = 0;
    for (int mcix = 1; mcix <= length - 16; ++mcix) {
        MCtrl& p = *module.GetCtrl(mcix);
        if (!p.is(CcMapped) || edit[mcix - 1] > p.maximum)
            continue;
        if (model == 0x0D && mcix == GuitarPreset::Presence)
            continue; // the first-generation unit has no presence control
        EXPECT_EQ(p.value, edit[mcix - 1]) << "parameter " << mcix;
        ++compared;
    }
    EXPECT_GT(compared, 15);
    EXPECT_EQ(windows.name, std::string(reinterpret_cast<const char*>(edit.data() + length - 16), 16));
}

// ---- the program's protocol against the simulated unit, in-process ----

class RecordingUi : public ProtocolUi {
public:
    bool askRetry(const std::string& text) override
    {
        asked.push_back(text);
        return false;
    }
    std::vector<std::string> asked;
};

class SimLoopback : public ::testing::TestWithParam<int> {
protected:
    void start(SimOptions o)
    {
        o.model = GetParam();
        o.deviceId = 1;
        sim = std::make_unique<SimEngine>(o);
        state.useModel(GetParam());
        ActiveDevice.MidiDevice = 1;
        ActiveDevice.MidiChan = 1;
        ActiveDevice.MidiIn = 0;
        ActiveDevice.MidiOut = 0;
        auto d = std::make_unique<LoopbackDriver>(std::vector<std::string>{"Unit In"},
                                                  std::vector<std::string>{"Unit Out"});
        driver = d.get();
        ports = std::make_unique<MidiPorts>(std::move(d));
        ports->Enumerate();
        sim->attach(*driver, 0, 0);
        protocol = std::make_unique<Protocol>(*ports);
        protocol->setUi(&ui);
        protocol->hooks.memoryRead = [this] { done = true; };
        protocol->hooks.readAborted = [this] { aborted = true; };
        hooks.sysex = [this](int port, const Bytes& m) { protocol->HandleSysexIn(port, m); };
        ports->SetInputHandler([this](int port, const Bytes& m) { DispatchMidiInput(hooks, port, m); });
        ports->Open();
    }
    void TearDown() override
    {
        protocol.reset();
        ports.reset();
    }
    // Runs the event loop until the read ended; time-outs are fired by hand
    // so that the test need not wait for them.
    void runRead()
    {
        for (int i = 0; i < 1000 && !done && !aborted; ++i) {
            const size_t sent = driver->sent.size();
            QCoreApplication::processEvents();
            QCoreApplication::processEvents();
            if (!done && !aborted && protocol->Waiting() && driver->sent.size() == sent)
                protocol->UploadTimerTimer();
        }
    }
    Bytes memoryRead() const
    {
        const int length = GetParam() == 0x13 ? 56 : 48;
        Bytes all;
        for (int j = 0; j < 125; ++j)
            all.insert(all.end(), DeviceMemory[j]->data.begin(), DeviceMemory[j]->data.begin() + length);
        return all;
    }
    int requests(uint8_t command) const
    {
        int n = 0;
        for (const auto& [port, m] : driver->sent)
            n += m.size() > 6 && m[0] == 0xF0 && m[6] == command;
        return n;
    }

    ProgramState state;
    std::unique_ptr<SimEngine> sim;
    LoopbackDriver* driver = nullptr;
    std::unique_ptr<MidiPorts> ports;
    std::unique_ptr<Protocol> protocol;
    MidiHooks hooks;
    RecordingUi ui;
    bool done = false;
    bool aborted = false;
};

INSTANTIATE_TEST_SUITE_P(Models, SimLoopback, ::testing::Values(0x0D, 0x11, 0x13));

TEST_P(SimLoopback, WholeMemoryReadEqualsTheUnitsMemory)
{
    start({});
    protocol->ReadMemory(1);
    runRead();
    EXPECT_TRUE(done);
    EXPECT_EQ(memoryRead(), sim->memory());
    EXPECT_EQ(requests(0x61), 1);
    EXPECT_FALSE(protocol->Busy());
}

TEST_P(SimLoopback, UnitThatIgnoresTheFirstRequestIsStillRead)
{
    SimOptions o;
    o.ignoreMemoryRequests = 1;
    start(o);
    protocol->ReadMemory(1);
    runRead();
    EXPECT_TRUE(done);
    EXPECT_EQ(memoryRead(), sim->memory());
    EXPECT_EQ(requests(0x61), 2);
}

TEST_P(SimLoopback, UnitThatCutsEveryMemoryDumpIsReadOnePresetAtATime)
{
    SimOptions o;
    o.cutMemoryDumps = 1000;
    o.cutPresetDumps = 2; // and the first two presets arrive cut, too
    start(o);
    protocol->ReadMemory(1);
    runRead();
    EXPECT_TRUE(done);
    EXPECT_EQ(memoryRead(), sim->memory());
    EXPECT_EQ(requests(0x61), 2);
    EXPECT_EQ(requests(0x60), 127);
    EXPECT_TRUE(ui.asked.empty());
}

// Read one preset at a time, the unit answers preset 1 late, after it was
// asked for again and preset 2 was asked for, and drops that request: the
// late answer must not stop preset 2's time-out.
TEST_P(SimLoopback, LateAnswerAndALostOneStillEndInTheWholeMemory)
{
    SimOptions o;
    o.cutMemoryDumps = 1000;
    o.delayPresetReplies = {{2, 700}};
    o.dropPresetRequests = {4};
    start(o);
    protocol->ReadMemory(1);
    for (int i = 0; i < 10 && sim->presetRequests < 2; ++i)
        QCoreApplication::processEvents();
    ASSERT_EQ(sim->presetRequests, 2);
    protocol->UploadTimerTimer(); // preset 1 timed out, asked again: request 3
    for (int i = 0; i < 10 && sim->presetRequests < 4; ++i)
        QCoreApplication::processEvents();
    ASSERT_EQ(sim->presetRequests, 4); // preset 2, dropped
    sim->releaseLate();
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_TRUE(protocol->Waiting());
    EXPECT_EQ(protocol->RequestedPreset, 2);
    runRead();
    EXPECT_TRUE(done);
    EXPECT_EQ(memoryRead(), sim->memory());
    EXPECT_TRUE(ui.asked.empty());
}

TEST_P(SimLoopback, SilentUnitEndsInTheQuestion)
{
    SimOptions o;
    o.neverAnswer = true;
    start(o);
    protocol->ReadMemory(1);
    runRead();
    EXPECT_TRUE(aborted);
    EXPECT_EQ(ui.asked, std::vector<std::string>{"No response from Drux !!\nCheck connection."});
    EXPECT_EQ(requests(0x61), 2);
}

} // namespace
