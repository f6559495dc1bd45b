// Macro store: index and step files, limits, naming, the device encoding and
// the file half of building a macro image.
#include "macros/MacroStore.h"
#include "platform/Folders.h"
#include "profiles/ProfileId.h"
#include "profiles/TestFolder.h"

#include <set>

#include <gtest/gtest.h>

using namespace macros;
using testing_util::Exists;
using testing_util::Parse;
using testing_util::ReadText;
using testing_util::TestFolder;
using testing_util::WriteText;

namespace {

class MacroStoreTest : public ::testing::Test {
protected:
    // An index with the given names; Guids made up, no step files.
    void WriteIndex(const std::vector<std::string>& names) {
        Json::Value index;
        index["MacroInfo"] = Json::Value(Json::arrayValue);
        for (size_t i = 0; i < names.size(); ++i) {
            Json::Value e;
            e["MacroName"] = names[i];
            e["Guid"] = Guid(static_cast<int>(i));
            index["MacroInfo"].append(e);
        }
        ASSERT_EQ(profiles::wirtejsonFile(store_.IndexPath(), index), 0);
    }
    static std::string Guid(int i) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "2019_12_11_10_05_03_%03d", i);
        return buf;
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> out;
        for (const auto& e : store_.LoadIndex()) out.push_back(e.name);
        return out;
    }
    void WriteMac(const std::string& guid, const std::string& events) {
        WriteText(folder_ + guid + ".mac", R"({"Guid":")" + guid + R"(","MacroName":"m","Version":64,"Events":)" +
                                               events + "}");
    }

    TestFolder dir_;
    std::string folder_ = platform::DeviceDataFolder("mouse");
    CMacroStore store_{folder_};
};

TEST_F(MacroStoreTest, AddNamesTheSmallestFreeNumber) {
    struct Case { std::vector<std::string> names; const char* added; };
    const Case cases[] = {
        {{}, "macro_1"},
        {{"macro_1", "MACRO_3"}, "macro_2"},
        {{"macro_1", "macro_2"}, "macro_3"},
        {{"Macro_1", "other"}, "macro_2"},
    };
    for (const Case& c : cases) {
        WriteIndex(c.names);
        EXPECT_EQ(store_.AddMacro(), c.added);
        const auto index = store_.LoadIndex();
        ASSERT_EQ(index.size(), c.names.size() + 1);
        EXPECT_EQ(index.back().name, c.added);
        EXPECT_TRUE(profiles::IsSafeId(index.back().guid));
        EXPECT_FALSE(Exists(store_.MacroPath(index.back().guid)));  // no file before the first save
    }
}

TEST_F(MacroStoreTest, AddStopsAtFiftyMacros) {
    WriteIndex(std::vector<std::string>(49, "x"));
    EXPECT_EQ(store_.AddMacro(), "macro_1");
    const std::string before = ReadText(store_.IndexPath());
    EXPECT_EQ(store_.AddMacro(), "");
    EXPECT_EQ(ReadText(store_.IndexPath()), before);
    EXPECT_EQ(store_.LoadIndex().size(), 50u);
}

TEST_F(MacroStoreTest, NewGuidsNeverCollide) {
    for (int i = 0; i < 20; ++i) ASSERT_FALSE(store_.AddMacro().empty());
    std::set<std::string> guids;
    for (const auto& e : store_.LoadIndex()) guids.insert(e.guid);
    EXPECT_EQ(guids.size(), 20u);
}

TEST_F(MacroStoreTest, DeleteRemovesTheEntryAndItsFile) {
    WriteIndex({"a", "b", "c", "d", "e"});
    WriteMac(Guid(2), "[]");
    EXPECT_EQ(store_.DeleteMacro(2), 2);
    EXPECT_FALSE(Exists(folder_ + Guid(2) + ".mac"));
    const auto index = store_.LoadIndex();
    ASSERT_EQ(index.size(), 4u);
    EXPECT_EQ(index[2].name, "d");
    EXPECT_EQ(index[3].guid, Guid(4));
    // A macro never saved has no file; its entry goes all the same.
    EXPECT_EQ(store_.DeleteMacro(0), 0);
    EXPECT_EQ(Names(), (std::vector<std::string>{"b", "d", "e"}));
    EXPECT_EQ(store_.DeleteMacro(3), -1);
    EXPECT_EQ(store_.DeleteMacro(-1), -1);
}

TEST_F(MacroStoreTest, RenameKeepsNonAsciiNames) {
    WriteIndex({"a", "b"});
    EXPECT_TRUE(store_.RenameMacro(1, "连招 ⚔ Combo"));
    EXPECT_FALSE(store_.RenameMacro(2, "x"));
    EXPECT_EQ(Names(), (std::vector<std::string>{"a", "连招 ⚔ Combo"}));
    ASSERT_TRUE(store_.SaveMacro(1, {}));
    const std::string mac = ReadText(store_.MacroPath(Guid(1)));
    EXPECT_NE(mac.find("连招 ⚔ Combo"), std::string::npos);
}

