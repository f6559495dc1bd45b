#include "devices/mouse/MouseKeys.h"

#include <algorithm>
#include <cstring>

namespace devices::mouse {

KeyIndexMap BuildKeyIndexMap(const uint8_t* keyMap, size_t keyMapLength, int keyCount) {
    KeyIndexMap map;
    const size_t slots = keyMap ? std::min(static_cast<size_t>(std::max(keyCount, 0)), keyMapLength / 3) : 0;
    for (size_t j = 0; j < kDefaultKeyCodes.size(); ++j) {
        const KeyCode& k = kDefaultKeyCodes[j];
        int slot = kNoSlot;
        for (size_t s = 0; s < slots; ++s) {
            const uint8_t* e = keyMap + 3 * s;
            if (e[0] == k.type && e[1] == k.code && e[2] == k.param) {
                slot = static_cast<int>(s);
                break;
            }
        }
        map[static_cast<int>(j)] = slot;
    }
    return map;
}

std::vector<uint8_t> BuildKeyMapImage(const uint8_t* mirror, size_t mirrorLength, size_t length,
                                      const KeyIndexMap& keyIndexMap,
                                      const std::vector<profiles::KeyAssignment>& keyList) {
    std::vector<uint8_t> image(length, 0);
    if (mirror) std::memcpy(image.data(), mirror, std::min(length, mirrorLength));
    for (size_t j = 0; j < keyList.size(); ++j) {
        const auto it = keyIndexMap.find(static_cast<int>(j));
        if (it == keyIndexMap.end() || it->second == kNoSlot || it->second < 0) continue;
        const size_t at = 3 * static_cast<size_t>(it->second);
        if (at + 2 >= length) continue;
        const auto& a = keyList[j].current;
        image[at] = a.b2;
        image[at + 1] = a.b1;
        image[at + 2] = a.b0;
    }
    return image;
}

bool ValidateMacroKeys(std::vector<profiles::KeyAssignment>& keyList, size_t macroCount) {
    bool changed = false;
    for (auto& k : keyList) {
        const bool macro = k.current.b2 == kMacroClassA || k.current.b2 == kMacroClassB;
        if (!macro || k.current.b1 < macroCount) continue;
        const bool same = k.current.b2 == k.defaults.b2 && k.current.b1 == k.defaults.b1 &&
                          k.current.b0 == k.defaults.b0;
        if (same) continue;
        k.current.b2 = k.defaults.b2;
        k.current.b1 = k.defaults.b1;
        k.current.b0 = k.defaults.b0;
        changed = true;
    }
    return changed;
}

} // namespace devices::mouse
