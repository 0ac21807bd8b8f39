// The four module layouts and the outgoing controller tables, as data.
#include "model/ParameterTables.h"

namespace {
constexpr unsigned CC = CcMapped;
constexpr unsigned SW = Switch | CcMapped;
constexpr unsigned SEL = Selector | CcMapped;
}

// Guitar preset, Modix 0, 34 parameters.
const std::vector<ParamRow> PresetRows = {
    // mcix  max    init flags hook
    {1, 127, 0, CC, nullptr},             // Gain
    {2, 127, 0, CC, nullptr},             // Treble
    {3, 127, 0, CC, nullptr},             // Mid
    {4, 127, 0, CC, nullptr},             // Bass
    {5, 127, 0, CC, nullptr},             // Volume
    {6, 127, 0, CC, nullptr},             // Presence
    {7, 127, 0, CC, nullptr},             // Reverb mix
    {8, 32, 0, SEL, nullptr},             // Amp model
    {9, 15, 0, SEL, nullptr},             // Effect selection
    {10, 1, 0, SW, nullptr},              // Effects on/off
    {11, 1, 0, SW, nullptr},              // Reverb on/off
    {12, 15, 0, CC, nullptr},             // Cabinet
    {13, 8, 0, CC, nullptr},              // Reverb type
    {14, 15, 0, CC, nullptr},             // Noise gate threshold
    {15, 1, 0, SW, nullptr},              // Drive on/off
    {16, 127, 0, CC, nullptr},            // Wah position
    {17, 2, 0, CC, nullptr},              // Pre-effect type
    {18, 127, 0, CC, nullptr},            // Pre-effect speed
    {19, 127, 0, CC, nullptr},            // Pre-effect depth
    {20, 127, 64, CC, nullptr},           // Pre-effect offset
    {21, 127, 0, CC, nullptr},            // Pre-effect frequency
    {22, 2, 0, CC, nullptr},              // Delay type
    {23, 127, 0, CC, DelayHalvesHook},    // Delay time, upper 7 bits
    {24, 127, 0, CC, DelayHalvesHook},    // Delay time, lower 7 bits
    {25, 127, 0, CC, nullptr},            // Delay spread
    {26, 127, 0, CC, nullptr},            // Delay feedback
    {27, 127, 0, CC, nullptr},            // Delay mix
    {28, 6, 0, CC, nullptr},              // Modulation effect type
    {29, 127, 0, CC, nullptr},            // Modulation speed
    {30, 127, 0, CC, nullptr},            // Modulation depth
    {31, 127, 64, CC, nullptr},           // Modulation feedback
    {32, 127, 0, CC, nullptr},            // Modulation mix
    {33, 0x3AFF, 0, 0, DelayWholeHook},   // Delay time, whole
};

// Guitar globals (Modix 1, 10 parameters) and bass globals (Modix 3, 11).
const std::vector<ParamRow> GlobalRows = {
    {1, 127, 0, CC, nullptr},  // Global parameter 1
    {2, 127, 0, CC, nullptr},  // Global volume
    {3, 127, 0, CC, nullptr},  // Tuner volume
    {4, 30, 15, CC, nullptr},  // Tuner centre frequency, 425 + v Hz
    {5, 4, 0, CC, nullptr},    // Configuration
    {6, 127, 0, CC, nullptr},  // Live EQ treble
    {7, 127, 0, CC, nullptr},  // Live EQ mid
    {8, 127, 0, CC, nullptr},  // Live EQ bass
    {9, 7, 0, CC, nullptr},    // Digital output format
};

const std::vector<ParamRow> BassGlobalRows = {
    {1, 127, 0, CC, nullptr},
    {2, 127, 0, CC, nullptr},
    {3, 127, 0, CC, nullptr},
    {4, 30, 15, CC, nullptr},
    {5, 5, 0, CC, nullptr},    // one more configuration than the guitar units
    {6, 127, 0, CC, nullptr},
    {7, 127, 0, CC, nullptr},
    {8, 127, 0, CC, nullptr},
    {9, 7, 0, CC, nullptr},
    {10, 127, 0, CC, nullptr}, // Input gain
};

