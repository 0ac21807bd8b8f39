// Feeds arbitrary bytes to the library reader. The first byte picks the
// family and the target list; the rest is the file. A file that is read
// must write back to the same bytes' records.
#include <QBuffer>
#include <cstdint>
#include <cstdlib>

#include "files/LibraryFile.h"
#include "model/DeviceConnection.h"
#include "model/Presets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool created = [] {
        CreateRecords();
        return true;
    }();
    (void)created;
    if (size < 1)
        return 0;
    const bool bass = data[0] & 1;
    const int length = bass ? BassImageLength : GuitarImageLength;
    ActiveDevice.Model = bass ? ModelBass : ModelDrux2;
    PresetLength = length;
    PresetRecordList& list = (data[0] & 2) ? *LibraryList : *ClipboardList;

    QBuffer in;
    in.setData(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    in.open(QIODevice::ReadOnly);
    const int before = list.count;
    if (!library::ReadLibrary(in, list, length, uint32_t(ActiveDevice.Model), CurrentDataFormatVersion)) {
        if (list.count != before)
            abort(); // a failed read changed the list
        return 0;
    }
    const QByteArray again = library::EncodeLibrary(list, length, CurrentDataFormatVersion);
    PresetRecordList copy;
    ListInit(copy);
    QBuffer back;
    back.setData(again);
    back.open(QIODevice::ReadOnly);
    if (!library::ReadLibrary(back, copy, length, uint32_t(ActiveDevice.Model), CurrentDataFormatVersion)
        || copy.count != list.count)
        abort();
    for (int i = 0; i < list.count; ++i)
        if (!RecordsEqual(copy.at(i), list.at(i)))
            abort();
    ListClear(list);
    ListClear(*LibraryLoadedList);
    return 0;
}
