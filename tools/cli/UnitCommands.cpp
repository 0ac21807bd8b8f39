#include <QFile>
#include <QSaveFile>
#include <QString>
#include <algorithm>
#include <cstdio>

#include "Cli.h"
#include "FileCommands.h"
#include "UnitSession.h"
#include "midi/Sysex.h"
#include "model/Presets.h"

namespace {

struct UnitOptions {
    std::string unit; // DeviceKey, or empty for the first unit found
    std::string file;
};

bool parseUnitOptions(const std::string& command, const std::vector<std::string>& args, UnitOptions& o)
{
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--unit") {
            if (i + 1 >= args.size()) {
                Message("drux " + command + ": --unit needs a device key (see drux search)");
                return false;
            }
            o.unit = args[++i];
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
    if (o.file.empty()) {
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
    // The search stops at the unit wanted; the names only cost time.
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

    std::vector<uint8_t> images;
    images.reserve(static_cast<size_t>(SlotCount * PresetLength));
    for (int j = 0; j < SlotCount; ++j)
        images.insert(images.end(), DeviceMemory[j]->data.begin(), DeviceMemory[j]->data.begin() + PresetLength);
    // Dump files carry 0 where the unit's device id travels; libraries keep
    // each preset's slot.
    PresetImages backupImages;
    backupImages.model = unit.Model;
    backupImages.imageLength = PresetLength;
    backupImages.bytes = std::move(images);
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
    if (!s.SendMemory(restoreImages.bytes)) {
        Message("Cannot send to " + unit.DeviceKey + ".");
        return ExitNoUnit;
    }
    Message("Sent 125 presets to " + local(unit.DeviceName) + " (" + unit.DeviceKey + ").");
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
     "Exit code 1 when the file does not hold 125 presets of the unit's family,\n"
     "3 when no unit answered.\n",
     restore},
});

} // namespace
