#include "editor/ValueConversions.h"

#include <QLocale>
#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <string>

QChar SystemDecimalSeparator()
{
    const QString point = QLocale::system().decimalPoint();
    return point.isEmpty() ? QChar(u'.') : point.front();
}

ConversionError::ConversionError(const QString& message)
    : std::runtime_error(message.toStdString())
{
}

namespace {

ConversionError notNumber(const QString& typed)
{
    return ConversionError(QStringLiteral("'%1' is not a valid number").arg(typed.trimmed()));
}

ConversionError notWholeNumber(const QString& typed)
{
    return ConversionError(QStringLiteral("'%1' is not a valid whole number").arg(typed.trimmed()));
}

ConversionError belowLowest(const QString& typed, const QString& lowest)
{
    return ConversionError(QStringLiteral("'%1' is below the lowest value, %2").arg(typed.trimmed(), lowest));
}

int saturate(double x)
{
    if (std::isnan(x))
        return 0;
    if (x >= double(INT_MAX))
        return INT_MAX;
    if (x <= double(INT_MIN))
        return INT_MIN;
    return int(x);
}

std::optional<int> readInt(const QString& text)
{
    const QByteArray s = text.trimmed().toLatin1();
    const char* b = s.constData();
    const char* e = b + s.size();
    // from_chars takes a minus sign but no plus sign.
    if (b != e && *b == '+') {
        ++b;
        if (b != e && (*b == '+' || *b == '-'))
            return std::nullopt;
    }
    int n = 0;
    const auto [end, ec] = std::from_chars(b, e, n);
    if (ec != std::errc() || end != e)
        return std::nullopt;
    return n;
}

QString withSeparator(const char* text, QChar separator)
{
    QString s = QString::fromLatin1(text);
    s.replace(u'.', separator);
    return s;
}

QString fromView(std::string_view text) { return QString::fromLatin1(text.data(), qsizetype(text.size())); }

QString number(int n) { return QString::number(n); }

bool midiMode(const ConversionContext& c) { return c.timeUnit == TimeUnitMidi; }
bool bpmMode(const ConversionContext& c) { return c.timeUnit == TimeUnitBpm; }

bool has(const QString& text, QLatin1String mark) { return text.contains(mark); }

// The text before the first `mark`, the whole text without one.
QString cutAt(const QString& text, QLatin1String mark)
{
    const qsizetype at = text.indexOf(mark);
    return at < 0 ? text : text.left(at);
}

template <std::size_t N>
std::optional<QString> listText(const std::array<std::string_view, N>& texts, int index)
{
    if (index < 0 || index >= int(N))
        return std::nullopt;
    return fromView(texts[std::size_t(index)]);
}

template <std::size_t N>
int firstMatch(const QString& text, const std::array<BassValues::TextMatch, N>& matches, int none)
{
    for (const auto& m : matches)
        if (text.contains(fromView(m.text)))
            return m.value;
    return none;
}

// Index of the first entry not below n, `none` when every entry is.
template <typename T, std::size_t N>
int firstNotBelow(const std::array<T, N>& table, double n, int none)
{
    for (std::size_t i = 0; i < N; ++i)
        if (table[i] >= n)
            return int(i);
    return none;
}

// ---- shared by both windows ----

// Delay time in units of 128 microseconds, read as seconds, ms, microseconds
// or beats per minute.
std::optional<QString> delayText(int v, const ConversionContext& c)
{
    const float ms = float(double(v) * 128 * 0.001);
    const float s = float(double(ms) * 0.001);
    if (bpmMode(c)) {
        if (v == 0)
            return QString();
        return number(NumberText::round(60.0 / double(s))) + QStringLiteral(" bpm");
    }
    if (s > 1)
        return NumberText::general(double(s), 4, c.decimalSeparator) + QStringLiteral(" s");
    return NumberText::general(double(ms), 4, c.decimalSeparator) + QStringLiteral(" ms");
}

int delayValue(const QString& text, int current, const ConversionContext& c)
{
    QString t = text.toUpper();
    double microsPerUnit = 1000000; // the typed number's unit: s, ms or us
    bool bpm = bpmMode(c);
    if (has(t, QLatin1String("B"))) {
        t = cutAt(t, QLatin1String("B"));
        bpm = true;
    } else if (has(t, QLatin1String("U"))) {
        t = cutAt(t, QLatin1String("U"));
        microsPerUnit = 1;
        bpm = false;
    } else if (has(t, QLatin1String("M"))) {
        t = cutAt(t, QLatin1String("M"));
        microsPerUnit = 1000;
        bpm = false;
    } else if (has(t, QLatin1String("S"))) {
        t = cutAt(t, QLatin1String("S"));
        bpm = false;
    }
    const double x = NumberText::real(t, c.decimalSeparator, text);
    if (!bpm)
        return NumberText::round(x * microsPerUnit / 128);
    if (x == 0)
        return current;
    return NumberText::round(60 / x * microsPerUnit / 128);
}

std::optional<QString> thresholdText(int v)
{
    if (v == 0)
        return QStringLiteral("off");
    if (v < 1 || v > int(GuitarValues::TableG.size()))
        return std::nullopt;
    return number(GuitarValues::TableG[std::size_t(v - 1)]) + QStringLiteral(" dB");
}

// A threshold in dB (a positive number is taken as negative) or, with an
// "ms", a time; "off" and 0 give 0.
int thresholdValue(const QString& text)
{
    QString t = text.toUpper();
    const auto* table = &GuitarValues::TableG;
    if (has(t, QLatin1String("M"))) {
        t = cutAt(t, QLatin1String("M"));
        table = &GuitarValues::TableH;
    } else if (has(t, QLatin1String("D"))) {
        t = cutAt(t, QLatin1String("D"));
    }
    int n = NumberText::intDef(t, 0);
    if (n == 0)
        return 0;
    if (table == &GuitarValues::TableG && n > 0)
        n = -n;
    return 1 + firstNotBelow(*table, n, int(table->size()) - 1);
}

// Speeds read as Hz or beats per minute ("H" or "B" in the text, else the
// Time Unit); the value is linear in the speed, or in its square root.
struct SpeedFactors {
    double hz;
    double bpm;
};

double speedNumber(const QString& text, const ConversionContext& c, bool& bpm)
{
    QString t = text.toUpper();
    bpm = bpmMode(c);
    if (has(t, QLatin1String("H"))) {
        t = cutAt(t, QLatin1String("H"));
        bpm = false;
    } else if (has(t, QLatin1String("B"))) {
        t = cutAt(t, QLatin1String("B"));
        bpm = true;
    }
    return NumberText::real(t, c.decimalSeparator, text);
}

int linearSpeedValue(const QString& text, const ConversionContext& c, SpeedFactors f)
{
    bool bpm = false;
    const double x = speedNumber(text, c, bpm);
    return NumberText::round(x * (bpm ? f.bpm : f.hz));
}

int squareSpeedValue(const QString& text, const ConversionContext& c, SpeedFactors f)
{
    bool bpm = false;
    const double x = speedNumber(text, c, bpm);
    if (x < 0)
        throw belowLowest(text, QStringLiteral("0"));
    return NumberText::round(std::sqrt(x * (bpm ? f.bpm : f.hz)));
}

// Hz with two decimals in "ms" mode, whole beats per minute in "BPM" mode.
QString speedText(double hz, double bpm, int precision, const ConversionContext& c)
{
    if (bpmMode(c))
        return number(NumberText::round(bpm)) + QStringLiteral(" bpm");
    return NumberText::fixed(hz, precision, 2, c.decimalSeparator) + QStringLiteral(" Hz");
}

double fxSpdFactor(int modulationType)
{
    const int last = int(GuitarValues::FxSpdFactor.size()) - 1;
    return GuitarValues::FxSpdFactor[std::size_t(std::clamp(modulationType, 0, last))];
}

} // namespace

