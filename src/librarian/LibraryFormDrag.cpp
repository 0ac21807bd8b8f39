// The library window's drag routing: presets and files dragged out of the
// list and the tree, and what a drop on either of them does.
#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>

#include "files/LibraryFile.h"
#include "librarian/LibrarianActions.h"
#include "librarian/LibrarianState.h"
#include "librarian/LibraryForm.h"

bool TLibraryForm::listDragEvent(QEvent* e)
{
    auto* drop = static_cast<QDropEvent*>(e);
    const DragSource source = DropSource(drop->mimeData(), ConnectedUnitIsBass());
    if (e->type() == QEvent::DragEnter) {
        activateWindow();
        raise();
    }
    QTreeWidgetItem* item = PresetList->itemAt(drop->position().toPoint());
    const int index = item ? PresetList->indexOfTopLevelItem(item) : PresetList->topLevelItemCount();
    const bool fromList = source == DragSource::LibraryList;
    const bool accepted = source != DragSource::None && LibraryDropAllowed(index, SelectedItems(), fromList);
    if (!accepted) {
        drop->ignore();
        return true;
    }
    acceptDrop(drop, source);
    if (e->type() != QEvent::Drop)
        return true;
    if (source == DragSource::CurrentPreset && librarian.editBufferName)
        CollectEditBuffer(librarian.editBufferName(), *DragList);
    if (source == DragSource::Files) {
        // Inserted as the presets of a file dragged from the tree are.
        dropMode = DropMode::Insert;
        if (!ReadDroppedFiles(DroppedPresetFiles(drop->mimeData(), ConnectedUnitIsBass()), questions))
            showMessage(QStringLiteral("Unable to Load the file"));
    }
    const LibraryDrop result = DropIntoLibrary(index, dropMode, questions);
    if (!result.dropped)
        return true;
    if (result.libraryBecameChanged)
        ListClear(*LibraryLoadedList);
    RefillPresetList();
    SetSelectedItems(result.selection.selected, result.selection.focused);
    return true;
}

bool TLibraryForm::treeViewportEvent(QEvent* e)
{
    switch (e->type()) {
    case QEvent::MouseButtonPress: {
        auto* m = static_cast<QMouseEvent*>(e);
        treeDragIndex = m->button() == Qt::LeftButton ? FileTree->indexAt(m->position().toPoint()) : QModelIndex();
        treeDragStart = m->position().toPoint();
        break;
    }
    case QEvent::MouseMove: {
        auto* m = static_cast<QMouseEvent*>(e);
        if (treeDragIndex.isValid() && (m->buttons() & Qt::LeftButton)
            && (m->position().toPoint() - treeDragStart).manhattanLength() >= 7) {
            const QModelIndex index = treeDragIndex;
            treeDragIndex = QModelIndex();
            if (!FileModel->isDir(index)) {
                FileTreeStartDrag(index);
                return true;
            }
        }
        break;
    }
    case QEvent::MouseButtonRelease:
        treeDragIndex = QModelIndex();
        break;
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        dragHovered(FileTree, false);
        return treeDragEvent(e);
    case QEvent::DragLeave:
        dragHovered(FileTree, true);
        break;
    default:
        break;
    }
    return false;
}

void TLibraryForm::FileTreeStartDrag(const QModelIndex& index)
{
    if (!index.isValid() || FileModel->isDir(index))
        return;
    const QString path = FileModel->filePath(index);
    // A file that cannot be read is dragged with what could be read.
    if (!ReadPresetFile(*DragList, path, questions))
        showMessage(QStringLiteral("Unable to Load the file"));
    draggedFilePath = path;
    draggedFileName = QFileInfo(path).fileName();
    dropMode = DropMode::Insert;
    runDrag(PresetDragData(DragSource::FileTree));
    FileTreeEndDrag();
}

