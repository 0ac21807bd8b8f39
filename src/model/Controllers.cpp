#include "model/Controllers.h"

#include <initializer_list>

namespace {
// Controllers firstCc..lastCc address Mcix firstMcix, firstMcix + 1, ...
struct Range {
    int firstCc;
    int lastCc;
    int firstMcix;
};

constexpr std::array<int, 128> table(std::initializer_list<Range> ranges)
{
    std::array<int, 128> cc{};
    for (const Range& r : ranges)
        for (int c = r.firstCc; c <= r.lastCc; ++c)
            cc[c] = r.firstMcix + (c - r.firstCc);
    return cc;
}
}

std::array<int, 128> CcInGuitar = table({
    {1, 1, 1}, {7, 7, 2},                  // MGlobal
    {12, 18, 1}, {19, 19, 8}, {20, 20, 9}, // MPreset
    {21, 27, 10}, {44, 59, 17}, {60, 60, 9}, {61, 61, 8},
    {82, 88, 3},                           // MGlobal
});

std::array<int, 128> CcInBass = table({
    {1, 1, 1}, {7, 7, 2},                  // MBGlobal
    {12, 18, 1}, {19, 19, 8}, {20, 20, 32}, {21, 21, 14}, {22, 22, 11},
    {23, 23, 16}, {24, 24, 10}, {25, 25, 19}, {26, 26, 12}, {27, 27, 27},
    {28, 28, 17}, {29, 29, 18}, {30, 30, 20}, {31, 31, 21}, {33, 33, 22},
    {34, 36, 23}, {37, 37, 26}, {38, 38, 15}, {39, 39, 32}, {40, 46, 33},
    {48, 51, 28}, {61, 61, 8},
    {82, 89, 3},                           // MBGlobal
});

#include "model/Parameters.h"

// Controller 80 with value 80 asks the unit for every parameter of its
// current preset.
constexpr int ReportAllCc = 80;

void MCtrl::SetValFromUnit(int v)
{
    if (!is(CcMapped))
        return;
    const int c = clamp(v);
    if (c == value)
        return;
    value = c;
    MarkPending(RefreshPending | HookPending);
    if (is(Selector))
        Unit().sendControlChange(ReportAllCc, ReportAllCc);
}
