#pragma once
// The desktop's pointer and keyboard settings that a mouse or keyboard profile
// carries (pointer speed and precision, wheel lines, double-click time, key
// repeat delay and rate): the value rules that turn panel values into settings,
// the back-end interface, and an applier that sets them off the UI thread.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace platform {

enum class SystemSetting { PointerSpeed, PointerPrecision, WheelScrollLines, DoubleClickTime, KeyboardDelay, KeyboardSpeed };

// The system parameter numbers these settings have on the profile's home
// platform; recorded calls carry them so logs and tests read the same.
constexpr int SpiId(SystemSetting s) {
    switch (s) {
    case SystemSetting::PointerSpeed: return 113;
    case SystemSetting::PointerPrecision: return 4;
    case SystemSetting::WheelScrollLines: return 105;
    case SystemSetting::DoubleClickTime: return 32;
    case SystemSetting::KeyboardDelay: return 23;
    case SystemSetting::KeyboardSpeed: return 11;
    }
    return 0;
}

// Wheel setting meaning "scroll one page" (all bits set) rather than a line count.
inline constexpr uint32_t kWheelPageScroll = 0xFFFFFFFFu;

inline constexpr int kPointerSpeedMin = 1;
inline constexpr int kPointerSpeedMax = 20;
inline constexpr int kKeyboardDelayMax = 3;
inline constexpr int kKeyboardSpeedMax = 31;

// --- value rules ------------------------------------------------------------------

// Pointer speed slider v → v × 2 + 2, limited to 1..20.
constexpr int PointerSpeedFromSlider(int v) {
    const int s = v * 2 + 2;
    return s < kPointerSpeedMin ? kPointerSpeedMin : (s > kPointerSpeedMax ? kPointerSpeedMax : s);
}
// Wheel: page scrolling, or slider + 1 lines.
constexpr uint32_t WheelLinesFromSlider(int v, bool page) {
    return page ? kWheelPageScroll : static_cast<uint32_t>(v + 1);
}
// Double-click slider: (maximum − value + 1) × 100 ms.
constexpr int DoubleClickMsFromSlider(int sliderMax, int v) { return (sliderMax - v + 1) * 100; }
// Pointer precision is applied only for 0 (off) and 1 (on).
constexpr bool IsPointerPrecisionValue(int v) { return v == 0 || v == 1; }
// Key repeat delay index 0..3 → 250, 500, 750, 1000 ms.
constexpr int KeyboardDelayMs(int index) { return 250 + 250 * index; }
// Key repeat rate 0..31 (about 2.5 to 30 repeats a second) → ms between repeats.
constexpr int KeyboardRepeatIntervalMs(int rate) {
    const double perSecond = 2.5 + rate * (27.5 / kKeyboardSpeedMax);
    return static_cast<int>(1000.0 / perSecond + 0.5);
}

// --- back-ends --------------------------------------------------------------------

class ISystemSettings {
public:
    virtual ~ISystemSettings() = default;
    virtual std::string Name() const = 0;
    // Each returns true when the desktop (or the stand-in store) took the value.
    virtual bool SetPointerSpeed(int speed) = 0;            // 1..20, 10 = neutral
    virtual bool SetPointerPrecision(int on) = 0;           // 0 or 1 (acceleration)
    virtual bool SetWheelScrollLines(uint32_t lines) = 0;   // lines, or kWheelPageScroll
    virtual bool SetDoubleClickTime(int ms) = 0;
    virtual bool SetKeyboardDelay(int index) = 0;           // 0..3
    virtual bool SetKeyboardSpeed(int rate) = 0;            // 0..31
};

// Applies one value through the matching setter. Pointer speed and repeat rate
// are limited to their ranges; a precision other than 0/1 or a delay index
// outside 0..3 is not applied (false).
bool ApplySetting(ISystemSettings& backend, SystemSetting setting, int64_t value);

// The back-end for this session: GNOME (gsettings) when the desktop has the
// peripherals schemas, else X11 when $DISPLAY opens, else the file store.
// ZANDRI_SYSTEM_SETTINGS=gnome|x11|file forces one. The file store lives in AppDataFolder().
std::unique_ptr<ISystemSettings> CreateSystemSettings();

// --- asynchronous applier -----------------------------------------------------------

// One worker thread that applies queued settings, so a slow desktop never
// blocks the UI thread. A value still waiting is replaced by a newer value of
// the same setting (a dragged slider sets the last position only). Stop (and
// the destructor) applies what is queued, then joins.
class SystemSettingsApplier {
public:
    explicit SystemSettingsApplier(std::shared_ptr<ISystemSettings> backend);
    ~SystemSettingsApplier();
    SystemSettingsApplier(const SystemSettingsApplier&) = delete;
    SystemSettingsApplier& operator=(const SystemSettingsApplier&) = delete;

    // False after Stop().
    bool Post(SystemSetting setting, int64_t value);
    // True while a setting is queued or being applied.
    bool Busy() const { return busy_.load(); }
    // Waits until nothing is queued or running; true when idle within timeoutMs.
    bool WaitIdle(int timeoutMs);
    void Stop();

private:
    struct Item {
        SystemSetting setting;
        int64_t value;
    };
    void Run();

    std::shared_ptr<ISystemSettings> backend_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::deque<Item> queue_;
    bool stopping_ = false;
    bool running_ = false;  // an item is being applied
    std::atomic<bool> busy_{false};
    std::thread worker_;
};

}  // namespace platform
