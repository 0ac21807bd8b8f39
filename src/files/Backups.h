#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <cstdint>
#include <string>
#include <vector>

// Backups that never lose a preset: every whole-memory read of a real unit
// and every replacement of the unit's memory from a file leaves the memory
// it had as an all-presets dump file, and every library save that replaces
// different contents keeps the old file. Backups are plain dump and library
// files, so every tool that reads those reads them; nothing here deletes one.
namespace backup {

// Where the unit backups go: "Backups" under the working folder when that
// can be written, else the user's data folder + "/Backups".
struct Location {
    QString folder;
    bool fellBack = false; // the working folder could not be written
};
Location BackupLocation(const QString& workingFolder);

// Library versions live in "Libraries" below the backup folder.
QString LibraryFolder(const QString& backupFolder);

// `text` as part of a file name: characters no file name can hold on the
// desktops the program runs on (path separators, wildcards, quotes, colons,
// control characters) become '_'; an empty result becomes "Drux".
QString FileNamePart(const QString& text);

// "BASE yyyy-MM-dd HH-mm-ss.EXT" in `folder`, with " (2)", " (3)" ... added
// when a file of that name exists already.
QString StampedPath(const QString& folder, const QString& base, const QDateTime& when, const QString& ext);

// The 125 images of a unit, slot order, back to back.
struct MemoryImages {
    int model = 0;
    int imageLength = 0;
    std::vector<uint8_t> bytes;

    bool valid() const;
    std::string slotName(int slot) const;
    bool operator==(const MemoryImages&) const = default;
};

// The images of DeviceMemory as the program holds them now.
MemoryImages CurrentMemory(int model);

enum class Outcome {
    Written,   // a new backup file was written
    Unchanged, // identical to the newest backup of the unit: nothing written
    Failed,    // the folder or the file could not be written
};

struct Result {
    Outcome outcome = Outcome::Failed;
    QString path; // the file written, or the newest backup it equals
};

// Writes `memory` as an all-presets dump file carrying `sysexNr` into
// `folder`, named after the unit's name and `when`, and records which unit
// (`deviceKey`) it belongs to, unless it equals the unit's newest backup.
Result BackUpMemory(const QString& folder, const std::string& deviceKey, const QString& unitName,
                    const MemoryImages& memory, uint8_t sysexNr, const QDateTime& when);

// The memory as the program holds it (DeviceMemory) backed up for
// ActiveDevice into the backups of `workingFolder`, each dump carrying
// `sysexNr`. The virtual unit has no memory to lose: Unchanged.
Result BackUpActiveUnit(const QString& workingFolder, uint8_t sysexNr,
                        const QDateTime& when = QDateTime::currentDateTime());

struct Entry {
    QString path;
    std::string deviceKey; // empty for a file the program did not record
    QString unitName;
    QDateTime when;
};

// The unit backups in `folder`, newest first; only those of `deviceKey`
// when it is not empty.
std::vector<Entry> ListBackups(const QString& folder, const std::string& deviceKey = {});

// The images of an all-presets dump file of any of the three families.
bool ReadBackup(const QString& path, MemoryImages& memory);

// Slots (0..124) whose images differ; two memories of different families
// differ in every slot.
std::vector<int> DifferingSlots(const MemoryImages& a, const MemoryImages& b);

// Before a save replaces `libraryFile` with `newContents`: when the file
// exists and its contents differ, it is copied to the library folder of the
// backups of `workingFolder` as "NAME yyyy-MM-dd HH-mm-ss.EXT". Unchanged
// when there is nothing to keep; Failed when the old file could not be read
// or kept, and then the save must not go ahead.
Result KeepLibraryVersion(const QString& libraryFile, const QByteArray& newContents, const QString& workingFolder,
                          const QDateTime& when);

} // namespace backup
