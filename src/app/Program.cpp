#include "app/Program.h"

#include <QApplication>

#include "app/ApplicationFilter.h"
#include "app/MessageService.h"
#include "app/SplashForm.h"
#include "controls/CustomControl.h"
#include "librarian/DeviceForm.h"
#include "midi/MidiPorts.h"
#include "midi/PortsUnitLink.h"
#include "midi/RtMidiDriver.h"
#include "model/DeviceConnection.h"
#include "model/Parameters.h"
#include "model/Presets.h"

namespace {
constexpr int FrameMs = 33;
}

int RunGuarded(const std::function<void()>& body)
{
    try {
        body();
    } catch (const std::exception& e) {
        Dialogs().error(nullptr, QString::fromLocal8Bit(e.what()));
    } catch (...) {
        Dialogs().error(nullptr, QStringLiteral("Unknown error"));
    }
    return 0;
}

Program::Program(std::unique_ptr<MidiDriver> driver)
{
    // Shown and painted at once, so that it is visible while the rest is built.
    Splash = new TSplashForm;
    Splash->setAttribute(Qt::WA_DeleteOnClose, false);
    Splash->show();
    Splash->repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);

    DataFormatVersion = CurrentDataFormatVersion;
    if (!driver)
        driver = std::make_unique<RtMidiDriver>("Drux Editor");
    Ports = std::make_unique<MidiPorts>(std::move(driver));
}

void Program::start()
{
    CreateModules();
    TWC_CustomControl::SetModul(ModuleTable);
    CreateRecords();
    QApplication::setApplicationDisplayName(QStringLiteral("Drux Editor"));

    DeviceForm = new TDeviceForm;
    DeviceForm->setAttribute(Qt::WA_DeleteOnClose, false);
    SetWindowLink(this);

    Filter = new ApplicationFilter(this);
    Filter->install(*Ports);
    Filter->hooks.programChange = [this](int program) {
        Ports->SendControlChange(80, 80);
        DeviceForm->SelectSlot(program);
    };
    connect(&FrameTimer, &QTimer::timeout, [] { FlushPending(); });
    FrameTimer.start(FrameMs);
    ActiveDevice = DeviceConnection();
    SavedDevice = ActiveDevice;
    Link = std::make_unique<PortsUnitLink>(*Ports);
    SetUnitLink(Link.get());
    if (!Ports->Enumerate())
        Dialogs().error(DeviceForm, QStringLiteral("No MIDI Devices !?"));
    ResetAllRecords();
    DeviceForm->show();
}

Program::~Program()
{
    FrameTimer.stop();
    SetUnitLink(nullptr);
    SetWindowLink(nullptr);
    delete DeviceForm;
    delete Splash;
    Ports.reset();
    DestroyRecords();
    DestroyModules();
}

void Program::redrawSlot(int slot)
{
    if (DeviceForm)
        DeviceForm->RedrawSlot(slot);
}

void Program::showEditBufferName(const std::string& name)
{
    if (DeviceForm)
        DeviceForm->ShowCurrentPresetName(QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())));
}
