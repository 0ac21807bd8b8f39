#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QString>
#include <algorithm>
#include <cstdio>
#include <map>

#include "Cli.h"
#include "FileCommands.h"
#include "UnitSession.h"
#include "files/Backups.h"
#include "files/Preferences.h"
#include "midi/Sysex.h"
#include "model/Presets.h"

namespace {

struct UnitOptions {
    std::string unit; // DeviceKey, or empty for the first unit found
    std::string file;
    QString dir = DefaultPreferences().Dir; // working folder: its "Backups" keep the unit's history
};

bool parseUnitOptions(const std::string& command, const std::vector<std::string>& args, UnitOptions& o,
                      bool needsFile = true)
{
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--unit") {
            if (i + 1 >= args.size()) {
                Message("drux " + command + ": --unit needs a device key (see drux search)");
                return false;
            }
            o.unit = args[++i];
        } else if (a == "--dir") {
            if (i + 1 >= args.size()) {
                Message("drux " + command + ": --dir needs a folder");
                return false;
            }
            o.dir = QString::fromLocal8Bit(args[++i].c_str());
        } else if (!needsFile && !a.empty() && a[0] != '-') {
            Message("drux " + command + ": no file, please");
            return false;
        } else if (a.size() > 1 && a[0] == '-') {
            Message("drux " + command + ": unknown option '" + a + "'");
            return false;
        } else if (o.file.empty()) {
            o.file = a;
        } else {
            Message("drux " + command + ": only one file, please");
            return false;
        }
    }
    if (needsFile && o.file.empty()) {
        Message("drux " + command + ": which FILE (.syx, .dlb or .blb)? (see drux " + command + " --help)");
        return false;
    }
    return true;
}

// Texts of the core are Latin-1; the terminal gets them in its own encoding.
std::string local(const std::string& latin1)
{
    return QString::fromLatin1(latin1.data(), static_cast<qsizetype>(latin1.size())).toLocal8Bit().toStdString();
}

// The unit to talk to: the one with the key asked for, else the first found.
// A key that no unit answered as is still tried on its ports when they
// exist, so that a unit that does not identify itself can be reached.
bool chooseUnit(UnitSession& s, const std::string& key, DeviceConnection& unit)
{
    // The search stops at the unit wanted.
    const auto units = s.SearchFor([&key](const DeviceConnection& u) { return key.empty() || u.DeviceKey == key; });
    if (key.empty()) {
        if (units.empty()) {
            Message("No Drux answered on any MIDI port.");
            return false;
        }
        unit = units.front();
        return true;
    }
    const auto it = std::find_if(units.begin(), units.end(), [&](const DeviceConnection& u) { return u.DeviceKey == key; });
    if (it != units.end()) {
        unit = *it;
        return true;
    }
    DeviceConnection given;
    if (ParseDeviceKey(key, given) && given.MidiIn < static_cast<int>(s.ports().InputNames().size()) &&
        given.MidiOut < static_cast<int>(s.ports().OutputNames().size())) {
        Message("No Drux answered as " + key + "; trying its ports.");
        unit = given;
        return true;
    }
    Message("No Drux with the key " + key + " (see drux search).");
    return false;
}

int ports(const std::vector<std::string>& args)
{
    if (!args.empty()) {
        Message("drux ports: no arguments, please");
        return ExitUsage;
    }
    UnitSession s;
    s.Enumerate();
    const auto& in = s.ports().InputNames();
    const auto& out = s.ports().OutputNames();
    for (size_t i = 0; i < in.size(); ++i)
        std::printf("in\t%zu\t%s\n", i, in[i].c_str());
    for (size_t i = 0; i < out.size(); ++i)
        std::printf("out\t%zu\t%s\n", i, out[i].c_str());
    return ExitOk;
}

int search(const std::vector<std::string>& args)
{
    if (!args.empty()) {
        Message("drux search: no arguments, please");
        return ExitUsage;
    }
    UnitSession s;
    if (!s.Enumerate())
        return ExitNoUnit;
    const auto units = s.Search();
    for (const DeviceConnection& u : units)
        std::printf("%s\t%d\t%s\t%s\n", u.DeviceKey.c_str(), u.SubModel, local(u.ModelText).c_str(),
                    local(u.DeviceName).c_str());
    if (units.empty()) {
        Message("No Drux answered on any MIDI port.");
        return ExitNoUnit;
    }
    return ExitOk;
}

