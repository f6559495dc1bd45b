// The mouse's command sequences against the emulated mouse: what reaches its
// memory, what goes on the wire, and what happens when the mouse fails.
#include "devices/MacroImage.h"
#include "devices/mouse/MouseSequences.h"
#include "macros/MacroStore.h"
#include "mousecore/EmulatedMouse.h"
#include "profiles/TestFolder.h"

#include <gtest/gtest.h>

#include <functional>

using namespace devices::mouse;
using testing_util::Bytes;
using profiles::KeyAssignment;

namespace {

MouseConfigValues Values(uint8_t effect = 1, uint8_t multi = 1) {
    MouseConfigValues v;
    const uint16_t idx[] = {2, 7, 13, 21, 33, 47};
    for (uint16_t i : idx) v.stages.push_back({1, 0, i, i, 0, 0, 0});
    v.activeStage = 3;
    v.system.system3 = 2u << 16;
    v.light = {effect, 4, 2, 1, multi, 0xFF, 0x80, 0x00, 0, 0, 0};
    return v;
}

std::vector<KeyAssignment> SixKeys() {
    std::vector<KeyAssignment> keys;
    for (uint16_t j = 0; j < 6; ++j) keys.push_back({{j, 0x20, 0, uint8_t(0x04 + j)}, {j, 0x10, 1, 0}});
    return keys;
}

constexpr const char* kProfileJson = R"({"Device":[{
  "LightInfo":{"SelectItem":3,"Light":2,"Speed":1,"MultiColor":false,"Red":1,"Green":2,"Blue":3,"Fx":1},
  "DPIStages":{"StageActive":1,"StageDPIs":[{"StageActive":1,"StageXY":0,"StageDPIX":4,"StageDPIY":4,
     "StageColorR":0,"StageColorG":0,"StageColorB":0}]}
}]})";

class MouseSequences : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(mouse.OpenCommand(ch));
        mouse.model->ClearWireLog();
    }

    testing_util::EmulatedMouse mouse;
    CHidChannel ch;
    MouseDeviceState state;
};

} // namespace

TEST_F(MouseSequences, ConnectReadsInfoAndKeyMapAndFindsTheSlots) {
    EXPECT_EQ(ReadMouseAtConnect(ch, state), 1);
    EXPECT_EQ(mouse.Commands(), (Bytes{0x01, 0x03, 0x07, 0x02}));
    EXPECT_TRUE(state.keyMapRead);
    EXPECT_EQ(ch.dataSize, 18);
    EXPECT_EQ(state.deviceInfo.dpiStep(), 100);
    EXPECT_EQ(state.keyIndexMap.at(3), 4);  // the emulated mouse has the side buttons swapped
    EXPECT_EQ(state.keyIndexMap.at(4), 3);
    EXPECT_EQ(state.keyIndexMap.at(6), kNoSlot);
}

TEST_F(MouseSequences, WriteConfigPutsTheBlockIntoProfileMemory) {
    ASSERT_EQ(WriteConfig(ch, Values(), 0, 0, 1920), 1);
    EXPECT_EQ(mouse.Commands(), (Bytes{0x01, 0x06, 0x06, 0x02}));  // 75 bytes in two chunks
    const Bytes mem = mouse.model->Config(0, kBlockWriteLength);
    const ConfigBlock expected = BuildMouseConfigBlock(Values(), 0, 1920, false);
    EXPECT_EQ(mem, Bytes(expected.begin(), expected.end()));
    EXPECT_EQ(Bytes(mem.begin() + 15, mem.begin() + 22), (Bytes{2, 7, 13, 21, 3, 33, 47}));
    EXPECT_EQ(mem[22], 7);
    EXPECT_EQ(mem[3], 2);  // 4 - speed 2

    ASSERT_EQ(WriteConfig(ch, Values(5, 1), 1, 0, 1920), 1);
    EXPECT_EQ(mouse.model->Config(128 + 5, 1), Bytes{0});  // ripple: multi-colour 0
    ASSERT_EQ(WriteConfig(ch, Values(9, 1), 2, 0, 1920), 1);
    EXPECT_EQ(mouse.model->Config(256 + 1, 1), Bytes{0});  // a sequence number goes out as 0
}

TEST_F(MouseSequences, WriteConfigReportsTheFirstFailureButClosesTheBracket) {
    mouse.model->InjectFault({emu::Fault::Status, 1, 0x06, 0, 0xFE});
    EXPECT_EQ(WriteConfig(ch, Values(), 0, 0, 1920), -103);
    EXPECT_EQ(mouse.Commands(), (Bytes{0x01, 0x06, 0x02}));  // stopped at the failed chunk, bracket closed
    EXPECT_FALSE(mouse.model->BracketOpen());

    CHidChannel closed;
    EXPECT_EQ(WriteConfig(closed, Values(), 0, 0, 1920), 0);
}

