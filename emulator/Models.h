#pragma once
// The four emulated devices, with realistic factory contents: device info,
// key maps in both banks, key-to-LED table, configuration blocks at the
// family offsets and a power status record.
#include "emulator/DeviceModel.h"

#include <memory>

namespace emu {

// Configuration-memory layout of each family.
namespace layout {
inline constexpr size_t kMouseBlockStride = 128;  // profile p at p * 128
inline constexpr size_t kMouseBlockLength = 75;
inline constexpr size_t kKeyboardBlockStride = 25;
inline constexpr size_t kKeyboardBlockLength = 25;
inline constexpr size_t kPadReadStride = 25;  // pad and headset read profile p at p * 25 ...
inline constexpr size_t kPadWriteStride = 64; // ... and write it at p * 64
inline constexpr size_t kPadBlockLength = 21;
inline constexpr int kProfiles = 5;
} // namespace layout

// DeviceInfo bytes the program interprets.
namespace info {
inline constexpr size_t kKeyCount = 5;
inline constexpr size_t kMacroUnits = 6;  // macro memory in 128-byte units
inline constexpr size_t kDpiStep = 11;
inline constexpr size_t kMinDpiLow = 13;  // 13-14, little-endian
} // namespace info

std::shared_ptr<DeviceModel> MakeMouse();     // 0C45:7643, interface 1
std::shared_ptr<DeviceModel> MakeMousePad();  // 0C45:6627, interface 1
// FFFF:FFFF by default, the identity of the keyboard rows. Tests that run a table with a
// real keyboard identity pass it here.
std::shared_ptr<DeviceModel> MakeKeyboard(uint16_t vendorId = 0xFFFF, uint16_t productId = 0xFFFF);  // interface 1
std::shared_ptr<DeviceModel> MakeHeadset();   // 0D8C:01DA, interface 3, single collection

} // namespace emu
