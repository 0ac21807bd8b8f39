#pragma once

#include <array>
#include <cstdint>
#include <string_view>

// Incoming controller tables, indexed by controller number: the Mcix the
// controller addresses, or 0; derived from the module tables
// (ParameterTables.h). Below 12 and above 81 a global module, else a preset
// module. Writable: entry 17 of the guitar table follows the model.
extern std::array<int, 128> CcInGuitar;
extern std::array<int, 128> CcInBass;

// Controller 80 with value 80 asks the unit for every parameter of its
// current preset; controller 81 carries a preset name, one position or one
// character per message.
constexpr int ReportAllCc = 80;
constexpr int NameCc = 81;

// Family index of the name buffers and positions: 0 guitar, 1 bass.
constexpr int GuitarFamily = 0;
constexpr int BassFamily = 1;

// Characters of the name arriving on controller 81, bytes 0..15; byte 16
// stays zero. A partly received name stays and is overwritten by the next.
extern std::array<std::array<uint8_t, 17>, 2> NameBuffer;
// Where the next name character goes; the editor windows may reset it.
extern std::array<int, 2> NamePosition;

// A full re-read of the unit's current preset was asked for: when its name
// has arrived, the result becomes the original preset.
extern bool ProgramChangeRefresh;

// One control change on the unit's channel (both numbers 0..127).
void HandleController(int controller, int value);

// Asks the unit for every current parameter (unless the unit is virtual);
// the answer becomes the original preset.
void RequestRefresh();

// A program change arrived from the unit: the editor stops comparing, and the
// unit is asked for the new preset's parameters, which become the original.
void ProgramChangeFromUnit();

// Sends a 16-character name as 16 position / character pairs on controller
// 81; a text of another length (after conversion) sends nothing.
void SendNameAsControllers(std::string_view text);
