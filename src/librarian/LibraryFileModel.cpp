#include "librarian/LibraryFileModel.h"

#include <QDir>
#include <QFileInfo>
#include <QPalette>

#include "librarian/LibraryFormLogic.h"

bool LibraryFileModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !index.isValid())
        return QFileSystemModel::setData(index, value, role);
    const QString oldPath = filePath(index);
    const QString name = isDir(index) ? value.toString() : RenamedFileName(fileName(index), value.toString());
    if (name == fileName(index))
        return true;
    if (!QFileSystemModel::setData(index, name, role))
        return false;
    emit renamed(oldPath, QDir(QFileInfo(oldPath).absolutePath()).filePath(name));
    return true;
}

QVariant LibraryFileModel::data(const QModelIndex& index, int role) const
{
    if (role == Qt::ForegroundRole && !cutPath.isEmpty() && index.column() == 0 && filePath(index) == cutPath)
        return QPalette().color(QPalette::Disabled, QPalette::Text);
    return QFileSystemModel::data(index, role);
}

void LibraryFileModel::SetCutPath(const QString& path)
{
    const QString old = cutPath;
    cutPath = path;
    for (const QString& p : {old, cutPath}) {
        const QModelIndex i = p.isEmpty() ? QModelIndex() : index(p);
        if (i.isValid())
            emit dataChanged(i, i, {Qt::ForegroundRole});
    }
}