TEST_F(MouseSequences, KeyWithoutItsDefaultCodeIsSkipped) {
    Bytes map = mouse.model->KeyMap(0, 18);
    map[6] = 0x70;  // slot 2 holds macro 0 on the device
    mouse.model->SetKeyMap(0, map);
    ASSERT_EQ(ReadMouseAtConnect(ch, state), 1);
    ASSERT_EQ(state.keyIndexMap.at(2), kNoSlot);
    const Bytes bank1 = mouse.model->KeyMap(1, 18);
    mouse.model->ClearWireLog();

    EXPECT_EQ(WriteKeyAssignments(ch, state, 0, SixKeys()), 1);
    EXPECT_EQ(mouse.Commands(), (Bytes{0x03, 0x01, 0x09, 0x02}));
    const Bytes expected{0x20, 0, 0x04, 0x20, 0, 0x05, 0x70, 0x04, 0, 0x20, 0, 0x08, 0x20, 0, 0x07, 0x20, 0, 0x09};
    EXPECT_EQ(mouse.model->KeyMap(0, 18), expected);
    EXPECT_EQ(mouse.model->KeyMap(1, 18), bank1);
}

TEST_F(MouseSequences, FailedKeyMapReadBlocksKeyMapWrites) {
    const Bytes before = mouse.model->KeyMap(0, 18);
    mouse.model->InjectFault({emu::Fault::Status, 1, 0x07, 0, 0xFE});
    EXPECT_EQ(ReadMouseAtConnect(ch, state), -103);
    EXPECT_FALSE(state.keyMapRead);
    mouse.model->ClearWireLog();

    EXPECT_EQ(WriteKeyAssignments(ch, state, 0, SixKeys()), 0);
    EXPECT_TRUE(mouse.model->Requests().empty());
    EXPECT_EQ(mouse.model->KeyMap(0, 18), before);

    // A later successful connect read lifts the block.
    ASSERT_EQ(ReadMouseAtConnect(ch, state), 1);
    EXPECT_EQ(WriteKeyAssignments(ch, state, 0, SixKeys()), 1);
    EXPECT_NE(mouse.model->KeyMap(0, 18), before);
}

TEST_F(MouseSequences, SyncReadTakesLightingAndStageIntoTheProfile) {
    testing_util::TestFolder dir;
    const std::string path = dir / "mouse.Json";
    testing_util::WriteText(path, kProfileJson);
    profiles::CMouseProfiledata profile;
    profile.SetProfilePath(path);
    profile.Load(path);
    profiles::LightSetting light = profile.GetLightInfo();

    Bytes block = mouse.model->Config(2 * 128, kBlockReadLength);
    block[1] = 4, block[2] = 3, block[3] = 1, block[5] = 1, block[6] = 9, block[7] = 8, block[8] = 7, block[19] = 5;
    mouse.model->SetConfig(2 * 128, block);
    mouse.model->InjectProfileSwitch(2);

    int active = -1;
    ASSERT_TRUE(SyncFromDevice(ch, state, profile, light, active));
    EXPECT_EQ(active, 2);
    EXPECT_EQ(light, (profiles::LightSetting{4, 3, 3, 1, 1, 9, 8, 7, 0, 0, 0}));  // direction kept
    EXPECT_EQ(profile.GetActiveStage(), 5);
    const Json::Value saved = testing_util::Parse(testing_util::ReadText(path))["Device"][0];
    EXPECT_EQ(saved["LightInfo"]["SelectItem"].asInt(), 4);
    EXPECT_EQ(saved["DPIStages"]["StageActive"].asInt(), 5);
    EXPECT_EQ(mouse.Commands(), (Bytes{0x05, 0x05}));
}

TEST_F(MouseSequences, FailedSyncReadChangesNothing) {
    testing_util::TestFolder dir;
    const std::string path = dir / "mouse.Json";
    testing_util::WriteText(path, kProfileJson);
    profiles::CMouseProfiledata profile;
    profile.SetProfilePath(path);
    profile.Load(path);
    profile.GetDpiStages();
    const profiles::LightSetting original = profile.GetLightInfo();

    struct Case {
        const char* what;
        emu::FaultPlan fault;
    } cases[] = {
        {"profile index read refused", {emu::Fault::Status, 1, 0x05, 0, 0xFE}},
        {"block read refused", {emu::Fault::Status, 1, 0x05, 1, 0xFF}},
        {"block read unanswered", {emu::Fault::NoReply, 1, 0x05, 1, 0}},
    };
    for (const auto& c : cases) {
        state.blockMirror.fill(0xA5);
        mouse.model->ClearFaults();
        mouse.model->InjectFault(c.fault);
        profiles::LightSetting light = original;
        int active = -1;
        EXPECT_FALSE(SyncFromDevice(ch, state, profile, light, active)) << c.what;
        EXPECT_EQ(light, original) << c.what;
        EXPECT_EQ(active, -1) << c.what;
        EXPECT_EQ(profile.GetActiveStage(), 1) << c.what;
        EXPECT_EQ(profile.GetLightInfo(), original) << c.what;
        EXPECT_EQ(testing_util::ReadText(path), kProfileJson) << c.what;
        EXPECT_EQ(state.blockMirror[0], 0xA5) << c.what;
    }
}

