#include "editor/EditorFormTables.h"

const std::array<std::array<PreEffectKnob, 4>, 3> PreEffectKnobs{{
    // no pre-effect: the four knobs rest
    {{{}, {}, {}, {}}},
    // compressor: the first-generation unit has no attack
    {{{PreEffectKnob::On, "Sense", &GuitarValues::Ratio},
      {PreEffectKnob::OnNewerModels, "Attack", &GuitarValues::Attack},
      {},
      {}}},
    // auto-wah: offset and frequency keep the pair they had
    {{{PreEffectKnob::On, "Speed", &GuitarValues::Speed},
      {PreEffectKnob::On, "Depth", &GuitarValues::Midi},
      {PreEffectKnob::On, "Offset", nullptr},
      {PreEffectKnob::On, "Frequency", nullptr}}},
}};

ModulationKnobs ModulationKnobsFor(int modulationType)
{
    constexpr int Rotary = 0;
    constexpr int Tremolo = 2;
    if (modulationType == Rotary)
        return {true, false};
    if (modulationType == Tremolo)
        return {false, false};
    return {true, true};
}

namespace {
constexpr HelpAnchorRange GuitarAnchors[] = {
    {2, 2, 3, 30, 1},      {3, 10, 6, 11, 1},     {11, 11, 6, 21, 1},  {12, 14, 6, 31, 1},
    {15, 16, 6, 41, 1},    {17, 18, 6, 51, 1},    {19, 21, 6, 61, 1},  {22, 28, 7, 10, 10},
    {29, 34, 8, 0, 10},    {35, 40, 9, 0, 10},    {100, 103, 4, 20, 10},
};
} // namespace

QString HelpAnchorIn(std::span<const HelpAnchorRange> ranges, int otherPage, int helpContext)
{
    for (const HelpAnchorRange& r : ranges) {
        if (helpContext >= r.first && helpContext <= r.last) {
            const int number = r.start + (helpContext - r.first) * r.step;
            return QStringLiteral("#T%1H%2").arg(r.page).arg(number, 2, 10, QLatin1Char('0'));
        }
    }
    return QStringLiteral("#T%1H00").arg(otherPage);
}

QString EditorHelpAnchor(int helpContext)
{
    return HelpAnchorIn(GuitarAnchors, 6, helpContext);
}
