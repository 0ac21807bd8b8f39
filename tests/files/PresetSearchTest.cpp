#include <QDir>

#include "files/DumpFile.h"
#include "files/FilesFixture.h"
#include "files/LibraryFile.h"
#include "files/PresetSearch.h"

namespace {

using presetsearch::Hit;

class PresetSearch : public ::testing::Test, public FilesFixture {
protected:
    void SetUp() override { setUpModel(0x11); }
    void TearDown() override { tearDownModel(); }

    static PresetRecord preset(uint32_t model, int seed, const char* name, const char* comment = "",
                               const char* author = "")
    {
        PresetRecord r;
        InitRecord(r, -1);
        r.model = model;
        const int length = ImageLengthFor(model);
        for (int i = 0; i < length - NameLength; ++i)
            r.data[size_t(i)] = static_cast<uint8_t>((seed + i) & 0x7F);
        std::string padded(name);
        padded.resize(NameLength, ' ');
        std::copy(padded.begin(), padded.end(), r.data.begin() + (length - NameLength));
        r.comment = comment;
        r.createdBy = author;
        return r;
    }

    void makeFolderOf(const QString& file) const
    {
        QDir().mkpath(QFileInfo(dir.filePath(file)).absolutePath());
    }

    void library(const QString& file, const std::vector<PresetRecord>& records)
    {
        PresetRecordList list;
        ListInit(list);
        for (const PresetRecord& r : records)
            ListAdd(list, &r);
        const int length = ImageLengthFor(records.front().model);
        makeFolderOf(file);
        writeBytes(path(file.toLatin1().constData()), library::EncodeLibrary(list, length, CurrentDataFormatVersion));
    }

    void dumpOf(const QString& file, const std::vector<PresetRecord>& records)
    {
        const int length = ImageLengthFor(records.front().model);
        makeFolderOf(file);
        std::vector<uint8_t> images;
        for (const PresetRecord& r : records)
            images.insert(images.end(), r.data.begin(), r.data.begin() + length);
        const auto bytes = records.size() == 1
                               ? dump::PresetDumpBytes(0, uint8_t(records[0].model), 127, images.data(), length)
                               : dump::MemoryDumpBytes(0, uint8_t(records[0].model), images.data(), length);
        writeBytes(path(file.toLatin1().constData()),
                   QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size())));
    }

    QStringList found(const std::vector<Hit>& hits) const
    {
        QStringList out;
        for (const Hit& h : hits)
            out << QDir(dir.path()).relativeFilePath(h.file) + QStringLiteral(":%1 %2")
                                                                   .arg(h.position)
                                                                   .arg(QString::fromLatin1(
                                                                       presetsearch::PresetName(h.record).c_str()));
        return out;
    }
};

TEST_F(PresetSearch, FindsNamesCommentsAndAuthorsInEveryKindOfFileCaseAndAccentsAside)
{
    library(QStringLiteral("gig.dlb"),
            {preset(0x11, 1, "CLEAN"), preset(0x11, 2, "Crunch Lead", "for the bridge"),
             preset(0x0D, 3, "OLD", "", "J\xFCrgen")});
    library(QStringLiteral("deep/er/bass.blb"), {preset(0x13, 4, "FAT", "Stra\xDF" "e"), preset(0x13, 5, "LEAD BASS")});
    std::vector<PresetRecord> memory;
    for (int j = 0; j < SlotCount; ++j)
        memory.push_back(preset(0x11, j, j == 77 ? "MEGA LEAD" : "USER"));
    dumpOf(QStringLiteral("Backups/Stage 2026-12-09 14-03-27.syx"), memory);
    dumpOf(QStringLiteral("one.SYX"), {preset(0x13, 9, "STRASSE")});

    EXPECT_EQ(found(presetsearch::Search(dir.path(), QStringLiteral("lead")).hits),
              (QStringList{"Backups/Stage 2026-12-09 14-03-27.syx:77 MEGA LEAD", "deep/er/bass.blb:1 LEAD BASS",
                           "gig.dlb:1 Crunch Lead"}));
    EXPECT_EQ(found(presetsearch::Search(dir.path(), QStringLiteral("BRIDGE")).hits), QStringList{"gig.dlb:1 Crunch Lead"});
    EXPECT_EQ(found(presetsearch::Search(dir.path(), QStringLiteral("jurgen")).hits), QStringList{"gig.dlb:2 OLD"});
    EXPECT_EQ(found(presetsearch::Search(dir.path(), QStringLiteral("Jürgen")).hits), QStringList{"gig.dlb:2 OLD"});
    EXPECT_EQ(found(presetsearch::Search(dir.path(), QStringLiteral("straße")).hits),
              (QStringList{"deep/er/bass.blb:0 FAT", "one.SYX:0 STRASSE"}));
    EXPECT_TRUE(presetsearch::Search(dir.path(), QStringLiteral("Ωmega")).hits.empty());

    const auto every = presetsearch::Search(dir.path(), QString());
    EXPECT_EQ(every.hits.size(), 3u + 2u + 125u + 1u);
    EXPECT_EQ(every.filesRead, 4);
    EXPECT_EQ(every.hits[130].record.model, 0x13u);
}

