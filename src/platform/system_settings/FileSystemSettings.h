#pragma once
// Settings store for desktops without a settings service we can drive: each
// value is kept in a small ini file ("[SystemSettings]", one key a line) so the
// program can apply it to itself (wheel lines, double-click time) and a
// later session can pick it up. Wheel page scrolling is stored as "page".
#include "platform/SystemSettings.h"

#include <mutex>
#include <optional>
#include <string>

namespace platform {

class FileSystemSettings : public ISystemSettings {
public:
    explicit FileSystemSettings(std::string path) : path_(std::move(path)) {}

    std::string Name() const override { return "file"; }
    bool SetPointerSpeed(int speed) override { return Store("PointerSpeed", std::to_string(speed)); }
    bool SetPointerPrecision(int on) override { return Store("PointerPrecision", std::to_string(on)); }
    bool SetWheelScrollLines(uint32_t lines) override {
        return Store("WheelScrollLines", lines == kWheelPageScroll ? "page" : std::to_string(lines));
    }
    bool SetDoubleClickTime(int ms) override { return Store("DoubleClickTime", std::to_string(ms)); }
    bool SetKeyboardDelay(int index) override { return Store("KeyboardDelay", std::to_string(index)); }
    bool SetKeyboardSpeed(int rate) override { return Store("KeyboardSpeed", std::to_string(rate)); }

    // The stored text of a key, if any.
    std::optional<std::string> Stored(const std::string& key) const;
    const std::string& Path() const { return path_; }

private:
    bool Store(const std::string& key, const std::string& value);

    std::string path_;
    mutable std::mutex mutex_;
};

}  // namespace platform
