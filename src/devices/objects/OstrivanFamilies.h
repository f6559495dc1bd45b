#pragma once
// The four device families. For now each has the base behaviour plus the few
// family traits discovery and the device list need (class name, macro list file,
// device information read on connect, the power poll); each family's own
// behaviour grows here with its issue.
#include "devices/objects/OstrivanUSBDevice.h"

namespace devices {

class COstrivanFamilyDevice : public COstrivanUSBDevice {
public:
    void BuildDeviceUI() override { BuildFamilyUI(); }
    // The family layouts keep the SelectPanel inside the picture area, not as a direct child.
    virtual void BuildFamilyUI();
    void OnConnected() override;
    void OnPeriodicPoll() override { PollPowerStatus(); }
    void LoadMacroAndLightLists() override { FillNameLists(MacroListFile()); }
    virtual std::string MacroListFile() const = 0;
    // Times OnConnected ran (the tile's 500 ms timer after an arrival).
    int ConnectCount() const { return connectCount_; }
    int LastConnectResult() const { return lastConnectResult_; }

protected:
    // A family with its own connect sequence records it here.
    void NoteConnect(int result) {
        ++connectCount_;
        lastConnectResult_ = result;
    }

private:
    int connectCount_ = 0;
    int lastConnectResult_ = 0;
};

class COstrivanKeyboardDevice : public COstrivanFamilyDevice {
public:
    std::string GetClass() const override { return "OstrivanKeyboardDevice"; }
    void* GetInterface(std::string_view name) override;
    std::string MacroListFile() const override { return "macro.config"; }
};

class COstrivanMousePadDevice : public COstrivanFamilyDevice {
public:
    std::string GetClass() const override { return "OstrivanMousePadDevice"; }
    void* GetInterface(std::string_view name) override;
    std::string MacroListFile() const override { return "kelto_macro.config"; }
};

class COstrivanRI6533Device : public COstrivanFamilyDevice {
public:
    std::string GetClass() const override { return "OstrivanRI6533Device"; }
    void* GetInterface(std::string_view name) override;
    std::string MacroListFile() const override { return "kelto_macro.config"; }
};

} // namespace devices

// The mouse has a header of its own; it needs COstrivanFamilyDevice above.
#include "devices/objects/MouseDevice.h"
