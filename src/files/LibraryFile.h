#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

#include "files/FileResult.h"
#include "model/Presets.h"

class QIODevice;

// A library file: a 12-byte header, one record of L + 228 bytes per preset
// (L = the image length of the family), a 4-byte trailer. All integers are
// little-endian; texts are Latin-1 bytes, zero-filled.
namespace library {
constexpr uint32_t FileMagic = 0x424C5244;   // "DRLB"
constexpr uint32_t RecordMagic = 0x58555244; // "DRUX"
constexpr uint32_t RecordVersion = 1;
constexpr int HeaderSize = 12;
constexpr int TrailerSize = 4;
constexpr int RecordOverhead = 228;
constexpr int CommentField = 128;
constexpr int CreatedByField = 64;
constexpr int ImageOffset = 224;
// Where a record keeps its slot of origin (-1 for a comment line) and its
// texts.
constexpr int OriginOffset = 20;
constexpr int CommentOffset = 24;
constexpr int CreatedByOffset = 160;

constexpr int RecordSize(int imageLength) { return imageLength + RecordOverhead; }
inline uint32_t EndMarker(uint32_t magic) { return ~magic; }

// A file of this version may be read by a program of `programVersion`: the
// same format generation (lowest byte) written by the same or an earlier
// program version.
bool VersionAccepted(uint32_t fileVersion, uint32_t programVersion);

// One record, `RecordSize(imageLength)` bytes at `out`. Texts longer than
// their field are cut.
void EncodeRecord(const PresetRecord& r, int imageLength, uint8_t* out);

// Magic, version, size field and end marker of one record.
bool RecordValid(const uint8_t* in, int imageLength);

// Fills `r` from one record; false when magic, version, size or end marker
// are wrong or `imageLength` is not that of a family (48 or 56). A model of
// 0 becomes `connectedModel`. Slot and mark stay.
bool DecodeRecord(const uint8_t* in, int imageLength, uint32_t connectedModel, PresetRecord& r);

// The whole file for the first `list.count` records.
QByteArray EncodeLibrary(const PresetRecordList& list, int imageLength, uint32_t version);

// Reads a library from `in` into `list` (see ReadLibraryFile). The list is
// changed only when the whole library was read; an image length that is not
// a family's fails.
bool ReadLibrary(QIODevice& in, PresetRecordList& list, int imageLength, uint32_t connectedModel,
                 uint32_t programVersion);

// The records of a library file held whole in memory, after the checks
// ReadLibrary makes; for readers that look at records without decoding
// them all. False, with `records` unchanged, where ReadLibrary would fail.
struct Records {
    const uint8_t* first = nullptr;
    int count = 0;
};
bool ViewLibrary(const uint8_t* file, qint64 size, int imageLength, uint32_t programVersion, Records& records);
} // namespace library

// Writes the list with the connected family's image length. An empty list
// is never written (NothingToWrite). The file is replaced only by a complete
// new one, after the contents being replaced were kept (BackupFailed when
// they cannot be: the library stays as it is).
FileResult WriteLibraryFile(const PresetRecordList& list, const QString& fileName);

// Replaces the list's contents with the file's records (columns 0). Reading
// into LibraryList also makes LibraryLoadedList a copy of what was read. On
// failure (CannotOpen, NotUnderstood) both lists stay exactly as they were.
FileResult ReadLibraryFile(PresetRecordList& list, const QString& fileName);

// Adds copies of the list's records after the file's records. An empty list
// or an empty file gives NothingToWrite and changes nothing.
FileResult AppendToLibraryFile(PresetRecordList& list, const QString& fileName);
