#include "settings/SettingsTexts.h"

#include <algorithm>
#include <climits>

const std::array<const char*, 5> ConfigurationEntries = {"Studio 1", "Studio 2", "Live 1", "Live 2", "Live 3"};
const std::array<const char*, 5> ConfigurationEntries2 = {"Studio 1", "Studio 2", "Studio 3", "Live 1", "Live 2"};
const std::array<const char*, 6> ConfigurationEntries3 = {"Studio 1", "Studio 2", "Studio 3",
                                                          "Live 1",   "Live 2",   "Live 3"};
const std::array<const char*, 8> DigitalOutEntries = {
    "S/PDIF int. 44.1 kHz",  "S/PDIF int. 48 kHz",  "S/PDIF int. 96 kHz",  "S/PDIF ext. 32-96 kHz",
    "AES/EBU int. 44.1 kHz", "AES/EBU int. 48 kHz", "AES/EBU int. 96 kHz", "AES/EBU ext. 32-96 kHz",
};

namespace {

constexpr int TunerBaseHz = 425;
constexpr int TunerCcOffset = 25;

// Group of each SubModel: DRUX, DRUX 2, DRUX PRO, DRUXORA, BASS DRUX,
// BASS DRUX PRO, BASS DRUXORA.
constexpr std::array<int, 7> GroupOfSubModel = {0, 1, 2, 2, 3, 4, 4};

// One row per configuration value, one column per group.
constexpr const char* Descriptions[6][5] = {
    {
        // value 0: groups 0 to 4
        "unused",
        "Stereo = Amp + CabSim + FX modeling",
        "Stereo = Amp + CabSim + FX modeling",
        "Stereo = Amp + CabSim + FX modeling",
        "Stereo = Amp + CabSim + FX modeling",
    },
    {
        // value 1: groups 0 to 4
        "unused",
        "Left  = Dry Amp + CabSim\nRight = Amp + Cab + FX modeling",
        "Left  = Dry Amp + CabSim\nRight = Amp + Cab + FX modeling",
        "Left  = Amp + CabSim + FX, Hi Pass\nRight = noFX, LoPass",
        "Left  = Amp+ CabSim +FX, Hi Pass\nRight = noFX, LoPass",
    },
    {
        // value 2: groups 0 to 4
        "unused",
        "Stereo = Amp + Cab + FX modeling\n+ Live EQ",
        "Left  = Dry Amp\nRight = Amp + FX",
        "Left  = all Amp/Cab/FX models\nRight = DI Signal",
        "Left  = Dry Amp\nRight = Amp + FX",
    },
    {
        // value 3: groups 0 to 4
        "unused",
        "Stereo = Amp modeling + FX + Live EQ (no cabsim)",
        "Stereo = Amp + Cab Model + FX\n+ Live EQ",
        "Stereo = Amp + Cab + FX modeling\n+ Live EQ",
        "Stereo = Amp + Cab + FX modeling\n+ Live EQ",
    },
    {
        // value 4: groups 0 to 4
        "unused",
        "Left  = Amp+FX+Live EQ, no CabSim\nRight = Amp+FX+Cab but no Live EQ",
        "Stereo = Amp Model + FX + Live EQ",
        "Left  = HiPass, Amp +  FX + LiveEQ\nRight = noFX, LoPass",
        "Left  = HiPass Amp + FX + LiveEQ\nRight = noFX, LoPass",
    },
    {
        // value 5: groups 0 to 4
        "unused",
        "unused",
        "unused",
        "Left  = Amp+Live EQ no CabSim\nRight = w/Cabsim, no Live EQ",
        "Stereo = Amp Model + FX + Live EQ",
    },
};

struct HelpAnchor {
    int number;
    const char* anchor;
};
constexpr HelpAnchor HelpAnchors[] = {
    {1, "#T1H10"}, {2, "#T1H30"}, {3, "#T2H10"}, {4, "#T2H20"}, {5, "#T2H30"},
    {6, "#T2H40"}, {7, "#T2H50"}, {8, "#T2H60"}, {9, "#T2H70"}, {10, "#T2H80"},
};
constexpr const char* DefaultHelpAnchor = "#T1H00";

bool readInt(const QString& text, int& value)
{
    bool ok = false;
    const int v = text.trimmed().toInt(&ok, 10);
    if (ok)
        value = v;
    return ok;
}

// A typed number far below the range must not wrap around to a large value.
int shifted(int typed, int offset)
{
    return static_cast<int>(std::max<long long>(static_cast<long long>(typed) - offset, INT_MIN));
}

} // namespace

int ConfigurationGroup(int subModel)
{
    return subModel >= 0 && subModel < static_cast<int>(GroupOfSubModel.size()) ? GroupOfSubModel[subModel] : -1;
}

QString ConfigurationDescription(int subModel, int value)
{
    const int group = ConfigurationGroup(subModel);
    if (group < 0 || value < 0 || value > 5)
        return QString();
    return QString::fromLatin1(Descriptions[value][group]);
}

bool LiveEqApplies(int subModel, int value)
{
    return subModel == 0 || subModel == 1 ? value > 1 : value > 2;
}

bool ZephraApplies(int subModel, int value)
{
    if (subModel == 2 || subModel == 3)
        return value == 2 || value == 4;
    if (subModel == 5 || subModel == 6)
        return value == 2 || value == 4 || value == 5;
    return false;
}

QString ValToTextMidi(int value)
{
    return QString::number(value);
}

void TextToValMidi(const QString& text, int& value)
{
    readInt(text, value);
}

QString TunerCenterToText(int value, int timeUnit)
{
    if (timeUnit == TimeUnitMidi)
        return QString::number(value + TunerCcOffset);
    return QString::number(value + TunerBaseHz) + QStringLiteral(" Hz");
}

void TunerCenterFromText(const QString& text, int timeUnit, int& value)
{
    int typed = 0;
    if (timeUnit == TimeUnitMidi) {
        if (readInt(text, typed))
            value = shifted(typed, TunerCcOffset);
        return;
    }
    QString upper = text.toUpper();
    const qsizetype h = upper.indexOf(QLatin1Char('H'));
    if (h >= 0)
        upper.truncate(h);
    if (readInt(upper, typed))
        value = shifted(typed, TunerBaseHz);
}

QString ConnectHelpAnchor(int helpNumber)
{
    for (const HelpAnchor& a : HelpAnchors)
        if (a.number == helpNumber)
            return QString::fromLatin1(a.anchor);
    return QString::fromLatin1(DefaultHelpAnchor);
}
