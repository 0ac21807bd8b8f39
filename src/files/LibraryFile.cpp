#include "files/LibraryFile.h"

#include <QBuffer>
#include <QFile>
#include <algorithm>
#include <bit>
#include <cstring>

#include "files/Backups.h"
#include "files/Preferences.h"
#include "files/SafeFile.h"
#include "model/DeviceConnection.h"
#include "model/Trace.h"

namespace library {
namespace {

void put32(uint8_t* p, uint32_t v)
{
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v >> 16);
    p[3] = static_cast<uint8_t>(v >> 24);
}

uint32_t get32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void put64(uint8_t* p, uint64_t v)
{
    put32(p, static_cast<uint32_t>(v));
    put32(p + 4, static_cast<uint32_t>(v >> 32));
}

uint64_t get64(const uint8_t* p) { return uint64_t(get32(p)) | uint64_t(get32(p + 4)) << 32; }

// At most field - 1 text bytes, then zeros to the end of the field.
void putText(uint8_t* p, const std::string& text, int field)
{
    const size_t n = std::min(text.size(), static_cast<size_t>(field - 1));
    std::memcpy(p, text.data(), n);
    std::memset(p + n, 0, static_cast<size_t>(field) - n);
}

// The bytes up to the first zero byte of the field, at most field - 1 of
// them as when written, so that a record read and written again stays the
// same (in place: a list read again reuses the texts' storage).
[[gnu::always_inline]] inline void getText(std::string& text, const uint8_t* p, int field)
{
    // Resizing in place and copying is cheaper than assign(), which has to
    // allow for a source inside the string itself.
    const auto* c = reinterpret_cast<const char*>(p);
    const size_t n = strnlen(c, static_cast<size_t>(field - 1));
    text.resize(n);
    std::memcpy(text.data(), c, n);
}

enum RecordOffset {
    OffMagic = 0,
    OffVersion = 4,
    OffSize = 8,
    OffModel = 12,
    OffDeviceId = 16,
    OffOrigin = OriginOffset,
    OffComment = CommentOffset,
    OffDate = 152,
    OffCreatedBy = CreatedByOffset,
};

} // namespace

bool VersionAccepted(uint32_t fileVersion, uint32_t programVersion)
{
    return fileVersion <= programVersion && (fileVersion & 0xFF) == (programVersion & 0xFF);
}

void EncodeRecord(const PresetRecord& r, int imageLength, uint8_t* out)
{
    put32(out + OffMagic, RecordMagic);
    put32(out + OffVersion, RecordVersion);
    put32(out + OffSize, static_cast<uint32_t>(imageLength + ImageOffset - OffModel));
    put32(out + OffModel, r.model);
    put32(out + OffDeviceId, static_cast<uint32_t>(r.deviceId));
    put32(out + OffOrigin, static_cast<uint32_t>(r.origin));
    putText(out + OffComment, r.comment, CommentField);
    put64(out + OffDate, std::bit_cast<uint64_t>(r.dateTime));
    putText(out + OffCreatedBy, r.createdBy, CreatedByField);
    std::memcpy(out + ImageOffset, r.data.data(), static_cast<size_t>(imageLength));
    put32(out + ImageOffset + imageLength, EndMarker(RecordMagic));
}

namespace {
inline bool frameValid(const uint8_t* in, int imageLength)
{
    return get32(in + OffMagic) == RecordMagic && get32(in + OffVersion) == RecordVersion
        && get32(in + OffSize) == static_cast<uint32_t>(imageLength + ImageOffset - OffModel)
        && get32(in + ImageOffset + imageLength) == EndMarker(RecordMagic);
}
} // namespace

bool RecordValid(const uint8_t* in, int imageLength) { return frameValid(in, imageLength); }

