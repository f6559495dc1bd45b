// Profile data model: file bytes, read-modify-write, defaults, the getters'
// quirks that stored files rely on, and the hardening of the file routines.
#include "TestFolder.h"
#include "platform/AtomicFile.h"
#include "platform/Debug.h"
#include "profiles/JsonFile.h"
#include "profiles/ProfileData.h"

#include <gtest/gtest.h>

using namespace profiles;
using testing_util::Exists;
using testing_util::Parse;
using testing_util::ReadText;
using testing_util::TestFolder;
using testing_util::WriteText;

namespace {

constexpr uint32_t Pack(uint8_t b0, uint8_t b1, uint8_t b2, uint8_t b3) {
    return b0 | (b1 << 8) | (b2 << 16) | (static_cast<uint32_t>(b3) << 24);
}

class ProfileDataTest : public ::testing::Test {
protected:
    // Writes a profile file holding one settings object and loads it.
    template <class Data>
    void LoadDevice(Data& data, const std::string& deviceJson, const std::string& extra = "") {
        WriteText(profile_, R"({"profilename":"A","profileUUID":"2019_12_11_08_05_09_042",)" + extra +
                                R"("Device":[)" + deviceJson + "]}");
        data.SetDefaultDataPath(defaults_);
        data.SetProfilePath(profile_);
        data.Load(profile_);
    }
    Json::Value SavedDevice() { return Parse(ReadText(profile_))["Device"][0]; }

    TestFolder dir_;
    std::string profile_ = dir_ / "2019_12_11_08_05_09_042.Json";
    std::string defaults_ = dir_ / "defaults.Json";
};

TEST_F(ProfileDataTest, SavedFileHasStyledBytes) {
    CBasicProfiledata data;
    LoadDevice(data, R"({"LightInfo":{"SelectItem":0}})");
    data.SetLightInfo(Pack(5, 4, 2, 1), Pack(1, 1, 2, 3), 0x090807);
    ASSERT_TRUE(data.Save());
    EXPECT_EQ(ReadText(profile_),
              "{\n"
              "   \"Device\" : [\n"
              "      {\n"
              "         \"LightInfo\" : {\n"
              "            \"Blue\" : 3,\n"
              "            \"Fx\" : 1,\n"
              "            \"Green\" : 2,\n"
              "            \"Light\" : 4,\n"
              "            \"MultiColor\" : 1,\n"
              "            \"Red\" : 1,\n"
              "            \"SelectItem\" : 5,\n"
              "            \"Speed\" : 2\n"
              "         }\n"
              "      }\n"
              "   ],\n"
              "   \"profileUUID\" : \"2019_12_11_08_05_09_042\",\n"
              "   \"profilename\" : \"A\"\n"
              "}\n");
    // The three extra bytes stay in memory only; a fresh decode clears them.
    EXPECT_EQ(data.GetLightInfo(), (LightSetting{5, 4, 2, 1, 1, 1, 2, 3, 0, 0, 0}));
}

TEST_F(ProfileDataTest, SaveKeepsMembersTheProgramDoesNotKnow) {
    CMouseProfiledata data;
    LoadDevice(data,
               R"({"Vendor":{"x":[1,2]},"KeyList":[{"Assignment":1,"DefaultAssignment":1048832}],)"
               R"("CorrectInfo":[{"CorrectName":"c","CorrectMinSq":3}]})",
               R"("cloudSync":true,)");
    auto keys = data.GetKeyList();
    keys[0].current = KeyHalf::FromValue(0, 0x130300);
    data.SetKeyList(keys);
    ASSERT_TRUE(data.Save());

    const Json::Value file = Parse(ReadText(profile_));
    EXPECT_EQ(file["cloudSync"], true);
    EXPECT_EQ(file["profilename"], "A");
    const Json::Value& device = file["Device"][0];
    EXPECT_EQ(device["Vendor"]["x"][1], 2);
    EXPECT_EQ(device["CorrectInfo"][0]["CorrectName"], "c");
    EXPECT_EQ(device["KeyList"][0]["Assignment"], 0x130300);
    EXPECT_EQ(device["KeyList"][0]["DefaultAssignment"], 1048832);
}

TEST_F(ProfileDataTest, MissingSettingsComeFromTheDefaultDataFile) {
    WriteText(defaults_, R"({"profilename":"x","Device":[{"LightInfo":{"SelectItem":3,"Light":2}}]})");
    {
        // No profile file at all: it is created holding only "Device".
        CBasicProfiledata data;
        data.SetDefaultDataPath(defaults_);
        const Json::Value root = data.Load(profile_);
        EXPECT_EQ(root["LightInfo"]["SelectItem"], 3);
        const Json::Value file = Parse(ReadText(profile_));
        EXPECT_EQ(file.getMemberNames(), std::vector<std::string>{"Device"});
        EXPECT_EQ(file["Device"][0]["LightInfo"]["Light"], 2);
    }
    {
        // A file without "Device" keeps its name and ID.
        WriteText(profile_, R"({"profilename":"Mine","profileUUID":"2020_01_01_00_00_00_000"})");
        CBasicProfiledata data;
        data.SetDefaultDataPath(defaults_);
        data.Load(profile_);
        EXPECT_EQ(data.GetLightInfo().mode, 3);
        const Json::Value file = Parse(ReadText(profile_));
        EXPECT_EQ(file["profilename"], "Mine");
        EXPECT_EQ(file["profileUUID"], "2020_01_01_00_00_00_000");
        EXPECT_EQ(file["Device"][0]["LightInfo"]["SelectItem"], 3);
    }
}

TEST_F(ProfileDataTest, AbsentMembersReadAreSavedAsNull) {
    CBasicProfiledata data;
    LoadDevice(data, R"({"LightInfo":{"SelectItem":2}})");
    EXPECT_EQ(data.GetLightInfo().direction, 0);
    data.Save();
    const Json::Value saved = SavedDevice()["LightInfo"];
    ASSERT_TRUE(saved.isMember("Fx"));
    EXPECT_TRUE(saved["Fx"].isNull());
    EXPECT_EQ(saved["SelectItem"], 2);
}

TEST_F(ProfileDataTest, LightListDecodesEntriesAndNulls) {
    CBasicProfiledata data;
    LoadDevice(data, R"({"LightList":[{"LEDREGMode":2,"LEDBrightness":3,"LEDSpeed":1,"LEDMultiColor":5,)"
                     R"("LEDDirection":true,"red":10,"green":20,"blue":300},null]})");
    const auto list = data.GetLightList();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0], (LightSetting{2, 3, 1, 1, 1, 10, 20, 300 & 0xFF, 0, 0, 1}));
    EXPECT_EQ(list[1], LightSetting{});
}

