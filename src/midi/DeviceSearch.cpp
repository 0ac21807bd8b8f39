#include "midi/DeviceSearch.h"

#include <QSettings>
#include <QTimer>
#include <algorithm>
#include <cctype>

#include "midi/MidiPorts.h"
#include "midi/Protocol.h"
#include "model/Parameters.h"
#include "model/Presets.h"
#include "model/Trace.h"

const std::array<const char*, 7> VirtualModelNames = {
    "DRUX (virtual)",      "DRUX 2 (virtual)",      "DRUX PRO (virtual)",     "DRUXORA (virtual)",
    "BASS DRUX (virtual)", "BASS DRUX PRO (virtual)", "BASS DRUXORA (virtual)",
};

namespace {
class EventLoopTimer : public SearchTimer {
public:
    EventLoopTimer()
    {
        timer.setSingleShot(true);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            if (elapsed)
                elapsed();
        });
    }
    void start(int ms) override { timer.start(ms); }
    void stop() override { timer.stop(); }
    bool isActive() const override { return timer.isActive(); }
    int interval() const override { return timer.interval(); }

private:
    QTimer timer;
};

bool lessCaption(const std::string& a, const std::string& b)
{
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) < std::tolower(static_cast<unsigned char>(y));
    });
}

bool sameConnection(const DeviceConnection& a, const DeviceConnection& b)
{
    return a.Model == b.Model && a.MidiDevice == b.MidiDevice && a.MidiChan == b.MidiChan && a.MidiIn == b.MidiIn &&
           a.MidiOut == b.MidiOut;
}

bool knownModel(int model)
{
    return model == ModelDrux || model == ModelDrux2 || model == ModelBass;
}

int firstSubModel(int model)
{
    return model == ModelDrux2 ? 1 : (model == ModelBass ? 4 : 0);
}

// A SubModel belongs to one model code: 0 to 0x0D, 1..3 to 0x11, 4..6 to 0x13.
bool subModelFits(int model, int sub)
{
    switch (model) {
    case ModelDrux:
        return sub == 0;
    case ModelDrux2:
        return sub >= 1 && sub <= 3;
    case ModelBass:
        return sub >= 4 && sub <= 6;
    default:
        return false;
    }
}

// Section names become ini groups; a key that QSettings would read as a path
// cannot name one.
bool usableKey(const std::string& key)
{
    return !key.empty() && key.find_first_of("/\\[]=") == std::string::npos;
}

QString q(const std::string& s)
{
    return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

// An ini value as a number in [low, high]; anything else gives the fallback.
int readInt(QSettings& ini, const char* name, int fallback, int low, int high)
{
    const QVariant v = ini.value(QLatin1String(name));
    if (!v.isValid())
        return fallback;
    bool ok = false;
    const int x = v.toString().trimmed().toInt(&ok);
    if (!ok || x < low || x > high) {
        TraceLine(0, "Ini: bad %s ignored", name);
        return fallback;
    }
    return x;
}
}

std::unique_ptr<SearchTimer> MakeEventLoopTimer()
{
    return std::make_unique<EventLoopTimer>();
}

DeviceSearch::DeviceSearch(MidiPorts& p, std::unique_ptr<SearchTimer> timeout, std::unique_ptr<SearchTimer> name)
    : ports(p), timeoutTimer(timeout ? std::move(timeout) : MakeEventLoopTimer()),
      nameReq(name ? std::move(name) : MakeEventLoopTimer())
{
    timeoutTimer->elapsed = [this] { TimeoutTimerTimer(); };
    nameReq->elapsed = [this] { NameReqTimer(); };
    resetAllRecords = [] { ResetAllRecords(); };
}

DeviceSearch::~DeviceSearch()
{
    timeoutTimer->stop();
    nameReq->stop();
}

void DeviceSearch::setWindow(SearchWindow* w)
{
    window = w ? w : &noWindow;
}

int DeviceSearch::outputCount() const
{
    return static_cast<int>(ports.OutputNames().size());
}

