// The device window's actions, menus and the handlers behind them.
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMenuBar>

#include "shell/HelpPage.h"
#include "shell/MessageService.h"
#include "files/DumpFile.h"
#include "files/LibraryFile.h"
#include "files/Preferences.h"
#include "librarian/DeviceForm.h"
#include "librarian/FileMessages.h"
#include "librarian/LibrarianActions.h"
#include "librarian/RestoreBackupForm.h"
#include "librarian/LibrarianState.h"
#include "model/Controllers.h"
#include "model/DeviceConnection.h"
#include "model/Presets.h"
#include "model/EditorLink.h"

namespace {

// The action list in its order. Export's Ctrl+E belongs to the Windows
// menu's Edit item, so Export answers only to its context-menu item's key.
struct ActionRow {
    QAction* TDeviceForm::*member;
    const char* name;
    const char* caption;
    const char* key;
    const char* category;
    void (TDeviceForm::*handler)();
    bool keyActive;
};

const ActionRow ActionTable[] = {
    {&TDeviceForm::Audition, "Audition", "&Audition", "Alt+A", "Memgrid", &TDeviceForm::AuditionExecute, true},
    {&TDeviceForm::Copy, "Copy", "&Copy", "Ctrl+C", "Memgrid", &TDeviceForm::CopyExecute, true},
    {&TDeviceForm::Paste, "Paste", "&Paste", "Ctrl+V", "Memgrid", &TDeviceForm::PasteExecute, true},
    {&TDeviceForm::Request, "Request", "&Request", "Ctrl+R", "Memgrid", &TDeviceForm::RequestExecute, true},
    {&TDeviceForm::Transmit, "Transmit", "&Transmit", "Ctrl+T", "Memgrid", &TDeviceForm::TransmitExecute, true},
    {&TDeviceForm::Clear, "Clear", "C&lear", "Del", "Memgrid", &TDeviceForm::ClearExecute, true},
    {&TDeviceForm::Rename, "Rename", "Rena&me", "Ctrl+M", "Memgrid", &TDeviceForm::RenameExecute, true},
    {&TDeviceForm::Export, "Export", "Ex&port", "Ctrl+E", "Memgrid", &TDeviceForm::ExportExecute, false},
    {&TDeviceForm::OpenEditSelected, "OpenEditSelected", "&Edit", "Ctrl+E", "Windows",
     &TDeviceForm::OpenEditSelectedExecute, true},
    {&TDeviceForm::SelectAll, "SelectAll", "&Select All", "Ctrl+A", "Memgrid", &TDeviceForm::SelectAllExecute, true},
    {&TDeviceForm::OpenConfiguration, "OpenConfiguration", "C&onfiguration", "Ctrl+N", "Windows",
     &TDeviceForm::configurationRequested, true},
    {&TDeviceForm::ExportSysex, "ExportSysex", "&Export Sysex", "", "File", &TDeviceForm::ExportSysexExecute, true},
    {&TDeviceForm::ImportSysex, "ImportSysex", "&Import Sysex", "", "File", &TDeviceForm::ImportSysexExecute, true},
    {&TDeviceForm::PrintSetup, "PrintSetup", "Print Setup", "Ctrl+Alt+P", "File", &TDeviceForm::printSetupRequested,
     true},
    {&TDeviceForm::PrintP, "PrintP", "&Print Preset Form", "", "File", &TDeviceForm::printPresetFormRequested, true},
    {&TDeviceForm::PrintD, "PrintD", "Print &Device List", "", "File", &TDeviceForm::printDeviceListRequested, true},
    {&TDeviceForm::PrintL, "PrintL", "Print &Library List", "", "File", &TDeviceForm::printLibraryListRequested,
     true},
    {&TDeviceForm::Save, "Save", "&Save Library", "Ctrl+S", "File", &TDeviceForm::SaveExecute, true},
    {&TDeviceForm::SaveAs, "SaveAs", "Save Library &As...", "Ctrl+Alt+S", "File", &TDeviceForm::SaveAsExecute, true},
    {&TDeviceForm::Open, "Open", "&Open Libary ...", "Ctrl+O", "File", &TDeviceForm::OpenExecute, true},
    {&TDeviceForm::CloseLib, "CloseLib", "&Close Library", "Ctrl+Alt+O", "File", &TDeviceForm::closeLibraryRequested,
     true},
    {&TDeviceForm::Undo, "Undo", "Undo", "Ctrl+Z", "", &TDeviceForm::UndoExecute, true},
    {&TDeviceForm::Redo, "Redo", "Redo", "Ctrl+Y", "", &TDeviceForm::RedoExecute, true},
    {&TDeviceForm::Print, "Print", "Print", "Ctrl+P", "File", &TDeviceForm::printRequested, true},
    // Beyond the unit's own operations: the memory back from a backup.
    {&TDeviceForm::RestoreBackup, "RestoreBackup", "&Restore Backup...", "", "File",
     &TDeviceForm::RestoreBackupExecute, true},
};

constexpr const char* SysexFilter = "Sysex files (*.syx)";

QString latin1(const std::string& s)
{
    return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

QString slotName(int slot)
{
    return latin1(GetRecordName(*DeviceMemory[slot]));
}

bool bassFamily() { return IsBassModel(ActiveDevice.Model); }

// A menu item of its own that runs `action`; its key is shown, but the
// action keeps answering to it.
QAction* itemFor(QMenu* menu, const QString& caption, QAction* action, const char* key = "")
{
    QAction* item = menu->addAction(caption);
    if (*key) {
        item->setShortcut(QKeySequence(QString::fromLatin1(key)));
        item->setShortcutContext(Qt::WidgetShortcut);
    }
    QObject::connect(item, &QAction::triggered, action, &QAction::trigger);
    return item;
}

} // namespace

void TDeviceForm::showMessage(const QString& text)
{
    messages.message(this, MessageService::Kind::Information, QString(), text, QMessageBox::Ok, QMessageBox::Ok);
}

void TDeviceForm::createActions()
{
    // The actions both librarian windows offer belong to the shared object;
    // this window carries them out.
    const std::pair<QAction* TDeviceForm::*, QAction*> sharedActions[] = {
        {&TDeviceForm::Save, librarian.Save},     {&TDeviceForm::SaveAs, librarian.SaveAs},
        {&TDeviceForm::PrintL, librarian.PrintL}, {&TDeviceForm::Undo, librarian.Undo},
        {&TDeviceForm::Redo, librarian.Redo},
    };
    for (const ActionRow& row : ActionTable) {
        QAction* action = nullptr;
        for (const auto& [member, shared] : sharedActions)
            if (member == row.member)
                action = shared;
        if (!action)
            action = new QAction(this);
        action->setText(QString::fromLatin1(row.caption));
        action->setObjectName(QString::fromLatin1(row.name));
        action->setShortcut(QKeySequence(QString::fromLatin1(row.key)));
        action->setProperty("category", QString::fromLatin1(row.category));
        connect(action, &QAction::triggered, this, row.handler);
        if (row.keyActive)
            addAction(action);
        this->*row.member = action;
        DeviceActionList.append(action);
    }
    // Undo and Redo follow the snapshots, whichever window took them.
    SetUndoStateListener([this] { undoStateChanged(); });
    undoStateChanged();

    auto* helpKey = new QAction(this);
    helpKey->setShortcut(QKeySequence(Qt::Key_F1));
    connect(helpKey, &QAction::triggered, this, &TDeviceForm::HelpKeyClick);
    addAction(helpKey);
}

void TDeviceForm::createMenus()
{
    FileM = menuBar()->addMenu(QStringLiteral("&File"));
    FileM->setObjectName(QStringLiteral("FileM"));
    FileM->addActions({Open, Save, SaveAs, CloseLib});
    FileM->addSeparator();
    FileM->addActions({ImportSysex, ExportSysex, RestoreBackup});
    FileM->addSeparator();
    PrinterSetupM = itemFor(FileM, QStringLiteral("Printer Setup"), PrintSetup, "Ctrl+Alt+P");
    PrintEditorM = itemFor(FileM, QStringLiteral("&Print Editor"), PrintP);
    PrintConfigurationM = itemFor(FileM, QStringLiteral("Print &Configuration"), PrintD);
    PrintLibraryListM = itemFor(FileM, QStringLiteral("Print &Library List"), PrintL);
    FileM->addSeparator();
    ExitM = FileM->addAction(QStringLiteral("E&xit"), this, &QWidget::close);
    connect(FileM, &QMenu::aboutToShow, this, &TDeviceForm::FileMClick);

    EditM = menuBar()->addMenu(QStringLiteral("&Edit"));
    EditM->setObjectName(QStringLiteral("EditM"));
    EditM->addActions({Undo, Redo});
    EditM->addSeparator();
    EditM->addAction(Copy);
    // Never enabled, so that Ctrl+V always reaches the Paste action.
    PasteM = itemFor(EditM, QStringLiteral("&Paste"), Paste, "Ctrl+V");
    PasteM->setEnabled(false);
    EditM->addAction(SelectAll);

    PrefsM = menuBar()->addMenu(QStringLiteral("&Preferences"));
    PrefsM->setObjectName(QStringLiteral("PrefsM"));
    SetM = PrefsM->addAction(QStringLiteral("&Set..."), this, &TDeviceForm::preferencesRequested);
    SetM->setObjectName(QStringLiteral("SetM"));
    PrefsM->addSeparator();
    connect(PrefsM, &QMenu::aboutToShow, this, &TDeviceForm::PrefsMClick);

    WindowsM = menuBar()->addMenu(QStringLiteral("&Windows"));
    WindowsM->setObjectName(QStringLiteral("WindowsM"));
    LibrarianM = WindowsM->addAction(QStringLiteral("Librarian"), this, &TDeviceForm::libraryWindowRequested);
    LibrarianM->setShortcut(QKeySequence(QStringLiteral("Ctrl+L")));
    addAction(LibrarianM);
    WindowsM->addActions({OpenEditSelected, OpenConfiguration});
    WindowsM->addSeparator();
    MinimizedM = WindowsM->addAction(QStringLiteral("Minimized"));
    MinimizedM->setCheckable(true);
    MinimizedM->setShortcut(QKeySequence(QStringLiteral("Ctrl+I")));
    connect(MinimizedM, &QAction::triggered, this, &TDeviceForm::MinimizedClick);
    addAction(MinimizedM);
    WindowsM->addSeparator();
    MidiMonitorM = WindowsM->addAction(QStringLiteral("MIDI Monitor"), this, &TDeviceForm::midiMonitorRequested);
    MidiMonitorM->setObjectName(QStringLiteral("MidiMonitorM"));

    HelpM = menuBar()->addMenu(QStringLiteral("&Help"));
    HelpM->setObjectName(QStringLiteral("HelpM"));
    ContentsM = HelpM->addAction(QStringLiteral("&Contents F1"), this, &TDeviceForm::ContentsClick);
    AboutM = HelpM->addAction(QStringLiteral("&About..."), this, &TDeviceForm::aboutRequested);

    MemoryGridPopup = new QMenu(this);
    MemoryGridPopup->setObjectName(QStringLiteral("MemoryGridPopup"));
    MemoryGridPopup->addActions({OpenEditSelected, Audition});
    MemoryGridPopup->addSeparator();
    MemoryGridPopup->addActions({Copy, Paste});
    MemoryGridPopup->addSeparator();
    MemoryGridPopup->addActions({Request, Transmit});
    MemoryGridPopup->addSeparator();
    MemoryGridPopup->addActions({Clear, Rename});
    ExportPopupM = MemoryGridPopup->addAction(Export->text());
    ExportPopupM->setShortcut(QKeySequence(QStringLiteral("Ctrl+Alt+E")));
    connect(ExportPopupM, &QAction::triggered, Export, &QAction::trigger);
    addAction(ExportPopupM);
    // The menu's enabling is for the menu only: once it closes, the keys act
    // on the current cell again, whatever the menu showed.
    connect(MemoryGridPopup, &QMenu::aboutToHide, this, [this] {
        for (QAction* action : {OpenEditSelected, Audition, Copy, Paste, Request, Transmit, Clear, Rename})
            action->setEnabled(true);
    });
}

void TDeviceForm::MemoryGridPopupPopup()
{
    const bool single = singleCell();
    OpenEditSelected->setEnabled(editBufferFocus || single);
    for (QAction* action : {Audition, Request, Transmit, Rename})
        action->setEnabled(!editBufferFocus && single);
    Clear->setEnabled(!editBufferFocus && single && !RenameInProgress());
    Copy->setEnabled(!editBufferFocus);
    Paste->setEnabled(!editBufferFocus && ClipboardList->count > 0);
}

void TDeviceForm::FileMClick()
{
    PrintEditorM->setEnabled(FamilyEditor(false).visible() || FamilyEditor(true).visible());
    PrintLibraryListM->setEnabled(libraryWindowVisible && libraryWindowVisible());
}

// ---- the unit ----

void TDeviceForm::AuditionExecute()
{
    if (editBufferFocus)
        RequestRefresh();
    else
        auditionSlot(CurrentSlot());
}

void TDeviceForm::auditionSlot(int slot)
{
    CurrentPreset->setText(slotName(slot));
    emit programChangeRequested(slot);
    RequestRefresh();
}

void TDeviceForm::prepareEditor(bool loadSlot)
{
    if (!loadSlot)
        return;
    const int slot = CurrentSlot();
    const std::string name = GetRecordName(*DeviceMemory[slot]);
    ApplyRecord(*DeviceMemory[slot], false);
    // What the editor starts from and compares with: the slot under its name.
    RecordFromModules(*OriginalRecord, name);
    RecordFromModules(*EditBufferRecord, name);
}

void TDeviceForm::OpenEditSelectedExecute()
{
    const bool loadSlot = !editBufferFocus;
    const int slot = CurrentSlot();
    if (loadSlot) {
        CurrentPreset->setText(slotName(slot));
        emit programChangeRequested(slot);
    }
    prepareEditor(loadSlot);
    RequestRefresh();
    OriginalRecord->origin = slot;
    emit editorRequested(bassFamily(), loadSlot ? slotName(slot) : QString());
    if (renameEditor)
        RenameCommit();
}

void TDeviceForm::CurrentPresetDblClick()
{
    editBufferFocus = true;
    RequestRefresh();
    // No slot of origin: a store into the library records none.
    OriginalRecord->origin = -2;
    emit editorRequested(bassFamily(), QString());
}

void TDeviceForm::RequestExecute()
{
    RequestRecordSlot(*DeviceMemory[CurrentSlot()]);
}

void TDeviceForm::TransmitExecute()
{
    SendRecordToSlot(*DeviceMemory[CurrentSlot()]);
}

void TDeviceForm::ClearExecute()
{
    // Delete belongs to the rename editor while it is open.
    if (!isActiveWindow() || renameEditor)
        return;
    if (prefs.Confirm
        && messages.message(this, MessageService::Kind::Question, QString(), QStringLiteral("Clear presets?"),
                            QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok)
               != QMessageBox::Ok)
        return;
    const int slot = CurrentSlot();
    ResetRecord(*DeviceMemory[slot]);
    RedrawSlot(slot);
    SendRecordToSlot(*DeviceMemory[slot]);
    if (prefs.AutoAud)
        AuditionExecute();
}

// ---- the grid ----

void TDeviceForm::SelectAllExecute()
{
    SetSelection(WholeMemory());
}

void TDeviceForm::RenameExecute()
{
    if (renameEditor)
        return;
    renameSlot = CurrentSlot();
    const QModelIndex cell = PresetGrid->model()->index(renameSlot / 5 + 1, renameSlot % 5 + 1);
    rememberedName = PresetGrid->item(cell.row(), cell.column())->text();
    renameEditor = new QLineEdit(rememberedName, PresetGrid->viewport());
    renameEditor->setObjectName(QStringLiteral("RenameEditor"));
    renameEditor->setFrame(false);
    renameEditor->setGeometry(PresetGrid->visualRect(cell));
    renameEditor->selectAll();
    renameEditor->installEventFilter(this);
    // A name never grows beyond 16 characters; one more is refused audibly.
    connect(renameEditor, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (text.size() <= NameLength)
            return;
        QApplication::beep();
        renameEditor->setText(text.left(NameLength));
        renameEditor->setCursorPosition(NameLength);
    });
    renameEditor->show();
    renameEditor->setFocus();
}

