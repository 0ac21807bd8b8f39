#pragma once

#include <functional>

#include "editor/ValueConversions.h"
#include "shell/Questions.h"

class TWC_CustomControl;
struct PreferenceSet;

// The current guitar modulation type, asked each time the FxSpd pair converts.
using ModulationTypeSource = std::function<int()>;

// The context in force now: the "Time Unit" of `prefs`, the system's decimal
// separator and the modulation type from `modulationType` (0 without one).
ConversionContext CurrentConversionContext(const PreferenceSet& prefs, const ModulationTypeSource& modulationType = {});

// Makes a knob show its value through the pair and read typed text through
// it, in the context in force at each conversion (`prefs` are read then).
// Text that cannot be read is shown as an error by `questions` and leaves the
// value as it was. Both outlive the knob.
void InstallConversion(TWC_CustomControl& knob, ConversionPair pair, Questions& questions, const PreferenceSet& prefs,
                       ModulationTypeSource modulationType = {});
