#pragma once

#include <vector>

#include "model/Parameters.h"

// One row of a module layout: parameters not listed are never given a range.
struct ParamRow {
    int mcix;
    int max;
    int initial;
    unsigned flags;
    ChangeHookFn hook;
};

extern const std::vector<ParamRow> PresetRows;
extern const std::vector<ParamRow> GlobalRows;
extern const std::vector<ParamRow> BassPresetRows;
extern const std::vector<ParamRow> BassGlobalRows;

void DelayHalvesHook(MCtrl&, float, unsigned);
void DelayWholeHook(MCtrl&, float, unsigned);
void BassDelayHalvesHook(MCtrl&, float, unsigned);
void BassDelayWholeHook(MCtrl&, float, unsigned);
void SynthParamHook(MCtrl&, float, unsigned);
void SynthValueHook(MCtrl&, float, unsigned);
void SynthKeyHook(MCtrl&, float, unsigned);
