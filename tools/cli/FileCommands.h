#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

// drux show FILE: one line per record of a library (.dlb, .blb) or dump
// file (.syx), tab-separated in UTF-8: number, name, device id, bank,
// preset, comment, date/time, author; comment lines as "# text".
int RunShowCommand(const QStringList& args);

// drux convert [--model CODE] IN OUT: between dump files and library files.
// The family follows from the input's image length; --model sets the model
// code of the presets (and of a dump file's header).
int RunConvertCommand(const QStringList& args);

// The presets of a file in file order as images of one family, for backup
// and restore. Library comment lines are skipped.
struct PresetImages {
    int model = 0;       // model code (from the dump header or the first preset)
    int imageLength = 0; // 48 or 56
    std::vector<uint8_t> bytes; // count x imageLength
    int count() const { return imageLength ? int(bytes.size()) / imageLength : 0; }
};

// Reads a .syx, .dlb or .blb file; false with `error` set when it cannot be
// read or understood.
bool ReadPresetFileForRestore(const QString& path, PresetImages& images, QString& error);

// Writes 125 (or any number of) images: a .syx file gets one dump message
// (one preset or all 125), a library file one record per image, origin =
// its slot. Written through a temporary file.
bool WritePresetFileForBackup(const QString& path, const PresetImages& images, QString& error);
