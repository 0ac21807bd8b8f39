// The tree's file commands on a temporary folder, without a window: new
// folders, delete into the trash, and paste into folders, libraries and dumps.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "files/LibraryFile.h"
#include "librarian/LibrarianState.h"
#include "librarian/LibraryFiles.h"
#include "model/RecordingUnit.h"

namespace {

using Result = LibraryFiles::Result;

class LibraryFilesTest : public ::testing::Test, public ModelFixtureBase {
protected:
    QTemporaryDir dir;
    LibraryFiles files{false};
    PresetRecordList records;

    void SetUp() override
    {
        setUpModel(ModelDrux2);
        ListInit(records);
    }
    void TearDown() override
    {
        ListClear(records);
        tearDownModel();
    }

    QString path(const QString& name) const { return dir.filePath(name); }

    void fill(PresetRecordList& list, const QStringList& names)
    {
        ListClear(list);
        for (const QString& name : names) {
            PresetRecord r;
            InitRecord(r, -1);
            SetRecordName(r, name.toStdString());
            ListAdd(list, &r);
        }
    }
    QStringList namesIn(const QString& file)
    {
        PresetRecordList list;
        ListInit(list);
        QStringList names;
        if (ReadLibraryFile(list, file) != FileResult::Ok)
            return {QStringLiteral("(unreadable)")};
        for (int i = 0; i < list.count; ++i)
            names << QString::fromStdString(GetRecordName(list.at(i))).trimmed();
        return names;
    }
};

TEST_F(LibraryFilesTest, NewFoldersTakeTheNextFreeNameAndNeedAFolderToGoIn)
{
    const LibraryFiles::Outcome first = files.NewDirectory(dir.path());
    EXPECT_EQ(first.result, Result::Done);
    EXPECT_EQ(first.path, path("New Folder"));
    EXPECT_TRUE(QFileInfo(path("New Folder")).isDir());
    EXPECT_EQ(files.NewDirectory(dir.path()).path, path("New Folder 2"));

    QFile plain(path("plain.dlb"));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    EXPECT_EQ(files.NewDirectory(path("plain.dlb")).result, Result::CannotCreate);
    EXPECT_EQ(files.NewDirectory(path("missing")).result, Result::CannotCreate);
    EXPECT_EQ(files.NewDirectory(QString()).result, Result::CannotCreate);
    EXPECT_FALSE(QFileInfo::exists(path("missing")));
}

TEST_F(LibraryFilesTest, DeleteTakesAFileOrAFolderWithEverythingInIt)
{
    ASSERT_TRUE(QDir(dir.path()).mkpath("sub/deeper"));
    fill(records, {"a"});
    ASSERT_EQ(WriteLibraryFile(records, path("sub/deeper/Lib.dlb")), FileResult::Ok);
    ASSERT_EQ(WriteLibraryFile(records, path("Slip.dlb")), FileResult::Ok);

    EXPECT_EQ(files.Delete(path("Slip.dlb")), Result::Done);
    EXPECT_FALSE(QFileInfo::exists(path("Slip.dlb")));
    // The test program's own data folder holds the trash.
    EXPECT_TRUE(QFileInfo::exists(qEnvironmentVariable("XDG_DATA_HOME") + "/Trash/files/Slip.dlb"));
    EXPECT_EQ(files.Delete(path("sub")), Result::Done);
    EXPECT_FALSE(QFileInfo::exists(path("sub")));
    EXPECT_EQ(files.Delete(path("sub")), Result::CannotDelete);
}

TEST_F(LibraryFilesTest, PasteMakesANewLibraryInAFolderAndAppendsToALibraryButNeverToADump)
{
    fill(records, {"x", "y"});
    const LibraryFiles::Outcome made = files.Paste(records, dir.path());
    EXPECT_EQ(made.result, Result::Done);
    EXPECT_EQ(made.path, path("New.dlb"));
    EXPECT_TRUE(made.editName);
    EXPECT_EQ(namesIn(path("New.dlb")), (QStringList{"x", "y"}));
    EXPECT_EQ(files.Paste(records, dir.path()).path, path("New0.dlb"));

    fill(records, {"z"});
    const LibraryFiles::Outcome appended = files.Paste(records, path("New.dlb"));
    EXPECT_EQ(appended.result, Result::Done);
    EXPECT_FALSE(appended.editName);
    EXPECT_EQ(namesIn(path("New.dlb")), (QStringList{"x", "y", "z"}));

    QFile dump(path("One.syx"));
    ASSERT_TRUE(dump.open(QIODevice::WriteOnly));
    dump.write("\xF0\xF7", 2);
    dump.close();
    EXPECT_EQ(files.Paste(records, path("One.syx")).result, Result::CannotSave);
    EXPECT_EQ(QFileInfo(path("One.syx")).size(), 2);
    EXPECT_EQ(files.Paste(records, path("Missing.dlb")).result, Result::CannotSave);
    EXPECT_FALSE(QFileInfo::exists(path("Missing.dlb")));
}

} // namespace
