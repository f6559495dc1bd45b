#pragma once
// The discovery cycle: every 100 ms match present HID interfaces against the
// supported-interface table, claim slots for new ones and notice slots whose
// interface went away. Arrivals and removals reach the main window as
// synchronous messages; the scanner never touches a device object.
#include "devices/DeviceTables.h"
#include "hid/HidDevice.h"
#include "platform/Event.h"

#include <atomic>
#include <cstdint>
#include <vector>

namespace app {

// The window side of the scanner.
class IScanTarget {
public:
    virtual ~IScanTarget() = default;
    // Synchronous: returns once the window handled it, or false when exit cut the wait.
    virtual bool SendToWindow(unsigned msg, uintptr_t wParam, const platform::Event& exit) = 0;
    virtual void PostToWindow(unsigned msg, uintptr_t wParam, intptr_t lParam) = 0;
};

class DeviceScanner {
public:
    // slotList: the main window's slot list. Only the scanner writes connected and path.
    DeviceScanner(std::vector<devices::DeviceSlot>& slotList, IScanTarget& target,
                  devices::InterfaceTable table = devices::SupportedDeviceTable);

    // The thread body: cycles until exit is set.
    void Run(const platform::Event& exit);
    // One cycle without the pause. False once exit was seen (the thread should end).
    bool Cycle(const platform::Event& exit);
    // Cuts a pending wait of the scanner's own HID object (any thread).
    void Unblock() { hid_.SignalStop(); }

    // Read from any thread (tests wait on them).
    int Passes() const { return passes_.load(); }
    int FailedEnumerations() const { return failedEnumerations_.load(); }

private:
    bool EnumerationPass(const platform::Event& exit);
    bool PresenceCheck(const platform::Event& exit);

    std::vector<devices::DeviceSlot>& slots_;
    IScanTarget& target_;
    devices::InterfaceTable table_;
    CHidDevice hid_;
    bool firstPass_ = true;
    std::atomic<int> passes_{0};
    std::atomic<int> failedEnumerations_{0};
};

} // namespace app
