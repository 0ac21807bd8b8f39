// The library window's property editor: the line typed over a row of the
// list to rename a preset, edit its comment or author, or insert a comment
// line; and the clicks and keys of the list that open and close it.
#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>

#include "controls/KeyCodes.h"
#include "librarian/LibrarianState.h"
#include "librarian/LibraryForm.h"

namespace {

bool isCommitKey(int key) { return key == KeyConfirm || key == Qt::Key_Return || key == Qt::Key_Enter; }
bool isCancelKey(int key) { return key == KeyCancel || key == Qt::Key_Escape; }

// The comment column is the right one to edit for a comment line.
EditColumn columnFor(int column)
{
    switch (column) {
    case NameColumn:
        return EditColumn::Name;
    case CommentColumn:
        return EditColumn::Comment;
    case CreatedByColumn:
        return EditColumn::Author;
    default:
        return EditColumn::None;
    }
}

} // namespace

// ---- property editing ----

void TLibraryForm::placeEditor(int index, EditColumn column)
{
    QRect area;
    const int rows = PresetList->topLevelItemCount();
    if (QTreeWidgetItem* item = PresetList->topLevelItem(std::min(index, rows - 1))) {
        area = PresetList->visualItemRect(item);
        // A line that goes to the end is typed below the last item.
        if (index >= rows)
            area.translate(0, area.height());
    } else {
        area = QRect(0, 0, PresetList->viewport()->width(), PresetList->fontMetrics().height() + 6);
    }
    const bool spans = column == EditColumn::NewCommentLine
        || (index < LibraryList->count && LibraryList->at(index).isCommentLine());
    if (spans) {
        area.setLeft(0);
        area.setWidth(PresetList->viewport()->width());
    } else {
        const int c = static_cast<int>(column);
        area.setLeft(PresetList->header()->sectionViewportPosition(c));
        area.setWidth(PresetList->columnWidth(c));
    }
    area.setHeight(std::max(area.height(), PresetPropertyEdit->sizeHint().height()));
    PresetPropertyEdit->setGeometry(area);
}

void TLibraryForm::StartPropertyEdit(int index, EditColumn column)
{
    if (column == EditColumn::NewCommentLine) {
        index = std::clamp(index, 0, LibraryList->count);
    } else {
        if (!RenamePreset->isEnabled() || index < 0 || index >= LibraryList->count)
            return;
        if (column == EditColumn::None || LibraryList->at(index).isCommentLine())
            column = EditColumn::Comment;
    }
    slowClickTimer->stop();
    editColumn = column;
    editIndex = index;
    editStartText = PropertyText(column, index);
    PresetPropertyEdit->setText(editStartText);
    placeEditor(index, column);
    PresetPropertyEdit->selectAll();
    takeKeys(true);
    PresetPropertyEdit->show();
    PresetPropertyEdit->raise();
    PresetPropertyEdit->setFocus();
}

void TLibraryForm::takeKeys(bool take)
{
    QAction* const owners[] = {Edit, DeletePresets, DeleteF};
    if (take) {
        if (!takenKeys.isEmpty())
            return;
        for (QAction* a : owners) {
            takenKeys << a->shortcut();
            a->setShortcut(QKeySequence());
        }
    } else if (!takenKeys.isEmpty()) {
        for (int i = 0; i < 3; ++i)
            owners[i]->setShortcut(takenKeys[i]);
        takenKeys.clear();
    }
}

void TLibraryForm::PresetPropertyEditCommit()
{
    finishPropertyEdit(false);
}

void TLibraryForm::PresetPropertyEditCancel()
{
    finishPropertyEdit(true);
}

void TLibraryForm::finishPropertyEdit(bool cancel)
{
    if (finishing || editColumn == EditColumn::None)
        return;
    finishing = true;
    if (cancel)
        PresetPropertyEdit->setText(editStartText);
    const EditColumn column = editColumn;
    takeKeys(false);
    PresetPropertyEdit->hide();
    editColumn = EditColumn::None;
    const int changed = CommitPropertyEdit(column, editIndex, PresetPropertyEdit->text());
    RefillPresetList();
    if (changed >= 0)
        SetSelectedItems({changed}, changed);
    PresetList->setFocus();
    finishing = false;
}

void TLibraryForm::RenamePresetExecute()
{
    const int index = firstSelected();
    if (index < 0)
        return;
    StartPropertyEdit(index, LibraryList->at(index).isCommentLine() ? EditColumn::Comment : EditColumn::Name);
}

void TLibraryForm::InsertCommentLineExecute()
{
    int at = LibraryList->count;
    if (LibraryList->count == 0)
        at = 0;
    else if (!SelectedItems().empty() && lastSelected >= 0)
        at = lastSelected;
    StartPropertyEdit(at, EditColumn::NewCommentLine);
}

