#pragma once

#include <QStringList>

// drux find TEXT [FOLDER]: one line per preset whose name, comment or author
// holds TEXT (case and accents aside), tab-separated in UTF-8: file,
// position, name, comment, author. 0 with hits, 1 without.
int RunFindCommand(const QStringList& args);

// drux dups [FOLDER]: the duplicate groups, one line per preset,
// tab-separated: group number, "same" (identical) or "renamed" (identical
// but for the name), file, position, name. 0 with groups, 1 without.
int RunDupsCommand(const QStringList& args);
