#pragma once

#include <QString>
#include <QUrl>
#include <functional>

// The help page lies beside the program, or, installed, in share/drux. F1
// opens "Drux_Help.html" at the anchor of the focused control; Help >
// Contents opens "drux_help.html" (the same page) at its start.
inline constexpr char HelpFileName[] = "Drux_Help.html";
inline constexpr char ContentsFileName[] = "drux_help.html";

// Where the page `name` lies for a program in `programFolder`: beside it,
// else in the installed folder (share/drux beside the program's bin), else
// beside it all the same (and missing).
QString HelpPagePath(const QString& programFolder, const QString& name);

// "file://localhost" + the program's directory + "/Drux_Help.html" + anchor
// (an anchor such as "#T3H00"; empty for the page's start); the installed
// page's folder instead when the page is not beside the program.
QUrl HelpUrl(const QString& anchor);

// Opens the help page at `anchor`.
void OpenHelp(const QString& anchor);

// Hands a help page's URL to whatever opens it: by default the desktop's
// handler for the file, or nothing but a trace line when the page is missing.
// A page addressed beside the program that lies in the installed folder
// instead is opened there.
void OpenHelpUrl(const QUrl& url);

// Replaces the opener (tests capture the URLs instead of starting a browser);
// an empty function restores the desktop's.
using HelpUrlOpener = std::function<void(const QUrl&)>;
void SetHelpUrlOpener(HelpUrlOpener opener);
