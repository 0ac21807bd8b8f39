#include "librarian/LibraryFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "files/LibraryFile.h"
#include "librarian/LibraryFormLogic.h"
#include "librarian/PresetClipboard.h"
#include "model/Trace.h"

LibraryFiles::Outcome LibraryFiles::NewDirectory(const QString& parent) const
{
    const QString name = NewFolderName(parent);
    QDir dir(parent);
    if (!QFileInfo(parent).isDir() || !dir.mkdir(name)) {
        TraceLine(1, "Could not create %s in %s", qPrintable(name), qPrintable(parent));
        return {Result::CannotCreate, QString(), false};
    }
    return {Result::Done, dir.filePath(name), true};
}

LibraryFiles::Result LibraryFiles::Delete(const QString& path) const
{
    const bool folder = QFileInfo(path).isDir();
    const bool removed =
        QFile::moveToTrash(path) || (folder ? QDir(path).removeRecursively() : QFile::remove(path));
    if (!removed) {
        TraceLine(1, "Could not delete %s", qPrintable(path));
        return Result::CannotDelete;
    }
    return Result::Done;
}

LibraryFiles::Outcome LibraryFiles::Paste(PresetRecordList& records, const QString& node) const
{
    if (QFileInfo(node).isDir()) {
        const FolderWrite write = WritePresetsIntoFolder(records, node, QString(), bass);
        return {write.saved ? Result::Done : Result::CannotSave, write.path, write.editName};
    }
    if (node.endsWith(QStringLiteral(".syx"), Qt::CaseInsensitive)
        || AppendToLibraryFile(records, node) != FileResult::Ok)
        return {Result::CannotSave, node, false};
    return {Result::Done, node, false};
}
