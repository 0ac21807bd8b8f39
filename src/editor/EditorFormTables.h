#pragma once

#include <QString>
#include <array>
#include <span>
#include <string_view>

#include "editor/ValueConversions.h"

// What the guitar editor window shows, as data: the texts of its lists, the
// knob set of each pre-effect and modulation type, and the help anchors.

namespace GuitarEditorTexts {

// The amp models of the later guitar units; the first-generation unit knows
// the first 16. The last one bypasses the preamp.
inline constexpr std::array<std::string_view, 33> AmpModels{
    "American Blues", "Modern Class A", "Tweed Combo", "Classic Clean", "Brit Blues", "Brit Class A",
    "Brit Classic", "Brit Hi Gain", "Numetal Gain", "Modern Hi Gain", "Fuzz Box", "Ultimate Drux",
    "Drive Drux", "Crunch Drux", "Clean Drux", "Tube Preamp", "And Deluxe", "Custom Class A",
    "Small Combo", "Black Twin", "And Custom", "Non Top Boost", "Classic 50 W", "Brit Class A 15 W",
    "Numetal Head", "Savage Beast", "Custom Hi Gain", "Ultimate Plus", "California Drive", "Custom Drive",
    "California Clean", "Custom Clean", "Bypass"};
inline constexpr int FirstGenerationAmpModels = 16;
inline constexpr int AmpBypass = 32;

inline constexpr std::array<std::string_view, 16> Cabinets{
    "Bypass", "1 x 8\" Vintage Tweed", "4 x 10\" Vintage Bass", "4 x 10\" Drux Custom",
    "1 x 12\" Mid Combo", "1 x 12\" Blackface", "1 x 12\" Brit '60", "1 x 12\" Deluxe '52",
    "2 x 12\" Twin Combo", "2 x 12\" US Class A", "2 x 12\" Drux Custom", "2 x 12\" Brit '67",
    "4 x 12\" Vintage 30", "4 x 12\" Standard '78", "4 x 12\" Off Axis", "4 x 12\" Drux Custom"};
inline constexpr int CabinetBypass = 0;

inline constexpr std::array<std::string_view, 16> ControlAssignments{
    "Echo", "Delay", "Ping Pong", "Phaser + Delay", "Flanger + Delay 1", "Flanger + Delay 2",
    "Chorus + Delay 1", "Chorus + Delay 2", "Chorus + Compressor", "Compressor", "Auto wah", "Phaser",
    "Chorus", "Flanger", "Tremolo", "Rotary"};

inline constexpr std::array<std::string_view, 9> ReverbTypes{
    "Tiny Room", "Small Room", "Medium Room", "Large Room", "Ultra Room", "Small Spring", "Medium Spring",
    "Short Ambience", "Long Ambience"};

inline constexpr std::array<std::string_view, 3> PreEffectTypes{"No Pre-Effect", "Compressor", "Auto-Wah"};

inline constexpr std::array<std::string_view, 3> DelayTypes{"Simple Delay", "Echo", "L/C/R PingPong"};
inline constexpr int SimpleDelay = 0;

inline constexpr std::array<std::string_view, 7> ModulationTypes{
    "Rotary", "Phaser", "Tremolo", "Chorus 1", "Chorus 2", "Flanger 1", "Flanger 2"};

} // namespace GuitarEditorTexts

// One of the four pre-effect knobs under a pre-effect type.
struct PreEffectKnob {
    enum Use { Off, On, OnNewerModels };
    Use use = Off;
    std::string_view caption;
    // The pair installed on the knob; none keeps the one it has.
    const ConversionPair* conversion = nullptr;
};

// Rows by pre-effect type: none, compressor, auto-wah.
extern const std::array<std::array<PreEffectKnob, 4>, 3> PreEffectKnobs;

// Which of the depth and feedback knobs a modulation type uses; speed and
// mix are always in use.
struct ModulationKnobs {
    bool depth;
    bool feedback;
};
ModulationKnobs ModulationKnobsFor(int modulationType);

// Help numbers first..last lead to the anchor "#T<page>H<number>", the number
// counting from `start` by `step`, written with at least two digits.
struct HelpAnchorRange {
    int first;
    int last;
    int page;
    int start;
    int step;
};

// The anchor of a help number in a window's ranges; "#T<otherPage>H00" for
// any number without one of its own.
QString HelpAnchorIn(std::span<const HelpAnchorRange> ranges, int otherPage, int helpContext);

// Anchor in the help page for a guitar editor control's help number
// ("#T6H00" for any number without one of its own).
QString EditorHelpAnchor(int helpContext);
