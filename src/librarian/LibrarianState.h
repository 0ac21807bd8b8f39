#pragma once

#include <QRect>
#include <QString>

#include "model/Presets.h"

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
