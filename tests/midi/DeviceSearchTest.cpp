#include <QCoreApplication>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "SimEngine.h"
#include "midi/DeviceSearch.h"
#include "midi/LoopbackDriver.h"
#include "midi/MidiDispatch.h"
#include "midi/MidiPorts.h"
#include "midi/PortsUnitLink.h"
#include "midi/Protocol.h"
#include "model/Controllers.h"
#include "model/DeviceConnection.h"
#include "model/Parameters.h"
#include "model/Presets.h"
#include "support/ProgramState.h"

namespace {

// Fired by the test, never by the clock.
class ManualTimer : public SearchTimer {
public:
    void start(int ms) override
    {
        active = true;
        ms_ = ms;
        ++starts;
    }
    void stop() override { active = false; }
    bool isActive() const override { return active; }
    int interval() const override { return ms_; }
    void fire()
    {
        ASSERT_TRUE(active);
        active = false;
        elapsed();
    }

    bool active = false;
    int ms_ = 0;
    int starts = 0;
};

class FakeWindow : public SearchWindow {
public:
    void unShowSelected() override { ++blanked; }
    void showSelected() override { ++shown_; }
    bool isShown() const override { return visible; }
    void showModal() override
    {
        ++modalShows;
        visible = true;
    }
    bool askRescan() override
    {
        ++rescanQuestions;
        const bool r = retryOnce;
        retryOnce = false;
        return r;
    }
    void showError(const std::string& text) override { errors.push_back(text); }

    bool visible = false;
    bool retryOnce = false;
    int blanked = 0;
    int shown_ = 0;
    int modalShows = 0;
    int rescanQuestions = 0;
    std::vector<std::string> errors;
};

// A MIDI Thru: everything the program sends comes back on an input port,
// and goes on to a unit behind it when there is one.
class Thru : public LoopbackPeer {
public:
    Thru(LoopbackDriver& d, int input, LoopbackPeer* unit = nullptr) : driver(d), in(input), behind(unit) {}
    void received(int outputPort, const std::vector<uint8_t>& m) override
    {
        driver.inject(in, m);
        if (behind)
            behind->received(outputPort, m);
    }

private:
    LoopbackDriver& driver;
    int in;
    LoopbackPeer* behind;
};

SimOptions unitOptions(int model, int device, std::string name = "DRUX SIMULATOR")
{
    SimOptions o;
    o.model = model;
    o.deviceId = device;
    o.unitName = std::move(name);
    return o;
}

bool sameImage(const SimEngine& unit, int slot)
{
    const std::vector<uint8_t> image = unit.image(slot);
    return !image.empty() && std::equal(image.begin(), image.end(), DeviceMemory[slot]->data.begin());
}

class SearchTest : public ::testing::Test {
protected:
    void SetUp() override { makePorts({"In A", "In B", "In C"}, {"Out A", "Out B", "Out C"}); }

    void TearDown() override
    {
        search.reset();
        protocol.reset();
        ports.reset();
    }

    void makePorts(std::vector<std::string> in, std::vector<std::string> out)
    {
        search.reset();
        protocol.reset();
        ports.reset();
        driver = new LoopbackDriver(std::move(in), std::move(out));
        ports = std::make_unique<MidiPorts>(std::unique_ptr<MidiDriver>(driver));
        protocol = std::make_unique<Protocol>(*ports);
        auto t = std::make_unique<ManualTimer>();
        auto n = std::make_unique<ManualTimer>();
        timeout = t.get();
        nameWait = n.get();
        search = std::make_unique<DeviceSearch>(*ports, std::move(t), std::move(n));
        search->setWindow(&window);
        ConnectSearchToProtocol(*search, *protocol);
        search->searchEnded = [this] { ++searchesEnded; };
        midiHooks.sysex = [this](int port, const std::vector<uint8_t>& m) { protocol->HandleSysexIn(port, m); };
        midiHooks.controller = [](int c, int v) { HandleController(c, v); };
        ports->SetInputHandler([this](int port, const std::vector<uint8_t>& m) { DispatchMidiInput(midiHooks, port, m); });
        ports->Enumerate();
    }

    // Hands the posted MIDI input to the program, and whatever that input
    // made the units answer.
    void pump()
    {
        for (int i = 0; i < 20; ++i)
            QCoreApplication::sendPostedEvents();
    }

