#include "devices/mouse/MouseSequences.h"

#include "devices/MacroImage.h"
#include "hid/HidResults.h"
#include "macros/MacroStore.h"

#include <algorithm>

namespace devices::mouse {

namespace {

// Keeps the first command result that is not success.
struct FirstFailure {
    int result = hid::kCmdOk;
    int Note(int r) {
        if (result == hid::kCmdOk && r != hid::kCmdOk) result = r;
        return r;
    }
};

KeyIndexMap NoSlots() {
    KeyIndexMap m;
    for (size_t j = 0; j < kDefaultKeyCodes.size(); ++j) m[static_cast<int>(j)] = kNoSlot;
    return m;
}

std::vector<devices::MacroImageMacro> ToImageMacros(const std::vector<macros::MacroImageMacro>& in) {
    std::vector<devices::MacroImageMacro> out;
    out.reserve(in.size());
    for (const auto& m : in) {
        devices::MacroImageMacro events;
        events.reserve(m.events.size());
        for (const auto& e : m.events) events.push_back({e.down, e.type, e.button, e.delay});
        out.push_back(std::move(events));
    }
    return out;
}

} // namespace

MouseDeviceState::MouseDeviceState() : keyIndexMap(NoSlots()) {}

bool MouseOnline(CHidChannel& channel) { return !channel.wireless || channel.ProbeOnline(); }

int ReadMouseAtConnect(CHidChannel& channel, MouseDeviceState& state) {
    if (!channel.opened) return hid::kCmdReadFailed;
    state.keyMapRead = false;
    if (!MouseOnline(channel)) return hid::kCmdReadFailed;

    FirstFailure f;
    f.Note(channel.OpenConfig());
    hid::proto::DeviceInfo info;
    const bool infoOk = f.Note(channel.ReadDeviceInfo(info)) == hid::kCmdOk;
    if (infoOk) state.deviceInfo = info;
    const int keyCount = state.deviceInfo.keyCount();
    if (!channel.SetDataSize(static_cast<uint16_t>(keyCount * 3))) {
        // A key count the channel cannot carry: nothing to read, but leave the device out of config mode.
        channel.CloseConfig();
        return f.Note(hid::kCmdReadFailed);
    }
    std::array<uint8_t, kKeyMapMirrorSize> keyMap{};
    const bool mapOk = f.Note(channel.ReadKeyMap(keyMap.data())) == hid::kCmdOk;
    f.Note(channel.CloseConfig());

    if (infoOk && mapOk && keyCount > 0) {
        std::copy_n(keyMap.begin(), static_cast<size_t>(keyCount) * 3, state.keyMapMirror.begin());
        state.keyMapRead = true;
        state.keyIndexMap = BuildKeyIndexMap(state.keyMapMirror.data(), state.keyMapMirror.size(), keyCount);
    }
    return f.result;
}

bool ReadConfigBlock(CHidChannel& channel, MouseDeviceState& state, uint8_t& activeProfile, MouseReadBack& out) {
    if (!channel.opened) return false;
    if (!MouseOnline(channel)) return false;
    uint8_t p = 0;
    if (channel.ReadBlock(&p, 1, 0) != hid::kCmdOk) return false;
    const size_t length = channel.wireless ? kBlockReadLengthWireless : kBlockReadLength;
    std::array<uint8_t, kBlockMirrorSize> block{};
    if (channel.ReadBlock(block.data(), length, static_cast<uint16_t>(p * kBlockStride)) != hid::kCmdOk) return false;
    state.blockMirror = block;
    activeProfile = p;
    out = ParseMouseConfigBlock(block.data(), length);
    return true;
}

void StoreLightInfo(profiles::CBasicProfiledata& profile, const profiles::LightSetting& l) {
    const uint32_t a = l.mode | (l.brightness << 8) | (l.speed << 16) | (static_cast<uint32_t>(l.direction) << 24);
    const uint32_t b = l.multiColor | (l.red << 8) | (l.green << 16) | (static_cast<uint32_t>(l.blue) << 24);
    const uint32_t c = l.extra0 | (l.extra1 << 8) | (l.valid << 16);
    profile.SetLightInfo(a, b, c);
}

bool SyncFromDevice(CHidChannel& channel, MouseDeviceState& state, profiles::CMouseProfiledata& profile,
                    profiles::LightSetting& lightInfo, int& activeProfile) {
    uint8_t p = 0;
    MouseReadBack rb;
    if (!ReadConfigBlock(channel, state, p, rb)) return false;
    lightInfo = MergeReadBack(lightInfo, rb);
    StoreLightInfo(profile, lightInfo);
    profile.SetActiveStage(rb.activeStage);
    profile.Save();
    activeProfile = p;
    return true;
}

int WriteConfig(CHidChannel& channel, const MouseConfigValues& values, int profile, int activeProfile,
                int screenWidth) {
    const ConfigBlock b = BuildMouseConfigBlock(values, static_cast<uint8_t>(activeProfile), screenWidth,
                                                channel.wireless);
    const auto offset = static_cast<uint16_t>(std::max(profile, 0) * kBlockStride);
    FirstFailure f;
    if (!MouseOnline(channel)) return hid::kCmdReadFailed;
    f.Note(channel.OpenConfig());
    if (!MouseOnline(channel)) return hid::kCmdReadFailed;
    f.Note(channel.WriteBlock(b.data(), b.size(), offset));
    if (!MouseOnline(channel)) return hid::kCmdReadFailed;
    f.Note(channel.CloseConfig());
    return f.result;
}

int WriteKeyAssignments(CHidChannel& channel, MouseDeviceState& state, int bank,
                        const std::vector<profiles::KeyAssignment>& keyList) {
    if (!state.keyMapRead) return hid::kCmdReadFailed;
    FirstFailure f;
    if (channel.opened) {
        if (!MouseOnline(channel)) return hid::kCmdReadFailed;
        hid::proto::DeviceInfo info;
        if (f.Note(channel.ReadDeviceInfo(info)) == hid::kCmdOk) state.deviceInfo = info;
    }
    // WriteKeyMap sends dataSize bytes, so the image is exactly that long.
    const std::vector<uint8_t> image = BuildKeyMapImage(state.keyMapMirror.data(), state.keyMapMirror.size(),
                                                        channel.dataSize, state.keyIndexMap, keyList);
    if (!MouseOnline(channel)) return hid::kCmdReadFailed;
    f.Note(channel.OpenConfig());
    if (!MouseOnline(channel)) return hid::kCmdReadFailed;
    f.Note(channel.WriteKeyMap(image.data(), static_cast<unsigned>(std::max(bank, 0))));
    if (!MouseOnline(channel)) return hid::kCmdReadFailed;
    f.Note(channel.CloseConfig());
    return f.result;
}

int WriteMacros(CHidChannel& channel, MouseDeviceState& state, const std::string& folder) {
    FirstFailure f;
    if (!MouseOnline(channel)) return kMacrosOffline;
    hid::proto::DeviceInfo info;
    if (f.Note(channel.ReadDeviceInfo(info)) == hid::kCmdOk) state.deviceInfo = info;

    const macros::MacroImageInput input =
        macros::ReadMacroImageInput(folder, devices::MacroCapacityFromInfo(state.deviceInfo.macroMemoryUnits()));
    // A failed command result of 0 would read as success here, where 0 means "written".
    auto failure = [&] { return f.result == hid::kCmdReadFailed ? kMacrosOffline : f.result; };
    switch (input.status) {
    case macros::MacroImageStatus::IndexMissing:
    case macros::MacroImageStatus::IndexUnreadable:
        return f.result != hid::kCmdOk ? failure() : kMacroListUnreadable;
    case macros::MacroImageStatus::EmptyList:
        return f.result != hid::kCmdOk ? failure() : kMacrosWritten;
    case macros::MacroImageStatus::TooLarge:
        return f.result != hid::kCmdOk ? failure() : input.eventsToRemove;
    case macros::MacroImageStatus::Ok:
        break;
    }
    const std::vector<uint8_t> image = devices::BuildMacroImage(ToImageMacros(input.macros));
    if (image.empty()) return kMacrosOffline;

    if (!MouseOnline(channel)) return kMacrosOffline;
    f.Note(channel.OpenConfig());
    if (!MouseOnline(channel)) return kMacrosOffline;
    f.Note(channel.WriteMacroImage(image.data(), image.size()));
    if (!MouseOnline(channel)) return kMacrosOffline;
    f.Note(channel.CloseConfig());
    return f.result == hid::kCmdOk ? kMacrosWritten : failure();
}

} // namespace devices::mouse
