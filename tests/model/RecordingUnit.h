#pragma once

#include <optional>
#include <utility>
#include <vector>

#include "model/DeviceConnection.h"
#include "model/Parameters.h"
#include "model/Presets.h"
#include "support/ProgramState.h"

// Records what the parameter model sends to the unit.
struct RecordingUnit : UnitLink {
    std::vector<std::pair<int, int>> controllers;
    std::vector<std::pair<int, int>> globals;
    std::vector<int> dumpSlots;
    std::vector<int> requests;
    int memoryDumps = 0;

    void sendControlChange(int n, int v) override { controllers.emplace_back(n, v); }
    void sendGlobalParameter(int c, int v) override { globals.emplace_back(c, v); }
    void sendPresetDump(int slot, const unsigned char*, int) override { dumpSlots.push_back(slot); }
    void requestPreset(int slot) override { requests.push_back(slot); }
    void sendMemoryDump(const unsigned char*, int) override { ++memoryDumps; }
};

// Fresh modules and records for one test, connected to a unit of `model`.
struct ModelFixtureBase {
    RecordingUnit unit;
    std::optional<ProgramState> state;

    void setUpModel(int model)
    {
        state.emplace(model);
        SetUnitLink(&unit);
    }

    void tearDownModel() { state.reset(); }
};
