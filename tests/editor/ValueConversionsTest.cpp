#include <QString>
#include <climits>
#include <gtest/gtest.h>
#include <ostream>
#include <string>
#include <vector>

#include "editor/ValueConversions.h"

void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {

namespace G = GuitarValues;
namespace B = BassValues;

struct NamedPair {
    const char* name;
    ConversionPair pair;
};

const std::vector<NamedPair> everyPair{
    {"guitar Midi", G::Midi},   {"guitar DelT", G::DelT}, {"Ratio", G::Ratio},   {"Attack", G::Attack},
    {"Speed", G::Speed},        {"FxSpd", G::FxSpd},      {"Gate", G::Gate},     {"bass Midi", B::Midi},
    {"Split", B::Split},        {"Freq", B::Freq},        {"Exp", B::Exp},       {"Prct", B::Prct},
    {"Spd", B::Spd},            {"bass DelT", B::DelT},   {"DelL", B::DelL},     {"VBSpd", B::VBSpd},
    {"PhSpd", B::PhSpd},        {"CSpd", B::CSpd},        {"Dec1", B::Dec1},     {"Dec2", B::Dec2},
    {"Vowel", B::Vowel},        {"Varia", B::Varia},      {"Key", B::Key},       {"Trans", B::Trans},
    {"Semi", B::Semi},
};

ConversionContext context(int timeUnit, QChar separator = u'.', int modulationType = 0)
{
    ConversionContext c;
    c.timeUnit = timeUnit;
    c.decimalSeparator = separator;
    c.modulationType = modulationType;
    return c;
}

// What the label would show; "<unchanged>" when the display leaves it alone.
QString shown(ConversionPair p, int v, const ConversionContext& c)
{
    const std::optional<QString> text = p.valToText(v, c);
    return text ? *text : QStringLiteral("<unchanged>");
}

constexpr int Bpm = TimeUnitBpm;
constexpr int Ms = TimeUnitMs;
constexpr int Midi = TimeUnitMidi;
constexpr int Tremolo = 2;
constexpr int Chorus = 3;

struct DisplayRow {
    NamedPair p;
    int timeUnit;
    int v;
    const char* text;
    QChar separator = u'.';
    int modulationType = 0;
};

TEST(ValueDisplay, ShowsTheUnitsTexts)
{
    const DisplayRow rows[] = {
        {{"guitar DelT", G::DelT}, Ms, 100, "12.8 ms"},
        {{"guitar DelT", G::DelT}, Ms, 10000, "1.28 s"},
        {{"guitar DelT", G::DelT}, Ms, 7812, "999.9 ms"},
        {{"guitar DelT", G::DelT}, Ms, 7813, "1 s"},
        {{"guitar DelT", G::DelT}, Ms, 0, "0 ms"},
        {{"guitar DelT", G::DelT}, Bpm, 0, ""},
        {{"guitar DelT", G::DelT}, Bpm, 3906, "120 bpm"},
        // 60 / 0.0128 s is 4687.5 exactly; the single-precision time lies just above it.
        {{"guitar DelT", G::DelT}, Bpm, 100, "4687 bpm"},
        {{"DelL", B::DelL}, Ms, 100, "12.8 ms"},
        {{"Ratio", G::Ratio}, Ms, 0, "1.2:1"},
        {{"Ratio", G::Ratio}, Ms, 21, "1.2:1"},
        {{"Ratio", G::Ratio}, Ms, 66, "2.5:1"},
        {{"Ratio", G::Ratio}, Bpm, 44, "2.0:1"},
        {{"Ratio", G::Ratio}, Ms, 127, "4.5:1"},
        {{"Attack", G::Attack}, Ms, 0, "1 ms"},
        {{"Attack", G::Attack}, Ms, 127, "64 ms"},
        {{"Speed", G::Speed}, Ms, 0, "10 ms"},
        {{"Speed", G::Speed}, Bpm, 13, "20 ms"},
        {{"Speed", G::Speed}, Ms, 127, "1000 ms"},
        {{"FxSpd", G::FxSpd}, Ms, 100, "6.20 Hz", u'.', Tremolo},
        {{"FxSpd", G::FxSpd}, Ms, 100, "5.90 Hz", u'.', 1},
        {{"FxSpd", G::FxSpd}, Ms, 100, "3.10 Hz", u'.', Chorus},
        {{"FxSpd", G::FxSpd}, Bpm, 100, "372 bpm", u'.', Tremolo},
        {{"Gate", G::Gate}, Ms, 0, "off"},
        {{"Gate", G::Gate}, Ms, 11, "-60 dB"},
        {{"Gate", G::Gate}, Ms, 15, "-48 dB"},
        {{"Exp", B::Exp}, Ms, 11, "-60 dB"},
        {{"Split", B::Split}, Ms, 0, "full range"},
        {{"Split", B::Split}, Bpm, 1, "41 Hz"},
        {{"Split", B::Split}, Ms, 17, "600 Hz"},
        {{"Split", B::Split}, Midi, 3, "21"},
        {{"Freq", B::Freq}, Ms, 0, "off"},
        {{"Freq", B::Freq}, Ms, 2, "50 Hz"},
        {{"Freq", B::Freq}, Ms, 99, "990 Hz"},
        {{"Prct", B::Prct}, Ms, 0, "0 %"},
        {{"Prct", B::Prct}, Ms, 64, "51 %"},
        {{"Prct", B::Prct}, Ms, 127, "100 %"},
        {{"Spd", B::Spd}, Ms, 100, "3.90 Hz"},
        {{"Spd", B::Spd}, Bpm, 100, "234 bpm"},
        {{"bass DelT", B::DelT}, Ms, 100, "0.790 s"},
        // 35 x 0.0079 = 0.2765; in single precision just below the half.
        {{"bass DelT", B::DelT}, Ms, 35, "0.276 s"},
        {{"bass DelT", B::DelT}, Ms, 127, "1.003 s"},
        {{"bass DelT", B::DelT}, Bpm, 0, ""},
        {{"bass DelT", B::DelT}, Bpm, 100, "76 bpm"},
        {{"VBSpd", B::VBSpd}, Ms, 127, "1.00 Hz"},
        {{"VBSpd", B::VBSpd}, Bpm, 127, "60 bpm"},
        {{"PhSpd", B::PhSpd}, Ms, 127, "5.00 Hz"},
        {{"PhSpd", B::PhSpd}, Bpm, 127, "300 bpm"},
        {{"CSpd", B::CSpd}, Ms, 100, "4.70 Hz"},
        {{"CSpd", B::CSpd}, Bpm, 100, "282 bpm"},
        {{"Dec1", B::Dec1}, Ms, 0, "1.20 s"},
        {{"Dec1", B::Dec1}, Bpm, 127, "2.50 s"},
        {{"Dec2", B::Dec2}, Ms, 0, "0.10 s"},
        {{"Dec2", B::Dec2}, Ms, 127, "1.00 s"},
        {{"Vowel", B::Vowel}, Ms, 0, "A - E"},
        {{"Vowel", B::Vowel}, Ms, 15, "A - I"},
        {{"Vowel", B::Vowel}, Ms, 134, "O - U"},
        {{"Varia", B::Varia}, Ms, 0, "1"},
        {{"Varia", B::Varia}, Ms, 8, "2"},
        {{"Varia", B::Varia}, Ms, 127, "17"},
        {{"Key", B::Key}, Ms, 0, "off"},
        {{"Key", B::Key}, Ms, 7, "Gb"},
        {{"Key", B::Key}, Ms, 12, "B"},
        {{"Trans", B::Trans}, Ms, 3, "unisono"},
        {{"Trans", B::Trans}, Ms, 5, "+5th/6th"},
        {{"Semi", B::Semi}, Ms, 0, "-12"},
        {{"Semi", B::Semi}, Ms, 6, "+12"},
        // The system's separator shows in every decimal.
        {{"guitar DelT", G::DelT}, Ms, 100, "12,8 ms", u','},
        {{"guitar DelT", G::DelT}, Ms, 10000, "1,28 s", u','},
        {{"Ratio", G::Ratio}, Ms, 66, "2,5:1", u','},
        {{"FxSpd", G::FxSpd}, Ms, 100, "6,20 Hz", u',', Tremolo},
        {{"Spd", B::Spd}, Ms, 100, "3,90 Hz", u','},
        {{"bass DelT", B::DelT}, Ms, 100, "0,790 s", u','},
        {{"Dec2", B::Dec2}, Ms, 127, "1,00 s", u','},
    };
    for (const DisplayRow& r : rows) {
        SCOPED_TRACE(testing::Message() << r.p.name << " v=" << r.v << " unit=" << r.timeUnit);
        EXPECT_EQ(shown(r.p.pair, r.v, context(r.timeUnit, r.separator, r.modulationType)),
                  QString::fromUtf8(r.text));
    }
}

TEST(ValueDisplay, ValuesBeyondATableLeaveTheLabelAlone)
{
    const std::pair<NamedPair, int> rows[] = {
        {{"Key", B::Key}, 13},       {{"Key", B::Key}, -1},     {{"Trans", B::Trans}, 7},
        {{"Semi", B::Semi}, 7},      {{"Vowel", B::Vowel}, 135}, {{"Vowel", B::Vowel}, -1},
        {{"Gate", G::Gate}, 16},     {{"Exp", B::Exp}, -1},     {{"Split", B::Split}, 18},
        {{"Freq", B::Freq}, 100},    {{"Ratio", G::Ratio}, 132}, {{"Speed", G::Speed}, 130},
        {{"Varia", B::Varia}, -1},
    };
    for (const auto& [p, v] : rows) {
        SCOPED_TRACE(testing::Message() << p.name << " v=" << v);
        EXPECT_FALSE(p.pair.valToText(v, context(Ms)).has_value());
    }
}

struct ParseRow {
    NamedPair p;
    int timeUnit;
    const char* text;
    int expected;
    QChar separator = u'.';
    int modulationType = 0;
    int current = 55;
};

TEST(ValueParse, ReadsTypedTexts)
{
    const ParseRow rows[] = {
        {{"guitar DelT", G::DelT}, Ms, "12.8 ms", 100},
        {{"guitar DelT", G::DelT}, Ms, "120 bpm", 3906},
        {{"guitar DelT", G::DelT}, Ms, "1.28 s", 10000},
        {{"guitar DelT", G::DelT}, Ms, "1280 us", 10},
        // Without a unit a number is seconds in "ms" mode and beats in "BPM" mode.
        {{"guitar DelT", G::DelT}, Ms, "0.0128", 100},
        {{"guitar DelT", G::DelT}, Bpm, "120", 3906},
        {{"guitar DelT", G::DelT}, Bpm, "12.8ms", 100},
        {{"guitar DelT", G::DelT}, Bpm, "0", 55},
        {{"guitar DelT", G::DelT}, Bpm, "0 bpm", 55},
        {{"DelL", B::DelL}, Ms, "12.8 ms", 100},
        {{"Ratio", G::Ratio}, Ms, "2.5", 66},
        {{"Ratio", G::Ratio}, Ms, "2.5:1", 66},
        {{"Ratio", G::Ratio}, Ms, "5", 110},
        {{"Ratio", G::Ratio}, Ms, "1.3", 22},
        {{"Ratio", G::Ratio}, Ms, "1.2:1", 0},
        {{"Ratio", G::Ratio}, Ms, "0.4", 0},
        {{"Attack", G::Attack}, Ms, "1 ms", 0},
        {{"Attack", G::Attack}, Ms, "2", 16},
        {{"Attack", G::Attack}, Ms, "64 ms", 127},
        {{"Attack", G::Attack}, Ms, "8 ms", 43},
        {{"Speed", G::Speed}, Ms, "100 ms", 39},
        {{"Speed", G::Speed}, Ms, "101", 52},
        {{"Speed", G::Speed}, Ms, "2000", 117},
        {{"Speed", G::Speed}, Ms, "0", 0},
        {{"Speed", G::Speed}, Ms, "fast", 0},
        // Beats per minute are read as one sweep per beat: 120 bpm is 500 ms.
        {{"Speed", G::Speed}, Bpm, "120", 91},
        {{"Speed", G::Speed}, Ms, "120 bpm", 91},
        {{"Speed", G::Speed}, Bpm, "100 ms", 39},
        {{"Speed", G::Speed}, Bpm, "30", 117},
        {{"FxSpd", G::FxSpd}, Ms, "6.20 Hz", 100, u'.', Tremolo},
        {{"FxSpd", G::FxSpd}, Ms, "6.2", 100, u'.', Tremolo},
        {{"FxSpd", G::FxSpd}, Ms, "372 bpm", 100, u'.', Tremolo},
        {{"FxSpd", G::FxSpd}, Bpm, "372", 100, u'.', Tremolo},
        {{"FxSpd", G::FxSpd}, Bpm, "3.1 hz", 100, u'.', Chorus},
        {{"Gate", G::Gate}, Ms, "60", 11},
        {{"Gate", G::Gate}, Ms, "-60 dB", 11},
        {{"Gate", G::Gate}, Ms, "off", 0},
        {{"Gate", G::Gate}, Ms, "-100", 1},
        {{"Gate", G::Gate}, Ms, "-10", 15},
        {{"Gate", G::Gate}, Ms, "300 ms", 9},
        {{"Gate", G::Gate}, Ms, "loud", 0},
        {{"Exp", B::Exp}, Ms, "60", 11},
        {{"Split", B::Split}, Ms, "full range", 0},
        {{"Split", B::Split}, Ms, "49 Hz", 2},
        {{"Split", B::Split}, Ms, "50", 3},
        {{"Split", B::Split}, Ms, "1000", 17},
        {{"Split", B::Split}, Midi, "21", 3},
        {{"Split", B::Split}, Midi, "27", 3},
        {{"Split", B::Split}, Midi, "low", 5, u'.', 0, 5},
        {{"Freq", B::Freq}, Ms, "off", 0},
        {{"Freq", B::Freq}, Ms, "50 Hz", 1},
        {{"Freq", B::Freq}, Ms, "55", 6},
        {{"Freq", B::Freq}, Ms, "2000", 99},
        {{"Prct", B::Prct}, Ms, "50", 63},
        {{"Prct", B::Prct}, Ms, "100 %", 127},
        {{"Prct", B::Prct}, Ms, " 0 % ", 0},
        {{"Spd", B::Spd}, Ms, "3.9 Hz", 100},
        {{"Spd", B::Spd}, Ms, "234 bpm", 100},
        {{"Spd", B::Spd}, Bpm, "234", 100},
        {{"bass DelT", B::DelT}, Ms, "0.79 s", 100},
        {{"bass DelT", B::DelT}, Ms, "0.79", 100},
        {{"bass DelT", B::DelT}, Ms, "76 bpm", 100},
        {{"bass DelT", B::DelT}, Bpm, "0", 55},
        {{"VBSpd", B::VBSpd}, Ms, "1.00 Hz", 127},
        {{"VBSpd", B::VBSpd}, Ms, "60 bpm", 127},
        {{"PhSpd", B::PhSpd}, Ms, "5 Hz", 127},
        {{"PhSpd", B::PhSpd}, Bpm, "300", 127},
        {{"CSpd", B::CSpd}, Ms, "4.7", 100},
        {{"CSpd", B::CSpd}, Ms, "282 bpm", 100},
        {{"Dec1", B::Dec1}, Ms, "2.5 s", 127},
        {{"Dec1", B::Dec1}, Ms, "1.2", 0},
        {{"Dec2", B::Dec2}, Ms, "1.00 s", 127},
        {{"Dec2", B::Dec2}, Ms, "0.1", 0},
        {{"Vowel", B::Vowel}, Ms, "A-I", 15},
        {{"Vowel", B::Vowel}, Ms, "a - i", 15},
        {{"Vowel", B::Vowel}, Ms, "A - E", 0},
        {{"Vowel", B::Vowel}, Ms, "o-u", 120},
        {{"Vowel", B::Vowel}, Ms, "xyz", 0},
        {{"Varia", B::Varia}, Ms, "1", 0},
        {{"Varia", B::Varia}, Ms, "5", 31},
        {{"Varia", B::Varia}, Ms, "17", 121},
        {{"Varia", B::Varia}, Ms, "40", 121},
        {{"Varia", B::Varia}, Ms, "0", 0},
        {{"Key", B::Key}, Ms, "off", 0},
        {{"Key", B::Key}, Ms, "F#", 7},
        {{"Key", B::Key}, Ms, "Bb", 11},
        {{"Key", B::Key}, Ms, "c", 1},
        {{"Key", B::Key}, Ms, "Cb", 12},
        {{"Key", B::Key}, Ms, "E#", 6},
        {{"Key", B::Key}, Ms, "B", 12},
        {{"Key", B::Key}, Ms, "xyz", 0},
        {{"Trans", B::Trans}, Ms, "-oct", 0},
        {{"Trans", B::Trans}, Ms, "-3rd", 2},
        {{"Trans", B::Trans}, Ms, "+3rd", 4},
        {{"Trans", B::Trans}, Ms, "+5th/6th", 5},
        {{"Trans", B::Trans}, Ms, "+oct", 6},
        {{"Trans", B::Trans}, Ms, "unisono", 3},
        {{"Semi", B::Semi}, Ms, "-12", 0},
        {{"Semi", B::Semi}, Ms, "+7", 5},
        {{"Semi", B::Semi}, Ms, "+12", 6},
        {{"Semi", B::Semi}, Ms, "0", 3},
        {{"guitar Midi", G::Midi}, Ms, " 42 ", 42},
        {{"guitar Midi", G::Midi}, Ms, "4 2", 9, u'.', 0, 9},
        {{"bass Midi", B::Midi}, Ms, "-3", -3},
        // Either separator is read, whichever the system's is.
        {{"guitar DelT", G::DelT}, Ms, "12,8 ms", 100},
        {{"guitar DelT", G::DelT}, Ms, "12.8 ms", 100, u','},
        {{"guitar DelT", G::DelT}, Ms, "12,8 ms", 100, u','},
        {{"Ratio", G::Ratio}, Ms, "2,5:1", 66, u','},
        {{"Spd", B::Spd}, Ms, "3.9 Hz", 100, u','},
        {{"Dec1", B::Dec1}, Ms, "2,5 s", 127},
        // Far beyond any range: held at the end of int, the parameter clamps.
        {{"guitar DelT", G::DelT}, Ms, "1e30 s", INT_MAX},
        {{"guitar DelT", G::DelT}, Ms, "-1e30 s", INT_MIN},
        {{"Prct", B::Prct}, Ms, "2000000000", INT_MAX},
    };
    for (const ParseRow& r : rows) {
        SCOPED_TRACE(testing::Message() << r.p.name << " '" << r.text << "' unit=" << r.timeUnit
                                        << " separator=" << char(r.separator.unicode()));
        try {
            EXPECT_EQ(r.p.pair.textToVal(QString::fromUtf8(r.text), r.current,
                                         context(r.timeUnit, r.separator, r.modulationType)),
                      r.expected);
        } catch (const ConversionError& e) {
            ADD_FAILURE() << e.what();
        }
    }
}

// Any pair in "MIDI" mode shows and reads the raw value; Split counts in 7s.
TEST(ValueParse, MidiModeShowsAndReadsTheRawValue)
{
    const ConversionContext midi = context(Midi);
    for (const NamedPair& p : everyPair) {
        SCOPED_TRACE(p.name);
        const bool split = p.pair.textToVal == B::TextToValSplit;
        EXPECT_EQ(shown(p.pair, 9, midi), split ? QStringLiteral("63") : QStringLiteral("9"));
        EXPECT_EQ(p.pair.textToVal(QStringLiteral("70"), 55, midi), split ? 10 : 70);
        EXPECT_EQ(p.pair.textToVal(QStringLiteral("12.8 ms"), 5, midi), 5);
    }
}

struct RangeRow {
    NamedPair p;
    int timeUnit;
    int first;
    int last;
    int modulationType = 0;
};

// Showing a value and reading the text back gives the value again.
TEST(ValueRoundTrip, ExactPairsGiveTheValueBack)
{
    const RangeRow rows[] = {
        {{"guitar Midi", G::Midi}, Ms, 0, 127},  {{"guitar DelT", G::DelT}, Ms, 0, 127},
        {{"DelL", B::DelL}, Ms, 0, 127},         {{"Gate", G::Gate}, Ms, 0, 15},
        {{"Exp", B::Exp}, Ms, 0, 15},            {{"Split", B::Split}, Ms, 0, 17},
        {{"Split", B::Split}, Midi, 0, 17},      {{"Spd", B::Spd}, Ms, 0, 127},
        {{"Spd", B::Spd}, Bpm, 0, 127},          {{"CSpd", B::CSpd}, Ms, 0, 127},
        {{"CSpd", B::CSpd}, Bpm, 0, 127},        {{"bass DelT", B::DelT}, Ms, 0, 127},
        {{"Dec1", B::Dec1}, Ms, 0, 127},         {{"Key", B::Key}, Ms, 0, 12},
        {{"Trans", B::Trans}, Ms, 0, 6},         {{"Semi", B::Semi}, Ms, 0, 6},
        {{"Prct", B::Prct}, Midi, 0, 127},
    };
    for (QChar separator : {QChar(u'.'), QChar(u',')})
        for (const RangeRow& r : rows)
            for (int v = r.first; v <= r.last; ++v) {
                const ConversionContext c = context(r.timeUnit, separator, r.modulationType);
                const QString text = shown(r.p.pair, v, c);
                ASSERT_EQ(r.p.pair.textToVal(text, -1, c), v)
                    << r.p.name << " unit " << r.timeUnit << " text " << text.toStdString();
            }
}

// Where several values share one text, reading the text back picks a value
// that shows the same text.
TEST(ValueRoundTrip, SharedTextsShowTheSameTextAgain)
{
    const RangeRow rows[] = {
        {{"guitar DelT", G::DelT}, Ms, 0, 16383},   {{"guitar DelT", G::DelT}, Bpm, 1, 16383},
        {{"Ratio", G::Ratio}, Ms, 0, 127},          {{"Attack", G::Attack}, Ms, 0, 127},
        {{"Speed", G::Speed}, Ms, 0, 127},          {{"Speed", G::Speed}, Bpm, 0, 127},
        {{"FxSpd", G::FxSpd}, Ms, 0, 127, 0},       {{"FxSpd", G::FxSpd}, Bpm, 0, 127, 0},
        {{"FxSpd", G::FxSpd}, Ms, 0, 127, Tremolo}, {{"FxSpd", G::FxSpd}, Bpm, 0, 127, Tremolo},
        {{"FxSpd", G::FxSpd}, Ms, 0, 127, 6},       {{"FxSpd", G::FxSpd}, Bpm, 0, 127, 6},
        {{"Freq", B::Freq}, Ms, 0, 99},             {{"Prct", B::Prct}, Ms, 0, 127},
        {{"bass DelT", B::DelT}, Bpm, 1, 127},      {{"VBSpd", B::VBSpd}, Ms, 0, 127},
        {{"VBSpd", B::VBSpd}, Bpm, 0, 127},         {{"PhSpd", B::PhSpd}, Ms, 0, 127},
        {{"PhSpd", B::PhSpd}, Bpm, 0, 127},         {{"Dec2", B::Dec2}, Ms, 0, 127},
        {{"Vowel", B::Vowel}, Ms, 0, 134},          {{"Varia", B::Varia}, Ms, 0, 127},
    };
    for (QChar separator : {QChar(u'.'), QChar(u',')})
        for (const RangeRow& r : rows)
            for (int v = r.first; v <= r.last; ++v) {
                const ConversionContext c = context(r.timeUnit, separator, r.modulationType);
                const QString text = shown(r.p.pair, v, c);
                const int back = r.p.pair.textToVal(text, -1, c);
                ASSERT_EQ(shown(r.p.pair, back, c), text)
                    << r.p.name << " unit " << r.timeUnit << " v " << v << " read back as " << back;
            }
}

TEST(ValueErrors, TextThatIsNoNumberThrowsWithAClearMessage)
{
    const ParseRow rows[] = {
        {{"guitar DelT", G::DelT}, Ms, "abc", 0},
        {{"guitar DelT", G::DelT}, Ms, "12.8.3 ms", 0},
        {{"guitar DelT", G::DelT}, Ms, "12,8,3 ms", 0, u','},
        {{"guitar DelT", G::DelT}, Ms, "1e999 s", 0},
        {{"guitar DelT", G::DelT}, Ms, "nan", 0},
        {{"guitar DelT", G::DelT}, Ms, "inf ms", 0},
        {{"guitar DelT", G::DelT}, Bpm, "fast", 0},
        {{"guitar DelT", G::DelT}, Ms, "+-1 s", 0},
        {{"DelL", B::DelL}, Ms, " ms", 0},
        {{"Ratio", G::Ratio}, Ms, "x:1", 0},
        {{"Attack", G::Attack}, Ms, "soft", 0},
        {{"Attack", G::Attack}, Ms, "0.5 ms", 0},
        {{"Attack", G::Attack}, Ms, "-3", 0},
        {{"FxSpd", G::FxSpd}, Ms, "-1 Hz", 0},
        {{"FxSpd", G::FxSpd}, Ms, "fast", 0},
        {{"Prct", B::Prct}, Ms, "50.5", 0},
        {{"Prct", B::Prct}, Ms, "half", 0},
        {{"Prct", B::Prct}, Ms, "99999999999", 0},
        {{"Spd", B::Spd}, Ms, "x Hz", 0},
        {{"bass DelT", B::DelT}, Ms, "500 ms", 0},
        {{"VBSpd", B::VBSpd}, Ms, "-2", 0},
        {{"PhSpd", B::PhSpd}, Bpm, "-2 bpm", 0},
        {{"CSpd", B::CSpd}, Ms, "", 0},
        {{"Dec1", B::Dec1}, Ms, "long", 0},
        {{"Dec2", B::Dec2}, Ms, "1.0.0 s", 0},
        {{"Varia", B::Varia}, Ms, "two", 0},
        {{"Varia", B::Varia}, Ms, "2.5", 0},
    };
    for (const ParseRow& r : rows) {
        SCOPED_TRACE(testing::Message() << r.p.name << " '" << r.text << "'");
        EXPECT_THROW(r.p.pair.textToVal(QString::fromUtf8(r.text), 55,
                                        context(r.timeUnit, r.separator, r.modulationType)),
                     ConversionError);
    }

    const auto message = [](ConversionPair p, const char* text) -> std::string {
        try {
            p.textToVal(QString::fromUtf8(text), 55, context(Ms));
        } catch (const ConversionError& e) {
            return e.what();
        }
        return "no error";
    };
    EXPECT_EQ(message(G::DelT, " abc "), "'abc' is not a valid number");
    EXPECT_EQ(message(G::Attack, "0.5 ms"), "'0.5 ms' is below the lowest value, 1 ms");
    EXPECT_EQ(message(B::Prct, "1/2"), "'1/2' is not a valid whole number");
}

TEST(ValueErrors, WholeNumberParsersWithADefaultNeverThrow)
{
    const char* texts[] = {"", "abc", "12.5", "1e3", "--", "99999999999", "+-4", "\xc3\xa4"};
    const NamedPair pairs[] = {
        {"guitar Midi", G::Midi}, {"Speed", G::Speed}, {"Gate", G::Gate}, {"Split", B::Split},
        {"Freq", B::Freq},        {"Exp", B::Exp},     {"Vowel", B::Vowel}, {"Key", B::Key},
        {"Trans", B::Trans},      {"Semi", B::Semi},
    };
    for (const NamedPair& p : pairs)
        for (const char* t : texts)
            for (int unit : {Bpm, Ms, Midi})
                EXPECT_NO_THROW(p.pair.textToVal(QString::fromUtf8(t), 55, context(unit)))
                    << p.name << " '" << t << "'";
    EXPECT_EQ(G::TextToValMidi(QStringLiteral("99999999999"), 55, context(Ms)), 55);
}

TEST(NumberTexts, FormatsAndRounding)
{
    EXPECT_EQ(NumberText::general(12.8f, 4, u'.'), QStringLiteral("12.8"));
    EXPECT_EQ(NumberText::general(1234.56, 4, u','), QStringLiteral("1235"));
    EXPECT_EQ(NumberText::general(0.000128, 4, u'.'), QStringLiteral("0.000128"));
    EXPECT_EQ(NumberText::fixed(6.2, 7, 2, u','), QStringLiteral("6,20"));
    EXPECT_EQ(NumberText::fixed(99.0, 2, 1, u'.'), QStringLiteral("99.0"));
    EXPECT_EQ(NumberText::fixed(123.0, 2, 1, u'.'), QStringLiteral("1.2E+02"));
    EXPECT_EQ(NumberText::fixed(99.96, 2, 1, u'.'), QStringLiteral("1.0E+02"));

    // The integer part of x + 0.5: halves go up, also below zero.
    EXPECT_EQ(NumberText::round(2.5), 3);
    EXPECT_EQ(NumberText::round(2.4999), 2);
    EXPECT_EQ(NumberText::round(-0.5), 0);
    EXPECT_EQ(NumberText::round(-1.5), -1);
    EXPECT_EQ(NumberText::round(-2.6), -2);
    EXPECT_EQ(NumberText::round(1e300), INT_MAX);
    EXPECT_EQ(NumberText::round(-1e300), INT_MIN);

    EXPECT_DOUBLE_EQ(NumberText::real(QStringLiteral(" +1.5 "), u'.', {}), 1.5);
    EXPECT_DOUBLE_EQ(NumberText::real(QStringLiteral(".5"), u',', {}), 0.5);
    EXPECT_DOUBLE_EQ(NumberText::real(QStringLiteral("-2,5E1"), u'.', {}), -25.0);
    EXPECT_THROW(NumberText::real(QStringLiteral("1.5,2"), u'.', {}), ConversionError);
    EXPECT_THROW(NumberText::real(QStringLiteral("0x10"), u'.', {}), ConversionError);
    EXPECT_THROW(NumberText::real(QStringLiteral("1 000"), u'.', {}), ConversionError);
    EXPECT_EQ(NumberText::integer(QStringLiteral(" +17 "), {}), 17);
    EXPECT_EQ(NumberText::intDef(QStringLiteral("17x"), -4), -4);
}

} // namespace
