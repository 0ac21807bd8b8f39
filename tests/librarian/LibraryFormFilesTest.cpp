// The library window's tree: what it shows, new folders, rename, delete,
// copy and paste of files, and export into files.
#include "files/DumpFile.h"
#include "librarian/LibraryFormFixture.h"

namespace {

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

} // namespace
