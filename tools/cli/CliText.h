#pragma once

#include <QString>
#include <QStringList>
#include <cstdio>
#include <string>
#include <vector>

// Texts between the core (Latin-1), the terminal and the listings the
// commands print.
namespace clitext {

inline QString latin1(const std::string& s) { return QString::fromLatin1(s.data(), qsizetype(s.size())); }

// Tabs and line breaks in texts would break the columns.
inline QString cell(QString text)
{
    text.replace(QLatin1Char('\t'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    return text;
}

// One line of a listing, in UTF-8.
inline void out(const QString& line)
{
    const QByteArray utf8 = line.toUtf8();
    std::fwrite(utf8.constData(), 1, size_t(utf8.size()), stdout);
    std::fputc('\n', stdout);
}

inline QStringList toQt(const std::vector<std::string>& args)
{
    QStringList list;
    for (const std::string& a : args)
        list << QString::fromLocal8Bit(a.c_str());
    return list;
}

} // namespace clitext