// ---- number texts ----

QString NumberText::general(double x, int precision, QChar separator)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*g", precision, x);
    return withSeparator(buf, separator);
}

QString NumberText::fixed(double x, int precision, int decimals, QChar separator)
{
    std::string s(std::size_t(std::snprintf(nullptr, 0, "%.*f", decimals, x)) + 1, '\0');
    std::snprintf(s.data(), s.size(), "%.*f", decimals, x);
    int integerDigits = 0;
    for (char ch : s) {
        if (ch == '.' || ch == '\0')
            break;
        if (ch >= '0' && ch <= '9')
            ++integerDigits;
    }
    if (integerDigits > precision) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.*E", precision - 1, x);
        return withSeparator(buf, separator);
    }
    return withSeparator(s.c_str(), separator);
}

double NumberText::real(const QString& text, QChar separator, const QString& typed)
{
    QString t = text.trimmed();
    if (separator == u',') {
        const qsizetype at = t.indexOf(u'.');
        if (at >= 0)
            t[at] = u',';
    } else if (separator == u'.') {
        const qsizetype at = t.indexOf(u',');
        if (at >= 0)
            t[at] = u'.';
    }
    std::string s;
    for (QChar ch : t) {
        if (ch == separator)
            s += '.';
        else if (ch == u'.' || ch.unicode() > 127)
            throw notNumber(typed);
        else
            s += char(ch.unicode());
    }
    const char* b = s.data();
    const char* e = b + s.size();
    if (b != e && *b == '+') {
        ++b;
        if (b != e && (*b == '+' || *b == '-'))
            throw notNumber(typed);
    }
    double x = 0;
    const auto [end, ec] = std::from_chars(b, e, x);
    // Infinities and NaN read as numbers but are no value of any knob.
    if (b == e || ec != std::errc() || end != e || !std::isfinite(x))
        throw notNumber(typed);
    return x;
}

