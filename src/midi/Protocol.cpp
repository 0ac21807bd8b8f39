#include "midi/Protocol.h"

#include "midi/MidiPorts.h"
#include "model/DeviceConnection.h"
#include "model/Presets.h"
#include "model/Trace.h"

namespace {
constexpr int WholeMemoryMs = 6000;
// A single preset waits 1600 - 200 x budget ms: the more retries are left,
// the sooner one is spent.
constexpr int SinglePresetBaseMs = 1600;
constexpr int SinglePresetStepMs = 200;
constexpr int ShortestWaitMs = 200;
// Below this interval the pending request was for a single preset.
constexpr int SinglePresetLimitMs = 5000;
// Short single-preset dumps are asked for again at once this many times in a
// row; after that the time-out takes over, which spends the budget, so that
// a unit that always cuts its dumps cannot keep the program asking forever.
constexpr int ImmediateReasks = 5;
constexpr int ReportAllCc = 80;
}

Protocol::Protocol(MidiPorts& p, QObject* parent) : QObject(parent), ports(p)
{
    UploadTimer.setSingleShot(true);
    connect(&UploadTimer, &QTimer::timeout, this, &Protocol::UploadTimerTimer);
}

Protocol::~Protocol()
{
    UploadTimer.stop();
}

void Protocol::setUi(ProtocolUi* u)
{
    ui = u ? u : &defaultUi;
}

// ---- senders ----

bool Protocol::portsReady()
{
    if (ports.Open())
        return true;
    TraceLine(0, "  No MIDI device");
    return false;
}

void Protocol::send(const SysexBytes& message)
{
    ports.SendSysex(message);
}

void Protocol::SendIdentifyRequest()
{
    send(IdentifyRequestMessage());
}

void Protocol::SendSetChannel(int channel)
{
    if (portsReady())
        send(SetChannelMessage(ActiveDevice.MidiDevice, ActiveDevice.Model, channel));
}

// Within a read a request that cannot go out still waits: its time-out
// spends the budget and ends in the question, where a silent return would
// leave the busy pointer up for good.
void Protocol::RequestPreset(int preset)
{
    if (portsReady())
        send(RequestPresetMessage(ActiveDevice.MidiDevice, ActiveDevice.Model, preset));
    else if (!reading)
        return;
    RequestedPreset = preset & 0x7F;
    startWaiting(std::max(ShortestWaitMs, SinglePresetBaseMs - SinglePresetStepMs * RetryBudget));
}

void Protocol::RequestWholeMemory()
{
    if (portsReady())
        send(RequestMemoryMessage(ActiveDevice.MidiDevice, ActiveDevice.Model));
    else if (!reading)
        return;
    RequestedPreset = -1;
    startWaiting(WholeMemoryMs);
}

void Protocol::RequestName()
{
    if (ActiveDevice.Model == ModelDrux || !portsReady())
        return;
    send(RequestNameMessage(ActiveDevice.MidiDevice, ActiveDevice.Model));
    nameAsked = true;
    if (hooks.nameRequested)
        hooks.nameRequested();
}

void Protocol::NameWaitEnded()
{
    nameAsked = false;
}

void Protocol::SendSetName(std::string_view unitText)
{
    if (ActiveDevice.Model == ModelDrux || !portsReady())
        return;
    send(SetNameMessage(ActiveDevice.MidiDevice, ActiveDevice.Model, unitText));
}

void Protocol::SendPresetDump(int preset, const uint8_t* image, int length)
{
    if (portsReady())
        send(PresetDumpMessage(ActiveDevice.MidiDevice, ActiveDevice.Model, preset, image, length));
}

void Protocol::SendMemoryDump(const uint8_t* images, int length)
{
    if (portsReady())
        send(MemoryDumpMessage(ActiveDevice.MidiDevice, ActiveDevice.Model, images, length));
}

void Protocol::SendGlobal(int command, int value)
{
    if (ActiveDevice.Model != ModelDrux || !portsReady())
        return;
    send(GlobalMessage(ActiveDevice.MidiDevice, command, value));
}

void Protocol::SendReportAll()
{
    ports.SendControlChange(ReportAllCc, ReportAllCc);
}