TEST_F(PresetSearch, ACorruptFileIsSkippedAndReportedAndCommentLinesAreNoPresets)
{
    PresetRecord note = preset(0x11, 0, "");
    note.origin = -1;
    note.comment = "lead section";
    library(QStringLiteral("a.dlb"), {note, preset(0x11, 1, "LEAD")});
    writeBytes(path("b.dlb"), QByteArray("DRLB broken"));
    writeBytes(path("c.syx"), QByteArray::fromHex("f0002032"));
    const auto r = presetsearch::Search(dir.path(), QStringLiteral("lead"));
    EXPECT_EQ(found(r.hits), QStringList{"a.dlb:1 LEAD"});
    EXPECT_EQ(r.filesRead, 1);
    ASSERT_EQ(r.skipped.size(), 2u);
    EXPECT_TRUE(r.skipped[0].file.endsWith(QStringLiteral("b.dlb")));
    EXPECT_FALSE(r.skipped[0].reason.isEmpty());

    std::atomic<bool> cancel{true};
    presetsearch::Options o;
    o.cancel = &cancel;
    EXPECT_TRUE(presetsearch::Search(dir.path(), QStringLiteral("lead"), o).cancelled);
}

TEST_F(PresetSearch, DuplicatesWithAndWithoutTheirNames)
{
    library(QStringLiteral("a.dlb"), {preset(0x11, 1, "ONE"), preset(0x11, 2, "TWO"), preset(0x11, 1, "COPY")});
    library(QStringLiteral("b.dlb"), {preset(0x11, 2, "TWO"), preset(0x11, 3, "THREE")});
    // The same bytes in the other family are another sound.
    library(QStringLiteral("c.blb"), {preset(0x13, 3, "THREE")});
    const auto d = presetsearch::FindDuplicates(dir.path());
    ASSERT_EQ(d.groups.size(), 2u);
    EXPECT_FALSE(d.groups[0].sameName);
    EXPECT_EQ(found(d.groups[0].members), (QStringList{"a.dlb:0 ONE", "a.dlb:2 COPY"}));
    EXPECT_TRUE(d.groups[1].sameName);
    EXPECT_EQ(found(d.groups[1].members), (QStringList{"a.dlb:1 TWO", "b.dlb:0 TWO"}));
}

// A bass memory dump, looked through while a guitar unit is connected: its
// images are compared whole, names included, not cut to the guitar's length.
TEST_F(PresetSearch, DuplicatesInADumpOfTheOtherFamilyKeepTheirWholeImages)
{
    std::vector<PresetRecord> memory;
    for (int slot = 0; slot < SlotCount; ++slot)
        memory.push_back(preset(0x13, slot, "BASS"));
    memory[7] = preset(0x13, 1, "FAT BASS 1");
    memory[9] = preset(0x13, 1, "FAT BASS 2");
    dumpOf(QStringLiteral("bass.syx"), memory);
    const auto d = presetsearch::FindDuplicates(dir.path());
    ASSERT_EQ(d.groups.size(), 1u);
    EXPECT_FALSE(d.groups[0].sameName);
    EXPECT_EQ(found(d.groups[0].members), (QStringList{"bass.syx:1 BASS", "bass.syx:7 FAT BASS 1", "bass.syx:9 FAT BASS 2"}));
}

} // namespace