// Says where the unit's memory was kept; false when it could not be.
bool reportHistory(const backup::Result& r, const QString& dir)
{
    const std::string path = QDir::toNativeSeparators(r.path).toLocal8Bit().toStdString();
    switch (r.outcome) {
    case backup::Outcome::Written:
        Message("Kept the memory in " + path + ".");
        return true;
    case backup::Outcome::Unchanged:
        if (!path.empty())
            Message("The memory equals the backup " + path + ".");
        return true;
    case backup::Outcome::Failed:
        break;
    }
    Message("Unable to back up the memory of the unit into " +
            QDir::toNativeSeparators(backup::BackupLocation(dir).folder).toLocal8Bit().toStdString() + ".");
    return false;
}

int backup(const std::vector<std::string>& args)
{
    UnitOptions o;
    if (!parseUnitOptions("backup", args, o))
        return ExitUsage;
    UnitSession s;
    DeviceConnection unit;
    if (!s.Enumerate() || !chooseUnit(s, o.unit, unit))
        return ExitNoUnit;
    if (!s.Connect(unit)) {
        Message("Cannot open the MIDI ports of " + unit.DeviceKey + ".");
        return ExitNoUnit;
    }
    Message("Reading the memory of " + local(unit.DeviceName) + " (" + unit.DeviceKey + ") ...");
    if (!s.ReadMemory())
        return ExitNoResponse;
    // Closing the MIDI clients waits for the MIDI system: they close while
    // the file is written.
    s.CloseMidiMeanwhile();
    reportHistory(backup::BackUpActiveUnit(o.dir, 0), o.dir);

    // Dump files carry 0 where the unit's device id travels; libraries keep
    // each preset's slot.
    backup::MemoryImages memory = backup::CurrentMemory(unit.Model);
    PresetImages backupImages;
    backupImages.model = memory.model;
    backupImages.imageLength = memory.imageLength;
    backupImages.bytes = std::move(memory.bytes);
    QString error;
    if (!WritePresetFileForBackup(QString::fromLocal8Bit(o.file.c_str()), backupImages, error)) {
        Message(error.toStdString());
        return ExitError;
    }
    Message("Wrote 125 presets to " + o.file + ".");
    return ExitOk;
}

int restore(const std::vector<std::string>& args)
{
    UnitOptions o;
    if (!parseUnitOptions("restore", args, o))
        return ExitUsage;
    // A dump file or a library; a library's comment lines are skipped.
    PresetImages restoreImages;
    QString error;
    if (!ReadPresetFileForRestore(QString::fromLocal8Bit(o.file.c_str()), restoreImages, error)) {
        Message(error.toStdString());
        return ExitError;
    }
    if (restoreImages.count() != SlotCount) {
        Message("Sysex Dump is not compatible: " + o.file + " holds " + std::to_string(restoreImages.count()) +
                " presets, not 125.");
        return ExitError;
    }
    const int length = restoreImages.imageLength;

    UnitSession s;
    DeviceConnection unit;
    if (!s.Enumerate() || !chooseUnit(s, o.unit, unit))
        return ExitNoUnit;
    if (!s.Connect(unit)) {
        Message("Cannot open the MIDI ports of " + unit.DeviceKey + ".");
        return ExitNoUnit;
    }
    if (length != PresetLength) {
        Message("Sysex Dump is not compatible: its presets are for the other family of units.");
        return ExitError;
    }
    // The memory about to be replaced is read and kept first; without that
    // backup nothing is sent.
    Message("Reading the memory of " + local(unit.DeviceName) + " (" + unit.DeviceKey + ") to back it up ...");
    if (!s.ReadMemory()) {
        Message("Nothing was sent.");
        return ExitNoResponse;
    }
    if (!reportHistory(backup::BackUpActiveUnit(o.dir, 0), o.dir)) {
        Message("Nothing was sent.");
        return ExitError;
    }
    if (!s.SendMemory(restoreImages.bytes)) {
        Message("Cannot send to " + unit.DeviceKey + ".");
        return ExitNoUnit;
    }
    Message("Sent 125 presets to " + local(unit.DeviceName) + " (" + unit.DeviceKey + ").");
    return ExitOk;
}