TEST_F(MacroStoreTest, DelaysReadAsDecimalTextWithinLimits) {
    WriteIndex({"a"});
    WriteMac(Guid(0), R"([
        {"Action":"down","Button":4,"Type":10,"Delay":70000},
        {"Action":"up","Button":4,"Type":10,"Delay":"abc"},
        {"Action":"down","Button":1,"Type":1,"Delay":120},
        {"Action":"Down","Button":1,"Type":1,"Delay":"35"},
        {"Action":"down","Button":1,"Type":1,"Delay":"-5"},
        {"Action":"down","Button":1,"Type":1,"Delay":" 12ms"},
        {"Action":"down","Button":1,"Type":1}])");
    const auto events = store_.LoadEvents(Guid(0));
    ASSERT_EQ(events.size(), 7u);
    const uint16_t delays[] = {65535, 0, 120, 35, 0, 12, 0};
    for (size_t i = 0; i < 7; ++i) EXPECT_EQ(events[i].delay, delays[i]) << i;
    EXPECT_TRUE(events[0].down);
    EXPECT_FALSE(events[3].down);  // only "down" is down

    ASSERT_TRUE(store_.SaveMacro(0, events));
    const Json::Value saved = Parse(ReadText(store_.MacroPath(Guid(0))));
    EXPECT_EQ(saved["Version"], 64);
    EXPECT_EQ(saved["MacroName"], "a");
    EXPECT_EQ(saved["Guid"], Guid(0));
    EXPECT_EQ(saved["Events"][2]["Delay"], "120");
    EXPECT_EQ(saved["Events"][0]["Delay"], "65535");
    EXPECT_EQ(saved["Events"][3]["Action"], "up");
    EXPECT_EQ(store_.LoadEvents(Guid(0)), events);
}

TEST_F(MacroStoreTest, WrongTypesAndUnsafeGuidsAreHarmless) {
    const std::string victim = dir_ / "victim.mac";
    WriteText(victim, "keep");
    Json::Value index;
    index["MacroInfo"][0]["MacroName"] = "evil";
    index["MacroInfo"][0]["Guid"] = "../../../victim";
    index["MacroInfo"][1]["MacroName"] = 7;
    index["MacroInfo"][1]["Guid"] = Guid(1);
    ASSERT_EQ(profiles::wirtejsonFile(store_.IndexPath(), index), 0);
    WriteMac(Guid(1), R"([{"Action":5,"Button":"x","Type":[1],"Delay":{}}, 3, "s"])");

    std::vector<MacroEvent> events;
    EXPECT_NO_THROW(events = store_.LoadEvents(Guid(1)));
    ASSERT_EQ(events.size(), 3u);
    for (const auto& e : events) EXPECT_EQ(e, MacroEvent{});
    EXPECT_EQ(store_.LoadIndex()[1].name, "");

    EXPECT_TRUE(store_.LoadEvents("../../../victim").empty());
    EXPECT_FALSE(store_.SaveMacro(0, {MacroEvent{1, kKey, true, 4}}));
    EXPECT_FALSE(store_.ExportMacro(0, dir_ / "out.mac"));
    EXPECT_EQ(store_.DeleteMacro(0), 0);
    EXPECT_EQ(ReadText(victim), "keep");
}

TEST_F(MacroStoreTest, EmptyMacroHasNoEventsMember) {
    WriteIndex({"a"});
    ASSERT_TRUE(store_.SaveMacro(0, {}));
    const Json::Value saved = Parse(ReadText(store_.MacroPath(Guid(0))));
    EXPECT_FALSE(saved.isMember("Events"));
    EXPECT_TRUE(store_.LoadEvents(Guid(0)).empty());
    EXPECT_TRUE(store_.LoadEvents(Guid(9)).empty());  // no such file
}

TEST_F(MacroStoreTest, ExportAndImportCopyBytes) {
    WriteIndex({"a"});
    WriteMac(Guid(0), R"([{"Action":"down","Button":4,"Type":10,"Delay":"35"}])");
    const std::string original = ReadText(store_.MacroPath(Guid(0)));
    const std::string exported = dir_ / "share/a.mac";
    std::filesystem::create_directories(dir_ / "share");
    ASSERT_TRUE(store_.ExportMacro(0, exported));
    EXPECT_EQ(ReadText(exported), original);

    EXPECT_EQ(store_.ImportMacro(exported), "macro_1");
    const auto index = store_.LoadIndex();
    ASSERT_EQ(index.size(), 2u);
    EXPECT_EQ(index[1].name, "macro_1");
    EXPECT_EQ(ReadText(store_.MacroPath(index[1].guid)), original);  // keeps its own name and Guid inside
    EXPECT_EQ(store_.LoadEvents(index[1].guid).size(), 1u);

    // A source that cannot be read adds nothing.
    EXPECT_EQ(store_.ImportMacro(dir_ / "missing.mac"), "");
    EXPECT_EQ(store_.LoadIndex().size(), 2u);
}