    int sentTo(int port, uint8_t command) const
    {
        int n = 0;
        for (const auto& [p, m] : driver->sent)
            if (p == port && m.size() > 6 && m[0] == 0xF0 && m[6] == command)
                ++n;
        return n;
    }

    bool controllerSent(int port, std::vector<uint8_t> message) const
    {
        for (const auto& [p, m] : driver->sent)
            if (p == port && m == message)
                return true;
        return false;
    }

    ProgramState state{ModelDrux2};
    LoopbackDriver* driver = nullptr;
    std::unique_ptr<MidiPorts> ports;
    std::unique_ptr<Protocol> protocol;
    std::unique_ptr<DeviceSearch> search;
    ManualTimer* timeout = nullptr;
    ManualTimer* nameWait = nullptr;
    FakeWindow window;
    MidiHooks midiHooks;
    int searchesEnded = 0;
};

struct ModelRow {
    int model;
    int subModel;
    const char* key; // device 5, answering on input 2, reached on output 1
    const char* name;
};

class SearchModels : public SearchTest, public ::testing::WithParamInterface<ModelRow> {};

TEST_P(SearchModels, FindsTheUnitOnItsPortsAndConnectsWhenAllPortsAreTried)
{
    const ModelRow row = GetParam();
    SimEngine unit(unitOptions(row.model, 5));
    unit.attach(*driver, 1, 2);

    search->Search();
    EXPECT_TRUE(search->ScanActive());
    EXPECT_EQ(timeout->interval(), 200);
    EXPECT_EQ(sentTo(0, 0x01), 1);
    timeout->fire(); // nothing on output 0
    pump();
    // The unit answered at once, so the search went on to the last port.
    EXPECT_EQ(ActiveDevice.MidiOut, 2);
    EXPECT_TRUE(timeout->isActive());
    timeout->fire();

    EXPECT_FALSE(search->ScanActive());
    ASSERT_EQ(search->Units().size(), 1u);
    const DeviceConnection& found = search->Units()[0];
    EXPECT_EQ(found.Model, row.model);
    EXPECT_EQ(found.SubModel, row.subModel);
    EXPECT_EQ(found.DeviceKey, row.key);
    EXPECT_EQ(found.DeviceName, row.name);
    EXPECT_EQ(found.MidiIn, 2);
    EXPECT_EQ(found.MidiOut, 1);
    EXPECT_EQ(found.MidiChan, 5);
    // Connected: active, committed, asked for its settings on its channel.
    EXPECT_EQ(search->Selected(), 0);
    EXPECT_EQ(ActiveDevice, found);
    EXPECT_EQ(SavedDevice, found);
    EXPECT_TRUE(controllerSent(1, {0xB5, 80, 80}));
    EXPECT_EQ(window.rescanQuestions, 0);
    EXPECT_EQ(searchesEnded, 1);
    // Tables follow the connected model (effect select on 17 for the first
    // generation, presence otherwise).
    EXPECT_EQ(CcInGuitar[17], row.model == ModelDrux ? 9 : 6);
}

INSTANTIATE_TEST_SUITE_P(AllModels, SearchModels,
                         ::testing::Values(ModelRow{0x0D, 0, "DEV0DM05I02O01", "Device 6 @ Out B"},
                                           ModelRow{0x11, 1, "DEV11M05I02O01", "DRUX SIMULATOR"},
                                           ModelRow{0x13, 4, "DEV13M05I02O01", "DRUX SIMULATOR"}));

TEST_F(SearchTest, PortThatWillNotOpenTakesATenMillisecondStep)
{
    driver->failingOutputs = {0};
    search->Search();
    EXPECT_EQ(timeout->interval(), 10);
    EXPECT_EQ(sentTo(0, 0x01), 0);
    timeout->fire();
    EXPECT_EQ(timeout->interval(), 200);
    EXPECT_EQ(sentTo(1, 0x01), 1);
}

TEST_F(SearchTest, OnePortAndNoUnitTakesOneStepThenWarnsAndFallsBackToTheVirtualUnit)
{
    makePorts({"In A"}, {"Out A"});
    search->Search();
    EXPECT_EQ(timeout->starts, 1);
    EXPECT_EQ(timeout->interval(), 200);
    timeout->fire();

    EXPECT_EQ(window.rescanQuestions, 1);
    EXPECT_FALSE(search->ScanActive());
    EXPECT_FALSE(timeout->isActive());
    EXPECT_EQ(ActiveDevice.DeviceKey, "DEV0");
    EXPECT_EQ(ActiveDevice.Model, 0x11);
    EXPECT_EQ(ActiveDevice.ModelText, "DRUX 2 (virtual)");
    EXPECT_EQ(ActiveDevice.DeviceName, "DRUX 2 (virtual)");
    EXPECT_EQ(ActiveDevice.MidiIn, 0);
    EXPECT_EQ(ActiveDevice.MidiOut, 0);
    EXPECT_EQ(SavedDevice, ActiveDevice);
    EXPECT_EQ(window.modalShows, 1);
    EXPECT_EQ(searchesEnded, 1);
}

TEST_F(SearchTest, RetryAfterTheWarningSearchesAgainOnce)
{
    makePorts({"In A"}, {"Out A"});
    window.retryOnce = true;
    search->Search();
    timeout->fire();
    EXPECT_TRUE(search->ScanActive());
    EXPECT_EQ(sentTo(0, 0x01), 2);
    EXPECT_EQ(searchesEnded, 0);
    timeout->fire();
    EXPECT_EQ(window.rescanQuestions, 2);
    EXPECT_FALSE(search->ScanActive());
    EXPECT_EQ(searchesEnded, 1);
}

TEST_F(SearchTest, NoPortsAtAllEndsInTheWarning)
{
    makePorts({}, {});
    search->Search();
    EXPECT_EQ(timeout->interval(), 10);
    timeout->fire();
    EXPECT_EQ(window.rescanQuestions, 1);
    EXPECT_FALSE(search->ScanActive());
}

TEST_F(SearchTest, EchoedIdentifyRequestIsNoUnit)
{
    makePorts({"Thru In"}, {"Thru Out"});
    Thru thru(*driver, 0);
    driver->attach(0, &thru);
    search->Search();
    pump();
    // The echo neither cuts the step short nor adds a unit.
    EXPECT_TRUE(timeout->isActive());
    EXPECT_TRUE(search->Units().empty());
    timeout->fire();
    pump();
    EXPECT_EQ(window.rescanQuestions, 1);
    EXPECT_EQ(sentTo(0, 0x01), 1);
    EXPECT_FALSE(timeout->isActive());
}

TEST_F(SearchTest, UnitBehindAThruIsFoundOnceAndItsMemoryReadDespiteTheEcho)
{
    makePorts({"Thru In"}, {"Thru Out"});
    SimEngine unit(unitOptions(0x11, 0));
    unit.setOutput([this](const std::vector<uint8_t>& m) { driver->inject(0, m); });
    Thru thru(*driver, 0, &unit);
    driver->attach(0, &thru);

    search->Search();
    pump();
    EXPECT_FALSE(search->ScanActive());
    ASSERT_EQ(search->Units().size(), 1u);
    EXPECT_EQ(search->Units()[0].DeviceKey, "DEV11M00I00O00");

    QTemporaryDir dir;
    QSettings ini(dir.filePath(QStringLiteral("drux.ini")), QSettings::IniFormat);
    search->WindowClosed(ini);
    pump();
    EXPECT_EQ(unit.memoryRequests, 1);
    for (int slot : {0, 64, 124})
        EXPECT_TRUE(sameImage(unit, slot)) << slot;
}

TEST_F(SearchTest, UnitsAreSortedByNameAndTheSavedUnitIsConnectedAtTheEnd)
{
    SimEngine guitar(unitOptions(0x11, 0, "ZEBRA"));
    SimEngine bass(unitOptions(0x13, 1, "alpha"));
    guitar.attach(*driver, 0, 0);
    bass.attach(*driver, 1, 1);
    SavedDevice.Model = 0x11;
    SavedDevice.MidiDevice = 0;
    SavedDevice.MidiChan = 0;
    SavedDevice.MidiIn = 0;
    SavedDevice.MidiOut = 0;

    search->Search();
    pump();
    timeout->fire(); // output 2 stays silent

    ASSERT_EQ(search->Units().size(), 2u);
    EXPECT_EQ(search->Units()[0].DeviceName, "alpha");
    EXPECT_EQ(search->Units()[1].DeviceName, "ZEBRA");
    EXPECT_EQ(search->Selected(), 1);
    EXPECT_EQ(ActiveDevice.DeviceName, "ZEBRA");
    EXPECT_EQ(ActiveDevice.Model, 0x11);
    // Only the connected unit is asked for its settings.
    EXPECT_TRUE(controllerSent(0, {0xB0, 80, 80}));
    EXPECT_FALSE(controllerSent(1, {0xB1, 80, 80}));
}

TEST_F(SearchTest, WithoutASavedMatchTheFirstUnitIsConnected)
{
    SimEngine guitar(unitOptions(0x11, 0, "ZEBRA"));
    SimEngine bass(unitOptions(0x13, 1, "alpha"));
    guitar.attach(*driver, 0, 0);
    bass.attach(*driver, 1, 1);
    SavedDevice.MidiDevice = 9;
    search->Search();
    pump();
    timeout->fire();
    EXPECT_EQ(search->Selected(), 0);
    EXPECT_EQ(ActiveDevice.DeviceName, "alpha");
    EXPECT_EQ(ActiveDevice.Model, 0x13);
}

TEST_F(SearchTest, StopScanLetsTheCurrentStepFinishAndTriesNoFurtherPort)
{
    SimEngine later(unitOptions(0x11, 0));
    later.attach(*driver, 1, 1);
    search->Search();
    search->StopScan();
    EXPECT_TRUE(search->ScanActive());
    timeout->fire();
    EXPECT_FALSE(search->ScanActive());
    EXPECT_EQ(later.identifyRequests, 0);
    EXPECT_EQ(window.rescanQuestions, 1);
}

TEST_F(SearchTest, UnitAnsweringAfterStopScanKeepsThePortsItAnsweredOn)
{
    SimEngine first(unitOptions(0x11, 0));
    SimEngine second(unitOptions(0x11, 0));
    first.attach(*driver, 0, 0);
    second.attach(*driver, 1, 1);
    search->Search();
    search->StopScan();
    pump();
    EXPECT_FALSE(search->ScanActive());
    ASSERT_EQ(search->Units().size(), 1u);
    EXPECT_EQ(search->Units()[0].MidiOut, 0);
    EXPECT_EQ(search->Units()[0].DeviceKey, "DEV11M00I00O00");
    EXPECT_EQ(ActiveDevice.MidiOut, 0);
    EXPECT_EQ(second.identifyRequests, 0);
}

TEST_F(SearchTest, SilentNameRequestStillRecognisesTheUnitWhenTheWaitEnds)
{
    SimOptions o = unitOptions(0x11, 0);
    SimEngine unit(o);
    unit.attach(*driver, 0, 0);
    // Identify reply only: the name request goes nowhere.
    search->Search();
    driver->attach(0, nullptr);
    pump();
    ASSERT_TRUE(nameWait->isActive());
    EXPECT_EQ(nameWait->interval(), 100);
    nameWait->fire();
    ASSERT_EQ(search->Units().size(), 1u);
    EXPECT_EQ(search->Units()[0].DeviceName, "Device 1 @ Out A");
}

// The command-line tool looks for one unit: the search ends at the first
// one it accepts, which is recognised at its identify reply.
TEST_F(SearchTest, SearchForOneUnitEndsWhereItAnswersWithoutAskingNames)
{
    SimEngine guitar(unitOptions(0x11, 0, "GUITAR"));
    SimEngine bass(unitOptions(0x13, 3, "BASS"));
    SimEngine last(unitOptions(0x11, 7, "LAST"));
    guitar.attach(*driver, 0, 0);
    bass.attach(*driver, 1, 1);
    last.attach(*driver, 2, 2);
    protocol->askName = false;
    search->enoughFound = [](const DeviceConnection& u) { return u.DeviceKey == "DEV13M03I01O01"; };

    search->Search();
    pump();

    // The guitar on output 0 did not satisfy it; the bass ended the search
    // at once, before output 2 and without any timer step.
    EXPECT_FALSE(search->ScanActive());
    EXPECT_EQ(searchesEnded, 1);
    EXPECT_EQ(last.identifyRequests, 0);
    EXPECT_EQ(guitar.nameRequests + bass.nameRequests, 0);
    EXPECT_FALSE(nameWait->isActive());
    ASSERT_EQ(search->Units().size(), 2u);
    EXPECT_EQ(search->Units()[0].DeviceName, "Device 1 @ Out A");
    EXPECT_EQ(search->Units()[1].DeviceName, "Device 4 @ Out B");
    EXPECT_EQ(search->Units()[1].SubModel, 4);
}

TEST_F(SearchTest, SearchForAUnitThatIsNotThereTriesEveryPort)
{
    SimEngine guitar(unitOptions(0x11, 0));
    guitar.attach(*driver, 0, 0);
    protocol->askName = false;
    search->enoughFound = [](const DeviceConnection& u) { return u.Model == 0x13; };
    search->Search();
    pump();
    EXPECT_TRUE(search->ScanActive());
    EXPECT_EQ(ActiveDevice.MidiOut, 1);
    timeout->fire();
    timeout->fire();
    EXPECT_FALSE(search->ScanActive());
    ASSERT_EQ(search->Units().size(), 1u);
    EXPECT_EQ(ActiveDevice.DeviceKey, "DEV11M00I00O00");
}

TEST_F(SearchTest, AUnitAnsweringTwiceIsListedOnce)
{
    SimEngine unit(unitOptions(0x11, 0));
    unit.attach(*driver, 0, 0);
    search->Search();
    pump();
    timeout->fire();
    timeout->fire();
    ASSERT_EQ(search->Units().size(), 1u);
    // The same unit reports again outside a search (a stray identify reply).
    protocol->SendIdentifyRequest();
    pump();
    EXPECT_EQ(search->Units().size(), 1u);
    EXPECT_EQ(search->Selected(), 0);
}

TEST_F(SearchTest, AClickOnTheListWithNothingSelectedConnectsTheFirstUnit)
{
    SimEngine unit(unitOptions(0x13, 2, "ONLY ONE"));
    unit.attach(*driver, 1, 1);
    search->Search();
    timeout->fire();
    pump();
    timeout->fire();
    ASSERT_EQ(search->Units().size(), 1u);
    search->ChooseVirtualUnit(1);
    EXPECT_EQ(search->Selected(), -1);
    EXPECT_EQ(ActiveDevice.DeviceKey, "DEV0");

    search->ListClicked();
    EXPECT_EQ(search->Selected(), 0);
    EXPECT_EQ(ActiveDevice.DeviceName, "ONLY ONE");
    EXPECT_EQ(SavedDevice, ActiveDevice);
    EXPECT_TRUE(controllerSent(1, {0xB2, 80, 80}));
}

// ---- choosing a virtual unit ----

struct VirtualRow {
    int k;
    int model;
    const char* text;
};

class VirtualUnits : public SearchTest, public ::testing::WithParamInterface<VirtualRow> {};

TEST_P(VirtualUnits, ModelBoxEntryBecomesTheActiveVirtualUnit)
{
    const VirtualRow row = GetParam();
    Param(GuitarGlobal::Configuration).value = 3;
    Param(BassGlobal::Configuration).value = 4;
    search->ChooseVirtualUnit(row.k);
    EXPECT_EQ(ActiveDevice.Model, row.model);
    EXPECT_EQ(ActiveDevice.SubModel, row.k);
    EXPECT_EQ(ActiveDevice.ModelText, row.text);
    EXPECT_EQ(ActiveDevice.DeviceName, row.text);
    EXPECT_EQ(ActiveDevice.DeviceKey, "DEV0");
    EXPECT_EQ(SavedDevice, ActiveDevice);
    EXPECT_EQ(CcInGuitar[17], row.model == ModelDrux ? 9 : 6);
    EXPECT_EQ(Param(GuitarPreset::AmpModel).maximum, row.model == ModelDrux ? 15 : 32);
    // The configuration starts from 0 for the family chosen, the other stays.
    EXPECT_EQ(Param(GuitarGlobal::Configuration).GetVal(), row.model == ModelDrux2 ? 0 : 3);
    EXPECT_EQ(Param(BassGlobal::Configuration).GetVal(), row.model == ModelBass ? 0 : 4);
}

INSTANTIATE_TEST_SUITE_P(SevenEntries, VirtualUnits,
                         ::testing::Values(VirtualRow{0, 0x0D, "DRUX (virtual)"}, VirtualRow{1, 0x11, "DRUX 2 (virtual)"},
                                           VirtualRow{2, 0x11, "DRUX PRO (virtual)"},
                                           VirtualRow{3, 0x11, "DRUXORA (virtual)"},
                                           VirtualRow{4, 0x13, "BASS DRUX (virtual)"},
                                           VirtualRow{5, 0x13, "BASS DRUX PRO (virtual)"},
                                           VirtualRow{6, 0x13, "BASS DRUXORA (virtual)"}));

TEST_F(SearchTest, VirtualUnitFollowsTheChosenOutputPort)
{
    search->ChooseVirtualUnit(1);
    search->OutputPortChanged(2);
    EXPECT_EQ(ActiveDevice.MidiOut, 2);
    EXPECT_EQ(ActiveDevice.MidiIn, 0);
    EXPECT_EQ(SavedDevice.MidiOut, 2);
    PortsUnitLink link(*ports, protocol.get());
    SetUnitLink(&link);
    driver->sent.clear();
    Param(GuitarGlobal::Global1).SetVal(5);
    FlushPending();
    SetUnitLink(nullptr);
    ASSERT_EQ(driver->sent.size(), 1u);
    EXPECT_EQ(driver->sent.back().first, 2);
}

// ---- ini file ----

class IniTest : public SearchTest {
protected:
    QString path() const { return state.iniPath(); }
    void writeIni(const QByteArray& text)
    {
        QFile f(path());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
    QByteArray readIni() const
    {
        QFile f(path());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

TEST_F(IniTest, LastUnitIsReconnectedWithOneStepAndItsMemoryRead)
{
    SimEngine unit(unitOptions(0x11, 0));
    unit.attach(*driver, 2, 1);
    writeIni("[Last]\nDevice=DEV11M00I01O02\n\n[DEV11M00I01O02]\nModel=17\nMidiIn=1\nMidiOut=2\nMidiDevice=0\n"
             "MidiChan=0\nSubModel=1\n");
    QSettings ini(path(), QSettings::IniFormat);
    search->RestoreLastUnit(ini);
    EXPECT_FALSE(search->ScanActive());
    EXPECT_EQ(sentTo(2, 0x01), 1);
    EXPECT_EQ(sentTo(0, 0x01) + sentTo(1, 0x01), 0);
    pump();

    EXPECT_FALSE(timeout->isActive());
    EXPECT_EQ(window.modalShows, 0);
    EXPECT_EQ(ActiveDevice.DeviceKey, "DEV11M00I01O02");
    EXPECT_EQ(ActiveDevice.DeviceName, "DRUX SIMULATOR");
    EXPECT_EQ(SavedDevice, ActiveDevice);
    EXPECT_EQ(unit.memoryRequests, 1);
    EXPECT_TRUE(sameImage(unit, 0));
    EXPECT_TRUE(sameImage(unit, 124));
}

// The hidden reconnect at start-up: the name comes after its wait has ended
// and the unit was recognised without it. It changes nothing: the records
// are not reset again and the memory is read once.
TEST_F(IniTest, NameReplyAfterItsWaitChangesNothing)
{
    SimOptions o = unitOptions(0x11, 0);
    o.delayNameReply = 500;
    SimEngine unit(o);
    unit.attach(*driver, 2, 1);
    writeIni("[Last]\nDevice=DEV11M00I01O02\n\n[DEV11M00I01O02]\nModel=17\nMidiIn=1\nMidiOut=2\nMidiDevice=0\n"
             "MidiChan=0\nSubModel=1\n");
    QSettings ini(path(), QSettings::IniFormat);
    search->RestoreLastUnit(ini);
    pump();
    nameWait->fire();
    pump();
    ASSERT_EQ(unit.memoryRequests, 1);
    ASSERT_TRUE(sameImage(unit, 7));
    const std::string name = ActiveDevice.DeviceName;
    DeviceMemory[7]->data[0] ^= 0x55; // a change the user made since
    const size_t sent = driver->sent.size();

    unit.releaseLate();
    pump();
    EXPECT_EQ(unit.memoryRequests, 1);
    EXPECT_EQ(driver->sent.size(), sent);
    EXPECT_FALSE(sameImage(unit, 7));
    EXPECT_EQ(ActiveDevice.DeviceName, name);
    EXPECT_EQ(search->Units().size(), 1u);
}

TEST_F(IniTest, SavedPortsBeyondThePresentOnesListenOnEveryInput)
{
    writeIni("[Last]\nDevice=DEV13M02I00O07\n\n[DEV13M02I00O07]\nModel=19\nMidiIn=0\nMidiOut=7\nMidiDevice=2\n"
             "MidiChan=2\nSubModel=5\n");
    QSettings ini(path(), QSettings::IniFormat);
    search->RestoreLastUnit(ini);
    EXPECT_EQ(ActiveDevice.MidiIn, -1);
    EXPECT_EQ(ActiveDevice.MidiOut, 0);
    EXPECT_EQ(ActiveDevice.Model, 0x13);
    EXPECT_EQ(ActiveDevice.SubModel, 5);
    EXPECT_EQ(ActiveDevice.MidiChan, 2);
    EXPECT_EQ(SavedDevice, ActiveDevice);
    EXPECT_EQ(sentTo(0, 0x01), 1);
    EXPECT_TRUE(driver->inputOpen(0) && driver->inputOpen(1) && driver->inputOpen(2));
}

TEST_F(IniTest, LastUnitSilentTurnsIntoAVisibleSearch)
{
    writeIni("[Last]\nDevice=DEV11M00I00O00\n\n[DEV11M00I00O00]\nModel=17\n");
    QSettings ini(path(), QSettings::IniFormat);
    search->RestoreLastUnit(ini);
    EXPECT_FALSE(search->ScanActive());
    timeout->fire();
    EXPECT_TRUE(search->ScanActive());
    EXPECT_EQ(window.modalShows, 1);
    EXPECT_EQ(ActiveDevice.MidiOut, 0);
}

TEST_F(IniTest, NoLastUnitSearchesAndShowsTheWindow)
{
    QSettings ini(path(), QSettings::IniFormat);
    search->RestoreLastUnit(ini);
    EXPECT_TRUE(search->ScanActive());
    EXPECT_EQ(window.modalShows, 1);
}

TEST_F(IniTest, BadContentsNeverGiveAnImpossibleUnit)
{
    static const char garbage[] = "\x00\xff\xfe[[[\n=\n[Last\nDevice";
    const QByteArray texts[] = {
        QByteArray::fromRawData(garbage, sizeof garbage - 1),
        "[Last]\nDevice=DEV0\n[DEV0]\nModel=abc\nMidiChan=99\nMidiDevice=-4\nSubModel=9\nMidiOut=99999999999\n",
        "[Last]\nDevice=DEV0\n[DEV0]\nModel=19\nSubModel=1\nMidiIn=-7\n",
        "[Last]\nDevice=../../x/y\n[DEV0]\nModel=13\n",
        "[Last]\nDevice=\n",
    };
    for (const QByteArray& text : texts) {
        ActiveDevice = DeviceConnection();
        writeIni(text);
        QSettings ini(path(), QSettings::IniFormat);
        search->RestoreLastUnit(ini);
        const DeviceConnection& d = ActiveDevice;
        EXPECT_TRUE(d.Model == 0x0D || d.Model == 0x11 || d.Model == 0x13) << text.toStdString();
        EXPECT_GE(d.MidiChan, 0);
        EXPECT_LE(d.MidiChan, 15);
        EXPECT_GE(d.MidiDevice, 0);
        EXPECT_LE(d.MidiDevice, 127);
        const int first = d.Model == 0x0D ? 0 : (d.Model == 0x11 ? 1 : 4);
        const int last = d.Model == 0x0D ? 0 : (d.Model == 0x11 ? 3 : 6);
        EXPECT_GE(d.SubModel, first) << text.toStdString();
        EXPECT_LE(d.SubModel, last) << text.toStdString();
        EXPECT_GE(d.MidiOut, 0);
        EXPECT_LT(d.MidiOut, 3);
        timeout->stop();
    }
}

TEST_F(IniTest, ClosingAfterASearchWritesEveryUnitAndTheLastOneThenReadsIt)
{
    SimEngine guitar(unitOptions(0x11, 0));
    SimEngine bass(unitOptions(0x13, 3, "BASS SIM"));
    guitar.attach(*driver, 0, 0);
    bass.attach(*driver, 2, 1);
    search->Search();
    pump();
    timeout->fire();
    pump();
    ASSERT_EQ(search->Units().size(), 2u);
    search->SelectItem(0); // "BASS SIM"

    QSettings ini(path(), QSettings::IniFormat);
    EXPECT_TRUE(search->WindowClosed(ini));
    pump();
    const QByteArray text = readIni();
    EXPECT_TRUE(text.contains("[Last]\nDevice=DEV13M03I01O02\n")) << text.toStdString();
    EXPECT_TRUE(text.contains("[DEV13M03I01O02]\nMidiChan=3\nMidiDevice=3\nMidiIn=1\nMidiOut=2\nModel=19\nSubModel=4\n"))
        << text.toStdString();
    EXPECT_TRUE(text.contains("[DEV11M00I00O00]\nMidiChan=0\nMidiDevice=0\nMidiIn=0\nMidiOut=0\nModel=17\nSubModel=1\n"))
        << text.toStdString();
    EXPECT_FALSE(text.contains("[DEV0]"));
    EXPECT_EQ(bass.memoryRequests, 1);
    EXPECT_EQ(guitar.memoryRequests, 0);
    EXPECT_TRUE(sameImage(bass, 7));
    EXPECT_EQ(PresetLength, 56);
}

TEST_F(IniTest, ClosingWithTheVirtualUnitWritesItsSectionAndAsksNothing)
{
    search->ChooseVirtualUnit(5);
    search->OutputPortChanged(1);
    driver->sent.clear();
    QSettings ini(path(), QSettings::IniFormat);
    EXPECT_TRUE(search->WindowClosed(ini));
    const QByteArray text = readIni();
    EXPECT_TRUE(text.contains("[DEV0]\nMidiChan=0\nMidiOut=1\nModel=19\nSubModel=5\n")) << text.toStdString();
    EXPECT_TRUE(text.contains("[Last]\nDevice=DEV0\n"));
    for (const auto& [port, m] : driver->sent)
        EXPECT_FALSE(m.size() > 6 && m[0] == 0xF0) << "SysEx sent to the virtual unit";
    EXPECT_FALSE(protocol->Waiting());

    // And the next start restores it from there.
    ActiveDevice = DeviceConnection();
    QSettings again(path(), QSettings::IniFormat);
    search->RestoreLastUnit(again);
    EXPECT_EQ(ActiveDevice.Model, 0x13);
    EXPECT_EQ(ActiveDevice.SubModel, 5);
    EXPECT_EQ(ActiveDevice.MidiOut, 1);
}

TEST_F(IniTest, ClosingDuringASearchKeepsTheLastCommittedUnit)
{
    SimEngine unit(unitOptions(0x13, 4, "KEPT"));
    unit.attach(*driver, 2, 2);
    search->Search();
    timeout->fire();
    timeout->fire();
    pump();
    ASSERT_EQ(ActiveDevice.DeviceName, "KEPT");
    const DeviceConnection kept = SavedDevice;

    SimEngine other(unitOptions(0x11, 0, "HALF"));
    other.attach(*driver, 0, 0);
    search->Search();
    pump(); // "HALF" answered on output 0; output 1 is being tried now
    ASSERT_TRUE(search->ScanActive());
    QSettings ini(path(), QSettings::IniFormat);
    search->WindowClosed(ini);
    pump();

    EXPECT_FALSE(search->ScanActive());
    EXPECT_FALSE(timeout->isActive());
    EXPECT_EQ(ActiveDevice, kept);
    EXPECT_EQ(SavedDevice, kept);
    EXPECT_EQ(readIni().contains("[Last]\nDevice=DEV13M04I02O02\n"), true) << readIni().toStdString();
    EXPECT_EQ(unit.memoryRequests, 1);
    EXPECT_EQ(other.memoryRequests, 0);
}

TEST_F(IniTest, WriteFailureIsShownAndTheUnitIsStillRead)
{
    SimEngine unit(unitOptions(0x11, 0));
    unit.attach(*driver, 0, 0);
    search->Search();
    pump();
    timeout->fire();
    timeout->fire();
    QSettings ini(QStringLiteral("/proc/drux-no-such-dir/drux.ini"), QSettings::IniFormat);
    EXPECT_FALSE(search->WindowClosed(ini));
    pump();
    EXPECT_EQ(window.errors.size(), 1u);
    EXPECT_EQ(SavedDevice, ActiveDevice);
    EXPECT_EQ(unit.memoryRequests, 1);
}

} // namespace
