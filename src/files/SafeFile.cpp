#include "files/SafeFile.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <cerrno>
#include <cstdio>
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

// The new file gets the old one's permissions, or the usual ones for a new file.
void takeOverMode(int fd, const QByteArray& target)
{
    struct stat old {};
    if (::stat(target.constData(), &old) == 0) {
        ::fchmod(fd, old.st_mode & 07777);
        return;
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
}

} // namespace

bool WriteFileSafely(const QString& fileName, const char* data, qint64 size)
{
    const QFileInfo info(fileName);
    QTemporaryFile temp(info.absolutePath() + QStringLiteral("/.") + info.fileName() + QStringLiteral(".XXXXXX"));
    if (!temp.open()) {
        TraceLine(1, "Cannot create %s", qUtf8Printable(fileName));
        return false;
    }
    const QByteArray target = QFile::encodeName(info.absoluteFilePath());
    const int fd = temp.handle();
    takeOverMode(fd, target);
    if (!writeAll(fd, data, size) || ::fsync(fd) != 0) {
        TraceLine(1, "Cannot write %s", qUtf8Printable(fileName));
        return false; // the temporary file is removed
    }
    temp.close();
    if (::rename(QFile::encodeName(temp.fileName()).constData(), target.constData()) != 0) {
        TraceLine(1, "Cannot replace %s", qUtf8Printable(fileName));
        return false;
    }
    temp.setAutoRemove(false);
    return true;
}
