#include "FileCommands.h"

#include <QBuffer>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <cmath>
#include <cstdio>

#include "Cli.h"
#include "CliText.h"
#include "files/DumpFile.h"
#include "files/LibraryFile.h"
#include "files/SafeFile.h"
#include "model/DeviceConnection.h"
#include "model/Presets.h"

using namespace clitext;

namespace {

enum class Kind { Dump, Library, Unknown };

Kind kindOf(const QString& path)
{
    const QString ext = QFileInfo(path).suffix().toLower();
    if (ext == QLatin1String("syx"))
        return Kind::Dump;
    if (ext == QLatin1String("dlb") || ext == QLatin1String("blb"))
        return Kind::Library;
    return Kind::Unknown;
}

bool knownModel(int m) { return m == ModelDrux || m == ModelDrux2 || m == ModelBass; }

// Records of one file, with the family they belong to.
struct FileRecords {
    PresetRecordList list;
    int imageLength = 0;
};

// Points the record operations at one family before its records are made.
void useFamily(int model)
{
    ActiveDevice.Model = model;
    PresetLength = ImageLengthFor(uint32_t(model));
}

bool readLibrary(const QString& path, int modelOverride, FileRecords& out, QString& error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("Unable to Load the file %1").arg(path);
        return false;
    }
    // The first record's size field tells the family.
    QByteArray head = file.read(library::HeaderSize + 12);
    const int length = head.size() == library::HeaderSize + 12
        ? int(uint8_t(head[20]) | uint8_t(head[21]) << 8) - (library::ImageOffset - 12)
        : 0;
    if (length != GuitarImageLength && length != BassImageLength) {
        error = QStringLiteral("%1 is not a library file").arg(path);
        return false;
    }
    const int model = modelOverride ? modelOverride : (length == BassImageLength ? ModelBass : ModelDrux2);
    if (ImageLengthFor(uint32_t(model)) != length) {
        error = QStringLiteral("%1 holds presets of the other family").arg(path);
        return false;
    }
    useFamily(model);
    ListInit(out.list);
    out.imageLength = length;
    file.seek(0);
    if (!library::ReadLibrary(file, out.list, length, uint32_t(model), CurrentDataFormatVersion)) {
        error = QStringLiteral("Unable to Load the file %1").arg(path);
        return false;
    }
    if (modelOverride)
        for (int i = 0; i < out.list.count; ++i)
            out.list.items[size_t(i)]->model = uint32_t(modelOverride);
    return true;
}

bool readDump(const QString& path, int modelOverride, FileRecords& out, int& fileModel, QString& error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("Unable to Load the file %1").arg(path);
        return false;
    }
    const QByteArray head = file.peek(dump::HeaderLength);
    const int length = head.size() == dump::HeaderLength ? uint8_t(head[8]) : 0;
    if (length != GuitarImageLength && length != BassImageLength) {
        error = QStringLiteral("Sysex Dump is not compatible: %1").arg(path);
        return false;
    }
    fileModel = uint8_t(head[5]);
    const int model = modelOverride ? modelOverride : fileModel;
    if (!knownModel(model) || ImageLengthFor(uint32_t(model)) != length) {
        error = QStringLiteral("Sysex Dump is not compatible: %1").arg(path);
        return false;
    }
    dump::Form form;
    const dump::ReadResult header = dump::ReadHeader(file, length, form);
    if (header != dump::ReadResult::Ok) {
        error = header == dump::ReadResult::NotCompatible ? QStringLiteral("Sysex Dump is not compatible: %1").arg(path)
                                                          : QStringLiteral("Unable to Load the file or unknown format: %1").arg(path);
        return false;
    }
    std::vector<uint8_t> images;
    if (dump::ReadBody(file, length, form, images) != dump::ReadResult::Ok) {
        error = QStringLiteral("Sysex Dump is corrupted: %1").arg(path);
        return false;
    }
    useFamily(model);
    ListInit(out.list);
    out.imageLength = length;
    PresetRecord r;
    InitRecord(r, -1);
    for (size_t offset = 0; offset + size_t(length) <= images.size(); offset += size_t(length)) {
        std::copy_n(images.begin() + qsizetype(offset), length, r.data.begin());
        ListAdd(out.list, &r);
    }
    return true;
}

bool readAny(const QString& path, int modelOverride, FileRecords& out, int& fileModel, QString& error)
{
    fileModel = 0;
    switch (kindOf(path)) {
    case Kind::Dump:
        return readDump(path, modelOverride, out, fileModel, error);
    case Kind::Library:
        return readLibrary(path, modelOverride, out, error);
    case Kind::Unknown:
        break;
    }
    error = QStringLiteral("%1: not a .syx, .dlb or .blb file").arg(path);
    return false;
}

