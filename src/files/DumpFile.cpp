#include "files/DumpFile.h"

#include <QFile>
#include <algorithm>

#include "files/Backups.h"
#include "files/Preferences.h"
#include "files/SafeFile.h"
#include "midi/Sysex.h"
#include "model/DeviceConnection.h"
#include "model/Parameters.h"
#include "model/Trace.h"

namespace dump {

std::vector<uint8_t> PresetDumpBytes(uint8_t device, uint8_t model, uint8_t number, const uint8_t* image,
                                     int imageLength)
{
    return PresetDumpMessage(device, model, number, image, imageLength);
}

std::vector<uint8_t> MemoryDumpBytes(uint8_t device, uint8_t model, const uint8_t* images, int imageLength)
{
    return MemoryDumpMessage(device, model, images, imageLength);
}

bool HeaderCompatible(const uint8_t* h, int imageLength)
{
    const bool knownModel = h[5] == ModelDrux || h[5] == ModelDrux2 || h[5] == ModelBass;
    return h[0] == Sysex::Start && h[1] == Sysex::Maker[0] && h[2] == Sysex::Maker[1] && h[3] == Sysex::Maker[2] && knownModel
        && (h[6] == OnePresetCommand || h[6] == AllPresetsCommand) && h[8] == imageLength;
}

Form FormOf(const uint8_t* h, qint64 size, int imageLength)
{
    if (size == OnePresetSize(imageLength) && h[6] == OnePresetCommand)
        return Form::OnePreset;
    if (size == AllPresetsSize(imageLength) && h[6] == AllPresetsCommand && h[7] == AllPresetsCount)
        return Form::AllPresets;
    return Form::Other;
}

ReadResult ReadHeader(QIODevice& in, int imageLength, Form& form)
{
    form = Form::Other;
    uint8_t header[HeaderLength];
    const qint64 size = in.size();
    if (size <= HeaderLength || in.read(reinterpret_cast<char*>(header), HeaderLength) != HeaderLength)
        return ReadResult::Unreadable;
    if (!HeaderCompatible(header, imageLength))
        return ReadResult::NotCompatible;
    form = FormOf(header, size, imageLength);
    return form == Form::Other ? ReadResult::WrongSize : ReadResult::Ok;
}

ReadResult ReadBody(QIODevice& in, int imageLength, Form form, std::vector<uint8_t>& images)
{
    const int count = form == Form::AllPresets ? SlotCount : 1;
    images.assign(size_t(count) * size_t(imageLength), 0);
    const qint64 got = in.read(reinterpret_cast<char*>(images.data()), qint64(images.size()));
    if (got == qint64(images.size()))
        return ReadResult::Ok;
    images.resize(got < 0 ? 0 : size_t(got / imageLength) * size_t(imageLength));
    return ReadResult::Corrupted;
}

ReadResult ReadDumpIntoListFrom(QIODevice& in, PresetRecordList& list, bool replace)
{
    const int length = PresetLength;
    Form form;
    const ReadResult header = ReadHeader(in, length, form);
    if (header != ReadResult::Ok)
        return header;
    std::vector<uint8_t> images;
    const ReadResult body = ReadBody(in, length, form, images);

    const bool loaded = replace && &list == LibraryList && LibraryLoadedList;
    if (replace) {
        ListClear(list);
        if (loaded)
            ListClear(*LibraryLoadedList);
    }
    // Presets from a dump carry the connected model, no texts, no date and
    // an origin that says they were never in the unit.
    PresetRecord r;
    InitRecord(r, -1);
    for (size_t offset = 0; offset + size_t(length) <= images.size(); offset += size_t(length)) {
        std::copy_n(images.begin() + qsizetype(offset), length, r.data.begin());
        ListAdd(list, &r);
        if (loaded)
            ListAdd(*LibraryLoadedList, &r);
    }
    return body;
}

ImportPeek PeekImportFrom(QIODevice& in, int selectedSlot)
{
    Form form;
    const ReadResult header = ReadHeader(in, PresetLength, form);
    if (header == ReadResult::NotCompatible)
        return {Form::Other, ImportResult::NotCompatible};
    if (header != ReadResult::Ok)
        return {};
    if (form == Form::OnePreset && (selectedSlot < 0 || selectedSlot >= SlotCount)) {
        TraceLine(1, "Import into slot %d refused", selectedSlot);
        return {};
    }
    return {form, ImportResult::NotLoaded};
}

ImportPeek PeekImport(const QString& fileName, int selectedSlot)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return PeekImportFrom(file, selectedSlot);
}