void TDeviceForm::RenameCommit()
{
    if (!renameEditor)
        return;
    const QString text = renameEditor->text();
    renameEditor->deleteLater();
    renameEditor = nullptr;
    TakeDeviceSnapshot();
    PresetRecord& record = *DeviceMemory[renameSlot];
    SetRecordName(record, text.toLatin1().toStdString());
    RedrawSlot(renameSlot);
    SendRecordToSlot(record);
    PresetGrid->setFocus();
}

void TDeviceForm::RenameCancel()
{
    if (!renameEditor)
        return;
    renameEditor->deleteLater();
    renameEditor = nullptr;
    RedrawSlot(renameSlot);
    PresetGrid->setFocus();
}

// ---- clipboard and undo ----

void TDeviceForm::undoStateChanged()
{
    Undo->setEnabled(UndoState.undoEnabled);
    Redo->setEnabled(UndoState.redoEnabled);
}

void TDeviceForm::showWrite(const GridWrite& write)
{
    for (int slot : write.writtenSlots)
        RedrawSlot(slot);
    if (!write.selection.isNull())
        SetSelection(write.selection);
    if (write.libraryChanged)
        emit libraryListChanged();
}

void TDeviceForm::CopyExecute()
{
    CopyGridSelection(selection, CurrentPreset->text());
}

