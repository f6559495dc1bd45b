// zandrictl: lists the supported Zandri interfaces present and reads their
// device information, through the same backend, parsers and table matching as
// the application. --simulate serves the four emulated devices instead.
#include "devices/DeviceTables.h"
#include "emulator/VirtualHidBus.h"
#include "hid/HidChannel.h"
#include "hid/HidDevice.h"
#include "hid/HidrawBackend.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kExitOk = 0;
constexpr int kExitNothingFound = 1;
constexpr int kExitAccessDenied = 2;
constexpr int kExitUsage = 64;

struct Found {
    int slot;
    devices::DeviceSlot id;
};

const char* KindName(uint16_t kind) {
    switch (kind) {
    case devices::kKindKeyboard: return "keyboard";
    case devices::kKindMouse: return "mouse";
    case devices::kKindMousePad: return "mouse pad";
    case devices::kKindWirelessMouse: return "wireless mouse";
    case devices::kKindHeadset: return "headset";
    default: return "unknown";
    }
}

std::string FamilyName(const devices::DeviceSlot& s) {
    const int row = devices::FindOptionRow(s.vendorId, s.productId, s.kind, devices::kChannelCommand);
    return row < 0 ? std::string("?") : std::string(devices::DeviceOptionTable[row].familyName);
}

// True when a hidraw node behind path exists but this user may not open it.
bool AccessDenied(const std::string& path) {
    std::string node, name;
    if (!hid::HidrawBackend::SplitPath(path, node, name)) return false;
    return ::access(node.c_str(), R_OK | W_OK) != 0 && errno == EACCES;
}

void PrintAccessHelp() {
    std::fprintf(stderr,
                 "Permission denied opening the device. Install the udev rule that grants the logged-in user\n"
                 "access to the hidraw nodes:\n"
                 "  %s\n"
                 "(udev reads /usr/lib/udev/rules.d and /etc/udev/rules.d; copy it to /etc/udev/rules.d when\n"
                 "installed elsewhere), then run 'sudo udevadm control --reload' and replug the device.\n",
                 ZANDRI_UDEV_RULE_PATH);
}

// The discovery pass: stage 1 on the path, probe open, stage 2 on the opened identity.
std::vector<Found> Discover(bool& denied) {
    denied = false;
    std::vector<Found> found;
    auto slots = devices::MakeSlotList();
    CHidDevice lister;
    if (!lister.EnumerateHidPaths()) std::fprintf(stderr, "warning: HID enumeration was incomplete\n");
    while (const std::string* path = lister.NextHidPath()) {
        devices::DeviceSlot id = devices::IdentityFromPath(*path);
        if (!devices::MatchPathIdentity(id, slots)) continue;
        CHidDevice probe;
        if (!probe.OpenHidDevice(*path, true, false, true, false)) {
            if (AccessDenied(*path)) denied = true;
            std::fprintf(stderr, "cannot open %s\n", path->c_str());
            continue;
        }
        id.vendorId = probe.attributes.vendorId;
        id.productId = probe.attributes.productId;
        id.usagePage = probe.caps.UsagePage;
        id.usage = probe.caps.Usage;
        probe.CloseHidDevice();
        int slot = -1;
        if (devices::MatchOpenedIdentity(id, slots, slot)) found.push_back({slot, id});
    }
    std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) { return a.slot < b.slot; });
    return found;
}

void PrintHex(const uint8_t* bytes, size_t n) {
    for (size_t i = 0; i < n; ++i) std::printf("%s%02x", i ? " " : "", bytes[i]);
    std::printf("\n");
}

int List(const std::vector<Found>& found) {
    std::printf("%-5s %-8s %-16s %-12s %s\n", "slot", "family", "kind", "channel", "path");
    for (const auto& f : found) {
        char kind[32], channel[32];
        std::snprintf(kind, sizeof kind, "%u (%s)", f.id.kind, KindName(f.id.kind));
        std::snprintf(channel, sizeof channel, "%u (%s)", f.id.channel,
                      f.id.channel == devices::kChannelSync ? "sync" : "command");
        std::printf("%-5d %-8s %-16s %-12s %s\n", f.slot, FamilyName(f.id).c_str(), kind, channel, f.id.path.c_str());
    }
    return kExitOk;
}

int Info(const std::vector<Found>& found, bool& denied) {
    int read = 0, commandInterfaces = 0;
    for (const auto& f : found) {
        if (f.id.channel != devices::kChannelCommand) continue;
        ++commandInterfaces;
        std::printf("slot %d  %s  %04x:%04x  %s\n", f.slot, FamilyName(f.id).c_str(), f.id.vendorId, f.id.productId,
                    f.id.path.c_str());
        CHidChannel ch;
        if (!ch.hid.OpenHidDevice(f.id.path, true, true, true, false)) {
            if (AccessDenied(f.id.path)) denied = true;
            std::printf("  cannot open the command interface\n");
            continue;
        }
        ch.opened = true;
        hid::proto::DeviceInfo info;
        const int r = ch.ReadDeviceInfo(info);
        ch.opened = false;
        ch.hid.CloseHidDevice();
        if (r != hid::kCmdOk) {
            std::printf("  DeviceInfo not read (result %d)\n", r);
            continue;
        }
        ++read;
        std::printf("  DeviceInfo: ");
        PrintHex(info.bytes.data(), info.bytes.size());
        std::printf("  key count %u, macro memory %u bytes (%u x 128), DPI step %u, min DPI %u\n", info.keyCount(),
                    info.macroMemoryBytes(), info.macroMemoryUnits(), info.dpiStep(), info.minDpi());
    }
    if (commandInterfaces == 0) return kExitNothingFound;
    return read > 0 ? kExitOk : (denied ? kExitAccessDenied : kExitNothingFound);
}

int Usage() {
    std::fprintf(stderr,
                 "usage: zandrictl [--simulate] list|info\n"
                 "  list        supported interfaces present (slot, kind, channel, path)\n"
                 "  info        device information of every attached command interface\n"
                 "  --simulate  serve the four emulated devices instead of the machine's hidraw nodes\n");
    return kExitUsage;
}

} // namespace

int main(int argc, char** argv) {
    bool simulate = false;
    std::string command;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--simulate")
            simulate = true;
        else if (a == "-h" || a == "--help")
            return Usage(), kExitOk;
        else if (command.empty() && (a == "list" || a == "info"))
            command = a;
        else
            return Usage();
    }
    if (command.empty()) return Usage();

    if (simulate) {
        auto bus = std::make_shared<emu::VirtualHidBus>();
        bus->PlugAllFour();
        hid::SetBackend(bus);
    }

    bool denied = false;
    const auto found = Discover(denied);
    if (found.empty()) {
        if (denied) {
            PrintAccessHelp();
            return kExitAccessDenied;
        }
        std::fprintf(stderr, "No supported Zandri device found.\n");
        return kExitNothingFound;
    }
    const int rc = command == "list" ? List(found) : Info(found, denied);
    if (denied) PrintAccessHelp();
    if (rc == kExitNothingFound) std::fprintf(stderr, "No supported Zandri device answered.\n");
    return rc;
}
