#include "macros/MacroEvent.h"

#include "profiles/JsonFile.h"

#include <cctype>

namespace macros {

using profiles::Get;
using profiles::JsonInt;
using profiles::JsonString;

namespace {

// The value's text: strings as they are, numbers in decimal.
std::string DelayText(const Json::Value& v) {
    if (v.isString()) return v.asString();
    if (v.isInt64()) return std::to_string(v.asInt64());
    if (v.isUInt64()) return std::to_string(v.asUInt64());
    if (v.isDouble()) return std::to_string(v.asDouble());
    return std::string();
}

} // namespace

uint16_t ParseDelay(const Json::Value& delay) {
    const std::string text = DelayText(delay);
    size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    uint64_t value = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        value = value * 10 + static_cast<uint64_t>(text[i] - '0');
        if (value > kMaxDelayMs) value = kMaxDelayMs + 1;  // saturate; clamped below
    }
    if (negative) return 0;
    return static_cast<uint16_t>(value > kMaxDelayMs ? kMaxDelayMs : value);
}

MacroEvent EventFromJson(const Json::Value& v) {
    MacroEvent e;
    e.down = JsonString(Get(v, "Action")) == "down";
    e.button = static_cast<uint8_t>(JsonInt(Get(v, "Button")));
    e.type = static_cast<uint8_t>(JsonInt(Get(v, "Type")));
    e.delay = ParseDelay(Get(v, "Delay"));
    return e;
}

Json::Value EventToJson(const MacroEvent& e) {
    Json::Value v(Json::objectValue);
    v["Action"] = e.down ? "down" : "up";
    v["Button"] = e.button;
    v["Type"] = e.type;
    v["Delay"] = std::to_string(e.delay);
    return v;
}

std::optional<MacroEvent> ParseEventText(const std::string& text) {
    Json::Reader reader;
    Json::Value v;
    if (!reader.parse(text, v, false) || !v.isObject()) return std::nullopt;
    return EventFromJson(v);
}

std::array<uint8_t, 4> EncodeEvent(const MacroEvent& e) {
    return {static_cast<uint8_t>(e.delay & 0xFF), static_cast<uint8_t>(e.delay >> 8),
            static_cast<uint8_t>((e.type & 0x7F) | (e.down ? 0x80 : 0x00)), e.button};
}

} // namespace macros
