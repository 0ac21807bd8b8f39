#pragma once

#include <array>
#include <span>

#include "model/ParameterNames.h"
#include "model/Parameters.h"

// One row of a module table: a parameter with its range, initial value,
// flags and coupling hook, the controller a change of it is sent as, and the
// controllers from the unit that set it (0: none). Parameters a table does not
// list are never given a range. The outgoing tables (PresetCcOut and the
// rest) and the incoming ones (CcInGuitar, CcInBass) are derived from these
// rows.
struct ParamRow {
    int mcix;
    int max;
    int initial;
    unsigned flags;
    ChangeHookFn hook;
    int ccOut;
    std::array<int, 2> ccIn;
};

extern const std::span<const ParamRow> GuitarPresetRows;
extern const std::span<const ParamRow> GuitarGlobalRows;
extern const std::span<const ParamRow> BassPresetRows;
extern const std::span<const ParamRow> BassGlobalRows;

void DelayHalvesHook(MCtrl&, float, unsigned);
void DelayWholeHook(MCtrl&, float, unsigned);
void BassDelayHalvesHook(MCtrl&, float, unsigned);
void BassDelayWholeHook(MCtrl&, float, unsigned);
void SynthParamHook(MCtrl&, float, unsigned);
void SynthValueHook(MCtrl&, float, unsigned);
void SynthKeyHook(MCtrl&, float, unsigned);

// The Mcix that `controller` addresses with a unit of `model` (0: none), as
// the incoming tables read once adapted to that model, whatever they hold now.
int CcInFor(int model, int controller);