void Protocol::ReadMemory(int budget)
{
    OneByOneDump = false;
    RetryBudget = budget;
    shortInARow = 0;
    reading = false;
    RequestWholeMemory();
    reading = Waiting();
}

void Protocol::ReadPreset(int preset, int budget)
{
    OneByOneDump = false;
    RetryBudget = budget;
    shortInARow = 0;
    reading = false;
    RequestPreset(preset);
    reading = Waiting();
}

// ---- waiting ----

void Protocol::startWaiting(int ms)
{
    UploadTimer.setInterval(ms);
    UploadTimer.start();
    setBusy(true);
}

void Protocol::stopWaiting()
{
    UploadTimer.stop();
    setBusy(false);
}

void Protocol::setBusy(bool on)
{
    if (busy == on)
        return;
    busy = on;
    ui->setBusy(on);
}

void Protocol::askAgain()
{
    if (RequestedPreset < 0)
        RequestWholeMemory();
    else
        RequestPreset(RequestedPreset);
}

void Protocol::UploadTimerTimer()
{
    UploadTimer.stop();
    if (RetryBudget > 0) {
        --RetryBudget;
        if (UploadTimer.interval() < SinglePresetLimitMs)
            RequestPreset(RequestedPreset);
        else
            RequestWholeMemory();
        return;
    }
    if (ui->askRetry(NoResponseText)) {
        RetryBudget = 1;
        OneByOneDump = false;
        shortInARow = 0;
        RequestWholeMemory();
        return;
    }
    TraceLine(0, "Check connection.");
    OneByOneDump = false;
    reading = false;
    setBusy(false);
    if (hooks.readAborted)
        hooks.readAborted();
}

// ---- input ----

void Protocol::HandleSysexIn(int port, const SysexBytes& message)
{
    if (port < 0 || port >= static_cast<int>(ports.InputNames().size())) {
        TraceLine(0, "Midi Input error port %d", port);
        return;
    }
    const SysexFrame f = FrameSysex(message);
    switch (f.kind) {
    case SysexKind::Empty:
        TraceLine(0, "HandleMidiSysExIn");
        return;
    case SysexKind::TooLong:
        TraceLine(0, "SysEx of %zu bytes on port %d ignored", f.recorded, port);
        return;
    case SysexKind::TooShort:
        return;
    case SysexKind::ForeignMaker:
        TraceLine(0, "%s", ForeignMakerTrace(f).c_str());
        return;
    case SysexKind::OtherCommand:
        // Our own requests come back this way through a Thru or loopback
        // port: they are no unit and need no answer.
        return;
    case SysexKind::IdentifyReply:
        handleIdentifyReply(port, f);
        return;
    case SysexKind::NameReply:
        handleNameReply(f);
        return;
    case SysexKind::PresetDump:
        handlePresetDump(f);
        return;
    case SysexKind::MemoryDump:
        handleMemoryDump(f);
        return;
    }
}

void Protocol::handleIdentifyReply(int port, const SysexFrame& f)
{
    const auto info = ParseIdentifyReply(f);
    if (!info)
        return;
    if (hooks.stopSearchTimer)
        hooks.stopSearchTimer();
    TraceLine(0, "Found Dev %X, App %X", info->device, info->model);
    ActiveDevice.Model = info->model;
    ActiveDevice.MidiDevice = info->device;
    ActiveDevice.MidiChan = info->device;
    ActiveDevice.SubModel = info->subModel;
    ActiveDevice.ModelText = info->modelText;
    const int inputs = static_cast<int>(ports.InputNames().size());
    if (port < 0 || port >= inputs) {
        TraceLine(0, "Recieved False mididevin %d", port);
        ActiveDevice.MidiIn = 0;
    } else {
        ActiveDevice.MidiIn = port;
        TraceLine(0, "Dev at in %d, out %d", ActiveDevice.MidiIn, ActiveDevice.MidiOut);
    }
    ActiveDevice.DeviceKey =
        MakeDeviceKey(ActiveDevice.Model, ActiveDevice.MidiDevice, ActiveDevice.MidiIn, ActiveDevice.MidiOut);
    const auto& outputs = ports.OutputNames();
    const std::string out = ActiveDevice.MidiOut >= 0 && ActiveDevice.MidiOut < static_cast<int>(outputs.size())
        ? outputs[ActiveDevice.MidiOut]
        : std::string();
    ActiveDevice.DeviceName = DefaultDeviceName(ActiveDevice.MidiDevice, out);
    if (ActiveDevice.Model == ModelDrux || !askName) {
        if (hooks.unitRecognised)
            hooks.unitRecognised();
    } else {
        RequestName();
    }
}

