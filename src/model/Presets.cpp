#include "model/Presets.h"

#include <algorithm>
#include <cstring>

#include "model/DeviceConnection.h"
#include "model/EditorLink.h"
#include "model/MemoryView.h"
#include "model/Parameters.h"
#include "model/Trace.h"

int PresetLength = GuitarImageLength;
uint32_t DataFormatVersion = CurrentDataFormatVersion;

std::array<PresetRecord*, SlotCount> DeviceMemory{};
std::array<PresetRecord*, SlotCount> DeviceMemoryUndo{};
PresetRecord* OriginalRecord = nullptr;
PresetRecord* EditBufferRecord = nullptr;
PresetRecord* NullRecord = nullptr;
PresetRecordList* LibraryList = nullptr;
PresetRecordList* LibraryUndoList = nullptr;
PresetRecordList* LibraryRedoList = nullptr;
PresetRecordList* ClipboardList = nullptr;
PresetRecordList* DragList = nullptr;
PresetRecordList* LibraryLoadedList = nullptr;

namespace {

// Default images: the parameter bytes that differ from 0, then the name.
constexpr uint8_t GuitarDefault[] = {100, 116, 85, 109, 109, 64, 40, 11, 0, 0, 1, 15, 1, 7};
constexpr uint8_t BassDefault[] = {100, 116, 85, 109, 109, 64, 40, 11, 0, 0, 1, 15, 0, 1, 1};
constexpr const char* GuitarDefaultName = "USER PRESET     ";
constexpr const char* BassDefaultName = "USER BPRESET    ";

// The eight characters in which the unit's ISO 646 German variant and the
// host's Latin-1 differ.
struct CharPair {
    uint8_t unit;
    uint8_t host;
};
constexpr CharPair NameChars[] = {
    {0x40, 0xA7}, {0x5B, 0xC4}, {0x5C, 0xD6}, {0x5D, 0xDC},
    {0x7B, 0xE4}, {0x7C, 0xF6}, {0x7D, 0xFC}, {0x7E, 0xDF},
};

std::array<std::unique_ptr<PresetRecord>, 2 * SlotCount> memoryRecords;
std::unique_ptr<PresetRecord> originalRecord, editBufferRecord, nullRecord;
std::unique_ptr<PresetRecordList> lists[6];

std::unique_ptr<PresetRecord> freshRecord(int slot)
{
    auto r = std::make_unique<PresetRecord>();
    InitRecord(*r, slot);
    return r;
}

Modul& presetModule(uint32_t model)
{
    return *ModuleTable[model == ModelBass ? ModixBassPreset : ModixPreset];
}

int parameterBytes() { return PresetLength - NameLength; }

} // namespace

PresetRecord& PresetRecordList::at(int i) const
{
    if (i < 0 || i >= count)
        return *NullRecord;
    return *items[i];
}

void CreateRecords()
{
    DestroyRecords();
    for (int i = 0; i < 2 * SlotCount; ++i)
        memoryRecords[i] = freshRecord(i % SlotCount);
    for (int j = 0; j < SlotCount; ++j) {
        DeviceMemory[j] = memoryRecords[j].get();
        DeviceMemoryUndo[j] = memoryRecords[SlotCount + j].get();
    }
    for (auto& l : lists) {
        l = std::make_unique<PresetRecordList>();
        ListInit(*l);
    }
    LibraryList = lists[0].get();
    LibraryUndoList = lists[1].get();
    LibraryRedoList = lists[2].get();
    ClipboardList = lists[3].get();
    DragList = lists[4].get();
    LibraryLoadedList = lists[5].get();
    nullRecord = freshRecord(-1);
    originalRecord = freshRecord(-1);
    editBufferRecord = freshRecord(-1);
    NullRecord = nullRecord.get();
    OriginalRecord = originalRecord.get();
    EditBufferRecord = editBufferRecord.get();
}

void DestroyRecords()
{
    for (auto& r : memoryRecords)
        r.reset();
    DeviceMemory.fill(nullptr);
    DeviceMemoryUndo.fill(nullptr);
    for (auto& l : lists)
        l.reset();
    LibraryList = LibraryUndoList = LibraryRedoList = ClipboardList = DragList = LibraryLoadedList = nullptr;
    nullRecord.reset();
    originalRecord.reset();
    editBufferRecord.reset();
    NullRecord = OriginalRecord = EditBufferRecord = nullptr;
}

