#pragma once
// Report descriptors of the emulated interfaces and what each top-level
// collection carries, so the virtual bus can route reports the way the HID
// stack does.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace emu {

struct ReportSpec {
    uint8_t id;
    size_t length;  // with the report ID byte, as the HID stack counts it
};

struct CollectionSpec {
    uint16_t usagePage;
    uint16_t usage;
    std::vector<ReportSpec> inputs;
    std::vector<ReportSpec> outputs;
};

struct InterfaceSpec {
    std::vector<uint8_t> descriptor;
    std::vector<CollectionSpec> collections;
};

// Report IDs of the command protocol and the sync input.
inline constexpr uint8_t kCommandReportId = 0x04;
inline constexpr size_t kCommandReportLength = 64;
inline constexpr uint8_t kSyncReportId = 0x03;
inline constexpr size_t kSyncReportLength = 3;
inline constexpr uint8_t kChipLedReportId = 0xFF;
inline constexpr size_t kChipLedReportLength = 17;
inline constexpr uint8_t kHeadsetKeysReportId = 0x01;

// Interface 1 of the mouse, mouse pad and keyboard: collection 1 keyboard,
// 2 system control, 3 consumer control (sync input), 4 vendor 0xFF1C/0x92 (commands).
InterfaceSpec ComboInterface();

// Interface 3 of the headset: one consumer collection carrying its volume keys,
// the command reports and the chip LED report.
InterfaceSpec HeadsetInterface();

} // namespace emu