void TDeviceForm::PasteExecute()
{
    if (renameEditor)
        return;
    const GridWrite write = PasteIntoGrid(*ClipboardList, selection, questions);
    showWrite(write);
    if (write.written && prefs.AutoAud)
        AuditionExecute();
}

void TDeviceForm::UndoExecute()
{
    showRestored(UndoLastChange());
}

void TDeviceForm::RedoExecute()
{
    showRestored(RedoLastChange());
}

// After an undo or redo: the device side redraws the whole grid, the
// library side tells the library window.
void TDeviceForm::showRestored(UndoTarget target)
{
    if (target == UndoTarget::Device)
        for (int slot = 0; slot < SlotCount; ++slot)
            RedrawSlot(slot);
    else if (target == UndoTarget::Library)
        emit libraryListChanged();
}

// ---- drag and drop ----

void TDeviceForm::PresetGridStartDrag()
{
    dragSelection = selection;
    CollectSelection(selection, CurrentPreset->text(), *DragList);
    ListTrace(*DragList, "PresetGridStartDrag DragLibPresets");
}

void TDeviceForm::CurrentPresetStartDrag()
{
    RequestRefresh();
    ListClear(*DragList);
}

bool TDeviceForm::PresetGridDragOver(DragSource source, QPoint cell)
{
    if (source == DragSource::None)
        return false;
    return GridDropAllowed(cell, dragSelection, source == DragSource::Grid);
}

