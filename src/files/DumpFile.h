#pragma once

#include "midi/Sysex.h"
#include <QString>
#include <cstdint>
#include <vector>

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

// The dump list readers' work on an open device (for tests and the fuzzer).
// `replace` clears the list first (and LibraryLoadedList when the list is
// LibraryList); the list changes only when the file was understood.
ReadResult ReadDumpIntoListFrom(QIODevice& in, PresetRecordList& list, bool replace);

// ImportDumpToMemory on an open device.
bool ImportDumpFrom(QIODevice& in, int selectedSlot);
} // namespace dump

// Writes slot `index` of DeviceMemory (0..124), all of it (-1) or the edit
// buffer (127) as a dump file carrying the SysexNr preference. Without a file
// name the dump goes to the unit instead (a single slot addressed to that
// slot). Any other index writes nothing. Returns true on success; callers
// show "Unable to Save the file" otherwise.
bool ExportDump(int index, const QString& fileName = QString());

// One record written as a one-preset file (preset number 127).
bool ExportRecordDump(const PresetRecord& r, const QString& fileName);

// Reads a dump file into DeviceMemory (one preset into `selectedSlot`, or
// all 125) and sends it to the unit, asking first while "Confirm" is on.
// False when the file cannot be read or has an unexpected size; the caller
// then shows "Unable to Load the file or unknown format". A header of the
// wrong family shows "Sysex Dump is not compatible" and counts as handled,
// as does the user's No.
bool ImportDumpToMemory(const QString& fileName, int selectedSlot);

// The library window's open of a .syx file: replaces the list's contents
// with the file's presets (LibraryLoadedList too when the list is
// LibraryList). False, with the list unchanged, when the file cannot be
// opened or understood; the caller says "Unable to Load the file".
bool ReadDumpIntoList(PresetRecordList& list, const QString& fileName);

// Adds the file's presets to the end of the list.
bool AppendDumpToList(PresetRecordList& list, const QString& fileName);
