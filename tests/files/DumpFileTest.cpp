#include <QBuffer>

#include "files/DumpFile.h"
#include "files/FilesFixture.h"

namespace {

struct Family {
    int model;
    int imageLength;
    qint64 onePreset;
    qint64 allPresets;
};

const Family Families[] = {
    {0x0D, 48, 58, 6010},
    {0x11, 48, 58, 6010},
    {0x13, 56, 66, 7010},
};

QByteArray image(const PresetRecord& r, int length) { return QByteArray(reinterpret_cast<const char*>(r.data.data()), length); }

class DumpFile : public ::testing::TestWithParam<Family>, public FilesFixture {
protected:
    void SetUp() override
    {
        setUpModel(GetParam().model);
        for (int j = 0; j < SlotCount; ++j)
            fillRecord(*DeviceMemory[j], j, ("Slot " + std::to_string(j)).c_str());
    }
    void TearDown() override { tearDownModel(); }

    // A dump file as another tool would write it, worked out from the layout.
    QByteArray onePresetFile(uint8_t model, uint8_t number, uint8_t fill) const
    {
        const int L = GetParam().imageLength;
        QByteArray b = QByteArray::fromHex("F0002032");
        b += char(3);
        b += char(model);
        b += char(0x20);
        b += char(number);
        b += char(L);
        b += QByteArray(L, char(fill));
        b += char(0xF7);
        return b;
    }

