// The library window: opening files from the tree, the list's columns,
// property edits, comment lines, the save / new / close questions, its keys
// and menus.
#include <QHeaderView>
#include <QSignalSpy>

#include "files/DumpFile.h"
#include "librarian/LibraryFormFixture.h"
#include "shell/HelpPage.h"

namespace {

TEST_F(LibraryFormTest, OpeningALibraryFromTheTreeFillsTheColumns)
{
    const QString file = writeLibrary("My.dlb", {"Alpha", "?Beta", "Gamma", "#Heavy ones", "Delta"});
    openInTree(file);

    QStringList captions;
    for (int c = 0; c < LibraryColumnCount; ++c)
        captions << form->PresetList->headerItem()->text(c);
    EXPECT_EQ(captions, (QStringList{"Number", "Preset-name", "Device ID", "Bank", "Preset", "Comment", "Date/Time",
                                     "Created by"}));
    EXPECT_FALSE(form->PresetList->header()->sectionsClickable());
    EXPECT_EQ(column(0), (QStringList{"1", "2", "3", "Heavy ones", "4"}));
    EXPECT_EQ(column(1).at(0).trimmed(), "Alpha");
    EXPECT_EQ(column(2).at(0), "3");
    // Origin 7 is bank 2, preset C; a preset never in the unit shows "?".
    EXPECT_EQ(column(3), (QStringList{"2", "?", "2", "", "2"}));
    EXPECT_EQ(column(4), (QStringList{"C", "?", "C", "", "C"}));
    EXPECT_FALSE(column(6).at(0).isEmpty());
    EXPECT_TRUE(form->PresetList->topLevelItem(3)->isFirstColumnSpanned());
    EXPECT_TRUE(form->PresetList->topLevelItem(3)->font(0).bold());
    EXPECT_EQ(form->windowTitle(), QDir::toNativeSeparators(file));
    EXPECT_EQ(LibraryFileName, file);
    EXPECT_FALSE(LibraryDiffersFromSaved());
}

TEST_F(LibraryFormTest, AnOpenedDumpIsSavedAsALibraryBesideIt)
{
    PresetRecord r;
    InitRecord(r, -1);
    SetRecordName(r, "Dumped");
    ASSERT_EQ(ExportRecordDump(r, path("One.syx")), FileResult::Ok);
    const QByteArray dumpBytes = [&] {
        QFile f(path("One.syx"));
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();
    openInTree(path("One.syx"));
    EXPECT_EQ(names(), QStringList{"Dumped"});
    EXPECT_EQ(LibraryFileName, path("One.dlb"));

    device->SaveExecute();
    QFile dump(path("One.syx"));
    ASSERT_TRUE(dump.open(QIODevice::ReadOnly));
    EXPECT_EQ(dump.readAll(), dumpBytes);
    PresetRecordList back;
    ListInit(back);
    ASSERT_EQ(ReadLibraryFile(back, path("One.dlb")), FileResult::Ok);
    EXPECT_EQ(back.count, 1);
}

TEST_F(LibraryFormTest, AFileThatCannotBeReadLeavesTheListAsItWas)
{
    openInTree(writeLibrary("Good.dlb", {"Alpha", "Beta"}));
    for (const char* bad : {"Bad.dlb", "Bad.syx"}) {
        SCOPED_TRACE(bad);
        QFile f(path(bad));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("not a preset file at all");
        f.close();
        dialogs.texts.clear();
        openInTree(path(bad));
        // A .syx file whose header is no dump's says so before it is refused.
        const QStringList texts = QString::fromLatin1(bad).endsWith(QStringLiteral(".syx"))
            ? QStringList{QStringLiteral("Sysex Dump is not compatible"), CannotLoad}
            : QStringList{CannotLoad};
        EXPECT_EQ(dialogs.texts, texts);
        EXPECT_EQ(names(), (QStringList{"Alpha", "Beta"}));
        EXPECT_EQ(form->PresetList->topLevelItemCount(), 2);
        EXPECT_EQ(LibraryFileName, path("Good.dlb"));
    }
}

TEST_F(LibraryFormTest, PropertyEditsKeepTheirLimitsTrimAndCanBeCancelled)
{
    openInTree(writeLibrary("My.dlb", {"Alpha", "Beta"}));
    form->SetSelectedItems({1}, 1);

    QApplication::beep(); // the first beep of a process may load a backend
    form->StartPropertyEdit(1, EditColumn::Name);
    ASSERT_TRUE(form->PropertyEditActive());
    EXPECT_EQ(form->PresetPropertyEdit->text().trimmed(), "Beta");
    // The editor holds the keys of Edit and both Deletes while it is open.
    EXPECT_TRUE(form->Edit->shortcut().isEmpty());
    EXPECT_TRUE(form->DeleteF->shortcut().isEmpty());
    QTest::keyClicks(form->PresetPropertyEdit, "ABCDEFGHIJKLMNOPQ");
    EXPECT_EQ(form->PresetPropertyEdit->text(), "ABCDEFGHIJKLMNOP");
    release(KeyConfirm);
    EXPECT_FALSE(form->PropertyEditActive());
    EXPECT_EQ(names(), (QStringList{"Alpha", "ABCDEFGHIJKLMNOP"}));
    EXPECT_EQ(form->Edit->shortcut(), QKeySequence(Qt::Key_Return));
    EXPECT_EQ(form->DeleteF->shortcut(), QKeySequence(Qt::Key_Delete));
    EXPECT_TRUE(LibraryDiffersFromSaved());

    const struct {
        EditColumn column;
        int limit;
        std::string PresetRecord::*field;
    } texts[] = {{EditColumn::Comment, 127, &PresetRecord::comment},
                 {EditColumn::Author, 63, &PresetRecord::createdBy}};
    for (const auto& t : texts) {
        SCOPED_TRACE(t.limit);
        form->StartPropertyEdit(0, t.column);
        typeAndCommit(QString(t.limit + 3, 'x'));
        EXPECT_EQ(LibraryList->at(0).*t.field, std::string(size_t(t.limit), 'x'));
        form->StartPropertyEdit(0, t.column);
        typeAndCommit("  padded  ");
        EXPECT_EQ(LibraryList->at(0).*t.field, "padded");
        EXPECT_EQ(form->PresetList->topLevelItem(0)->text(int(t.column)), "padded");
    }

    // Escape restores the text but still leaves a snapshot to undo to.
    form->StartPropertyEdit(0, EditColumn::Name);
    QTest::keyClicks(form->PresetPropertyEdit, "Zeta");
    release(KeyCancel);
    EXPECT_EQ(names().at(0), "Alpha");
    EXPECT_TRUE(UndoState.undoEnabled);
    EXPECT_EQ(UndoState.owner, UndoOwner::Library);
    device->UndoExecute();
    form->RefillPresetList();
    EXPECT_EQ(LibraryList->at(0).comment, "padded");
}

TEST_F(LibraryFormTest, CommentLinesGoToTheSelectionTheEndOrTheTop)
{
    form->InsertCommentLineExecute();
    typeAndCommit("first");
    EXPECT_EQ(names(), QStringList{"#first"});

    openInTree(writeLibrary("My.dlb", {"a", "b", "c"}));
    form->SetSelectedItems({});
    form->InsertCommentLineExecute();
    typeAndCommit("  at the end ");
    EXPECT_EQ(names(), (QStringList{"a", "b", "c", "#at the end"}));

    form->PresetList->topLevelItem(1)->setSelected(true);
    form->InsertCommentLineExecute();
    typeAndCommit("before b");
    EXPECT_EQ(names(), (QStringList{"a", "#before b", "b", "c", "#at the end"}));
    EXPECT_EQ(column(0), (QStringList{"1", "before b", "2", "3", "at the end"}));

    // Renaming a comment line edits its text.
    form->SetSelectedItems({1}, 1);
    form->RenamePresetExecute();
    EXPECT_EQ(form->ColumnToEdit(), EditColumn::Comment);
    typeAndCommit("renamed");
    EXPECT_EQ(names().at(1), "#renamed");
}

TEST_F(LibraryFormTest, AuditionAndEditSkipCommentLinesAndTheOtherFamily)
{
    openInTree(writeLibrary("My.dlb", {"Alpha", "#note", "Bass one"}));
    LibraryList->at(2).model = ModelBass;
    QList<QStringList> requests;
    QObject::connect(form.get(), &TLibraryForm::editorRequested,
                     [&](bool bass, const QString& name, const QString& caption) {
                         requests << QStringList{bass ? "bass" : "guitar", name.trimmed(), caption};
                     });
    for (int i : {1, 2}) {
        form->SetSelectedItems({i});
        form->AuditionExecute();
        form->EditExecute();
    }
    EXPECT_TRUE(unit.dumpSlots.empty());
    EXPECT_TRUE(requests.isEmpty());

    form->SetSelectedItems({0});
    form->EditExecute();
    EXPECT_EQ(unit.dumpSlots, std::vector<int>{127});
    EXPECT_EQ(requests, QList<QStringList>{(QStringList{"guitar", "Alpha", "My.dlb"})});
}

// ---- the save, new and close questions ----

TEST_F(LibraryFormTest, ClosingAsksToSaveOnlyWithConfirmAndChanges)
{
    using B = QMessageBox::StandardButton;
    const struct {
        const char* name;
        bool confirm;
        bool changed;
        bool writeFails;
        QList<B> answers;
        QStringList asked;
        bool closes;
        bool written;
        bool listKept;
    } cases[] = {
        {"confirm off", false, true, false, {}, {}, true, false, false},
        {"nothing changed", true, false, false, {}, {}, true, false, false},
        {"cancel", true, true, false, {B::Cancel}, {SaveQuestion}, false, false, true},
        {"yes", true, true, false, {B::Yes}, {SaveQuestion}, true, true, false},
        {"yes, write fails", true, true, true, {B::Yes}, {SaveQuestion, CannotSave}, false, false, true},
        {"no, then keep", true, true, false, {B::No, B::No}, {SaveQuestion, NewQuestion}, true, false, true},
        {"no, then new", true, true, false, {B::No, B::Yes}, {SaveQuestion, NewQuestion}, true, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        form->show();
        openInTree(writeLibrary("My.dlb", {"a", "b"}));
        if (c.changed)
            CommitPropertyEdit(EditColumn::Comment, 0, "changed");
        CurrentPreferences.Confirm = c.confirm;
        int writes = 0;
        form->writeLibrary = [&](const QString& file) {
            ++writes;
            return !c.writeFails && WriteLibraryFile(*LibraryList, file) == FileResult::Ok;
        };
        dialogs.texts.clear();
        dialogs.answers = c.answers;
        EXPECT_EQ(form->close(), c.closes);
        EXPECT_EQ(dialogs.texts, c.asked);
        EXPECT_EQ(form->isVisible(), !c.closes);
        EXPECT_EQ(writes > 0 && !c.writeFails, c.written);
        EXPECT_EQ(LibraryList->count, c.listKept ? 2 : 0);
        if (!c.listKept) {
            EXPECT_TRUE(LibraryFileName.isEmpty());
        }
        CurrentPreferences.Confirm = 0;
    }
}

TEST_F(LibraryFormTest, OpeningAnotherFileOffersToSaveUnsavedChangesFirst)
{
    const QString other = writeLibrary("Other.dlb", {"x", "y", "z"});
    openInTree(writeLibrary("My.dlb", {"a", "b"}));
    CommitPropertyEdit(EditColumn::Comment, 0, "changed");
    CurrentPreferences.Confirm = 1;
    int writes = 0;
    form->writeLibrary = [&](const QString& file) {
        ++writes;
        return WriteLibraryFile(*LibraryList, file) == FileResult::Ok;
    };

    dialogs.answers = {QMessageBox::Cancel};
    openInTree(other);
    EXPECT_EQ(dialogs.texts, QStringList{SaveQuestion});
    EXPECT_EQ(names(), (QStringList{"a", "b"}));

    dialogs.texts.clear();
    dialogs.answers = {QMessageBox::Yes};
    openInTree(other);
    EXPECT_EQ(dialogs.texts, QStringList{SaveQuestion});
    EXPECT_EQ(writes, 1);
    EXPECT_EQ(names(), (QStringList{"x", "y", "z"}));

    // Nothing unsaved now: no question.
    dialogs.texts.clear();
    openInTree(path("My.dlb"));
    EXPECT_TRUE(dialogs.texts.isEmpty());
    EXPECT_EQ(QString::fromStdString(LibraryList->at(0).comment), QStringLiteral("changed"));
    CurrentPreferences.Confirm = 0;
}

// File > Open of the device window replaces the list as well: it asks the
// same question, and a Yes whose Save As is cancelled keeps the list.
TEST_F(LibraryFormTest, OpenFromTheDeviceWindowOffersToSaveFirst)
{
    const QString other = writeLibrary("Other.dlb", {"x"});
    fill(*LibraryList, {"unsaved"});
    form->RefillPresetList();
    CurrentPreferences.Confirm = 1;
    device->show();
    device->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(device.get()));

    dialogs.answers = {QMessageBox::Yes};
    dialogs.fileAnswers = {QString()};
    QTest::keyClick(device->PresetGrid, Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(dialogs.texts, QStringList{SaveQuestion});
    EXPECT_EQ(dialogs.saves.size(), 1u);
    EXPECT_TRUE(dialogs.opens.empty());
    EXPECT_EQ(names(), QStringList{"unsaved"});

    dialogs.answers = {QMessageBox::No};
    dialogs.fileAnswers = {other};
    QTest::keyClick(device->PresetGrid, Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(dialogs.texts.size(), 2);
    EXPECT_EQ(names(), QStringList{"x"});
    CurrentPreferences.Confirm = 0;
}

TEST_F(LibraryFormTest, NewLibraryAsksOnlyForUnsavedChanges)
{
    openInTree(writeLibrary("My.dlb", {"a"}));
    CurrentPreferences.Confirm = 1;
    form->NewFbtnClick(); // nothing unsaved: no question
    EXPECT_TRUE(dialogs.texts.isEmpty());
    EXPECT_EQ(LibraryList->count, 0);
    EXPECT_EQ(form->windowTitle(), UntitledCaption(dir.path(), false));

    CommitPropertyEdit(EditColumn::NewCommentLine, 0, "unsaved");
    dialogs.answers = {QMessageBox::No};
    form->NewFbtnClick();
    EXPECT_EQ(dialogs.texts, QStringList{NewQuestion});
    EXPECT_EQ(names(), QStringList{"#unsaved"});
    dialogs.answers = {QMessageBox::Yes};
    form->NewFbtnClick();
    EXPECT_EQ(LibraryList->count, 0);
    EXPECT_FALSE(LibraryDiffersFromSaved());
}

TEST_F(LibraryFormTest, ImportSysexSelectsTheFileButKeepsTheLibrarysCaption)
{
    QObject::connect(device.get(), &TDeviceForm::sysexImported, form.get(), &TLibraryForm::SysexImported);
    PresetRecord r;
    InitRecord(r, -1);
    ASSERT_EQ(ExportRecordDump(r, path("one.syx")), FileResult::Ok);
    openInTree(writeLibrary("My.dlb", {"a"}));
    const QString caption = form->windowTitle();
    const QString library = LibraryFileName;
    dialogs.fileAnswers = {path("one.syx")};
    device->show();
    device->FileM->popup(device->mapToGlobal(QPoint(40, 40)));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(device->FileM));
    QTest::mouseClick(device->FileM, Qt::LeftButton, {}, device->FileM->actionGeometry(device->ImportSysex).center());
    ASSERT_EQ(dialogs.opens.size(), 1u);
    EXPECT_EQ(form->SelectedPath(), path("one.syx"));
    EXPECT_EQ(form->windowTitle(), caption);
    EXPECT_EQ(LibraryFileName, library);
    EXPECT_EQ(names(), QStringList{"a"});
}

// ---- keys and menus ----

// The shared keys go to the first enabled action of the list, whichever pane
// has the focus; a context menu leaves every key working afterwards.
TEST_F(LibraryFormTest, KeysGoToTheFirstEnabledActionAlsoAfterEitherMenu)
{
    openInTree(writeLibrary("My.dlb", {"a", "b", "c"}));
    activate();
    QSignalSpy editor(form.get(), &TLibraryForm::editorRequested);
    const QModelIndex file = form->FileModel->index(path("My.dlb"));
    QContextMenuEvent treeMenu(QContextMenuEvent::Mouse, form->FileTree->visualRect(file).center(), QPoint(), {});
    QCoreApplication::sendEvent(form->FileTree->viewport(), &treeMenu);
    ASSERT_TRUE(form->FileTreePopupMenu->isVisible());
    QTest::keyClick(form->FileTreePopupMenu, Qt::Key_Escape);
    activate();
    clickRow(1);
    QContextMenuEvent listMenu(QContextMenuEvent::Mouse, form->PresetList->visualItemRect(
                                   form->PresetList->topLevelItem(2)).center(), QPoint(), {});
    QCoreApplication::sendEvent(form->PresetList->viewport(), &listMenu);
    ASSERT_TRUE(form->LibPopupMenu->isVisible());
    QTest::keyClick(form->LibPopupMenu, Qt::Key_Escape);
    activate();

    QTest::keyClick(form->PresetList, Qt::Key_Return);
    EXPECT_EQ(editor.count(), 1);
    QTest::keyClick(form->PresetList, Qt::Key_E, Qt::ControlModifier);
    EXPECT_EQ(dialogs.saves.size(), 1u);
    // With the tree focused, Copy and Delete still take the selected preset.
    form->FileTree->setFocus();
    QTest::keyClick(form->FileTree, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(ClipboardList->count, 1);
    QTest::keyClick(form->FileTree, Qt::Key_Delete);
    EXPECT_EQ(names(), (QStringList{"a", "c"}));
    EXPECT_TRUE(QFile::exists(path("My.dlb")));
    // Nothing selected in the list: Delete is the tree's.
    dialogs.texts.clear();
    dialogs.answers = {QMessageBox::No};
    QTest::keyClick(form->FileTree, Qt::Key_Delete);
    ASSERT_EQ(dialogs.texts.size(), 1);
    EXPECT_TRUE(dialogs.texts[0].startsWith("Delete the file"));
}

TEST_F(LibraryFormTest, OnlyASecondClickOnTheSameSingleRowStartsARename)
{
    openInTree(writeLibrary("My.dlb", {"a", "b"}));
    activate();
    clickRow(0);
    pause();
    clickRow(1);
    pause();
    EXPECT_FALSE(form->PropertyEditActive());
    clickRow(1);
    pause();
    EXPECT_TRUE(form->PropertyEditActive());
}

// While a file name is typed in the tree nothing may move or replace files;
// the keys the edit field needs are its own.
TEST_F(LibraryFormTest, ATreeRenameHoldsBackTheTransfersUntilItEnds)
{
    openInTree(writeLibrary("My.dlb", {"a"}));
    fill(*ClipboardList, {"x"});
    activate();
    form->FileTree->setFocus();
    QTest::keyClick(form->FileTree, Qt::Key_M, Qt::ControlModifier);
    auto* edit = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(edit, nullptr);
    for (QAction* a : {form->NewDirectory, form->CutF, form->CopyF, form->PasteF, form->PastePresets})
        EXPECT_FALSE(a->isEnabled()) << a->objectName().toStdString();
    edit->selectAll();
    QTest::keyClicks(edit, "Renamed");
    QTest::keyClick(edit, Qt::Key_Left);
    QTest::keyClick(edit, Qt::Key_Delete);
    EXPECT_EQ(edit->text(), "Rename");
    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_TRUE(QFile::exists(path("My.dlb")));
    for (QAction* a : {form->CutF, form->CopyF, form->PasteF, form->PastePresets})
        EXPECT_TRUE(a->isEnabled()) << a->objectName().toStdString();

    // Enter ends the edit; it is no key of Edit's there.
    QTest::keyClick(form->FileTree, Qt::Key_M, Qt::ControlModifier);
    edit = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(edit, nullptr);
    edit->selectAll();
    QTest::keyClicks(edit, "Fresh");
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_TRUE(QTest::qWaitFor([&] { return QFile::exists(path("Fresh.dlb")); }));
}

// A list refilled after a change elsewhere selects nothing: the rows the
// user picked may hold other presets now.
TEST_F(LibraryFormTest, ARefillSelectsNothing)
{
    openInTree(writeLibrary("My.dlb", {"a", "b", "c"}));
    activate();
    clickRow(2);
    ListRemove(*LibraryList, 0);
    form->RefillPresetList();
    EXPECT_TRUE(form->SelectedItems().empty());
    QTest::keyClick(form->PresetList, Qt::Key_Delete);
    EXPECT_EQ(names(), (QStringList{"b", "c"}));
}

TEST_F(LibraryFormTest, F1OpensTheTopicOfTheFocusedPane)
{
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    form->FileTree->setFocus();
    form->FormKeyUp();
    form->PresetList->setFocus();
    form->FormKeyUp();
    form->PresetsLabel->setFocus();
    form->NewFbtn->setFocus();
    form->FormKeyUp();
    std::vector<QString> anchors;
    for (const QUrl& url : help.opened)
        anchors.push_back(url.fragment());
    EXPECT_EQ(anchors, (std::vector<QString>{"T5H10", "T5H20", "T5H00"}));
}

} // namespace
