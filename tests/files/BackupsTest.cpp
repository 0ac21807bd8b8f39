#include <QDir>
#include <QStandardPaths>

#include "files/Backups.h"
#include "files/DumpFile.h"
#include "files/FilesFixture.h"
#include "files/LibraryFile.h"

namespace {

const QDateTime At = QDateTime(QDate(2026, 12, 9), QTime(14, 3, 27));

class Backups : public ::testing::Test, public FilesFixture {
protected:
    void SetUp() override
    {
        setUpModel(0x11);
        for (int j = 0; j < SlotCount; ++j)
            fillRecord(*DeviceMemory[j], j, ("Slot " + std::to_string(j)).c_str());
        folder = backup::BackupLocation(dir.path()).folder;
    }
    void TearDown() override { tearDownModel(); }

    backup::Result backUp(const char* key, const QDateTime& when = At)
    {
        return backup::BackUpMemory(folder, key, QStringLiteral("Stage: Left"), backup::CurrentMemory(0x11), 3,
                                    when);
    }

    QStringList dumps() const { return QDir(folder).entryList({QStringLiteral("*.syx")}, QDir::Files, QDir::Name); }

    QString folder;
};

TEST_F(Backups, AReadIsKeptOnceAsAnAllPresetsDumpOfItsUnit)
{
    const auto first = backUp("DEV1");
    ASSERT_EQ(first.outcome, backup::Outcome::Written);
    EXPECT_EQ(first.path, QDir(dir.path()).filePath(QStringLiteral("Backups/Stage_ Left 2026-12-09 14-03-27.syx")));
    const auto images = backup::CurrentMemory(0x11).bytes;
    const auto expected = dump::MemoryDumpBytes(3, 0x11, images.data(), 48);
    EXPECT_EQ(contents(first.path), QByteArray(reinterpret_cast<const char*>(expected.data()), qsizetype(expected.size())));

    // The same memory again: nothing new. Another unit with the same memory
    // gets its own backup, in the same second.
    EXPECT_EQ(backUp("DEV1", At.addSecs(60)).outcome, backup::Outcome::Unchanged);
    const auto other = backUp("DEV2");
    ASSERT_EQ(other.outcome, backup::Outcome::Written);
    EXPECT_TRUE(other.path.endsWith(QStringLiteral("14-03-27 (2).syx")));

    // A changed slot makes a new backup, listed first; the list names the unit.
    SetRecordName(*DeviceMemory[7], "CRUNCH LEAD");
    const auto changed = backUp("DEV1", At.addSecs(120));
    ASSERT_EQ(changed.outcome, backup::Outcome::Written);
    EXPECT_EQ(dumps().size(), 3);
    const auto list = backup::ListBackups(folder, "DEV1");
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].path, changed.path);
    EXPECT_EQ(list[0].unitName, QStringLiteral("Stage_ Left"));
    EXPECT_EQ(list[0].when, At.addSecs(120));
    EXPECT_EQ(list[1].path, first.path);
    EXPECT_EQ(backup::ListBackups(folder).size(), 3u);

    backup::MemoryImages newest, oldest;
    ASSERT_TRUE(backup::ReadBackup(list[0].path, newest));
    ASSERT_TRUE(backup::ReadBackup(list[1].path, oldest));
    EXPECT_EQ(newest, backup::CurrentMemory(0x11));
    EXPECT_EQ(backup::DifferingSlots(newest, oldest), std::vector<int>{7});
    EXPECT_EQ(newest.slotName(7), "CRUNCH LEAD");
}

TEST_F(Backups, TheVirtualUnitAndAFailedWriteLeaveNoFile)
{
    ActiveDevice = DeviceConnection();
    EXPECT_EQ(backup::BackUpActiveUnit(dir.path(), 0).outcome, backup::Outcome::Unchanged);
    EXPECT_TRUE(dumps().isEmpty());

    // A file where the folder should be: the backup fails and says so.
    const QString blocked = path("blocked");
    writeBytes(blocked, "x");
    EXPECT_EQ(backup::BackUpMemory(blocked + "/Backups", "DEV1", QStringLiteral("U"), backup::CurrentMemory(0x11), 0,
                                   At)
                  .outcome,
              backup::Outcome::Failed);
}

