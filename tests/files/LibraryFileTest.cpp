#include <QBuffer>
#include <QDir>
#include <csignal>
#include <sys/resource.h>

#include "files/FilesFixture.h"
#include "files/LibraryFile.h"

namespace {

struct Family {
    int model;
    int imageLength;
    qint64 threePresetFile;
    uint8_t sizeField; // low byte of L + 212 (high byte 01)
};

const Family Families[] = {
    {0x0D, 48, 844, 0x04},
    {0x11, 48, 844, 0x04},
    {0x13, 56, 868, 0x0C},
};

class LibraryFile : public ::testing::TestWithParam<Family>, public FilesFixture {
protected:
    void SetUp() override { setUpModel(GetParam().model); }
    void TearDown() override { tearDownModel(); }

    void addPresets(PresetRecordList& list, int n, int seed = 0)
    {
        for (int i = 0; i < n; ++i) {
            PresetRecord r;
            InitRecord(r, -1);
            fillRecord(r, seed + i, ("P" + std::to_string(seed + i)).c_str());
            r.comment = "c" + std::to_string(seed + i);
            ListAdd(list, &r);
        }
    }
};

TEST_P(LibraryFile, ThreePresetsGiveHeaderRecordsAndTrailerByteForByte)
{
    const Family f = GetParam();
    PresetRecordList list;
    ListInit(list);
    addPresets(list, 2);
    PresetRecord r;
    InitRecord(r, -1);
    r.deviceId = -5;
    r.origin = 7;
    r.comment = "Hi";
    r.dateTime = 1.5;
    r.createdBy = "Me";
    fillRecord(r, 40, "Third");
    ListAdd(list, &r);

    const QString file = path("three.lib");
    ASSERT_EQ(WriteLibraryFile(list, file), FileResult::Ok);
    const QByteArray b = contents(file);
    ASSERT_EQ(b.size(), f.threePresetFile);

    const int recordSize = f.imageLength + 228;
    EXPECT_EQ(b.left(12), QByteArray::fromHex("44524C42" "01110002") + QByteArray::fromHex(
                              f.imageLength == 48 ? "3C030000" : "54030000")); // 828 / 852
    EXPECT_EQ(b.right(4), QByteArray::fromHex("BBADB3BD"));

    const QByteArray third = b.mid(12 + 2 * recordSize, recordSize);
    EXPECT_EQ(third.left(24), QByteArray::fromHex("44525558" "01000000") + QByteArray(1, char(f.sizeField))
                                  + QByteArray::fromHex("010000") + QByteArray(1, char(f.model))
                                  + QByteArray::fromHex("000000" "FBFFFFFF" "07000000"));
    EXPECT_EQ(third.mid(24, 128), QByteArray("Hi") + QByteArray(126, '\0'));
    EXPECT_EQ(third.mid(152, 8), QByteArray::fromHex("000000000000F83F"));
    EXPECT_EQ(third.mid(160, 64), QByteArray("Me") + QByteArray(62, '\0'));
    EXPECT_EQ(third.mid(224, f.imageLength),
              QByteArray(reinterpret_cast<const char*>(r.data.data()), f.imageLength));
    EXPECT_EQ(third.right(4), QByteArray::fromHex("BBADAAA7"));
}

TEST_P(LibraryFile, ReadBackGivesEveryFieldAndKeepsTheEntrySlot)
{
    PresetRecordList list;
    ListInit(list);
    PresetRecord r;
    InitRecord(r, -1);
    r.deviceId = 9;
    r.origin = -1;
    r.comment = "Comment line";
    r.dateTime = 45000.25;
    r.createdBy = "Author";
    fillRecord(r, 3, "Lead \xDC");
    ListAdd(list, &r);
    const QString file = path("one.lib");
    ASSERT_EQ(WriteLibraryFile(list, file), FileResult::Ok);

    PresetRecordList read;
    ListInit(read);
    ASSERT_EQ(ReadLibraryFile(read, file), FileResult::Ok);
    ASSERT_EQ(read.count, 1);
    const PresetRecord& back = read.at(0);
    EXPECT_TRUE(RecordsEqual(back, r));
    EXPECT_EQ(back.origin, -1);
    EXPECT_EQ(back.dateTime, 45000.25);
    EXPECT_EQ(back.slot, -1);
    EXPECT_EQ(GetRecordName(back).substr(0, 6), "Lead \xDC");
}

TEST_P(LibraryFile, LongTextsAreCutToTheirFields)
{
    PresetRecordList list;
    ListInit(list);
    PresetRecord r;
    InitRecord(r, -1);
    r.comment = std::string(150, 'a') + std::string(50, 'b');
    r.createdBy = std::string(100, 'x');
    ListAdd(list, &r);
    const QString file = path("long.lib");
    ASSERT_EQ(WriteLibraryFile(list, file), FileResult::Ok);
    const QByteArray b = contents(file);
    EXPECT_EQ(b.mid(12 + 24, 128), QByteArray(127, 'a') + QByteArray(1, '\0'));
    EXPECT_EQ(b.mid(12 + 160, 64), QByteArray(63, 'x') + QByteArray(1, '\0'));

    PresetRecordList read;
    ListInit(read);
    ASSERT_EQ(ReadLibraryFile(read, file), FileResult::Ok);
    EXPECT_EQ(read.at(0).comment, std::string(127, 'a'));
    EXPECT_EQ(read.at(0).createdBy, std::string(63, 'x'));

    // Fields filled to their last byte by another writer read as the
    // longest text a field holds.
    QByteArray full = b;
    full.replace(12 + 24, 128, QByteArray(128, 'c'));
    full.replace(12 + 160, 64, QByteArray(64, 'y'));
    writeBytes(file, full);
    ASSERT_EQ(ReadLibraryFile(read, file), FileResult::Ok);
    EXPECT_EQ(read.at(0).comment, std::string(127, 'c'));
    EXPECT_EQ(read.at(0).createdBy, std::string(63, 'y'));
}

TEST_P(LibraryFile, ModelZeroBecomesTheConnectedModel)
{
    PresetRecordList list;
    ListInit(list);
    addPresets(list, 1);
    list.items[0]->model = 0;
    const QString file = path("zero.lib");
    ASSERT_EQ(WriteLibraryFile(list, file), FileResult::Ok);
    EXPECT_EQ(word(contents(file), 12 + 12), 0u);
    PresetRecordList read;
    ListInit(read);
    ASSERT_EQ(ReadLibraryFile(read, file), FileResult::Ok);
    EXPECT_EQ(read.at(0).model, uint32_t(GetParam().model));
}

TEST_P(LibraryFile, VersionOfTheSameGenerationUpToOursIsAccepted)
{
    PresetRecordList list;
    ListInit(list);
    addPresets(list, 2);
    const QString file = path("version.lib");
    ASSERT_EQ(WriteLibraryFile(list, file), FileResult::Ok);
    const QByteArray good = contents(file);

    struct Case {
        const char* versionBytes;
        bool accepted;
    } cases[] = {
        {"01110002", true},  // 0x02001101, ours
        {"01000001", true},  // 0x01000001, older
        {"01120002", false}, // 0x02001201, newer
        {"02110002", false}, // 0x02001102, another generation
        {"00000000", false},
    };
    for (const Case& c : cases) {
        QByteArray b = good;
        b.replace(4, 4, QByteArray::fromHex(c.versionBytes));
        writeBytes(file, b);
        PresetRecordList read;
        ListInit(read);
        EXPECT_EQ(ReadLibraryFile(read, file), c.accepted ? FileResult::Ok : FileResult::NotUnderstood) << c.versionBytes;
        EXPECT_EQ(read.count, c.accepted ? 2 : 0) << c.versionBytes;
    }
}

TEST_P(LibraryFile, BrokenFilesFailAndLeaveTheListAsItWas)
{
    PresetRecordList list;
    ListInit(list);
    addPresets(list, 3);
    const QString file = path("broken.lib");
    ASSERT_EQ(WriteLibraryFile(list, file), FileResult::Ok);
    const QByteArray good = contents(file);
    const int recordSize = GetParam().imageLength + 228;

    struct Case {
        const char* what;
        QByteArray bytes;
    };
    QByteArray badTrailer = good;
    badTrailer[badTrailer.size() - 1] = 0;
    QByteArray badMagic = good;
    badMagic[0] = 'X';
    QByteArray zeroCount = good;
    zeroCount.replace(8, 4, QByteArray(4, '\0'));
    QByteArray oddCount = good;
    oddCount.replace(8, 4, QByteArray::fromHex("01010000"));
    QByteArray hugeCount = good;
    const uint32_t manyRecords = uint32_t(recordSize) * 100000;
    hugeCount[8] = char(manyRecords);
    hugeCount[9] = char(manyRecords >> 8);
    hugeCount[10] = char(manyRecords >> 16);
    hugeCount[11] = char(manyRecords >> 24);
    QByteArray notWhole = good;
    notWhole.replace(8, 4, QByteArray::fromHex("FCFFFFFF"));
    QByteArray badSecondRecord = good;
    badSecondRecord[12 + 2 * recordSize - 1] = 0; // end marker of record 2
    QByteArray badThirdMagic = good;
    badThirdMagic[12 + 2 * recordSize] = 'x';
    const Case cases[] = {
        {"missing trailer", good.left(good.size() - 4)},
        {"wrong trailer", badTrailer},
        {"wrong magic", badMagic},
        {"no records", zeroCount},
        {"count not whole records", oddCount},
        {"count beyond the file", hugeCount},
        {"huge count", notWhole},
        {"cut in a record", good.left(12 + recordSize + 100)},
        {"header only", good.left(12)},
        {"short header", good.left(7)},
        {"empty", QByteArray()},
        {"second record damaged", badSecondRecord},
        {"third record damaged", badThirdMagic},
    };

    // The target is the open library, which has been read before.
    PresetRecordList before;
    ListInit(before);
    addPresets(before, 2, 50);
    const QString previous = path("previous.lib");
    ASSERT_EQ(WriteLibraryFile(before, previous), FileResult::Ok);
    ASSERT_EQ(ReadLibraryFile(*LibraryList, previous), FileResult::Ok);
    LibraryList->columns = 2;
    for (const Case& c : cases) {
        writeBytes(file, c.bytes);
        EXPECT_EQ(ReadLibraryFile(*LibraryList, file), FileResult::NotUnderstood) << c.what;
        ASSERT_EQ(LibraryList->count, 2) << c.what;
        EXPECT_EQ(LibraryList->columns, 2) << c.what;
        EXPECT_EQ(LibraryList->at(0).comment, "c50") << c.what;
        EXPECT_EQ(LibraryList->at(1).comment, "c51") << c.what;
        ASSERT_EQ(LibraryLoadedList->count, 2) << c.what;
        EXPECT_EQ(LibraryLoadedList->at(1).comment, "c51") << c.what;
    }
    EXPECT_EQ(ReadLibraryFile(*LibraryList, path("does-not-exist.lib")), FileResult::CannotOpen);
    EXPECT_EQ(LibraryList->count, 2);
}

TEST_P(LibraryFile, OnlyTheLibraryListUpdatesTheLoadedCopy)
{
    PresetRecordList list;
    ListInit(list);
    addPresets(list, 4);
    const QString file = path("loaded.lib");
    ASSERT_EQ(WriteLibraryFile(list, file), FileResult::Ok);

    ASSERT_EQ(ReadLibraryFile(*ClipboardList, file), FileResult::Ok);
    EXPECT_EQ(ClipboardList->count, 4);
    EXPECT_EQ(LibraryLoadedList->count, 0);

    ASSERT_EQ(ReadLibraryFile(*LibraryList, file), FileResult::Ok);
    ASSERT_EQ(LibraryLoadedList->count, 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_TRUE(RecordsEqual(LibraryLoadedList->at(i), LibraryList->at(i)));
        EXPECT_EQ(LibraryLoadedList->at(i).slot, -1);
    }
}

TEST_P(LibraryFile, AppendingTwoToFiveGivesSevenOldOnesFirst)
{
    PresetRecordList five;
    ListInit(five);
    addPresets(five, 5);
    const QString file = path("append.lib");
    ASSERT_EQ(WriteLibraryFile(five, file), FileResult::Ok);
    PresetRecordList two;
    ListInit(two);
    addPresets(two, 2, 100);
    two.columns = 2;
    ASSERT_EQ(AppendToLibraryFile(two, file), FileResult::Ok);
    EXPECT_EQ(two.columns, 0);
    EXPECT_EQ(contents(file).size(), 16 + 7 * (GetParam().imageLength + 228));

    PresetRecordList read;
    ListInit(read);
    ASSERT_EQ(ReadLibraryFile(read, file), FileResult::Ok);
    ASSERT_EQ(read.count, 7);
    const char* comments[] = {"c0", "c1", "c2", "c3", "c4", "c100", "c101"};
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(read.at(i).comment, comments[i]);
}

TEST_P(LibraryFile, AppendingNeedsRecordsAndAReadableFile)
{
    PresetRecordList two;
    ListInit(two);
    addPresets(two, 2);
    EXPECT_EQ(AppendToLibraryFile(two, path("missing.lib")), FileResult::CannotOpen);
    EXPECT_FALSE(QFile::exists(path("missing.lib")));
    PresetRecordList empty;
    ListInit(empty);
    const QString file = path("a.lib");
    ASSERT_EQ(WriteLibraryFile(two, file), FileResult::Ok);
    const QByteArray before = contents(file);
    EXPECT_EQ(AppendToLibraryFile(empty, file), FileResult::NothingToWrite);
    EXPECT_EQ(contents(file), before);
}

TEST_P(LibraryFile, AnEmptyListIsNeverWritten)
{
    const QString file = path("keep.lib");
    writeBytes(file, "old contents");
    PresetRecordList empty;
    ListInit(empty);
    EXPECT_EQ(WriteLibraryFile(empty, file), FileResult::NothingToWrite);
    EXPECT_EQ(contents(file), QByteArray("old contents"));
    EXPECT_EQ(WriteLibraryFile(empty, path("new.lib")), FileResult::NothingToWrite);
    EXPECT_FALSE(QFile::exists(path("new.lib")));
}

TEST_P(LibraryFile, AFailedWriteKeepsTheOldFile)
{
    const QString file = path("full.lib");
    const QByteArray old(300, 'o');
    writeBytes(file, old);
    PresetRecordList list;
    ListInit(list);
    addPresets(list, 3);

    // The disk is full after 400 bytes of any file.
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 400;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const FileResult written = WriteLibraryFile(list, file);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(written, FileResult::WriteFailed);
    EXPECT_EQ(contents(file), old);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("full.lib")});
    EXPECT_EQ(WriteLibraryFile(list, path("no/such/folder/x.lib")), FileResult::WriteFailed);
}