void TDeviceForm::PresetGridDragDrop(DragSource source, QPoint cell)
{
    if (!PresetGridDragOver(source, cell))
        return;
    if (source == DragSource::Files && !ReadDroppedFiles(droppedFiles, questions))
        showMessage(QStringLiteral("Unable to Load the file"));
    QRect from = NoSelection();
    if (source == DragSource::CurrentPreset) {
        // The edit buffer as it is at the drop, under the field's name.
        CollectEditBuffer(CurrentPreset->text(), *DragList);
        dragCopyMode = true;
    } else if (source == DragSource::Grid) {
        from = dragSelection;
    }
    const bool linear = DragList->columns == 0;
    const GridWrite write = DropOnGrid(*DragList, cell, from, dragCopyMode, questions);
    showWrite(write);
    // The unit is to play what was dropped, not the cell that was current.
    if (write.written && linear && prefs.AutoAud)
        auditionSlot(SlotAt(cell));
}

void TDeviceForm::CurrentPresetDragDrop()
{
    AuditionExecute();
}

// ---- files ----

QString TDeviceForm::dialogDirectory() const
{
    return startDirectory.isEmpty() ? prefs.Dir : startDirectory;
}

QString TDeviceForm::askSaveName(const QString& title, const QString& filter, const QString& proposed)
{
    const QString dir = dialogDirectory();
    const QString start = proposed.isEmpty() ? dir : dir.isEmpty() ? proposed : QDir(dir).filePath(proposed);
    return messages.askSaveFile(this, title, start, filter);
}

