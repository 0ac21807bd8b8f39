#include <QFile>
#include <QSaveFile>
#include <QString>
#include <algorithm>
#include <cstdio>

#include "Cli.h"
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
        Message("drux " + command + ": which FILE.syx? (see drux " + command + " --help)");
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
    const auto units = s.Search();
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

    std::vector<uint8_t> images;
    images.reserve(static_cast<size_t>(SlotCount * PresetLength));
    for (int j = 0; j < SlotCount; ++j)
        images.insert(images.end(), DeviceMemory[j]->data.begin(), DeviceMemory[j]->data.begin() + PresetLength);
    // Files carry 0 where the unit's device id travels.
    const SysexBytes dump = MemoryDumpMessage(0, unit.Model, images.data(), PresetLength);
    QSaveFile file(QString::fromLocal8Bit(o.file.c_str()));
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(reinterpret_cast<const char*>(dump.data()), static_cast<qint64>(dump.size())) !=
            static_cast<qint64>(dump.size()) ||
        !file.commit()) {
        Message("Unable to Save the file " + o.file);
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
    QFile file(QString::fromLocal8Bit(o.file.c_str()));
    if (!file.open(QIODevice::ReadOnly)) {
        Message("Unable to Load the file or unknown format: " + o.file);
        return ExitError;
    }
    const QByteArray bytes = file.readAll();
    const auto at = [&](int i) { return i < bytes.size() ? static_cast<uint8_t>(bytes[i]) : 0xFF; };
    const int length = at(8);
    const bool wellFormed = bytes.size() > 9 && at(0) == 0xF0 && at(1) == 0x00 && at(2) == 0x20 && at(3) == 0x32 &&
                            IsKnownModel(at(5)) && at(6) == Sysex::MemoryDump && at(7) == Sysex::MemoryPresets &&
                            (length == GuitarImageLength || length == BassImageLength) &&
                            bytes.size() == SlotCount * length + 10;
    if (!wellFormed) {
        Message("Sysex Dump is not compatible: " + o.file + " holds no 125 presets.");
        return ExitError;
    }

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
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.constData()) + 9;
    if (!s.SendMemory(std::vector<uint8_t>(data, data + SlotCount * length))) {
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
    {"backup", "backup [--unit KEY] FILE.syx", "save the unit's 125 presets to a dump file",
     "Reads the whole memory of a unit and writes its 125 presets as one\n"
     "all-presets dump file.\n\n"
     "  --unit KEY   the unit with this device key (as drux search prints it);\n"
     "               default: the first unit found\n\n"
     "A cut-short reply is asked for again, then the presets are read one at a\n"
     "time. Exit code 3 when no unit answered the search, 4 when the unit\n"
     "stopped answering, 1 when the file could not be written.\n",
     backup},
    {"restore", "restore [--unit KEY] FILE.syx", "send an all-presets dump file to the unit",
     "Sends the 125 presets of an all-presets dump file to a unit as one Memory\n"
     "dump; they replace the unit's memory.\n\n"
     "  --unit KEY   the unit with this device key (as drux search prints it);\n"
     "               default: the first unit found\n\n"
     "Exit code 1 when the file is not an all-presets dump of the unit's family,\n"
     "3 when no unit answered.\n",
     restore},
});

} // namespace
