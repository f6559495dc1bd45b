#pragma once
// Which hardware key slot holds which logical key, the key-map image written
// back to the mouse, and the macro-key check. Pure functions.
#include "devices/mouse/MouseTables.h"
#include "profiles/ProfileData.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

namespace devices::mouse {

// logical key -> hardware slot (kNoSlot when the key's default code is not in the map).
using KeyIndexMap = std::map<int, int>;

// keyMap holds keyCount entries of three bytes (type, code, parameter); the first
// slot whose entry equals a key's default code becomes its slot.
KeyIndexMap BuildKeyIndexMap(const uint8_t* keyMap, size_t keyMapLength, int keyCount);

// The key-map image of length bytes: the mirror, with each listed key that has a
// slot inside the image overwritten by its current assignment (b2, b1, b0).
std::vector<uint8_t> BuildKeyMapImage(const uint8_t* mirror, size_t mirrorLength, size_t length,
                                      const KeyIndexMap& keyIndexMap,
                                      const std::vector<profiles::KeyAssignment>& keyList);

// A macro key (class 0x70/0x71) whose macro number is not below macroCount gets its
// default assignment back. True when anything changed.
bool ValidateMacroKeys(std::vector<profiles::KeyAssignment>& keyList, size_t macroCount);

} // namespace devices::mouse
