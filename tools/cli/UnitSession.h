#pragma once

#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "midi/DeviceSearch.h"
#include "midi/MidiPorts.h"
#include "midi/PortsUnitLink.h"
#include "midi/Protocol.h"

// The editor's core without its windows: the ports, the protocol and the
// search, for one command of the tool. Needs a QCoreApplication.
class UnitSession : public ProtocolUi {
public:
    // Null: the real MIDI ports.
    explicit UnitSession(std::unique_ptr<MidiDriver> driver = nullptr);
    ~UnitSession() override;

    // False, with "No MIDI Devices !?" on stderr, when there is no input or no
    // output port.
    bool Enumerate();
    // Searches every output port; the recognised units, sorted by name.
    std::vector<DeviceConnection> Search();
    // Searches the output ports until a unit answers that `wanted` accepts
    // (every port when none does). Their names are asked for: backups are
    // named after the unit.
    std::vector<DeviceConnection> SearchFor(std::function<bool(const DeviceConnection&)> wanted);
    // Makes the unit the active one and opens its ports.
    bool Connect(const DeviceConnection& unit);
    // Reads the whole memory of the active unit into DeviceMemory, with one
    // automatic re-request and the fall-back to one preset at a time. False
    // when the unit stopped answering ("No response from Drux !!" ...).
    bool ReadMemory();
    // Sends 125 images of the active unit's record length as one Memory dump.
    bool SendMemory(const std::vector<uint8_t>& images);

    // Closes the ports and lets the MIDI system's clients close on a thread
    // of their own (that waits for the MIDI system), so that the caller can
    // go on; the session waits for them when it ends. No MIDI after this.
    void CloseMidiMeanwhile();

    MidiPorts& ports() { return *Ports; }
    Protocol& protocol() { return *Proto; }

    // ProtocolUi: the time-out question is answered with Abort after the
    // text has been shown.
    bool askRetry(const std::string& text) override;

private:
    class HandOverDriver;
    HandOverDriver* Driver = nullptr; // owned by Ports
    std::thread Closer;
    std::unique_ptr<MidiPorts> Ports;
    std::unique_ptr<Protocol> Proto;
    std::unique_ptr<PortsUnitLink> Link;
    std::unique_ptr<DeviceSearch> Searcher;
};

// "DEV%02XM%02dI%02dO%02d" read back into model, device id and ports; false
// when the text has another form or names an unknown model.
bool ParseDeviceKey(const std::string& key, DeviceConnection& unit);