TEST_F(ProfileDataTest, SetKeyListLeavesFurtherFileEntriesAlone) {
    CBasicProfiledata data;
    LoadDevice(data, R"({"KeyList":[{"Assignment":1,"DefaultAssignment":11},)"
                     R"({"Assignment":2,"DefaultAssignment":12},{"Assignment":3,"DefaultAssignment":13}]})");
    const auto keys = data.GetKeyList();
    ASSERT_EQ(keys.size(), 3u);
    EXPECT_EQ(keys[2].defaults, (KeyHalf{2, 0, 0, 13}));
    data.SetKeyList({{KeyHalf::FromValue(0, 0x100200), KeyHalf::FromValue(0, 0x999999)}});
    data.Save();
    const Json::Value list = SavedDevice()["KeyList"];
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0]["Assignment"], 0x100200);
    EXPECT_EQ(list[0]["DefaultAssignment"], 11);  // never written
    EXPECT_EQ(list[1]["Assignment"], 2);
    EXPECT_EQ(list[2]["Assignment"], 3);
}

TEST_F(ProfileDataTest, DpiStagesMergeIntoTheCache) {
    CMouseProfiledata data;
    auto stages = [](int n) {
        std::string s = R"({"DPIStages":{"StageActive":1,"StageDPIs":[)";
        for (int i = 0; i < n; ++i)
            s += std::string(i ? "," : "") + R"({"StageActive":1,"StageDPIX":)" + std::to_string(10 + i) +
                 R"(,"StageDPIY":70000,"StageXY":0,"StageColorR":255,"StageColorG":0,"StageColorB":)" +
                 std::to_string(i) + "}";
        return s + "]}}";
    };
    LoadDevice(data, stages(6));
    ASSERT_EQ(data.GetDpiStages().size(), 6u);
    EXPECT_EQ(data.GetActiveStage(), 1);
    EXPECT_EQ(data.GetDpiStages()[0].dpiY, 70000 & 0xFFFF);

    LoadDevice(data, stages(2));
    const auto merged = data.GetDpiStages();
    ASSERT_EQ(merged.size(), 6u);  // stages 2..5 stay from the earlier profile
    EXPECT_EQ(merged[5].dpiX, 15);
    EXPECT_EQ(merged[5].colorB, 5);

    auto changed = merged;
    changed[1].dpiX = 44;
    data.SetDpiStages(changed);
    data.SetActiveStage(4);
    data.Save();
    const Json::Value ds = SavedDevice()["DPIStages"];
    EXPECT_EQ(ds["StageActive"], 4);
    ASSERT_EQ(ds["StageDPIs"].size(), 6u);
    EXPECT_EQ(ds["StageDPIs"][1]["StageDPIX"], 44);
    EXPECT_EQ(ds["StageDPIs"][1]["StageDPIY"], 70000 & 0xFFFF);
}

