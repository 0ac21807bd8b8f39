#pragma once

#include <QRect>
#include <QString>

#include "model/Presets.h"

class QWidget;

// What the librarian windows share: the library file in use and the name
// of the last SysEx export. Both start empty.
extern QString LibraryFileName;
extern QString LastExportName;

// A grid selection (left, top, right, bottom) in grid cells; all -1 while
// nothing is selected.
inline QRect NoSelection() { return QRect(QPoint(-1, -1), QPoint(-1, -1)); }
inline bool NothingSelected(const QRect& selection) { return selection.top() < 0; }
inline QRect WholeMemory() { return QRect(QPoint(1, 1), QPoint(5, 25)); }

// Fills `list` from the device grid: with nothing selected, one record of
// the edit buffer named `editBufferName` (one column); otherwise copies of
// the selected slots row by row, as many columns as the selection is wide.
void CollectSelection(const QRect& selection, const QString& editBufferName, PresetRecordList& list);

// The save dialog of the librarian windows, opened at `start` (a folder, or
// a folder and a proposed name) with the filters of `filter` (separated by
// ";;"). A name typed without an extension gets the chosen filter's; a file
// that exists under the final name is replaced only when the user said so,
// in the dialog or here. `chosenFilter` receives the filter chosen. Empty
// when cancelled.
QString AskSaveFile(QWidget* parent, const QString& title, const QString& start, const QString& filter,
                    QString* chosenFilter = nullptr);
