// The library window's preset list: filling it from the library list, its
// selection and the commands on its presets.
#include <QDir>
#include <QFileInfo>
#include <QEvent>
#include <QHeaderView>

#include "files/LibraryFile.h"
#include "files/Preferences.h"
#include "librarian/DeviceForm.h"
#include "librarian/LibrarianState.h"
#include "librarian/LibraryForm.h"
#include "librarian/LibrarySearch.h"
#include "shell/MessageService.h"

// ---- the preset list ----

void TLibraryForm::RefillPresetList()
{
    refill(false);
}

// The rows of a refilled list may hold other records than before: only a
// refill that changed no row keeps the selection.
void TLibraryForm::refill(bool keepSelection)
{
    const std::vector<int> keep = keepSelection ? SelectedItems() : std::vector<int>();
    if (!keepSelection)
        singleAtLastRelease = -1;
    PresetList->clear();
    const std::vector<int> numbers = RowNumbers(*LibraryList);
    const QDateTime now = QDateTime::currentDateTime();
    const QPalette palette = PresetList->palette();
    QList<QTreeWidgetItem*> items;
    for (int i = 0; i < LibraryList->count; ++i) {
        PresetRecord& r = LibraryList->at(i);
        if (!r.isCommentLine())
            StampUndatedRecord(r, now);
        auto* item = new QTreeWidgetItem(RowTexts(r, numbers[size_t(i)]));
        if (r.isCommentLine()) {
            QFont bold = item->font(0);
            bold.setBold(true);
            item->setFont(0, bold);
            item->setForeground(0, palette.color(QPalette::Active, QPalette::Link));
        } else if (r.mark & CutMark) {
            for (int c = 0; c < LibraryColumnCount; ++c)
                item->setForeground(c, palette.color(QPalette::Disabled, QPalette::Text));
        }
        items << item;
    }
    PresetList->addTopLevelItems(items);
    // Spanning only works on items that are in the list.
    for (int i = 0; i < items.size(); ++i)
        items[i]->setFirstColumnSpanned(LibraryList->at(i).isCommentLine());
    for (int c = 0; c < LibraryColumnCount; ++c)
        if (LibraryColumns[c].automatic) {
            PresetList->resizeColumnToContents(c);
            PresetList->setColumnWidth(c, std::min(PresetList->columnWidth(c), LibraryColumns[c].width));
        }
    std::vector<int> still;
    for (int i : keep)
        if (i < LibraryList->count)
            still.push_back(i);
    SetSelectedItems(still);
    Search->FilterLibraryRows();
    updatePresetActions();
    emit libraryChanged();
}

std::vector<int> TLibraryForm::SelectedItems() const
{
    std::vector<int> items;
    for (int i = 0; i < PresetList->topLevelItemCount(); ++i)
        if (PresetList->topLevelItem(i)->isSelected())
            items.push_back(i);
    return items;
}

void TLibraryForm::SetSelectedItems(const std::vector<int>& items, int focused)
{
    QItemSelectionModel* model = PresetList->selectionModel();
    // The items keep their own selected flags in step with the model's
    // signals, so those stay connected; only audition is held back.
    settingSelection = true;
    model->clearSelection();
    for (int i : items)
        if (QTreeWidgetItem* item = PresetList->topLevelItem(i))
            item->setSelected(true);
    if (QTreeWidgetItem* item = PresetList->topLevelItem(focused))
        model->setCurrentIndex(PresetList->indexFromItem(item), QItemSelectionModel::NoUpdate);
    settingSelection = false;
    updatePresetActions();
}

int TLibraryForm::firstSelected() const
{
    const std::vector<int> items = SelectedItems();
    return items.empty() ? -1 : items.front();
}

void TLibraryForm::selectionChanged(const QItemSelection& selected, const QItemSelection& deselected)
{
    const QModelIndexList on = selected.indexes();
    const QModelIndexList off = deselected.indexes();
    if (!on.isEmpty())
        lastSelected = on.last().row();
    else if (!off.isEmpty())
        lastSelected = off.last().row();
    updatePresetActions();
    if (!on.isEmpty() && CurrentPreferences.AutoAud && !settingSelection)
        AuditionExecute();
}

void TLibraryForm::updatePresetActions()
{
    const bool any = !SelectedItems().empty();
    DeletePresets->setEnabled(any);
    CutPresets->setEnabled(any);
    CopyPresets->setEnabled(any);
    RenamePreset->setEnabled(SelectedItems().size() == 1);
    updatePaste();
}

void TLibraryForm::updatePaste()
{
    if (treeEditing)
        return;
    const bool clip = ClipboardList->count > 0;
    PastePresets->setEnabled(clip);
    PasteF->setEnabled(clip && FileTree->currentIndex().isValid());
}

