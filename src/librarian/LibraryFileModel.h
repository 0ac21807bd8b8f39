#pragma once

#include <QFileSystemModel>

// The file tree of the library window: folders and the preset files of the
// connected family. A rename typed in the tree keeps the file's extension;
// `renamed` tells the window which file became which.
class LibraryFileModel : public QFileSystemModel {
    Q_OBJECT
public:
    using QFileSystemModel::QFileSystemModel;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    // The node a tree Cut placed on the clipboard is drawn greyed; empty for none.
    void SetCutPath(const QString& path);
    QString CutPath() const { return cutPath; }
signals:
    void renamed(const QString& oldPath, const QString& newPath);

private:
    QString cutPath;
};
