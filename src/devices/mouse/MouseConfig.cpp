#include "devices/mouse/MouseConfig.h"

#include <algorithm>

namespace devices::mouse {

MouseConfigValues ConfigValuesFromProfile(profiles::CMouseProfiledata& profile) {
    MouseConfigValues v;
    v.stages = profile.GetDpiStages();
    v.system = profile.GetSystemSettings();
    v.activeStage = profile.GetActiveStage();
    v.light = profile.GetLightInfo();
    return v;
}

ConfigBlock BuildMouseConfigBlock(const MouseConfigValues& values, uint8_t activeProfile, int screenWidth,
                                  bool wireless) {
    ConfigBlock b{};
    const auto& light = values.light;
    b[block::kActiveProfile] = activeProfile;
    b[block::kEffect] = light.mode > kMaxEffect ? 0 : light.mode;
    b[block::kBrightness] = light.brightness;
    // The firmware counts speed downwards; the receiver inverts it once more on its way.
    const uint8_t inverted = static_cast<uint8_t>(4 - light.speed);
    b[block::kSpeed] = wireless ? static_cast<uint8_t>(4 - inverted) : inverted;
    b[block::kDirection] = light.direction;
    b[block::kMultiColour] = light.mode == kEffectRipple ? 0 : light.multiColor;
    b[block::kRed] = light.red;
    b[block::kGreen] = light.green;
    b[block::kBlue] = light.blue;
    b[block::kReportRate] = static_cast<uint8_t>(GetReportRate(values.system));
    for (int s = 0; s < kStageCount; ++s)
        b[block::kStageIndex[s]] = static_cast<uint8_t>(GetStageDpi(values.stages, s));
    b[block::kActiveStage] = static_cast<uint8_t>(values.activeStage);
    b[block::kScreenWidthHigh] = static_cast<uint8_t>((static_cast<unsigned>(screenWidth) >> 8) & 0xFF);
    return b;
}

MouseReadBack ParseMouseConfigBlock(const uint8_t* block, size_t length) {
    MouseReadBack r;
    if (!block) return r;
    auto at = [&](size_t i) -> uint8_t { return i < length ? block[i] : 0; };
    r.effect = at(block::kEffect);
    r.brightness = at(block::kBrightness);
    r.speed = static_cast<uint8_t>(4 - at(block::kSpeed));
    r.multiColour = at(block::kMultiColour);
    r.red = at(block::kRed);
    r.green = at(block::kGreen);
    r.blue = at(block::kBlue);
    r.activeStage = at(block::kActiveStage);
    return r;
}

profiles::LightSetting MergeReadBack(const profiles::LightSetting& current, const MouseReadBack& readBack) {
    profiles::LightSetting l = current;
    l.mode = readBack.effect;
    l.brightness = readBack.brightness;
    l.speed = readBack.speed;
    l.multiColor = readBack.multiColour;
    l.red = readBack.red;
    l.green = readBack.green;
    l.blue = readBack.blue;
    return l;
}

// --- DPI -------------------------------------------------------------------------

int DpiForIndex(int index, uint8_t step) {
    if (index <= kSliderMax) return index * step + kDpiBase;
    return index * 200 - 4600;
}

int IndexForTypedDpi(int dpi, uint16_t minDpi) {
    if (dpi < minDpi) dpi = minDpi;
    int index;
    if (dpi <= kDpiBase) index = 0;
    else if (dpi <= kTypedDpiMax) index = (dpi - kDpiBase) / 100;
    else index = (dpi - kTypedDpiMax) / 200 + kSliderMax;
    return std::min(index, 255);
}

namespace {
bool ValidStage(int stage) { return stage >= 0 && stage < kStageCount; }
}

bool IsStageEnabled(const std::vector<profiles::DpiStage>& stages, int stage) {
    return ValidStage(stage) && static_cast<size_t>(stage) < stages.size() && stages[stage].active == 1;
}

int EnabledStageCount(const std::vector<profiles::DpiStage>& stages) {
    int n = 0;
    for (int s = 0; s < kStageCount; ++s) n += IsStageEnabled(stages, s) ? 1 : 0;
    return n;
}

bool SetStageEnabled(std::vector<profiles::DpiStage>& stages, int stage, bool on) {
    if (!ValidStage(stage)) return false;
    if (!on && IsStageEnabled(stages, stage) && EnabledStageCount(stages) <= 1) return false;
    if (stages.size() < kStageCount) stages.resize(kStageCount);
    stages[stage].active = on ? 1 : 0;
    return true;
}

bool SetStageDpi(std::vector<profiles::DpiStage>& stages, int stage, int index) {
    if (!ValidStage(stage)) return false;
    if (stages.size() < kStageCount) stages.resize(kStageCount);
    auto& x = stages[stage].dpiX;
    x = static_cast<uint16_t>((x & 0xFF00u) | static_cast<uint8_t>(std::clamp(index, 0, 255)));
    return true;
}

int GetStageDpi(const std::vector<profiles::DpiStage>& stages, int stage) {
    if (!ValidStage(stage) || static_cast<size_t>(stage) >= stages.size()) return 0;
    return stages[stage].dpiX & 0xFF;
}

int GetStageDpiEdit(const std::vector<profiles::DpiStage>& stages, int stage, uint8_t step) {
    return DpiForIndex(GetStageDpi(stages, stage), step);
}

int GetReportRate(const profiles::SystemWords& system) { return static_cast<int>(system.system3 >> 16); }

void SetReportRate(profiles::SystemWords& system, int index) {
    system.system3 = (system.system3 & 0xFFFFu) | (static_cast<uint32_t>(index & 0xFFFF) << 16);
}

} // namespace devices::mouse