void TLibraryForm::changeEvent(QEvent* e)
{
    // The device window may have filled the clipboard meanwhile.
    if (e->type() == QEvent::ActivationChange && isActiveWindow())
        updatePaste();
    QWidget::changeEvent(e);
}

void TLibraryForm::LibPopupMenuPopup()
{
    const QList<QAction*> presetActions{Edit, Audition, DeletePresets, CutPresets, CopyPresets, PastePresets,
                                        RenamePreset, Export};
    if (FileTree->hasFocus()) {
        for (QAction* a : presetActions)
            a->setEnabled(false);
        updatePaste();
        PastePresets->setEnabled(false);
        return;
    }
    PresetList->setFocus();
    const std::vector<int> items = SelectedItems();
    const bool one = items.size() == 1;
    const bool oneComment = one && LibraryList->at(items.front()).isCommentLine();
    DeletePresets->setEnabled(!items.empty());
    CutPresets->setEnabled(!items.empty());
    CopyPresets->setEnabled(!items.empty());
    PastePresets->setEnabled(ClipboardList->count > 0);
    Audition->setEnabled(one && !oneComment);
    Edit->setEnabled(one && !oneComment && !PresetPropertyEdit->isVisible());
    RenamePreset->setEnabled(one);
    Export->setEnabled(!items.empty() && !oneComment);
}

void TLibraryForm::SelectAllExecute()
{
    PresetList->selectAll();
}

void TLibraryForm::AuditionExecute()
{
    AuditionItem(firstSelected());
}

void TLibraryForm::EditExecute()
{
    const int index = firstSelected();
    if (index < 0)
        return;
    const QFileInfo node(SelectedPath());
    EditRecord(LibraryList->at(index), node.isFile() ? node.fileName() : QString());
}

void TLibraryForm::EditRecord(const PresetRecord& r, const QString& caption)
{
    if (!AuditionRecord(r))
        return;
    const std::string name = GetRecordName(r);
    ApplyRecord(r, false);
    RecordFromModules(*OriginalRecord, name);
    RecordFromModules(*EditBufferRecord, name);
    OriginalRecord->origin = r.origin;
    emit editorRequested(ConnectedUnitIsBass(), QString::fromLatin1(name.data(), qsizetype(name.size())), caption);
}

void TLibraryForm::CutPresetsExecute()
{
    updatePaste();
    if (CopyLibraryItems(SelectedItems(), true))
        refill(true);
}

void TLibraryForm::CopyPresetsExecute()
{
    CopyLibraryItems(SelectedItems(), false);
    refill(true);
}

void TLibraryForm::PastePresetsExecute()
{
    if (ClipboardList->count == 0)
        return;
    const QModelIndex current = PresetList->currentIndex();
    const ListSelection s = PasteIntoLibrary(current.isValid() ? current.row() : -1, SelectedItems());
    RefillPresetList();
    SetSelectedItems(s.selected, s.focused);
}

void TLibraryForm::DeletePresetsExecute()
{
    if (DeleteFromLibrary(SelectedItems(), this)) {
        SetSelectedItems({});
        RefillPresetList();
    }
}

void TLibraryForm::DeleteCutItems()
{
    RemoveCutItems();
    RefillPresetList();
}

void TLibraryForm::ExportExecute()
{
    const std::vector<int> items = SelectedItems();
    if (items.empty())
        return;
    const bool bass = ConnectedUnitIsBass();
    const QModelIndex focused = PresetList->currentIndex();
    const int proposedIndex = focused.isValid() ? focused.row() : items.front();
    const QString proposed = PropertyText(EditColumn::Name, proposedIndex).trimmed();
    const bool one = items.size() == 1;
    const QString title = one ? QStringLiteral("Export Preset to file..") : QStringLiteral("Export Presets to file..");
    // The bass library filter is spelt differently in the two cases.
    const QString library = !bass ? QStringLiteral("Drux Library files (*.dlb)")
        : one                     ? QStringLiteral("Bass Drux Library files (*.blb)")
                                  : QStringLiteral("Bass DRUX Library files (*.blb)");
    const QString filter = one ? QStringLiteral("Sysex files (*.syx);;") + library : library;
    const QString start = QDir(SelectedFolder()).filePath(proposed);
    // Both file dialogs of the device window start in the tree's folder too.
    if (device)
        device->SetDialogDirectory(SelectedFolder());
    QString chosen;
    const QString file = AskSaveFile(this, title, start, filter, &chosen);
    if (file.isEmpty())
        return;
    // A single preset takes the form its extension names; a name of another
    // kind takes the form of the filter chosen.
    const bool asDump = one
        && (file.endsWith(QStringLiteral(".syx"), Qt::CaseInsensitive)
            || (!file.endsWith(LibraryExtension(bass), Qt::CaseInsensitive) && FilterExtension(chosen) == "syx"));
    if (!ExportLibraryItems(items, file, asDump))
        showMessage(QStringLiteral("Unable to Save the file"));
}