QString TDeviceForm::askOpenName(const QString& title, const QString& filter)
{
    return messages.openFileName(this, title, dialogDirectory(), filter);
}

void TDeviceForm::exportSysex(int index, const QString& title)
{
    // Preset names may hold dots and trailing blanks; only the dump
    // extension is taken off.
    QString proposed = LastExportName;
    if (proposed.endsWith(QStringLiteral(".syx"), Qt::CaseInsensitive))
        proposed.chop(4);
    const QString file = askSaveName(title, QLatin1String(SysexFilter), proposed.trimmed());
    if (file.isEmpty())
        return;
    if (ExportDump(index, file) != FileResult::Ok) {
        showMessage(QStringLiteral("Unable to Save the file"));
        return;
    }
    const QFileInfo info(file);
    QString name = info.fileName();
    if (!info.suffix().isEmpty())
        name.chop(info.suffix().size() + 1);
    LastExportName = name;
    startDirectory = info.absolutePath();
}

void TDeviceForm::ExportExecute()
{
    if (editBufferFocus) {
        LastExportName = CurrentPreset->text();
        RequestRefresh();
        exportSysex(dump::EditBufferNumber, QStringLiteral("Export Preset to file.."));
    } else if (!NothingSelected(selection) && !singleCell()) {
        // With a library open the selection is written as a library of its
        // own, and the open library stays the current one.
        if (LibraryList->count == 0) {
            SaveAsExecute();
        } else {
            PresetRecordList selected;
            ListInit(selected);
            CollectSelection(selection, CurrentPreset->text(), selected);
            saveLibraryList(selected);
            ListClear(selected);
        }
    } else {
        const int slot = CurrentSlot();
        LastExportName = slotName(slot);
        exportSysex(slot, QStringLiteral("Export Preset to file.."));
    }
}

