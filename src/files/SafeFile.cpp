#include "files/SafeFile.h"

#include <QSaveFile>

#include "model/Trace.h"

bool WriteFileSafely(const QString& fileName, const char* data, qint64 size)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly)) {
        TraceLine(1, "Cannot create %s", qUtf8Printable(fileName));
        return false;
    }
    if (file.write(data, size) != size) {
        TraceLine(1, "Cannot write %s", qUtf8Printable(fileName));
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        TraceLine(1, "Cannot replace %s", qUtf8Printable(fileName));
        return false;
    }
    return true;
}
