// The drux program itself: what a shell script sees of it.

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QProcess>

#include "CliFiles.h"

using namespace clitest;

namespace {

struct ProgramRun {
    int code = -1;
    QByteArray out, err;
};

ProgramRun drux(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral(DRUX_CLI_PROGRAM), args);
    ProgramRun r;
    if (!p.waitForFinished(20000) || p.exitStatus() != QProcess::NormalExit) {
        p.kill();
        p.waitForFinished();
        ADD_FAILURE() << "drux did not finish normally";
        return r;
    }
    r.code = p.exitCode();
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

TEST_F(FileTest, ProgramShowsALibraryInUtf8OnStdout)
{
    writeFile(path("songs.blb"),
              libraryFile({{0x13, 2, -1, "Sch\xF6ne Lieder", 0.0, "", image(56, 1, "")},
                           {0x13, 2, 6, "d\xFC" "ster", 45352.604166666664, "\xC5sa", image(56, 2, "[RGER")}},
                          56));

    const ProgramRun r = drux({"show", path("songs.blb")});

    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, "# Sch\u00f6ne Lieder\n"
                     "1\t\u00c4RGER\t2\t2\tB\td\u00fcster\t2024-03-01T14:30:00\t\u00c5sa\n");
    EXPECT_EQ(r.err, "");
}

TEST_F(FileTest, ProgramConvertOfACorruptFileExitsWithOneAndWritesNothing)
{
    writeFile(path("cut.syx"), dumpFile(0, 0x11, 0x21, 0x7D, 48, slotImages(48)).left(3000));

    const ProgramRun r = drux({"convert", path("cut.syx"), path("out.dlb")});

    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(r.err.contains("cut.syx")) << r.err.toStdString();
    EXPECT_TRUE(r.err.endsWith('\n'));
    EXPECT_FALSE(QFileInfo::exists(path("out.dlb")));
}

TEST_F(FileTest, ProgramConvertWritesTheLibraryAndSaysNothing)
{
    writeFile(path("one.syx"), dumpFile(0, 0x0D, 0x20, 127, 48, {image(48, 1, "FIRST")}));

    const ProgramRun r = drux({"convert", path("one.syx"), path("one.dlb")});

    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(readFile(path("one.dlb")).size(), 16 + 276);
}

TEST_F(FileTest, ProgramShowIntoAFullDiskExitsWithOne)
{
    if (!QFileInfo::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    writeFile(path("all.syx"), dumpFile(0, 0x11, 0x21, 0x7D, 48, slotImages(48)));
    QProcess p;
    p.setStandardOutputFile(QStringLiteral("/dev/full"));
    p.start(QStringLiteral(DRUX_CLI_PROGRAM), {"show", path("all.syx")});
    ASSERT_TRUE(p.waitForFinished(20000));
    EXPECT_EQ(p.exitCode(), 1);
    EXPECT_FALSE(p.readAllStandardError().isEmpty());
}

TEST(DruxProgram, WrongUsageExitsWithTwo)
{
    for (const QStringList& args : {QStringList{"show"}, QStringList{"convert", "a.syx"},
                                    QStringList{"convert", "--model", "0x42", "a.syx", "b.dlb"},
                                    QStringList{"no-such-command"}}) {
        SCOPED_TRACE(args.join(' ').toStdString());
        const ProgramRun r = drux(args);
        EXPECT_EQ(r.code, 2);
        EXPECT_EQ(r.out, "");
        EXPECT_FALSE(r.err.isEmpty());
    }
}

TEST(DruxProgram, CommandHelpGoesToStdout)
{
    for (const char* command : {"show", "convert"}) {
        const ProgramRun r = drux({command, "--help"});
        EXPECT_EQ(r.code, 0);
        EXPECT_TRUE(r.out.startsWith(QByteArray("Usage: drux ") + command)) << r.out.toStdString();
    }
}

} // namespace
