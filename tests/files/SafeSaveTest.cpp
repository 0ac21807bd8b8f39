// Library saves, appends and dump exports keep the file they replace: its
// links, its permissions, and its contents whenever the save fails.
#include <QDir>
#include <QFileInfo>
#include <csignal>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "files/DumpFile.h"
#include "files/FilesFixture.h"
#include "files/LibraryFile.h"

namespace {

mode_t modeOf(const QString& file)
{
    struct stat st {};
    return ::stat(QFile::encodeName(file).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

// Makes a folder refuse new files, or a file refuse writes: by its
// permissions, or for the superuser, whom they do not stop, by the
// immutable attribute.
bool setLocked(const QString& path, bool locked)
{
    const QByteArray p = QFile::encodeName(path);
    if (::geteuid() != 0)
        return ::chmod(p.constData(), locked ? (QFileInfo(path).isDir() ? 0555 : 0444) : 0755) == 0;
    const int fd = ::open(p.constData(), O_RDONLY | O_NONBLOCK);
    if (fd < 0)
        return false;
    int flags = 0;
    bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = locked ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
    ok = ok && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    ::close(fd);
    return ok;
}

class SafeSave : public ::testing::Test, public FilesFixture {
protected:
    void SetUp() override { setUpModel(ModelDrux2); }
    void TearDown() override
    {
        for (const QString& p : locked)
            setLocked(p, false);
        tearDownModel();
    }
    void lock(const QString& p)
    {
        if (!setLocked(p, true))
            GTEST_SKIP() << "cannot make " << qPrintable(p) << " read-only here";
        locked << p;
    }
    void addPresets(PresetRecordList& list, int n)
    {
        for (int i = 0; i < n; ++i) {
            PresetRecord r;
            InitRecord(r, -1);
            fillRecord(r, i, ("P" + std::to_string(i)).c_str());
            ListAdd(list, &r);
        }
    }
    QStringList locked;
};

TEST_F(SafeSave, ALinkedLibraryIsSavedIntoItsTargetWithItsPermissionsAndOtherNames)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("real")));
    const QString real = path("real/gig.dlb");
    writeBytes(real, "old library");
    ASSERT_EQ(::chmod(QFile::encodeName(real).constData(), 0640), 0);
    ASSERT_TRUE(QFile::link(QStringLiteral("real/gig.dlb"), path("link.dlb")));
    ASSERT_TRUE(QFile::link(QStringLiteral("link.dlb"), path("link2.dlb"))); // a link to the link
    ASSERT_EQ(::link(QFile::encodeName(real).constData(), QFile::encodeName(path("hard.dlb")).constData()), 0);

    PresetRecordList list;
    ListInit(list);
    addPresets(list, 3);
    EXPECT_EQ(WriteLibraryFile(list, path("link2.dlb")), FileResult::Ok);
    EXPECT_TRUE(QFileInfo(path("link.dlb")).isSymLink());
    EXPECT_TRUE(QFileInfo(path("link2.dlb")).isSymLink());
    EXPECT_EQ(contents(real).size(), 844);
    EXPECT_EQ(contents(path("hard.dlb")), contents(real));
    EXPECT_EQ(modeOf(real), 0640u);

    // Appending through the link changes the real file too.
    PresetRecordList more;
    ListInit(more);
    addPresets(more, 2);
    EXPECT_EQ(AppendToLibraryFile(more, path("link.dlb")), FileResult::Ok);
    EXPECT_TRUE(QFileInfo(path("link.dlb")).isSymLink());
    EXPECT_EQ(contents(real).size(), 16 + 5 * 276);
    EXPECT_EQ(contents(path("hard.dlb")), contents(real));
    EXPECT_EQ(modeOf(real), 0640u);
    EXPECT_EQ(QDir(dir.filePath(QStringLiteral("real"))).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("gig.dlb")});
}

TEST_F(SafeSave, InAFolderThatTakesNoNewFilesAWritableFileIsWrittenInPlace)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("shared")));
    const QString folder = dir.filePath(QStringLiteral("shared"));
    const QString file = path("shared/memory.syx");
    writeBytes(file, "old dump");
    lock(folder);
    if (HasFatalFailure() || IsSkipped())
        return;

    // The disk is full after 400 bytes of any file: the write breaks off and
    // the old contents are put back.
    rlimit saved {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 400;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const FileResult written400 = ExportDump(-1, file);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(written400, FileResult::WriteFailed);
    EXPECT_EQ(contents(file), QByteArray("old dump"));

    EXPECT_EQ(ExportDump(-1, file), FileResult::Ok);
    const QByteArray written = contents(file);
    EXPECT_EQ(written.size(), 6010);
    EXPECT_EQ(at(written, 6), 0x21);
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("memory.syx")});

    // Neither the folder nor the file take a write: the save fails and the
    // file keeps what it had.
    lock(file);
    if (HasFatalFailure() || IsSkipped())
        return;
    EXPECT_EQ(ExportDump(0, file), FileResult::WriteFailed);
    EXPECT_EQ(contents(file), written);
    EXPECT_EQ(ExportDump(-1, path("shared/new.syx")), FileResult::WriteFailed);
}

} // namespace