int DeviceSearch::inputCount() const
{
    return static_cast<int>(ports.InputNames().size());
}

void DeviceSearch::Commit()
{
    SavedDevice = ActiveDevice;
}

// Every way a unit becomes the active one goes through here, so that the
// controller tables match the model before its first controller arrives.
void DeviceSearch::setActive(const DeviceConnection& d)
{
    ActiveDevice = d;
    AdaptTablesToModel(ActiveDevice.Model);
}

bool DeviceSearch::Initialise()
{
    setActive(DeviceConnection());
    Commit();
    return ports.Enumerate();
}

void DeviceSearch::RestoreLastUnit(QSettings& ini)
{
    if (ini.childGroups().contains(QStringLiteral("Last"))) {
        const std::string key = ini.value(QStringLiteral("Last/Device"), q(ActiveDevice.DeviceKey))
                                    .toString()
                                    .toLatin1()
                                    .toStdString();
        if (usableKey(key))
            ActiveDevice.DeviceKey = key;
        else
            TraceLine(0, "Ini: bad last device ignored");
    }
    const QString section = q(ActiveDevice.DeviceKey);
    if (!ini.childGroups().contains(section)) {
        Search();
        if (!window->isShown())
            window->showModal();
        return;
    }

    DeviceConnection d = ActiveDevice;
    ini.beginGroup(section);
    const int model = readInt(ini, "Model", d.Model, 0, 127);
    if (knownModel(model))
        d.Model = model;
    else
        TraceLine(0, "Ini: unknown model %d ignored", model);
    d.SubModel = firstSubModel(d.Model);
    d.MidiIn = readInt(ini, "MidiIn", d.MidiIn, -1, 1 << 20);
    d.MidiOut = readInt(ini, "MidiOut", d.MidiOut, -1, 1 << 20);
    d.MidiDevice = readInt(ini, "MidiDevice", d.MidiDevice, 0, 127);
    d.MidiChan = readInt(ini, "MidiChan", d.MidiChan, 0, 15);
    const int sub = readInt(ini, "SubModel", d.SubModel, 0, 6);
    if (subModelFits(d.Model, sub))
        d.SubModel = sub;
    ini.endGroup();

    if (d.MidiIn < 0 || d.MidiIn >= inputCount() || d.MidiOut < 0 || d.MidiOut >= outputCount()) {
        d.MidiIn = -1;
        d.MidiOut = 0;
    }
    setActive(d);
    Commit();
    ScanStep();
}

void DeviceSearch::Search()
{
    nameReq->stop();
    ActiveDevice.MidiIn = -1;
    ActiveDevice.MidiOut = 0;
    scanActive = true;
    stopRequested = false;
    window->unShowSelected();
    units.clear();
    selected = -1;
    window->unitsChanged();
    ScanStep();
    window->setBusy(true);
}

void DeviceSearch::ScanStep()
{
    ports.Close(false);
    if (ports.Open()) {
        if (sendIdentifyRequest)
            sendIdentifyRequest();
        timeoutTimer->start(StepMs);
    } else {
        timeoutTimer->start(ClosedPortStepMs);
    }
}

void DeviceSearch::StopScan()
{
    // The step under way still finishes, so that a unit answering now is
    // recorded with the port it answered on.
    if (scanActive)
        stopRequested = true;
}

void DeviceSearch::TimeoutTimerTimer()
{
    timeoutTimer->stop();
    if (!scanActive) {
        // The restored unit did not answer in time.
        Search();
        if (!window->isShown())
            window->showModal();
        return;
    }
    if (!stopRequested && ActiveDevice.MidiOut < outputCount() - 1) {
        ++ActiveDevice.MidiOut;
        ActiveDevice.MidiIn = -1;
        ScanStep();
        return;
    }
    endSearch();
}

