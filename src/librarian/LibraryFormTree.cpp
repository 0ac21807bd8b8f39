// The library window's file commands on the tree: new folders, delete,
// rename, and cut, copy and paste of files.
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QMimeData>

#include "files/LibraryFile.h"
#include "files/Preferences.h"
#include "librarian/LibrarianState.h"
#include "librarian/LibraryForm.h"
#include "model/Trace.h"
#include "shell/MessageService.h"

void TLibraryForm::NewDirectoryExecute()
{
    const QModelIndex parent = FileTree->currentIndex();
    if (!parent.isValid() || !FileModel->isDir(parent))
        return;
    const QModelIndex created = FileModel->mkdir(parent, NewFolderName(FileModel->filePath(parent)));
    if (!created.isValid()) {
        showMessage(QStringLiteral("Cannot create new directory."));
        return;
    }
    FileTree->expand(parent);
    FileTree->setCurrentIndex(created);
    editTreeName(created);
}

void TLibraryForm::DeleteFExecute()
{
    const QModelIndex index = FileTree->currentIndex();
    if (!index.isValid())
        return;
    const QString path = FileModel->filePath(index);
    const bool folder = FileModel->isDir(index);
    const QString question = folder ? QStringLiteral("Delete the folder \"%1\" and everything in it?")
                                    : QStringLiteral("Delete the file \"%1\"?");
    if (Dialogs().message(this, MessageService::Kind::Question, QString(),
                          question.arg(QDir::toNativeSeparators(path)), QMessageBox::Yes | QMessageBox::No,
                          QMessageBox::No)
        != QMessageBox::Yes)
        return;
    // As the desktop deletes: into the trash, so that a slip can be undone;
    // only where there is no trash does the file go for good.
    const bool removed =
        QFile::moveToTrash(path) || (folder ? QDir(path).removeRecursively() : QFile::remove(path));
    if (!removed) {
        TraceLine(1, "Could not delete %s", qPrintable(path));
        showMessage(QStringLiteral("Cannot delete \"%1\".").arg(QDir::toNativeSeparators(path)));
    }
}

void TLibraryForm::RenameFExecute()
{
    const QModelIndex index = FileTree->currentIndex();
    if (index.isValid())
        editTreeName(index);
}

void TLibraryForm::editTreeName(const QModelIndex& index)
{
    FileTree->edit(index);
    if (!FileTree->indexWidget(index))
        return;
    // While a name is typed, nothing may move or replace the file.
    treeEditing = true;
    for (QAction* action : {NewDirectory, CutF, CopyF, PasteF, PastePresets})
        action->setEnabled(false);
}

void TLibraryForm::treeEditEnded()
{
    if (!treeEditing)
        return;
    treeEditing = false;
    FileTreeChange();
}

void TLibraryForm::fileRenamed(const QString& oldPath, const QString& newPath)
{
    if (!LibraryFileName.isEmpty() && QFileInfo(LibraryFileName) == QFileInfo(oldPath)) {
        LibraryFileName = QFileInfo(newPath).absoluteFilePath();
        captionFor(LibraryFileName);
    }
}

void TLibraryForm::CutFExecute()
{
    CopyFExecute();
    const QModelIndex index = FileTree->currentIndex();
    if (index.isValid())
        FileModel->SetCutPath(FileModel->filePath(index));
}

void TLibraryForm::CopyFExecute()
{
    const QModelIndex index = FileTree->currentIndex();
    if (!index.isValid())
        return;
    FileModel->SetCutPath(QString());
    auto* data = new QMimeData;
    data->setUrls({QUrl::fromLocalFile(FileModel->filePath(index))});
    QApplication::clipboard()->setMimeData(data);
    if (!FileModel->isDir(index) && !CopyFileToClipboard(FileModel->filePath(index)))
        showMessage(QStringLiteral("Unable to Load the file"));
    updatePaste();
}

void TLibraryForm::PasteFExecute()
{
    const QModelIndex index = FileTree->currentIndex();
    if (!index.isValid() || ClipboardList->count == 0)
        return;
    const QString path = FileModel->filePath(index);
    if (FileModel->isDir(index)) {
        const FolderWrite write = WritePresetsIntoFolder(*ClipboardList, path, QString(), ConnectedUnitIsBass());
        if (!write.saved) {
            showMessage(QStringLiteral("Unable to Save the file"));
            return;
        }
        const QModelIndex created = FileModel->index(write.path);
        FileTree->setCurrentIndex(created);
        if (write.editName)
            editTreeName(created);
        return;
    }
    if (path.endsWith(QStringLiteral(".syx"), Qt::CaseInsensitive)
        || AppendToLibraryFile(*ClipboardList, path)) {
        showMessage(QStringLiteral("Unable to Save the file"));
        return;
    }
    FileTreeDblClick(index);
}

void TLibraryForm::UpOneLevelExecute()
{
    QDir dir(rootFolder.isEmpty() ? SelectedFolder() : rootFolder);
    if (dir.cdUp())
        setRoot(dir.absolutePath());
}