// ---- names ----

std::string HostToUnitName(std::string_view host)
{
    std::string out(host);
    for (char& ch : out) {
        const auto c = static_cast<uint8_t>(ch);
        uint8_t u = c & 0x7F;
        for (const CharPair& p : NameChars)
            if (p.host == c)
                u = p.unit;
        ch = static_cast<char>(u);
    }
    return out;
}

std::string UnitToHostName(std::string_view unit)
{
    std::string out(unit);
    for (char& ch : out)
        for (const CharPair& p : NameChars)
            if (p.unit == static_cast<uint8_t>(ch)) {
                ch = static_cast<char>(p.host);
                break;
            }
    return out;
}

// ---- records ----

void InitRecord(PresetRecord& r, int slot)
{
    r.slot = slot;
    r.comment.clear();
    r.createdBy.clear();
    ResetRecord(r);
}

void ResetRecord(PresetRecord& r)
{
    r.model = static_cast<uint32_t>(ActiveDevice.Model);
    r.deviceId = 0;
    r.origin = -2;
    r.comment.clear();
    r.dateTime = 0.0;
    r.createdBy.clear();
    const bool bass = r.model == ModelBass;
    PresetLength = bass ? BassImageLength : GuitarImageLength;
    r.data.fill(0);
    if (bass) {
        std::copy(std::begin(BassDefault), std::end(BassDefault), r.data.begin());
        std::fill(r.data.begin() + 32, r.data.begin() + 39, 64);
    } else {
        std::copy(std::begin(GuitarDefault), std::end(GuitarDefault), r.data.begin());
    }
    std::memcpy(r.data.data() + PresetLength - NameLength, bass ? BassDefaultName : GuitarDefaultName, NameLength);
}

void CopyRecord(PresetRecord& dst, const PresetRecord& src)
{
    if (&dst == &src)
        return;
    std::copy_n(src.data.begin(), PresetLength + 1, dst.data.begin());
    dst.model = src.model;
    dst.deviceId = src.deviceId;
    dst.comment = src.comment;
    dst.dateTime = src.dateTime;
    dst.createdBy = src.createdBy;
    dst.origin = src.slot >= 0 ? src.slot : src.origin;
}

bool RecordsEqual(const PresetRecord& a, const PresetRecord& b)
{
    if (&a == &b)
        return true;
    return std::equal(a.data.begin(), a.data.begin() + PresetLength, b.data.begin()) && a.model == b.model
        && a.deviceId == b.deviceId && a.comment == b.comment && a.createdBy == b.createdBy;
}

void SetRecordName(PresetRecord& r, std::string_view text)
{
    const std::string unit = HostToUnitName(text);
    uint8_t* name = r.data.data() + PresetLength - NameLength;
    for (int i = 0; i < NameLength; ++i)
        name[i] = i < static_cast<int>(unit.size()) ? static_cast<uint8_t>(unit[i]) : ' ';
}

std::string GetRecordName(const PresetRecord& r)
{
    const char* name = reinterpret_cast<const char*>(r.data.data() + PresetLength - NameLength);
    return UnitToHostName(std::string_view(name, strnlen(name, NameLength)));
}

void RecordFromModules(PresetRecord& r, std::string_view name)
{
    if (r.model != static_cast<uint32_t>(ActiveDevice.Model))
        return;
    Modul& m = presetModule(r.model);
    for (int i = 0; i < parameterBytes(); ++i)
        r.data[i] = static_cast<uint8_t>(m.GetCtrl(i + 1)->value & 0xFF);
    SetRecordName(r, name);
}

void CaptureEditBuffer(PresetRecord& r)
{
    RecordFromModules(r, FamilyEditor(ActiveDevice.Model == ModelBass).presetName());
}

void ApplyRecord(const PresetRecord& r, bool send)
{
    if (r.model != static_cast<uint32_t>(ActiveDevice.Model))
        return;
    Modul& m = presetModule(r.model);
    const unsigned bits = send ? PendingBits : (RefreshPending | HookPending);
    for (int i = 0; i < parameterBytes(); ++i)
        m.GetCtrl(i + 1)->SetValFlags(r.data[i], bits);
}

