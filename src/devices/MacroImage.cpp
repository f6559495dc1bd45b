#include "devices/MacroImage.h"

#include <algorithm>

namespace devices {

namespace {

void PutU16(std::vector<uint8_t>& out, size_t at, uint32_t v) {
    out[at] = static_cast<uint8_t>(v & 0xFF);
    out[at + 1] = static_cast<uint8_t>((v >> 8) & 0xFF);
}

uint16_t ClampDelay(int64_t d) { return static_cast<uint16_t>(std::clamp<int64_t>(d, 0, 0xFFFF)); }

} // namespace

uint16_t MacroDelayFromText(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > 0xFFFF) value = 0x10000;  // saturate; long texts cannot overflow
    }
    return negative ? 0 : ClampDelay(value);
}

size_t MacroImageLength(const std::vector<size_t>& eventCounts) {
    size_t events = 0;
    for (size_t e : eventCounts) events += e;
    return kMacroImageHeaderSize + 6 * eventCounts.size() + 4 * events;
}

std::vector<uint8_t> BuildMacroImage(const std::vector<MacroImageMacro>& macros) {
    std::vector<size_t> counts;
    counts.reserve(macros.size());
    for (const auto& m : macros) counts.push_back(m.size());
    const size_t total = MacroImageLength(counts);
    if (total > 0xFFFF) return {};

    std::vector<uint8_t> image(total, 0);
    PutU16(image, 0, kMacroImageMagic);
    PutU16(image, 2, static_cast<uint32_t>(total));
    PutU16(image, 4, static_cast<uint32_t>(macros.size()));
    size_t record = kMacroImageHeaderSize + 2 * macros.size();
    for (size_t m = 0; m < macros.size(); ++m) {
        PutU16(image, kMacroImageHeaderSize + 2 * m, static_cast<uint32_t>(record));
        PutU16(image, record, static_cast<uint32_t>(macros[m].size()));
        size_t at = record + 4;
        for (const auto& e : macros[m]) {
            PutU16(image, at, ClampDelay(e.delay));
            image[at + 2] = static_cast<uint8_t>((e.type & 0x7F) | (e.down ? 0x80 : 0x00));
            image[at + 3] = static_cast<uint8_t>(e.button & 0xFF);
            at += 4;
        }
        record = at;
    }
    return image;
}

size_t MacroEventsToRemove(size_t totalLength, size_t capacity) {
    if (totalLength <= capacity) return 0;
    return ((totalLength - capacity) >> 2) + 1;
}

} // namespace devices
