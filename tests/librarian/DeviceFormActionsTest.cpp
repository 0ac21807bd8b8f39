#include <QFile>
#include <QFileInfo>

#include "files/DumpFile.h"
#include "files/LibraryFile.h"
#include "librarian/DeviceFormFixture.h"
#include "midi/LoopbackDriver.h"
#include "midi/MidiPorts.h"
#include "midi/PortsUnitLink.h"
#include "midi/Protocol.h"

namespace {

using Controllers = std::vector<std::pair<int, int>>;
const Controllers ReportAll{{80, 80}};

TEST_F(DeviceFormTest, KeysAndClicksReachTheUnitForTheCurrentSlot)
{
    activate();
    click(3, 2); // slot 7
    QTest::keyClick(form->PresetGrid, Qt::Key_T, Qt::ControlModifier);
    QTest::keyClick(form->PresetGrid, Qt::Key_R, Qt::ControlModifier);
    QTest::keyClick(form->PresetGrid, Qt::Key_A, Qt::AltModifier);
    EXPECT_EQ(unit.dumpSlots, std::vector<int>{7});
    EXPECT_EQ(unit.requests, std::vector<int>{7});
    EXPECT_EQ(programChanges, std::vector<int>{7});
    EXPECT_EQ(unit.controllers, ReportAll);

    // Auto Audition: every click, also on the cell already selected; the
    // virtual unit is not asked for its settings.
    ActiveDevice.DeviceKey = "DEV0";
    CurrentPreferences.AutoAud = 1;
    name(124, "Lead");
    click(5, 25);
    click(5, 25);
    EXPECT_EQ(programChanges, (std::vector<int>{7, 124, 124}));
    EXPECT_EQ(form->CurrentPreset->text(), QStringLiteral("Lead            "));
    EXPECT_EQ(unit.controllers, ReportAll);
}

// With Auto Audition on, the click auditions and the double-click edits:
// the unit is told to load the slot once for each.
TEST_F(DeviceFormTest, ADoubleClickAuditionsOnceForTheClickAndOnceForEdit)
{
    activate();
    CurrentPreferences.AutoAud = 1;
    QSignalSpy editor(form.get(), &TDeviceForm::editorRequested);
    // A double-click as the platform delivers it: press, release, press,
    // double-click, release.
    QWidget* grid = form->PresetGrid->viewport();
    QTest::mouseClick(grid, Qt::LeftButton, {}, cellCentre(3, 2));
    QTest::mousePress(grid, Qt::LeftButton, {}, cellCentre(3, 2));
    QTest::mouseDClick(grid, Qt::LeftButton, {}, cellCentre(3, 2));
    QTest::mouseRelease(grid, Qt::LeftButton, {}, cellCentre(3, 2));
    EXPECT_EQ(editor.count(), 1);
    EXPECT_EQ(programChanges, (std::vector<int>{7, 7}));
    EXPECT_EQ(unit.controllers, (Controllers{{80, 80}, {80, 80}}));
}

TEST_F(DeviceFormTest, WithNothingSelectedTheActionsTakeSlotZero)
{
    activate();
    click(4, 20);
    QTest::keyClick(form->PresetGrid, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(form->Selection(), WholeMemory());
    QTest::mouseClick(form->Label1, Qt::LeftButton);
    EXPECT_EQ(form->Selection(), NoSelection());
    name(0, "First");
    CurrentPreferences.AutoAud = 1;
    form->TransmitExecute();
    form->RequestExecute();
    form->ClearExecute();
    EXPECT_EQ(unit.dumpSlots, (std::vector<int>{0, 0}));
    EXPECT_EQ(unit.requests, std::vector<int>{0});
    EXPECT_EQ(cellText(0), QStringLiteral("USER PRESET     "));
    EXPECT_EQ(programChanges, std::vector<int>{0});
}

TEST_F(DeviceFormTest, ClearAsksOnlyUnderConfirmAndOnlyInTheActiveWindow)
{
    name(9, "Keep me");
    form->SelectSlot(9);
    form->ClearExecute();
    EXPECT_EQ(cellText(9), QStringLiteral("Keep me         "));

    activate();
    const struct {
        int confirm;
        QMessageBox::StandardButton answer;
        bool cleared;
    } cases[] = {{1, QMessageBox::Cancel, false}, {1, QMessageBox::Ok, true}, {0, QMessageBox::Cancel, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.confirm * 10 + int(c.cleared));
        dialogs.texts.clear();
        unit.dumpSlots.clear();
        name(9, "Keep me");
        CurrentPreferences.Confirm = c.confirm;
        dialogs.answer = c.answer;
        QTest::keyClick(form->PresetGrid, Qt::Key_Delete);
        EXPECT_EQ(dialogs.texts, c.confirm ? QStringList{QStringLiteral("Clear presets?")} : QStringList());
        EXPECT_EQ(cellText(9), c.cleared ? QStringLiteral("USER PRESET     ") : QStringLiteral("Keep me         "));
        EXPECT_EQ(unit.dumpSlots, c.cleared ? std::vector<int>{9} : std::vector<int>{});
    }
    EXPECT_TRUE(programChanges.empty());
}

TEST_F(DeviceFormTest, RenameCommitsSixteenCharactersCancelsAndCommitsOnAnotherCell)
{
    activate();
    click(2, 1); // slot 1
    QTest::keyClick(form->PresetGrid, Qt::Key_M, Qt::ControlModifier);
    ASSERT_TRUE(form->RenameInProgress());
    EXPECT_EQ(form->RenameEditor()->selectedText(), QStringLiteral("USER PRESET     "));
    QTest::keyClicks(form->RenameEditor(), QStringLiteral("Seventeen chars!!"));
    EXPECT_EQ(form->RenameEditor()->text(), QStringLiteral("Seventeen chars!"));
    QTest::keyClick(form->RenameEditor(), Qt::Key_Return);
    EXPECT_FALSE(form->RenameInProgress());
    EXPECT_EQ(GetRecordName(*DeviceMemory[1]), "Seventeen chars!");
    EXPECT_EQ(unit.dumpSlots, std::vector<int>{1});

    // Delete belongs to the editor, Escape leaves the name.
    form->RenameExecute();
    QTest::keyClicks(form->RenameEditor(), QStringLiteral("Gone"));
    QTest::keyClick(form->RenameEditor(), Qt::Key_Left);
    QTest::keyClick(form->RenameEditor(), Qt::Key_Delete);
    EXPECT_EQ(form->RenameEditor()->text(), QStringLiteral("Gon"));
    QTest::keyClick(form->RenameEditor(), Qt::Key_Escape);
    EXPECT_EQ(cellText(1), QStringLiteral("Seventeen chars!"));
    EXPECT_EQ(unit.dumpSlots.size(), 1u);

    form->RenameExecute();
    QTest::keyClicks(form->RenameEditor(), QStringLiteral("Clean"));
    click(3, 3);
    EXPECT_FALSE(form->RenameInProgress());
    EXPECT_EQ(cellText(1), QStringLiteral("Clean           "));
    EXPECT_EQ(form->Selection(), QRect(QPoint(3, 3), QPoint(3, 3)));
    form->RenameExecute();
    QTest::keyClicks(form->RenameEditor(), QStringLiteral("Down"));
    QTest::keyClick(form->RenameEditor(), Qt::Key_Down);
    EXPECT_FALSE(form->RenameInProgress());
    EXPECT_EQ(cellText(12), QStringLiteral("Down            "));
}

// A rename ends before the focus moves, wherever it goes; the focus may
// not move into the selection, by click or by cursor key.
TEST_F(DeviceFormTest, ARenameIsCommittedFirstAndTheFocusStaysOutOfTheSelection)
{
    activate();
    click(2, 2);
    click(3, 3, Qt::ShiftModifier); // the current cell: slot 12
    const QRect range(QPoint(2, 2), QPoint(3, 3));
    QTest::keyClick(form->PresetGrid, Qt::Key_M, Qt::ControlModifier);
    ASSERT_TRUE(form->RenameInProgress());
    QTest::keyClicks(form->RenameEditor(), QStringLiteral("Inside"));
    click(2, 2);
    EXPECT_FALSE(form->RenameInProgress());
    EXPECT_EQ(cellText(12), QStringLiteral("Inside          "));
    EXPECT_EQ(form->Selection(), range);

    QTest::keyClick(form->PresetGrid, Qt::Key_Left);
    EXPECT_EQ(form->CurrentSlot(), 12);
    EXPECT_EQ(form->Selection(), range);
    QTest::keyClick(form->PresetGrid, Qt::Key_Right);
    EXPECT_EQ(form->CurrentSlot(), 13);
    EXPECT_EQ(form->Selection(), QRect(QPoint(4, 3), QPoint(4, 3)));
}

TEST_F(DeviceFormTest, EditBufferFocusDecidesTheSubject)
{
    activate();
    name(6, "Slot six");
    click(2, 2);
    EXPECT_FALSE(form->EditBufferFocus());
    QSignalSpy editor(form.get(), &TDeviceForm::editorRequested);

    // Ctrl+E edits (and does not export) the slot.
    QTest::keyClick(form->PresetGrid, Qt::Key_E, Qt::ControlModifier);
    EXPECT_TRUE(dialogs.saves.empty());
    ASSERT_EQ(editor.count(), 1);
    EXPECT_EQ(editor[0][1].toString(), QStringLiteral("Slot six        "));
    EXPECT_EQ(programChanges, std::vector<int>{6});
    EXPECT_EQ(OriginalRecord->origin, 6);
    EXPECT_EQ(GetRecordName(*OriginalRecord), "Slot six        ");

    // A press on the Current Preset field: the edit buffer, no program change,
    // and the editor goes on with what it holds: no name is handed to it and
    // the records it compares with stay.
    QTest::mouseClick(form->CurrentPreset, Qt::LeftButton);
    EXPECT_TRUE(form->EditBufferFocus());
    unit.controllers.clear();
    SetRecordName(*OriginalRecord, "Being edited");
    QTest::keyClick(form->CurrentPreset, Qt::Key_A, Qt::AltModifier);
    QTest::keyClick(form->CurrentPreset, Qt::Key_E, Qt::ControlModifier);
    EXPECT_EQ(programChanges, std::vector<int>{6});
    EXPECT_EQ(unit.controllers, (Controllers{{80, 80}, {80, 80}}));
    ASSERT_EQ(editor.count(), 2);
    EXPECT_TRUE(editor[1][1].toString().isEmpty());
    EXPECT_EQ(GetRecordName(*OriginalRecord), "Being edited    ");
    QTest::mouseDClick(form->CurrentPreset, Qt::LeftButton);
    ASSERT_EQ(editor.count(), 3);
    EXPECT_TRUE(editor[2][1].toString().isEmpty());
    EXPECT_EQ(OriginalRecord->origin, -2);

    form->CurrentPreset->setText(QStringLiteral("Buffer"));
    form->ExportExecute();
    ASSERT_EQ(dialogs.saves.size(), 1u);
    EXPECT_EQ(dialogs.saves[0].caption, QStringLiteral("Export Preset to file.."));
    EXPECT_EQ(dialogs.saves[0].start, QStringLiteral("Buffer"));
}

// Through the real port layer and protocol, wired as the program wires them.
TEST_F(DeviceFormTest, TheUnitReceivesTheBytes)
{
    auto owned = std::make_unique<LoopbackDriver>(std::vector<std::string>{"In"}, std::vector<std::string>{"Out"});
    LoopbackDriver* driver = owned.get();
    MidiPorts ports(std::move(owned));
    ports.Enumerate();
    ASSERT_TRUE(ports.Open());
    Protocol protocol(ports);
    PortsUnitLink link(ports, &protocol);
    SetUnitLink(&link);
    QObject::connect(form.get(), &TDeviceForm::programChangeRequested, &ports, &MidiPorts::SendProgramChange);

    form->SelectSlot(13);
    form->AuditionExecute();
    form->TransmitExecute();
    form->RequestExecute();
    protocol.UploadTimer.stop();
    SetUnitLink(&unit);
    ASSERT_EQ(driver->sent.size(), 4u);
    EXPECT_EQ(driver->sent[0].second, (std::vector<uint8_t>{0xC0, 13}));
    EXPECT_EQ(driver->sent[1].second, (std::vector<uint8_t>{0xB0, 80, 80}));
    EXPECT_EQ(driver->sent[2].second.size(), size_t(GuitarImageLength + 10));
    EXPECT_EQ(driver->sent[2].second[7], 13); // the dump is addressed to the slot
    EXPECT_EQ(protocol.RequestedPreset, 13);
    EXPECT_EQ(protocol.RetryBudget, 5);
}

// ---- dump files ----

TEST_F(DeviceFormTest, ExportsWriteDumpsAndRememberNameAndFolder)
{
    name(2, "Crunch");
    name(124, "Last");
    form->SelectSlot(2);
    dialogs.fileAnswers = {QString(), path(QStringLiteral("crunch")), path(QStringLiteral("all.syx"))};
    form->ExportExecute(); // cancelled
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
    form->ExportExecute();
    ASSERT_EQ(dialogs.saves.size(), 2u);
    EXPECT_EQ(dialogs.saves[1].caption, QStringLiteral("Export Preset to file.."));
    EXPECT_EQ(dialogs.saves[1].filter, QStringLiteral("Sysex files (*.syx)"));
    EXPECT_EQ(dialogs.saves[1].start, QStringLiteral("Crunch"));
    QFile one(path(QStringLiteral("crunch.syx")));
    ASSERT_TRUE(one.open(QIODevice::ReadOnly));
    const QByteArray bytes = one.readAll();
    ASSERT_EQ(bytes.size(), GuitarImageLength + 10);
    EXPECT_EQ(bytes.left(8), QByteArray::fromHex("F00020320011207F")); // F0, id, device, model, command, 127
    EXPECT_EQ(bytes.mid(9 + GuitarImageLength - 16, 16), QByteArray("Crunch          "));
    EXPECT_EQ(LastExportName, QStringLiteral("crunch"));

    // Both dialogs now start in that folder.
    form->ExportSysexExecute();
    form->ImportSysexExecute();
    EXPECT_EQ(dialogs.saves[2].caption, QStringLiteral("Export All Presets to file.."));
    EXPECT_EQ(dialogs.saves[2].start, QDir(dir.path()).filePath(QStringLiteral("crunch")));
    EXPECT_EQ(dialogs.opens.at(0).caption, QStringLiteral("Import Preset(s) from file.."));
    EXPECT_EQ(dialogs.opens.at(0).start, dir.path());
    QFile all(path(QStringLiteral("all.syx")));
    ASSERT_TRUE(all.open(QIODevice::ReadOnly));
    const QByteArray memory = all.readAll();
    ASSERT_EQ(memory.size(), dump::AllPresetsSize(GuitarImageLength));
    EXPECT_EQ(memory.mid(memory.size() - 17, 16), QByteArray("Last            "));
}

// Typing a name without its extension in Qt's own save dialog: the dialog
// adds the extension and asks before replacing the file of that name.
TEST_F(DeviceFormTest, SaveDialogsAskBeforeReplacingAFileTypedWithoutItsExtension)
{
    activate();
    CurrentPreferences.Dir = dir.path();
    dialogs.realSaveDialog = true;
    for (const char* file : {"crunch.syx", "crunch.dlb"}) {
        QFile old(path(QString::fromLatin1(file)));
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old");
    }
    name(2, "Crunch");
    click(3, 1);
    QStringList asked;
    SaveAs(QStringLiteral("crunch"), QMessageBox::No, &asked);
    QTest::keyClick(form->PresetGrid, Qt::Key_E, Qt::ControlModifier | Qt::AltModifier);
    SaveAs(QStringLiteral("crunch"), QMessageBox::No, &asked);
    choose(form->FileM, form->ExportSysex);
    SaveAs(QStringLiteral("crunch"), QMessageBox::No, &asked);
    activate();
    QTest::keyClick(form->PresetGrid, Qt::Key_S, Qt::ControlModifier | Qt::AltModifier);
    ASSERT_EQ(dialogs.saves.size(), 3u);
    EXPECT_EQ(asked, (QStringList{QStringLiteral("crunch.syx already exists.\nDo you want to replace it?"),
                                  QStringLiteral("crunch.syx already exists.\nDo you want to replace it?"),
                                  QStringLiteral("crunch.dlb already exists.\nDo you want to replace it?")}));
    for (const char* file : {"crunch.syx", "crunch.dlb"})
        EXPECT_EQ(QFileInfo(path(QString::fromLatin1(file))).size(), 3) << file;
    EXPECT_EQ(LibraryFileName, QString());

    // A dialog that hands back the bare name (as some desktops' own dialogs
    // do) has asked about nothing: the window asks.
    dialogs.realSaveDialog = false;
    dialogs.fileAnswers = {path(QStringLiteral("crunch"))};
    activate();
    QTest::keyClick(form->PresetGrid, Qt::Key_E, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(dialogs.texts, QStringList{QStringLiteral("crunch.syx already exists.\nDo you want to replace it?")});
    EXPECT_EQ(QFileInfo(path(QStringLiteral("crunch.syx"))).size(), 3);
    dialogs.realSaveDialog = true;

    SaveAs(QStringLiteral("crunch"), QMessageBox::Yes, &asked);
    activate();
    QTest::keyClick(form->PresetGrid, Qt::Key_E, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(asked.size(), 4);
    EXPECT_EQ(QFileInfo(path(QStringLiteral("crunch.syx"))).size(), GuitarImageLength + 10);
}

TEST_F(DeviceFormTest, AFailedExportSaysSoAndChangesNoStartFolder)
{
    CurrentPreferences.Dir = QStringLiteral("/start");
    dialogs.fileAnswers = {path(QStringLiteral("missing/folder/all.syx"))};
    form->ExportSysexExecute();
    EXPECT_EQ(dialogs.texts, QStringList{QStringLiteral("Unable to Save the file")});
    EXPECT_EQ(LastExportName, QString());
    form->ImportSysexExecute();
    EXPECT_EQ(dialogs.opens.at(0).start, QStringLiteral("/start"));
}

TEST_F(DeviceFormTest, ImportPutsOnePresetIntoTheCurrentSlotOrSaysItCannot)
{
    PresetRecord source;
    InitRecord(source, -1);
    SetRecordName(source, "Imported");
    const QString good = path(QStringLiteral("one.syx"));
    ASSERT_EQ(ExportRecordDump(source, good), FileResult::Ok);
    // A proper header, but three bytes too many for one preset.
    QFile longer(path(QStringLiteral("long.syx")));
    ASSERT_TRUE(QFile::copy(good, longer.fileName()));
    ASSERT_TRUE(longer.open(QIODevice::Append));
    longer.write("\1\2\3");
    longer.close();

    QSignalSpy imported(form.get(), &TDeviceForm::sysexImported);
    form->SelectSlot(20);
    CurrentPreferences.AutoAud = 1;
    dialogs.fileAnswers = {longer.fileName(), path(QStringLiteral("nothing.syx")), good};
    for (int i = 0; i < 3; ++i)
        form->ImportSysexExecute();
    EXPECT_EQ(dialogs.texts, QStringList(2, QStringLiteral("Unable to Load the file or unknown format")));
    EXPECT_EQ(cellText(20), QStringLiteral("Imported        "));
    EXPECT_EQ(unit.dumpSlots, std::vector<int>{20});
    EXPECT_EQ(programChanges, std::vector<int>{20});
    ASSERT_EQ(imported.count(), 1);
    EXPECT_EQ(imported[0][0].toString(), good);
}

// Under "Confirm" the device window asks before an import replaces presets,
// and No changes nothing; a dump of the other family, and an all-presets
// import whose memory cannot be backed up, say why nothing changed.
TEST_F(DeviceFormTest, ImportAsksUnderConfirmAndSaysWhyNothingChanged)
{
    const QString replaceOne = QStringLiteral("Replace Selected Preset ?");
    const QString replaceAll = QStringLiteral(
        "Replace All Presets ?\nIf you want to do this, first press \"Edit\", then \"Midi\" on your Drux.");
    PresetRecord source;
    InitRecord(source, -1);
    SetRecordName(source, "Imported");
    const QString one = path(QStringLiteral("one.syx"));
    const QString all = path(QStringLiteral("all.syx"));
    const QString bass = path(QStringLiteral("bass.syx"));
    ASSERT_EQ(ExportRecordDump(source, one), FileResult::Ok);
    ASSERT_EQ(ExportDump(-1, all), FileResult::Ok);
    QFile other(bass);
    ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    other.write(QByteArray::fromHex("F0002032001320") + char(127) + char(BassImageLength)
                + QByteArray(BassImageLength, 1) + char(0xF7));
    other.close();

    form->SelectSlot(20);
    const QString before = cellText(20);
    CurrentPreferences.Confirm = 1;
    dialogs.answer = QMessageBox::No;
    dialogs.fileAnswers = {one, all};
    form->ImportSysexExecute();
    form->ImportSysexExecute();
    EXPECT_EQ(dialogs.texts, (QStringList{replaceOne, replaceAll}));
    EXPECT_EQ(cellText(20), before);
    EXPECT_TRUE(unit.dumpSlots.empty());
    EXPECT_EQ(unit.memoryDumps, 0);

    dialogs.answer = QMessageBox::Yes;
    dialogs.texts.clear();
    dialogs.fileAnswers = {one, bass};
    form->ImportSysexExecute();
    form->ImportSysexExecute();
    EXPECT_EQ(dialogs.texts, (QStringList{replaceOne, QStringLiteral("Sysex Dump is not compatible")}));
    EXPECT_EQ(cellText(20), QStringLiteral("Imported        "));
    EXPECT_EQ(unit.dumpSlots, std::vector<int>{20});

    // No folder for backups anywhere: the unit keeps its memory.
    const QString blocked = path(QStringLiteral("blocked"));
    QFile block(blocked);
    ASSERT_TRUE(block.open(QIODevice::WriteOnly));
    block.close();
    CurrentPreferences.Confirm = 0;
    CurrentPreferences.Dir = blocked;
    const QByteArray dataHome = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", blocked.toLocal8Bit());
    dialogs.texts.clear();
    dialogs.fileAnswers = {all};
    form->ImportSysexExecute();
    qputenv("XDG_DATA_HOME", dataHome);
    EXPECT_EQ(dialogs.texts, QStringList{QStringLiteral("Unable to back up the memory of the Drux.\nNothing was sent.")});
    EXPECT_EQ(unit.memoryDumps, 0);
    EXPECT_EQ(cellText(20), QStringLiteral("Imported        "));
}

// ---- libraries ----

TEST_F(DeviceFormTest, ExportOfSeveralCellsSavesThemAsANewLibrary)
{
    activate();
    const char* names[] = {"a1", "a2", "b1", "b2"};
    for (int i = 0; i < 4; ++i)
        name(6 + i % 2 + i / 2 * 5, names[i]);
    click(2, 2);
    click(3, 3, Qt::ShiftModifier);
    dialogs.fileAnswers = {path(QStringLiteral("pair"))};
    QSignalSpy saved(form.get(), &TDeviceForm::librarySaved);
    form->ExportPopupM->trigger();
    ASSERT_EQ(dialogs.saves.size(), 1u);
    EXPECT_EQ(dialogs.saves[0].caption, QStringLiteral("Save Library to file.."));
    EXPECT_EQ(dialogs.saves[0].filter, QStringLiteral("DRUX Library files (*.dlb)"));
    const QString file = QFileInfo(path(QStringLiteral("pair.dlb"))).absoluteFilePath();
    EXPECT_EQ(LibraryFileName, file);
    EXPECT_EQ(saved.value(0).value(0).toString(), file);

    PresetRecordList read;
    ListInit(read);
    ASSERT_EQ(ReadLibraryFile(read, file), FileResult::Ok);
    ASSERT_EQ(read.count, 4);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(GetRecordName(read.at(i)).substr(0, 2), names[i]);
    EXPECT_EQ(read.at(2).origin, 11);

    // With that library open, an export of the selection writes just the
    // selection and the open library stays the current one.
    name(7, "c1");
    click(1, 10);
    click(3, 2);
    click(3, 3, Qt::ShiftModifier);
    dialogs.fileAnswers = {path(QStringLiteral("column"))};
    QTest::keyClick(form->PresetGrid, Qt::Key_E, Qt::ControlModifier | Qt::AltModifier);
    PresetRecordList column;
    ListInit(column);
    ASSERT_EQ(ReadLibraryFile(column, path(QStringLiteral("column.dlb"))), FileResult::Ok);
    ASSERT_EQ(column.count, 2);
    EXPECT_EQ(GetRecordName(column.at(0)).substr(0, 2), "c1");
    EXPECT_EQ(GetRecordName(column.at(1)).substr(0, 2), "b2");
    EXPECT_EQ(LibraryList->count, 4);
    EXPECT_EQ(LibraryFileName, file);
    EXPECT_EQ(saved.count(), 1);
}

TEST_F(DeviceFormTest, ACancelledSaveAsLeavesAnEmptyLibraryEmpty)
{
    activate();
    click(2, 2);
    click(3, 3, Qt::ShiftModifier);
    QTest::keyClick(form->PresetGrid, Qt::Key_S, Qt::ControlModifier | Qt::AltModifier);
    ASSERT_EQ(dialogs.saves.size(), 1u);
    EXPECT_EQ(LibraryList->count, 0);
    dialogs.fileAnswers = {path(QStringLiteral("no/such/folder/x"))};
    QTest::keyClick(form->PresetGrid, Qt::Key_S, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(dialogs.texts, QStringList{QStringLiteral("Unable to Save the file")});
    EXPECT_EQ(LibraryList->count, 0);
}

TEST_F(DeviceFormTest, OpenReadsTheLibraryOrSaysItCannot)
{
    CurrentPreferences.Dir = QStringLiteral("/start");
    for (int i = 0; i < 3; ++i)
        ListAdd(*LibraryList, DeviceMemory[i]);
    const QString good = path(QStringLiteral("three.dlb"));
    ASSERT_EQ(WriteLibraryFile(*LibraryList, good), FileResult::Ok);
    ListRemove(*LibraryList, 0);
    QFile bad(path(QStringLiteral("bad.dlb")));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write(QByteArray(40, 'x'));
    bad.close();

    QSignalSpy opened(form.get(), &TDeviceForm::libraryOpened);
    dialogs.fileAnswers = {QString(), bad.fileName()};
    form->OpenExecute();
    form->OpenExecute();
    EXPECT_EQ(dialogs.texts, QStringList{QStringLiteral("Unable to Load the file")});
    EXPECT_EQ(LibraryList->count, 2);
    EXPECT_EQ(LibraryFileName, QString());
    EXPECT_EQ(opened.count(), 0);

    dialogs.fileAnswers = {good};
    form->OpenExecute();
    EXPECT_EQ(dialogs.opens[2].caption, QStringLiteral("Open Library.."));
    EXPECT_EQ(dialogs.opens[2].filter, QStringLiteral("Drux Library files (*.dlb)"));
    EXPECT_EQ(LibraryList->count, 3);
    EXPECT_EQ(LibraryFileName, good);
    EXPECT_EQ(opened.value(0).value(0).toString(), good);
    // Opening leaves the start folder of the dialogs alone.
    form->OpenExecute();
    EXPECT_EQ(dialogs.opens[3].start, QStringLiteral("/start"));

    TearDown();
    open(ModelBass);
    form->OpenExecute();
    form->SaveAsExecute();
    EXPECT_EQ(dialogs.opens[4].filter, QStringLiteral("Bass DRUX Library files (*.blb)"));
    EXPECT_EQ(dialogs.saves[0].filter, QStringLiteral("Bass DRUX Library files (*.blb)"));
}

TEST_F(DeviceFormTest, SaveWritesTheCurrentFileOrFallsBackToSaveAs)
{
    activate();
    ListAdd(*LibraryList, DeviceMemory[0]);
    dialogs.fileAnswers = {path(QStringLiteral("lib.dlb"))};
    QTest::keyClick(form->PresetGrid, Qt::Key_S, Qt::ControlModifier);
    ASSERT_EQ(dialogs.saves.size(), 1u);
    EXPECT_TRUE(QFile::exists(path(QStringLiteral("lib.dlb"))));

    ListAdd(*LibraryList, DeviceMemory[1]);
    form->SaveExecute();
    EXPECT_EQ(dialogs.saves.size(), 1u);
    PresetRecordList read;
    ListInit(read);
    ASSERT_EQ(ReadLibraryFile(read, LibraryFileName), FileResult::Ok);
    EXPECT_EQ(read.count, 2);

    // Save As proposes the current name; a failed write says so and keeps it.
    const QString before = LibraryFileName;
    dialogs.fileAnswers = {path(QStringLiteral("no/such/folder/x.dlb"))};
    form->SaveAsExecute();
    EXPECT_EQ(dialogs.saves[1].start, QDir(dir.path()).filePath(QStringLiteral("lib")));
    EXPECT_EQ(dialogs.texts, QStringList{QStringLiteral("Unable to Save the file")});
    EXPECT_EQ(LibraryFileName, before);
}

} // namespace
