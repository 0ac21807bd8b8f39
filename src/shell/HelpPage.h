#pragma once

#include <QString>
#include <QUrl>

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

// Opens the help pages. The program makes one and hands it to the windows;
// tests hand in one that captures the URLs instead of starting a browser.
class HelpOpener {
public:
    virtual ~HelpOpener() = default;
    // Opens the help page at `anchor` (see HelpUrl).
    void open(const QString& anchor);
    // Opens a help page's URL. A page addressed beside the program that lies
    // in the installed folder instead is opened there.
    void openUrl(const QUrl& url);
    // Hands the URL to whatever opens it: by default the desktop's handler
    // for the file, or nothing but a trace line when the page is missing.
    virtual void show(const QUrl& url);
};
