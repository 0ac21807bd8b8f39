#pragma once

#include <QString>
#include <QUrl>
#include <functional>

// The help page lies beside the program. F1 opens "Drux_Help.html" at the
// anchor of the focused control; Help > Contents opens "drux_help.html"
// (the same page) at its start.
inline constexpr char HelpFileName[] = "Drux_Help.html";
inline constexpr char ContentsFileName[] = "drux_help.html";

// "file://localhost" + the program's directory + "/Drux_Help.html" + anchor
// (an anchor such as "#T3H00"; empty for the page's start).
QUrl HelpUrl(const QString& anchor);

// Opens the help page at `anchor`.
void OpenHelp(const QString& anchor);

// Hands a help page's URL to whatever opens it: by default the desktop's
// handler for the file, or nothing but a trace line when the page is missing.
void OpenHelpUrl(const QUrl& url);

// Replaces the opener (tests capture the URLs instead of starting a browser);
// an empty function restores the desktop's.
using HelpUrlOpener = std::function<void(const QUrl&)>;
void SetHelpUrlOpener(HelpUrlOpener opener);