// The whole days count from the epoch; the fraction is the time of that day,
// also before the epoch (-1.25 is 29 December 1899, 06:00).
QString isoDate(double days)
{
    if (days == 0.0 || !std::isfinite(days) || std::fabs(days) > 3e6)
        return QString();
    const double day = std::trunc(days);
    const QDateTime epoch(QDate(1899, 12, 30), QTime(0, 0), Qt::UTC);
    return epoch.addDays(qint64(day))
        .addMSecs(std::llround(std::fabs(days - day) * 86400000.0))
        .toString(Qt::ISODate)
        .chopped(1); // without the "Z"
}

// The name as the library window shows it, without the blanks that pad it
// to 16 characters; blanks in front are part of the name.
QString displayName(const PresetRecord& r)
{
    QString name = latin1(GetRecordName(r));
    while (name.endsWith(QLatin1Char(' ')))
        name.chop(1);
    return name;
}

bool writeLibrary(const QString& path, const PresetRecordList& list, QString& error)
{
    if (list.count < 1) {
        error = QStringLiteral("No presets to write to %1").arg(path);
        return false;
    }
    const bool bass = PresetLength == BassImageLength;
    if (QFileInfo(path).suffix().toLower() != QLatin1String(bass ? "blb" : "dlb")) {
        error = QStringLiteral("%1 presets go to a %2 file").arg(QLatin1String(bass ? "Bass" : "Guitar"),
                                                                 QLatin1String(bass ? ".blb" : ".dlb"));
        return false;
    }
    if (WriteLibraryFile(list, path) != FileResult::Ok) {
        error = QStringLiteral("Unable to Save the file %1").arg(path);
        return false;
    }
    return true;
}

bool writeDump(const QString& path, uint8_t model, const std::vector<uint8_t>& images, int length, QString& error)
{
    const int count = length ? int(images.size()) / length : 0;
    std::vector<uint8_t> message;
    if (count == 1)
        message = dump::PresetDumpBytes(0, model, dump::EditBufferNumber, images.data(), length);
    else if (count == SlotCount)
        message = dump::MemoryDumpBytes(0, model, images.data(), length);
    else {
        error = QStringLiteral("A dump file holds one preset or 125, not %1").arg(count);
        return false;
    }
    if (!WriteFileSafely(path, reinterpret_cast<const char*>(message.data()), qint64(message.size()))) {
        error = QStringLiteral("Unable to Save the file %1").arg(path);
        return false;
    }
    return true;
}

// "0x13" or, as the simulator takes it, decimal "19".
int parseModel(const QString& text)
{
    bool ok = false;
    const int m = text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive) ? text.mid(2).toInt(&ok, 16)
                                                                           : text.toInt(&ok, 0);
    return ok && knownModel(m) ? m : -1;
}

} // namespace

int RunShowCommand(const QStringList& args)
{
    if (args.size() != 1) {
        Message("drux show: which FILE? (see drux show --help)");
        return ExitUsage;
    }
    FileRecords records;
    QString error;
    int fileModel = 0;
    if (!readAny(args[0], 0, records, fileModel, error)) {
        Message(error.toStdString());
        return ExitError;
    }
    int number = 0;
    for (int i = 0; i < records.list.count; ++i) {
        const PresetRecord& r = records.list.at(i);
        if (r.isCommentLine()) {
            out(QStringLiteral("# ") + cell(latin1(r.comment)));
            continue;
        }
        const bool known = r.origin >= 0;
        QStringList columns;
        columns << QString::number(++number) << cell(displayName(r))
                << QString::number(r.deviceId)
                << (known ? QString::number(SlotBank(r.origin)) : QStringLiteral("?"))
                << (known ? QString(QLatin1Char(SlotLetter(r.origin))) : QStringLiteral("?"))
                << cell(latin1(r.comment)) << isoDate(r.dateTime) << cell(latin1(r.createdBy));
        out(columns.join(QLatin1Char('\t')));
    }
    // A listing that did not reach its reader (a full disk, say) is no success.
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        Message("drux show: the listing could not be written");
        return ExitError;
    }
    return ExitOk;
}

