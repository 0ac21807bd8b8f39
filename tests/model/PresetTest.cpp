#include <gtest/gtest.h>

#include <cstring>

#include "model/RecordingUnit.h"

namespace {

class Presets : public ::testing::TestWithParam<int>, protected ModelFixtureBase {
protected:
    void SetUp() override { setUpModel(GetParam()); }
    void TearDown() override { tearDownModel(); }
    bool bass() const { return GetParam() == ModelBass; }
    MCtrl& treble() const { return bass() ? Param(BassPreset::Treble) : Param(GuitarPreset::Treble); }
};

std::string latin1(std::initializer_list<int> codes)
{
    std::string s;
    for (int c : codes)
        s.push_back(static_cast<char>(c));
    return s;
}

TEST_P(Presets, ResetGivesTheDefaultImageOfTheConnectedModel)
{
    const PresetRecord& r = *DeviceMemory[7];
    EXPECT_EQ(PresetLength, bass() ? 56 : 48);
    EXPECT_EQ(r.model, static_cast<uint32_t>(GetParam()));
    EXPECT_EQ(r.slot, 7);
    EXPECT_EQ(r.origin, -2);
    EXPECT_EQ(GetRecordName(r), bass() ? "USER BPRESET    " : "USER PRESET     ");
    EXPECT_EQ(r.data[0], 100);
    EXPECT_EQ(r.data[13], bass() ? 1 : 7);
    EXPECT_EQ(r.data[14], bass() ? 1 : 0);
    EXPECT_EQ(r.data[32], bass() ? 64 : 'U');
    EXPECT_EQ(r.data[PresetLength], 0);
    EXPECT_EQ(DeviceMemoryUndo[124]->slot, 124);
    EXPECT_EQ(OriginalRecord->slot, -1);
}

TEST_P(Presets, ApplyAndCaptureRoundTrip)
{
    PresetRecord r = *DeviceMemory[0];
    for (int i = 0; i < PresetLength - 16; ++i)
        r.data[i] = static_cast<uint8_t>(i % 2); // within every range
    ApplyRecord(r, false);
    FlushPending();
    EXPECT_TRUE(unit.controllers.empty());
    EXPECT_FALSE(RecordDiffers(r));

    PresetRecord captured;
    captured.model = r.model;
    RecordFromModules(captured, "Captured");
    for (int i = 0; i < PresetLength - 16; ++i) {
        // Bytes without a parameter range are not applied and build as 0.
        const bool unranged = bass() && (i == 8 || i == 12 || i == 39);
        EXPECT_EQ(captured.data[i], unranged ? 0 : r.data[i]) << i;
    }
    EXPECT_EQ(GetRecordName(captured), "Captured        ");

    treble().SetVal(99);
    FlushPending();
    EXPECT_TRUE(RecordDiffers(r));
    unit.controllers.clear();
    ApplyRecord(r, true);
    FlushPending();
    EXPECT_EQ(unit.controllers.size(), 1u); // only the changed value is sent
}

TEST_P(Presets, StoreDumpOfTheWholeMemoryFillsEverySlot)
{
    std::vector<uint8_t> images(125 * PresetLength, 1);
    std::memcpy(&images[124 * PresetLength + PresetLength - 16], "Last one here   ", 16);
    std::memcpy(&images[0 * PresetLength + PresetLength - 16], "First           ", 16);
    StoreDump(-1, images.data());
    EXPECT_EQ(GetRecordName(*DeviceMemory[124]), "Last one here   ");
    EXPECT_EQ(GetRecordName(*DeviceMemory[0]), "First           ");
    EXPECT_EQ(DeviceMemory[5]->origin, -2); // only the data changes

    StoreDump(125, images.data()); // ignored
    std::vector<uint8_t> one(PresetLength, 3);
    StoreDump(9, one.data());
    EXPECT_EQ(DeviceMemory[9]->data[0], 3);
    EXPECT_EQ(DeviceMemory[10]->data[0], 1);
}

INSTANTIATE_TEST_SUITE_P(EveryModel, Presets, ::testing::Values(ModelDrux, ModelDrux2, ModelBass));

class Records : public ::testing::Test, protected ModelFixtureBase {
protected:
    void SetUp() override { setUpModel(ModelDrux2); }
    void TearDown() override { tearDownModel(); }
};

TEST_F(Records, NamesConvertBetweenHostAndUnit)
{
    PresetRecord r;
    ResetRecord(r);
    const std::string uWord = latin1({0xDC, 'b', 'e', 'r', 'a'});
    SetRecordName(r, uWord);
    EXPECT_EQ(r.data[32], 0x5D);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(&r.data[33]), 15), "bera           ");
    EXPECT_EQ(GetRecordName(r), uWord + std::string(11, ' '));

    SetRecordName(r, "Twenty characters!!!");
    EXPECT_EQ(GetRecordName(r), "Twenty character");

    const std::string host = latin1({0xA7, 0xC4, 0xD6, 0xDC, 0xE4, 0xF6, 0xFC, 0xDF, 0xE9, 'a'});
    EXPECT_EQ(HostToUnitName(host), latin1({0x40, 0x5B, 0x5C, 0x5D, 0x7B, 0x7C, 0x7D, 0x7E, 0x69, 'a'}));
    EXPECT_EQ(UnitToHostName(latin1({0x40, 0x5B, 0x5C, 0x5D, 0x7B, 0x7C, 0x7D, 0x7E, 'a'})),
              latin1({0xA7, 0xC4, 0xD6, 0xDC, 0xE4, 0xF6, 0xFC, 0xDF, 'a'}));
}

