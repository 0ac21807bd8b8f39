#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

constexpr int SlotCount = 125;
constexpr int NameLength = 16;
constexpr int GuitarImageLength = 48;
constexpr int BassImageLength = 56;
constexpr int MaxImageLength = BassImageLength;

// Length of one data image: follows the connected model, set by ResetRecord.
extern int PresetLength;

inline int ImageLengthFor(uint32_t model) { return model == 0x13 ? BassImageLength : GuitarImageLength; }

struct PresetRecord {
    uint32_t model = 0x11;
    int deviceId = 0;
    int slot = -1;
    int origin = -2; // unit slot last taken from; -2 never in the unit; -1 comment line
    std::string comment;
    double dateTime = 0.0; // days since 30 December 1899; 0 = not set
    std::string createdBy;
    std::array<uint8_t, MaxImageLength + 1> data{}; // image, then a zero byte
    uint8_t mark = 0;

    bool isCommentLine() const { return origin == -1; }
};

// A list keeps `capacity` records allocated; entries count..capacity-1 are
// spares that the next add reuses, so list edits only move pointers.
struct PresetRecordList {
    int capacity = 0;
    int count = 0;
    std::vector<std::unique_ptr<PresetRecord>> items;
    int columns = 0; // width of the grid selection the records came from; 0 for a plain list

    // Bounded access: an index outside 0..count-1 yields NullRecord.
    PresetRecord& at(int i) const;
};

// The unit's memory, slot j at index j, and the undo copy the device window
// exchanges it with.
extern std::array<PresetRecord*, SlotCount> DeviceMemory;
extern std::array<PresetRecord*, SlotCount> DeviceMemoryUndo;
extern PresetRecord* OriginalRecord;
extern PresetRecord* EditBufferRecord;
extern PresetRecord* NullRecord;
extern PresetRecordList* LibraryList;
extern PresetRecordList* LibraryUndoList;
extern PresetRecordList* LibraryRedoList;
extern PresetRecordList* ClipboardList;
extern PresetRecordList* DragList;
extern PresetRecordList* LibraryLoadedList;

void CreateRecords();
void DestroyRecords();

// Bank 1..25 and preset letter A..E of a slot; "?" for an origin below 0.
inline int SlotBank(int slot) { return slot / 5 + 1; }
inline char SlotLetter(int slot) { return static_cast<char>('A' + slot % 5); }

std::string HostToUnitName(std::string_view host);
std::string UnitToHostName(std::string_view unit);

void InitRecord(PresetRecord& r, int slot);
void ResetRecord(PresetRecord& r);
void CopyRecord(PresetRecord& dst, const PresetRecord& src);
bool RecordsEqual(const PresetRecord& a, const PresetRecord& b);
void SetRecordName(PresetRecord& r, std::string_view text);
std::string GetRecordName(const PresetRecord& r);
void RecordFromModules(PresetRecord& r, std::string_view name);
void CaptureEditBuffer(PresetRecord& r);
void ApplyRecord(const PresetRecord& r, bool send);
bool RecordDiffers(const PresetRecord& r);
void SendRecordToSlot(const PresetRecord& r);
void RequestRecordSlot(const PresetRecord& r);

// index 0..124: one image; below 0: 125 images back to back; above 124: nothing.
// `bytes` must hold PresetLength (or 125 x PresetLength) bytes.
void StoreDump(int index, const uint8_t* bytes);
void ResetAllRecords();

void ListInit(PresetRecordList& l);
void ListClear(PresetRecordList& l);
void ListGrow(PresetRecordList& l, int n);
void ListAdd(PresetRecordList& l, const PresetRecord* r);
void ListInsert(PresetRecordList& l, int position, const PresetRecord* r);
void ListRemove(PresetRecordList& l, int position);
void ListCopy(PresetRecordList& dst, const PresetRecordList& src);
int ListCommentLines(const PresetRecordList& l);
void ListTrace(const PresetRecordList& l, const char* title);

// Version word written into library files and checked when they are read;
// stored lowest byte first as 1, 17, 0, 2. Set at start-up.
extern uint32_t DataFormatVersion;
constexpr uint32_t CurrentDataFormatVersion = 0x02001101;
