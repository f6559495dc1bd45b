#include "platform/system_settings/GnomeSystemSettings.h"

#include <charconv>

namespace platform {

GnomeSystemSettings::GnomeSystemSettings(CommandRunner run, std::string storePath)
    : run_(std::move(run)), store_(std::move(storePath)) {}

bool GnomeSystemSettings::Available(const CommandRunner& run) {
    return run({"gsettings", "list-keys", kMouseSchema}) == 0 && run({"gsettings", "list-keys", kKeyboardSchema}) == 0;
}

double GnomeSystemSettings::GnomeSpeed(int speed) {
    if (speed < kPointerSpeedMin) speed = kPointerSpeedMin;
    if (speed > kPointerSpeedMax) speed = kPointerSpeedMax;
    // Piecewise so both ends and the neutral middle line up: 1 → -1, 10 → 0, 20 → 1.
    return speed < 10 ? (speed - 10) / 9.0 : (speed - 10) / 10.0;
}

std::string GnomeSystemSettings::SpeedText(double gnomeSpeed) {
    // gsettings parses the C notation; printf would follow the user's locale.
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, gnomeSpeed, std::chars_format::fixed, 2);
    std::string text(buf, r.ptr);
    if (text == "-0.00") text = "0.00";
    return text;
}

bool GnomeSystemSettings::Set(const char* schema, const char* key, const std::string& value) {
    return run_({"gsettings", "set", schema, key, value}) == 0;
}

bool GnomeSystemSettings::SetPointerSpeed(int speed) {
    return Set(kMouseSchema, "speed", SpeedText(GnomeSpeed(speed)));
}

bool GnomeSystemSettings::SetPointerPrecision(int on) {
    if (!IsPointerPrecisionValue(on)) return false;
    return Set(kMouseSchema, "accel-profile", on ? "'default'" : "'flat'");
}

bool GnomeSystemSettings::SetWheelScrollLines(uint32_t lines) { return store_.SetWheelScrollLines(lines); }

bool GnomeSystemSettings::SetDoubleClickTime(int ms) {
    if (!hasDoubleClick_) hasDoubleClick_ = run_({"gsettings", "range", kMouseSchema, "double-click"}) == 0;
    if (!*hasDoubleClick_) return store_.SetDoubleClickTime(ms);
    return Set(kMouseSchema, "double-click", std::to_string(ms));
}

bool GnomeSystemSettings::SetKeyboardDelay(int index) {
    if (index < 0 || index > kKeyboardDelayMax) return false;
    return Set(kKeyboardSchema, "delay", std::to_string(KeyboardDelayMs(index)));
}

bool GnomeSystemSettings::SetKeyboardSpeed(int rate) {
    if (rate < 0) rate = 0;
    if (rate > kKeyboardSpeedMax) rate = kKeyboardSpeedMax;
    return Set(kKeyboardSchema, "repeat-interval", std::to_string(KeyboardRepeatIntervalMs(rate)));
}

}  // namespace platform