int NumberText::integer(const QString& text, const QString& typed)
{
    const std::optional<int> n = readInt(text);
    if (!n)
        throw notWholeNumber(typed);
    return *n;
}

int NumberText::intDef(const QString& text, int fallback) { return readInt(text).value_or(fallback); }

int NumberText::round(double x) { return saturate(std::trunc(x + 0.5)); }

// ---- guitar window ----

std::optional<QString> GuitarValues::ValToTextMidi(int v, const ConversionContext&) { return number(v); }

int GuitarValues::TextToValMidi(const QString& text, int current, const ConversionContext&)
{
    return NumberText::intDef(text, current);
}

std::optional<QString> GuitarValues::ValToTextDelT(int v, const ConversionContext& c)
{
    if (midiMode(c))
        return ValToTextMidi(v, c);
    return delayText(v, c);
}

int GuitarValues::TextToValDelT(const QString& text, int current, const ConversionContext& c)
{
    if (midiMode(c))
        return TextToValMidi(text, current, c);
    return delayValue(text, current, c);
}

std::optional<QString> GuitarValues::ValToTextRatio(int v, const ConversionContext& c)
{
    if (midiMode(c))
        return ValToTextMidi(v, c);
    if (v < 0 || v / 22 >= int(TableR.size()))
        return std::nullopt;
    return NumberText::fixed(TableR[std::size_t(v / 22)], 2, 1, c.decimalSeparator) + QStringLiteral(":1");
}

int GuitarValues::TextToValRatio(const QString& text, int current, const ConversionContext& c)
{
    if (midiMode(c))
        return TextToValMidi(text, current, c);
    const double x = NumberText::real(cutAt(text.toUpper(), QLatin1String(":")), c.decimalSeparator, text);
    if (NumberText::round(x) == 0)
        return 0;
    return 22 * firstNotBelow(TableR, x, int(TableR.size()) - 1);
}

std::optional<QString> GuitarValues::ValToTextAttack(int v, const ConversionContext& c)
{
    if (midiMode(c))
        return ValToTextMidi(v, c);
    return number(int(qint64(v) * v / 256 + 1)) + QStringLiteral(" ms");
}

int GuitarValues::TextToValAttack(const QString& text, int current, const ConversionContext& c)
{
    if (midiMode(c))
        return TextToValMidi(text, current, c);
    const double x = NumberText::real(cutAt(text.toUpper(), QLatin1String("M")), c.decimalSeparator, text);
    if (x < 1)
        throw belowLowest(text, QStringLiteral("1 ms"));
    // The smallest value that shows the typed time: rounding the square root
    // instead would show 7 ms for a typed 8 ms.
    return saturate(std::ceil(std::sqrt((x - 1) * 256)));
}

std::optional<QString> GuitarValues::ValToTextSpeed(int v, const ConversionContext& c)
{
    if (midiMode(c))
        return ValToTextMidi(v, c);
    if (v < 0 || v / 13 >= int(TableS.size()))
        return std::nullopt;
    return number(TableS[std::size_t(v / 13)]) + QStringLiteral(" ms");
}

