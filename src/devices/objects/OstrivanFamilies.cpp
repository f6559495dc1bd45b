#include "devices/objects/OstrivanFamilies.h"

#include "platform/Debug.h"
#include "ui/UIManager.h"

namespace devices {

void COstrivanFamilyDevice::BuildFamilyUI() {
    COstrivanUSBDevice::BuildDeviceUI();
    if (!selectPanel && !layoutFile.empty()) BindSelectPanel(FindSelectPanel(this));
}

void COstrivanFamilyDevice::OnConnected() {
    ++connectCount_;
    std::lock_guard lock(commandChannel.commandLock);
    lastConnectResult_ = ReadDeviceInformation();
    platform::DebugOut(familyName + " OnConnected " + std::to_string(lastConnectResult_));
}

void* COstrivanMouseDevice::GetInterface(std::string_view name) {
    if (ui::EqualsNoCase(name, "OstrivanMouseDevice")) return this;
    return COstrivanFamilyDevice::GetInterface(name);
}

void COstrivanMouseDevice::SetKind(int k) {
    COstrivanFamilyDevice::SetKind(k);
    ui::CControlUI* tip = GetManager() ? GetManager()->FindSubControlByName(this, "device_tishi_info")
                                       : FindSubControl("device_tishi_info");
    if (tip) tip->SetVisible(k == 1 || k == 2 || k == 4);
}

void* COstrivanKeyboardDevice::GetInterface(std::string_view name) {
    if (ui::EqualsNoCase(name, "OstrivanKeyboardDevice")) return this;
    return COstrivanFamilyDevice::GetInterface(name);
}

void* COstrivanMousePadDevice::GetInterface(std::string_view name) {
    if (ui::EqualsNoCase(name, "OstrivanMousePadDevice")) return this;
    return COstrivanFamilyDevice::GetInterface(name);
}

void* COstrivanRI6533Device::GetInterface(std::string_view name) {
    if (ui::EqualsNoCase(name, "OstrivanRI6533Device")) return this;
    return COstrivanFamilyDevice::GetInterface(name);
}

} // namespace devices