int backups(const std::vector<std::string>& args)
{
    UnitOptions o;
    if (!parseUnitOptions("backups", args, o, false))
        return ExitUsage;
    const QString folder = backup::BackupLocation(o.dir).folder;
    const auto list = backup::ListBackups(folder, o.unit);
    // Each against the newest backup of its own unit.
    std::map<std::string, backup::MemoryImages> newest;
    for (const backup::Entry& e : list) {
        backup::MemoryImages m;
        if (!backup::ReadBackup(e.path, m)) {
            Message("Cannot read " + e.path.toLocal8Bit().toStdString() + ".");
            continue;
        }
        const auto [first, isNewest] = newest.try_emplace(e.deviceKey, m);
        const size_t differing = isNewest ? 0 : backup::DifferingSlots(first->second, m).size();
        std::printf("%s\t%s\t%s\t%zu\n", e.path.toLocal8Bit().constData(),
                    e.deviceKey.empty() ? "-" : e.deviceKey.c_str(),
                    e.when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toLocal8Bit().constData(), differing);
    }
    if (list.empty())
        Message("No backups in " + folder.toLocal8Bit().toStdString() + ".");
    return ExitOk;
}

const AddCommands unitCommands({
    {"ports", "ports", "list the MIDI input and output ports",
     "Lists the MIDI ports the editor would use, one a line, tab-separated:\n"
     "'in' or 'out', the port's number, its name.\n",
     ports},
    {"search", "search", "find the units on every output port",
     "Asks on every MIDI output port, one after the other, whether a unit answers,\n"
     "and prints one line per unit recognised, tab-separated:\n"
     "device key, unit type (0..6), model text, unit name.\n"
     "Exit code 0 when at least one unit answered, 3 when none did.\n",
     search},
    {"backup", "backup [--unit KEY] FILE", "save the unit's 125 presets to a file",
     "Reads the whole memory of a unit and writes its 125 presets as one\n"
     "all-presets dump file (.syx) or as a library in slot order (.dlb for\n"
     "guitar units, .blb for bass units).\n\n"
     "  --unit KEY   the unit with this device key (as drux search prints it);\n"
     "               default: the first unit found\n\n"
     "  --dir DIR    working folder (default: the program's); every read also\n"
     "               keeps the memory in its \"Backups\" folder, unless equal to\n"
     "               the unit's newest backup there\n\n"
     "A cut-short reply is asked for again, then the presets are read one at a\n"
     "time. Exit code 3 when no unit answered the search, 4 when the unit\n"
     "stopped answering, 1 when the file could not be written.\n",
     backup},
    {"restore", "restore [--unit KEY] FILE", "send 125 presets from a file to the unit",
     "Sends the 125 presets of an all-presets dump file (.syx) or of a library\n"
     "(.dlb, .blb; comment lines skipped) to a unit as one Memory dump; they\n"
     "replace the unit's memory in file order.\n\n"
     "  --unit KEY   the unit with this device key (as drux search prints it);\n"
     "               default: the first unit found\n\n"
     "  --dir DIR    working folder (default: the program's)\n\n"
     "The unit's memory is read and kept in the \"Backups\" folder of the working\n"
     "folder first (unless equal to its newest backup); without that nothing is sent.\n"
     "Exit code 1 when the file does not hold 125 presets of the unit's family\n"
     "or the backup could not be written, 3 when no unit answered, 4 when the\n"
     "unit stopped answering while its memory was read.\n",
     restore},
    {"backups", "backups [--unit KEY] [--dir DIR]", "list the backups of the units' memory",
     "Lists the backups in the \"Backups\" folder of the working folder, newest\n"
     "first, one a line, tab-separated: file, device key ('-' for a file no unit\n"
     "was recorded for), date and time, number of slots that differ from the\n"
     "newest backup of the same unit.\n\n"
     "  --unit KEY   only the backups of this unit\n"
     "  --dir DIR    working folder (default: the program's)\n",
     backups},
});

} // namespace
