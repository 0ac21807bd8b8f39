#include "editor/BassEditorFormTables.h"

#include <QRect>

#include "editor/EditorFormTables.h"
#include "model/ParameterNames.h"

bool BassEditorTexts::AmpHasMidShift(int ampModel)
{
    return ampModel == 6 || ampModel == 10 || ampModel == 14 || ampModel > 23;
}

namespace {
using namespace BassValues;
constexpr PostEffectKnob Off{};
} // namespace

const std::array<std::array<PostEffectKnob, 7>, 16> PostEffectKnobs{{
    // VCF+Flanger
    {{{"VCF Mix"}, {"Flg.Mix"}, {"Spd/Depth"}, {"Flg.Feedb"}, {"VCF Freq"}, {"VCF Q"}, {"VCF Spd", &Spd}}},
    // Delay Chorus
    {{{"DelayMix"}, {"Chor.Mix"}, {"Feedback", &Prct}, {"Feedb.LP"}, {"Spd/Depth"}, Off, {"Del.Time", &DelL}}},
    // Stereo Delay
    {{{"DelayMix"}, {"Feedback", &Prct}, Off, {"Feedb.LP"}, Off, Off, {"Del.Time", &DelL}}},
    // Delay/Loop
    {{{"DelayMix"}, {"Feedback", &Prct}, Off, Off, Off, Off, {"Del.Time", &DelT}}},
    // Reverb
    {{{"ReverbMix"}, {"Decay", &Dec1}, {"Damping"}, {"Diffusion"}, Off, Off, Off}},
    // Ambience
    {{{"Ambience"}, {"Decay", &Dec2}, {"Size"}, Off, Off, Off, Off}},
    // Voice Box
    {{{"Mix"}, {"Vowel", &Vowel}, {"Pedal"}, Off, Off, Off, {"Speed", &VBSpd}}},
    // Ultrabass
    {{{"SubMix"}, {"Sense"}, Off, Off, Off, Off, Off}},
    // Rotary Cabinet
    {{{"Mix"}, {"Balance", &Prct}, {"Split Freq."}, Off, Off, Off, {"Speed", &CSpd}}},
    // Phaser
    {{{"Mix"}, {"Feedback"}, {"Feedb.LP"}, {"Spread"}, Off, Off, {"Speed", &PhSpd}}},
    // Flanger
    {{{"Mix"}, {"Spd/Depth", &Spd}, {"Intensity"}, Off, Off, Off, Off}},
    // Chorus
    {{{"Mix"}, {"Spd/Depth"}, {"Intensity"}, Off, Off, Off, Off}},
    // Stereo Chorus
    {{{"Mix"}, {"Spd/Depth"}, {"Intensity"}, Off, Off, Off, Off}},
    // Synth: the interval's pair follows the key
    {{{"SynthMix"}, {"Variation", &Varia}, Off, {"Interval"}, {"Key", &Key}, Off, Off}},
    // MIDI Bass Synth
    {{{"SynthMix"}, {"Variation", &Varia}, Off, Off, {"Reverb"}, Off, Off}},
    // no post effect
    {{Off, Off, Off, Off, Off, Off, Off}},
}};

PostEffectBindings PostEffectBindingsFor(int mode)
{
    using namespace BassEditorTexts;
    PostEffectBindings b{BassPreset::Fx4, BassPreset::Fx5, BassPreset::Fx7};
    if (mode == DelayChorus || mode == StereoDelay)
        b.fx7 = BassPreset::DelayTime; // the whole delay time over both halves
    if (mode == Synth)
        b.fx5 = BassPreset::SynthKey;
    return b;
}

// ---- piano ----

BassPiano::Position BassPiano::PositionAt(int x, int y)
{
    Position p;
    if (y <= BlackRowBottom) {
        p.index = (x + KeyWidth / 2) / KeyWidth;
        p.black = true;
    } else {
        p.index = x / KeyWidth;
    }
    if (p.index < 0)
        p.index = 0;
    if (p.index > LastIndex)
        p.index = LastIndex;
    if (p.black && BlackNotes[static_cast<size_t>(p.index)] == 0)
        return {};
    return p;
}

int BassPiano::NoteAt(Position p)
{
    if (p.index < 0 || p.index > LastIndex)
        return 0;
    return (p.black ? BlackNotes : WhiteNotes)[static_cast<size_t>(p.index)];
}

QRect BassPiano::MarkerRect(Position p)
{
    const int x = KeyWidth * p.index;
    constexpr int Side = 6;
    return p.black ? QRect(x - 3, 29, Side, Side) : QRect(x + 5, 55, Side, Side);
}

// ---- looper ----

const std::array<LooperKey, 6> LooperKeys{{
    {{{{55, 100}, {}}}, 1, {}, false},           // Rec
    {{{{56, 0}, {56, 100}}}, 2, {}, false},      // Loop
    {{{{60, 0}, {60, 100}}}, 2, {}, false},      // Play
    {{{{57, 0}, {}}}, 1, {}, false},             // Stop
    {{{{58, 1}, {}}}, 1, {58, 2}, true},         // Half speed
    {{{{59, 1}, {}}}, 1, {59, 0}, true},         // Backwards
}};

// ---- help ----

namespace {
constexpr HelpAnchorRange BassAnchors[] = {
    {2, 2, 10, 10, 1},   {3, 3, 10, 11, 1},   {4, 5, 10, 21, 1},    {6, 9, 10, 31, 1},
    {10, 10, 10, 36, 1}, {11, 11, 10, 35, 1}, {12, 13, 10, 37, 1},  {14, 17, 10, 40, 1},
    {18, 19, 10, 50, 1}, {20, 22, 10, 60, 1}, {23, 25, 10, 70, 1},  {26, 29, 10, 80, 1},
    {30, 32, 10, 90, 1}, {33, 33, 10, 100, 1}, {34, 34, 10, 110, 1}, {100, 103, 4, 20, 10},
};
} // namespace

QString BassEditorHelpAnchor(int helpContext)
{
    return HelpAnchorIn(BassAnchors, 10, helpContext);
}