TEST_F(Backups, AnUnwritableWorkingFolderSendsBackupsToTheUsersDataFolder)
{
    const QString blocked = path("blocked");
    writeBytes(blocked, "x");
    const auto location = backup::BackupLocation(blocked);
    EXPECT_TRUE(location.fellBack);
    EXPECT_EQ(location.folder,
              QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/Backups"));
    EXPECT_TRUE(QDir(location.folder).exists());
    EXPECT_FALSE(backup::BackupLocation(dir.path()).fellBack);
}

TEST_F(Backups, ALibrarySaveKeepsThePreviousVersionOnlyWhenItDiffers)
{
    const QString file = path("gig.dlb");
    PresetRecordList list;
    ListInit(list);
    PresetRecord r;
    InitRecord(r, -1);
    fillRecord(r, 1, "ONE");
    ListAdd(list, &r);
    ASSERT_EQ(WriteLibraryFile(list, file), FileResult::Ok);
    const QByteArray firstVersion = contents(file);
    const QDir history(backup::LibraryFolder(folder));
    EXPECT_FALSE(history.exists());

    ASSERT_EQ(WriteLibraryFile(list, file), FileResult::Ok); // same contents: nothing to keep
    EXPECT_FALSE(history.exists());

    ListAdd(list, &r);
    ASSERT_EQ(WriteLibraryFile(list, file), FileResult::Ok);
    const QStringList kept = history.entryList(QDir::Files);
    ASSERT_EQ(kept.size(), 1);
    EXPECT_TRUE(kept[0].startsWith(QStringLiteral("gig ")) && kept[0].endsWith(QStringLiteral(".dlb"))) << qPrintable(kept[0]);
    EXPECT_EQ(contents(history.filePath(kept[0])), firstVersion);

    // When the old version cannot be kept, the save does not happen.
    const QByteArray secondVersion = contents(file);
    QDir(history.path()).removeRecursively();
    writeBytes(history.path(), "not a folder");
    ListAdd(list, &r);
    EXPECT_EQ(WriteLibraryFile(list, file), FileResult::BackupFailed);
    EXPECT_EQ(contents(file), secondVersion);
}

TEST_F(Backups, AnAllPresetsImportKeepsTheMemoryFirstAndSendsNothingWithoutIt)
{
    ActiveDevice.DeviceKey = "DEV1";
    ActiveDevice.DeviceName = "Stage";
    CurrentPreferences.Confirm = 0;
    const auto before = backup::CurrentMemory(0x11);
    std::vector<uint8_t> images(before.bytes.size(), 0x21);
    const auto file = dump::MemoryDumpBytes(0, 0x11, images.data(), 48);
    writeBytes(path("all.syx"), QByteArray(reinterpret_cast<const char*>(file.data()), qsizetype(file.size())));

    // No folder for backups anywhere: the unit keeps its memory.
    const QString blocked = path("blocked");
    writeBytes(blocked, "x");
    CurrentPreferences.Dir = blocked;
    const QByteArray home = qgetenv("HOME");
    qputenv("HOME", blocked.toLocal8Bit());
    EXPECT_EQ(ImportDumpToMemory(path("all.syx"), 0), dump::ImportResult::BackupFailed);
    qputenv("HOME", home);
    EXPECT_TRUE(unit.memoryDumps.empty());
    EXPECT_EQ(backup::CurrentMemory(0x11), before);

    CurrentPreferences.Dir = dir.path();
    EXPECT_EQ(ImportDumpToMemory(path("all.syx"), 0), dump::ImportResult::Done);
    EXPECT_EQ(unit.memoryDumps.size(), 1u);
    const auto list = backup::ListBackups(folder, "DEV1");
    ASSERT_EQ(list.size(), 1u);
    backup::MemoryImages kept;
    ASSERT_TRUE(backup::ReadBackup(list[0].path, kept));
    EXPECT_EQ(kept, before);
}

TEST(BackupNames, FileNamesHoldOnlyWhatAFileNameCan)
{
    EXPECT_EQ(backup::FileNamePart(QStringLiteral("A/B\\C:D*E?\"<>|")), QStringLiteral("A_B_C_D_E_____"));
    EXPECT_EQ(backup::FileNamePart(QStringLiteral("  ")), QStringLiteral("Drux"));
    EXPECT_EQ(backup::FileNamePart(QStringLiteral("..")), QStringLiteral("Drux"));
    EXPECT_EQ(backup::FileNamePart(QStringLiteral("Bühne")), QStringLiteral("Bühne"));
}

} // namespace