bool RecordDiffers(const PresetRecord& r)
{
    if (r.model != static_cast<uint32_t>(ActiveDevice.Model))
        return false;
    Modul& m = presetModule(r.model);
    for (int i = 0; i < parameterBytes(); ++i) {
        // Bytes the module never takes (bass 8, 12, 39) cannot be edited, so
        // they never make a preset look changed.
        const MCtrl& p = *m.GetCtrl(i + 1);
        if (p.is(Ranged) && r.data[i] != p.value)
            return true;
    }
    return false;
}

void SendRecordToSlot(const PresetRecord& r)
{
    if (r.model == static_cast<uint32_t>(ActiveDevice.Model) && r.slot >= 0)
        Unit().sendPresetDump(r.slot, r.data.data(), PresetLength);
}

void RequestRecordSlot(const PresetRecord& r)
{
    if (r.slot >= 0)
        Unit().requestPreset(r.slot);
}

// ---- device memory ----

void StoreDump(int index, const uint8_t* bytes)
{
    if (index > SlotCount - 1)
        return;
    const int first = index < 0 ? 0 : index;
    const int last = index < 0 ? SlotCount - 1 : index;
    for (int j = first; j <= last; ++j) {
        std::copy_n(bytes + (j - first) * PresetLength, PresetLength, DeviceMemory[j]->data.begin());
        MemoryWindow().redrawSlot(j);
    }
}

void ResetAllRecords()
{
    MemoryWindow().closeWindowsForModel(ActiveDevice.Model);
    for (int j = 0; j < SlotCount; ++j) {
        ResetRecord(*DeviceMemory[j]);
        ResetRecord(*DeviceMemoryUndo[j]);
    }
    ResetRecord(*OriginalRecord);
    ResetRecord(*EditBufferRecord);
    for (int j = 0; j < SlotCount; ++j)
        MemoryWindow().redrawSlot(j);
    if (ActiveDevice.isVirtual()) {
        ApplyRecord(*EditBufferRecord, false);
        MemoryWindow().showEditBufferName(GetRecordName(*EditBufferRecord));
    }
}

// ---- lists ----

void ListInit(PresetRecordList& l)
{
    l.items.clear();
    l.capacity = 0;
    l.count = 0;
    l.columns = 0;
    ListGrow(l, 10);
}

void ListClear(PresetRecordList& l)
{
    l.count = 0;
    l.columns = 0;
}

void ListGrow(PresetRecordList& l, int n)
{
    const int capacity = std::max(n, l.count);
    l.items.resize(capacity);
    for (int i = l.count; i < capacity; ++i)
        if (!l.items[i])
            l.items[i] = freshRecord(-1);
    l.capacity = capacity;
}

void ListAdd(PresetRecordList& l, const PresetRecord* r)
{
    ListInsert(l, l.count, r);
}

void ListInsert(PresetRecordList& l, int position, const PresetRecord* r)
{
    if (position < 0 || position > l.count)
        return;
    if (l.count == l.capacity)
        ListGrow(l, l.capacity + 10);
    std::rotate(l.items.begin() + position, l.items.begin() + l.count, l.items.begin() + l.count + 1);
    PresetRecord& target = *l.items[position];
    if (r)
        CopyRecord(target, *r);
    target.slot = -1;
    ++l.count;
}

void ListRemove(PresetRecordList& l, int position)
{
    if (position < 0 || position >= l.count)
        return;
    std::rotate(l.items.begin() + position, l.items.begin() + position + 1, l.items.begin() + l.count);
    --l.count;
}

void ListCopy(PresetRecordList& dst, const PresetRecordList& src)
{
    if (&dst == &src)
        return;
    if (dst.capacity < src.count)
        ListGrow(dst, src.count);
    dst.count = src.count;
    dst.columns = src.columns;
    for (int i = 0; i < src.count; ++i)
        CopyRecord(*dst.items[i], *src.items[i]);
}

int ListCommentLines(const PresetRecordList& l)
{
    int n = 0;
    for (int i = 0; i < l.count; ++i)
        n += l.items[i]->isCommentLine() ? 1 : 0;
    return n;
}

void ListTrace(const PresetRecordList& l, const char* title)
{
    TraceLine(0, "%s nrpreset %d nrcol %d", title, l.count, l.columns);
    for (int i = 0; i < l.count; ++i)
        TraceLine(0, "%d %s", i, GetRecordName(*l.items[i]).c_str());
}
