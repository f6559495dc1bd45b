// Lighting-thread pacing, the sync thread, and both threads together on the
// emulated mouse (profile switch, key events, unplug).
#include "devices/threads/LightingThread.h"
#include "devices/threads/StreamWorker.h"
#include "devices/threads/SyncThread.h"
#include "mousecore/EmulatedMouse.h"
#include "platform/Debug.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

using namespace devices::threads;
using testing_util::Bytes;
using namespace std::chrono_literals;

namespace {

bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = 3000ms) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

// Steps of pacer over `ticks` changes of the coarse tick (several passes per tick).
int StepsOver(LightPacer& pacer, uint8_t effect, uint8_t speed, int ticks, bool* sequence = nullptr) {
    int steps = 0;
    uint32_t now = 0;
    for (int t = 0; t <= ticks; ++t, now += 15)
        for (int pass = 0; pass < 3; ++pass) {
            const LightPass p = pacer.Pass(effect, speed, now);
            steps += p.effectStep ? 1 : 0;
            if (sequence && p.sequence) *sequence = true;
        }
    return steps;
}

} // namespace

TEST(LightPacer, StepPeriodFollowsSpeedInCoarseTicks) {
    struct Case {
        uint8_t speed;
        int ticks;
        int steps;
    } cases[] = {
        {4, 70, 10},  // every 7 ticks
        {0, 56, 2},   // every 28 ticks
        {2, 54, 3},   // every 18
        {200, 70, 10},  // a byte past the table is bounded to speed 4
    };
    for (const auto& c : cases) {
        LightPacer pacer(MouseLightingConfig());
        EXPECT_EQ(StepsOver(pacer, 1, c.speed, c.ticks), c.steps) << int(c.speed);
    }
    // Speeds 5..14 have period 0: a step on every pass, even without a new tick.
    LightPacer pacer(MouseLightingConfig());
    EXPECT_EQ(StepsOver(pacer, 1, 9, 9), 30);
}

TEST(LightPacer, EffectsWithoutARowRunTheSequenceEveryPass) {
    struct Case {
        LightingConfig config;
        uint8_t effect;
        bool sequence;
    } cases[] = {
        {MouseLightingConfig(), 8, false},    {MouseLightingConfig(), 9, true},
        {KeyboardLightingConfig(), 24, false}, {KeyboardLightingConfig(), 25, true},
        {PadLightingConfig(), 5, true},       {PadLightingConfig(), 4, false},
        {HeadsetLightingConfig(), 9, true},
    };
    for (const auto& c : cases) {
        LightPacer pacer(c.config);
        bool sequence = false;
        const int steps = StepsOver(pacer, c.effect, 4, 20, &sequence);
        EXPECT_EQ(sequence, c.sequence) << int(c.effect);
        EXPECT_EQ(steps == 0, c.sequence) << int(c.effect);
    }
    // The pad counts passes, not clock ticks.
    LightPacer pad(PadLightingConfig());
    int steps = 0;
    for (int pass = 0; pass < 70; ++pass) steps += pad.Pass(1, 4, 0).effectStep ? 1 : 0;
    EXPECT_EQ(steps, 10);
}

TEST(LightFrame, StreamFormScalesByBrightnessAndSkipsPositionsWithoutLed) {
    LightFrame frame(3);
    frame[0] = {255, 128, 0, 255};
    frame[1] = {200, 100, 50, 128};
    frame[2] = {255, 255, 255, 0};
    EXPECT_EQ(EncodeStreamFrame(frame), (Bytes{254, 127, 0, 100, 50, 25, 0, 0, 0}));

    LightFrame wide(200, LedEntry{255, 255, 255, 255});
    const Bytes wire = EncodeStreamFrame(wide);
    ASSERT_EQ(wire.size(), 512u);  // never past the stream buffer
    EXPECT_EQ(Bytes(wire.begin() + 3 * 126, wire.begin() + 3 * 127), (Bytes{0, 0, 0}));
    EXPECT_EQ(wire[3 * 125], 254);
    EXPECT_EQ(wire[509], 254);  // position 169, the last whole one
    EXPECT_EQ(wire[510], 0);    // position 170 would need bytes up to 512
}

class DeviceThreadsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(mouse.OpenCommand(command));
        syncPath = mouse.bus->PathOf(*mouse.model, mouse.model->SyncCollection());
    }

    testing_util::EmulatedMouse mouse;
    CHidChannel command;
    CHidChannel sync;
    std::string syncPath;
};

TEST_F(DeviceThreadsTest, LightingStepsReachTheDeviceThroughTheStreamWorker) {
    StreamWorker worker(command);
    ASSERT_TRUE(worker.Start());
    LightingThread light(MouseLightingConfig());
    light.SetTiming(1, 5);  // speed 5: a step on every pass
    std::atomic<int> value{0};
    LightingThread::Hooks hooks;
    hooks.step = [&](const LightPass& p, LightFrame& f) {
        if (!p.effectStep) return false;
        const uint8_t v = static_cast<uint8_t>(++value);
        for (auto& e : f) e = {v, static_cast<uint8_t>(v + 1), static_cast<uint8_t>(v + 2), 255};
        return true;
    };
    ASSERT_TRUE(light.Start(hooks, &worker));
    ASSERT_TRUE(WaitUntil([&] { return worker.Stats().streamed >= 5; }));
    EXPECT_EQ(light.Stop(), platform::StopOutcome::Ended);
    ASSERT_TRUE(WaitUntil([&] {
        const StreamStats s = worker.Stats();
        return s.streamed + s.failed + s.superseded == s.submitted;
    }));
    EXPECT_EQ(mouse.model->LedFrame(57), EncodeStreamFrame(light.Snapshot()));
    EXPECT_GT(light.EffectSteps(), 0u);
}

TEST_F(DeviceThreadsTest, LightingIdlesWhileClosedOrEnrolledAndStopsWithItsLines) {
    for (const bool open : {false, true}) {
        LightingThread light(MouseLightingConfig());
        light.SetTiming(1, 5);
        std::atomic<int> steps{0};
        LightingThread::Hooks hooks;
        hooks.channelOpen = [open] { return open; };
        hooks.enrolled = [] { return true; };  // only matters while open
        hooks.step = [&](const LightPass&, LightFrame&) {
            ++steps;
            return false;
        };
        ASSERT_TRUE(light.Start(hooks));
        std::this_thread::sleep_for(150ms);
        platform::DebugCapture debug;
        EXPECT_EQ(light.Stop(), platform::StopOutcome::Ended);
        EXPECT_EQ(steps.load(), 0) << open;
        EXPECT_EQ(debug.Lines(), (std::vector<std::string>{"MS灯光线程设定退出", "线程退出：：对象处于激发状态"}));
    }
}

TEST_F(DeviceThreadsTest, ProfileSwitchOnTheDeviceReachesTheSyncCallback) {
    SyncThread thread;
    KeyEventQueue keys;
    std::atomic<int> requests{0};
    platform::DebugCapture debug;
    ASSERT_TRUE(thread.Attach(sync, syncPath, {[&] { ++requests; }, &keys}));
    ASSERT_TRUE(sync.opened);

    mouse.model->InjectProfileSwitch(2);
    ASSERT_TRUE(WaitUntil([&] { return requests.load() == 1; }));
    EXPECT_TRUE(debug.Contains("接收到自动添加设备的同步信息要求  TEST"));
    EXPECT_EQ(debug.Count("接收到自动添加设备的同步信息要求"), 1u);

    for (int i = 0; i < 5; ++i) mouse.model->InjectSyncUsage(0x0404);
    mouse.model->InjectKeyPress(3);
    mouse.model->InjectKeyRelease(3);
    ASSERT_TRUE(WaitUntil([&] { return keys.Size() == 2; }));
    EXPECT_EQ(keys.Drain(), (std::vector<KeyEvent>{{3, 1}, {3, 2}}));
    EXPECT_EQ(thread.CounterValue(), 1u);
    EXPECT_EQ(requests.load(), 1);

    thread.Detach(sync);
    EXPECT_FALSE(sync.opened);
    EXPECT_FALSE(sync.hid.IsOpen());
}

