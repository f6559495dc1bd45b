#pragma once
// An in-process HID bus serving emulated devices through the same backend seam
// as hidraw. Paths are Windows-style, one per top-level collection, e.g.
//   \\?\hid#vid_0c45&pid_7643&mi_01&col04#7&2a1b3c4d&0&0003#{4d1e55b2-f16f-11cf-88cb-001111000030}
// (no "&col" when the interface has a single collection), so the program's path
// parsers and table matching run unchanged.
#include "emulator/DeviceModel.h"
#include "hid/HidBackend.h"

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace emu {

class VirtualHidBus : public hid::IHidBackend {
public:
    VirtualHidBus() = default;

    // Adds a model (or brings back one that was unplugged). Thread-safe.
    void Plug(const std::shared_ptr<DeviceModel>& model);
    // The model vanishes: its paths leave the enumeration, open handles fail.
    void Unplug(const std::shared_ptr<DeviceModel>& model);

    // Paths of a plugged model, one per collection, in collection order.
    std::vector<std::string> PathsOf(const DeviceModel& model) const;
    std::string PathOf(const DeviceModel& model, int collection) const;

    struct AllFour {
        std::shared_ptr<DeviceModel> mouse, keyboard, mousePad, headset;
    };
    // The four standard models, for tests and --simulate.
    AllFour PlugAllFour();

    bool Enumerate(std::vector<std::string>& paths) override;
    std::unique_ptr<hid::IHidHandle> Open(const std::string& path, bool read, bool write, bool exclusive) override;
    bool IsPresent(const std::string& path) override;

private:
    struct Entry {
        std::shared_ptr<DeviceModel> model;
        uint32_t instance;
    };
    static std::string MakePath(const DeviceModel& model, uint32_t instance, int collection);
    bool Find(const std::string& path, std::shared_ptr<DeviceModel>& model, int& collection) const;

    mutable std::mutex mutex_;
    std::vector<Entry> entries_;
    uint32_t nextInstance_ = 0;
};

} // namespace emu
