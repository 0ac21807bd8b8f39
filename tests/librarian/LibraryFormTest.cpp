// The library window: opening files from the tree, the list's columns,
// property edits, comment lines, the save / new / close questions and the
// file operations of the tree.
#include <QFile>
#include <QHeaderView>
#include <QMimeData>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include "shell/HelpPage.h"
#include "controls/KeyCodes.h"
#include "files/DumpFile.h"
#include "files/LibraryFile.h"
#include "librarian/DeviceFormFixture.h"
#include "librarian/LibraryForm.h"

namespace {

const QString SaveQuestion = QStringLiteral("Save Library?");
const QString NewQuestion = QStringLiteral("Create New Library ?");
const QString CannotLoad = QStringLiteral("Unable to Load the file");
const QString CannotSave = QStringLiteral("Unable to Save the file");

// File dialogs from a queue, message boxes from a queue (then Ok).
struct LibraryDialogs : FileDialogs {
    QList<QMessageBox::StandardButton> answers;
    QMessageBox::StandardButton message(QWidget* parent, Kind kind, const QString& title, const QString& text,
                                        QMessageBox::StandardButtons buttons,
                                        QMessageBox::StandardButton defaultButton) override
    {
        FileDialogs::message(parent, kind, title, text, buttons, defaultButton);
        return answers.isEmpty() ? QMessageBox::Ok : answers.takeFirst();
    }
};

class LibraryFormTest : public ::testing::Test, public ModelFixtureBase {
protected:
    QTemporaryDir dir;
    LibraryDialogs dialogs;
    std::unique_ptr<TDeviceForm> device;
    std::unique_ptr<TLibraryForm> form;

    void SetUp() override
    {
        setUpModel(ModelDrux2);
        DataFormatVersion = CurrentDataFormatVersion;
        ResetAllRecords();
        UndoState = UndoStates();
        CurrentPreferences = PreferenceSet();
        CurrentPreferences.Confirm = 0;
        CurrentPreferences.Dir = dir.path();
        device = std::make_unique<TDeviceForm>();
        form = std::make_unique<TLibraryForm>(device.get());
        QObject::connect(device.get(), &TDeviceForm::librarySaved, form.get(), &TLibraryForm::LibrarySaved);
        form->show();
    }
    void TearDown() override
    {
        form->hide();
        form.reset();
        device.reset();
        CurrentPreferences = PreferenceSet();
        LibraryFileName.clear();
        tearDownModel();
    }

    QString path(const QString& file) const { return dir.filePath(file); }