int GuitarValues::TextToValSpeed(const QString& text, int current, const ConversionContext& c)
{
    if (midiMode(c))
        return TextToValMidi(text, current, c);
    QString t = text.toUpper();
    bool bpm = bpmMode(c);
    if (has(t, QLatin1String("B"))) {
        t = cutAt(t, QLatin1String("B"));
        bpm = true;
    } else if (has(t, QLatin1String("M"))) {
        t = cutAt(t, QLatin1String("M"));
        bpm = false;
    }
    const int n = NumberText::intDef(t, 0);
    if (n == 0)
        return 0;
    // The speeds are times of one sweep; beats per minute read as one sweep
    // per beat.
    const double ms = bpm ? 60000.0 / n : n;
    return 13 * firstNotBelow(TableS, ms, int(TableS.size()) - 1);
}

std::optional<QString> GuitarValues::ValToTextFxSpd(int v, const ConversionContext& c)
{
    if (midiMode(c))
        return ValToTextMidi(v, c);
    const double k = fxSpdFactor(c.modulationType);
    const double square = double(v) * v;
    if (bpmMode(c))
        return number(NumberText::round(k * 60 * square)) + QStringLiteral(" bpm");
    return NumberText::fixed(square * k, 7, 2, c.decimalSeparator) + QStringLiteral(" Hz");
}

int GuitarValues::TextToValFxSpd(const QString& text, int current, const ConversionContext& c)
{
    if (midiMode(c))
        return TextToValMidi(text, current, c);
    const double k = fxSpdFactor(c.modulationType);
    QString t = text.toUpper();
    bool bpm = bpmMode(c);
    if (has(t, QLatin1String("HZ"))) {
        t = cutAt(t, QLatin1String("HZ"));
        bpm = false;
    } else if (has(t, QLatin1String("BPM"))) {
        t = cutAt(t, QLatin1String("BPM"));
        bpm = true;
    }
    const double x = NumberText::real(t, c.decimalSeparator, text);
    if (x < 0)
        throw belowLowest(text, QStringLiteral("0"));
    return NumberText::round(std::sqrt(bpm ? x / (k * 60) : x / k));
}

std::optional<QString> GuitarValues::ValToTextGate(int v, const ConversionContext& c)
{
    if (midiMode(c))
        return ValToTextMidi(v, c);
    return thresholdText(v);
}

int GuitarValues::TextToValGate(const QString& text, int current, const ConversionContext& c)
{
    if (midiMode(c))
        return TextToValMidi(text, current, c);
    return thresholdValue(text);
}

// ---- bass window ----

std::optional<QString> BassValues::ValToTextMidi(int v, const ConversionContext& c)
{
    return GuitarValues::ValToTextMidi(v, c);
}

int BassValues::TextToValMidi(const QString& text, int current, const ConversionContext& c)
{
    return GuitarValues::TextToValMidi(text, current, c);
}

std::optional<QString> BassValues::ValToTextSplit(int v, const ConversionContext& c)
{
    // The raw crossover steps are shown as the unit counts them, 7 apart.
    if (midiMode(c))
        return number(int(qint64(v) * 7));
    if (v == 0)
        return QStringLiteral("full range");
    if (v < 0 || v >= int(TableF.size()))
        return std::nullopt;
    return number(TableF[std::size_t(v)]) + QStringLiteral(" Hz");
}

int BassValues::TextToValSplit(const QString& text, int current, const ConversionContext& c)
{
    if (midiMode(c)) {
        // Text that is no number keeps the value as it is.
        const std::optional<int> n = readInt(text);
        return n ? *n / 7 : current;
    }
    const int n = NumberText::intDef(cutAt(text.toUpper(), QLatin1String("H")), 0);
    if (n == 0)
        return 0;
    return firstNotBelow(TableF, n, int(TableF.size()) - 1);
}

std::optional<QString> BassValues::ValToTextFreq(int v, const ConversionContext& c)
{
    if (midiMode(c))
        return ValToTextMidi(v, c);
    if (v == 0)
        return QStringLiteral("off");
    if (v < 0 || v >= int(TableX.size()))
        return std::nullopt;
    return number(TableX[std::size_t(v)]) + QStringLiteral(" Hz");
}

