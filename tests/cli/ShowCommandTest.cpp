#include <gtest/gtest.h>

#include <limits>

#include "Cli.h"
#include "CliFiles.h"
#include "FileCommands.h"

using namespace clitest;

namespace {

struct Family {
    uint32_t model;
    int length;
    const char* library; // file name of a library of this family
};

const Family Families[] = {
    {0x0D, 48, "presets.dlb"},
    {0x11, 48, "presets.dlb"},
    {0x13, 56, "presets.blb"},
};

class ShowFamily : public FileTest, public ::testing::WithParamInterface<Family> {};

Outcome show(const QStringList& args) { return capture(RunShowCommand, args); }

// Five records: presets from several slots and one never in a unit, a comment
// line, Latin-1 texts, texts that fill their fields, dates before and after
// the epoch, a record without a model and a name ended early by a zero byte.
TEST_P(ShowFamily, LibraryPrintsTheLibraryWindowColumnsInUtf8)
{
    const Family f = GetParam();
    const int L = f.length;
    std::vector<LibRecord> records(5);
    records[0] = {f.model, 7, 0, "Gr\xFC\xDF" "e aus K\xF6ln", 45352.604166666664, "Jos\xE9", image(L, 1, "CLEAN")};
    records[1] = {f.model, 0, -1, "Live set\tsecond half", 0.0, "", image(L, 2, "NOT SHOWN")};
    records[2] = {f.model, -3, 124, "", 0.0, "", image(L, 3, "M}NCHEN [BER")};
    records[3] = {0, 0, -2, "", 36526.75, "", image(L, 4, "  LEAD")};
    records[4] = {f.model, 0, 17, std::string(127, 'x'), -1.25, std::string(63, 'y'),
                  image(L, 5, std::string("AB\0CDEF", 7))};
    const QString file = path(f.library);
    writeFile(file, libraryFile(records, L));

    const Outcome o = show({file});

    EXPECT_EQ(o.code, ExitOk);
    EXPECT_EQ(o.err, "");
    EXPECT_EQ(o.out,
              "1\tCLEAN\t7\t1\tA\tGr\u00fc\u00dfe aus K\u00f6ln\t2024-03-01T14:30:00\tJos\u00e9\n"
              "# Live set second half\n"
              "2\tM\u00fcNCHEN \u00c4BER\t-3\t25\tE\t\t\t\n"
              "3\t  LEAD\t0\t?\t?\t\t2000-01-01T18:00:00\t\n"
              "4\tAB\t0\t4\tC\t" + std::string(127, 'x') + "\t1899-12-29T06:00:00\t" + std::string(63, 'y') + "\n");
}

TEST_P(ShowFamily, OnePresetDumpIsOneLineWithoutSlotOrTexts)
{
    const Family f = GetParam();
    const QString file = path("one.syx");
    writeFile(file, dumpFile(0, uint8_t(f.model), 0x20, 127, f.length, {image(f.length, 9, "SYX ONE")}));
    ASSERT_EQ(readFile(file).size(), f.length + 10);

    const Outcome o = show({file});

    EXPECT_EQ(o.code, ExitOk);
    EXPECT_EQ(o.out, "1\tSYX ONE\t0\t?\t?\t\t\t\n");
    EXPECT_EQ(o.err, "");
}

TEST_P(ShowFamily, AllPresetsDumpListsTheImagesInSlotOrder)
{
    const Family f = GetParam();
    const QString file = path("all.syx");
    writeFile(file, dumpFile(5, uint8_t(f.model), 0x21, 0x7D, f.length, slotImages(f.length)));
    ASSERT_EQ(readFile(file).size(), 125 * f.length + 10);

    const Outcome o = show({file});

    std::string expected;
    char line[64];
    for (int j = 0; j < 125; ++j) {
        std::snprintf(line, sizeof line, "%d\tSLOT %03d\t0\t?\t?\t\t\t\n", j + 1, j);
        expected += line;
    }
    EXPECT_EQ(o.code, ExitOk);
    EXPECT_EQ(o.out, expected);
}

INSTANTIATE_TEST_SUITE_P(Models, ShowFamily, ::testing::ValuesIn(Families),
                         [](const auto& info) {
                             char name[16];
                             std::snprintf(name, sizeof name, "Model%02X", unsigned(info.param.model));
                             return std::string(name);
                         });

// The date column: days since 30 December 1899 with the time of day in the
// fraction, in ISO form to the second; nothing for "not set" and for values
// no real date has.
struct DateCase {
    double days;
    const char* shown;
};

class ShowDate : public FileTest, public ::testing::WithParamInterface<DateCase> {};

TEST_P(ShowDate, ColumnSevenIsTheIsoDate)
{
    writeFile(path("date.dlb"), libraryFile({{0x11, 0, 0, "", GetParam().days, "", image(48, 0, "D")}}, 48));
    const Outcome o = show({path("date.dlb")});
    ASSERT_EQ(o.code, ExitOk);
    EXPECT_EQ(o.out, std::string("1\tD\t0\t1\tA\t\t") + GetParam().shown + "\t\n");
}

INSTANTIATE_TEST_SUITE_P(Dates, ShowDate,
                         ::testing::Values(DateCase{0.0, ""}, DateCase{1.0, "1899-12-31T00:00:00"},
                                           DateCase{0.5, "1899-12-30T12:00:00"},
                                           DateCase{-1.25, "1899-12-29T06:00:00"},
                                           DateCase{-0.75, "1899-12-30T18:00:00"},
                                           DateCase{36526.75, "2000-01-01T18:00:00"},
                                           DateCase{45352.604166666664, "2024-03-01T14:30:00"},
                                           DateCase{45351.99998, "2024-02-29T23:59:58"},
                                           DateCase{std::numeric_limits<double>::quiet_NaN(), ""},
                                           DateCase{std::numeric_limits<double>::infinity(), ""},
                                           DateCase{1e300, ""}));

// Files that cannot be shown: a message naming the file on stderr, nothing on
// stdout, exit code 1.
struct BadFile {
    const char* name;
    const char* file;
    QByteArray bytes; // empty with `create` false: the file does not exist
    bool create = true;
};

class ShowBadFile : public FileTest, public ::testing::WithParamInterface<BadFile> {};

QByteArray guitarLibrary() { return libraryFile({LibRecord{0x11, 0, 3, "", 0.0, "", image(48, 1, "A")}}, 48); }

QByteArray withByte(QByteArray b, qsizetype at, char value)
{
    b[at] = value;
    return b;
}

const BadFile BadFiles[] = {
    {"Missing", "none.dlb", {}, false},
    {"UnknownExtension", "notes.txt", "DRLB", true},
    {"TextAsLibrary", "text.dlb", "hello, this is no library at all", true},
    {"EmptyDump", "empty.syx", {}, true},
    {"DumpWithoutLastByte", "short.syx", dumpFile(0, 0x11, 0x20, 127, 48, {image(48, 0, "A")}).chopped(1), true},
    {"DumpOfAnotherMaker", "foreign.syx", withByte(dumpFile(0, 0x11, 0x20, 127, 48, {image(48, 0, "A")}), 2, 0x21),
     true},
    {"DumpOfUnknownModel", "model.syx", dumpFile(0, 0x12, 0x20, 127, 48, {image(48, 0, "A")}), true},
    {"AllPresetsCountNot125", "count.syx", dumpFile(0, 0x11, 0x21, 0x7C, 48, slotImages(48)), true},
    {"LibraryTrailerWrong", "trailer.dlb", withByte(guitarLibrary(), 12 + 276, 0), true},
    {"LibraryRecordMarkerWrong", "marker.dlb", withByte(guitarLibrary(), 12 + 272, 0), true},
    {"LibraryFromNewerProgram", "newer.dlb", libraryFile({LibRecord{0x11, 0, 3, "", 0.0, "", image(48, 1, "A")}}, 48,
                                                         0x02001201),
     true},
};

TEST_P(ShowBadFile, FailsWithAMessageNamingTheFile)
{
    const BadFile b = GetParam();
    const QString file = path(b.file);
    if (b.create)
        writeFile(file, b.bytes);

    const Outcome o = show({file});

    EXPECT_EQ(o.code, ExitError);
    EXPECT_EQ(o.out, "");
    EXPECT_NE(o.err.find(b.file), std::string::npos) << o.err;
}

INSTANTIATE_TEST_SUITE_P(Files, ShowBadFile, ::testing::ValuesIn(BadFiles),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(FileTest, ShowWantsExactlyOneFile)
{
    EXPECT_EQ(show({}).code, ExitUsage);
    const Outcome two = show({path("a.dlb"), path("b.dlb")});
    EXPECT_EQ(two.code, ExitUsage);
    EXPECT_EQ(two.out, "");
    EXPECT_NE(two.err, "");
}

} // namespace
