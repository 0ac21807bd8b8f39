#pragma once

// The parameters of the four modules by name. Each enumerator is the
// parameter's Mcix, the index inside its module; Count is the module's number
// of parameters. Mcix 0 of every module, and the gaps of the bass preset, are
// parameters that are never given a range.
//
// Plain enums in a namespace: they convert to the int that the modules and
// the control bindings take, and read as GuitarPreset::AmpModel at the call.

namespace GuitarPreset {
enum Mcix : int {
    Gain = 1,
    Treble = 2,
    Mid = 3,
    Bass = 4,
    Volume = 5,
    Presence = 6,
    ReverbMix = 7,
    AmpModel = 8,
    EffectSelection = 9,
    EffectsOn = 10,
    ReverbOn = 11,
    Cabinet = 12,
    ReverbType = 13,
    NoiseGate = 14,
    DriveOn = 15,
    WahPosition = 16,
    PreEffectType = 17,
    PreEffectSpeed = 18,
    PreEffectDepth = 19,
    PreEffectOffset = 20,
    PreEffectFrequency = 21,
    DelayType = 22,
    DelayTimeUpper = 23, // upper 7 bits of DelayTime
    DelayTimeLower = 24, // lower 7 bits of DelayTime
    DelaySpread = 25,
    DelayFeedback = 26,
    DelayMix = 27,
    ModulationType = 28,
    ModulationSpeed = 29,
    ModulationDepth = 30,
    ModulationFeedback = 31,
    ModulationMix = 32,
    DelayTime = 33, // the whole delay time; reaches the unit as its two halves
    Count = 34,
};
}

// The guitar and bass globals share their layout; only the bass has input gain.
namespace GuitarGlobal {
enum Mcix : int {
    Global1 = 1,
    MasterVolume = 2,
    TunerVolume = 3,
    TunerCenter = 4, // value v means 425 + v Hz
    Configuration = 5,
    LiveTreble = 6,
    LiveMid = 7,
    LiveBass = 8,
    DigitalOut = 9,
    Count = 10,
};
}

namespace BassGlobal {
enum Mcix : int {
    Global1 = 1,
    MasterVolume = 2,
    TunerVolume = 3,
    TunerCenter = 4,
    Configuration = 5,
    LiveTreble = 6,
    LiveMid = 7,
    LiveBass = 8,
    DigitalOut = 9,
    InputGain = 10,
    Count = 11,
};
}

namespace BassPreset {
enum Mcix : int {
    Gain = 1,
    Treble = 2,
    Mid = 3,
    Bass = 4,
    Volume = 5,
    Presence = 6,
    CompDensity = 7,
    AmpModel = 8,
    MidShift = 10,
    Deep = 11,
    CompAttack = 12,
    EffectsOn = 14,
    CompOn = 15,
    Cabinet = 16,
    XoverFrequency = 17,
    XoverBalance = 18,
    Expander = 19,
    Sensitivity = 20,
    DenoiserRange = 21,
    Pedal = 22,
    StompDrive = 23,
    StompTone = 24,
    StompBoost = 25,
    StompSplit = 26, // sent as 7 x v
    WahPosition = 27, // the wah position of the MIDI-wah mode
    PreFxMode = 28,
    WahDepth = 29,
    WahSpeed = 30,
    WahBase = 31,
    PostFxMode = 32,
    Fx1 = 33, // effect parameters 1..7, their meaning set by PostFxMode
    Fx2 = 34,
    Fx3 = 35,
    Fx4 = 36, // the synth's interval while the post-effect is the synth
    Fx5 = 37, // the synth's key while the post-effect is the synth
    Fx6 = 38, // upper 7 bits of DelayTime while the post-effect is a delay
    Fx7 = 39, // lower 7 bits of DelayTime
    DelayTime = 41, // the whole delay time
    IntervalWithKey = 42, // the synth's interval while its key is not 0
    IntervalWithoutKey = 43, // the synth's interval while its key is 0
    SynthKey = 44,
    Count = 45,
    DelayTimeUpper = Fx6,
    DelayTimeLower = Fx7,
};
}
