#pragma once
// In-memory view of one device's settings object ("Device"[deviceIndex] of
// the selected profile file), with typed getters and setters per family.
#include "profiles/JsonFile.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace profiles {

// 11-byte lighting record: the current setting ("LightInfo") or one per-LED
// record ("LightList").
struct LightSetting {
    uint8_t mode = 0;
    uint8_t brightness = 0;
    uint8_t speed = 0;
    uint8_t direction = 0;
    uint8_t multiColor = 0;
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t extra0 = 0;  // current setting: memory only; list entry: 0
    uint8_t extra1 = 0;
    uint8_t valid = 0;   // list entry: 1 when the file has the entry; current setting: memory only
    bool operator==(const LightSetting&) const = default;
};
static_assert(sizeof(LightSetting) == 11);

// One step of a user light effect (".light" file).
struct LedEffectStep {
    LightSetting light;
    int32_t time = 0;
    int32_t cycle = 0;
    bool operator==(const LedEffectStep&) const = default;
};

// One half of a key assignment; in files b2 * 65536 + b1 * 256 + b0.
struct KeyHalf {
    uint16_t keyIndex = 0;
    uint8_t b2 = 0;  // function class
    uint8_t b1 = 0;
    uint8_t b0 = 0;
    int32_t Value() const { return b2 * 65536 + b1 * 256 + b0; }
    static KeyHalf FromValue(uint16_t index, int32_t v) {
        return {index, static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 8),
                static_cast<uint8_t>(v)};
    }
    bool operator==(const KeyHalf&) const = default;
};

struct KeyAssignment {
    KeyHalf current;
    KeyHalf defaults;
    bool operator==(const KeyAssignment&) const = default;
};

struct DpiStage {
    uint8_t active = 0;  // 1 when the stage is enabled
    uint8_t xy = 0;
    uint16_t dpiX = 0;   // low byte: DPI index
    uint16_t dpiY = 0;
    uint8_t colorR = 0;
    uint8_t colorG = 0;
    uint8_t colorB = 0;
    bool operator==(const DpiStage&) const = default;
};

struct ColorRGBA {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t alpha = 0;
    bool operator==(const ColorRGBA&) const = default;
};

// Three 32-bit words of two 16-bit halves each (low half first).
struct SystemWords {
    uint32_t system1 = 0;
    uint32_t system2 = 0;
    uint32_t system3 = 0;
    bool operator==(const SystemWords&) const = default;
};

// Headset "SystemSetStages", in this order.
struct HeadsetStages {
    int32_t magicEnable = 0;
    int32_t magicType = 0;
    int32_t eqType = 0;
    int32_t customEqSelectIndex = 0;
    int32_t micInSelect = 0;
    int32_t micInValue = 0;
    int32_t micMonitorSelect = 0;
    int32_t micMonitorValue = 0;
    bool operator==(const HeadsetStages&) const = default;
};

class CBasicProfiledata {
public:
    CBasicProfiledata() = default;
    virtual ~CBasicProfiledata() = default;

    // Persistence. Save writes root into "Device"[deviceIndex] of profilePath.
    virtual bool Save();
    // Read-modify-write: every other member of the file survives.
    virtual bool SaveDevice(const Json::Value& value, const std::string& path);
    // value becomes the whole file.
    virtual bool WriteFile(const Json::Value& value, const std::string& path);

    void SetProfilePath(const std::string& path);
    std::string GetProfilePath() const { return profilePath_; }
    void SetDefaultDataPath(const std::string& path);
    std::string GetDefaultDataPath() const { return defaultDataPath_; }
    void SetLightConfigPath(const std::string& path) { lightConfigPath_ = path; }
    std::string GetLightConfigPath() const { return lightConfigPath_; }
    void SetDeviceIndex(int index) { deviceIndex_ = index; }
    int GetDeviceIndex() const { return deviceIndex_; }

    // Loads root from the profile file at path; a missing settings object is
    // taken from the default-data file and written into the profile file.
    Json::Value Load(const std::string& path);
    Json::Value LoadLightConfig(const std::string& path);

    LightSetting GetLightInfo();
    // a: mode, brightness, speed, direction (low byte up); b: multiColor, red,
    // green, blue; c: the three memory-only bytes.
    void SetLightInfo(uint32_t a, uint32_t b, uint32_t c);
    std::vector<LightSetting> GetLightList();
    std::vector<LedEffectStep> GetCustomEffects();
    std::vector<KeyAssignment> GetKeyList();
    // Rewrites "Assignment" of the first v.size() entries; "DefaultAssignment"
    // and any further entries of the file stay as they are.
    void SetKeyList(const std::vector<KeyAssignment>& v);

    const Json::Value& Root() const { return root_; }
    Json::Value& Root() { return root_; }

protected:
    std::string profilePath_;
    std::string defaultDataPath_;
    LightSetting lightInfo_;
    std::vector<LightSetting> lightList_;
    Json::Value root_;
    JsonFile jsonFile_;
    std::string lightConfigPath_;
    std::vector<LedEffectStep> customEffects_;
    Json::Value lightConfig_;
    std::vector<KeyAssignment> keyList_;
    int deviceIndex_ = 0;
};

class CMouseProfiledata : public CBasicProfiledata {
public:
    // Merges the file's stages into the cache; cached stages beyond the
    // file's count are kept.
    std::vector<DpiStage> GetDpiStages();
    void SetDpiStages(const std::vector<DpiStage>& v);
    int GetActiveStage() const { return activeStage_; }
    void SetActiveStage(int n);
    SystemWords GetSystemSettings();
    void SetSystemSettings(uint32_t w1, uint32_t w2, uint32_t w3);

private:
    std::vector<DpiStage> dpiStages_;
    int32_t activeStage_ = 0;
    SystemWords system_;
};

class CKeyboardProfiledata : public CBasicProfiledata {
public:
    SystemWords GetSystemSettings();
    void SetSystemSettings(uint32_t w1, uint32_t w2, uint32_t w3);
    // Missing colours of the group are written as zeros.
    std::vector<ColorRGBA> GetCustomColors(int group, int count);
    void SetCustomColors(const std::vector<ColorRGBA>& v, int group);
    int GetCustomGroup();
    void SetCustomGroup(int n);

private:
    SystemWords system_;
    std::vector<ColorRGBA> customColors_;
    int32_t customGroup_ = 0;
};

class CRi6533Profiledata : public CBasicProfiledata {
public:
    HeadsetStages GetSystemSetStages();
    void SetSystemSetStages(const HeadsetStages& s);
    // eqType 1..12 address their table, 0 and anything above 13 (or negative)
    // table 1, and 13 (custom) none: an empty result, and no write.
    std::vector<int32_t> GetEqValues(int eqType);
    void SetEqValues(int eqType, const std::vector<int32_t>& v);
    std::vector<std::string> GetCustomEqNames();
    void SetCustomEqNames(const std::vector<std::string>& names);
    std::vector<int32_t> GetCustomEqValues(int slot);
    void SetCustomEqValues(int slot, const std::vector<int32_t>& v);

    // Table of "EQHzValueInfo" used for eqType, or -1 for none.
    static int EqTableIndex(int eqType);

private:
    std::vector<int32_t> ReadBands(const char* member, int index);
    void WriteBands(const char* member, int index, const std::vector<int32_t>& v);

    HeadsetStages stages_;
};

} // namespace profiles