TEST_F(ProfileDataTest, MouseSystemWordsPackTwoHalves) {
    CMouseProfiledata data;
    LoadDevice(data, R"({"SystemStages":{"DoubleClickTime":6,"MouseSpeed":4,"PointerPrecision":1,)"
                     R"("ScorllPage":0,"WheelScorlllinse":2}})");
    // Without "ReportStages" the report-rate half stays 0.
    EXPECT_EQ(data.GetSystemSettings(), (SystemWords{4u << 16 | 6, 1, 2}));
    data.SetSystemSettings(0x00030005, 0x00010000, 0x00040007);
    EXPECT_EQ(data.GetSystemSettings(), (SystemWords{0x00030005, 0x00010000, 0x00040007}));
    data.Save();
    const Json::Value saved = SavedDevice();
    EXPECT_EQ(saved["SystemStages"]["ScorllPage"], 1);
    EXPECT_EQ(saved["ReportStages"]["StageActive"], 4);

    CMouseProfiledata empty;
    LoadDevice(empty, "{}");
    EXPECT_EQ(empty.GetSystemSettings(), SystemWords{});
}

TEST_F(ProfileDataTest, KeyboardSettingsAndCustomColours) {
    CKeyboardProfiledata data;
    LoadDevice(data, R"({"SystemStages":{"Repeat":31,"RepeatDelay":2,"Key6Flag":1,"PollingRate":3,)"
                     R"("WFlag":0,"WinFlag":1},"CustomLightMode":{"CustomLightModeGroupIndex":1,)"
                     R"("LightColorInfo":[[{"Red":1,"Green":2,"Blue":3,"Alpha":4},null]]}})");
    EXPECT_EQ(data.GetSystemSettings(), (SystemWords{2u << 16 | 31, 3u << 16 | 1, 1u << 16}));
    EXPECT_EQ(data.GetCustomGroup(), 1);

    // Group 0: a present colour, a null one and one past the end (both filled with zeros).
    EXPECT_EQ(data.GetCustomColors(0, 3), (std::vector<ColorRGBA>{{1, 2, 3, 4}, {}, {}}));
    // Group 2 does not exist: count zero colours, written out.
    EXPECT_EQ(data.GetCustomColors(2, 2).size(), 2u);
    data.SetCustomColors({{9, 8, 7, 6}}, 1);
    data.SetCustomGroup(3);
    // A negative group is refused without touching the document.
    EXPECT_EQ(data.GetCustomColors(-1, 2).size(), 2u);
    data.Save();

    const Json::Value cl = SavedDevice()["CustomLightMode"];
    EXPECT_EQ(cl["CustomLightModeGroupIndex"], 3);
    const Json::Value& groups = cl["LightColorInfo"];
    ASSERT_EQ(groups.size(), 3u);
    EXPECT_EQ(groups[0].size(), 3u);
    EXPECT_EQ(groups[0][1]["Alpha"], 0);
    EXPECT_EQ(groups[1][0]["Blue"], 7);
    EXPECT_EQ(groups[2][1]["Red"], 0);
}