    QByteArray allPresetsFile(uint8_t model) const
    {
        const int L = GetParam().imageLength;
        QByteArray b = QByteArray::fromHex("F0002032");
        b += char(0);
        b += char(model);
        b += char(0x21);
        b += char(0x7D);
        b += char(L);
        for (int j = 0; j < SlotCount; ++j)
            b += QByteArray(L, char(0x7F - j % 100));
        b += char(0xF7);
        return b;
    }
};

TEST_P(DumpFile, OnePresetExportIsTheMessageWithTheExportNumberAndPreset127)
{
    const Family f = GetParam();
    CurrentPreferences.SysexNr = 15; // shown as "16"
    ASSERT_EQ(ExportDump(17, path("slot17.syx")), FileResult::Ok);
    const QByteArray b = contents(path("slot17.syx"));
    ASSERT_EQ(b.size(), f.onePreset);
    QByteArray expected = QByteArray::fromHex("F00020320F");
    expected += char(f.model);
    expected += QByteArray::fromHex("207F");
    expected += char(f.imageLength);
    expected += image(*DeviceMemory[17], f.imageLength);
    expected += char(0xF7);
    EXPECT_EQ(b, expected);
    EXPECT_TRUE(unit.presetDumps.empty());
}

TEST_P(DumpFile, AllPresetsExportHoldsTheSlotsInOrder)
{
    const Family f = GetParam();
    CurrentPreferences.SysexNr = 2;
    ASSERT_EQ(ExportDump(-1, path("all.syx")), FileResult::Ok);
    const QByteArray b = contents(path("all.syx"));
    ASSERT_EQ(b.size(), f.allPresets);
    QByteArray head = QByteArray::fromHex("F000203202");
    head += char(f.model);
    head += QByteArray::fromHex("217D");
    head += char(f.imageLength);
    EXPECT_EQ(b.left(9), head);
    EXPECT_EQ(b.mid(9, f.imageLength), image(*DeviceMemory[0], f.imageLength));
    EXPECT_EQ(b.mid(9 + 124 * f.imageLength, f.imageLength), image(*DeviceMemory[124], f.imageLength));
    EXPECT_EQ(uint8_t(b.back()), 0xF7);
}

TEST_P(DumpFile, EditBufferExportCapturesTheEditedPreset)
{
    const Family f = GetParam();
    const bool bass = f.model == ModelBass;
    (bass ? Param(BassPreset::Gain) : Param(GuitarPreset::Gain)).value = 42;
    (bass ? Param(BassPreset::Treble) : Param(GuitarPreset::Treble)).value = 7;
    ASSERT_EQ(ExportDump(127, path("edit.syx")), FileResult::Ok);
    const QByteArray b = contents(path("edit.syx"));
    ASSERT_EQ(b.size(), f.onePreset);
    EXPECT_EQ(at(b, 7), 127);
    EXPECT_EQ(at(b, 9), 42);
    EXPECT_EQ(at(b, 10), 7);
}

TEST_P(DumpFile, OtherIndexesWriteNothing)
{
    for (int index : {-2, 125, 126, 128})
        EXPECT_EQ(ExportDump(index, path("bad.syx")), FileResult::NothingToWrite) << index;
    EXPECT_FALSE(QFile::exists(path("bad.syx")));
    EXPECT_EQ(ExportDump(3, path("no/such/folder/x.syx")), FileResult::WriteFailed);
}

TEST_P(DumpFile, ExportWithoutAFileGoesToTheUnit)
{
    const int L = GetParam().imageLength;
    ASSERT_EQ(ExportDump(17), FileResult::Ok);
    ASSERT_EQ(unit.presetDumps.size(), 1u);
    EXPECT_EQ(unit.presetDumps[0].slot, 17);
    EXPECT_EQ(unit.presetDumps[0].image, std::vector<uint8_t>(DeviceMemory[17]->data.begin(),
                                                               DeviceMemory[17]->data.begin() + L));
    ASSERT_EQ(ExportDump(-1), FileResult::Ok);
    ASSERT_EQ(unit.memoryDumps.size(), 1u);
    ASSERT_EQ(unit.memoryDumps[0].size(), size_t(125 * L));
    EXPECT_EQ(unit.memoryDumps[0][size_t(124 * L)], DeviceMemory[124]->data[0]);
}

TEST_P(DumpFile, OnePresetOfAnyGuitarModelImportsIntoTheSelectedSlot)
{
    if (GetParam().model == ModelBass)
        GTEST_SKIP() << "guitar dumps";
    CurrentPreferences.Confirm = 0;
    writeBytes(path("drux.syx"), onePresetFile(0x0D, 127, 0x21));
    const std::string name = GetRecordName(*DeviceMemory[5]);
    EXPECT_EQ(ImportDumpToMemory(path("drux.syx"), 40), dump::ImportResult::Done);
    EXPECT_EQ(DeviceMemory[40]->data[0], 0x21);
    EXPECT_EQ(DeviceMemory[40]->data[47], 0x21);
    EXPECT_EQ(DeviceMemory[40]->model, uint32_t(GetParam().model));
    EXPECT_EQ(GetRecordName(*DeviceMemory[5]), name);
    ASSERT_EQ(unit.presetDumps.size(), 1u);
    EXPECT_EQ(unit.presetDumps[0].slot, 40);
    EXPECT_EQ(unit.presetDumps[0].image, std::vector<uint8_t>(48, 0x21));
}

TEST_P(DumpFile, ADumpOfTheOtherFamilyIsNotCompatible)
{
    const bool bass = GetParam().model == ModelBass;
    // Build the other family's file by hand.
    const int otherLength = bass ? 48 : 56;
    QByteArray b = QByteArray::fromHex("F000203200");
    b += char(bass ? 0x11 : 0x13);
    b += QByteArray::fromHex("207F");
    b += char(otherLength);
    b += QByteArray(otherLength, 1);
    b += char(0xF7);
    writeBytes(path("other.syx"), b);
    const QByteArray before = image(*DeviceMemory[3], GetParam().imageLength);
    EXPECT_EQ(ImportDumpToMemory(path("other.syx"), 3), dump::ImportResult::NotCompatible);
    EXPECT_EQ(image(*DeviceMemory[3], GetParam().imageLength), before);
    EXPECT_TRUE(unit.presetDumps.empty());

    EXPECT_EQ(ReadDumpIntoList(*LibraryList, path("other.syx")), dump::ReadResult::NotCompatible);
    EXPECT_EQ(LibraryList->count, 0);
}

TEST_P(DumpFile, HeaderBytesThatAreChecked)
{
    const QByteArray good = onePresetFile(uint8_t(GetParam().model), 127, 1);
    struct Case {
        int offset;
        uint8_t value;
        bool compatible;
    } cases[] = {
        {0, 0xF1, false}, {1, 0x01, false}, {2, 0x21, false}, {3, 0x33, false},
        {4, 0x7F, true},  // device number is not examined
        {5, 0x12, false}, {5, 0x0D, true}, {5, 0x13, true},
        {6, 0x22, false}, {8, 0x31, false},
        {7, 0x05, true}, // preset number of a single preset is not examined
    };
    for (const Case& c : cases) {
        QByteArray b = good;
        b[c.offset] = char(c.value);
        EXPECT_EQ(dump::HeaderCompatible(reinterpret_cast<const uint8_t*>(b.constData()), GetParam().imageLength),
                  c.compatible)
            << c.offset << " " << int(c.value);
    }
    QByteArray noEnd = good;
    noEnd[noEnd.size() - 1] = 0x00;
    writeBytes(path("noend.syx"), noEnd);
    EXPECT_EQ(ReadDumpIntoList(*LibraryList, path("noend.syx")), dump::ReadResult::Ok);
    EXPECT_EQ(LibraryList->count, 1);
}

TEST_P(DumpFile, AllPresetsImportWithoutConfirmReplacesAndSendsEverything)
{
    const int L = GetParam().imageLength;
    CurrentPreferences.Confirm = 0;
    const QByteArray file = allPresetsFile(uint8_t(GetParam().model));
    writeBytes(path("all.syx"), file);
    EXPECT_EQ(ImportDumpToMemory(path("all.syx"), 0), dump::ImportResult::Done);
    for (int j : {0, 1, 99, 100, 124}) {
        EXPECT_EQ(DeviceMemory[j]->data[0], 0x7F - j % 100) << j;
        EXPECT_EQ(DeviceMemory[j]->data[size_t(L - 1)], 0x7F - j % 100) << j;
    }
    ASSERT_EQ(unit.memoryDumps.size(), 1u);
    EXPECT_EQ(unit.memoryDumps[0],
              std::vector<uint8_t>(file.constBegin() + 9, file.constEnd() - 1));
}

// The window asks its question between the peek and the import; the peek
// reads the header alone and changes nothing.
TEST_P(DumpFile, APeekTellsWhatAnImportWouldReplace)
{
    const uint8_t model = uint8_t(GetParam().model);
    writeBytes(path("one.syx"), onePresetFile(model, 127, 0x33));
    writeBytes(path("all.syx"), allPresetsFile(model));
    writeBytes(path("short.syx"), onePresetFile(model, 127, 0x33).chopped(1));
    QByteArray other = onePresetFile(model, 127, 0x33);
    other[5] = 0x12;
    writeBytes(path("other.syx"), other);
    const QByteArray before = image(*DeviceMemory[8], GetParam().imageLength);

    const struct {
        const char* file;
        int slot;
        dump::Form form;
        dump::ImportResult refused;
    } cases[] = {
        {"one.syx", 8, dump::Form::OnePreset, dump::ImportResult::NotLoaded},
        {"all.syx", 8, dump::Form::AllPresets, dump::ImportResult::NotLoaded},
        {"all.syx", -1, dump::Form::AllPresets, dump::ImportResult::NotLoaded},
        {"one.syx", 125, dump::Form::Other, dump::ImportResult::NotLoaded},
        {"short.syx", 8, dump::Form::Other, dump::ImportResult::NotLoaded},
        {"other.syx", 8, dump::Form::Other, dump::ImportResult::NotCompatible},
        {"missing.syx", 8, dump::Form::Other, dump::ImportResult::NotLoaded},
    };
    for (const auto& c : cases) {
        const dump::ImportPeek peek = dump::PeekImport(path(c.file), c.slot);
        EXPECT_EQ(peek.form, c.form) << c.file << " " << c.slot;
        if (c.form == dump::Form::Other) {
            EXPECT_EQ(peek.refused, c.refused) << c.file << " " << c.slot;
        }
    }
    EXPECT_EQ(image(*DeviceMemory[8], GetParam().imageLength), before);
    EXPECT_TRUE(unit.presetDumps.empty());
    EXPECT_TRUE(unit.memoryDumps.empty());
    EXPECT_EQ(ImportDumpToMemory(path("one.syx"), 125), dump::ImportResult::NotLoaded);
}

TEST_P(DumpFile, WrongSizesAreNotHandledAndAddNothing)
{
    const uint8_t model = uint8_t(GetParam().model);
    QByteArray wrongCount = allPresetsFile(model);
    wrongCount[7] = 0x7C;
    QByteArray oneAsAll = onePresetFile(model, 127, 1);
    oneAsAll[6] = 0x21;
    struct Case {
        const char* what;
        QByteArray bytes;
    } cases[] = {
        {"one preset without its last byte", onePresetFile(model, 127, 1).chopped(1)},
        {"one preset with an extra byte", onePresetFile(model, 127, 1) + char(0xF7)},
        {"all presets, count not 125", wrongCount},
        {"one preset's size with command 21", oneAsAll},
        {"all presets cut short", allPresetsFile(model).chopped(100)},
    };
    CurrentPreferences.Confirm = 0;
    ListAdd(*LibraryList, DeviceMemory[0]);
    for (const Case& c : cases) {
        writeBytes(path("wrong.syx"), c.bytes);
        EXPECT_EQ(ImportDumpToMemory(path("wrong.syx"), 0), dump::ImportResult::NotLoaded) << c.what;
        EXPECT_EQ(ReadDumpIntoList(*LibraryList, path("wrong.syx")), dump::ReadResult::WrongSize) << c.what;
        EXPECT_EQ(AppendDumpToList(*LibraryList, path("wrong.syx")), dump::ReadResult::WrongSize) << c.what;
        EXPECT_EQ(LibraryList->count, 1) << c.what;
    }
    EXPECT_TRUE(unit.presetDumps.empty());
    EXPECT_TRUE(unit.memoryDumps.empty());
}

TEST_P(DumpFile, UnreadableAndHeaderlessFilesAreFailedReads)
{
    ListAdd(*LibraryList, DeviceMemory[0]);
    writeBytes(path("short.syx"), QByteArray::fromHex("F0002032001120"));
    writeBytes(path("nine.syx"), QByteArray::fromHex("F0002032001120") + char(127) + char(GetParam().imageLength));
    for (const char* name : {"missing.syx", "short.syx", "nine.syx"}) {
        EXPECT_EQ(ImportDumpToMemory(path(name), 0), dump::ImportResult::NotLoaded) << name;
        EXPECT_EQ(ReadDumpIntoList(*LibraryList, path(name)), dump::ReadResult::Unreadable) << name;
        EXPECT_EQ(AppendDumpToList(*LibraryList, path(name)), dump::ReadResult::Unreadable) << name;
        EXPECT_EQ(LibraryList->count, 1) << name;
    }
}

TEST_P(DumpFile, ReadingIntoTheLibraryGivesAnonymousPresetsOfTheConnectedModel)
{
    const int L = GetParam().imageLength;
    const uint8_t other = GetParam().model == ModelBass ? 0x13 : (GetParam().model == 0x11 ? 0x0D : 0x11);
    writeBytes(path("all.syx"), allPresetsFile(other));
    ListAdd(*LibraryList, DeviceMemory[0]);
    ASSERT_EQ(ReadDumpIntoList(*LibraryList, path("all.syx")), dump::ReadResult::Ok);
    ASSERT_EQ(LibraryList->count, 125);
    ASSERT_EQ(LibraryLoadedList->count, 125);
    for (int j : {0, 124}) {
        const PresetRecord& r = LibraryList->at(j);
        EXPECT_EQ(r.model, uint32_t(GetParam().model));
        EXPECT_EQ(r.origin, -2);
        EXPECT_EQ(r.slot, -1);
        EXPECT_TRUE(r.comment.empty());
        EXPECT_TRUE(r.createdBy.empty());
        EXPECT_EQ(r.dateTime, 0.0);
        EXPECT_EQ(r.data[0], 0x7F - j % 100);
        EXPECT_EQ(r.data[size_t(L)], 0);
        EXPECT_TRUE(RecordsEqual(LibraryLoadedList->at(j), r));
    }

    writeBytes(path("one.syx"), onePresetFile(uint8_t(GetParam().model), 127, 0x44));
    ASSERT_EQ(AppendDumpToList(*LibraryList, path("one.syx")), dump::ReadResult::Ok);
    ASSERT_EQ(LibraryList->count, 126);
    EXPECT_EQ(LibraryList->at(125).data[0], 0x44);
    EXPECT_EQ(LibraryLoadedList->count, 125);
}

// A device that claims more bytes than it delivers: a read error half-way.
class ShortDevice : public QBuffer {
public:
    ShortDevice(const QByteArray& bytes, qint64 claimed) : claimedSize(claimed)
    {
        setData(bytes);
        open(QIODevice::ReadOnly);
    }
    qint64 size() const override { return claimedSize; }

private:
    qint64 claimedSize;
};

TEST_P(DumpFile, AnImageReadThatBreaksOffKeepsThePresetsRead)
{
    const int L = GetParam().imageLength;
    const QByteArray full = allPresetsFile(uint8_t(GetParam().model));
    ShortDevice device(full.left(9 + 10 * L + 5), full.size());
    PresetRecordList list;
    ListInit(list);
    EXPECT_EQ(dump::ReadDumpIntoListFrom(device, list, true), dump::ReadResult::Corrupted);
    EXPECT_EQ(list.count, 10);
    EXPECT_EQ(list.at(9).data[0], 0x7F - 9);

    ShortDevice again(full.left(9 + 10 * L + 5), full.size());
    CurrentPreferences.Confirm = 0;
    const QByteArray before = image(*DeviceMemory[0], L);
    EXPECT_EQ(dump::ImportDumpFrom(again, 0), dump::ImportResult::NotLoaded);
    EXPECT_EQ(image(*DeviceMemory[0], L), before);
}

INSTANTIATE_TEST_SUITE_P(Families, DumpFile, ::testing::ValuesIn(Families),
                         [](const auto& info) { return "Model" + std::to_string(info.param.model); });

} // namespace
