#include <gtest/gtest.h>

#include <QDir>

#include "Cli.h"
#include "CliFiles.h"
#include "SearchCommands.h"

using namespace clitest;

namespace {

TEST_F(FileTest, FindPrintsEveryHitAndDupsTheGroupsExitingOneWithout)
{
    LibRecord lead{0x11, 0, 3, "for the bridge", 0.0, "Jos\xE9", image(48, 125, "CRUNCH LEAD")};
    LibRecord clean{0x11, 0, 4, "", 0.0, "", image(48, 126, "CLEAN")};
    LibRecord renamed = clean;
    renamed.data = image(48, 126, "CLEAN 2");
    writeFile(path("gig.dlb"), libraryFile({clean, lead, renamed}, 48));
    QDir(dir.path()).mkdir(QStringLiteral("old"));
    writeFile(path("old/memory.syx"), dumpFile(0, 0x11, 0x21, 125, 48, slotImages(48)));
    writeFile(path("old/broken.dlb"), "DRLB");

    const Outcome found = capture(RunFindCommand, {QStringLiteral("JOSÉ"), dir.path()});
    EXPECT_EQ(found.code, 0);
    EXPECT_EQ(found.out, QDir::toNativeSeparators(path("gig.dlb")).toStdString() +
                             "\t2\tCRUNCH LEAD\tfor the bridge\tJos\xC3\xA9\n");
    EXPECT_NE(found.err.find("broken.dlb"), std::string::npos) << found.err;

    const Outcome slot = capture(RunFindCommand, {QStringLiteral("slot 124"), dir.path()});
    EXPECT_EQ(slot.out, QDir::toNativeSeparators(path("old/memory.syx")).toStdString() + "\t125\tSLOT 124\t\t\n");

    EXPECT_EQ(capture(RunFindCommand, {QStringLiteral("nowhere"), dir.path()}).code, 1);
    EXPECT_EQ(capture(RunFindCommand, {}).code, 2);

    const Outcome dups = capture(RunDupsCommand, {dir.path()});
    EXPECT_EQ(dups.code, 0);
    const std::string gig = QDir::toNativeSeparators(path("gig.dlb")).toStdString();
    EXPECT_EQ(dups.out, "1\trenamed\t" + gig + "\t1\tCLEAN\n1\trenamed\t" + gig + "\t3\tCLEAN 2\n");
    QFile::remove(path("gig.dlb"));
    EXPECT_EQ(capture(RunDupsCommand, {dir.path()}).code, 1);
}

} // namespace