TEST_F(ProfileDataTest, EqTablesByType) {
    std::string tables = R"({"EQHzValueInfo":[null)";
    for (int t = 1; t <= 12; ++t) {
        tables += ",[";
        for (int i = 0; i < 10; ++i) tables += std::string(i ? "," : "") + R"({"value":)" + std::to_string(t * 10 + i) + "}";
        tables += "]";
    }
    tables += "]}";
    CRi6533Profiledata data;
    LoadDevice(data, tables);

    struct Case { int eqType; int table; };
    for (const Case c : {Case{1, 1}, Case{0, 1}, Case{14, 1}, Case{-3, 1}, Case{7, 7}, Case{12, 12}}) {
        const auto v = data.GetEqValues(c.eqType);
        ASSERT_EQ(v.size(), 10u) << c.eqType;
        EXPECT_EQ(v[0], c.table * 10) << c.eqType;
        EXPECT_EQ(v[9], c.table * 10 + 9) << c.eqType;
    }
    EXPECT_TRUE(data.GetEqValues(13).empty());
    data.SetEqValues(13, std::vector<int32_t>(10, 5));  // no table: nothing written
    data.SetEqValues(0, {-13, 18, 0, 0, 0, 0, 0, 0, 0, 1});
    EXPECT_EQ(data.GetEqValues(1)[1], 18);

    // A missing custom table reads as zeros and is written out as zeros.
    EXPECT_EQ(data.GetCustomEqValues(2), std::vector<int32_t>(10, 0));
    data.SetCustomEqValues(0, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
    data.Save();
    const Json::Value saved = SavedDevice();
    EXPECT_EQ(saved["EQHzValueInfo"].size(), 13u);
    EXPECT_EQ(saved["EQHzValueInfo"][1][0]["value"], -13);
    EXPECT_EQ(saved["CustomEQHzValueInfo"][2][9]["value"], 0);
    EXPECT_EQ(saved["CustomEQHzValueInfo"][0][9]["value"], 10);
}

TEST_F(ProfileDataTest, HeadsetStagesAndNonAsciiEqNames) {
    CRi6533Profiledata data;
    LoadDevice(data, R"({"SystemSetStages":{"MagicEnable":1,"MagicType":3,"EqType":13,)"
                     R"("CustomEqSeletIndex":2,"MicInSelect":1,"MicInValue":80,"MicMoniterSelect":0,)"
                     R"("MicMoniterValue":55}})");
    EXPECT_EQ(data.GetSystemSetStages(), (HeadsetStages{1, 3, 13, 2, 1, 80, 0, 55}));
    data.SetSystemSetStages({0, 1, 5, 0, 0, 10, 1, 20});
    const std::vector<std::string> names = {"低音增强", "Café", "游戏 🎮"};
    data.SetCustomEqNames(names);
    data.Save();

    const std::string bytes = ReadText(profile_);
    EXPECT_NE(bytes.find("低音增强"), std::string::npos);  // plain UTF-8, no escapes
    EXPECT_EQ(bytes.find("\\u"), std::string::npos);

    CRi6533Profiledata again;
    again.SetDefaultDataPath(defaults_);
    again.Load(profile_);
    EXPECT_EQ(again.GetCustomEqNames(), names);
    EXPECT_EQ(again.GetSystemSetStages(), (HeadsetStages{0, 1, 5, 0, 0, 10, 1, 20}));
}

// Every getter on values of the wrong type: zeros, no exception.
TEST_F(ProfileDataTest, WrongTypedMembersReadAsZero) {
    const char* devices[] = {
        R"({"LightInfo":{"SelectItem":"abc","Light":[1],"Speed":{},"MultiColor":"yes","Red":1.5e300},)"
        R"("LightList":{"a":1},"KeyList":[5,"x",{"Assignment":"7"}],)"
        R"("DPIStages":{"StageActive":"1","StageDPIs":[3,{"StageDPIX":"9"}]},)"
        R"("SystemStages":[1,2],"ReportStages":7,"CustomLightMode":{"LightColorInfo":"none",)"
        R"("CustomLightModeGroupIndex":"2"},"SystemSetStages":"x","EQHzValueInfo":{"1":2},)"
        R"("CustomEQNameInfo":[{"Name":5},7]})",
        R"("just a string")",
        R"([1,2,3])",
        R"({"LightInfo":7,"DPIStages":[],"CustomLightMode":[],"SystemStages":"s","EQHzValueInfo":[1,2]})",
    };
    for (const char* device : devices) {
        SCOPED_TRACE(device);
        CMouseProfiledata mouse;
        CKeyboardProfiledata keyboard;
        CRi6533Profiledata headset;
        EXPECT_NO_THROW({
            LoadDevice(mouse, device);
            EXPECT_EQ(mouse.GetLightInfo().red, 0);
            mouse.GetLightList();
            for (const auto& k : mouse.GetKeyList()) EXPECT_EQ(k.current.Value(), 0);
            mouse.GetDpiStages();
            mouse.GetSystemSettings();
            mouse.SetSystemSettings(1, 2, 3);
            mouse.SetDpiStages({DpiStage{}});
            mouse.Save();

            LoadDevice(keyboard, device);
            keyboard.GetSystemSettings();
            keyboard.GetCustomGroup();
            EXPECT_EQ(keyboard.GetCustomColors(0, 4).size(), 4u);
            keyboard.SetCustomColors({ColorRGBA{1, 1, 1, 1}}, 0);
            keyboard.Save();

            LoadDevice(headset, device);
            headset.GetSystemSetStages();
            EXPECT_EQ(headset.GetEqValues(1).size(), 10u);
            headset.GetCustomEqNames();
            headset.GetCustomEqValues(0);
            headset.SetEqValues(2, std::vector<int32_t>(10, 1));
            headset.Save();
        });
    }
}

TEST_F(ProfileDataTest, CustomEffectsOnlyFromPlainGuidsBesideTheConfig) {
    const std::string folder = dir_ / "Zandri Gaming Mouse/mouse/";
    const std::string config = folder + "kelto_light.config";
    WriteText(config, R"({"LightInfo":[[{"LightName":"a","Guid":"2020_01_01_00_00_00_001"},)"
                      R"({"LightName":"b","Guid":"../../outside"}]]})");
    const std::string effect = R"({"LEDEffectList":[{"LEDREGMode":3,"red":255,"Time":1500,"Cyle":70000}]})";
    WriteText(folder + "2020_01_01_00_00_00_001.light", effect);
    WriteText(dir_ / "outside.light", effect);  // where "../../outside" would lead

    CBasicProfiledata data;
    data.SetLightConfigPath(config);
    data.LoadLightConfig(config);
    struct Case { const char* light; size_t steps; };
    for (const Case c : {Case{R"({"LightInfo":{"SelectItem":0}})", 1},
                         Case{R"({"LightInfo":{"SelectItem":1}})", 0},
                         Case{R"({"LightInfo":{"SelectItem":9}})", 0}}) {
        LoadDevice(data, c.light);
        data.GetLightInfo();
        const auto steps = data.GetCustomEffects();
        ASSERT_EQ(steps.size(), c.steps) << c.light;
        if (c.steps) {
            EXPECT_EQ(steps[0].light.mode, 3);
            EXPECT_EQ(steps[0].light.red, 255);
            EXPECT_EQ(steps[0].time, 1500);
            EXPECT_EQ(steps[0].cycle, 70000);
        }
    }
}

// ---- File routines ----------------------------------------------------------

TEST_F(ProfileDataTest, CrashBeforeRenameKeepsTheOldFile) {
    const std::string path = dir_ / "list.ini";
    Json::Value v;
    v["profileselect"] = 1;
    ASSERT_EQ(wirtejsonFile(path, v), 0);
    const std::string before = ReadText(path);

    platform::SetAtomicWriteCrashForTests(true);
    v["profileselect"] = 2;
    const int result = wirtejsonFile(path, v);
    platform::SetAtomicWriteCrashForTests(false);

    EXPECT_EQ(result, 1);
    EXPECT_EQ(ReadText(path), before);
    EXPECT_EQ(ReadJson(path)["profileselect"], 1);
}

TEST_F(ProfileDataTest, UnparsableFileIsKeptAsBak) {
    const std::string broken = "{\"profilename\":\"Mine\", \"Device\":[{\"LightInfo\":";
    WriteText(profile_, broken);
    WriteText(defaults_, R"({"Device":[{"LightInfo":{"SelectItem":1}}]})");
    CBasicProfiledata data;
    data.SetDefaultDataPath(defaults_);
    data.Load(profile_);
    EXPECT_EQ(ReadText(profile_ + ".bak"), broken);
    EXPECT_EQ(ReadJson(profile_)["Device"][0]["LightInfo"]["SelectItem"], 1);

    // A file that parses is replaced without a copy.
    std::filesystem::remove(profile_ + ".bak");
    data.Save();
    EXPECT_FALSE(Exists(profile_ + ".bak"));
}

TEST_F(ProfileDataTest, ReadJsonReportsMissingAndKeepsComments) {
    platform::DebugCapture capture;
    EXPECT_TRUE(ReadJson(dir_ / "none.Json").isNull());
    EXPECT_TRUE(capture.Contains(dir_ / "none.Json"));
    EXPECT_GE(capture.Lines().size(), 2u);
    EXPECT_EQ(capture.Lines()[0].rfind("readjsonFile 错误吗：：", 0), 0u);

    WriteText(profile_, "// factory data\n{ \"a\" : 1 /* one */ }");
    EXPECT_EQ(ReadJson(profile_)["a"], 1);
    WriteText(profile_, "");
    EXPECT_TRUE(ReadJson(profile_).isNull());
}

TEST_F(ProfileDataTest, LegacyCodePageNamesAreConverted) {
    // "中文" in CP936, as a profile name written on a Chinese Windows system.
    WriteText(profile_, "{\"profilename\":\"\xD6\xD0\xCE\xC4\",\"other\":\"plain\"}");
    EXPECT_EQ(ReadJson(profile_)["profilename"], "\xD6\xD0\xCE\xC4");  // default: bytes kept
    SetLegacyCodePage("CP936");
    const Json::Value v = ReadJson(profile_);
    SetLegacyCodePage("");
    EXPECT_EQ(v["profilename"], "中文");
    EXPECT_EQ(v["other"], "plain");
}

TEST(JsonAccessors, ConvertWithoutThrowing) {
    struct Case { const char* json; int32_t i; bool b; const char* s; };
    const Case cases[] = {
        {"7", 7, true, ""},          {"-2", -2, true, ""},      {"true", 1, true, ""},
        {"0", 0, false, ""},         {"2.9", 2, true, ""},      {"1e300", 0, true, ""},
        {"\"12\"", 0, false, "12"},  {"[1]", 0, false, ""},     {"{}", 0, false, ""},
        {"null", 0, false, ""},      {"4294967295", -1, true, ""},
    };
    for (const Case& c : cases) {
        const Json::Value v = Parse(std::string("[") + c.json + "]")[0];
        EXPECT_EQ(JsonInt(v), c.i) << c.json;
        EXPECT_EQ(JsonBool(v), c.b) << c.json;
        EXPECT_EQ(JsonString(v), c.s) << c.json;
    }
    Json::Value doc = Parse(R"({"n":5,"a":[1]})");
    EXPECT_TRUE(Touch(Touch(doc, "n"), "x").isNull());  // an int has no members
    EXPECT_TRUE(TouchAt(Touch(doc, "a"), -1).isNull());
    EXPECT_EQ(Touch(doc, "a").size(), 1u);
    PutAt(Touch(doc, "a"), -1) = 9;  // refused, goes nowhere
    PutAt(Touch(doc, "a"), kMaxJsonIndex + 1) = 9;
    EXPECT_EQ(doc["a"].size(), 1u);
    EXPECT_EQ(doc["n"], 5);
}

} // namespace
