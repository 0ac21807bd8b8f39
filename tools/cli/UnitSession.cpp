#include "UnitSession.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <cstdio>

#include "Cli.h"
#include "midi/MidiDispatch.h"
#include "midi/RtMidiDriver.h"
#include "midi/Sysex.h"
#include "model/Controllers.h"
#include "model/Parameters.h"
#include "model/Presets.h"
#include "model/Trace.h"

// Passes everything on to the real driver until the session takes that away
// to close it on another thread; from then on every port is gone.
class UnitSession::HandOverDriver : public MidiDriver {
public:
    explicit HandOverDriver(std::unique_ptr<MidiDriver> d) : inner(std::move(d))
    {
        inner->setInputCallback([this](int port, std::vector<uint8_t> bytes) { deliver(port, std::move(bytes)); });
    }
    // Only after every input port was closed: no callback can run then.
    std::unique_ptr<MidiDriver> takeAway()
    {
        if (inner)
            inner->setInputCallback(nullptr);
        return std::move(inner);
    }

    std::vector<std::string> inputPorts() override { return inner ? inner->inputPorts() : std::vector<std::string>(); }
    std::vector<std::string> outputPorts() override
    {
        return inner ? inner->outputPorts() : std::vector<std::string>();
    }
    bool openOutput(int index, MidiError& error) override { return inner && inner->openOutput(index, error); }
    bool closeOutput(MidiError& error) override { return !inner || inner->closeOutput(error); }
    bool openInput(int index, MidiError& error) override { return inner && inner->openInput(index, error); }
    void closeInput(int index) override
    {
        if (inner)
            inner->closeInput(index);
    }
    bool send(const std::vector<uint8_t>& message, MidiError& error) override
    {
        if (!inner) {
            error = {RtMidiDriver::InvalidUseCode, "MIDI closed"};
            return false;
        }
        return inner->send(message, error);
    }

private:
    std::unique_ptr<MidiDriver> inner;
};

UnitSession::UnitSession(std::unique_ptr<MidiDriver> driver)
{
    TraceLine(1, "Starting");
    CreateModules();
    CreateRecords();
    // A client name that no other program's ports start with: the driver
    // never lists ports whose names start with it.
    if (!driver)
        driver = std::make_unique<RtMidiDriver>("Drux Tool");
    auto handOver = std::make_unique<HandOverDriver>(std::move(driver));
    Driver = handOver.get();
    Ports = std::make_unique<MidiPorts>(std::move(handOver));
    Proto = std::make_unique<Protocol>(*Ports);
    Proto->setUi(this);
    Link = std::make_unique<PortsUnitLink>(*Ports, Proto.get());
    SetUnitLink(Link.get());
    Searcher = std::make_unique<DeviceSearch>(*Ports);
    // The tool needs no current settings from the unit; asking for them
    // would only make it send controllers in front of the dump.
    Searcher->requestSettingsOnSelect = false;
    Searcher->sendIdentifyRequest = [this] { Proto->SendIdentifyRequest(); };
    Searcher->resetAllRecords = nullptr;
    Proto->hooks.stopSearchTimer = [this] { Searcher->IdentifyReplyArrived(); };
    Proto->hooks.nameRequested = [this] { Searcher->NameRequested(); };
    Searcher->nameWaitEnded = [this] { Proto->NameWaitEnded(); };
    Proto->hooks.unitRecognised = [this] { Searcher->UnitRecognised(); };
    Ports->SetInputHandler([this](int port, const std::vector<uint8_t>& m) {
        MidiHooks hooks;
        hooks.sysex = [this](int p, const std::vector<uint8_t>& s) { Proto->HandleSysexIn(p, s); };
        DispatchMidiInput(hooks, port, m);
    });
}

UnitSession::~UnitSession()
{
    TraceLine(1, "Closing");
    SetUnitLink(nullptr);
    Searcher.reset();
    Link.reset();
    Proto.reset();
    Ports.reset();
    if (Closer.joinable())
        Closer.join();
    DestroyRecords();
    DestroyModules();
}

bool UnitSession::Enumerate()
{
    if (Searcher->Initialise())
        return true;
    Message("No MIDI Devices !?");
    return false;
}

std::vector<DeviceConnection> UnitSession::Search()
{
    QEventLoop loop;
    Searcher->searchEnded = [&loop] { QTimer::singleShot(0, &loop, &QEventLoop::quit); };
    Searcher->Search();
    if (Searcher->ScanActive())
        loop.exec();
    Searcher->searchEnded = nullptr;
    return Searcher->Units();
}

std::vector<DeviceConnection> UnitSession::SearchFor(std::function<bool(const DeviceConnection&)> wanted)
{
    Searcher->enoughFound = std::move(wanted);
    auto units = Search();
    Searcher->enoughFound = nullptr;
    return units;
}

bool UnitSession::Connect(const DeviceConnection& unit)
{
    // The search has connected to the unit it chose already.
    if (!(unit == ActiveDevice && Ports->PortsOpen()))
        Searcher->Connect(unit);
    // The records take the record length of the unit's family.
    ResetAllRecords();
    return Ports->PortsOpen();
}

bool UnitSession::ReadMemory()
{
    QEventLoop loop;
    bool ok = false;
    Proto->hooks.memoryRead = [&] {
        ok = true;
        QTimer::singleShot(0, &loop, &QEventLoop::quit);
    };
    Proto->hooks.readAborted = [&] { QTimer::singleShot(0, &loop, &QEventLoop::quit); };
    Proto->ReadMemory(1);
    if (Proto->Waiting())
        loop.exec();
    else
        Message("No MIDI device");
    Proto->hooks.memoryRead = nullptr;
    Proto->hooks.readAborted = nullptr;
    return ok;
}

bool UnitSession::SendMemory(const std::vector<uint8_t>& images)
{
    if (static_cast<int>(images.size()) != SlotCount * PresetLength || !Ports->Open())
        return false;
    Proto->SendMemoryDump(images.data(), PresetLength);
    // The port may pass the message on after send returns; give it the time
    // before the port closes.
    QEventLoop loop;
    QTimer::singleShot(300, &loop, &QEventLoop::quit);
    loop.exec();
    return true;
}

void UnitSession::CloseMidiMeanwhile()
{
    if (Closer.joinable())
        return;
    Ports->ShutDown();
    Closer = std::thread([driver = Driver->takeAway()]() mutable { driver.reset(); });
}

bool UnitSession::askRetry(const std::string& text)
{
    Message(text);
    return false;
}

bool ParseDeviceKey(const std::string& key, DeviceConnection& unit)
{
    unsigned model = 0;
    int device = 0, in = 0, out = 0, used = 0;
    if (std::sscanf(key.c_str(), "DEV%2XM%2dI%2dO%2d%n", &model, &device, &in, &out, &used) != 4 ||
        used != static_cast<int>(key.size()) || !IsKnownModel(static_cast<int>(model)) || device < 0 ||
        device > 127 || in < 0 || out < 0)
        return false;
    unit = DeviceConnection();
    unit.Model = static_cast<int>(model);
    unit.MidiDevice = device;
    unit.MidiChan = device & 0x0F;
    unit.MidiIn = in;
    unit.MidiOut = out;
    unit.SubModel = model == 0x11 ? 1 : (model == 0x13 ? 4 : 0);
    unit.ModelText = SubModelName(unit.SubModel);
    unit.DeviceKey = key;
    unit.DeviceName = key;
    return true;
}