namespace {
// One record whose frame was checked. The image length is a constant of the
// family, so the image copy and the zero tail compile to a few moves.
template <int ImageLength>
void decodeChecked(const uint8_t* in, uint32_t connectedModel, PresetRecord& r)
{
    const uint32_t model = get32(in + OffModel);
    r.model = model == 0 ? connectedModel : model;
    r.deviceId = static_cast<int32_t>(get32(in + OffDeviceId));
    r.origin = static_cast<int32_t>(get32(in + OffOrigin));
    getText(r.comment, in + OffComment, CommentField);
    r.dateTime = std::bit_cast<double>(get64(in + OffDate));
    getText(r.createdBy, in + OffCreatedBy, CreatedByField);
    std::memcpy(r.data.data(), in + ImageOffset, ImageLength);
    std::memset(r.data.data() + ImageLength, 0, r.data.size() - ImageLength);
}

// Index of the first record whose frame is damaged, or `count`.
template <int ImageLength>
int firstDamaged(const uint8_t* in, int count)
{
    constexpr qsizetype Size = RecordSize(ImageLength);
    int i = 0;
    while (i < count && frameValid(in + i * Size, ImageLength))
        ++i;
    return i;
}

template <int ImageLength>
void decodeAll(const uint8_t* in, int count, uint32_t connectedModel, PresetRecordList& list)
{
    constexpr qsizetype Size = RecordSize(ImageLength);
    for (int i = 0; i < count; ++i)
        decodeChecked<ImageLength>(in + i * Size, connectedModel, *list.items[i]);
}

bool knownImageLength(int imageLength)
{
    return imageLength == GuitarImageLength || imageLength == BassImageLength;
}
} // namespace

bool DecodeRecord(const uint8_t* in, int imageLength, uint32_t connectedModel, PresetRecord& r)
{
    if (!knownImageLength(imageLength) || !RecordValid(in, imageLength))
        return false;
    if (imageLength == BassImageLength)
        decodeChecked<BassImageLength>(in, connectedModel, r);
    else
        decodeChecked<GuitarImageLength>(in, connectedModel, r);
    return true;
}

QByteArray EncodeLibrary(const PresetRecordList& list, int imageLength, uint32_t version)
{
    const int recordSize = RecordSize(imageLength);
    const qsizetype records = static_cast<qsizetype>(list.count) * recordSize;
    QByteArray file(HeaderSize + records + TrailerSize, Qt::Uninitialized);
    auto* p = reinterpret_cast<uint8_t*>(file.data());
    put32(p, FileMagic);
    put32(p + 4, version);
    put32(p + 8, static_cast<uint32_t>(records));
    for (int i = 0; i < list.count; ++i)
        EncodeRecord(*list.items[i], imageLength, p + HeaderSize + qsizetype(i) * recordSize);
    put32(p + HeaderSize + records, EndMarker(FileMagic));
    return file;
}

namespace {

// Magic, version and byte count of the header; the number of records it
// announces, or 0 when it cannot be read.
int checkedCount(const uint8_t* header, int imageLength, uint32_t programVersion)
{
    if (!knownImageLength(imageLength) || get32(header) != FileMagic)
        return 0;
    const uint32_t version = get32(header + 4);
    if (!VersionAccepted(version, programVersion)) {
        TraceLine(1, "Library version %08X not accepted", version);
        return 0;
    }
    const uint32_t byteCount = get32(header + 8);
    const uint32_t recordSize = static_cast<uint32_t>(RecordSize(imageLength));
    const uint32_t n = byteCount / recordSize;
    if (n < 1 || n * recordSize != byteCount)
        return 0;
    return static_cast<int>(n);
}

// The trailer after `count` records and the frame of every record.
bool bodyValid(const uint8_t* p, int count, int imageLength)
{
    if (get32(p + qint64(count) * RecordSize(imageLength)) != EndMarker(FileMagic))
        return false;
    const int damaged = imageLength == BassImageLength ? firstDamaged<BassImageLength>(p, count)
                                                       : firstDamaged<GuitarImageLength>(p, count);
    if (damaged < count) {
        TraceLine(1, "Library record %d is damaged", damaged);
        return false;
    }
    return true;
}

} // namespace