INSTANTIATE_TEST_SUITE_P(Families, LibraryFile, ::testing::ValuesIn(Families),
                         [](const auto& info) { return "Model" + std::to_string(info.param.model); });

class LibraryFamilies : public ::testing::Test, public FilesFixture {
protected:
    void TearDown() override { tearDownModel(); }
};

TEST_F(LibraryFamilies, AGuitarFileOfBassSizeFailsAtItsFirstRecord)
{
    setUpModel(ModelBass);
    // 71 guitar records are 19596 bytes, as many as 69 bass records.
    PresetRecordList guitar;
    ListInit(guitar);
    PresetRecord r;
    for (int i = 0; i < 71; ++i)
        ListAdd(guitar, &r);
    const QByteArray bytes = library::EncodeLibrary(guitar, 48, CurrentDataFormatVersion);
    ASSERT_EQ(word(bytes, 8), 19596u);
    ASSERT_EQ(word(bytes, 12 + 8), 260u);
    writeBytes(path("guitar.dlb"), bytes);

    PresetRecordList read;
    ListInit(read);
    EXPECT_EQ(ReadLibraryFile(read, path("guitar.dlb")), FileResult::NotUnderstood);
    EXPECT_EQ(read.count, 0);

    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    EXPECT_FALSE(library::ReadLibrary(buffer, read, 56, ModelBass, CurrentDataFormatVersion));
    buffer.seek(0);
    EXPECT_TRUE(library::ReadLibrary(buffer, read, 48, ModelDrux2, CurrentDataFormatVersion));
    EXPECT_EQ(read.count, 71);

    // Only the two families' image lengths are understood.
    PresetRecordList other;
    ListInit(other);
    buffer.seek(0);
    EXPECT_FALSE(library::ReadLibrary(buffer, other, 50, ModelDrux2, CurrentDataFormatVersion));
    EXPECT_FALSE(library::DecodeRecord(reinterpret_cast<const uint8_t*>(bytes.constData()) + 12, 50, ModelDrux2,
                                       r));
    EXPECT_EQ(other.count, 0);
}

} // namespace
