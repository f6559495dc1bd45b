#pragma once
// The supported-device tables as plain constexpr data. Discovery, the device
// objects, the emulator, the udev rule test and zandrictl all read this header,
// so a new device is added in exactly one place.
#include <array>
#include <cstdint>
#include <string_view>

namespace devices {

// Device kinds. 4 and 5 only name pages of the device panels; no row uses them.
inline constexpr uint16_t kKindKeyboard = 1;
inline constexpr uint16_t kKindMouse = 2;
inline constexpr uint16_t kKindMousePad = 3;
inline constexpr uint16_t kKindPage4 = 4;
inline constexpr uint16_t kKindPage5 = 5;
inline constexpr uint16_t kKindWirelessMouse = 6;
inline constexpr uint16_t kKindHeadset = 7;

// Which of a device object's two channels an interface feeds.
inline constexpr uint16_t kChannelCommand = 0;
inline constexpr uint16_t kChannelSync = 255;

// A vendor or product ID that no real interface carries.
inline constexpr uint16_t kNoDeviceId = 0xFFFF;

// One row of the supported-interface table (a DeviceSlot without its path).
struct SupportedInterface {
    uint16_t vendorId;
    uint16_t productId;
    uint16_t interfaceNumber;
    uint16_t collectionNumber;
    uint16_t kind;
    uint16_t channel;
    uint16_t connected;
    uint16_t usagePage;
    uint16_t usage;
    uint16_t linked;
    uint16_t linkedSlot;
};

inline constexpr std::array<SupportedInterface, 7> SupportedDeviceTable{{
    {0xFFFF, 0xFFFF, 1, 4, kKindKeyboard, kChannelCommand, 0, 0xFF1C, 0x92, 0, 0},
    {0xFFFF, 0xFFFF, 1, 3, kKindKeyboard, kChannelSync, 0, 0x000C, 0x01, 0, 0},
    {0x0C45, 0x7643, 1, 4, kKindMouse, kChannelCommand, 0, 0xFF1C, 0x92, 0, 0},
    {0x0C45, 0x7643, 1, 3, kKindMouse, kChannelSync, 0, 0x000C, 0x01, 0, 0},
    {0x0C45, 0x6627, 1, 4, kKindMousePad, kChannelCommand, 0, 0xFF1C, 0x92, 0, 0},
    {0x0C45, 0x6627, 1, 3, kKindMousePad, kChannelSync, 0, 0x000C, 0x01, 0, 0},
    {0x0D8C, 0x01DA, 3, 0, kKindHeadset, kChannelCommand, 0, 0x000C, 0x01, 0, 0},
}};

// Rows: 0 mouse, 1 keyboard, 2 mouse pad, 3 headset.
struct DeviceFamily {
    int lightCount;
    int keyCount;
    int powerDisplay;
    int logoLight;  // LED mirrored on the logo control, -1 for none
    std::string_view panelLayout;
    std::string_view lightConfigName;
};

inline constexpr std::array<DeviceFamily, 4> DeviceFamilyTable{{
    {19, 6, 0, -1, "XML\\DeviceXml\\mousedevice.xml", "kelto_light"},
    {126, 126, 0, -1, "XML\\DeviceXml\\keyboarddevice.xml", "kelto_light"},
    {15, 0, 0, -1, "XML\\DeviceXml\\mousepaddevice.xml", "kelto_light"},
    {13, 0, 0, -1, "XML\\DeviceXml\\ri6533device.xml", "kelto_light"},
}};

// Row order is the family index of DeviceFamilyTable.
struct DeviceOption {
    std::string_view tileLayout;
    std::string_view tabHeaderControl;
    std::string_view powerSwitchControl;
    std::string_view familyName;
    int index1;  // carried, not read by the device code
    int index2;  // carried, not read by the device code
    int flag;    // carried, not read by the device code
    int familyIndex;
    int vendorId;
    int productId;
    int kind;
    int channel;
};

inline constexpr std::array<DeviceOption, 4> DeviceOptionTable{{
    {"XML\\CustomControlXML\\DeviceOption.xml", "tab_header_device", "device_power_switch", "mouse", 0, 0, 0, 1,
     0x0C45, 0x7643, kKindMouse, kChannelCommand},
    {"XML\\CustomControlXML\\DeviceOption.xml", "tab_header_device", "device_power_switch", "keyboard", 1, 1, -1, 0,
     0xFFFF, 0xFFFF, kKindKeyboard, kChannelCommand},
    {"XML\\CustomControlXML\\DeviceOption.xml", "tab_header_device", "device_power_switch", "MousePad", 2, 2, 1, 2,
     0x0C45, 0x6627, kKindMousePad, kChannelCommand},
    {"XML\\CustomControlXML\\DeviceOption.xml", "tab_header_device", "device_power_switch", "HD", 3, 3, -1, 3,
     0x0D8C, 0x01DA, kKindHeadset, kChannelCommand},
}};

} // namespace devices
