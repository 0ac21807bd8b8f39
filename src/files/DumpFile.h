#pragma once

#include "midi/Sysex.h"
#include <QString>
#include <cstdint>
#include <vector>

#include "files/FileResult.h"
#include "model/Presets.h"

class QIODevice;

// A dump file holds exactly one preset dump message as it travels over MIDI:
// F0 00 20 32, device number, model code, command, preset number or count,
// image length, the image(s), F7.
namespace dump {
constexpr int HeaderLength = 9;
constexpr uint8_t OnePresetCommand = Sysex::PresetDump;
constexpr uint8_t AllPresetsCommand = Sysex::MemoryDump;
constexpr uint8_t AllPresetsCount = Sysex::MemoryPresets;
// Single presets in files always address the unit's edit buffer.
constexpr uint8_t EditBufferNumber = 127;

inline qint64 OnePresetSize(int imageLength) { return imageLength + 10; }
inline qint64 AllPresetsSize(int imageLength) { return qint64(SlotCount) * imageLength + 10; }

std::vector<uint8_t> PresetDumpBytes(uint8_t device, uint8_t model, uint8_t number, const uint8_t* image,
                                     int imageLength);
// 125 images of `imageLength` bytes back to back.
std::vector<uint8_t> MemoryDumpBytes(uint8_t device, uint8_t model, const uint8_t* images, int imageLength);

// Identifier, model byte (any of the three families), command and length
// byte. The device number and the end byte are not examined.
bool HeaderCompatible(const uint8_t* header, int imageLength);

enum class Form { Other, OnePreset, AllPresets };
// What a file of `size` bytes with this (compatible) header holds.
Form FormOf(const uint8_t* header, qint64 size, int imageLength);

enum class ReadResult {
    Unreadable,    // too short for a header, or the header cannot be read
    NotCompatible, // the header check failed
    WrongSize,     // the size matches neither form
    Corrupted,     // the images could not all be read; the ones read were delivered
    Ok,
};

// Reads and checks the header (the device must hold more than the header);
// on Ok, `form` tells what the file holds (Form::Other gives WrongSize).
ReadResult ReadHeader(QIODevice& in, int imageLength, Form& form);

// Reads the images that follow the header: one, or 125 in slot order. On a
// short read `images` keeps the complete images read so far (Corrupted).
ReadResult ReadBody(QIODevice& in, int imageLength, Form form, std::vector<uint8_t>& images);

// How an import into the device memory ended. The windows show
// "Unable to Load the file or unknown format" for NotLoaded, "Sysex Dump is
// not compatible" for NotCompatible and the backup's text for BackupFailed;
// every kind but NotLoaded counts as handled.
enum class ImportResult {
    Done,          // stored and sent to the unit
    NotLoaded,     // not readable, an unexpected size, images that break off, or no slot for one preset
    NotCompatible, // the header check failed; nothing changed
    Cancelled,     // the user answered No to the window's question; nothing changed
    BackupFailed,  // all presets: the memory they replace could not be kept, nothing was sent
};

// What an import would replace, read from the header alone, so that the
// window can ask before it imports: OnePreset or AllPresets when the import
// may go ahead, otherwise Form::Other and the result the import gives.
struct ImportPeek {
    Form form = Form::Other;
    ImportResult refused = ImportResult::NotLoaded;
};
ImportPeek PeekImportFrom(QIODevice& in, int selectedSlot);
ImportPeek PeekImport(const QString& fileName, int selectedSlot);

// The dump list readers' work on an open device (for tests and the fuzzer).
// `replace` clears the list first (and LibraryLoadedList when the list is
// LibraryList); the list changes only when the file was understood.
ReadResult ReadDumpIntoListFrom(QIODevice& in, PresetRecordList& list, bool replace);

// ImportDumpToMemory on an open device.
ImportResult ImportDumpFrom(QIODevice& in, int selectedSlot);
} // namespace dump

// Writes slot `index` of DeviceMemory (0..124), all of it (-1) or the edit
// buffer (127) as a dump file carrying the SysexNr preference. Without a file
// name the dump goes to the unit instead (a single slot addressed to that
// slot). Any other index writes nothing (NothingToWrite). Callers show
// "Unable to Save the file" for every result but Ok.
FileResult ExportDump(int index, const QString& fileName = QString());

// One record written as a one-preset file (preset number 127).
FileResult ExportRecordDump(const PresetRecord& r, const QString& fileName);

// Reads a dump file into DeviceMemory (one preset into `selectedSlot`, or
// all 125, after keeping the memory they replace) and sends it to the unit.
// Nothing is asked here: the window asks its question after PeekImport.
dump::ImportResult ImportDumpToMemory(const QString& fileName, int selectedSlot);

// The library window's open of a .syx file: replaces the list's contents
// with the file's presets (LibraryLoadedList too when the list is
// LibraryList). Ok or Corrupted (the presets read so far) when the list
// took the file; otherwise the list is unchanged (Unreadable also when the
// file cannot be opened). The window shows "Sysex Dump is not compatible"
// and "Sysex Dump is corrupted" for those results.
dump::ReadResult ReadDumpIntoList(PresetRecordList& list, const QString& fileName);

// Adds the file's presets to the end of the list; results as above.
dump::ReadResult AppendDumpToList(PresetRecordList& list, const QString& fileName);

// Whether the list took the file's presets (all, or those before a break).
inline bool DumpReadTaken(dump::ReadResult r)
{
    return r == dump::ReadResult::Ok || r == dump::ReadResult::Corrupted;
}