bool ViewLibrary(const uint8_t* file, qint64 size, int imageLength, uint32_t programVersion, Records& records)
{
    if (size < HeaderSize)
        return false;
    const int count = checkedCount(file, imageLength, programVersion);
    if (count < 1 || size < HeaderSize + qint64(count) * RecordSize(imageLength) + TrailerSize ||
        !bodyValid(file + HeaderSize, count, imageLength))
        return false;
    records = {file + HeaderSize, count};
    return true;
}

bool ReadLibrary(QIODevice& in, PresetRecordList& list, int imageLength, uint32_t connectedModel,
                 uint32_t programVersion)
{
    uint8_t header[HeaderSize];
    if (in.read(reinterpret_cast<char*>(header), HeaderSize) != HeaderSize)
        return false;
    const int count = checkedCount(header, imageLength, programVersion);
    if (count < 1)
        return false;
    // Size and trailer are checked before any record is looked at, and no
    // more is read than the header announces.
    const qint64 rest = qint64(count) * RecordSize(imageLength) + TrailerSize;
    if (!in.isSequential() && in.size() - in.pos() < rest)
        return false;
    const QByteArray bodyAndTrailer = in.read(rest);
    if (bodyAndTrailer.size() != rest)
        return false;
    const auto* p = reinterpret_cast<const uint8_t*>(bodyAndTrailer.constData());
    if (!bodyValid(p, count, imageLength))
        return false;
    const bool bass = imageLength == BassImageLength;

    // Everything was checked: only now does the list change. The entries
    // keep their own slot and mark.
    if (list.capacity < count)
        ListGrow(list, count);
    if (bass)
        decodeAll<BassImageLength>(p, count, connectedModel, list);
    else
        decodeAll<GuitarImageLength>(p, count, connectedModel, list);
    list.count = count;
    list.columns = 0;
    if (&list == LibraryList && LibraryLoadedList) {
        ListClear(*LibraryLoadedList);
        if (LibraryLoadedList->capacity < count)
            ListGrow(*LibraryLoadedList, count);
        for (int i = 0; i < count; ++i)
            ListAdd(*LibraryLoadedList, list.items[i].get());
    }
    return true;
}

} // namespace library

FileResult WriteLibraryFile(const PresetRecordList& list, const QString& fileName)
{
    if (list.count < 1)
        return FileResult::NothingToWrite;
    const QByteArray bytes = library::EncodeLibrary(list, PresetLength, DataFormatVersion);
    if (backup::KeepLibraryVersion(fileName, bytes, CurrentPreferences.Dir, QDateTime::currentDateTime()).outcome ==
        backup::Outcome::Failed)
        return FileResult::BackupFailed;
    return WriteFileSafely(fileName, bytes.constData(), bytes.size()) ? FileResult::Ok : FileResult::WriteFailed;
}

FileResult ReadLibraryFile(PresetRecordList& list, const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return FileResult::CannotOpen;
    return library::ReadLibrary(file, list, PresetLength, static_cast<uint32_t>(ActiveDevice.Model), DataFormatVersion)
        ? FileResult::Ok
        : FileResult::NotUnderstood;
}

FileResult AppendToLibraryFile(PresetRecordList& list, const QString& fileName)
{
    if (list.count < 1)
        return FileResult::NothingToWrite;
    PresetRecordList both;
    ListInit(both);
    const FileResult read = ReadLibraryFile(both, fileName);
    if (read != FileResult::Ok)
        return read;
    if (both.count < 1)
        return FileResult::NothingToWrite;
    list.columns = 0;
    const int old = both.count;
    ListGrow(both, old + list.count);
    for (int i = 0; i < list.count; ++i)
        ListAdd(both, list.items[i].get());
    return WriteLibraryFile(both, fileName);
}
