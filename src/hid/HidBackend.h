#pragma once
// The seam between CHidDevice and the machine: a backend lists HID interface
// paths and opens them. Linux hidraw serves real hardware; the emulator's
// virtual bus serves the same interface for tests and --simulate.
#include "platform/Event.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace hid {

struct HidAttributes {
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint16_t versionNumber = 0;  // bcdDevice
};

enum class IoResult { Ok, TimedOut, Stopped, Failed };

// One open interface path (one top-level collection of a device interface).
class IHidHandle {
public:
    virtual ~IHidHandle() = default;

    virtual HidAttributes Attributes() const = 0;
    // The report descriptor of the whole USB interface.
    virtual std::vector<uint8_t> ReportDescriptor() const = 0;
    // 0-based index of the top-level collection this path selects within the descriptor.
    virtual int CollectionIndex() const = 0;

    // One input report of this collection, report ID in byte 0 (0 when the
    // interface uses no IDs). Waits up to timeoutMs (<0: forever); stop cuts the wait.
    // Nothing stays pending after return.
    virtual IoResult Read(uint8_t* buffer, size_t length, int timeoutMs, const platform::Event* stop,
                          size_t& transferred) = 0;
    // One output report, report ID in byte 0.
    virtual IoResult Write(const uint8_t* buffer, size_t length, int timeoutMs, const platform::Event* stop,
                           size_t& transferred) = 0;
    // A control-pipe output report (the headset's chip LED reports).
    virtual bool SetOutputReport(const uint8_t* buffer, size_t length) = 0;
};

class IHidBackend {
public:
    virtual ~IHidBackend() = default;
    // Paths of the interfaces present now, one per top-level collection. False when the
    // enumeration itself failed (paths then holds what was found, possibly nothing).
    virtual bool Enumerate(std::vector<std::string>& paths) = 0;
    virtual std::unique_ptr<IHidHandle> Open(const std::string& path, bool read, bool write, bool exclusive) = 0;
    // Cheap presence test that does not disturb open handles.
    virtual bool IsPresent(const std::string& path) = 0;
};

// The backend every CHidDevice uses. Defaults to hidraw on /sys and /dev.
void SetBackend(std::shared_ptr<IHidBackend> backend);
std::shared_ptr<IHidBackend> GetBackend();

} // namespace hid