    // Entries: a name makes a preset (origin 7, device id 3), "#text" a
    // comment line, "?name" a preset never taken from the unit.
    static void fill(PresetRecordList& list, const QStringList& entries)
    {
        ListClear(list);
        for (const QString& e : entries) {
            PresetRecord r;
            InitRecord(r, -1);
            r.origin = 7;
            r.deviceId = 3;
            if (e.startsWith('#')) {
                r.origin = -1;
                r.comment = e.mid(1).toStdString();
            } else if (e.startsWith('?')) {
                r.origin = -2;
                SetRecordName(r, e.mid(1).toStdString());
            } else {
                SetRecordName(r, e.toStdString());
            }
            r.dateTime = 45000.5;
            ListAdd(list, &r);
        }
    }
    QString writeLibrary(const QString& file, const QStringList& entries)
    {
        PresetRecordList list;
        ListInit(list);
        fill(list, entries);
        EXPECT_EQ(WriteLibraryFile(list, path(file)), FileResult::Ok);
        return path(file);
    }
    void openInTree(const QString& file)
    {
        form->SelectPath(file);
        form->FileTreeDblClick(form->FileModel->index(file));
    }
    QStringList column(int c) const
    {
        QStringList texts;
        for (int i = 0; i < form->PresetList->topLevelItemCount(); ++i)
            texts << form->PresetList->topLevelItem(i)->text(c);
        return texts;
    }
    QStringList names() const
    {
        QStringList texts;
        for (int i = 0; i < LibraryList->count; ++i) {
            const PresetRecord& r = LibraryList->at(i);
            texts << (r.isCommentLine() ? '#' + QString::fromStdString(r.comment)
                                        : QString::fromStdString(GetRecordName(r)).trimmed());
        }
        return texts;
    }
    // The program's own codes for Enter and Escape, as the key filter hands
    // them to edit fields.
    void release(int key)
    {
        QKeyEvent e(QEvent::KeyRelease, key, Qt::NoModifier);
        QApplication::sendEvent(form->PresetPropertyEdit, &e);
    }
    void activate()
    {
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }
    void clickRow(int row, Qt::KeyboardModifiers mods = {})
    {
        QTreeWidgetItem* item = form->PresetList->topLevelItem(row);
        QTest::mouseClick(form->PresetList->viewport(), Qt::LeftButton, mods,
                          form->PresetList->visualRect(form->PresetList->indexFromItem(item, NameColumn)).center());
    }
    // Waits longer than a double-click, so that the next click is a new one.
    static void pause() { QTest::qWait(QApplication::doubleClickInterval() + 100); }
    void typeAndCommit(const QString& text)
    {
        form->PresetPropertyEdit->clear();
        QTest::keyClicks(form->PresetPropertyEdit, text);
        release(KeyConfirm);
    }
};

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

// ---- files and folders ----

TEST_F(LibraryFormTest, TheTreeShowsFoldersDumpsAndTheFamilysLibraries)
{
    const struct {
        const char* name;
        bool guitar, bass;
    } rows[] = {{"a.dlb", true, false}, {"A.DLB", true, false}, {"b.blb", false, true},
                {"c.syx", true, true},  {"d.SYX", true, true},  {"e.txt", false, false}};
    for (const auto& r : rows) {
        EXPECT_EQ(TreeShowsFile(r.name, false), r.guitar) << r.name;
        EXPECT_EQ(TreeShowsFile(r.name, true), r.bass) << r.name;
    }
}

TEST_F(LibraryFormTest, NewFolderRenameAndDeleteInTheTree)
{
    form->SelectPath(dir.path());
    form->NewDirectoryExecute();
    EXPECT_TRUE(QDir(path("New Folder")).exists());
    form->SelectPath(dir.path());
    form->NewDirectoryExecute();
    EXPECT_TRUE(QDir(path("New Folder 2")).exists());

    // A rename keeps the type; the open library follows its file.
    openInTree(writeLibrary("My.dlb", {"a"}));
    const QModelIndex file = form->FileModel->index(path("My.dlb"));
    ASSERT_TRUE(form->FileModel->setData(file, "Other.txt"));
    EXPECT_TRUE(QFile::exists(path("Other.dlb")));
    EXPECT_FALSE(QFile::exists(path("My.dlb")));
    EXPECT_EQ(LibraryFileName, path("Other.dlb"));
    EXPECT_EQ(form->windowTitle(), QDir::toNativeSeparators(path("Other.dlb")));
    EXPECT_EQ(RenamedFileName("x.SYX", "y"), "y.syx");
    EXPECT_EQ(RenamedFileName("Folder", "New.name"), "New.name");

    // Delete puts the file into the desktop's trash (here one of the test's
    // own), after the question.
    const QByteArray dataHome = qgetenv("XDG_DATA_HOME");
    QDir(dir.path()).mkdir("data");
    qputenv("XDG_DATA_HOME", path("data").toLocal8Bit());
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    form->SelectPath(path("Other.dlb"));
    form->FileTree->setFocus();
    dialogs.answers = {QMessageBox::No};
    QTest::keyClick(form->FileTree, Qt::Key_Delete);
    EXPECT_TRUE(QFile::exists(path("Other.dlb")));
    dialogs.answers = {QMessageBox::Yes};
    QTest::keyClick(form->FileTree, Qt::Key_Delete);
    EXPECT_FALSE(QFile::exists(path("Other.dlb")));
    EXPECT_TRUE(QFile::exists(path("data/Trash/files/Other.dlb")));
    form->SelectPath(path("New Folder 2"));
    dialogs.answers = {QMessageBox::Yes};
    QTest::keyClick(form->FileTree, Qt::Key_Delete);
    EXPECT_FALSE(QDir(path("New Folder 2")).exists());
    EXPECT_TRUE(QDir(path("data/Trash/files/New Folder 2")).exists());
    EXPECT_EQ(dialogs.texts.size(), 3);
    if (dataHome.isNull())
        qunsetenv("XDG_DATA_HOME");
    else
        qputenv("XDG_DATA_HOME", dataHome);
}

TEST_F(LibraryFormTest, AFolderThatCannotBeCreatedIsReported)
{
    QDir(dir.path()).mkdir("locked");
    QFile::setPermissions(path("locked"), QFile::ReadOwner | QFile::ExeOwner);
    if (QFileInfo(path("locked")).isWritable())
        GTEST_SKIP() << "running with rights that ignore permissions";
    form->SelectPath(path("locked"));
    form->NewDirectoryExecute();
    EXPECT_EQ(dialogs.texts, QStringList{"Cannot create new directory."});
    QFile::setPermissions(path("locked"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TEST_F(LibraryFormTest, CopyOfAFileAndPasteIntoAFolderWriteANewLibrary)
{
    writeLibrary("Src.dlb", {"a", "b"});
    QDir(dir.path()).mkdir("sub");
    form->SelectPath(path("Src.dlb"));
    form->CopyFExecute();
    EXPECT_EQ(ClipboardList->count, 2);
    EXPECT_TRUE(form->PastePresets->isEnabled());
    form->SelectPath(path("sub"));
    form->PasteFExecute();
    PresetRecordList back;
    ListInit(back);
    ASSERT_EQ(ReadLibraryFile(back, dir.filePath("sub/New.dlb")), FileResult::Ok);
    EXPECT_EQ(back.count, 2);
}

TEST_F(LibraryFormTest, ExportWritesADumpOrALibraryByTheChosenName)
{
    openInTree(writeLibrary("My.dlb", {"a", "b", "c"}));
    form->SetSelectedItems({1});
    dialogs.fileAnswers = {path("single")};
    form->ExportExecute();
    EXPECT_EQ(QFileInfo(path("single.syx")).size(), dump::OnePresetSize(GuitarImageLength));
    ASSERT_EQ(dialogs.saves.size(), 1u);
    EXPECT_EQ(dialogs.saves[0].caption, "Export Preset to file..");
    EXPECT_EQ(dialogs.saves[0].start.trimmed(), path("b"));

    form->SetSelectedItems({0, 2});
    dialogs.fileAnswers = {path("two")};
    form->ExportExecute();
    PresetRecordList back;
    ListInit(back);
    ASSERT_EQ(ReadLibraryFile(back, path("two.dlb")), FileResult::Ok);
    EXPECT_EQ(back.count, 2);
    EXPECT_EQ(dialogs.saves.back().caption, "Export Presets to file..");

    dialogs.fileAnswers = {dir.filePath("missing/x.dlb")};
    form->ExportExecute();
    EXPECT_EQ(dialogs.texts.last(), CannotSave);
}

// In Qt's save dialog the user picks the library filter and types a bare
// name: the one preset becomes a library of that name.
TEST_F(LibraryFormTest, OnePresetExportTakesTheFormOfTheChosenFilter)
{
    openInTree(writeLibrary("My.dlb", {"a", "b"}));
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    QTest::mouseClick(form->PresetList->viewport(), Qt::LeftButton, {},
                      form->PresetList->visualItemRect(form->PresetList->topLevelItem(1)).center());
    dialogs.realSaveDialog = true;
    SaveAs(QStringLiteral("solo"), QMessageBox::No, nullptr, 1);
    QTest::keyClick(form->PresetList, Qt::Key_E, Qt::ControlModifier);
    ASSERT_EQ(dialogs.saves.size(), 1u);
    EXPECT_EQ(dialogs.saves[0].filter, "Sysex files (*.syx);;Drux Library files (*.dlb)");
    EXPECT_FALSE(QFile::exists(path("solo.syx")));
    PresetRecordList back;
    ListInit(back);
    ASSERT_EQ(ReadLibraryFile(back, path("solo.dlb")), FileResult::Ok);
    ASSERT_EQ(back.count, 1);
    EXPECT_EQ(GetRecordName(back.at(0)), "b               ");
}

// The filters name the family's libraries; the device window's dialogs
// then start in the tree's folder as well.
TEST_F(LibraryFormTest, ExportFiltersAndTheDeviceWindowsDialogFolder)
{
    QDir(dir.path()).mkdir("sub");
    openInTree(writeLibrary("sub/My.blb", {"a", "b"}));
    ActiveDevice.Model = ModelBass;
    activate();
    clickRow(0);
    QTest::keyClick(form->PresetList, Qt::Key_E, Qt::ControlModifier);
    clickRow(1, Qt::ShiftModifier);
    QTest::keyClick(form->PresetList, Qt::Key_E, Qt::ControlModifier);
    ASSERT_EQ(dialogs.saves.size(), 2u);
    EXPECT_EQ(dialogs.saves[0].filter, "Sysex files (*.syx);;Bass Drux Library files (*.blb)");
    EXPECT_EQ(dialogs.saves[1].filter, "Bass DRUX Library files (*.blb)");
    device->ExportSysex->trigger();
    ASSERT_EQ(dialogs.saves.size(), 3u);
    EXPECT_EQ(dialogs.saves[2].start, path("sub"));
    ActiveDevice.Model = ModelDrux2;
}

TEST_F(LibraryFormTest, F1OpensTheTopicOfTheFocusedPane)
{
    std::vector<QString> anchors;
    SetHelpUrlOpener([&](const QUrl& url) { anchors.push_back(url.fragment()); });
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    form->FileTree->setFocus();
    form->FormKeyUp();
    form->PresetList->setFocus();
    form->FormKeyUp();
    form->PresetsLabel->setFocus();
    form->NewFbtn->setFocus();
    form->FormKeyUp();
    SetHelpUrlOpener({});
    EXPECT_EQ(anchors, (std::vector<QString>{"T5H10", "T5H20", "T5H00"}));
}

} // namespace

// ---- drags into and out of the tree ----

namespace {

QStringList fileNames(const QString& file)
{
    PresetRecordList list;
    ListInit(list);
    QStringList texts;
    if (ReadLibraryFile(list, file) != FileResult::Ok)
        return {QStringLiteral("(unreadable)")};
    for (int i = 0; i < list.count; ++i) {
        const PresetRecord& r = list.at(i);
        texts << (r.isCommentLine() ? '#' + QString::fromStdString(r.comment)
                                    : QString::fromStdString(GetRecordName(r)).trimmed());
    }
    return texts;
}

} // namespace

TEST_F(LibraryFormTest, AFileDraggedFromTheTreeFillsTheGridAndCopiesIntoFolders)
{
    const QString src = writeLibrary("Src.dlb", {"a", "#group", "b", "c"});
    QDir(dir.path()).mkdir("sub");
    form->SelectPath(src);
    const QModelIndex file = form->FileModel->index(src);
    const QString next = QString::fromStdString(GetRecordName(*DeviceMemory[8])).trimmed();
    int drags = 0;
    form->runDrag = [&](QMimeData* data) {
        std::unique_ptr<QMimeData> owned(data);
        ++drags;
        EXPECT_EQ(PresetDragSource(data), DragSource::FileTree);
        EXPECT_EQ(form->DraggedFileName(), QStringLiteral("Src.dlb"));
        EXPECT_EQ(form->CurrentDropMode(), DropMode::Insert);
        EXPECT_EQ(DragList->count, 4);
        EXPECT_EQ(DragList->columns, 0);
        // Not onto itself; onto another folder as a copy, onto its own folder
        // as a copy beside it.
        EXPECT_FALSE(form->FileTreeDragOver(DragSource::FileTree, file));
        form->FileTreeDragDrop(DragSource::FileTree, form->FileModel->index(path("sub")));
        form->FileTreeDragDrop(DragSource::FileTree, form->FileModel->index(dir.path()));
        // Bank 2, Preset A onward; the comment line takes no slot.
        device->PresetGridDragDrop(DragSource::FileTree, QPoint(1, 2));
    };
    form->FileTreeStartDrag(form->FileModel->index(path("sub")));
    EXPECT_EQ(drags, 0) << "a folder is not dragged";
    form->FileTreeStartDrag(file);
    ASSERT_EQ(drags, 1);
    EXPECT_TRUE(form->DraggedFileName().isEmpty());
    EXPECT_EQ(fileNames(path("sub/Src.dlb")), (QStringList{"a", "#group", "b", "c"}));
    EXPECT_EQ(fileNames(path("Src0.dlb")), (QStringList{"a", "#group", "b", "c"}));
    EXPECT_EQ(fileNames(src), (QStringList{"a", "#group", "b", "c"}));
    QStringList written;
    for (int s = 5; s < 9; ++s)
        written << QString::fromStdString(GetRecordName(*DeviceMemory[s])).trimmed();
    EXPECT_EQ(written, (QStringList{"a", "b", "c", next}));
    EXPECT_TRUE(dialogs.texts.isEmpty());
}

TEST_F(LibraryFormTest, PresetsDroppedOnAFolderMakeNewLibrariesThere)
{
    QDir(dir.path()).mkdir("sub");
    fill(*LibraryList, {"x", "y", "z"});
    form->RefillPresetList();
    StartLibraryDrag({0, 2});
    const QModelIndex sub = form->FileModel->index(path("sub"));
    ASSERT_TRUE(form->FileTreeDragOver(DragSource::LibraryList, sub));
    form->FileTreeDragDrop(DragSource::LibraryList, sub);
    form->FileTreeDragDrop(DragSource::LibraryList, sub);
    EXPECT_EQ(fileNames(path("sub/New.dlb")), (QStringList{"x", "z"}));
    EXPECT_EQ(fileNames(path("sub/New0.dlb")), (QStringList{"x", "z"}));
    EXPECT_EQ(form->SelectedPath(), path("sub/New0.dlb"));
    // The open library stays as it was.
    EXPECT_EQ(names(), (QStringList{"x", "y", "z"}));

    // The edit buffer, named as the Current Preset field shows it.
    device->CurrentPreset->setText(QStringLiteral("Live"));
    ListClear(*DragList);
    form->FileTreeDragDrop(DragSource::CurrentPreset, sub);
    EXPECT_EQ(fileNames(path("sub/New1.dlb")), QStringList{"Live"});

    // A cut file is drawn greyed until the next Copy.
    form->SelectPath(path("sub/New.dlb"));
    form->CutFExecute();
    const QModelIndex cut = form->FileModel->index(path("sub/New.dlb"));
    EXPECT_TRUE(form->FileModel->data(cut, Qt::ForegroundRole).isValid());
    form->CopyFExecute();
    EXPECT_FALSE(form->FileModel->data(cut, Qt::ForegroundRole).isValid());
}

// Preset files dragged from the desktop's file manager are read as the
// tree's own files, wherever they are dropped, and stay where they were.
TEST_F(LibraryFormTest, PresetFilesFromAnotherProgramDropLikeTheTreesOwn)
{
    QDir(dir.path()).mkdir("sub");
    const QString outside = writeLibrary("Outside.dlb", {"o1", "o2"});
    QTableWidget* grid = device->PresetGrid;
    device->show();
    const QPoint cell = grid->visualRect(grid->model()->index(3, 1)).center(); // slot 10
    EXPECT_EQ(DropFiles(grid->viewport(), cell, {outside}), Qt::CopyAction);
    EXPECT_EQ(QString::fromStdString(GetRecordName(*DeviceMemory[10])).trimmed(), "o1");
    EXPECT_EQ(QString::fromStdString(GetRecordName(*DeviceMemory[11])).trimmed(), "o2");
    EXPECT_TRUE(QFile::exists(outside));

    EXPECT_EQ(DropFiles(form->PresetList->viewport(), QPoint(20, 20), {outside}), Qt::CopyAction);
    EXPECT_EQ(names(), (QStringList{"o1", "o2"}));

    form->SelectPath(path("sub"));
    const QModelIndex sub = form->FileModel->index(path("sub"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->FileTree->visualRect(sub).isValid(); }));
    EXPECT_EQ(DropFiles(form->FileTree->viewport(), form->FileTree->visualRect(sub).center(), {outside}),
              Qt::CopyAction);
    EXPECT_EQ(fileNames(path("sub/Outside.dlb")), (QStringList{"o1", "o2"}));
    EXPECT_TRUE(QFile::exists(outside));

    // Other files are no presets.
    QFile text(path("notes.txt"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.close();
    EXPECT_EQ(DropFiles(grid->viewport(), cell, {text.fileName()}), Qt::IgnoreAction);
}

TEST_F(LibraryFormTest, PresetsDroppedOnALibraryFileAreAppendedAfterTheQuestion)
{
    const QString target = writeLibrary("Target.dlb", {"t1", "t2"});
    const QString dump = path("bank.syx");
    QFile(dump).open(QIODevice::WriteOnly);
    form->SelectPath(dir.path());
    const QModelIndex node = form->FileModel->index(target);
    EXPECT_FALSE(form->FileTreeDragOver(DragSource::LibraryList, form->FileModel->index(dump)));
    fill(*DragList, {"new"});
    CurrentPreferences.Confirm = 1;

    dialogs.answers = {QMessageBox::Cancel};
    form->FileTreeDragDrop(DragSource::Grid, node);
    EXPECT_EQ(fileNames(target), (QStringList{"t1", "t2"}));
    EXPECT_EQ(LibraryList->count, 0);

    form->FileTreeDragDrop(DragSource::Grid, node);
    EXPECT_EQ(dialogs.texts, (QStringList{"Append presets?", "Append presets?"}));
    EXPECT_EQ(fileNames(target), (QStringList{"t1", "t2", "new"}));
    // The file that grew is now the open library.
    EXPECT_EQ(names(), (QStringList{"t1", "t2", "new"}));
    EXPECT_EQ(form->PresetList->topLevelItemCount(), 3);
    EXPECT_EQ(form->SelectedPath(), target);
}

TEST_F(LibraryFormTest, TheScrollTimerScrollsTheListWhileTheDragHoversBelowOrAbove)
{
    QStringList many;
    for (int i = 0; i < 200; ++i)
        many << QStringLiteral("p%1").arg(i);
    fill(*LibraryList, many);
    form->RefillPresetList();
    QScrollBar* bar = form->PresetList->verticalScrollBar();
    bar->setValue(50);
    // A drag from the tree passes over the list and leaves it.
    StartLibraryDrag({});
    std::unique_ptr<QMimeData> data(PresetDragData(DragSource::FileTree));
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, data.get(), Qt::LeftButton, {});
    QApplication::sendEvent(form->PresetList->viewport(), &enter);
    QDragLeaveEvent leave;
    QApplication::sendEvent(form->PresetList->viewport(), &leave);
    EXPECT_TRUE(form->ScrollTimer->isActive());

    const QRect list(form->PresetList->mapToGlobal(QPoint(0, 0)), form->PresetList->size());
    QPoint pointer(list.center().x(), list.bottom() + 20);
    form->pointerPosition = [&] { return pointer; };
    form->ScrollTimerTimer();
    EXPECT_EQ(bar->value(), 50 + bar->singleStep());
    pointer.setY(list.top() - 20);
    form->ScrollTimerTimer();
    form->ScrollTimerTimer();
    EXPECT_EQ(bar->value(), 50 - bar->singleStep());
    EXPECT_TRUE(form->ScrollTimer->isActive());
    // Beside the list, or back over it, the timer stops.
    pointer.setX(list.right() + 20);
    form->ScrollTimerTimer();
    EXPECT_FALSE(form->ScrollTimer->isActive());
    EXPECT_EQ(bar->value(), 50 - bar->singleStep());

    form->ScrollTimer->start();
    form->FileTreeEndDrag();
    EXPECT_FALSE(form->ScrollTimer->isActive());
}

TEST_F(LibraryFormTest, PullingAFileNodeWithTheMouseStartsItsDrag)
{
    const QString src = writeLibrary("Src.dlb", {"a"});
    form->SelectPath(src);
    QRect node;
    for (int i = 0; i < 100 && node.isEmpty(); ++i) {
        QTest::qWait(20);
        node = form->FileTree->visualRect(form->FileModel->index(src));
    }
    ASSERT_FALSE(node.isEmpty()) << "the tree did not show the file";
    QStringList dragged;
    form->runDrag = [&](QMimeData* data) {
        std::unique_ptr<QMimeData> owned(data);
        dragged << form->DraggedFileName();
    };
    QWidget* viewport = form->FileTree->viewport();
    const QPoint from = node.center();
    QTest::mousePress(viewport, Qt::LeftButton, {}, from);
    QTest::mouseMove(viewport, from + QPoint(3, 0));
    EXPECT_TRUE(dragged.isEmpty()) << "a drag begins after 7 pixels";
    QTest::mouseMove(viewport, from + QPoint(8, 1));
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, from + QPoint(8, 1));
    EXPECT_EQ(dragged, QStringList{"Src.dlb"});
    EXPECT_EQ(DragList->count, 1);
}
