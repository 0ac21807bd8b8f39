#pragma once

#include <QString>

// Writes `size` bytes as the whole new content of `fileName`: they go to a
// temporary file in the same folder, which replaces the target only when
// every byte was written. A failed or interrupted write leaves the old file
// as it was. Returns true on success.
bool WriteFileSafely(const QString& fileName, const char* data, qint64 size);
