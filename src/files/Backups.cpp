#include "files/Backups.h"

#include "files/DumpFile.h"
#include "files/SafeFile.h"
#include "model/DeviceConnection.h"
#include "model/Trace.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <algorithm>

namespace backup {

namespace {

// Which unit each backup file belongs to: file name = DeviceKey under
// [Units] in this file beside the backups. A file missing here is still a
// backup; it belongs to no unit in particular.
const QString IndexFileName = QStringLiteral("Backups.ini");
const QString StampFormat = QStringLiteral("yyyy-MM-dd HH-mm-ss");

bool folderWritable(const QString& folder)
{
    if (!QDir().mkpath(folder))
        return false;
    // The folder's mode bits do not tell everything (read-only mounts,
    // ACLs): try a file.
    QFile probe(QDir(folder).filePath(QStringLiteral(".drux-write-test")));
    if (!probe.open(QIODevice::WriteOnly))
        return false;
    probe.close();
    probe.remove();
    return true;
}

QString indexKey(const QString& fileName)
{
    // QSettings keys treat '/' and '\' as group separators; file names made
    // here hold neither.
    return QStringLiteral("Units/") + fileName;
}

bool record(const QString& folder, const QString& fileName, const std::string& deviceKey)
{
    QSettings index(QDir(folder).filePath(IndexFileName), QSettings::IniFormat);
    index.setValue(indexKey(fileName), QString::fromStdString(deviceKey));
    index.sync();
    return index.status() == QSettings::NoError;
}

// "NAME yyyy-MM-dd HH-mm-ss" with an optional " (n)" after it.
const QRegularExpression& stampPattern()
{
    static const QRegularExpression re(
        QStringLiteral(R"(^(.*) (\d{4}-\d\d-\d\d \d\d-\d\d-\d\d)(?: \(\d+\))?$)"));
    return re;
}

Entry entryFor(const QFileInfo& info, std::string deviceKey)
{
    Entry e;
    e.path = info.absoluteFilePath();
    e.deviceKey = std::move(deviceKey);
    const auto m = stampPattern().match(info.completeBaseName());
    if (m.hasMatch()) {
        e.unitName = m.captured(1);
        e.when = QDateTime::fromString(m.captured(2), StampFormat);
    }
    if (!e.when.isValid()) {
        e.unitName = info.completeBaseName();
        e.when = info.lastModified();
    }
    return e;
}

} // namespace

Location BackupLocation(const QString& workingFolder)
{
    Location l;
    if (!workingFolder.isEmpty()) {
        l.folder = QDir(workingFolder).filePath(QStringLiteral("Backups"));
        if (folderWritable(l.folder))
            return l;
    }
    l.fellBack = true;
    l.folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/Backups");
    QDir().mkpath(l.folder);
    static QString told;
    if (told != l.folder) {
        told = l.folder;
        TraceLine(0, "Backups go to %s", qPrintable(QDir::toNativeSeparators(l.folder)));
    }
    return l;
}

QString LibraryFolder(const QString& backupFolder) { return QDir(backupFolder).filePath(QStringLiteral("Libraries")); }

QString FileNamePart(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        const bool bad = c.unicode() < 0x20 || c == QLatin1Char('/') || c == QLatin1Char('\\') ||
                         c == QLatin1Char(':') || c == QLatin1Char('*') || c == QLatin1Char('?') ||
                         c == QLatin1Char('"') || c == QLatin1Char('<') || c == QLatin1Char('>') ||
                         c == QLatin1Char('|') || c.unicode() == 0x7F;
        out += bad ? QLatin1Char('_') : c;
    }
    out = out.trimmed();
    // A name of dots alone would name the folder itself or its parent.
    if (out.isEmpty() || out.count(QLatin1Char('.')) == out.size())
        return QStringLiteral("Drux");
    return out;
}

QString StampedPath(const QString& folder, const QString& base, const QDateTime& when, const QString& ext)
{
    const QDir dir(folder);
    const QString stem = FileNamePart(base) + QLatin1Char(' ') + when.toString(StampFormat);
    QString path = dir.filePath(stem + QLatin1Char('.') + ext);
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = dir.filePath(stem + QStringLiteral(" (%1).").arg(n) + ext);
    return path;
}

bool MemoryImages::valid() const
{
    return (imageLength == GuitarImageLength || imageLength == BassImageLength) &&
           bytes.size() == size_t(SlotCount) * size_t(imageLength);
}

std::string MemoryImages::slotName(int slot) const
{
    if (!valid() || slot < 0 || slot >= SlotCount)
        return {};
    const auto* image = bytes.data() + size_t(slot) * size_t(imageLength);
    std::string name = UnitToHostName(
        std::string_view(reinterpret_cast<const char*>(image + imageLength - NameLength), NameLength));
    name.erase(name.find_last_not_of(' ') + 1);
    return name;
}

MemoryImages CurrentMemory(int model)
{
    MemoryImages m;
    m.model = model;
    m.imageLength = ImageLengthFor(uint32_t(model));
    m.bytes.reserve(size_t(SlotCount) * size_t(m.imageLength));
    for (const PresetRecord* r : DeviceMemory)
        m.bytes.insert(m.bytes.end(), r->data.begin(), r->data.begin() + m.imageLength);
    return m;
}

