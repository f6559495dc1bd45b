// The shipped DefaultData files hold what the program reads from them.
#include "TestFolder.h"
#include "platform/Folders.h"
#include "profiles/JsonFile.h"
#include "profiles/ProfileData.h"
#include "profiles/ProfileList.h"

#include <gtest/gtest.h>

#include <set>

using namespace profiles;

namespace {

std::string DefaultFile(const std::string& name) { return platform::DefaultDataFolder() + name; }

template <class Data>
Data LoadFactory(const std::string& family, testing_util::TestFolder& dir) {
    Data data;
    data.SetDefaultDataPath(DefaultFile(family + ".Json"));
    data.Load(dir / (family + ".Json"));  // missing profile: filled from the default-data file
    return data;
}

void ExpectLightInfo(CBasicProfiledata& data) {
    const LightSetting li = data.GetLightInfo();
    EXPECT_LE(li.brightness, 4);
    EXPECT_LE(li.speed, 4);
    EXPECT_LE(li.direction, 1);
    EXPECT_TRUE(data.Root()["LightInfo"].isMember("MultiColor"));
}

TEST(DefaultData, EveryShippedFileParses) {
    for (const char* name : {"mouse.Json", "keyboard.Json", "MousePad.Json", "HD.Json", "default_light.json",
                             "Language.config", "ShootData_0.Shoot", "ShootData_1.Shoot",
                             "ShootData_2.Shoot", "ShootData_3.Shoot"}) {
        const Json::Value v = ReadJson(DefaultFile(name));
        EXPECT_TRUE(v.isObject()) << name;
    }
    for (const char* family : {"mouse", "keyboard", "MousePad", "HD"}) {
        const Json::Value v = ReadJson(DefaultFile(std::string(family) + ".Json"));
        EXPECT_TRUE(v.isMember("profilename") && v.isMember("profileUUID")) << family;
        EXPECT_TRUE(v["Device"][0].isObject()) << family;
    }
}

TEST(DefaultData, MouseFactorySettings) {
    testing_util::TestFolder dir;
    auto mouse = LoadFactory<CMouseProfiledata>("mouse", dir);
    ExpectLightInfo(mouse);

    const auto lights = mouse.GetLightList();
    ASSERT_EQ(lights.size(), 19u);
    for (const auto& l : lights) EXPECT_EQ(l.valid, 1);

    // Default key table of the mouse: left, right, middle, forward, back, DPI loop.
    std::vector<int32_t> defaults;
    for (const auto& k : mouse.GetKeyList()) {
        EXPECT_EQ(k.current, k.defaults);
        defaults.push_back(k.defaults.Value());
    }
    EXPECT_EQ(defaults, (std::vector<int32_t>{0x100100, 0x100200, 0x100400, 0x101000, 0x100800, 0x130300}));

    const auto stages = mouse.GetDpiStages();
    ASSERT_EQ(stages.size(), 6u);
    std::set<uint32_t> colours;
    int previous = -1;
    for (const auto& s : stages) {
        EXPECT_EQ(s.active, 1);
        EXPECT_GT(s.dpiX & 0xFF, previous);  // rising DPI
        EXPECT_LE(s.dpiX & 0xFF, 48);
        previous = s.dpiX & 0xFF;
        colours.insert(s.colorR << 16 | s.colorG << 8 | s.colorB);
    }
    EXPECT_EQ(colours.size(), 6u);
    EXPECT_LT(mouse.GetActiveStage(), 6);

    const SystemWords sys = mouse.GetSystemSettings();
    EXPECT_LE(sys.system3 >> 16, 4u);  // report-rate index
    for (const char* key : {"DoubleClickTime", "MouseSpeed", "PointerPrecision", "ScorllPage", "WheelScorlllinse"})
        EXPECT_TRUE(mouse.Root()["SystemStages"][key].isInt()) << key;
    const Json::Value& correct = mouse.Root()["CorrectInfo"];
    ASSERT_GE(correct.size(), 1u);
    for (const char* key : {"CorrectPixThresh", "CorrectMinSq", "CorrectSelect", "CorrectName"})
        EXPECT_TRUE(correct[0].isMember(key)) << key;
}

TEST(DefaultData, KeyboardFactorySettings) {
    testing_util::TestFolder dir;
    auto keyboard = LoadFactory<CKeyboardProfiledata>("keyboard", dir);
    ExpectLightInfo(keyboard);
    EXPECT_LE(keyboard.GetLightInfo().mode, 24);
    EXPECT_EQ(keyboard.GetLightList().size(), 126u);

    const auto keys = keyboard.GetKeyList();
    ASSERT_EQ(keys.size(), 126u);
    // A few rows of the keyboard's default key table: Esc, F1, the Fn special key,
    // A, left Ctrl, M1, the last modifier.
    struct Case { int key; int32_t value; };
    for (const Case c : {Case{0, 0x200029}, Case{1, 0x20003A}, Case{16, 0xA01B00}, Case{64, 0x200004},
                         Case{105, 0x200100}, Case{120, 0xD0A201}, Case{125, 0x208000}})
        EXPECT_EQ(keys[c.key].defaults.Value(), c.value) << c.key;

    const SystemWords sys = keyboard.GetSystemSettings();
    EXPECT_LE(sys.system1 >> 16, 3u);  // repeat delay index
    EXPECT_LE(sys.system2 >> 16, 3u);  // polling rate index

    const Json::Value& groups = keyboard.Root()["CustomLightMode"]["LightColorInfo"];
    ASSERT_GE(groups.size(), 2u);
    for (unsigned g = 0; g < groups.size(); ++g) {
        const auto colours = keyboard.GetCustomColors(static_cast<int>(g), 126);
        EXPECT_EQ(groups[g].size(), 126u);
        std::set<uint32_t> distinct;
        for (const auto& c : colours) distinct.insert(c.red << 16 | c.green << 8 | c.blue);
        if (g + 1 < groups.size()) {
            EXPECT_GT(distinct.size(), 1u) << g;  // a real per-key pattern
        }
    }
    EXPECT_LT(keyboard.GetCustomGroup(), static_cast<int>(groups.size()));
}

TEST(DefaultData, MousePadAndHeadsetFactorySettings) {
    testing_util::TestFolder dir;
    auto pad = LoadFactory<CBasicProfiledata>("MousePad", dir);
    ExpectLightInfo(pad);
    EXPECT_EQ(pad.GetLightList().size(), 15u);

    auto headset = LoadFactory<CRi6533Profiledata>("HD", dir);
    ExpectLightInfo(headset);
    EXPECT_EQ(headset.GetLightList().size(), 13u);
    const HeadsetStages s = headset.GetSystemSetStages();
    EXPECT_GE(s.eqType, 1);
    EXPECT_LE(s.eqType, 13);
    EXPECT_LE(s.micInValue, 100);
    EXPECT_LE(s.micMonitorValue, 100);

    EXPECT_EQ(headset.Root()["EQHzValueInfo"].size(), 13u);
    EXPECT_EQ(headset.GetEqValues(5), std::vector<int32_t>(10, 0));
    EXPECT_EQ(headset.GetEqValues(6), (std::vector<int32_t>{7, 14, -13, -6, -1, 8, 13, 7, 2, 6}));
    EXPECT_EQ(headset.GetEqValues(12), (std::vector<int32_t>{2, 1, -2, -4, -8, 4, 12, 16, 18, 15}));
    for (int t = 1; t <= 12; ++t)
        for (int v : headset.GetEqValues(t)) {
            EXPECT_GE(v, -13) << t;
            EXPECT_LE(v, 18) << t;
        }
    const auto names = headset.GetCustomEqNames();
    ASSERT_GE(names.size(), 1u);
    EXPECT_FALSE(names[0].empty());
    EXPECT_EQ(headset.Root()["CustomEQHzValueInfo"].size(), names.size());
    EXPECT_EQ(headset.GetCustomEqValues(0).size(), 10u);
}

TEST(DefaultData, LightNamesLanguagesAndRecoilPatterns) {
    const Json::Value light = ReadJson(DefaultFile("default_light.json"));
    const unsigned counts[] = {25, 9, 9, 9};  // keyboard, mouse, mouse pad, headset
    for (int f = 0; f < 4; ++f) {
        const Json::Value& modes = light["DefaultLightName"][f];
        ASSERT_EQ(modes.size(), counts[f]) << f;
        for (const auto& m : modes) {
            EXPECT_FALSE(JsonString(m["LightName"]).empty());
            EXPECT_TRUE(m.isMember("visible"));
        }
        EXPECT_GE(light["AreaLightName"][f].size(), 1u) << f;
    }

    const Json::Value languages = ReadJson(DefaultFile("Language.config"))["Language"];
    ASSERT_GE(languages.size(), 16u);  // index 15 carries its own font
    EXPECT_EQ(languages[0]["Language_file"], "lan_cn.xml");
    EXPECT_EQ(languages[1]["Language_text"], "English");
    EXPECT_EQ(languages[2]["Language_text"], "繁體中文");
    std::set<int> ids;
    for (const auto& l : languages) {
        for (const char* key : {"Language_name", "Language_file", "Language_text"})
            EXPECT_TRUE(l[key].isString()) << key;
        ids.insert(JsonInt(l["Language_ID"]));
    }
    EXPECT_EQ(ids.size(), languages.size());  // the stored choice is the ID

    for (int gun = 0; gun < 4; ++gun) {
        const Json::Value events = ReadJson(DefaultFile("ShootData_" + std::to_string(gun) + ".Shoot"))["Events"];
        ASSERT_EQ(events.size(), 120u) << gun;
        for (unsigned b = 0; b < 30; ++b) {
            const Json::Value& press = events[4 * b];
            const Json::Value& release = events[4 * b + 1];
            EXPECT_EQ(press["Action"], "down");
            EXPECT_EQ(press["Button"], 1);
            EXPECT_EQ(press["Delay"], 10);
            EXPECT_EQ(release["Action"], "up");
            EXPECT_EQ(release["Delay"], 0);
            EXPECT_EQ(events[4 * b + 2]["Type"], 4);
            EXPECT_EQ(events[4 * b + 2]["Delay"], 5);
            EXPECT_EQ(events[4 * b + 3]["Type"], 5);
            EXPECT_GT(JsonInt(events[4 * b + 3]["Delay"]), 0);
            EXPECT_LE(JsonInt(events[4 * b + 3]["Button"]), 255);
        }
    }
}

// A new profile made from the shipped template is a complete profile.
TEST(DefaultData, NewProfilesStartFromTheShippedTemplates) {
    testing_util::TestFolder dir;
    for (const char* family : {"mouse", "keyboard", "MousePad", "HD"}) {
        CProfileListStore store;
        store.SetFolders(platform::DeviceDataFolder(family), DefaultFile(std::string(family) + ".Json"));
        store.InitProfiles();
        const Json::Value file = ReadJson(store.SelectedProfilePath());
        EXPECT_EQ(file["profilename"], "profile1") << family;
        EXPECT_EQ(file["profileUUID"], store.GetSelectedProfileId()) << family;
        EXPECT_EQ(file["Device"], ReadJson(DefaultFile(std::string(family) + ".Json"))["Device"]) << family;
    }
}

} // namespace