bool TLibraryForm::FileTreeDragOver(DragSource source, const QModelIndex& node) const
{
    if (source == DragSource::None || !node.isValid())
        return false;
    const QString path = FileModel->filePath(node);
    // A file dropped where it was picked up would be appended to itself.
    if ((source == DragSource::FileTree || source == DragSource::Files) && path == draggedFilePath)
        return false;
    return TreeAcceptsDrop(path, FileModel->isDir(node), ConnectedUnitIsBass());
}

void TLibraryForm::FileTreeDragDrop(DragSource source, const QModelIndex& node)
{
    if (!FileTreeDragOver(source, node))
        return;
    if (source == DragSource::CurrentPreset && librarian.editBufferName)
        CollectEditBuffer(librarian.editBufferName(), *DragList);
    const QString path = FileModel->filePath(node);
    const bool folder = FileModel->isDir(node);
    const bool file = source == DragSource::FileTree || source == DragSource::Files;
    const QString dragged = file ? draggedFileName : QString();
    const TreeDrop drop = DropIntoTree(*DragList, path, folder, dragged, ConnectedUnitIsBass(), questions);
    if (!drop.dropped)
        return;
    if (!drop.saved) {
        showMessage(QStringLiteral("Unable to Save the file"));
        return;
    }
    if (folder) {
        // The library list stays; the new file is selected.
        const QModelIndex created = FileModel->index(drop.path);
        FileTree->expand(node);
        FileTree->setCurrentIndex(created);
        if (drop.editName)
            editTreeName(created);
        return;
    }
    // The file that grew becomes the open library.
    FileTree->setCurrentIndex(node);
    FileTreeDblClick(node);
}

void TLibraryForm::FileTreeEndDrag()
{
    ScrollTimer->stop();
    draggedFileName.clear();
    draggedFilePath.clear();
}

bool TLibraryForm::treeDragEvent(QEvent* e)
{
    auto* drop = static_cast<QDropEvent*>(e);
    const DragSource source = DropSource(drop->mimeData(), ConnectedUnitIsBass());
    if (source == DragSource::Files) {
        const QStringList files = DroppedPresetFiles(drop->mimeData(), ConnectedUnitIsBass());
        draggedFilePath = files.value(0);
        draggedFileName = QFileInfo(draggedFilePath).fileName();
    }
    if (e->type() == QEvent::DragEnter) {
        activateWindow();
        raise();
    }
    const QModelIndex node = FileTree->indexAt(drop->position().toPoint());
    // Entering refuses nothing yet: the node under the pointer decides.
    const bool accepted =
        e->type() == QEvent::DragEnter ? source != DragSource::None : FileTreeDragOver(source, node);
    if (!accepted) {
        drop->ignore();
        return true;
    }
    acceptDrop(drop, source);
    if (e->type() == QEvent::Drop) {
        if (source == DragSource::Files
            && !ReadDroppedFiles(DroppedPresetFiles(drop->mimeData(), ConnectedUnitIsBass()), questions))
            showMessage(QStringLiteral("Unable to Load the file"));
        FileTreeDragDrop(source, node);
        if (source == DragSource::Files)
            FileTreeEndDrag();
    }
    return true;
}

void TLibraryForm::acceptDrop(QDropEvent* drop, DragSource source)
{
    // Files from another program are read, never taken away from it.
    if (source == DragSource::Files) {
        drop->setDropAction(Qt::CopyAction);
        drop->accept();
    } else {
        drop->acceptProposedAction();
    }
}

void TLibraryForm::dragHovered(QAbstractItemView* view, bool left)
{
    scrollTarget = view;
    if (left)
        ScrollTimer->start();
}

void TLibraryForm::ScrollTimerTimer()
{
    if (!scrollTarget) {
        ScrollTimer->stop();
        return;
    }
    const QRect control(scrollTarget->mapTo(this, QPoint(0, 0)), scrollTarget->size());
    const int direction = ScrollDirection(control, mapFromGlobal(pointerPosition()));
    if (direction == 0) {
        ScrollTimer->stop();
        return;
    }
    scrollTarget->verticalScrollBar()->triggerAction(direction < 0 ? QAbstractSlider::SliderSingleStepSub
                                                                   : QAbstractSlider::SliderSingleStepAdd);
}
