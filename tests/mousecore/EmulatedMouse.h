#pragma once
// The emulated mouse on a private virtual bus, with its command and sync
// channels opened the way the device object opens them.
#include "emulator/Models.h"
#include "emulator/VirtualHidBus.h"
#include "hid/HidBackend.h"
#include "hid/HidChannel.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace testing_util {

using Bytes = std::vector<uint8_t>;

struct EmulatedMouse {
    std::shared_ptr<emu::VirtualHidBus> bus = std::make_shared<emu::VirtualHidBus>();
    std::shared_ptr<emu::DeviceModel> model = emu::MakeMouse();

    EmulatedMouse() {
        bus->Plug(model);
        hid::SetBackend(bus);
    }
    ~EmulatedMouse() { hid::SetBackend(nullptr); }
    EmulatedMouse(const EmulatedMouse&) = delete;
    EmulatedMouse& operator=(const EmulatedMouse&) = delete;

    bool Open(CHidChannel& ch, int collection) {
        if (!ch.hid.OpenHidDevice(bus->PathOf(*model, collection), true, true, true, false)) return false;
        ch.opened = true;
        return true;
    }
    bool OpenCommand(CHidChannel& ch) { return Open(ch, model->CommandCollection()); }
    bool OpenSync(CHidChannel& ch) { return Open(ch, model->SyncCollection()); }

    // Command codes of the requests on the wire, in order.
    Bytes Commands() const {
        Bytes out;
        for (const auto& r : model->Requests()) out.push_back(r[3]);
        return out;
    }
};

} // namespace testing_util
