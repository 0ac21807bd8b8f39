#pragma once

#include <QDateTime>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>

#include "model/Presets.h"
#include "shell/Questions.h"


// What the library window does to the library list and to file names,
// apart from any widget: the columns of the preset list, the texts of a
// row, the texts a library keeps per preset, the saved copy that tells
// unsaved changes, and the names the file tree works with.

// ---- the preset list ----

enum LibraryColumn : int {
    NumberColumn = 0,
    NameColumn = 1,
    DeviceIdColumn = 2,
    BankColumn = 3,
    PresetColumn = 4,
    CommentColumn = 5,
    DateTimeColumn = 6,
    CreatedByColumn = 7,
    LibraryColumnCount = 8,
};

// The column a property edit works on; NewCommentLine inserts a line.
enum class EditColumn : int { None = -2, NewCommentLine = -1, Name = 1, Comment = 5, Author = 7 };

struct LibraryColumnRow {
    const char* caption;
    int width;
    bool automatic; // sized to the contents, at most `width`
};

inline constexpr LibraryColumnRow LibraryColumns[LibraryColumnCount] = {
    {"Number", 49, true},     {"Preset-name", 188, true}, {"Device ID", 60, false}, {"Bank", 37, false},
    {"Preset", 42, false},    {"Comment", 56, false},     {"Date/Time", 63, false}, {"Created by", 66, false},
};

// Longest text a property edit keeps: name 16, comment 127, author 63.
int EditLimit(EditColumn column);

// Library dates count days from 30 December 1899; the fraction is the time.
QDateTime RecordDateTime(double days);
double RecordDays(const QDateTime& when);

// A record without a day part gets `now` and keeps it.
void StampUndatedRecord(PresetRecord& r, const QDateTime& now);

// Running numbers of the rows: 1, 2, 3 ... for presets, 0 for comment lines.
std::vector<int> RowNumbers(const PresetRecordList& list);

// The eight column texts of a preset row numbered `number`. A comment line
// has only its comment (in the first text).
QStringList RowTexts(const PresetRecord& r, int number);

// Whether a record belongs to the connected unit's family (guitar or bass).
bool SameFamily(const PresetRecord& r);

// ---- property edits (each takes a library snapshot first) ----

// Sets the name (blank-padded to 16), the trimmed comment or the trimmed
// author of item `index`; for NewCommentLine inserts a comment line holding
// the trimmed text at `index` (clamped to the list). Returns the index of
// the changed or inserted item, -1 when nothing changed.
int CommitPropertyEdit(EditColumn column, int index, const QString& text);

// The text of item `index` that an edit of `column` starts from.
QString PropertyText(EditColumn column, int index);

// ---- the saved copy ----

// True when the library list differs from the copy taken at the last read
// or write of a file (count, then parameter bytes, family, device id,
// comment and author of every pair).
bool LibraryDiffersFromSaved();
// The library list was written to or read from a file.
void MarkLibrarySaved();
// New library: both lists empty.
void ClearLibrary();

// ---- files and names ----

QString LibraryExtension(bool bass); // ".blb" or ".dlb"
// Whether the connected unit is of the bass family.
bool ConnectedUnitIsBass();

// Whether the tree shows a file: ".syx" or the family's library extension,
// in any case.
bool TreeShowsFile(const QString& fileName, bool bass);
QStringList TreeNameFilters(bool bass);

// Reads a file of the tree into the library list: ".syx" as a dump, any
// other as a library. False, with both lists unchanged, when it cannot be
// read; a dump that is not compatible or corrupted says so first.
bool OpenIntoLibrary(const QString& path, Questions& questions);

// The library file a later Save writes after `opened` was opened: the same
// path with the family's library extension, so that a dump file is never
// overwritten with a library.
QString LibraryNameFor(const QString& opened, bool bass);

// A rename never changes a file's type: everything from the new name's last
// dot on is dropped and the old extension (lower case) appended. Folders
// (no extension) keep the name as typed.
QString RenamedFileName(const QString& oldName, const QString& typed);

// "Untitled" with the family's extension in `folder`, as the caption shows it.
QString UntitledCaption(const QString& folder, bool bass);

// A name for a new folder in `parent`: "New Folder", then "New Folder 2" ...
QString NewFolderName(const QString& parent);

// Writes `records` (indices into the library list, in list order) to
// `fileName`: as a one-preset dump when `asDump`, else as a library. True
// on success.
bool ExportLibraryItems(const std::vector<int>& records, const QString& fileName, bool asDump);

// Sends item `index` to the unit's edit buffer; false for a comment line or
// a record of the other family.
bool AuditionItem(int index);
// The same for any record, such as a search result.
bool AuditionRecord(const PresetRecord& r);

// Help anchor for the help context of the focused control (1 tree, 2 list).
QString LibraryHelpAnchor(int helpContext);

// ---- drags over the tree and the list ----

// Whether presets may be dropped on a tree node: any folder, and the library
// files of the family (a dump file is never appended to).
bool TreeAcceptsDrop(const QString& path, bool isDir, bool bass);

// Whether a drag that hovers at `pointer` scrolls `control` (both in the
// window's coordinates): -1 one line up when the pointer is level with the
// control and above it, 1 one line down when below it, 0 otherwise.
int ScrollDirection(const QRect& control, const QPoint& pointer);

struct TreeDrop {
    bool dropped = false; // false: nothing to drop or the question was cancelled
    bool saved = false;   // false: "Unable to Save the file"
    QString path;         // the file written or appended to
    bool editName = false; // a new file whose name the user is to edit in place
};

// Drop of `list` onto the tree node `node`: onto a folder the presets become
// a library there (see WritePresetsIntoFolder; `draggedFileName` names the
// tree file being dragged, if any); onto a library file they are appended,
// after "Append presets?" under Confirm. An empty list drops nothing.
TreeDrop DropIntoTree(PresetRecordList& list, const QString& node, bool isDir, const QString& draggedFileName,
                      bool bass, Questions& questions);