void DeviceSearch::endSearch()
{
    scanActive = false;
    stopRequested = false;
    nameReq->stop();
    if (!units.empty()) {
        if (selected >= 0)
            SelectUnit();
        else
            SelectItem(0);
        if (searchEnded)
            searchEnded();
        return;
    }
    ActiveDevice.MidiOut = 0;
    ActiveDevice.MidiIn = 0;
    window->setBusy(false);
    const bool again = window->askRescan();
    if (again) {
        Search();
    } else {
        ActiveDevice = SavedDevice;
        if (ActiveDevice.MidiIn < 0) {
            ActiveDevice.MidiIn = 0;
            ActiveDevice.MidiOut = 0;
        }
        ChooseVirtualUnit(ActiveDevice.SubModel);
    }
    if (!window->isShown())
        window->showModal();
    if (!again && searchEnded)
        searchEnded();
}

void DeviceSearch::IdentifyReplyArrived()
{
    timeoutTimer->stop();
}

void DeviceSearch::NameRequested()
{
    nameReq->start(NameWaitMs);
}

void DeviceSearch::NameReqTimer()
{
    nameReq->stop();
    if (nameWaitEnded)
        nameWaitEnded();
    UnitRecognised();
}

int DeviceSearch::insertUnit(const DeviceConnection& d)
{
    // A unit that answers again (twice through a thru, or once more later)
    // replaces its item instead of appearing twice.
    bool wasSelected = false;
    for (int i = 0; i < static_cast<int>(units.size()); ++i) {
        if (units[i].DeviceKey != d.DeviceKey)
            continue;
        wasSelected = selected == i;
        if (selected > i)
            --selected;
        else if (selected == i)
            selected = -1;
        units.erase(units.begin() + i);
        break;
    }
    const auto at = std::upper_bound(units.begin(), units.end(), d, [](const DeviceConnection& a,
                                                                         const DeviceConnection& b) {
        return lessCaption(a.DeviceName, b.DeviceName);
    });
    const int pos = static_cast<int>(at - units.begin());
    units.insert(at, d);
    if (selected >= pos)
        ++selected;
    if (wasSelected)
        selected = pos;
    return pos;
}

void DeviceSearch::UnitRecognised()
{
    nameReq->stop();
    const int pos = insertUnit(ActiveDevice);
    if (!scanActive || sameConnection(ActiveDevice, SavedDevice))
        SelectItem(pos);
    else
        window->unitsChanged();
    if (scanActive) {
        if (enoughFound && enoughFound(ActiveDevice))
            stopRequested = true;
        TimeoutTimerTimer();
        return;
    }
    window->refreshCaption();
    if (!window->isShown()) {
        if (resetAllRecords)
            resetAllRecords();
        if (readWholeMemory)
            readWholeMemory();
    }
}

void DeviceSearch::SelectItem(int index)
{
    selected = index >= 0 && index < static_cast<int>(units.size()) ? index : -1;
    window->unitsChanged();
    SelectUnit();
}

void DeviceSearch::ListClicked()
{
    if (selected < 0 && !units.empty())
        SelectItem(0);
}

void DeviceSearch::SelectUnit()
{
    if (scanActive || selected < 0)
        return;
    setActive(units[selected]);
    window->unShowSelected();
    window->showSelected();
    ports.Reopen();
    Commit();
    if (requestSettingsOnSelect)
        ports.SendControlChange(80, 80);
    window->setBusy(false);
}

void DeviceSearch::Connect(const DeviceConnection& unit)
{
    setActive(unit);
    ports.Close(false);
    ports.Open();
    Commit();
}

void DeviceSearch::ChooseVirtualUnit(int k)
{
    if (k < 0 || k >= static_cast<int>(VirtualModelNames.size()))
        return;
    window->unShowSelected();
    DeviceConnection d = ActiveDevice;
    d.SubModel = k;
    d.ModelText = VirtualModelNames[k];
    d.DeviceName = d.ModelText;
    d.DeviceKey = "DEV0";
    d.Model = k == 0 ? ModelDrux : (k <= 3 ? ModelDrux2 : ModelBass);
    setActive(d);
    // A virtual unit starts from the plain stereo configuration.
    if (d.Model == ModelDrux2 && ModuleTable[ModixGlobal])
        Param(GuitarGlobal::Configuration).SetVal(0);
    if (d.Model == ModelBass && ModuleTable[ModixBassGlobal])
        Param(BassGlobal::Configuration).SetVal(0);
    selected = -1;
    window->unitsChanged();
    window->showSelected();
    window->enableOutPortBox();
    ports.Reopen();
    Commit();
}

