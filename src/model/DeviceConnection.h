#pragma once

#include <string>

// Model codes the unit reports and every SysEx message carries.
enum : int { ModelDrux = 0x0D, ModelDrux2 = 0x11, ModelBass = 0x13 };

inline bool IsBassModel(int model) { return model == ModelBass; }

// One unit's connection. ActiveDevice is what the whole program talks to;
// SavedDevice is the last committed copy.
struct DeviceConnection {
    int Model = ModelDrux2;
    int MidiDevice = 0;
    int MidiChan = 0;
    int MidiIn = 0; // -1: not identified yet, every input port is listened to
    int MidiOut = 0;
    int SubModel = 1;
    std::string ModelText = "unknown: only output";
    std::string DeviceKey = "DEV0";
    std::string DeviceName = "Virtual Drux 2";

    bool isVirtual() const { return DeviceKey == "DEV0"; }
    bool operator==(const DeviceConnection&) const = default;
};

extern DeviceConnection ActiveDevice;
extern DeviceConnection SavedDevice;
