#pragma once

#include <QRect>
#include <QString>
#include <array>
#include <string_view>

#include "editor/ValueConversions.h"

// What the bass editor window shows, as data: the texts of its lists, the
// effect knobs of each post-effect mode, the piano's notes and key positions,
// the looper's controllers and the help anchors.

namespace BassEditorTexts {

// The last amp model bypasses the preamp.
inline constexpr std::array<std::string_view, 33> AmpModels{
    "British '60s", "British '70s", "British '80s", "British Pop", "Thunderbird", "Mosound", "Rock Classic",
    "Rock 2", "Silver Panel", "White Panel", "Red Panel", "Gold Panel", "Californian", "Jazz Tone",
    "Bottom End", "Tube Preamp", "British Class A", "Modern Hi Gain", "Numetal Gain", "Custom Hi Gain",
    "Ultimate Plus", "Crunch DRUX", "Drive DRUX", "British Hi Gain", "Piezo Sim.", "Microphone Sim.",
    "Magnetic EQ", "Piezo EQ", "Black Twin", "Organ Classic", "British Classic", "Classic Clean",
    "Preamp Bypass"};
inline constexpr int AmpBypass = 32;

inline constexpr std::array<std::string_view, 24> Cabinets{
    "no cabinet model", "Ampeg SVT 8x10\"", "Trace Elliot 4x10\"", "SWR \"Goliath\" 4x10\"", "AMPEG 4x10\"",
    "Gallien Krueger B120", "68 Marshall 4x12\"", "Ampeg B-15 1x15\"", "Polytone A101, 1x15\"",
    "Vox AC100 2x15\"", "Mesa/Boogie 2x15\"", "Fender Bassman 2x15\"", "Leslie 760 cabinet", "SWR 1x18\"",
    "Ampeg SVT18E", "Sunn Coliseum 8028", "1x8\" Vintage Tweed", "1x12\" Mid Combo", "2x12\" Twin Combo",
    "2x12\" DRUX Custom", "4x12\" Vintage 30", "4x12\" '78 Std.", "4x12\" off axis", "4x12\" DRUX Custom"};
inline constexpr int NoCabinet = 0;

// "El Ratòn" in Latin-1, as the lists show their texts.
inline constexpr std::array<std::string_view, 5> PedalSims{"Bypass", "Big Bass Boost", "Big Fuzz",
                                                           "El Rat\xf2n", "Booster Line Driver"};

inline constexpr std::array<std::string_view, 3> PreEffectModes{"MIDI-Wah", "P-Funk'n", "Auto Wah"};
inline constexpr int MidiWah = 0;

inline constexpr std::array<std::string_view, 16> PostEffectModes{
    "VCF+Flanger", "Delay Chorus", "Stereo Delay", "Delay/Loop", "Reverb", "Ambience", "Voice Box", "Ultrabass",
    "Rotary Cabinet", "Phaser", "Flanger", "Chorus", "Stereo Chorus", "Synth", "MIDI Bass Synth",
    "no post effect"};
inline constexpr int DelayChorus = 1;
inline constexpr int StereoDelay = 2;
inline constexpr int DelayLoop = 3;
inline constexpr int Synth = 13;
inline constexpr int MidiBassSynth = 14;

// Amp models whose fifth tone knob shifts the mid band; the others shape the
// tone, and their knob at 0 is off.
bool AmpHasMidShift(int ampModel);

} // namespace BassEditorTexts

// One of the seven effect knobs under a post-effect mode: an empty caption
// takes the knob out of use.
struct PostEffectKnob {
    std::string_view caption;
    // Without one the plain number pair.
    const ConversionPair* conversion = nullptr;
};
extern const std::array<std::array<PostEffectKnob, 7>, 16> PostEffectKnobs;

// The effect knobs' parameters (Mcix) by mode; the synth's interval knob
// follows the key and is left to the window.
struct PostEffectBindings {
    int fx4;
    int fx5;
    int fx7;
};
PostEffectBindings PostEffectBindingsFor(int mode);

// ---- piano ----
namespace BassPiano {

inline constexpr int Width = 337;
inline constexpr int Height = 72;
inline constexpr int KeyWidth = 16;
// Rows at or above this line are the black keys.
inline constexpr int BlackRowBottom = 50;
inline constexpr int LastIndex = 22;
inline constexpr int Velocity = 127;

// MIDI notes by key index; 0 where there is no key.
inline constexpr std::array<int, LastIndex + 1> WhiteNotes{12, 14, 16, 17, 19, 21, 23, 24, 26, 28, 29, 31,
                                                           33, 35, 36, 38, 40, 41, 43, 45, 47, 48, 0};
inline constexpr std::array<int, LastIndex + 1> BlackNotes{0,  13, 15, 0,  18, 20, 22, 0,  25, 27, 0,  30,
                                                           32, 34, 0,  37, 39, 0,  42, 44, 46, 0,  0};

struct Position {
    int index = -1;
    bool black = false;
    bool operator==(const Position&) const = default;
};

// The key under a point of the picture; no position (index -1) between
// two white keys in the black row.
Position PositionAt(int x, int y);
// The note of a position, 0 for none.
int NoteAt(Position p);
// The rectangle of the position marker.
QRect MarkerRect(Position p);

// Where the computer keys 1..9, 0, O, P press the lowest octave, C to B.
struct KeyPoint {
    int x;
    int y;
};
inline constexpr std::array<KeyPoint, 12> LowestOctave{{
    {8, 60}, {16, 30}, {24, 60}, {32, 30}, {40, 60}, {56, 60},
    {64, 30}, {72, 60}, {80, 30}, {88, 60}, {96, 30}, {104, 60},
}};
// Shift plays one octave up, Shift with Ctrl two.
inline constexpr int OctaveWidth = 112;

} // namespace BassPiano

// ---- looper ----
// A controller and its value; a press may send two in a row.
struct LooperMessage {
    int controller;
    int value;
};
struct LooperKey {
    std::array<LooperMessage, 2> press;
    int pressCount;
    // For the toggles: what going up sends (pressCount 0 .. none).
    LooperMessage release;
    bool sendsRelease;
};
// Rec, Loop, Play, Stop, Half, Back.
extern const std::array<LooperKey, 6> LooperKeys;

// Anchor in the help page for a bass editor control's help number
// ("#T10H00" for any number without one of its own).
QString BassEditorHelpAnchor(int helpContext);
