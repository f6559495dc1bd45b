#pragma once
// GNOME back-end: sets org.gnome.desktop.peripherals.* through the gsettings
// tool. Wheel lines have no GNOME key, and double-click only exists in some
// schema versions; those values go to the file store instead.
#include "platform/SystemSettings.h"
#include "platform/system_settings/CommandRunner.h"
#include "platform/system_settings/FileSystemSettings.h"

#include <optional>
#include <string>
#include <vector>

namespace platform {

class GnomeSystemSettings : public ISystemSettings {
public:
    static constexpr const char* kMouseSchema = "org.gnome.desktop.peripherals.mouse";
    static constexpr const char* kKeyboardSchema = "org.gnome.desktop.peripherals.keyboard";

    // run executes a gsettings command line; storePath is the fallback file store.
    GnomeSystemSettings(CommandRunner run, std::string storePath);

    // True when gsettings runs and knows the mouse and keyboard schemas.
    static bool Available(const CommandRunner& run);

    // GNOME pointer speed (-1..1) for a speed of 1..20; 10, the neutral speed, is 0.
    static double GnomeSpeed(int speed);
    // Locale-independent text of a GNOME speed ("-0.56").
    static std::string SpeedText(double gnomeSpeed);

    std::string Name() const override { return "gnome"; }
    bool SetPointerSpeed(int speed) override;
    bool SetPointerPrecision(int on) override;
    bool SetWheelScrollLines(uint32_t lines) override;
    bool SetDoubleClickTime(int ms) override;
    bool SetKeyboardDelay(int index) override;
    bool SetKeyboardSpeed(int rate) override;

    FileSystemSettings& Store() { return store_; }

private:
    bool Set(const char* schema, const char* key, const std::string& value);

    CommandRunner run_;
    FileSystemSettings store_;
    std::optional<bool> hasDoubleClick_;
};

}  // namespace platform
