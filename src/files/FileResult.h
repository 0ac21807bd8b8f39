#pragma once

// How a read or write of a library file, or a write of a dump file, ended.
// The windows turn every kind but Ok into "Unable to Load the file" or
// "Unable to Save the file".
enum class FileResult {
    Ok,
    NothingToWrite, // an empty list, or a dump index that names no preset
    CannotOpen,     // the file is missing or cannot be opened
    NotUnderstood,  // not a library of this family and version, or damaged
    BackupFailed,   // the contents being replaced could not be kept first
    WriteFailed,    // the new file could not be written completely
};
