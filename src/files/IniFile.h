#pragma once

#include <QSettings>
#include <QString>
#include <memory>

// The one ini file of the program: the preference sets and the connection of
// every unit seen. It lives beside the program (its path with ".ini") when
// that folder is writable, else in the user's configuration folder.
QString IniFilePath();

// Tests point the program at their own file; an empty path restores the default.
void SetIniFilePath(const QString& path);

std::unique_ptr<QSettings> OpenIniFile();
