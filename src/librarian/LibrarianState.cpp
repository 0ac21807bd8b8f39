#include "librarian/LibrarianState.h"

QString LibraryFileName;
QString LastExportName;

void CollectSelection(const QRect& selection, const QString& editBufferName, PresetRecordList& list)
{
    ListClear(list);
    list.columns = 0;
    if (NothingSelected(selection)) {
        PresetRecord editBuffer;
        InitRecord(editBuffer, -1);
        RecordFromModules(editBuffer, editBufferName.toLatin1().toStdString());
        ListAdd(list, &editBuffer);
        list.columns = 1;
        return;
    }
    const QRect cells = selection.intersected(WholeMemory());
    for (int row = cells.top(); row <= cells.bottom(); ++row)
        for (int column = cells.left(); column <= cells.right(); ++column)
            ListAdd(list, DeviceMemory[(row - 1) * 5 + (column - 1)]);
    list.columns = cells.width();
}