TEST_F(MouseSequences, WirelessProbeFailureEndsEverySequenceAtOnce) {
    testing_util::TestFolder dir;
    ASSERT_EQ(ReadMouseAtConnect(ch, state), 1);  // key map known, so the key write is not skipped for that
    ch.wireless = true;
    mouse.model->SetOnline(false);

    struct Case {
        const char* what;
        std::function<int()> run;
        int expected;
    } cases[] = {
        {"config write", [&] { return WriteConfig(ch, Values(), 0, 0, 1920); }, 0},
        {"key map write", [&] { return WriteKeyAssignments(ch, state, 0, SixKeys()); }, 0},
        {"macro write", [&] { return WriteMacros(ch, state, dir.Path()); }, kMacrosOffline},
        {"sync read",
         [&] {
             uint8_t p = 0;
             MouseReadBack rb;
             return ReadConfigBlock(ch, state, p, rb) ? 1 : 0;
         },
         0},
        {"connect read", [&] { return ReadMouseAtConnect(ch, state); }, 0},
    };
    for (const auto& c : cases) {
        mouse.model->ClearWireLog();
        EXPECT_EQ(c.run(), c.expected) << c.what;
        EXPECT_EQ(mouse.Commands(), Bytes{0xAA}) << c.what;
    }
}

TEST_F(MouseSequences, WirelessProbesBeforeEachWriteAndOnceBeforeAReadSequence) {
    ch.wireless = true;
    ASSERT_EQ(WriteConfig(ch, Values(), 0, 0, 1920), 1);
    EXPECT_EQ(mouse.Commands(), (Bytes{0xAA, 0x01, 0xAA, 0x06, 0x06, 0xAA, 0x02}));
    EXPECT_EQ(mouse.model->Config(3, 1), Bytes{2});  // the receiver gets the speed itself

    mouse.model->ClearWireLog();
    uint8_t p = 9;
    MouseReadBack rb;
    ASSERT_TRUE(ReadConfigBlock(ch, state, p, rb));
    EXPECT_EQ(p, 0);
    EXPECT_EQ(mouse.Commands(), (Bytes{0xAA, 0x05, 0x05, 0x05}));  // 80 bytes over the receiver
}

TEST_F(MouseSequences, MacroImageGoesToMacroMemory) {
    testing_util::TestFolder dir;
    macros::CMacroStore store(dir.Path());
    ASSERT_FALSE(store.AddMacro().empty());
    ASSERT_FALSE(store.AddMacro().empty());
    std::vector<macros::MacroEvent> three(3, {10, 10, true, 4}), five(5, {300, 1, false, 1});
    ASSERT_TRUE(store.SaveMacro(0, three));
    ASSERT_TRUE(store.SaveMacro(1, five));

    EXPECT_EQ(WriteMacros(ch, state, dir.Path()), kMacrosWritten);
    EXPECT_EQ(mouse.Commands(), (Bytes{0x03, 0x01, 0x15, 0x15, 0x02}));
    std::vector<devices::MacroImageMacro> expected(2);
    for (const auto& e : three) expected[0].push_back({e.down, e.type, e.button, e.delay});
    for (const auto& e : five) expected[1].push_back({e.down, e.type, e.button, e.delay});
    const Bytes image = devices::BuildMacroImage(expected);
    ASSERT_EQ(image.size(), 60u);
    const Bytes mem = mouse.model->MacroMemory();
    EXPECT_EQ(Bytes(mem.begin(), mem.begin() + 60), image);
}

TEST_F(MouseSequences, MacroWriteOutcomesWithoutSending) {
    testing_util::TestFolder dir;
    EXPECT_EQ(WriteMacros(ch, state, dir.Path()), kMacroListUnreadable);  // no "macro.config"
    EXPECT_EQ(mouse.Commands(), Bytes{0x03});

    testing_util::WriteText(dir / "macro.config", "{\"MacroInfo\":[]}");
    mouse.model->ClearWireLog();
    EXPECT_EQ(WriteMacros(ch, state, dir.Path()), kMacrosWritten);  // empty list: nothing to send
    EXPECT_EQ(mouse.Commands(), Bytes{0x03});

    macros::CMacroStore store(dir.Path());
    ASSERT_FALSE(store.AddMacro().empty());
    ASSERT_TRUE(store.SaveMacro(0, std::vector<macros::MacroEvent>(10, {1, 10, true, 4})));
    auto info = mouse.model->DeviceInfo();
    info[emu::info::kMacroUnits] = 0;  // no macro memory: 16 + 6 + 40 bytes is 62 too many
    mouse.model->SetDeviceInfo(info);
    mouse.model->ClearWireLog();
    EXPECT_EQ(WriteMacros(ch, state, dir.Path()), 16);
    EXPECT_EQ(mouse.Commands(), Bytes{0x03});
}