void Protocol::handleNameReply(const SysexFrame& f)
{
    if (f.model() != ActiveDevice.Model || f.device() != (ActiveDevice.MidiDevice & 0xFF) || ActiveDevice.MidiIn < 0)
        return;
    // Set name has the same bytes as a name reply: coming back through a
    // Thru port it would report the unit once more. A reply after the wait
    // for it has ended comes too late: the unit was recognised without it,
    // and recognising it again would reset the records and read the memory
    // a second time.
    if (!nameAsked) {
        TraceLine(0, "Name not asked for, ignored");
        return;
    }
    nameAsked = false;
    if (const auto name = ParseNameReply(f))
        ActiveDevice.DeviceName = *name;
    if (hooks.unitRecognised)
        hooks.unitRecognised();
}

void Protocol::handlePresetDump(const SysexFrame& f)
{
    if (ActiveDevice.MidiIn < 0)
        return;
    const DumpCheck check = CheckPresetDump(f, ActiveDevice.MidiDevice, ActiveDevice.Model, PresetLength);
    if (check == DumpCheck::Foreign)
        return;
    const int preset = DumpPreset(f);
    // Only the answer to the outstanding request ends it. Any other preset
    // (a late answer to an earlier request, or one the unit sent by itself)
    // leaves that request, its time-out and the busy pointer alone: stopping
    // them here would leave a lost answer without retry or question.
    const bool asked = Waiting() && RequestedPreset >= 0 && preset == RequestedPreset;
    if (check == DumpCheck::Short) {
        if (!asked)
            return;
        stopWaiting();
        if (++shortInARow <= ImmediateReasks) {
            askAgain();
        } else {
            TraceLine(0, "Preset dump cut short again, waiting");
            UploadTimer.start();
            setBusy(true);
        }
        return;
    }
    if (asked) {
        stopWaiting();
        shortInARow = 0;
    }
    TraceLine(0, "Rx Preset %d, len %d, nr %zu", preset, PresetLength, f.recorded);
    StoreDump(preset, DumpData(f));
    if (hooks.presetStored)
        hooks.presetStored(preset);
    if (!asked)
        return;
    if (!OneByOneDump) {
        reading = false;
        return;
    }
    if (preset + 1 < SlotCount) {
        RequestPreset(preset + 1);
    } else {
        OneByOneDump = false;
        reading = false;
        if (hooks.memoryRead)
            hooks.memoryRead();
    }
}

void Protocol::handleMemoryDump(const SysexFrame& f)
{
    if (ActiveDevice.MidiIn < 0)
        return;
    const DumpCheck check = CheckMemoryDump(f, ActiveDevice.MidiDevice, ActiveDevice.Model, PresetLength);
    if (check == DumpCheck::Foreign)
        return;
    // A memory dump while a single preset is asked for (a late answer to the
    // whole-memory request that the read has moved on from) or while nothing
    // is asked for leaves the request state alone; a complete one is still
    // the unit's memory.
    const bool asked = Waiting() && RequestedPreset < 0;
    if (check == DumpCheck::Short) {
        if (!asked)
            return;
        stopWaiting();
        if (RetryBudget > 0) {
            --RetryBudget;
            RequestWholeMemory();
        } else {
            OneByOneDump = true;
            RetryBudget = 5;
            shortInARow = 0;
            RequestPreset(0);
        }
        return;
    }
    TraceLine(0, "Rx PresetAll %d, len %d, nr %zu", SlotCount, PresetLength, f.recorded);
    StoreDump(-1, DumpData(f));
    if (!asked)
        return;
    stopWaiting();
    OneByOneDump = false;
    reading = false;
    if (hooks.memoryRead)
        hooks.memoryRead();
}
