// The library window's file commands on the tree: new folders, delete,
// rename, and cut, copy and paste of files.
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QMimeData>

#include "librarian/LibrarianState.h"
#include "librarian/LibraryFiles.h"
#include "librarian/LibraryForm.h"
#include "shell/MessageService.h"

void TLibraryForm::NewDirectoryExecute()
{
    const QModelIndex parent = FileTree->currentIndex();
    if (!parent.isValid() || !FileModel->isDir(parent))
        return;
    const LibraryFiles::Outcome made = LibraryFiles(ConnectedUnitIsBass()).NewDirectory(FileModel->filePath(parent));
    if (made.result != LibraryFiles::Result::Done) {
        showMessage(QStringLiteral("Cannot create new directory."));
        return;
    }
    const QModelIndex created = FileModel->index(made.path);
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
    if (messages.message(this, MessageService::Kind::Question, QString(),
                         question.arg(QDir::toNativeSeparators(path)), QMessageBox::Yes | QMessageBox::No,
                         QMessageBox::No)
        != QMessageBox::Yes)
        return;
    if (LibraryFiles(ConnectedUnitIsBass()).Delete(path) != LibraryFiles::Result::Done)
        showMessage(QStringLiteral("Cannot delete \"%1\".").arg(QDir::toNativeSeparators(path)));
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
    if (!FileModel->isDir(index) && !CopyFileToClipboard(FileModel->filePath(index), questions))
        showMessage(QStringLiteral("Unable to Load the file"));
    updatePaste();
}

void TLibraryForm::PasteFExecute()
{
    const QModelIndex index = FileTree->currentIndex();
    if (!index.isValid() || ClipboardList->count == 0)
        return;
    const LibraryFiles::Outcome pasted =
        LibraryFiles(ConnectedUnitIsBass()).Paste(*ClipboardList, FileModel->filePath(index));
    if (pasted.result != LibraryFiles::Result::Done) {
        showMessage(QStringLiteral("Unable to Save the file"));
        return;
    }
    if (FileModel->isDir(index)) {
        const QModelIndex created = FileModel->index(pasted.path);
        FileTree->setCurrentIndex(created);
        if (pasted.editName)
            editTreeName(created);
        return;
    }
    // The library that grew becomes the open one.
    FileTreeDblClick(index);
}

void TLibraryForm::UpOneLevelExecute()
{
    QDir dir(rootFolder.isEmpty() ? SelectedFolder() : rootFolder);
    if (dir.cdUp())
        setRoot(dir.absolutePath());
}

