#include <gtest/gtest.h>

#include <QFileInfo>

#include "CliFiles.h"
#include "FileCommands.h"

using namespace clitest;

namespace {

struct Family {
    int model;
    int length;
    const char* library;
    const char* otherLibrary; // the extension of the other family
};

const Family Families[] = {
    {0x0D, 48, "backup.dlb", "backup.blb"},
    {0x11, 48, "backup.dlb", "backup.blb"},
    {0x13, 56, "backup.blb", "backup.dlb"},
};

class BackupFamily : public FileTest, public ::testing::WithParamInterface<Family> {};

PresetImages memoryOf(const Family& f)
{
    PresetImages m;
    m.model = f.model;
    m.imageLength = f.length;
    for (const auto& i : slotImages(f.length))
        m.bytes.insert(m.bytes.end(), i.begin(), i.end());
    return m;
}

// A backup library lists the unit's presets in slot order, each record
// remembering its slot, so the library window shows bank and preset.
TEST_P(BackupFamily, LibraryHoldsOneRecordPerSlotInSlotOrder)
{
    const Family f = GetParam();
    const int R = f.length + 228;
    QString error;
    ASSERT_TRUE(WritePresetFileForBackup(path(f.library), memoryOf(f), error)) << error.toStdString();

    const QByteArray file = readFile(path(f.library));
    ASSERT_EQ(file.size(), 16 + 125 * R);
    EXPECT_EQ(file.left(8), QByteArray("DRLB\x01\x11\x00\x02", 8));
    EXPECT_EQ(get32(file, 8), uint32_t(125 * R));
    const auto images = slotImages(f.length);
    for (int j = 0; j < 125; ++j) {
        const qsizetype at = 12 + qsizetype(j) * R;
        SCOPED_TRACE("slot " + std::to_string(j));
        EXPECT_EQ(file.mid(at, 4), "DRUX");
        EXPECT_EQ(get32(file, at + 8), uint32_t(f.length + 212));
        EXPECT_EQ(get32(file, at + 12), uint32_t(f.model));
        EXPECT_EQ(get32(file, at + 20), uint32_t(j));
        EXPECT_EQ(file.mid(at + 224, f.length), bytesOf(images[size_t(j)]));
    }
    EXPECT_EQ(file.right(4), QByteArray("\xBB\xAD\xB3\xBD", 4));

    PresetImages back;
    ASSERT_TRUE(ReadPresetFileForRestore(path(f.library), back, error)) << error.toStdString();
    EXPECT_EQ(back.model, f.model);
    EXPECT_EQ(back.imageLength, f.length);
    EXPECT_EQ(back.count(), 125);
    EXPECT_EQ(back.bytes, memoryOf(f).bytes);
}

TEST_P(BackupFamily, DumpFileIsOneAllPresetsMessage)
{
    const Family f = GetParam();
    QString error;
    ASSERT_TRUE(WritePresetFileForBackup(path("backup.syx"), memoryOf(f), error)) << error.toStdString();

    EXPECT_EQ(readFile(path("backup.syx")),
              dumpFile(0, uint8_t(f.model), 0x21, 0x7D, f.length, slotImages(f.length)));

    PresetImages back;
    ASSERT_TRUE(ReadPresetFileForRestore(path("backup.syx"), back, error));
    EXPECT_EQ(back.model, f.model);
    EXPECT_EQ(back.imageLength, f.length);
    EXPECT_EQ(back.bytes, memoryOf(f).bytes);
}

TEST_P(BackupFamily, LibraryOfTheOtherFamilyIsRefusedAndNotWritten)
{
    const Family f = GetParam();
    QString error;
    EXPECT_FALSE(WritePresetFileForBackup(path(f.otherLibrary), memoryOf(f), error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(path(f.otherLibrary)));

    writeFile(path(f.otherLibrary), "keep me");
    EXPECT_FALSE(WritePresetFileForBackup(path(f.otherLibrary), memoryOf(f), error));
    EXPECT_EQ(readFile(path(f.otherLibrary)), "keep me");
}

// The helpers read and write files of any family whatever unit is connected,
// and leave the connected unit's model and image length as they were.
TEST_P(BackupFamily, ConnectedUnitStaysAsItWas)
{
    const Family f = GetParam();
    ActiveDevice.Model = f.model == 0x13 ? 0x11 : 0x13;
    PresetLength = f.model == 0x13 ? 48 : 56;
    QString error;
    PresetImages back;
    ASSERT_TRUE(WritePresetFileForBackup(path(f.library), memoryOf(f), error));
    ASSERT_TRUE(ReadPresetFileForRestore(path(f.library), back, error));
    EXPECT_EQ(back.imageLength, f.length);
    EXPECT_EQ(ActiveDevice.Model, f.model == 0x13 ? 0x11 : 0x13);
    EXPECT_EQ(PresetLength, f.model == 0x13 ? 48 : 56);
}

INSTANTIATE_TEST_SUITE_P(Models, BackupFamily, ::testing::ValuesIn(Families),
                         [](const auto& info) {
                             char name[16];
                             std::snprintf(name, sizeof name, "Model%02X", unsigned(info.param.model));
                             return std::string(name);
                         });

TEST_F(FileTest, BackupDumpNeedsOneOr125Presets)
{
    PresetImages m = memoryOf(Families[1]);
    m.bytes.resize(124 * 48);
    QString error;
    EXPECT_FALSE(WritePresetFileForBackup(path("short.syx"), m, error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(path("short.syx")));
}

// Images whose length does not belong to their model would make a library of
// one family holding the other's presets.
TEST_F(FileTest, BackupRefusesImagesOfTheWrongLengthForTheModel)
{
    PresetImages m = memoryOf(Families[2]);
    m.model = 0x11;
    QString error;
    EXPECT_FALSE(WritePresetFileForBackup(path("mixed.dlb"), m, error));
    EXPECT_FALSE(WritePresetFileForBackup(path("mixed.blb"), m, error));
    EXPECT_FALSE(WritePresetFileForBackup(path("mixed.syx"), m, error));
    m.model = 0;
    m.imageLength = 48;
    m.bytes.resize(125 * 48);
    EXPECT_FALSE(WritePresetFileForBackup(path("nomodel.syx"), m, error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(path("mixed.dlb")));
    EXPECT_FALSE(QFileInfo::exists(path("mixed.blb")));
    EXPECT_FALSE(QFileInfo::exists(path("mixed.syx")));
    EXPECT_FALSE(QFileInfo::exists(path("nomodel.syx")));
}

// A restore sends the presets of a library in file order; its comment lines
// are no presets and are skipped.
TEST_F(FileTest, RestoreSkipsCommentLinesAndKeepsFileOrder)
{
    const auto images = slotImages(48);
    std::vector<LibRecord> records;
    records.push_back({0x11, 0, -1, "Songs", 0.0, "", image(48, 99, "COMMENT")});
    for (int j = 0; j < 125; ++j) {
        records.push_back({j == 0 ? 0u : 0x11u, 0, j, "", 0.0, "", images[size_t(j)]});
        if (j == 62)
            records.push_back({0x11, 0, -1, "Second half", 0.0, "", image(48, 98, "COMMENT")});
    }
    records.push_back({0x11, 0, -1, "The end", 0.0, "", image(48, 97, "COMMENT")});
    writeFile(path("set.dlb"), libraryFile(records, 48));

    PresetImages back;
    QString error;
    ASSERT_TRUE(ReadPresetFileForRestore(path("set.dlb"), back, error)) << error.toStdString();
    EXPECT_EQ(back.count(), 125);
    EXPECT_EQ(back.imageLength, 48);
    EXPECT_EQ(back.model, 0x11);
    EXPECT_EQ(back.bytes, memoryOf(Families[1]).bytes);
}

TEST_F(FileTest, RestoreReportsHowManyPresetsAFileHolds)
{
    writeFile(path("one.syx"), dumpFile(3, 0x0D, 0x20, 127, 48, {image(48, 5, "ONE")}));
    writeFile(path("two.blb"), libraryFile({{0x13, 0, 0, "", 0.0, "", image(56, 1, "A")},
                                            {0x13, 0, -1, "note", 0.0, "", {}},
                                            {0x13, 0, 1, "", 0.0, "", image(56, 2, "B")}},
                                           56));
    PresetImages one, two;
    QString error;
    ASSERT_TRUE(ReadPresetFileForRestore(path("one.syx"), one, error));
    ASSERT_TRUE(ReadPresetFileForRestore(path("two.blb"), two, error));
    EXPECT_EQ(one.count(), 1);
    EXPECT_EQ(one.model, 0x0D);
    EXPECT_EQ(one.bytes, image(48, 5, "ONE"));
    EXPECT_EQ(two.count(), 2);
    EXPECT_EQ(two.model, 0x13);
    EXPECT_EQ(two.imageLength, 56);
}

TEST_F(FileTest, RestoreFromUnreadableFilesFailsWithAMessage)
{
    QByteArray cut = libraryFile({{0x11, 0, 0, "", 0.0, "", image(48, 1, "A")}}, 48);
    cut.chop(10);
    writeFile(path("cut.dlb"), cut);
    writeFile(path("short.syx"), dumpFile(0, 0x11, 0x21, 0x7D, 48, slotImages(48)).chopped(2));
    writeFile(path("notes.txt"), "125 presets");
    for (const char* name : {"cut.dlb", "short.syx", "notes.txt", "missing.blb"}) {
        SCOPED_TRACE(name);
        PresetImages images;
        QString error;
        EXPECT_FALSE(ReadPresetFileForRestore(path(name), images, error));
        EXPECT_TRUE(error.contains(QString::fromLatin1(name))) << error.toStdString();
    }
}

} // namespace
