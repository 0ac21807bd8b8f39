// Feeds arbitrary bytes to the dump readers: the list readers and the
// import into the device memory. The first byte picks the family, the
// reader and the selected slot; the rest is the file.
#include <QBuffer>
#include <cstdint>
#include <cstdlib>

#include "files/DumpFile.h"
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
    ActiveDevice.Model = bass ? ModelBass : ModelDrux2;
    PresetLength = bass ? BassImageLength : GuitarImageLength;

    QBuffer in;
    in.setData(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    in.open(QIODevice::ReadOnly);
    switch ((data[0] >> 1) & 3) {
    case 0:
        dump::ReadDumpIntoListFrom(in, *LibraryList, true);
        break;
    case 1:
        dump::ReadDumpIntoListFrom(in, *ClipboardList, false);
        break;
    default:
        dump::ImportDumpFrom(in, (data[0] >> 3) * 5 - 10); // also slots outside 0..124
        break;
    }
    if (LibraryList->count > SlotCount || ClipboardList->count > SlotCount)
        abort(); // one file holds at most 125 presets
    ListClear(*LibraryList);
    ListClear(*LibraryLoadedList);
    ListClear(*ClipboardList);
    return 0;
}
