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
