#pragma once
// Test back-end: records every call (setting, its system parameter number,
// value and calling thread) instead of changing the desktop.
#include "platform/SystemSettings.h"

#include <mutex>
#include <thread>
#include <vector>

namespace platform {

class RecordingSystemSettings : public ISystemSettings {
public:
    struct Call {
        SystemSetting setting;
        int spiId;
        int64_t value;
        std::thread::id thread;
        bool operator==(const Call& o) const {
            return setting == o.setting && spiId == o.spiId && value == o.value;
        }
    };

    std::string Name() const override { return "recording"; }
    bool SetPointerSpeed(int speed) override { return Record(SystemSetting::PointerSpeed, speed); }
    bool SetPointerPrecision(int on) override { return Record(SystemSetting::PointerPrecision, on); }
    bool SetWheelScrollLines(uint32_t lines) override { return Record(SystemSetting::WheelScrollLines, lines); }
    bool SetDoubleClickTime(int ms) override { return Record(SystemSetting::DoubleClickTime, ms); }
    bool SetKeyboardDelay(int index) override { return Record(SystemSetting::KeyboardDelay, index); }
    bool SetKeyboardSpeed(int rate) override { return Record(SystemSetting::KeyboardSpeed, rate); }

    std::vector<Call> Calls() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return calls_;
    }
    static Call Expect(SystemSetting s, int64_t value) { return {s, SpiId(s), value, {}}; }

protected:
    virtual bool Record(SystemSetting s, int64_t value) {
        std::lock_guard<std::mutex> lock(mutex_);
        calls_.push_back({s, SpiId(s), value, std::this_thread::get_id()});
        return true;
    }

private:
    mutable std::mutex mutex_;
    std::vector<Call> calls_;
};

}  // namespace platform
