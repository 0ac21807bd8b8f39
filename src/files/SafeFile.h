#pragma once

#include <QString>

// Writes `size` bytes as the whole new content of `fileName`: they go to a
// temporary file in the same folder, which replaces the target only when
// every byte was written. A failed or interrupted write leaves the old file
// as it was. The file keeps its identity: a symbolic link is followed and
// stays a link, the target keeps its permissions, and a file with several
// names (hard links) or in a folder where no new file can be made is
// written in place after its old contents were copied aside. Returns true
// on success.
bool WriteFileSafely(const QString& fileName, const char* data, qint64 size);