void TDeviceForm::ExportSysexExecute()
{
    exportSysex(-1, QStringLiteral("Export All Presets to file.."));
}

void TDeviceForm::ImportSysexExecute()
{
    const QString file = askOpenName(QStringLiteral("Import Preset(s) from file.."), QLatin1String(SysexFilter));
    if (!file.isEmpty())
        importDump(file);
}

void TDeviceForm::RestoreBackupExecute()
{
    const QString folder = backup::BackupLocation(prefs.Dir).folder;
    // The virtual unit may take the memory of any unit of its family.
    const std::string unit = ActiveDevice.isVirtual() ? std::string() : ActiveDevice.DeviceKey;
    const int length = ImageLengthFor(uint32_t(ActiveDevice.Model));
    std::vector<TRestoreBackupForm::Choice> choices;
    for (backup::Entry& e : backup::ListBackups(folder, unit)) {
        backup::MemoryImages images;
        if (backup::ReadBackup(e.path, images) && images.imageLength == length)
            choices.push_back({std::move(e), std::move(images)});
    }
    if (choices.empty()) {
        showMessage(QStringLiteral("No backups of this unit in %1").arg(QDir::toNativeSeparators(folder)));
        return;
    }
    TRestoreBackupForm form(std::move(choices), backup::CurrentMemory(ActiveDevice.Model), this);
    if (form.exec() == QDialog::Accepted && !form.chosenPath().isEmpty())
        importDump(form.chosenPath());
}