TEST_F(Records, ANameStopsAtAZeroByte)
{
    PresetRecord r;
    ResetRecord(r);
    std::memcpy(&r.data[32], "AB\0DEFGHIJKLMNOP", 16);
    EXPECT_EQ(GetRecordName(r), "AB");
}

TEST_F(Records, CopyKeepsOriginAndEqualityIgnoresOriginAndDate)
{
    PresetRecord copy, again;
    DeviceMemory[7]->comment = "warm";
    CopyRecord(copy, *DeviceMemory[7]);
    EXPECT_EQ(copy.origin, 7);
    EXPECT_EQ(copy.slot, -1);
    EXPECT_EQ(copy.comment, "warm");
    CopyRecord(again, copy);
    EXPECT_EQ(again.origin, 7);

    again.dateTime = 45000.5;
    again.origin = 3;
    EXPECT_TRUE(RecordsEqual(copy, again));
    again.createdBy = "me";
    EXPECT_FALSE(RecordsEqual(copy, again));
}

TEST_F(Records, GuitarRecordNeverDiffersWhileABassUnitIsConnected)
{
    PresetRecord guitar = *DeviceMemory[0];
    guitar.data[0] = 1;
    ActiveDevice.Model = ModelBass;
    EXPECT_FALSE(RecordDiffers(guitar));
    SendRecordToSlot(*DeviceMemory[3]);
    EXPECT_TRUE(unit.dumpSlots.empty());
    ActiveDevice.Model = ModelDrux2;
    SendRecordToSlot(*DeviceMemory[3]);
    RequestRecordSlot(*DeviceMemory[4]);
    RequestRecordSlot(*OriginalRecord);
    EXPECT_EQ(unit.dumpSlots, std::vector<int>{3});
    EXPECT_EQ(unit.requests, std::vector<int>{4});
}

std::vector<std::string> names(const PresetRecordList& l)
{
    std::vector<std::string> n;
    for (int i = 0; i < l.count; ++i)
        n.push_back(GetRecordName(l.at(i)).substr(0, 3));
    return n;
}

PresetRecord named(const char* name)
{
    PresetRecord r;
    ResetRecord(r);
    SetRecordName(r, name);
    return r;
}

TEST_F(Records, ListInsertGrowsInStepsOfTenAndKeepsOrder)
{
    PresetRecordList& l = *LibraryList;
    EXPECT_EQ(l.capacity, 10);
    for (int i = 0; i < 10; ++i) {
        PresetRecord r = named(("r" + std::to_string(i)).c_str());
        ListAdd(l, &r);
    }
    EXPECT_EQ(l.capacity, 10);
    PresetRecord first = named("new");
    ListInsert(l, 0, &first);
    EXPECT_EQ(l.capacity, 20);
    EXPECT_EQ(l.count, 11);
    EXPECT_EQ(names(l), (std::vector<std::string>{"new", "r0 ", "r1 ", "r2 ", "r3 ", "r4 ", "r5 ", "r6 ", "r7 ",
                                                  "r8 ", "r9 "}));
    EXPECT_EQ(l.at(0).slot, -1);
    ListInsert(l, -1, &first);
    EXPECT_EQ(l.count, 11);
}

TEST_F(Records, ListRemoveMakesTheRecordTheFirstSpare)
{
    PresetRecordList& l = *ClipboardList;
    for (const char* n : {"r0", "r1", "r2", "r3", "r4"}) {
        PresetRecord r = named(n);
        ListAdd(l, &r);
    }
    PresetRecord* removed = l.items[2].get();
    ListRemove(l, 2);
    EXPECT_EQ(l.count, 4);
    EXPECT_EQ(names(l), (std::vector<std::string>{"r0 ", "r1 ", "r3 ", "r4 "}));
    EXPECT_EQ(l.items[4].get(), removed);

    // Bounded access past the end yields the null record.
    EXPECT_EQ(&l.at(4), NullRecord);
    EXPECT_EQ(&l.at(-1), NullRecord);

    PresetRecordList copy;
    ListInit(copy);
    l.columns = 2;
    ListCopy(copy, l);
    EXPECT_EQ(names(copy), names(l));
    EXPECT_EQ(copy.columns, 2);
    ListClear(copy);
    EXPECT_EQ(copy.count, 0);
    EXPECT_EQ(copy.capacity, 10);

    l.at(1).origin = -1;
    EXPECT_EQ(ListCommentLines(l), 1);
}

TEST_F(Records, ListGrowNeverDropsUsedRecords)
{
    PresetRecordList& l = *DragList;
    for (int i = 0; i < 3; ++i)
        ListAdd(l, nullptr);
    ListGrow(l, 1);
    EXPECT_EQ(l.capacity, 3);
    ListGrow(l, 25);
    EXPECT_EQ(l.capacity, 25);
    EXPECT_EQ(l.count, 3);
}

} // namespace