Result BackUpMemory(const QString& folder, const std::string& deviceKey, const QString& unitName,
                    const MemoryImages& memory, uint8_t sysexNr, const QDateTime& when)
{
    Result r;
    if (!memory.valid())
        return r;
    const auto existing = ListBackups(folder, deviceKey);
    if (!existing.empty()) {
        MemoryImages newest;
        if (ReadBackup(existing.front().path, newest) && newest == memory) {
            r.outcome = Outcome::Unchanged;
            r.path = existing.front().path;
            return r;
        }
    }
    if (!QDir().mkpath(folder))
        return r;
    const QString path = StampedPath(folder, unitName, when, QStringLiteral("syx"));
    const auto bytes = dump::MemoryDumpBytes(sysexNr, uint8_t(memory.model), memory.bytes.data(), memory.imageLength);
    if (!WriteFileSafely(path, reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size())))
        return r;
    if (!record(folder, QFileInfo(path).fileName(), deviceKey)) {
        // A backup no unit owns would never be compared again: take it back
        // and say the backup failed.
        QFile::remove(path);
        return r;
    }
    TraceLine(0, "Backup %s", qPrintable(QDir::toNativeSeparators(path)));
    r.outcome = Outcome::Written;
    r.path = path;
    return r;
}

Result BackUpActiveUnit(const QString& workingFolder, uint8_t sysexNr, const QDateTime& when)
{
    if (ActiveDevice.isVirtual())
        return {Outcome::Unchanged, {}};
    const QString name = QString::fromLatin1(ActiveDevice.DeviceName.data(), qsizetype(ActiveDevice.DeviceName.size()));
    return BackUpMemory(BackupLocation(workingFolder).folder, ActiveDevice.DeviceKey, name,
                        CurrentMemory(ActiveDevice.Model), sysexNr, when);
}

std::vector<Entry> ListBackups(const QString& folder, const std::string& deviceKey)
{
    std::vector<Entry> list;
    const QDir dir(folder);
    QSettings index(dir.filePath(IndexFileName), QSettings::IniFormat);
    const auto files = dir.entryInfoList({QStringLiteral("*.syx"), QStringLiteral("*.SYX")}, QDir::Files);
    for (const QFileInfo& info : files) {
        const std::string key = index.value(indexKey(info.fileName())).toString().toStdString();
        if (!deviceKey.empty() && key != deviceKey)
            continue;
        list.push_back(entryFor(info, key));
    }
    std::sort(list.begin(), list.end(), [](const Entry& a, const Entry& b) {
        if (a.when != b.when)
            return a.when > b.when;
        // Same second: " (3)" was made after " (2)" and after the plain name.
        if (a.path.size() != b.path.size())
            return a.path.size() > b.path.size();
        return a.path > b.path;
    });
    return list;
}

bool ReadBackup(const QString& path, MemoryImages& memory)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray all = file.read(dump::AllPresetsSize(MaxImageLength) + 1);
    if (all.size() < dump::HeaderLength + 1)
        return false;
    const int model = uint8_t(all[5]);
    const int length = ImageLengthFor(uint32_t(model));
    QBuffer in;
    in.setData(all);
    in.open(QIODevice::ReadOnly);
    dump::Form form = dump::Form::Other;
    if (dump::ReadHeader(in, length, form) != dump::ReadResult::Ok || form != dump::Form::AllPresets)
        return false;
    std::vector<uint8_t> images;
    if (dump::ReadBody(in, length, form, images) != dump::ReadResult::Ok)
        return false;
    memory.model = model;
    memory.imageLength = length;
    memory.bytes = std::move(images);
    return memory.valid();
}

std::vector<int> DifferingSlots(const MemoryImages& a, const MemoryImages& b)
{
    std::vector<int> differing;
    const bool comparable = a.valid() && b.valid() && a.imageLength == b.imageLength;
    for (int j = 0; j < SlotCount; ++j) {
        if (!comparable ||
            !std::equal(a.bytes.begin() + j * a.imageLength, a.bytes.begin() + (j + 1) * a.imageLength,
                        b.bytes.begin() + j * b.imageLength))
            differing.push_back(j);
    }
    return differing;
}

Result KeepLibraryVersion(const QString& libraryFile, const QByteArray& newContents, const QString& workingFolder,
                          const QDateTime& when)
{
    Result r;
    const QFileInfo info(libraryFile);
    if (!info.exists()) {
        r.outcome = Outcome::Unchanged;
        return r;
    }
    QFile old(libraryFile);
    if (!old.open(QIODevice::ReadOnly))
        return r;
    const QByteArray contents = old.readAll();
    if (old.error() != QFileDevice::NoError)
        return r;
    if (contents == newContents) {
        r.outcome = Outcome::Unchanged;
        return r;
    }
    const QString folder = LibraryFolder(BackupLocation(workingFolder).folder);
    if (!QDir().mkpath(folder))
        return r;
    const QString ext = info.suffix().isEmpty() ? QStringLiteral("dlb") : info.suffix();
    const QString path = StampedPath(folder, info.completeBaseName(), when, ext);
    if (!WriteFileSafely(path, contents.constData(), contents.size()))
        return r;
    r.outcome = Outcome::Written;
    r.path = path;
    return r;
}

} // namespace backup
