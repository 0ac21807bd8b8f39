#pragma once

#include <QString>

#include "files/DumpFile.h"
#include "shell/Questions.h"

// The texts the librarian windows show for what the file operations return.

// "Replace Selected Preset ?" or the all-presets question, asked while the
// "Confirm" preference is on before an import replaces presets.
QString ReplaceQuestion(dump::Form form);

// The error box a dump import or a dump read shows, if any: "Sysex Dump is
// not compatible", "Sysex Dump is corrupted" or the backup's text. Empty for
// the results that show none here (a window may still say that it could not
// load the file).
QString ImportErrorText(dump::ImportResult result);
QString DumpReadErrorText(dump::ReadResult result);

// Shows DumpReadErrorText's box, when there is one, through `questions`.
void ShowDumpReadResult(dump::ReadResult result, Questions& questions);
