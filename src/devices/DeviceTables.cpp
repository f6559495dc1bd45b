#include "devices/DeviceTables.h"

#include "hid/HidDevice.h"

namespace devices {

namespace {

bool IsFree(const DeviceSlot& s) { return s.connected == 0 && s.path.empty(); }

bool SamePathIdentity(const DeviceSlot& a, uint16_t vid, uint16_t pid, uint16_t mi, uint16_t col) {
    return a.vendorId == vid && a.productId == pid && a.interfaceNumber == mi && a.collectionNumber == col;
}

} // namespace

DeviceSlot SlotFromRow(const SupportedInterface& row) {
    DeviceSlot s;
    s.vendorId = row.vendorId;
    s.productId = row.productId;
    s.interfaceNumber = row.interfaceNumber;
    s.collectionNumber = row.collectionNumber;
    s.kind = row.kind;
    s.channel = row.channel;
    s.connected = row.connected;
    s.usagePage = row.usagePage;
    s.usage = row.usage;
    s.linked = row.linked;
    s.linkedSlot = row.linkedSlot;
    return s;
}

std::vector<DeviceSlot> MakeSlotList(InterfaceTable table) {
    std::vector<DeviceSlot> slots;
    slots.reserve(table.size());
    for (const auto& row : table) slots.push_back(SlotFromRow(row));
    return slots;
}

int FindSlotRow(uint16_t kind, uint16_t channel, uint16_t vendorId, uint16_t productId, InterfaceTable table) {
    for (size_t i = 0; i < table.size(); ++i) {
        const auto& r = table[i];
        if (r.kind == kind && r.channel == channel && r.vendorId == vendorId && r.productId == productId)
            return static_cast<int>(i);
    }
    return -1;
}

int FindOptionRow(int vendorId, int productId, int kind, int channel) {
    for (size_t i = 0; i < DeviceOptionTable.size(); ++i) {
        const auto& r = DeviceOptionTable[i];
        if (r.vendorId == vendorId && r.productId == productId && r.kind == kind && r.channel == channel)
            return static_cast<int>(i);
    }
    return -1;
}

DeviceSlot IdentityFromPath(const std::string& path) {
    DeviceSlot id;
    id.vendorId = ParseVidFromPath(path);
    id.productId = ParsePidFromPath(path);
    id.interfaceNumber = ParseMiFromPath(path);
    id.collectionNumber = ParseColFromPath(path);
    id.path = path;
    return id;
}

bool MatchPathIdentity(const DeviceSlot& id, const std::vector<DeviceSlot>& slots, InterfaceTable table) {
    bool rowFound = false;
    for (const auto& r : table) {
        if (r.vendorId == id.vendorId && r.productId == id.productId && r.collectionNumber == id.collectionNumber &&
            r.interfaceNumber == id.interfaceNumber) {
            rowFound = true;
            break;
        }
    }
    if (!rowFound) return false;
    for (const auto& s : slots) {
        if (SamePathIdentity(s, id.vendorId, id.productId, id.interfaceNumber, id.collectionNumber) && IsFree(s))
            return true;
    }
    return false;
}

bool MatchOpenedIdentity(DeviceSlot& id, std::vector<DeviceSlot>& slots, int& slotIndex, InterfaceTable table) {
    slotIndex = -1;
    const SupportedInterface* row = nullptr;
    for (const auto& r : table) {
        if (r.vendorId == id.vendorId && r.productId == id.productId && r.collectionNumber == id.collectionNumber &&
            r.interfaceNumber == id.interfaceNumber && r.usagePage == id.usagePage && r.usage == id.usage) {
            row = &r;
            break;
        }
    }
    if (!row) return false;
    id.kind = row->kind;
    id.channel = row->channel;
    for (size_t i = 0; i < slots.size(); ++i) {
        auto& s = slots[i];
        if (SamePathIdentity(s, id.vendorId, id.productId, id.interfaceNumber, id.collectionNumber) &&
            s.usagePage == id.usagePage && s.usage == id.usage && IsFree(s)) {
            s.connected = 1;
            s.path = id.path;
            slotIndex = static_cast<int>(i);
            return true;
        }
    }
    return false;
}

bool AnySlotFree(const std::vector<DeviceSlot>& slots) {
    for (const auto& s : slots)
        if (IsFree(s)) return true;
    return false;
}

} // namespace devices