// ---- mouse and keys in the list ----

bool TLibraryForm::listMousePress(QMouseEvent* e)
{
    const QPoint pos = e->position().toPoint();
    QTreeWidgetItem* item = PresetList->itemAt(pos);
    if (!item) {
        // Empty space: no focus mark.
        PresetList->selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
        return false;
    }
    const int row = PresetList->indexOfTopLevelItem(item);
    if (e->button() == Qt::LeftButton) {
        pendingDrag = true;
        dragStart = pos;
        dropMode = DropModeFor(e->modifiers().testFlag(Qt::ControlModifier),
                               e->modifiers().testFlag(Qt::ShiftModifier));
    }
    if (LibraryList->at(row).isCommentLine()) {
        editColumn = EditColumn::Comment;
    } else if (e->button() == Qt::LeftButton) {
        const int column = PresetList->header()->logicalIndexAt(pos.x());
        editColumn = column < 0 ? EditColumn::Author : columnFor(column);
    }
    // Pressing inside the selection keeps it, for dragging.
    if (e->button() == Qt::LeftButton && item->isSelected() && e->modifiers() == Qt::NoModifier
        && SelectedItems().size() > 1)
        return true;
    return false;
}

void TLibraryForm::listMouseRelease(QMouseEvent* e)
{
    pendingDrag = false;
    if (e->button() != Qt::LeftButton)
        return;
    const bool oneNow = SelectedItems().size() == 1;
    const int single = oneNow ? firstSelected() : -1;
    const bool secondClick = single >= 0 && single == singleAtLastRelease && !doubleClicked;
    singleAtLastRelease = single;
    doubleClicked = false;
    RenamePreset->setEnabled(oneNow);
    // A slow second click on the one selected row opens its text for editing,
    // unless it turns out to be a double-click.
    if (secondClick && editColumn != EditColumn::None && !PresetPropertyEdit->isVisible())
        slowClickTimer->start(QApplication::doubleClickInterval());
}

bool TLibraryForm::listKeyPress(QKeyEvent* e)
{
    const int rows = PresetList->topLevelItemCount();
    const QModelIndex current = PresetList->currentIndex();
    if (e->key() == Qt::Key_Down && current.isValid() && current.row() == rows - 1) {
        PresetList->clearSelection();
        PresetList->selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
        return true;
    }
    if (e->key() == Qt::Key_Up && !current.isValid() && rows > 0) {
        QTreeWidgetItem* last = PresetList->topLevelItem(rows - 1);
        PresetList->setCurrentItem(last);
        return true;
    }
    if (isCommitKey(e->key()) && !PresetPropertyEdit->isVisible() && Edit->isEnabled()) {
        EditExecute();
        return true;
    }
    return false;
}

bool TLibraryForm::listViewportEvent(QEvent* e)
{
    switch (e->type()) {
    case QEvent::MouseButtonPress:
        return listMousePress(static_cast<QMouseEvent*>(e));
    case QEvent::MouseButtonRelease:
        listMouseRelease(static_cast<QMouseEvent*>(e));
        break;
    case QEvent::MouseButtonDblClick:
        if (static_cast<QMouseEvent*>(e)->button() == Qt::LeftButton) {
            slowClickTimer->stop();
            doubleClicked = true;
            pendingDrag = false;
            PresetList->selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
            EditExecute();
            return true;
        }
        break;
    case QEvent::MouseMove: {
        auto* m = static_cast<QMouseEvent*>(e);
        if (pendingDrag && (m->buttons() & Qt::LeftButton)
            && (m->position().toPoint() - dragStart).manhattanLength() >= 7) {
            pendingDrag = false;
            StartLibraryDrag(SelectedItems());
            runDrag(PresetDragData(DragSource::LibraryList));
            ScrollTimer->stop();
            return true;
        }
        break;
    }
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        dragHovered(PresetList, false);
        return listDragEvent(e);
    case QEvent::DragLeave:
        dragHovered(PresetList, true);
        break;
    default:
        break;
    }
    return false;
}

bool TLibraryForm::propertyEditEvent(QEvent* e)
{
    const QEvent::Type type = e->type();
    if (type == QEvent::KeyRelease) {
        const int key = static_cast<QKeyEvent*>(e)->key();
        if (isCommitKey(key)) {
            PresetPropertyEditCommit();
            return true;
        }
        if (isCancelKey(key)) {
            PresetPropertyEditCancel();
            return true;
        }
    } else if (type == QEvent::KeyPress) {
        // Enter and Escape act on release; the list must not see them.
        const int key = static_cast<QKeyEvent*>(e)->key();
        if (isCommitKey(key) || isCancelKey(key))
            return true;
    } else if (type == QEvent::FocusOut && PresetPropertyEdit->isVisible()) {
        PresetPropertyEditCommit();
    }
    return false;
}