void TDeviceForm::importDump(const QString& file)
{
    // The question comes after the header was understood and before
    // anything is read or replaced.
    const dump::ImportPeek peek = dump::PeekImport(file, CurrentSlot());
    dump::ImportResult result = peek.refused;
    if (peek.form != dump::Form::Other)
        result = prefs.Confirm && !messages.confirm(this, ReplaceQuestion(peek.form))
            ? dump::ImportResult::Cancelled
            : ImportDumpToMemory(file, CurrentSlot());
    if (result == dump::ImportResult::NotLoaded) {
        showMessage(QStringLiteral("Unable to Load the file or unknown format"));
        return;
    }
    // A refused or cancelled import is handled all the same.
    const QString error = ImportErrorText(result);
    if (!error.isEmpty())
        messages.error(this, error);
    for (int slot = 0; slot < SlotCount; ++slot)
        RedrawSlot(slot);
    if (prefs.AutoAud)
        AuditionExecute();
    emit sysexImported(file);
}

void TDeviceForm::OpenExecute()
{
    const QString filter = bassFamily() ? QStringLiteral("Bass DRUX Library files (*.blb)")
                                        : QStringLiteral("Drux Library files (*.dlb)");
    // Unsaved changes are offered for saving before the list is replaced.
    if (librarian.libraryMayBeReplaced && !librarian.libraryMayBeReplaced())
        return;
    const QString file = askOpenName(QStringLiteral("Open Library.."), filter);
    if (file.isEmpty())
        return;
    if (ReadLibraryFile(*LibraryList, file) != FileResult::Ok) {
        showMessage(QStringLiteral("Unable to Load the file"));
        return;
    }
    LibraryFileName = QFileInfo(file).absoluteFilePath();
    emit libraryOpened(LibraryFileName);
}

void TDeviceForm::SaveExecute()
{
    if (LibraryFileName.isEmpty() || WriteLibraryFile(*LibraryList, LibraryFileName) != FileResult::Ok)
        SaveAsExecute();
}

QString TDeviceForm::saveLibraryList(const PresetRecordList& list)
{
    const QString filter = bassFamily() ? QStringLiteral("Bass DRUX Library files (*.blb)")
                                        : QStringLiteral("DRUX Library files (*.dlb)");
    const QString file = askSaveName(QStringLiteral("Save Library to file.."), filter,
                                     QFileInfo(LibraryFileName).completeBaseName());
    if (file.isEmpty())
        return QString();
    if (WriteLibraryFile(list, file) != FileResult::Ok) {
        showMessage(QStringLiteral("Unable to Save the file"));
        return QString();
    }
    const QFileInfo info(file);
    startDirectory = info.absolutePath();
    return info.absoluteFilePath();
}

void TDeviceForm::SaveAsExecute()
{
    SaveLibraryAs();
}

bool TDeviceForm::SaveLibraryAs()
{
    // A device selection is saved as a new library; when nothing is written
    // the library is empty again, as it was.
    const bool collected = LibraryList->count == 0;
    if (collected)
        CollectSelection(selection, CurrentPreset->text(), *LibraryList);
    const QString file = saveLibraryList(*LibraryList);
    if (file.isEmpty()) {
        if (collected)
            ListClear(*LibraryList);
        return false;
    }
    LibraryFileName = file;
    emit librarySaved(LibraryFileName);
    return true;
}

// ---- help ----

void TDeviceForm::ContentsClick()
{
    help.openUrl(QUrl::fromLocalFile(QCoreApplication::applicationDirPath() + QStringLiteral("/drux_help.html")));
}

void TDeviceForm::HelpKeyClick()
{
    QUrl url;
    url.setScheme(QStringLiteral("file"));
    url.setHost(QStringLiteral("localhost"));
    url.setPath(QCoreApplication::applicationDirPath() + QStringLiteral("/Drux_Help.html"));
    url.setFragment(QString::fromLatin1(HelpAnchor + 1));
    help.openUrl(url);
}