void DeviceSearch::OutputPortChanged(int k)
{
    if (k < 0 || k >= outputCount())
        return;
    ActiveDevice.MidiIn = 0;
    ActiveDevice.MidiOut = k;
    if (selected >= 0) {
        UpdateSelectedItem();
        SelectUnit();
        return;
    }
    ports.Reopen();
    Commit();
}

void DeviceSearch::UpdateSelectedItem()
{
    if (selected < 0)
        return;
    selected = insertUnit(ActiveDevice);
    window->unitsChanged();
}

bool DeviceSearch::WriteIni(QSettings& ini) const
{
    ini.setValue(QStringLiteral("Last/Device"), q(ActiveDevice.DeviceKey));
    for (const DeviceConnection& u : units) {
        if (!usableKey(u.DeviceKey))
            continue;
        ini.beginGroup(q(u.DeviceKey));
        ini.setValue(QStringLiteral("Model"), u.Model);
        ini.setValue(QStringLiteral("MidiIn"), std::max(0, u.MidiIn));
        ini.setValue(QStringLiteral("MidiOut"), std::max(0, u.MidiOut));
        ini.setValue(QStringLiteral("MidiDevice"), u.MidiDevice);
        ini.setValue(QStringLiteral("MidiChan"), u.MidiChan);
        ini.setValue(QStringLiteral("SubModel"), u.SubModel);
        ini.endGroup();
    }
    if (ActiveDevice.isVirtual()) {
        ini.beginGroup(QStringLiteral("DEV0"));
        ini.setValue(QStringLiteral("Model"), ActiveDevice.Model);
        ini.setValue(QStringLiteral("MidiOut"), std::max(0, ActiveDevice.MidiOut));
        ini.setValue(QStringLiteral("MidiChan"), ActiveDevice.MidiChan);
        ini.setValue(QStringLiteral("SubModel"), ActiveDevice.SubModel);
        ini.endGroup();
    }
    ini.sync();
    return ini.status() == QSettings::NoError;
}

bool DeviceSearch::WindowClosed(QSettings& ini)
{
    // Closed in the middle of a search: ActiveDevice describes whatever port
    // was being tried, which must not become the committed unit. The search
    // ends and the last committed unit stays.
    if (scanActive) {
        TraceLine(0, "Search cancelled");
        timeoutTimer->stop();
        nameReq->stop();
        scanActive = false;
        stopRequested = false;
        setActive(SavedDevice);
        ports.Reopen();
        window->setBusy(false);
        if (searchEnded)
            searchEnded();
    }
    const bool written = WriteIni(ini);
    if (!written) {
        TraceLine(0, "Ini write error %s", ini.fileName().toLocal8Bit().constData());
        window->showError("Cannot write the settings file\n" + ini.fileName().toStdString());
    }
    Commit();
    AdaptTablesToModel(ActiveDevice.Model);
    if (resetAllRecords)
        resetAllRecords();
    if (!ActiveDevice.isVirtual() && readWholeMemory)
        readWholeMemory();
    return written;
}

void ConnectSearchToProtocol(DeviceSearch& search, Protocol& protocol)
{
    search.sendIdentifyRequest = [&protocol] { protocol.SendIdentifyRequest(); };
    search.readWholeMemory = [&protocol] { protocol.ReadMemory(1); };
    search.nameWaitEnded = [&protocol] { protocol.NameWaitEnded(); };
    protocol.hooks.stopSearchTimer = [&search] { search.IdentifyReplyArrived(); };
    protocol.hooks.nameRequested = [&search] { search.NameRequested(); };
    protocol.hooks.unitRecognised = [&search] { search.UnitRecognised(); };
}
