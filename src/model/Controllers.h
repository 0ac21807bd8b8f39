#pragma once

#include <array>

// Incoming controller tables, indexed by controller number: the Mcix the
// controller addresses, or 0. Below 12 and above 81 a global module, else a
// preset module. Writable: entry 17 of the guitar table follows the model.
extern std::array<int, 128> CcInGuitar;
extern std::array<int, 128> CcInBass;
