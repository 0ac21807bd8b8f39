#include "librarian/LibrarianState.h"

#include <QFileInfo>

#include "shell/MessageService.h"

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

QString AskSaveFile(QWidget* parent, const QString& title, const QString& start, const QString& filter,
                    QString* chosenFilter)
{
    QString chosen;
    QString name = Dialogs().saveFileName(parent, title, start, filter, &chosen);
    if (name.isEmpty())
        return QString();
    if (chosen.isEmpty())
        chosen = filter.section(QStringLiteral(";;"), 0, 0);
    if (chosenFilter)
        *chosenFilter = chosen;
    const QString extension = FilterExtension(chosen);
    if (!QFileInfo(name).suffix().isEmpty() || extension.isEmpty())
        return name;
    // A dialog that did not add the extension itself has not asked about
    // the file that the name with it stands for.
    name += QLatin1Char('.') + extension;
    const QFileInfo file(name);
    if (file.exists()
        && Dialogs().message(parent, MessageService::Kind::Warning, title,
                             QStringLiteral("%1 already exists.\nDo you want to replace it?").arg(file.fileName()),
                             QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
               != QMessageBox::Yes)
        return QString();
    return name;
}