TEST_F(DeviceThreadsTest, StopCutsTheBlockedSyncReadAndLeavesTheChannelUsable) {
    SyncThread thread;
    std::atomic<int> requests{0};
    ASSERT_TRUE(thread.Attach(sync, syncPath, {[&] { ++requests; }, nullptr}));
    std::this_thread::sleep_for(50ms);  // blocked in its read: the device sends nothing
    {
        platform::DebugCapture debug;
        EXPECT_EQ(thread.Stop(), platform::StopOutcome::Ended);
        EXPECT_EQ(debug.Lines(), (std::vector<std::string>{"MS设备同步线程设定退出", "线程退出：：对象处于激发状态"}));
    }
    ASSERT_TRUE(thread.Start(sync, {[&] { ++requests; }, nullptr}));
    mouse.model->InjectProfileSwitch(1);
    EXPECT_TRUE(WaitUntil([&] { return requests.load() == 1; }));
    thread.Detach(sync);
}

TEST_F(DeviceThreadsTest, KeyEventsAreAppliedOnTheLightingThread) {
    SyncThread syncThread;
    KeyEventQueue keys;
    ASSERT_TRUE(syncThread.Attach(sync, syncPath, {nullptr, &keys}));
    LightingThread light(MouseLightingConfig());
    std::mutex m;
    std::vector<KeyEvent> applied;
    std::thread::id keyThread, stepThread;
    LightingThread::Hooks hooks;
    hooks.keyEvent = [&](const KeyEvent& e, LightFrame&) {
        std::lock_guard lock(m);
        applied.push_back(e);
        keyThread = std::this_thread::get_id();
    };
    hooks.step = [&](const LightPass&, LightFrame&) {
        std::lock_guard lock(m);
        stepThread = std::this_thread::get_id();
        return false;
    };
    ASSERT_TRUE(light.Start(hooks, nullptr, &keys));
    mouse.model->InjectKeyPress(5);
    mouse.model->InjectKeyRelease(5);
    ASSERT_TRUE(WaitUntil([&] {
        std::lock_guard lock(m);
        return applied.size() == 2;
    }));
    light.Stop();
    syncThread.Detach(sync);
    EXPECT_EQ(applied, (std::vector<KeyEvent>{{5, 1}, {5, 2}}));
    EXPECT_EQ(keyThread, stepThread);
    EXPECT_NE(keyThread, std::this_thread::get_id());
}

TEST_F(DeviceThreadsTest, UnplugWhileFramesStreamEndsEveryThread) {
    StreamWorker worker(command);
    ASSERT_TRUE(worker.Start());
    SyncThread syncThread;
    ASSERT_TRUE(syncThread.Attach(sync, syncPath, {nullptr, nullptr}));
    LightingThread light(MouseLightingConfig());
    light.SetTiming(1, 5);
    LightingThread::Hooks hooks;
    hooks.channelOpen = [&] { return command.opened.load(); };
    hooks.step = [](const LightPass& p, LightFrame& f) {
        for (auto& e : f) e[0] = static_cast<uint8_t>(e[0] + 1), e[3] = 255;
        return p.effectStep;
    };
    ASSERT_TRUE(light.Start(hooks, &worker));
    ASSERT_TRUE(WaitUntil([&] { return worker.Stats().streamed >= 3; }));

    mouse.bus->Unplug(mouse.model);
    ASSERT_TRUE(WaitUntil([&] { return worker.Stats().failed >= 1; }));
    platform::DebugCapture debug;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(light.Stop(), platform::StopOutcome::Ended);
    EXPECT_EQ(worker.Stop(), platform::StopOutcome::Ended);
    syncThread.Detach(sync);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1000ms);
    EXPECT_FALSE(light.Running());
    EXPECT_FALSE(worker.Running());
    EXPECT_FALSE(syncThread.Running());
    EXPECT_EQ(debug.Count("线程退出：：对象处于激发状态"), 3u);
    EXPECT_EQ(debug.Count("线程退出：：对象处于非激发状态，超时"), 0u);
}
