#pragma once

#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>

#include "midi/MidiDriver.h"
#include "model/WindowLink.h"

class ApplicationFilter;
class MidiPorts;
class PortsUnitLink;
class TDeviceForm;
class TSplashForm;

// Runs the program's body; an exception that escapes it is shown in the
// standard error box. The program's result is 0 either way.
int RunGuarded(const std::function<void()>& body);

// The program-wide objects, built at start-up in a fixed order and torn down
// in reverse.
class Program : public QObject, public WindowLink {
    Q_OBJECT
public:
    // `driver` replaces the real MIDI ports (tests).
    explicit Program(std::unique_ptr<MidiDriver> driver = nullptr);
    ~Program() override;

    // Start-up after the splash: modules, records, windows, MIDI.
    void start();

    TSplashForm* splash() const { return Splash; }
    TDeviceForm* deviceForm() const { return DeviceForm; }
    MidiPorts& ports() const { return *Ports; }
    ApplicationFilter& filter() const { return *Filter; }

    // WindowLink
    void redrawSlot(int slot) override;
    void showEditBufferName(const std::string& name) override;

    // Program-wide flush of pending parameter changes.
    QTimer FrameTimer;

private:
    TSplashForm* Splash = nullptr;
    TDeviceForm* DeviceForm = nullptr;
    std::unique_ptr<MidiPorts> Ports;
    std::unique_ptr<PortsUnitLink> Link;
    ApplicationFilter* Filter = nullptr;
};
