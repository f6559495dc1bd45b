#pragma once
// --simulate: the emulator's four devices on the virtual bus, with ways to plug
// and unplug them while the program runs (shortcuts and a timed script).
#include "emulator/VirtualHidBus.h"

#include <QObject>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace app {

class Simulation {
public:
    // Installs the virtual bus as the HID backend. initial: families to plug now
    // ("mouse", "keyboard", "MousePad", "HD"; empty = all four).
    explicit Simulation(const std::vector<std::string>& initial = {});
    ~Simulation();

    bool Plug(const std::string& family);
    bool Unplug(const std::string& family);
    bool Toggle(const std::string& family);
    bool IsPlugged(const std::string& family) const;
    std::shared_ptr<emu::DeviceModel> Model(const std::string& family) const;
    emu::VirtualHidBus& Bus() { return *bus_; }

    // "500:unplug:mouse;1500:plug:mouse" (ms after start, action, family).
    // False on a malformed entry (nothing of it is scheduled).
    bool Schedule(const std::string& script);
    // Ctrl+Shift+1..4 toggle mouse, keyboard, mouse pad, headset.
    void InstallShortcuts();

    // "mouse", "ms", "m" ... to the family name; empty when unknown.
    static std::string FamilyOf(const std::string& word);

private:
    std::shared_ptr<emu::VirtualHidBus> bus_;
    std::map<std::string, std::shared_ptr<emu::DeviceModel>> models_;
    std::map<std::string, bool> plugged_;
    std::unique_ptr<QObject> context_;
};

} // namespace app
