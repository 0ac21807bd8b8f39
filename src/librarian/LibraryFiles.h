#pragma once

#include <QString>

#include "model/Presets.h"

// The library window's file commands on the folders and files of its tree,
// apart from any widget: each says what became of it, and the window shows
// the text for a failure. A rename typed in the tree is the tree model's own
// (LibraryFileModel), so that its node follows the file.
class LibraryFiles {
public:
    enum class Result {
        Done,
        CannotCreate, // "Cannot create new directory."
        CannotDelete, // "Cannot delete ..."
        CannotSave,   // "Unable to Save the file"
    };
    struct Outcome {
        Result result = Result::Done;
        QString path;          // the folder or file made or written
        bool editName = false; // a new file whose name the user is to edit in place
    };

    // `bass`: the connected family, whose libraries a paste writes.
    explicit LibraryFiles(bool bass) : bass(bass) {}

    // A new folder in `parent`: "New Folder", then "New Folder 2" ...
    Outcome NewDirectory(const QString& parent) const;
    // A file, or a folder with everything in it, goes into the trash, so that
    // a slip can be undone; only where there is no trash does it go for good.
    Result Delete(const QString& path) const;
    // Paste of `records` onto the tree node `node`: into a folder they become
    // a new library there, whose name the user then edits; onto a library
    // file they are appended to it. A dump file is never pasted into.
    Outcome Paste(PresetRecordList& records, const QString& node) const;

private:
    bool bass;
};
