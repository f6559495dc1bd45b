#pragma once
// The mouse's command sequences over its command channel: the reads at connect,
// the sync read-back, and the three writes of a profile (block, macros, key map).
// Each returns the first command result that is not 1, so a caller sees a failure
// even though the rest of the sequence goes out as usual.
#include "devices/mouse/MouseConfig.h"
#include "devices/mouse/MouseKeys.h"
#include "hid/HidChannel.h"
#include "hid/ReportProtocol.h"
#include "profiles/ProfileData.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace devices::mouse {

// What the device object remembers of the mouse between sequences.
struct MouseDeviceState {
    hid::proto::DeviceInfo deviceInfo{};
    std::array<uint8_t, kKeyMapMirrorSize> keyMapMirror{};
    // A key-map write starts from the mirror, so it must not run on a mirror that
    // was never filled from the device: it would zero every slot the profile does not map.
    bool keyMapRead = false;
    KeyIndexMap keyIndexMap;  // every key on kNoSlot until the key map was read
    std::array<uint8_t, kBlockMirrorSize> blockMirror{};

    MouseDeviceState();
};

// WriteMacros results besides the command results and the events-to-remove count.
inline constexpr int kMacrosWritten = 0;
inline constexpr int kMacrosOffline = -1;       // probe failed, a command failed, or no image could be built
inline constexpr int kMacroListUnreadable = -2;  // "macro.config" missing or not a macro list

// Wired: always true. Over the receiver: the mouse must answer the probe.
bool MouseOnline(CHidChannel& channel);

// OpenConfig, ReadDeviceInfo, SetDataSize(keyCount * 3), ReadKeyMap, CloseConfig,
// then the key index map. 0 without sending when the channel is closed or the
// wireless mouse is off-line. The mirrors change only on a successful read.
int ReadMouseAtConnect(CHidChannel& channel, MouseDeviceState& state);

// Active profile p (1 byte at 0), then its block (47 bytes, 80 over the receiver).
// On any failure: false, and state and out are untouched.
bool ReadConfigBlock(CHidChannel& channel, MouseDeviceState& state, uint8_t& activeProfile, MouseReadBack& out);

// ReadConfigBlock, then the read-back goes into lightInfo (direction kept) and into
// the profile (lighting record, active DPI stage) and the profile is saved. After a
// failed read nothing of lightInfo or the profile changes.
bool SyncFromDevice(CHidChannel& channel, MouseDeviceState& state, profiles::CMouseProfiledata& profile,
                    profiles::LightSetting& lightInfo, int& activeProfile);

// OpenConfig, WriteBlock(75 bytes at profile * 128), CloseConfig; probe before each
// command over the receiver. 1 on success.
int WriteConfig(CHidChannel& channel, const MouseConfigValues& values, int profile, int activeProfile,
                int screenWidth);

// ReadDeviceInfo, then OpenConfig, WriteKeyMap(bank), CloseConfig with the mirror
// overlaid by the list's assignments. 0 without sending until the key map was read.
int WriteKeyAssignments(CHidChannel& channel, MouseDeviceState& state, int bank,
                        const std::vector<profiles::KeyAssignment>& keyList);

// The macro image from folder's "macro.config" and ".mac" files: kMacrosWritten (0),
// kMacrosOffline, kMacroListUnreadable, -102/-103 from the device, or the positive
// number of events to remove when the image does not fit. An empty list sends nothing (0).
int WriteMacros(CHidChannel& channel, MouseDeviceState& state, const std::string& folder);

// The 11-byte record as the three words of CBasicProfiledata::SetLightInfo.
void StoreLightInfo(profiles::CBasicProfiledata& profile, const profiles::LightSetting& light);

} // namespace devices::mouse
