#include "profiles/ProfileData.h"

#include "profiles/ProfileId.h"

#include <algorithm>

namespace profiles {

namespace {

uint8_t Byte(const Json::Value& v) { return static_cast<uint8_t>(JsonInt(v)); }
uint16_t Half(const Json::Value& v) { return static_cast<uint16_t>(JsonInt(v)); }

std::string FolderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

} // namespace

// ---- CBasicProfiledata ----------------------------------------------------

bool CBasicProfiledata::Save() { return SaveDevice(root_, profilePath_); }

bool CBasicProfiledata::SaveDevice(const Json::Value& value, const std::string& path) {
    if (path.empty()) return false;
    Json::Value file = jsonFile_.Read(path);
    PutAt(Put(file, "Device"), deviceIndex_) = value;
    return jsonFile_.Write(path, file) == 0;
}

bool CBasicProfiledata::WriteFile(const Json::Value& value, const std::string& path) {
    if (path.empty()) return false;
    return jsonFile_.Write(path, value) == 0;
}

void CBasicProfiledata::SetProfilePath(const std::string& path) {
    if (!path.empty()) profilePath_ = path;
}

void CBasicProfiledata::SetDefaultDataPath(const std::string& path) {
    if (!path.empty()) defaultDataPath_ = path;
}

Json::Value CBasicProfiledata::Load(const std::string& path) {
    Json::Value file = jsonFile_.Read(path);
    root_ = TouchAt(Touch(file, "Device"), deviceIndex_);
    if (root_.isNull()) {
        const Json::Value defaults = jsonFile_.Read(defaultDataPath_);
        root_ = GetAt(Get(defaults, "Device"), deviceIndex_);
        if (!path.empty()) {
            PutAt(Put(file, "Device"), deviceIndex_) = root_;
            jsonFile_.Write(path, file);
        }
    }
    return root_;
}

Json::Value CBasicProfiledata::LoadLightConfig(const std::string& path) {
    lightConfig_ = jsonFile_.Read(path);
    return lightConfig_;
}

LightSetting CBasicProfiledata::GetLightInfo() {
    lightInfo_ = LightSetting{};
    if (root_.isNull() || !root_.isObject() || !root_.isMember("LightInfo")) return lightInfo_;
    Json::Value& li = root_["LightInfo"];
    lightInfo_.mode = Byte(Touch(li, "SelectItem"));
    lightInfo_.brightness = Byte(Touch(li, "Light"));
    lightInfo_.speed = Byte(Touch(li, "Speed"));
    lightInfo_.multiColor = JsonBool(Touch(li, "MultiColor")) ? 1 : 0;
    lightInfo_.red = Byte(Touch(li, "Red"));
    lightInfo_.green = Byte(Touch(li, "Green"));
    lightInfo_.blue = Byte(Touch(li, "Blue"));
    lightInfo_.direction = Byte(Touch(li, "Fx"));
    return lightInfo_;
}

void CBasicProfiledata::SetLightInfo(uint32_t a, uint32_t b, uint32_t c) {
    lightInfo_.mode = static_cast<uint8_t>(a);
    lightInfo_.brightness = static_cast<uint8_t>(a >> 8);
    lightInfo_.speed = static_cast<uint8_t>(a >> 16);
    lightInfo_.direction = static_cast<uint8_t>(a >> 24);
    lightInfo_.multiColor = static_cast<uint8_t>(b);
    lightInfo_.red = static_cast<uint8_t>(b >> 8);
    lightInfo_.green = static_cast<uint8_t>(b >> 16);
    lightInfo_.blue = static_cast<uint8_t>(b >> 24);
    lightInfo_.extra0 = static_cast<uint8_t>(c);
    lightInfo_.extra1 = static_cast<uint8_t>(c >> 8);
    lightInfo_.valid = static_cast<uint8_t>(c >> 16);

    Json::Value li(Json::objectValue);
    li["SelectItem"] = lightInfo_.mode;
    li["Light"] = lightInfo_.brightness;
    li["Speed"] = lightInfo_.speed;
    li["MultiColor"] = lightInfo_.multiColor ? 1 : 0;
    li["Red"] = lightInfo_.red;
    li["Green"] = lightInfo_.green;
    li["Blue"] = lightInfo_.blue;
    li["Fx"] = lightInfo_.direction;
    Put(root_, "LightInfo") = li;
}

std::vector<LightSetting> CBasicProfiledata::GetLightList() {
    std::vector<LightSetting> out;
    if (!root_.isNull()) {
        Json::Value& list = Touch(root_, "LightList");
        const unsigned n = JsonArraySize(list);
        out.resize(n);
        for (unsigned i = 0; i < n; ++i) {
            Json::Value& e = list[i];
            LightSetting& s = out[i];
            if (e.isNull()) continue;  // all zeros, valid 0
            s.valid = 1;
            s.mode = Byte(Touch(e, "LEDREGMode"));
            s.brightness = Byte(Touch(e, "LEDBrightness"));
            s.speed = Byte(Touch(e, "LEDSpeed"));
            s.multiColor = JsonBool(Touch(e, "LEDMultiColor")) ? 1 : 0;
            s.direction = JsonBool(Touch(e, "LEDDirection")) ? 1 : 0;
            s.blue = Byte(Touch(e, "blue"));
            s.green = Byte(Touch(e, "green"));
            s.red = Byte(Touch(e, "red"));
        }
    }
    lightList_ = out;
    return out;
}

std::vector<LedEffectStep> CBasicProfiledata::GetCustomEffects() {
    std::vector<LedEffectStep> out;
    if (!lightConfig_.isNull()) {
        const Json::Value& entry =
            GetAt(GetAt(Get(lightConfig_, "LightInfo"), deviceIndex_), lightInfo_.mode);
        const std::string guid = JsonString(Get(entry, "Guid"));
        // The Guid becomes a file name: only plain IDs, looked up beside the
        // light configuration first and then in the working folder.
        if (IsSafeId(guid)) {
            Json::Value effect;
            const std::string folder = FolderOf(lightConfigPath_);
            if (!folder.empty()) effect = jsonFile_.Read(folder + guid + ".light");
            if (effect.isNull()) effect = jsonFile_.Read(guid + ".light");
            const Json::Value& steps = Get(effect, "LEDEffectList");
            const unsigned n = JsonArraySize(steps);
            out.resize(n);
            for (unsigned i = 0; i < n; ++i) {
                const Json::Value& e = steps[i];
                LedEffectStep& s = out[i];
                s.light.mode = Byte(Get(e, "LEDREGMode"));
                s.light.direction = Byte(Get(e, "LEDDirection"));
                s.light.brightness = Byte(Get(e, "LEDBrightness"));
                s.light.speed = Byte(Get(e, "LEDSpeed"));
                s.light.multiColor = Byte(Get(e, "LEDMultiColor"));
                s.light.red = Byte(Get(e, "red"));
                s.light.green = Byte(Get(e, "green"));
                s.light.blue = Byte(Get(e, "blue"));
                s.time = JsonInt(Get(e, "Time"));
                s.cycle = JsonInt(Get(e, "Cyle"));
            }
        }
    }
    customEffects_ = out;
    return out;
}

std::vector<KeyAssignment> CBasicProfiledata::GetKeyList() {
    std::vector<KeyAssignment> out;
    if (!root_.isNull()) {
        Json::Value& list = Touch(root_, "KeyList");
        const unsigned n = JsonArraySize(list);
        out.reserve(n);
        for (unsigned i = 0; i < n; ++i) {
            Json::Value& e = list[i];
            const auto index = static_cast<uint16_t>(i);
            out.push_back({KeyHalf::FromValue(index, JsonInt(Touch(e, "Assignment"))),
                           KeyHalf::FromValue(index, JsonInt(Touch(e, "DefaultAssignment")))});
        }
    }
    keyList_ = out;
    return out;
}

void CBasicProfiledata::SetKeyList(const std::vector<KeyAssignment>& v) {
    keyList_ = v;
    const int n = static_cast<int>(std::min<size_t>(v.size(), kMaxJsonIndex + 1));
    for (int i = 0; i < n; ++i)
        Put(PutAt(Put(root_, "KeyList"), i), "Assignment") = v[i].current.Value();
}

// ---- CMouseProfiledata ----------------------------------------------------

std::vector<DpiStage> CMouseProfiledata::GetDpiStages() {
    if (root_.isObject() && root_.isMember("DPIStages")) {
        Json::Value& ds = root_["DPIStages"];
        activeStage_ = JsonInt(Touch(ds, "StageActive"));
        Json::Value& list = Touch(ds, "StageDPIs");
        if (!list.isNull()) {
            const unsigned n = JsonArraySize(list);
            for (unsigned j = 0; j < n; ++j) {
                Json::Value& e = list[j];
                DpiStage s;
                s.active = Byte(Touch(e, "StageActive"));
                s.xy = Byte(Touch(e, "StageXY"));
                s.dpiX = Half(Touch(e, "StageDPIX"));
                s.dpiY = Half(Touch(e, "StageDPIY"));
                s.colorR = Byte(Touch(e, "StageColorR"));
                s.colorG = Byte(Touch(e, "StageColorG"));
                s.colorB = Byte(Touch(e, "StageColorB"));
                if (j < dpiStages_.size()) dpiStages_[j] = s;
                else dpiStages_.push_back(s);
            }
        }
    }
    return dpiStages_;
}

void CMouseProfiledata::SetDpiStages(const std::vector<DpiStage>& v) {
    dpiStages_ = v;
    const int n = static_cast<int>(std::min<size_t>(v.size(), kMaxJsonIndex + 1));
    for (int i = 0; i < n; ++i) {
        Json::Value& e = PutAt(Put(Put(root_, "DPIStages"), "StageDPIs"), i);
        Put(e, "StageActive") = v[i].active;
        Put(e, "StageColorB") = v[i].colorB;
        Put(e, "StageColorG") = v[i].colorG;
        Put(e, "StageColorR") = v[i].colorR;
        Put(e, "StageXY") = v[i].xy;
        Put(e, "StageDPIX") = v[i].dpiX;
        Put(e, "StageDPIY") = v[i].dpiY;
    }
}

void CMouseProfiledata::SetActiveStage(int n) {
    activeStage_ = n;
    Put(Put(root_, "DPIStages"), "StageActive") = n;
}

SystemWords CMouseProfiledata::GetSystemSettings() {
    system_ = SystemWords{};
    if (!root_.isObject() || !root_.isMember("SystemStages")) return system_;
    Json::Value& ss = root_["SystemStages"];
    auto low = [](const Json::Value& v) { return static_cast<uint32_t>(JsonInt(v)) & 0xFFFFu; };
    system_.system1 = low(Touch(ss, "MouseSpeed")) << 16 | low(Touch(ss, "DoubleClickTime"));
    system_.system2 = low(Touch(ss, "ScorllPage")) << 16 | low(Touch(ss, "PointerPrecision"));
    system_.system3 = low(Touch(ss, "WheelScorlllinse"));
    Json::Value& rs = Touch(root_, "ReportStages");
    if (!rs.isNull()) system_.system3 |= low(Touch(rs, "StageActive")) << 16;
    return system_;
}

void CMouseProfiledata::SetSystemSettings(uint32_t w1, uint32_t w2, uint32_t w3) {
    system_ = {w1, w2, w3};
    Json::Value& ss = Put(root_, "SystemStages");
    Put(ss, "DoubleClickTime") = w1 & 0xFFFFu;
    Put(ss, "MouseSpeed") = w1 >> 16;
    Put(ss, "PointerPrecision") = w2 & 0xFFFFu;
    Put(ss, "ScorllPage") = w2 >> 16;
    Put(ss, "WheelScorlllinse") = w3 & 0xFFFFu;
    Put(Put(root_, "ReportStages"), "StageActive") = w3 >> 16;
}

// ---- CKeyboardProfiledata -------------------------------------------------

SystemWords CKeyboardProfiledata::GetSystemSettings() {
    system_ = SystemWords{};
    if (!root_.isObject() || !root_.isMember("SystemStages")) return system_;
    Json::Value& ss = root_["SystemStages"];
    auto low = [](const Json::Value& v) { return static_cast<uint32_t>(JsonInt(v)) & 0xFFFFu; };
    system_.system1 = low(Touch(ss, "RepeatDelay")) << 16 | low(Touch(ss, "Repeat"));
    system_.system2 = low(Touch(ss, "PollingRate")) << 16 | low(Touch(ss, "Key6Flag"));
    system_.system3 = low(Touch(ss, "WinFlag")) << 16 | low(Touch(ss, "WFlag"));
    return system_;
}

void CKeyboardProfiledata::SetSystemSettings(uint32_t w1, uint32_t w2, uint32_t w3) {
    system_ = {w1, w2, w3};
    Json::Value& ss = Put(root_, "SystemStages");
    Put(ss, "Repeat") = w1 & 0xFFFFu;
    Put(ss, "RepeatDelay") = w1 >> 16;
    Put(ss, "Key6Flag") = w2 & 0xFFFFu;
    Put(ss, "PollingRate") = w2 >> 16;
    Put(ss, "WFlag") = w3 & 0xFFFFu;
    Put(ss, "WinFlag") = w3 >> 16;
}

std::vector<ColorRGBA> CKeyboardProfiledata::GetCustomColors(int group, int count) {
    count = std::clamp(count, 0, kMaxJsonIndex + 1);
    std::vector<ColorRGBA> out(static_cast<size_t>(count));
    if (group < 0 || group > kMaxJsonIndex) {
        customColors_ = out;
        return out;
    }
    auto zero = [](Json::Value& c) {
        Put(c, "Red") = 0;
        Put(c, "Green") = 0;
        Put(c, "Blue") = 0;
        Put(c, "Alpha") = 0;
    };
    Json::Value& list = TouchAt(Touch(Touch(root_, "CustomLightMode"), "LightColorInfo"), group);
    if (list.isNull()) {
        for (int i = 0; i < count; ++i) zero(PutAt(list, i));
    } else {
        for (int i = 0; i < count; ++i) {
            Json::Value& e = TouchAt(list, i);
            if (e.isNull()) {
                zero(PutAt(list, i));
                continue;
            }
            out[i] = {Byte(Touch(e, "Red")), Byte(Touch(e, "Green")), Byte(Touch(e, "Blue")),
                      Byte(Touch(e, "Alpha"))};
        }
    }
    customColors_ = out;
    return out;
}

void CKeyboardProfiledata::SetCustomColors(const std::vector<ColorRGBA>& v, int group) {
    customColors_ = v;
    if (group < 0 || group > kMaxJsonIndex) return;
    const int n = static_cast<int>(std::min<size_t>(v.size(), kMaxJsonIndex + 1));
    Json::Value& list = PutAt(Put(Put(root_, "CustomLightMode"), "LightColorInfo"), group);
    for (int i = 0; i < n; ++i) {
        Json::Value& c = PutAt(list, i);
        Put(c, "Red") = v[i].red;
        Put(c, "Green") = v[i].green;
        Put(c, "Blue") = v[i].blue;
        Put(c, "Alpha") = v[i].alpha;
    }
}

int CKeyboardProfiledata::GetCustomGroup() {
    customGroup_ = JsonInt(Touch(Touch(root_, "CustomLightMode"), "CustomLightModeGroupIndex"));
    return customGroup_;
}

void CKeyboardProfiledata::SetCustomGroup(int n) {
    customGroup_ = n;
    Put(Put(root_, "CustomLightMode"), "CustomLightModeGroupIndex") = n;
}

// ---- CRi6533Profiledata ---------------------------------------------------

namespace {
constexpr const char* kStageKeys[8] = {"MagicEnable", "MagicType",  "EqType",           "CustomEqSeletIndex",
                                       "MicInSelect", "MicInValue", "MicMoniterSelect", "MicMoniterValue"};
constexpr int kBands = 10;
} // namespace

HeadsetStages CRi6533Profiledata::GetSystemSetStages() {
    stages_ = HeadsetStages{};
    if (!root_.isObject() || !root_.isMember("SystemSetStages")) return stages_;
    Json::Value& s = root_["SystemSetStages"];
    int32_t* fields[8] = {&stages_.magicEnable, &stages_.magicType,  &stages_.eqType,
                          &stages_.customEqSelectIndex, &stages_.micInSelect, &stages_.micInValue,
                          &stages_.micMonitorSelect, &stages_.micMonitorValue};
    for (int i = 0; i < 8; ++i) *fields[i] = JsonInt(Touch(s, kStageKeys[i]));
    return stages_;
}

void CRi6533Profiledata::SetSystemSetStages(const HeadsetStages& v) {
    stages_ = v;
    const int32_t values[8] = {v.magicEnable, v.magicType,  v.eqType,           v.customEqSelectIndex,
                               v.micInSelect, v.micInValue, v.micMonitorSelect, v.micMonitorValue};
    Json::Value& s = Put(root_, "SystemSetStages");
    for (int i = 0; i < 8; ++i) Put(s, kStageKeys[i]) = values[i];
}

int CRi6533Profiledata::EqTableIndex(int eqType) {
    if (eqType == 13) return -1;
    if (eqType >= 1 && eqType <= 12) return eqType;
    return 1;
}

std::vector<int32_t> CRi6533Profiledata::ReadBands(const char* member, int index) {
    std::vector<int32_t> out(kBands, 0);
    if (index < 0 || index > kMaxJsonIndex) return out;
    const bool missing = Get(root_, member).isNull() || GetAt(Get(root_, member), index).isNull();
    Json::Value& band = TouchAt(Touch(root_, member), index);
    for (int i = 0; i < kBands; ++i) {
        if (missing) Put(PutAt(band, i), "value") = 0;
        else out[i] = JsonInt(Touch(TouchAt(band, i), "value"));
    }
    return out;
}

void CRi6533Profiledata::WriteBands(const char* member, int index, const std::vector<int32_t>& v) {
    if (index < 0 || index > kMaxJsonIndex) return;
    const int n = std::min<int>(kBands, static_cast<int>(v.size()));
    Json::Value& band = PutAt(Put(root_, member), index);
    for (int i = 0; i < n; ++i) Put(PutAt(band, i), "value") = v[i];
}

std::vector<int32_t> CRi6533Profiledata::GetEqValues(int eqType) {
    const int index = EqTableIndex(eqType);
    if (index < 0) return {};
    return ReadBands("EQHzValueInfo", index);
}

void CRi6533Profiledata::SetEqValues(int eqType, const std::vector<int32_t>& v) {
    const int index = EqTableIndex(eqType);
    if (index >= 0) WriteBands("EQHzValueInfo", index, v);
}

std::vector<int32_t> CRi6533Profiledata::GetCustomEqValues(int slot) {
    return ReadBands("CustomEQHzValueInfo", slot);
}

void CRi6533Profiledata::SetCustomEqValues(int slot, const std::vector<int32_t>& v) {
    WriteBands("CustomEQHzValueInfo", slot, v);
}

std::vector<std::string> CRi6533Profiledata::GetCustomEqNames() {
    std::vector<std::string> out;
    if (root_.isNull()) return out;
    Json::Value& list = Touch(root_, "CustomEQNameInfo");
    const unsigned n = JsonArraySize(list);
    for (unsigned i = 0; i < n; ++i) out.push_back(JsonString(Touch(list[i], "Name")));
    return out;
}

void CRi6533Profiledata::SetCustomEqNames(const std::vector<std::string>& names) {
    Json::Value list(Json::arrayValue);
    for (const auto& name : names) {
        Json::Value e(Json::objectValue);
        e["Name"] = name;
        list.append(e);
    }
    Put(root_, "CustomEQNameInfo") = list;
}

} // namespace profiles