int RunConvertCommand(const QStringList& given)
{
    QStringList args = given;
    int model = 0;
    const qsizetype option = args.indexOf(QStringLiteral("--model"));
    if (option >= 0) {
        if (option + 1 >= args.size() || (model = parseModel(args[option + 1])) < 0) {
            Message("drux convert: --model takes 0x0D, 0x11 or 0x13");
            return ExitUsage;
        }
        args.remove(option, 2);
    }
    if (args.size() != 2) {
        Message("drux convert: which IN and OUT files? (see drux convert --help)");
        return ExitUsage;
    }
    const QString in = args[0], outPath = args[1];
    const Kind target = kindOf(outPath);
    if (target == Kind::Unknown || kindOf(in) == Kind::Unknown) {
        Message("drux convert: files are .syx, .dlb or .blb");
        return ExitUsage;
    }
    FileRecords records;
    QString error;
    int fileModel = 0;
    if (!readAny(in, model, records, fileModel, error)) {
        Message(error.toStdString());
        return ExitError;
    }
    bool written = false;
    if (target == Kind::Library) {
        written = writeLibrary(outPath, records.list, error);
    } else {
        std::vector<uint8_t> images;
        int headerModel = model ? model : fileModel;
        for (int i = 0; i < records.list.count; ++i) {
            const PresetRecord& r = records.list.at(i);
            if (r.isCommentLine())
                continue;
            if (!headerModel)
                headerModel = int(r.model);
            images.insert(images.end(), r.data.begin(), r.data.begin() + records.imageLength);
        }
        if (!knownModel(headerModel))
            headerModel = records.imageLength == BassImageLength ? ModelBass : ModelDrux2;
        written = writeDump(outPath, uint8_t(headerModel), images, records.imageLength, error);
    }
    if (!written) {
        Message(error.toStdString());
        return ExitError;
    }
    return ExitOk;
}

namespace {
// The helpers for backup and restore leave the connected unit as it was.
struct KeepUnit {
    DeviceConnection unit = ActiveDevice;
    int length = PresetLength;
    ~KeepUnit()
    {
        ActiveDevice = unit;
        PresetLength = length;
    }
};
} // namespace

bool ReadPresetFileForRestore(const QString& path, PresetImages& images, QString& error)
{
    const KeepUnit keep;
    FileRecords records;
    int fileModel = 0;
    if (!readAny(path, 0, records, fileModel, error))
        return false;
    images = PresetImages();
    images.imageLength = records.imageLength;
    images.model = fileModel;
    for (int i = 0; i < records.list.count; ++i) {
        const PresetRecord& r = records.list.at(i);
        if (r.isCommentLine())
            continue;
        if (!images.model)
            images.model = int(r.model);
        images.bytes.insert(images.bytes.end(), r.data.begin(), r.data.begin() + records.imageLength);
    }
    return true;
}

bool WritePresetFileForBackup(const QString& path, const PresetImages& images, QString& error)
{
    const KeepUnit keep;
    const int count = images.count();
    // Images cut to the other family's length would be stored as presets
    // they are not.
    if (!knownModel(images.model) || ImageLengthFor(uint32_t(images.model)) != images.imageLength) {
        error = QStringLiteral("Presets of %1 bytes do not belong to model 0x%2")
                    .arg(images.imageLength)
                    .arg(QString::number(images.model, 16).toUpper().rightJustified(2, QLatin1Char('0')));
        return false;
    }
    if (kindOf(path) == Kind::Dump)
        return writeDump(path, uint8_t(images.model), images.bytes, images.imageLength, error);
    if (kindOf(path) != Kind::Library) {
        error = QStringLiteral("%1: not a .syx, .dlb or .blb file").arg(path);
        return false;
    }
    useFamily(images.model);
    PresetRecordList list;
    ListInit(list);
    PresetRecord r;
    InitRecord(r, -1);
    for (int j = 0; j < count; ++j) {
        std::copy_n(images.bytes.begin() + qsizetype(j) * images.imageLength, images.imageLength, r.data.begin());
        r.origin = j;
        ListAdd(list, &r);
    }
    return writeLibrary(path, list, error);
}

namespace {
const AddCommands fileCommands({
    {"show", "show FILE", "list the presets of a .dlb, .blb or .syx file",
     "Prints one line per preset, tab-separated, in UTF-8: number, name,\n"
     "device id, bank, preset (\"?\" when the preset never was in a unit),\n"
     "comment, date and time (ISO 8601), author. Comment lines of a library\n"
     "print as \"# text\".\n"
     "Exit codes: 0 done, 1 the file cannot be read, 2 wrong usage.\n",
     [](const std::vector<std::string>& a) { return RunShowCommand(toQt(a)); }},
    {"convert", "convert [--model CODE] IN OUT", "convert between .syx and .dlb/.blb files",
     "Converts a dump file (.syx) to a library (.dlb for guitar, .blb for\n"
     "bass) or back. The family follows from the input's preset length;\n"
     "--model 0x0D, 0x11 or 0x13 (decimal 13, 17, 19 also work) sets the\n"
     "presets' model code. A dump file holds one preset or all 125; comment\n"
     "lines of a library are left out.\n"
     "Exit codes: 0 done, 1 a file cannot be read or written, 2 wrong usage.\n",
     [](const std::vector<std::string>& a) { return RunConvertCommand(toQt(a)); }},
});
}
