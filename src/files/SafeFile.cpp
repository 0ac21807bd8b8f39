#include "files/SafeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "model/Trace.h"

// Every byte is written with the system call and checked: a partial write
// (a full disk, a file size limit) must never be mistaken for success, and
// the buffered writers of the toolkit do not always report one.
namespace {

bool writeAll(int fd, const char* data, qint64 size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, static_cast<size_t>(size));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= n;
    }
    return true;
}

// Replaces the whole content of the open file `fd`.
bool rewrite(int fd, const char* data, qint64 size)
{
    return ::lseek(fd, 0, SEEK_SET) == 0 && writeAll(fd, data, size) && ::ftruncate(fd, size) == 0
        && ::fsync(fd) == 0;
}

// The file a name stands for: a symbolic link is followed to its target
// (through a chain of links), so that the save changes the real file and
// the link stays a link.
QString resolvedTarget(const QString& fileName)
{
    QString path = QFileInfo(fileName).absoluteFilePath();
    for (int hops = 0; hops < 40; ++hops) {
        const QFileInfo info(path);
        if (!info.isSymLink())
            break;
        const QString target = info.symLinkTarget();
        if (target.isEmpty())
            break;
        path = target;
    }
    return path;
}

// The new file gets the old one's permissions and, where allowed, its owner;
// a new file the usual permissions.
void takeOverIdentity(int fd, const struct stat* old)
{
    if (old) {
        ::fchmod(fd, old->st_mode & 07777);
        if (::fchown(fd, old->st_uid, old->st_gid) != 0)
            ::fchmod(fd, old->st_mode & 0777);
        return;
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
}

// Writes the file where it is, keeping its links, owner and permissions:
// for a file with several names, or in a folder where no new file can be
// made. The old contents are first copied to a file of the temporary folder;
// a write that fails puts them back, and if even that fails the copy stays
// and the trace names it.
bool writeInPlace(const QString& target, const char* data, qint64 size)
{
    QFile current(target);
    if (!current.open(QIODevice::ReadOnly)) {
        TraceLine(1, "Cannot read %s", qUtf8Printable(target));
        return false;
    }
    const QByteArray old = current.readAll();
    if (current.error() != QFileDevice::NoError)
        return false;
    current.close();

    QTemporaryFile copy(QDir::tempPath() + QStringLiteral("/drux-old-XXXXXX"));
    if (!copy.open() || !writeAll(copy.handle(), old.constData(), old.size()) || ::fsync(copy.handle()) != 0) {
        TraceLine(1, "Cannot keep the old contents of %s", qUtf8Printable(target));
        return false;
    }
    const int fd = ::open(QFile::encodeName(target).constData(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) {
        TraceLine(1, "Cannot write %s", qUtf8Printable(target));
        return false;
    }
    if (rewrite(fd, data, size)) {
        ::close(fd);
        return true;
    }
    TraceLine(1, "Cannot write %s", qUtf8Printable(target));
    if (!rewrite(fd, old.constData(), old.size())) {
        copy.setAutoRemove(false);
        TraceLine(0, "Old contents of %s kept in %s", qUtf8Printable(target), qUtf8Printable(copy.fileName()));
    }
    ::close(fd);
    return false;
}

} // namespace

bool WriteFileSafely(const QString& fileName, const char* data, qint64 size)
{
    const QString target = resolvedTarget(fileName);
    const QByteArray path = QFile::encodeName(target);
    struct stat old {};
    const bool exists = ::stat(path.constData(), &old) == 0;
    // Renaming a new file over one with several names would part it from
    // the others.
    if (exists && S_ISREG(old.st_mode) && old.st_nlink > 1)
        return writeInPlace(target, data, size);

    const QFileInfo info(target);
    QTemporaryFile temp(info.absolutePath() + QStringLiteral("/.") + info.fileName() + QStringLiteral(".XXXXXX"));
    if (!temp.open()) {
        if (exists && ::access(path.constData(), W_OK) == 0)
            return writeInPlace(target, data, size);
        TraceLine(1, "Cannot create %s", qUtf8Printable(fileName));
        return false;
    }
    const int fd = temp.handle();
    takeOverIdentity(fd, exists ? &old : nullptr);
    if (!writeAll(fd, data, size) || ::fsync(fd) != 0) {
        TraceLine(1, "Cannot write %s", qUtf8Printable(fileName));
        return false; // the temporary file is removed
    }
    temp.close();
    if (::rename(QFile::encodeName(temp.fileName()).constData(), path.constData()) != 0) {
        TraceLine(1, "Cannot replace %s", qUtf8Printable(fileName));
        return false;
    }
    temp.setAutoRemove(false);
    return true;
}