TEST(MacroEvent, DeviceEncodingAndFileForm) {
    struct Case { const char* json; std::array<uint8_t, 4> bytes; };
    const Case cases[] = {
        {R"({"Action":"down","Button":4,"Type":10,"Delay":"35"})", {0x23, 0x00, 0x8A, 0x04}},
        {R"({"Action":"up","Button":1,"Type":1,"Delay":"300"})", {0x2C, 0x01, 0x01, 0x01}},
        {R"({"Action":"down","Button":20,"Type":4,"Delay":"65535"})", {0xFF, 0xFF, 0x84, 0x14}},
        {R"({"Action":"up","Button":255,"Type":200,"Delay":"0"})", {0x00, 0x00, 200 & 0x7F, 0xFF}},
    };
    for (const Case& c : cases) {
        const auto e = ParseEventText(c.json);
        ASSERT_TRUE(e.has_value()) << c.json;
        EXPECT_EQ(EncodeEvent(*e), c.bytes) << c.json;
    }
    // A horizontal move of 20 to the left.
    const Json::Value left = EventToJson({0, kMouseMoveX, true, 20});
    EXPECT_EQ(left["Action"], "down");
    EXPECT_EQ(left["Button"], 20);
    EXPECT_EQ(left["Type"], 4);
    EXPECT_EQ(left["Delay"], "0");
    EXPECT_FALSE(ParseEventText("{\"Action\":").has_value());
    EXPECT_FALSE(ParseEventText("[1]").has_value());
}

TEST_F(MacroStoreTest, ImageInputCountsEventsAndSizesTheImage) {
    WriteIndex({"three", "five"});
    const std::string step = R"({"Action":"down","Button":4,"Type":10,"Delay":"10"})";
    WriteMac(Guid(0), "[" + step + "," + step + "," + step + "]");
    WriteMac(Guid(1), "[" + step + "," + step + "," + step + "," + step + "," + step + "]");

    const MacroImageInput fits = ReadMacroImageInput(folder_, 60);
    EXPECT_EQ(fits.status, MacroImageStatus::Ok);
    ASSERT_EQ(fits.macros.size(), 2u);
    EXPECT_EQ(fits.macros[0].events.size(), 3u);
    EXPECT_EQ(fits.macros[1].events.size(), 5u);
    EXPECT_EQ(fits.macros[1].name, "five");
    EXPECT_EQ(fits.eventCount, 8u);
    EXPECT_EQ(fits.totalLength, 60u);
    EXPECT_EQ(fits.macros[0].events[0], (MacroEvent{10, kKey, true, 4}));

    struct Case { size_t memory; int remove; };
    for (const Case c : {Case{59, 1}, Case{56, 2}, Case{52, 3}, Case{0, 16}}) {
        const MacroImageInput big = ReadMacroImageInput(folder_, c.memory);
        EXPECT_EQ(big.status, MacroImageStatus::TooLarge) << c.memory;
        EXPECT_EQ(big.eventsToRemove, c.remove) << c.memory;
    }

    // A macro without a file counts no events.
    std::filesystem::remove(folder_ + Guid(1) + ".mac");
    EXPECT_EQ(ReadMacroImageInput(folder_, 4096).totalLength, 16u + 12u + 12u);
}

TEST_F(MacroStoreTest, ImageInputTellsAMissingIndexFromAnEmptyOne) {
    EXPECT_EQ(ReadMacroImageInput(folder_, 4096).status, MacroImageStatus::IndexMissing);
    WriteText(store_.IndexPath(), "{\"MacroInfo\":[");
    EXPECT_EQ(ReadMacroImageInput(folder_, 4096).status, MacroImageStatus::IndexUnreadable);
    WriteText(store_.IndexPath(), R"({"MacroInfo":"x"})");
    EXPECT_EQ(ReadMacroImageInput(folder_, 4096).status, MacroImageStatus::IndexUnreadable);
    WriteText(store_.IndexPath(), R"({"MacroInfo":[]})");
    EXPECT_EQ(ReadMacroImageInput(folder_, 4096).status, MacroImageStatus::EmptyList);
    WriteText(store_.IndexPath(), "{}");
    EXPECT_EQ(ReadMacroImageInput(folder_, 4096).status, MacroImageStatus::EmptyList);
}

} // namespace
