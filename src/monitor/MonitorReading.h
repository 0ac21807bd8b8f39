#pragma once

// The parts of the MIDI monitor's reading that its files share: the
// controller reading (MonitorControllers.cpp), the SysEx reading
// (MonitorSysex.cpp) and the small text helpers both use. Only the files of
// src/monitor include this header.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "monitor/MidiMonitor.h"

namespace MonitorReading {

template <typename... Args>
std::string format(const char* f, Args... args)
{
    char line[256];
    std::snprintf(line, sizeof line, f, args...);
    return line;
}

inline std::string modelText(int model)
{
    return format("%02Xh", model);
}

inline std::string notTheUnits(const std::string& what, const std::string& reason)
{
    return what + " - not the unit's: " + reason;
}

// The tuner centre frequency travels as v + 25.
constexpr int TunerCcOffset = 25;

// A controller on the unit's channel, read as HandleController reads it; the
// name characters with the positions `mem` remembers, when there is one.
std::string controllerText(int controller, int value, const MonitorUnit& unit, const MonitorMemory* mem,
                           MidiDirection direction);

// A global parameter's value as the settings window shows it.
std::string globalValueText(int mcix, int value, const MonitorUnit& unit);

// The preset parameter that a preset controller sets, and the value it
// takes, as HandleController applies it; mcix 0 when it sets none.
struct PresetValue {
    int mcix;
    int value;
};
PresetValue presetControllerValue(int controller, int value, int model);

// Controllers below and above these address the global modules.
constexpr int FirstPresetCc = 12;
constexpr int LastPresetCc = 81;

std::string sysexText(const std::vector<uint8_t>& message, MidiDirection direction, const MonitorUnit& unit);

} // namespace MonitorReading
