#pragma once
// X11 back-end for desktops without GNOME: pointer acceleration through
// XChangePointerControl and key repeat through XkbSetAutoRepeatRate. libX11 is
// loaded with dlopen, so building needs no X11 headers and a machine without
// libX11 just gets a back-end that refuses everything. Wheel lines and
// double-click time have no server-wide X11 setting; they go to the file store.
#include "platform/SystemSettings.h"
#include "platform/system_settings/FileSystemSettings.h"

#include <atomic>
#include <mutex>
#include <optional>
#include <string>

namespace platform {

class X11SystemSettings : public ISystemSettings {
public:
    struct PointerControl {
        int numerator;
        int denominator;
        int threshold;  // pixels per motion event before acceleration starts
        bool operator==(const PointerControl&) const = default;
    };
    struct AutoRepeat {
        unsigned delayMs;
        unsigned intervalMs;
        bool operator==(const AutoRepeat&) const = default;
    };

    // Acceleration when precision is on: speed / 10 (reduced; 10 → 1/1,
    // 20 → 2/1) past a 4-pixel threshold. Precision off means no acceleration
    // at all (1/1), whatever the speed; the speed comes back when it is on again.
    static PointerControl PointerControlFor(int speed, bool precision);
    // Repeat delay for index 0..3 with the interval kept; the interval for a
    // rate 0..31 (limited to that range) with the delay kept.
    static std::optional<AutoRepeat> WithDelayIndex(AutoRepeat current, int index);
    static AutoRepeat WithRate(AutoRepeat current, int rate);

    // Opens displayName (nullptr: $DISPLAY) once; storePath is the file store.
    explicit X11SystemSettings(std::string storePath, const char* displayName = nullptr);
    ~X11SystemSettings() override;
    X11SystemSettings(const X11SystemSettings&) = delete;
    X11SystemSettings& operator=(const X11SystemSettings&) = delete;

    // True while the display is open and the server has not gone away.
    bool Connected() const;

    std::string Name() const override { return "x11"; }
    bool SetPointerSpeed(int speed) override;
    bool SetPointerPrecision(int on) override;
    bool SetWheelScrollLines(uint32_t lines) override { return store_.SetWheelScrollLines(lines); }
    bool SetDoubleClickTime(int ms) override { return store_.SetDoubleClickTime(ms); }
    bool SetKeyboardDelay(int index) override;
    bool SetKeyboardSpeed(int rate) override;

    // What the server holds now; nothing when it cannot be asked.
    std::optional<PointerControl> ReadPointerControl();
    std::optional<AutoRepeat> ReadAutoRepeat();

    FileSystemSettings& Store() { return store_; }

private:
    struct Display;
    bool ApplyPointer();
    bool ApplyRepeat(AutoRepeat value);
    static void OnConnectionLost(void* dpy, void* self);

    FileSystemSettings store_;
    Display* display_ = nullptr;
    std::atomic<bool> lost_{false};
    std::mutex stateMutex_;  // speed and precision, and each read-modify-write of the repeat
    int speed_ = 10;
    bool precision_ = true;
};

}  // namespace platform
