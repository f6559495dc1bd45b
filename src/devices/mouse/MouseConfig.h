#pragma once
// The mouse's per-profile configuration block and the DPI/report-rate values
// behind it: pure functions from profile values to bytes and back.
#include "devices/mouse/MouseTables.h"
#include "profiles/ProfileData.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace devices::mouse {

// What WriteConfig takes from the profile.
struct MouseConfigValues {
    std::vector<profiles::DpiStage> stages;  // missing stages are written as index 0
    profiles::SystemWords system;            // report-rate index in the high half of word 3
    int activeStage = 0;
    profiles::LightSetting light;
};

// Reads the four getters of the profile (they also refresh its caches).
MouseConfigValues ConfigValuesFromProfile(profiles::CMouseProfiledata& profile);

using ConfigBlock = std::array<uint8_t, kBlockWriteLength>;

// The 75-byte block. Byte 3 carries 4 - speed on a wired mouse and the speed
// itself over the receiver; byte 22 is the high byte of the screen width.
ConfigBlock BuildMouseConfigBlock(const MouseConfigValues& values, uint8_t activeProfile, int screenWidth,
                                  bool wireless);

// The values the program takes back from a block read from the mouse. Bytes are
// kept as read; use the Clamp helpers before one indexes a table.
struct MouseReadBack {
    uint8_t effect = 0;
    uint8_t brightness = 0;
    uint8_t speed = 0;  // 4 - byte 3, 8-bit
    uint8_t multiColour = 0;
    uint8_t red = 0, green = 0, blue = 0;
    uint8_t activeStage = 0;
};

// length below 20 bytes gives nothing useful; the caller passes a whole read.
MouseReadBack ParseMouseConfigBlock(const uint8_t* block, size_t length);

// The lighting record after a read-back: everything from the block except the
// direction, which the block does not carry back, and the memory-only bytes.
profiles::LightSetting MergeReadBack(const profiles::LightSetting& current, const MouseReadBack& readBack);

// Table indexes from device or profile bytes (the bytes themselves stay as they are).
constexpr int ClampLevel(int v) { return v < 0 ? 0 : (v > 4 ? 4 : v); }  // brightness/speed tables
constexpr int ClampStage(int v) { return v < 0 || v >= kStageCount ? 0 : v; }
constexpr int ClampReportRate(int v) { return v < 0 || v >= kReportRateOptions ? 0 : v; }

// --- DPI -------------------------------------------------------------------------

// The DPI shown for slider index i: i * step + 200 up to 48, then 200 per index.
int DpiForIndex(int index, uint8_t step);
// A typed DPI back to an index with the fixed 100/200 steps; below the device's
// minimum it is raised to it first. The result fits the stage's index byte.
int IndexForTypedDpi(int dpi, uint16_t minDpi);

// Stage helpers; a stage outside 0..5 is ignored (false / 0).
bool IsStageEnabled(const std::vector<profiles::DpiStage>& stages, int stage);
int EnabledStageCount(const std::vector<profiles::DpiStage>& stages);
// Turning the last enabled stage off is refused (false), so one stage stays on.
bool SetStageEnabled(std::vector<profiles::DpiStage>& stages, int stage, bool on);
// Index in the low byte of "StageDPIX"; the stage table grows to six entries if needed.
bool SetStageDpi(std::vector<profiles::DpiStage>& stages, int stage, int index);
int GetStageDpi(const std::vector<profiles::DpiStage>& stages, int stage);
int GetStageDpiEdit(const std::vector<profiles::DpiStage>& stages, int stage, uint8_t step);

// Report-rate index lives in the high half of system word 3.
int GetReportRate(const profiles::SystemWords& system);
void SetReportRate(profiles::SystemWords& system, int index);

} // namespace devices::mouse