int BassValues::TextToValFreq(const QString& text, int current, const ConversionContext& c)
{
    if (midiMode(c))
        return TextToValMidi(text, current, c);
    const int n = NumberText::intDef(cutAt(text.toUpper(), QLatin1String("H")), 0);
    if (n == 0)
        return 0;
    return firstNotBelow(TableX, n, int(TableX.size()) - 1);
}

std::optional<QString> BassValues::ValToTextExp(int v, const ConversionContext& c)
{
    return GuitarValues::ValToTextGate(v, c);
}

int BassValues::TextToValExp(const QString& text, int current, const ConversionContext& c)
{
    return GuitarValues::TextToValGate(text, current, c);
}

std::optional<QString> BassValues::ValToTextPrct(int v, const ConversionContext& c)
{
    if (midiMode(c))
        return ValToTextMidi(v, c);
    return number(int((qint64(v) * 101 + 64) / 128)) + QStringLiteral(" %");
}

int BassValues::TextToValPrct(const QString& text, int current, const ConversionContext& c)
{
    if (midiMode(c))
        return TextToValMidi(text, current, c);
    const qint64 n = NumberText::integer(cutAt(text, QLatin1String("%")), text);
    return saturate(double((n * 128 + 50) / 101));
}

std::optional<QString> BassValues::ValToTextSpd(int v, const ConversionContext& c)
{
    if (midiMode(c))
        return ValToTextMidi(v, c);
    return speedText(v * 0.039, v * 2.34, 3, c);
}

int BassValues::TextToValSpd(const QString& text, int current, const ConversionContext& c)
{
    if (midiMode(c))
        return TextToValMidi(text, current, c);
    return linearSpeedValue(text, c, {25.641025641025641, 0.42735042735042737});
}

std::optional<QString> BassValues::ValToTextDelT(int v, const ConversionContext& c)
{
    if (midiMode(c))
        return ValToTextMidi(v, c);
    const float t = float(v * 0.0079);
    if (bpmMode(c)) {
        if (v == 0)
            return QString();
        return number(NumberText::round(60.0 / double(t))) + QStringLiteral(" bpm");
    }
    return NumberText::fixed(double(t), 4, 3, c.decimalSeparator) + QStringLiteral(" s");
}

int BassValues::TextToValDelT(const QString& text, int current, const ConversionContext& c)
{
    if (midiMode(c))
        return TextToValMidi(text, current, c);
    constexpr double valuesPerSecond = 126.58227848101265;
    QString t = text.toUpper();
    bool bpm = bpmMode(c);
    if (has(t, QLatin1String("S"))) {
        t = cutAt(t, QLatin1String("S"));
        bpm = false;
    } else if (has(t, QLatin1String("B"))) {
        t = cutAt(t, QLatin1String("B"));
        bpm = true;
    }
    const double x = NumberText::real(t, c.decimalSeparator, text);
    if (!bpm)
        return NumberText::round(x * valuesPerSecond);
    if (x == 0)
        return current;
    return NumberText::round(60 / x * valuesPerSecond);
}

std::optional<QString> BassValues::ValToTextDelL(int v, const ConversionContext& c)
{
    return GuitarValues::ValToTextDelT(v, c);
}

int BassValues::TextToValDelL(const QString& text, int current, const ConversionContext& c)
{
    return GuitarValues::TextToValDelT(text, current, c);
}

std::optional<QString> BassValues::ValToTextVBSpd(int v, const ConversionContext& c)
{
    if (midiMode(c))
        return ValToTextMidi(v, c);
    const double square = double(v) * v;
    return speedText(square * 0.000062, square * 0.00372, 4, c);
}

int BassValues::TextToValVBSpd(const QString& text, int current, const ConversionContext& c)
{
    if (midiMode(c))
        return TextToValMidi(text, current, c);
    return squareSpeedValue(text, c, {16129.032258064515, 268.81720430107526});
}

std::optional<QString> BassValues::ValToTextPhSpd(int v, const ConversionContext& c)
{
    if (midiMode(c))
        return ValToTextMidi(v, c);
    const double square = double(v) * v;
    return speedText(square * 0.00031, square * 0.0186, 4, c);
}

int BassValues::TextToValPhSpd(const QString& text, int current, const ConversionContext& c)
{
    if (midiMode(c))
        return TextToValMidi(text, current, c);
    return squareSpeedValue(text, c, {3225.8064516129034, 53.763440860215056});
}

