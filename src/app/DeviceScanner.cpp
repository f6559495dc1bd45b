#include "app/DeviceScanner.h"

#include "app/AppMessages.h"
#include "platform/Debug.h"

namespace app {

namespace {
constexpr int kCyclePauseMs = 100;
}

DeviceScanner::DeviceScanner(std::vector<devices::DeviceSlot>& slotList, IScanTarget& target,
                             devices::InterfaceTable table)
    : slots_(slotList), target_(target), table_(table) {}

void DeviceScanner::Run(const platform::Event& exit) {
    // The pause doubles as the exit wait, so a stop never waits out a full cycle.
    while (Cycle(exit) && exit.Wait(kCyclePauseMs) == platform::WaitResult::TimedOut) {
    }
    platform::DebugOut("抓取设备线程设定退出");
}

bool DeviceScanner::Cycle(const platform::Event& exit) {
    if (exit.Wait(1) != platform::WaitResult::TimedOut) return false;
    if (devices::AnySlotFree(slots_) && !EnumerationPass(exit)) return false;
    return PresenceCheck(exit);
}

bool DeviceScanner::EnumerationPass(const platform::Event& exit) {
    ++passes_;
    if (!hid_.EnumerateHidPaths()) {
        // A failed enumeration costs one pass; hot-plug carries on with the next cycle.
        ++failedEnumerations_;
        platform::DebugOut("枚举设备失败");
    } else {
        while (const std::string* path = hid_.NextHidPath()) {
            devices::DeviceSlot probe = devices::IdentityFromPath(*path);
            if (!devices::MatchPathIdentity(probe, slots_, table_)) continue;
            if (!hid_.OpenHidDevice(*path, true, false, true, false)) continue;
            probe.vendorId = hid_.attributes.vendorId;
            probe.productId = hid_.attributes.productId;
            probe.usagePage = hid_.caps.UsagePage;
            probe.usage = hid_.caps.Usage;
            int slot = -1;
            const bool claimed = devices::MatchOpenedIdentity(probe, slots_, slot, table_);
            hid_.CloseHidDevice();
            if (claimed && !target_.SendToWindow(kWmDeviceArrival, static_cast<uintptr_t>(slot), exit)) {
                hid_.ReleaseHidPaths();
                return false;
            }
        }
    }
    // The window stays hidden until this notice, so it follows the first pass even
    // when that pass could not enumerate.
    if (firstPass_) {
        firstPass_ = false;
        target_.PostToWindow(InstanceMessage(), 0, 0);
    }
    hid_.ReleaseHidPaths();
    return true;
}

bool DeviceScanner::PresenceCheck(const platform::Event& exit) {
    auto backend = hid::GetBackend();
    for (size_t i = 0; i < slots_.size(); ++i) {
        auto& s = slots_[i];
        if (!s.connected) continue;
        if (backend && backend->IsPresent(s.path)) continue;
        s.connected = 0;
        s.path.clear();
        if (!target_.SendToWindow(kWmDeviceRemoval, i, exit)) return false;
    }
    return true;
}

} // namespace app
