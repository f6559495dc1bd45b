// Profile list store: "ProfileList.ini" and the profile files beside it.
#include "TestFolder.h"
#include "platform/Folders.h"
#include "profiles/ProfileId.h"
#include "profiles/ProfileList.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>

using namespace profiles;
using testing_util::Exists;
using testing_util::Parse;
using testing_util::ReadText;
using testing_util::TestFolder;
using testing_util::WriteText;

namespace {

class ProfileListTest : public ::testing::Test {
protected:
    void SetUp() override {
        WriteText(template_, R"({"profilename":"","profileUUID":"","Device":[{"LightInfo":{"SelectItem":1},)"
                             R"("CustomEQNameInfo":[{"Name":"factory"}],"CustomEQHzValueInfo":[[{"value":0}]]}]})");
        store_.SetDeviceKind(2);
        store_.SetFolders(folder_, template_);
    }
    // A list file with the given names (IDs made up) and selection.
    void WriteList(const std::vector<std::string>& names, int select = 0) {
        Json::Value list;
        for (size_t i = 0; i < names.size(); ++i) {
            const std::string id = "2020_01_01_00_00_00_" + std::string(i < 10 ? "00" : "0") + std::to_string(i);
            Json::Value e;
            e["profilename"] = names[i];
            e["profileUUID"] = id;
            e["profileislink"] = 0;
            e["profilelinkmame"] = "";
            list["profilelist"].append(e);
            Json::Value file;
            file["profilename"] = names[i];
            file["profileUUID"] = id;
            file["Device"][0]["LightInfo"]["SelectItem"] = static_cast<int>(i);
            ASSERT_EQ(wirtejsonFile(folder_ + id + ".Json", file), 0);
        }
        list["profileselect"] = select;
        ASSERT_EQ(wirtejsonFile(ListPath(), list), 0);
    }
    std::string ListPath() const { return folder_ + "ProfileList.ini"; }
    Json::Value List() const { return Parse(ReadText(ListPath())); }
    std::vector<std::string> ListNames() const {
        std::vector<std::string> out;
        for (const auto& e : store_.ReadEntries()) out.push_back(e.name);
        return out;
    }
    Json::Value ProfileFile(int index) const { return ReadJson(store_.ProfilePath(store_.ReadEntries()[index].id)); }

