#pragma once

#include <QChar>
#include <QString>
#include <array>
#include <optional>
#include <stdexcept>
#include <string_view>

#include "files/Preferences.h"

// Conversions between a knob's raw parameter value and the text of its value
// label, and back from the text typed into the value editor. They are pure
// functions of the value or text and a context; the editor windows install
// them on their knobs (see ConversionControls.h).


// The decimal separator of the system's locale.
QChar SystemDecimalSeparator();

// What a conversion reads besides the value or the text.
struct ConversionContext {
    int timeUnit = TimeUnitMs;
    // Item index of the guitar modulation type list (0..6); only the guitar
    // FxSpd pair reads it.
    int modulationType = 0;
    QChar decimalSeparator = SystemDecimalSeparator();
};

// Typed text that cannot be read. The value stays as it was; what() is the
// message for the error box, e.g. "'abc' is not a valid number".
class ConversionError : public std::runtime_error {
public:
    explicit ConversionError(const QString& message);
};

// A display returns no text when the value lies outside its table: the label
// keeps what it shows. A parser returns the new raw value unclamped (the
// parameter clamps) or throws ConversionError.
using ValToTextFunc = std::optional<QString> (*)(int v, const ConversionContext& context);
using TextToValFunc = int (*)(const QString& text, int current, const ConversionContext& context);

struct ConversionPair {
    ValToTextFunc valToText = nullptr;
    TextToValFunc textToVal = nullptr;
};

// Number texts shared by the pairs. `typed` is the whole text the user typed,
// quoted in the error message.
namespace NumberText {
// Shortest text with at most `precision` significant digits.
QString general(double x, int precision, QChar separator);
// `decimals` decimals; scientific when the integer part needs more than
// `precision` digits.
QString fixed(double x, int precision, int decimals, QChar separator);
// A real number; either "." or "," is taken as the separator (the first one
// of the other kind is turned into the system's). Throws ConversionError.
double real(const QString& text, QChar separator, const QString& typed);
// A whole number; throws ConversionError.
int integer(const QString& text, const QString& typed);
// A whole number, `fallback` when the text is not one.
int intDef(const QString& text, int fallback);
// Integer part of x + 0.5, held within the range of int.
int round(double x);
} // namespace NumberText

namespace GuitarValues {

// Compressor ratio steps, one per 22 values.
inline constexpr std::array<double, 6> TableR{1.2, 1.4, 2.0, 2.5, 3.0, 4.5};
// Auto-wah speeds in ms, one per 13 values.
inline constexpr std::array<int, 10> TableS{10, 20, 50, 100, 200, 300, 400, 500, 750, 1000};
// Noise gate thresholds in dB for the values 1..15.
inline constexpr std::array<int, 15> TableG{-90, -87, -84, -81, -78, -75, -72, -69,
                                            -66, -63, -60, -57, -54, -51, -48};
// The same steps read as times in ms.
inline constexpr std::array<int, 15> TableH{250, 250, 250, 250, 250, 250, 250, 290,
                                            330, 330, 380, 380, 460, 570, 570};
// Modulation speed factor per modulation type: Rotary, Phaser, Tremolo and
// the choruses and flangers.
inline constexpr std::array<double, 7> FxSpdFactor{0.00059, 0.00059, 0.00062, 0.00031,
                                                   0.00031, 0.00031, 0.00031};

std::optional<QString> ValToTextMidi(int v, const ConversionContext& c);
int TextToValMidi(const QString& text, int current, const ConversionContext& c);
std::optional<QString> ValToTextDelT(int v, const ConversionContext& c);
int TextToValDelT(const QString& text, int current, const ConversionContext& c);
std::optional<QString> ValToTextRatio(int v, const ConversionContext& c);
int TextToValRatio(const QString& text, int current, const ConversionContext& c);
std::optional<QString> ValToTextAttack(int v, const ConversionContext& c);
int TextToValAttack(const QString& text, int current, const ConversionContext& c);
std::optional<QString> ValToTextSpeed(int v, const ConversionContext& c);
int TextToValSpeed(const QString& text, int current, const ConversionContext& c);
std::optional<QString> ValToTextFxSpd(int v, const ConversionContext& c);
int TextToValFxSpd(const QString& text, int current, const ConversionContext& c);
std::optional<QString> ValToTextGate(int v, const ConversionContext& c);
int TextToValGate(const QString& text, int current, const ConversionContext& c);

inline constexpr ConversionPair Midi{ValToTextMidi, TextToValMidi};
inline constexpr ConversionPair DelT{ValToTextDelT, TextToValDelT};
inline constexpr ConversionPair Ratio{ValToTextRatio, TextToValRatio};
inline constexpr ConversionPair Attack{ValToTextAttack, TextToValAttack};
inline constexpr ConversionPair Speed{ValToTextSpeed, TextToValSpeed};
inline constexpr ConversionPair FxSpd{ValToTextFxSpd, TextToValFxSpd};
inline constexpr ConversionPair Gate{ValToTextGate, TextToValGate};

} // namespace GuitarValues