ImportResult ImportDumpFrom(QIODevice& in, int selectedSlot)
{
    const ImportPeek peek = PeekImportFrom(in, selectedSlot);
    if (peek.form == Form::Other)
        return peek.refused;
    const int length = PresetLength;
    std::vector<uint8_t> images;
    if (ReadBody(in, length, peek.form, images) != ReadResult::Ok)
        return ImportResult::NotLoaded;
    if (peek.form == Form::OnePreset) {
        StoreDump(selectedSlot, images.data());
        Unit().sendPresetDump(selectedSlot, DeviceMemory[selectedSlot]->data.data(), length);
        return ImportResult::Done;
    }
    // The memory the file replaces is kept first; without that backup the
    // unit keeps its memory.
    if (backup::BackUpActiveUnit(CurrentPreferences.Dir, ExportDeviceNumber()).outcome == backup::Outcome::Failed)
        return ImportResult::BackupFailed;
    StoreDump(-1, images.data());
    Unit().sendMemoryDump(images.data(), int(images.size()));
    return ImportResult::Done;
}

} // namespace dump

namespace {

uint8_t connectedModel() { return static_cast<uint8_t>(ActiveDevice.Model); }

FileResult writeMessage(const QString& fileName, const std::vector<uint8_t>& m)
{
    return WriteFileSafely(fileName, reinterpret_cast<const char*>(m.data()), qint64(m.size())) ? FileResult::Ok
                                                                                                 : FileResult::WriteFailed;
}

} // namespace

FileResult ExportDump(int index, const QString& fileName)
{
    const int length = PresetLength;
    const bool toUnit = fileName.isEmpty();
    if (index == -1) {
        std::vector<uint8_t> memory(size_t(SlotCount) * size_t(length));
        for (int j = 0; j < SlotCount; ++j)
            std::copy_n(DeviceMemory[j]->data.begin(), length, memory.begin() + qsizetype(j) * length);
        if (toUnit) {
            Unit().sendMemoryDump(memory.data(), int(memory.size()));
            return FileResult::Ok;
        }
        return writeMessage(fileName, dump::MemoryDumpBytes(ExportDeviceNumber(), connectedModel(), memory.data(), length));
    }
    const PresetRecord* source = nullptr;
    PresetRecord editBuffer;
    if (index >= 0 && index < SlotCount) {
        source = DeviceMemory[index];
    } else if (index == dump::EditBufferNumber) {
        InitRecord(editBuffer, -1);
        CaptureEditBuffer(editBuffer);
        source = &editBuffer;
    } else {
        return FileResult::NothingToWrite;
    }
    if (toUnit) {
        Unit().sendPresetDump(index, source->data.data(), length);
        return FileResult::Ok;
    }
    return ExportRecordDump(*source, fileName);
}

FileResult ExportRecordDump(const PresetRecord& r, const QString& fileName)
{
    return writeMessage(fileName, dump::PresetDumpBytes(ExportDeviceNumber(), connectedModel(), dump::EditBufferNumber,
                                                        r.data.data(), PresetLength));
}

dump::ImportResult ImportDumpToMemory(const QString& fileName, int selectedSlot)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return dump::ImportResult::NotLoaded;
    return dump::ImportDumpFrom(file, selectedSlot);
}

dump::ReadResult ReadDumpIntoList(PresetRecordList& list, const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return dump::ReadResult::Unreadable;
    return dump::ReadDumpIntoListFrom(file, list, true);
}

dump::ReadResult AppendDumpToList(PresetRecordList& list, const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return dump::ReadResult::Unreadable;
    return dump::ReadDumpIntoListFrom(file, list, false);
}