std::optional<QString> BassValues::ValToTextCSpd(int v, const ConversionContext& c)
{
    if (midiMode(c))
        return ValToTextMidi(v, c);
    return speedText(v * 0.047, v * 2.82, 4, c);
}

int BassValues::TextToValCSpd(const QString& text, int current, const ConversionContext& c)
{
    if (midiMode(c))
        return TextToValMidi(text, current, c);
    return linearSpeedValue(text, c, {21.27659574468085, 0.3546099290780142});
}

std::optional<QString> BassValues::ValToTextDec1(int v, const ConversionContext& c)
{
    if (midiMode(c))
        return ValToTextMidi(v, c);
    return NumberText::fixed(v * 1.3 / 127 + 1.2, 3, 2, c.decimalSeparator) + QStringLiteral(" s");
}

int BassValues::TextToValDec1(const QString& text, int current, const ConversionContext& c)
{
    if (midiMode(c))
        return TextToValMidi(text, current, c);
    const double x = NumberText::real(cutAt(text.toUpper(), QLatin1String("S")), c.decimalSeparator, text);
    return NumberText::round((x - 1.2) * 0.7692307692307692 * 127);
}

std::optional<QString> BassValues::ValToTextDec2(int v, const ConversionContext& c)
{
    if (midiMode(c))
        return ValToTextMidi(v, c);
    return NumberText::fixed(v * 0.9 / 127 + 0.1, 3, 2, c.decimalSeparator) + QStringLiteral(" s");
}

int BassValues::TextToValDec2(const QString& text, int current, const ConversionContext& c)
{
    if (midiMode(c))
        return TextToValMidi(text, current, c);
    const double x = NumberText::real(cutAt(text.toUpper(), QLatin1String("S")), c.decimalSeparator, text);
    return NumberText::round((x - 0.1) * 1.1111111111111112 * 127);
}

std::optional<QString> BassValues::ValToTextVowel(int v, const ConversionContext& c)
{
    if (midiMode(c))
        return ValToTextMidi(v, c);
    return v < 0 ? std::nullopt : listText(VowelTexts, v / 15);
}

int BassValues::TextToValVowel(const QString& text, int current, const ConversionContext& c)
{
    if (midiMode(c))
        return TextToValMidi(text, current, c);
    return firstMatch(text.toUpper(), VowelMatches, 0);
}

std::optional<QString> BassValues::ValToTextVaria(int v, const ConversionContext& c)
{
    if (midiMode(c))
        return ValToTextMidi(v, c);
    int variation = 0;
    for (int start : TableV)
        if (start <= v)
            ++variation;
    if (variation == 0)
        return std::nullopt;
    return number(variation);
}

int BassValues::TextToValVaria(const QString& text, int current, const ConversionContext& c)
{
    if (midiMode(c))
        return TextToValMidi(text, current, c);
    const int n = std::clamp(NumberText::integer(text, text), 1, int(TableV.size()));
    return TableV[std::size_t(n - 1)];
}

std::optional<QString> BassValues::ValToTextKey(int v, const ConversionContext& c)
{
    if (midiMode(c))
        return ValToTextMidi(v, c);
    return listText(KeyTexts, v);
}

int BassValues::TextToValKey(const QString& text, int current, const ConversionContext& c)
{
    if (midiMode(c))
        return TextToValMidi(text, current, c);
    const QString t = text.toUpper();
    if (t.contains(QLatin1String("OFF")))
        return 0;
    return firstMatch(t, KeyMatches, 0);
}

std::optional<QString> BassValues::ValToTextTrans(int v, const ConversionContext& c)
{
    if (midiMode(c))
        return ValToTextMidi(v, c);
    return listText(TransTexts, v);
}

int BassValues::TextToValTrans(const QString& text, int current, const ConversionContext& c)
{
    if (midiMode(c))
        return TextToValMidi(text, current, c);
    return firstMatch(text.toUpper(), TransMatches, 3);
}

std::optional<QString> BassValues::ValToTextSemi(int v, const ConversionContext& c)
{
    if (midiMode(c))
        return ValToTextMidi(v, c);
    return listText(SemiTexts, v);
}

int BassValues::TextToValSemi(const QString& text, int current, const ConversionContext& c)
{
    if (midiMode(c))
        return TextToValMidi(text, current, c);
    return firstMatch(text, SemiMatches, 3);
}