namespace BassValues {

// Crossover frequencies in Hz for the values 0..17.
inline constexpr std::array<int, 18> TableF{0,   41,  49,  58,  70,  84,  101, 121, 145,
                                            174, 209, 251, 301, 362, 416, 470, 531, 600};
// Filter frequencies in Hz for the values 0..99.
inline constexpr std::array<int, 100> TableX{
    0,   50,  50,  50,  50,  50,  60,  70,  80,  90,  //
    100, 110, 120, 130, 140, 150, 160, 170, 180, 190, //
    200, 200, 220, 220, 240, 240, 260, 260, 280, 280, //
    300, 300, 320, 320, 340, 340, 360, 360, 380, 380, //
    400, 400, 420, 420, 440, 440, 460, 460, 480, 480, //
    500, 500, 520, 520, 540, 540, 560, 560, 580, 580, //
    600, 600, 630, 630, 630, 630, 660, 660, 660, 690, //
    690, 690, 720, 720, 720, 750, 750, 750, 780, 780, //
    780, 810, 810, 810, 840, 840, 840, 870, 870, 870, //
    900, 900, 900, 930, 930, 930, 960, 960, 960, 990,
};
// First value of each of the 17 variations.
inline constexpr std::array<int, 17> TableV{0,  8,  16, 23, 31,  38,  46,  53, 61,
                                            68, 76, 83, 91, 98, 106, 113, 121};

// Texts of the list-like displays, one per step.
inline constexpr std::array<std::string_view, 9> VowelTexts{"A - E", "A - I", "A - O", "A - U", "E - I",
                                                            "E - O", "I - O", "I - U", "O - U"};
inline constexpr std::array<std::string_view, 13> KeyTexts{"off", "C",  "Db", "D",  "Eb", "E", "F",
                                                           "Gb",  "G",  "Ab", "A", "Bb", "B"};
inline constexpr std::array<std::string_view, 7> TransTexts{"-oct", "-4th",     "-3rd", "unisono",
                                                            "+3rd", "+5th/6th", "+oct"};
inline constexpr std::array<std::string_view, 7> SemiTexts{"-12", "-5", "-3", "0", "+4", "+7", "+12"};

// Typed text is searched for these in order; the first found gives the value.
struct TextMatch {
    std::string_view text;
    int value;
};
inline constexpr std::array<TextMatch, 16> VowelMatches{{
    {"A-I", 15}, {"A - I", 15}, {"A-O", 30}, {"A - O", 30}, {"A-U", 45}, {"A - U", 45},
    {"E-I", 60}, {"E - I", 60}, {"E-O", 75}, {"E - O", 75}, {"I-O", 90}, {"I - O", 90},
    {"I-U", 105}, {"I - U", 105}, {"O-U", 120}, {"O - U", 120},
}};
inline constexpr std::array<TextMatch, 21> KeyMatches{{
    {"C#", 2}, {"CB", 12}, {"C", 1},  {"D#", 4},  {"DB", 2},  {"D", 3},  {"E#", 6},
    {"EB", 4}, {"E", 5},   {"F#", 7}, {"FB", 5},  {"F", 6},   {"G#", 9}, {"GB", 7},
    {"G", 8},  {"A#", 11}, {"AB", 9}, {"A", 10},  {"B#", 1},  {"BB", 11}, {"B", 12},
}};
inline constexpr std::array<TextMatch, 7> TransMatches{{
    {"-O", 0}, {"-4", 1}, {"-3", 2}, {"3", 4}, {"5", 5}, {"6", 5}, {"+O", 6},
}};
inline constexpr std::array<TextMatch, 6> SemiMatches{{
    {"-12", 0}, {"-5", 1}, {"-3", 2}, {"+4", 4}, {"+7", 5}, {"+12", 6},
}};

std::optional<QString> ValToTextMidi(int v, const ConversionContext& c);
int TextToValMidi(const QString& text, int current, const ConversionContext& c);
std::optional<QString> ValToTextSplit(int v, const ConversionContext& c);
int TextToValSplit(const QString& text, int current, const ConversionContext& c);
std::optional<QString> ValToTextFreq(int v, const ConversionContext& c);
int TextToValFreq(const QString& text, int current, const ConversionContext& c);
std::optional<QString> ValToTextExp(int v, const ConversionContext& c);
int TextToValExp(const QString& text, int current, const ConversionContext& c);
std::optional<QString> ValToTextPrct(int v, const ConversionContext& c);
int TextToValPrct(const QString& text, int current, const ConversionContext& c);
std::optional<QString> ValToTextSpd(int v, const ConversionContext& c);
int TextToValSpd(const QString& text, int current, const ConversionContext& c);
std::optional<QString> ValToTextDelT(int v, const ConversionContext& c);
int TextToValDelT(const QString& text, int current, const ConversionContext& c);
std::optional<QString> ValToTextDelL(int v, const ConversionContext& c);
int TextToValDelL(const QString& text, int current, const ConversionContext& c);
std::optional<QString> ValToTextVBSpd(int v, const ConversionContext& c);
int TextToValVBSpd(const QString& text, int current, const ConversionContext& c);
std::optional<QString> ValToTextPhSpd(int v, const ConversionContext& c);
int TextToValPhSpd(const QString& text, int current, const ConversionContext& c);
std::optional<QString> ValToTextCSpd(int v, const ConversionContext& c);
int TextToValCSpd(const QString& text, int current, const ConversionContext& c);
std::optional<QString> ValToTextDec1(int v, const ConversionContext& c);
int TextToValDec1(const QString& text, int current, const ConversionContext& c);
std::optional<QString> ValToTextDec2(int v, const ConversionContext& c);
int TextToValDec2(const QString& text, int current, const ConversionContext& c);
std::optional<QString> ValToTextVowel(int v, const ConversionContext& c);
int TextToValVowel(const QString& text, int current, const ConversionContext& c);
std::optional<QString> ValToTextVaria(int v, const ConversionContext& c);
int TextToValVaria(const QString& text, int current, const ConversionContext& c);
std::optional<QString> ValToTextKey(int v, const ConversionContext& c);
int TextToValKey(const QString& text, int current, const ConversionContext& c);
std::optional<QString> ValToTextTrans(int v, const ConversionContext& c);
int TextToValTrans(const QString& text, int current, const ConversionContext& c);
std::optional<QString> ValToTextSemi(int v, const ConversionContext& c);
int TextToValSemi(const QString& text, int current, const ConversionContext& c);

inline constexpr ConversionPair Midi{ValToTextMidi, TextToValMidi};
inline constexpr ConversionPair Split{ValToTextSplit, TextToValSplit};
inline constexpr ConversionPair Freq{ValToTextFreq, TextToValFreq};
inline constexpr ConversionPair Exp{ValToTextExp, TextToValExp};
inline constexpr ConversionPair Prct{ValToTextPrct, TextToValPrct};
inline constexpr ConversionPair Spd{ValToTextSpd, TextToValSpd};
inline constexpr ConversionPair DelT{ValToTextDelT, TextToValDelT};
inline constexpr ConversionPair DelL{ValToTextDelL, TextToValDelL};
inline constexpr ConversionPair VBSpd{ValToTextVBSpd, TextToValVBSpd};
inline constexpr ConversionPair PhSpd{ValToTextPhSpd, TextToValPhSpd};
inline constexpr ConversionPair CSpd{ValToTextCSpd, TextToValCSpd};
inline constexpr ConversionPair Dec1{ValToTextDec1, TextToValDec1};
inline constexpr ConversionPair Dec2{ValToTextDec2, TextToValDec2};
inline constexpr ConversionPair Vowel{ValToTextVowel, TextToValVowel};
inline constexpr ConversionPair Varia{ValToTextVaria, TextToValVaria};
inline constexpr ConversionPair Key{ValToTextKey, TextToValKey};
inline constexpr ConversionPair Trans{ValToTextTrans, TextToValTrans};
inline constexpr ConversionPair Semi{ValToTextSemi, TextToValSemi};

} // namespace BassValues