    TestFolder dir_;
    std::string folder_ = platform::DeviceDataFolder("mouse");
    std::string template_ = dir_ / "DefaultData/mouse.Json";
    CProfileListStore store_;
};

TEST_F(ProfileListTest, FirstStartCreatesProfile1FromTheTemplate) {
    EXPECT_EQ(store_.InitProfiles(), 0);
    ASSERT_EQ(store_.Names(), std::vector<std::string>{"profile1"});
    const Json::Value list = List();
    EXPECT_EQ(list["profileselect"], 0);
    const Json::Value& e = list["profilelist"][0];
    EXPECT_EQ(e["profileislink"], 0);
    EXPECT_EQ(e["profilelinkmame"], "");
    const std::string id = e["profileUUID"].asString();
    EXPECT_EQ(store_.GetSelectedProfileId(), id);
    EXPECT_TRUE(std::regex_match(id, std::regex(R"(\d{4}_\d\d_\d\d_\d\d_\d\d_\d\d_\d{3})"))) << id;

    const Json::Value file = ReadJson(folder_ + id + ".Json");
    EXPECT_EQ(file["profilename"], "profile1");
    EXPECT_EQ(file["profileUUID"], id);
    EXPECT_EQ(file["Device"][0]["LightInfo"]["SelectItem"], 1);
}

TEST_F(ProfileListTest, CorruptListIsKeptAndReplaced) {
    WriteText(ListPath(), "{\"profilelist\":[{\"profilename\":\"A\"");
    store_.InitProfiles();
    EXPECT_EQ(store_.Names(), std::vector<std::string>{"profile1"});
    EXPECT_EQ(ReadText(ListPath() + ".bak"), "{\"profilelist\":[{\"profilename\":\"A\"");
}

TEST_F(ProfileListTest, StoredSelectionIsClampedToTheList) {
    struct Case { int stored; int selected; };
    for (const Case c : {Case{1, 1}, Case{7, 1}, Case{-1, 0}}) {
        WriteList({"A", "B"}, c.stored);
        EXPECT_EQ(store_.InitProfiles(), c.selected) << c.stored;
        EXPECT_EQ(List()["profileselect"], c.selected);
        EXPECT_EQ(List()["profilelist"].size(), 2u);  // no element made up by the index
        EXPECT_EQ(store_.GetSelectedProfileId(), store_.ReadEntries()[c.selected].id);
    }
}

TEST_F(ProfileListTest, AddNamesTheFirstFreeProfileNumber) {
    struct Case { std::vector<std::string> names; const char* added; };
    const Case cases[] = {
        {{"profile1", "profile3"}, "profile2"},
        {{"PROFILE1"}, "profile2"},
        {{"profile2"}, "profile1"},
    };
    for (const Case& c : cases) {
        WriteList(c.names);
        store_.InitProfiles();
        const int index = store_.AddProfile();
        ASSERT_EQ(index, static_cast<int>(c.names.size()));
        EXPECT_EQ(store_.Names().back(), c.added);
        EXPECT_EQ(ListNames().back(), c.added);
        // The list names the new profile as selected; the store's selection stays.
        EXPECT_EQ(List()["profileselect"], index);
        EXPECT_EQ(store_.GetSelectedIndex(), 0);
        const Json::Value file = ProfileFile(index);
        EXPECT_EQ(file["profilename"], c.added);
        EXPECT_EQ(file["Device"][0]["LightInfo"]["SelectItem"], 1);
    }
}

TEST_F(ProfileListTest, AddStopsAtFiftyProfiles) {
    store_.InitProfiles();
    for (int i = 1; i < kMaxProfiles; ++i) ASSERT_EQ(store_.AddProfile(), i);
    EXPECT_EQ(store_.AddProfile(), -1);
    EXPECT_EQ(store_.Count(), kMaxProfiles);
    EXPECT_EQ(List()["profilelist"].size(), static_cast<unsigned>(kMaxProfiles));
    std::set<std::string> ids;
    for (const auto& e : store_.ReadEntries()) ids.insert(e.id);
    EXPECT_EQ(ids.size(), static_cast<size_t>(kMaxProfiles));  // created within milliseconds, all distinct
}

TEST_F(ProfileListTest, DeleteRemovesTheFileAndSelectsTheNeighbour) {
    WriteList({"A", "B", "C"}, 0);
    store_.InitProfiles();
    const std::string gone = store_.SelectedProfilePath();
    EXPECT_EQ(store_.DeleteProfile(), 0);
    EXPECT_FALSE(Exists(gone));
    EXPECT_EQ(ListNames(), (std::vector<std::string>{"B", "C"}));
    EXPECT_EQ(List()["profileselect"], 0);
    EXPECT_EQ(store_.Names(), (std::vector<std::string>{"B", "C"}));

    store_.SelectProfile(1);
    EXPECT_EQ(store_.DeleteProfile(), 0);
    EXPECT_EQ(ListNames(), std::vector<std::string>{"B"});
    EXPECT_EQ(store_.DeleteProfile(), -1);  // the last profile stays
    EXPECT_EQ(ListNames(), std::vector<std::string>{"B"});
}

TEST_F(ProfileListTest, CopyAppendsCopyUntilTheNameIsFree) {
    WriteList({"A", "a copy", "B"}, 0);
    store_.InitProfiles();
    EXPECT_EQ(store_.CopyProfile(), 3);
    store_.SelectProfile(2);
    EXPECT_EQ(store_.CopyProfile(), 4);
    EXPECT_EQ(ListNames(), (std::vector<std::string>{"A", "a copy", "B", "A copy copy", "B copy"}));
    EXPECT_EQ(List()["profileselect"], 2);
    const Json::Value copy = ProfileFile(3);
    EXPECT_EQ(copy["profilename"], "A copy copy");
    EXPECT_EQ(copy["profileUUID"], store_.ReadEntries()[3].id);
    EXPECT_EQ(copy["Device"][0]["LightInfo"]["SelectItem"], 0);  // the content of A
}

TEST_F(ProfileListTest, ImportMakesTheNameUnique) {
    const std::string source = dir_ / "export/A.json";
    WriteText(source, R"({"profilename":"A","profileUUID":"whatever","Device":[{"LightInfo":{"SelectItem":6}}]})");
    const std::string sourceBytes = ReadText(source);
    WriteList({"B"});
    store_.InitProfiles();
    for (int i = 0; i < 3; ++i) ASSERT_EQ(store_.ImportProfile(source), i + 1);
    EXPECT_EQ(ListNames(), (std::vector<std::string>{"B", "A", "A(1)", "A(1)(2)"}));
    EXPECT_EQ(ReadText(source), sourceBytes);
    const Json::Value imported = ProfileFile(3);
    EXPECT_EQ(imported["profilename"], "A(1)(2)");
    EXPECT_EQ(imported["profileUUID"], store_.ReadEntries()[3].id);
    EXPECT_EQ(imported["Device"][0]["LightInfo"]["SelectItem"], 6);

    // Not a profile: nothing is added.
    WriteText(source, R"({"profilename":"X"})");
    EXPECT_EQ(store_.ImportProfile(source), -1);
    WriteText(source, "not json");
    EXPECT_EQ(store_.ImportProfile(source), -1);
    EXPECT_EQ(store_.Count(), 4);
}

TEST_F(ProfileListTest, ExportWritesTheSelectedProfile) {
    WriteList({"A", "B"}, 1);
    store_.InitProfiles();
    const std::string target = dir_ / "out.json";
    ASSERT_TRUE(store_.ExportProfile(target));
    EXPECT_EQ(ReadText(target), ReadText(store_.SelectedProfilePath()));
}

TEST_F(ProfileListTest, RenameRefusesNamesOfOtherProfiles) {
    WriteList({"A", "B"}, 1);
    store_.InitProfiles();
    EXPECT_EQ(store_.RenameProfile("a"), 0);
    EXPECT_EQ(ListNames(), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(store_.RenameProfile("b"), 1);  // its own name in another case is fine
    EXPECT_EQ(store_.RenameProfile("Ünïcode 配置"), 1);
    EXPECT_EQ(ListNames(), (std::vector<std::string>{"A", "Ünïcode 配置"}));
    EXPECT_EQ(ProfileFile(1)["profilename"], "Ünïcode 配置");
    EXPECT_NE(ReadText(ListPath()).find("Ünïcode 配置"), std::string::npos);

    CProfileListStore again;
    again.SetFolders(folder_, template_);
    again.InitProfiles();
    EXPECT_EQ(again.Names()[1], "Ünïcode 配置");
}

TEST_F(ProfileListTest, ResetReturnsToTheTemplate) {
    WriteList({"A", "B"}, 1);
    store_.InitProfiles();
    const std::string path = store_.SelectedProfilePath();
    Json::Value mine = ReadJson(path);
    mine["Device"][0]["CustomEQNameInfo"][0]["Name"] = "mine";
    mine["Device"][0]["CustomEQHzValueInfo"][0][0]["value"] = 7;
    ASSERT_EQ(wirtejsonFile(path, mine), 0);

    for (int kind : {2, 7}) {
        store_.SetDeviceKind(kind);
        ASSERT_TRUE(store_.ResetProfile());
        const Json::Value reset = ReadJson(path);
        EXPECT_EQ(reset["profilename"], "B");
        EXPECT_EQ(reset["profileUUID"], store_.GetSelectedProfileId());
        EXPECT_EQ(reset["Device"][0]["LightInfo"]["SelectItem"], 1);
        // Kind 2 took the factory equalisers; the headset keeps its own (here: factory again
        // after the first reset, so restore the user's before checking kind 7).
        if (kind == 2) {
            EXPECT_EQ(reset["Device"][0]["CustomEQNameInfo"][0]["Name"], "factory");
            ASSERT_EQ(wirtejsonFile(path, mine), 0);
        } else {
            EXPECT_EQ(reset["Device"][0]["CustomEQNameInfo"][0]["Name"], "mine");
            EXPECT_EQ(reset["Device"][0]["CustomEQHzValueInfo"][0][0]["value"], 7);
        }
    }
}

TEST_F(ProfileListTest, ResetWithoutTemplateKeepsTheUsersFile) {
    WriteList({"A"});
    store_.InitProfiles();
    const std::string before = ReadText(store_.SelectedProfilePath());
    std::filesystem::remove(template_);
    EXPECT_FALSE(store_.ResetProfile());
    EXPECT_EQ(ReadText(store_.SelectedProfilePath()), before);
}

TEST_F(ProfileListTest, OperationsWithoutSelectionDoNothing) {
    // Before InitProfiles nothing is selected (index -1).
    WriteList({"A"});
    const std::string before = ReadText(ListPath());
    EXPECT_EQ(store_.GetSelectedIndex(), -1);
    EXPECT_EQ(store_.CopyProfile(), -1);
    EXPECT_FALSE(store_.ResetProfile());
    EXPECT_EQ(store_.RenameProfile("x"), -1);
    EXPECT_FALSE(store_.ExportProfile(dir_ / "x.json"));
    EXPECT_EQ(store_.DeleteProfile(), -1);
    EXPECT_FALSE(store_.SelectProfile(3));
    EXPECT_EQ(ReadText(ListPath()), before);
}

TEST_F(ProfileListTest, IdsFromTheListNeverLeaveTheFolder) {
    const std::string victim = dir_ / "victim.Json";
    WriteText(victim, "{}");
    WriteText(ListPath(), R"({"profileselect":0,"profilelist":[)"
                          R"({"profilename":"evil","profileUUID":"../../victim"},)"
                          R"({"profilename":"ok","profileUUID":"2020_01_01_00_00_00_000"}]})");
    store_.InitProfiles();
    EXPECT_EQ(store_.SelectedProfilePath(), "");
    EXPECT_FALSE(store_.ResetProfile());
    EXPECT_EQ(store_.RenameProfile("evil2"), 1);
    EXPECT_EQ(store_.CopyProfile(), 2);
    EXPECT_EQ(store_.DeleteProfile(), 0);
    EXPECT_EQ(ReadText(victim), "{}");
    EXPECT_FALSE(Exists(dir_ / "victim.Json.bak"));
}

TEST(ProfileId, TimestampFormAndSafeIds) {
    std::tm t{};
    t.tm_year = 2019 - 1900;
    t.tm_mon = 11;
    t.tm_mday = 11;
    t.tm_hour = 8;
    t.tm_min = 5;
    t.tm_sec = 9;
    t.tm_isdst = -1;
    const auto when = std::chrono::system_clock::from_time_t(std::mktime(&t)) + std::chrono::milliseconds(42);
    EXPECT_EQ(MakeTimestampId(when), "2019_12_11_08_05_09_042");

    for (const char* ok : {"2019_12_11_08_05_09_042", "{4695579F-999A-41d4-9FAF-EFFCE93EBF16}"})
        EXPECT_TRUE(IsSafeId(ok)) << ok;
    for (const char* bad : {"", "..", "../x", "a/b", "a\\b", "x.Json", "a b", "\x01"})
        EXPECT_FALSE(IsSafeId(bad)) << bad;

    // Taken IDs are skipped one millisecond at a time.
    std::set<std::string> taken;
    for (int i = 0; i < 5; ++i) taken.insert(MakeUniqueId([&](const std::string& id) { return taken.count(id) > 0; }));
    EXPECT_EQ(taken.size(), 5u);
}

} // namespace
