#include <gtest/gtest.h>

#include <QFileInfo>

#include "Cli.h"
#include "CliFiles.h"
#include "FileCommands.h"

using namespace clitest;

namespace {

Outcome convert(const QStringList& args) { return capture(RunConvertCommand, args); }

// The fields of record i of a library file.
struct Fields {
    uint32_t magic = 0, version = 0, size = 0, model = 0, deviceId = 0, origin = 0, endMarker = 0;
    QByteArray comment, date, author, data;
};

Fields recordAt(const QByteArray& file, int i, int length)
{
    const qsizetype at = 12 + qsizetype(i) * (length + 228);
    Fields f;
    f.magic = get32(file, at);
    f.version = get32(file, at + 4);
    f.size = get32(file, at + 8);
    f.model = get32(file, at + 12);
    f.deviceId = get32(file, at + 16);
    f.origin = get32(file, at + 20);
    f.comment = file.mid(at + 24, 128);
    f.date = file.mid(at + 152, 8);
    f.author = file.mid(at + 160, 64);
    f.data = file.mid(at + 224, length);
    f.endMarker = get32(file, at + 224 + length);
    return f;
}

struct RoundTrip {
    const char* name;
    uint8_t model;
    int length;
    bool allPresets;
    const char* library;
};

const RoundTrip RoundTrips[] = {
    {"Model0D_One", 0x0D, 48, false, "lib.dlb"}, {"Model0D_All", 0x0D, 48, true, "lib.dlb"},
    {"Model11_One", 0x11, 48, false, "lib.dlb"}, {"Model11_All", 0x11, 48, true, "lib.dlb"},
    {"Model13_One", 0x13, 56, false, "lib.blb"}, {"Model13_All", 0x13, 56, true, "lib.blb"},
};

class ConvertRoundTrip : public FileTest, public ::testing::WithParamInterface<RoundTrip> {};

// A dump becomes a library of one record per image, never in a unit, without
// texts or date, and comes back byte for byte.
TEST_P(ConvertRoundTrip, DumpToLibraryAndBackIsByteForByte)
{
    const RoundTrip t = GetParam();
    const int L = t.length;
    const std::vector<std::vector<uint8_t>> images =
        t.allPresets ? slotImages(L) : std::vector<std::vector<uint8_t>>{image(L, 42, "ONLY ONE")};
    const QByteArray dump = t.allPresets ? dumpFile(0, t.model, 0x21, 0x7D, L, images)
                                         : dumpFile(0, t.model, 0x20, 127, L, images);
    const QString in = path("in.syx"), lib = path(t.library), back = path("back.syx");
    writeFile(in, dump);

    const Outcome toLibrary = convert({in, lib});
    ASSERT_EQ(toLibrary.code, ExitOk) << toLibrary.err;
    EXPECT_EQ(toLibrary.out, "");

    const QByteArray file = readFile(lib);
    const int n = int(images.size());
    ASSERT_EQ(file.size(), 16 + n * (L + 228));
    EXPECT_EQ(file.left(8), QByteArray("DRLB\x01\x11\x00\x02", 8));
    EXPECT_EQ(get32(file, 8), uint32_t(n * (L + 228)));
    EXPECT_EQ(file.right(4), QByteArray("\xBB\xAD\xB3\xBD", 4));
    for (int i = 0; i < n; ++i) {
        const Fields r = recordAt(file, i, L);
        EXPECT_EQ(r.magic, 0x58555244u);
        EXPECT_EQ(r.version, 1u);
        EXPECT_EQ(r.size, uint32_t(L + 212));
        EXPECT_EQ(r.model, t.model);
        EXPECT_EQ(r.deviceId, 0u);
        EXPECT_EQ(r.origin, 0xFFFFFFFEu) << "record " << i;
        EXPECT_EQ(r.comment, QByteArray(128, '\0'));
        EXPECT_EQ(r.date, QByteArray(8, '\0'));
        EXPECT_EQ(r.author, QByteArray(64, '\0'));
        EXPECT_EQ(r.data, bytesOf(images[size_t(i)])) << "record " << i;
        EXPECT_EQ(r.endMarker, 0xA7AAADBBu);
    }

    const Outcome toDump = convert({lib, back});
    ASSERT_EQ(toDump.code, ExitOk) << toDump.err;
    EXPECT_EQ(readFile(back), dump);
}

INSTANTIATE_TEST_SUITE_P(Forms, ConvertRoundTrip, ::testing::ValuesIn(RoundTrips),
                         [](const auto& info) { return std::string(info.param.name); });

// A library copied through convert keeps every field: texts that fill their
// fields, Latin-1 bytes, dates, device ids, origins and comment lines.
TEST_F(FileTest, LibraryToLibraryKeepsEveryField)
{
    const std::vector<LibRecord> records = {
        {0x0D, -5, 124, std::string(127, 'c'), 45352.604166666664, std::string(63, 'a'), image(48, 1, "ONE")},
        {0x11, 0, -1, "K\xF6ln", 0.0, "", image(48, 2, "")},
        {0x11, 3, -2, "", 0.5, "J\xE9r\xF4me", image(48, 3, "THREE")},
    };
    const QByteArray file = libraryFile(records, 48);
    writeFile(path("in.dlb"), file);

    ASSERT_EQ(convert({path("in.dlb"), path("out.dlb")}).code, ExitOk);
    EXPECT_EQ(readFile(path("out.dlb")), file);
}

TEST_F(FileTest, LibraryCommentLinesAreLeftOutOfADump)
{
    const std::vector<uint8_t> preset = image(48, 7, "KEPT");
    writeFile(path("in.dlb"), libraryFile({{0x11, 0, -1, "first", 0.0, "", image(48, 1, "")},
                                           {0x11, 9, 17, "a comment", 45352.5, "me", preset},
                                           {0x11, 0, -1, "last", 0.0, "", image(48, 2, "")}},
                                          48));

    const Outcome o = convert({path("in.dlb"), path("out.syx")});

    ASSERT_EQ(o.code, ExitOk) << o.err;
    // One preset, addressed to the edit buffer whatever slot it came from.
    EXPECT_EQ(readFile(path("out.syx")), dumpFile(0, 0x11, 0x20, 127, 48, {preset}));
}

TEST_F(FileTest, LibraryOf125PresetsBecomesAnAllPresetsDumpInFileOrder)
{
    const auto images = slotImages(56);
    std::vector<LibRecord> records;
    for (int j = 124; j >= 0; --j) {
        records.push_back({0x13, 0, j, "", 0.0, "", images[size_t(j)]});
        if (j % 25 == 0)
            records.push_back({0x13, 0, -1, "bank break", 0.0, "", {}});
    }
    writeFile(path("in.blb"), libraryFile(records, 56));

    ASSERT_EQ(convert({path("in.blb"), path("out.syx")}).code, ExitOk);

    const std::vector<std::vector<uint8_t>> reversed(images.rbegin(), images.rend());
    const QByteArray out = readFile(path("out.syx"));
    EXPECT_EQ(out.size(), 7010);
    EXPECT_EQ(out, dumpFile(0, 0x13, 0x21, 0x7D, 56, reversed));
}

TEST_F(FileTest, ModelOptionSetsTheModelOfTheLibraryRecords)
{
    const auto images = slotImages(48);
    writeFile(path("in.syx"), dumpFile(0, 0x11, 0x21, 0x7D, 48, images));

    ASSERT_EQ(convert({"--model", "0x0D", path("in.syx"), path("out.dlb")}).code, ExitOk);

    const QByteArray file = readFile(path("out.dlb"));
    ASSERT_EQ(file.size(), 16 + 125 * 276);
    for (int i = 0; i < 125; ++i)
        EXPECT_EQ(recordAt(file, i, 48).model, 0x0Du) << "record " << i;
}

TEST_F(FileTest, ModelOptionSetsTheModelOfTheDumpHeader)
{
    const std::vector<uint8_t> preset = image(48, 11, "PRESET");
    writeFile(path("in.dlb"), libraryFile({{0x11, 0, 4, "", 0.0, "", preset}}, 48));

    ASSERT_EQ(convert({path("in.dlb"), path("out.syx"), "--model", "0x0D"}).code, ExitOk);

    EXPECT_EQ(readFile(path("out.syx")), dumpFile(0, 0x0D, 0x20, 127, 48, {preset}));
}

// Model codes as the simulator takes them: hexadecimal after "0x", else
// decimal, so "13" is the first guitar model, not the bass model.
TEST_F(FileTest, ModelOptionReadsHexadecimalAfter0xElseDecimal)
{
    writeFile(path("in.syx"), dumpFile(0, 0x13, 0x20, 127, 56, {image(56, 11, "BASS")}));
    for (const char* code : {"0x13", "0X13", "19"}) {
        SCOPED_TRACE(code);
        const Outcome o = convert({"--model", code, path("in.syx"), path("out.blb")});
        ASSERT_EQ(o.code, ExitOk) << o.err;
        EXPECT_EQ(recordAt(readFile(path("out.blb")), 0, 56).model, 0x13u);
    }
    writeFile(path("guitar.syx"), dumpFile(0, 0x11, 0x20, 127, 48, {image(48, 1, "G")}));
    for (const char* code : {"0x0d", "0x0D", "13"}) {
        SCOPED_TRACE(code);
        ASSERT_EQ(convert({"--model", code, path("guitar.syx"), path("out.dlb")}).code, ExitOk);
        EXPECT_EQ(recordAt(readFile(path("out.dlb")), 0, 48).model, 0x0Du);
    }
}

TEST_F(FileTest, ModelOptionRejectsUnknownCodesAsWrongUsage)
{
    writeFile(path("in.syx"), dumpFile(0, 0x11, 0x20, 127, 48, {image(48, 1, "G")}));
    for (const QStringList& args : {QStringList{"--model", "0x12", path("in.syx"), path("out.dlb")},
                                    QStringList{"--model", "guitar", path("in.syx"), path("out.dlb")},
                                    QStringList{"--model", "0D", path("in.syx"), path("out.dlb")},
                                    QStringList{path("in.syx"), path("out.dlb"), "--model"}}) {
        SCOPED_TRACE(args.join(' ').toStdString());
        const Outcome o = convert(args);
        EXPECT_EQ(o.code, ExitUsage);
        EXPECT_NE(o.err, "");
        EXPECT_FALSE(QFileInfo::exists(path("out.dlb")));
    }
}

// Every failed conversion: exit code 1, a message on stderr naming the
// problem, an existing output file untouched, no new output file.
struct Failure {
    const char* name;
    const char* in;
    QByteArray bytes; // the input; not created when `create` is false
    const char* out;
    QStringList options;
    const char* message; // part of the message on stderr
    bool create = true;
};

class ConvertFailure : public FileTest, public ::testing::WithParamInterface<Failure> {};

QByteArray bassDump() { return dumpFile(0, 0x13, 0x20, 127, 56, {image(56, 1, "BASS")}); }
QByteArray guitarDump() { return dumpFile(0, 0x11, 0x20, 127, 48, {image(48, 1, "GUITAR")}); }
QByteArray twoPresets()
{
    return libraryFile({{0x11, 0, 0, "", 0.0, "", image(48, 1, "A")}, {0x11, 0, 1, "", 0.0, "", image(48, 2, "B")}},
                       48);
}
QByteArray brokenTrailer()
{
    QByteArray b = libraryFile({{0x13, 0, 0, "", 0.0, "", image(56, 1, "A")}}, 56);
    b[b.size() - 1] = 0;
    return b;
}

const Failure Failures[] = {
    {"MissingInput", "none.syx", {}, "out.dlb", {}, "none.syx", false},
    {"GarbageLibrary", "garbage.dlb", QByteArray(500, 'x'), "out.syx", {}, "garbage.dlb"},
    {"TruncatedDump", "short.syx", guitarDump().chopped(1), "out.dlb", {}, "short.syx"},
    {"WrongTrailer", "trailer.blb", brokenTrailer(), "out.syx", {}, "trailer.blb"},
    {"BassDumpToGuitarLibrary", "bass.syx", bassDump(), "out.dlb", {}, ".blb"},
    {"GuitarDumpToBassLibrary", "guitar.syx", guitarDump(), "out.blb", {}, ".dlb"},
    {"BassModelForGuitarDump", "guitar.syx", guitarDump(), "out.dlb", {"--model", "0x13"}, "not compatible"},
    {"GuitarModelForBassLibrary", "bass.blb", libraryFile({{0x13, 0, 0, "", 0.0, "", image(56, 1, "A")}}, 56),
     "out.syx", {"--model", "0x11"}, "other family"},
    {"TwoPresetsToADump", "two.dlb", twoPresets(), "out.syx", {}, "not 2"},
};

TEST_P(ConvertFailure, SaysWhyAndLeavesTheOutputAlone)
{
    const Failure f = GetParam();
    if (f.create)
        writeFile(path(f.in), f.bytes);

    const Outcome fresh = convert(f.options + QStringList{path(f.in), path(f.out)});
    EXPECT_EQ(fresh.code, ExitError);
    EXPECT_EQ(fresh.out, "");
    EXPECT_NE(fresh.err.find(f.message), std::string::npos) << fresh.err;
    EXPECT_FALSE(QFileInfo::exists(path(f.out)));

    const QByteArray old("the old contents");
    writeFile(path(f.out), old);
    EXPECT_EQ(convert(f.options + QStringList{path(f.in), path(f.out)}).code, ExitError);
    EXPECT_EQ(readFile(path(f.out)), old);
}

INSTANTIATE_TEST_SUITE_P(Inputs, ConvertFailure, ::testing::ValuesIn(Failures),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(FileTest, ExtensionsCountInAnyCase)
{
    const std::vector<uint8_t> preset = image(56, 5, "LOUD");
    writeFile(path("IN.SYX"), dumpFile(0, 0x13, 0x20, 127, 56, {preset}));

    ASSERT_EQ(convert({path("IN.SYX"), path("OUT.BLB")}).code, ExitOk);
    ASSERT_EQ(convert({path("OUT.BLB"), path("Back.Syx")}).code, ExitOk);
    EXPECT_EQ(readFile(path("Back.Syx")), readFile(path("IN.SYX")));
}

TEST_F(FileTest, ConvertIntoAMissingFolderFails)
{
    writeFile(path("in.syx"), guitarDump());
    const Outcome o = convert({path("in.syx"), path("no/such/folder/out.dlb")});
    EXPECT_EQ(o.code, ExitError);
    EXPECT_NE(o.err.find("Unable to Save the file"), std::string::npos) << o.err;
}

TEST_F(FileTest, ConvertWantsTwoFilesOfKnownKinds)
{
    writeFile(path("in.syx"), guitarDump());
    for (const QStringList& args : {QStringList{}, QStringList{path("in.syx")},
                                    QStringList{path("in.syx"), path("out.txt")},
                                    QStringList{path("in.syx"), path("a.dlb"), path("b.dlb")}}) {
        SCOPED_TRACE(args.join(' ').toStdString());
        const Outcome o = convert(args);
        EXPECT_EQ(o.code, ExitUsage);
        EXPECT_NE(o.err, "");
    }
    EXPECT_FALSE(QFileInfo::exists(path("out.txt")));
}

} // namespace