// Bass preset, Modix 2, 45 parameters; Mcix 9, 13 and 40 have no range.
const std::vector<ParamRow> BassPresetRows = {
    {1, 127, 0, CC, nullptr},             // Gain
    {2, 127, 0, CC, nullptr},             // Treble
    {3, 127, 0, CC, nullptr},             // Mid
    {4, 127, 0, CC, nullptr},             // Bass
    {5, 127, 0, CC, nullptr},             // Volume
    {6, 127, 0, CC, nullptr},             // Presence
    {7, 127, 0, CC, nullptr},             // Compressor density
    {8, 32, 0, SEL, nullptr},             // Amp model
    {10, 127, 0, CC, nullptr},            // Mid shift
    {11, 127, 0, CC, nullptr},            // Deep
    {12, 127, 0, CC, nullptr},            // Compressor attack
    {14, 1, 0, SW, nullptr},              // Effects on/off
    {15, 1, 0, SW, nullptr},              // Compressor on/off
    {16, 23, 0, CC, nullptr},             // Cabinet model
    {17, 99, 0, CC, nullptr},             // Crossover frequency
    {18, 127, 0, CC, nullptr},            // Crossover balance
    {19, 15, 0, CC, nullptr},             // Denoiser expander
    {20, 127, 0, CC, nullptr},            // Denoiser sensitivity
    {21, 127, 0, CC, nullptr},            // Denoiser range
    {22, 4, 0, CC, nullptr},              // Pedal simulation
    {23, 127, 0, CC, nullptr},            // Stomp drive
    {24, 127, 0, CC, nullptr},            // Stomp tone
    {25, 127, 0, CC, nullptr},            // Stomp boost
    {26, 17, 0, CC, nullptr},             // Stomp split, sent as 7 x v
    {27, 127, 0, CC, nullptr},            // Wah position, MIDI-wah mode
    {28, 2, 0, SEL, nullptr},             // Pre-effect mode
    {29, 127, 0, CC, nullptr},            // Wah depth
    {30, 127, 0, CC, nullptr},            // Wah speed
    {31, 127, 0, CC, nullptr},            // Wah base
    {32, 15, 0, SEL, nullptr},            // Post-effect mode (13 = synth)
    {33, 127, 0, CC, nullptr},            // Effect parameter 1
    {34, 127, 0, CC, nullptr},            // Effect parameter 2
    {35, 127, 0, CC, nullptr},            // Effect parameter 3
    {36, 127, 0, CC, SynthParamHook},     // Effect parameter 4
    {37, 127, 0, CC, SynthParamHook},     // Effect parameter 5
    {38, 127, 0, CC, BassDelayHalvesHook},// Effect parameter 6 (delay upper 7 bits)
    {39, 127, 0, CC, BassDelayHalvesHook},// Effect parameter 7 (delay lower 7 bits)
    {41, 0x3CFF, 0, 0, BassDelayWholeHook},// Delay time, whole
    {42, 6, 0, 0, SynthValueHook},        // Synth value for key not 0
    {43, 6, 3, 0, SynthValueHook},        // Synth value for key 0
    {44, 12, 0, 0, SynthKeyHook},         // Synth key
};

int PresetCcOut[34] = {0, 12, 13, 14, 15, 16, 17, 18, 61, 60, 21, 22, 23, 24, 25, 26, 27,
                       44, 45, 46, 47, 48, 49, 50, 51, 52, 53, 54, 55, 56, 57, 58, 59, 0};
int GlobalCcOut[10] = {0, 1, 7, 82, 83, 84, 85, 86, 87, 88};
int BassPresetCcOut[41] = {0, 12, 13, 14, 15, 16, 17, 18, 61, 0, 24, 22, 26, 0,
                           21, 38, 23, 28, 29, 25, 30, 31, 33, 34, 35, 36, 37, 27,
                           48, 49, 50, 51, 39, 40, 41, 42, 43, 44, 45, 46, 0};
int BassGlobalCcOut[11] = {0, 1, 7, 82, 83, 84, 85, 86, 87, 88, 89};
