#include "platform/SystemSettings.h"

#include "platform/Folders.h"
#include "platform/system_settings/CommandRunner.h"
#include "platform/system_settings/FileSystemSettings.h"
#include "platform/system_settings/GnomeSystemSettings.h"
#include "platform/system_settings/X11SystemSettings.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string_view>

namespace platform {

bool ApplySetting(ISystemSettings& backend, SystemSetting setting, int64_t value) {
    switch (setting) {
    case SystemSetting::PointerSpeed:
        return backend.SetPointerSpeed(static_cast<int>(std::clamp<int64_t>(value, kPointerSpeedMin, kPointerSpeedMax)));
    case SystemSetting::PointerPrecision:
        if (!IsPointerPrecisionValue(static_cast<int>(value)) || value != static_cast<int>(value)) return false;
        return backend.SetPointerPrecision(static_cast<int>(value));
    case SystemSetting::WheelScrollLines:
        if (value < 0 || value > static_cast<int64_t>(kWheelPageScroll)) return false;
        return backend.SetWheelScrollLines(static_cast<uint32_t>(value));
    case SystemSetting::DoubleClickTime:
        if (value <= 0 || value > 60000) return false;
        return backend.SetDoubleClickTime(static_cast<int>(value));
    case SystemSetting::KeyboardDelay:
        if (value < 0 || value > kKeyboardDelayMax) return false;
        return backend.SetKeyboardDelay(static_cast<int>(value));
    case SystemSetting::KeyboardSpeed:
        return backend.SetKeyboardSpeed(static_cast<int>(std::clamp<int64_t>(value, 0, kKeyboardSpeedMax)));
    }
    return false;
}

std::unique_ptr<ISystemSettings> CreateSystemSettings() {
    const std::string store = AppDataFolder() + "system_settings.ini";
    const CommandRunner run = [](const std::vector<std::string>& argv) { return RunCommand(argv); };
    const char* forced = std::getenv("ZANDRI_SYSTEM_SETTINGS");
    const std::string_view choice = forced ? forced : "";
    if (choice == "file") return std::make_unique<FileSystemSettings>(store);
    if (choice == "gnome" || (choice.empty() && GnomeSystemSettings::Available(run)))
        return std::make_unique<GnomeSystemSettings>(run, store);
    if (choice == "x11") return std::make_unique<X11SystemSettings>(store);
    if (choice.empty() && std::getenv("DISPLAY")) {
        auto x11 = std::make_unique<X11SystemSettings>(store);
        if (x11->Connected()) return x11;
    }
    return std::make_unique<FileSystemSettings>(store);
}

// --- applier ----------------------------------------------------------------------

SystemSettingsApplier::SystemSettingsApplier(std::shared_ptr<ISystemSettings> backend)
    : backend_(std::move(backend)) {
    worker_ = std::thread([this] { Run(); });
}

SystemSettingsApplier::~SystemSettingsApplier() { Stop(); }

bool SystemSettingsApplier::Post(SystemSetting setting, int64_t value) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (stopping_) return false;
        auto same = std::find_if(queue_.begin(), queue_.end(), [&](const Item& i) { return i.setting == setting; });
        if (same != queue_.end())
            same->value = value;
        else
            queue_.push_back({setting, value});
        busy_.store(true);
    }
    wake_.notify_one();
    return true;
}

bool SystemSettingsApplier::WaitIdle(int timeoutMs) {
    std::unique_lock<std::mutex> lock(mutex_);
    return idle_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return queue_.empty() && !running_; });
}

void SystemSettingsApplier::Stop() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    if (worker_.joinable()) worker_.join();
}

void SystemSettingsApplier::Run() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (queue_.empty()) break;  // stopping, and everything queued is applied
        const Item item = queue_.front();
        queue_.pop_front();
        running_ = true;
        lock.unlock();
        if (backend_) ApplySetting(*backend_, item.setting, item.value);
        lock.lock();
        running_ = false;
        if (queue_.empty()) {
            busy_.store(false);
            idle_.notify_all();
        }
    }
    busy_.store(false);
    idle_.notify_all();
}

}  // namespace platform
