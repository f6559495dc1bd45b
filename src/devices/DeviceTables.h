#pragma once
// Device slots and the two-stage match of present HID interfaces against the
// supported-interface table (SupportedDevices.h holds the tables themselves).
#include "devices/SupportedDevices.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace devices {

// The identity of one supported interface: table row, slot of the main window's
// slot list and the identity handed to a device object alike.
struct DeviceSlot {
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint16_t interfaceNumber = 0;
    uint16_t collectionNumber = 0;  // 0 when the path has no "&col"
    uint16_t kind = 0;
    uint16_t channel = 0;
    uint16_t connected = 0;
    uint16_t usagePage = 0;
    uint16_t usage = 0;
    uint16_t linked = 0;
    uint16_t linkedSlot = 0;
    uint16_t reserved = 0;
    std::string path;  // empty while the slot is free
};

using InterfaceTable = std::span<const SupportedInterface>;

DeviceSlot SlotFromRow(const SupportedInterface& row);

// One slot per row of the table, same order, all free.
std::vector<DeviceSlot> MakeSlotList(InterfaceTable table = SupportedDeviceTable);

// First row with all four values equal, or -1.
int FindSlotRow(uint16_t kind, uint16_t channel, uint16_t vendorId, uint16_t productId,
                InterfaceTable table = SupportedDeviceTable);
int FindOptionRow(int vendorId, int productId, int kind, int channel);

// Stage 1, from the path alone: vendorId, productId, interfaceNumber and
// collectionNumber of identity name a table row and a free slot with the same four values.
// The identity the numbers of an interface path give (vendor, product, interface,
// collection), with the path itself; the first stage of matching works on this.
DeviceSlot IdentityFromPath(const std::string& path);

bool MatchPathIdentity(const DeviceSlot& identity, const std::vector<DeviceSlot>& slots,
                       InterfaceTable table = SupportedDeviceTable);

// Stage 2, after open: identity carries the interface's real vendor/product ID and its
// top-level usage page and usage (and its path). On a match the row's kind and channel
// are copied into identity, the first free slot with the same six values is claimed
// (connected = 1, path stored) and its index returned.
bool MatchOpenedIdentity(DeviceSlot& identity, std::vector<DeviceSlot>& slots, int& slotIndex,
                         InterfaceTable table = SupportedDeviceTable);

// True when some slot is neither connected nor holds a path.
bool AnySlotFree(const std::vector<DeviceSlot>& slots);

} // namespace devices
