#include "platform/AtomicFile.h"
#include "platform/Debug.h"
#include "platform/Event.h"
#include "platform/Folders.h"
#include "platform/Tick.h"
#include "platform/WorkerThread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <poll.h>
#include <thread>
#include <unistd.h>

using namespace platform;
using namespace std::chrono;

TEST(Event, ManualResetStaysSignalledUntilReset) {
    Event e(true, false);
    EXPECT_EQ(e.Wait(0), WaitResult::TimedOut);
    e.Set();
    EXPECT_EQ(e.Wait(0), WaitResult::Signalled);
    EXPECT_EQ(e.Wait(0), WaitResult::Signalled);
    e.Reset();
    EXPECT_EQ(e.Wait(10), WaitResult::TimedOut);
}

TEST(Event, AutoResetReleasesOneWait) {
    Event e(false, true);
    EXPECT_EQ(e.Wait(0), WaitResult::Signalled);
    EXPECT_EQ(e.Wait(0), WaitResult::TimedOut);
    e.Set();
    e.Set();  // a second Set before the wait does not bank a second signal
    EXPECT_EQ(e.Wait(0), WaitResult::Signalled);
    EXPECT_EQ(e.Wait(0), WaitResult::TimedOut);
}

TEST(Event, WaitWakesWhenAnotherThreadSets) {
    Event e(false, false);
    std::thread t([&] {
        std::this_thread::sleep_for(20ms);
        e.Set();
    });
    EXPECT_EQ(e.Wait(5000), WaitResult::Signalled);
    t.join();
}

TEST(Event, StopCutsAPendingFdWait) {
    int p[2];
    ASSERT_EQ(::pipe(p), 0);
    Event stop(false, false);
    std::thread t([&] {
        std::this_thread::sleep_for(20ms);
        stop.Set();
    });
    auto t0 = steady_clock::now();
    EXPECT_EQ(WaitFdOrStop(p[0], POLLIN, &stop, -1), FdWait::Stopped);
    EXPECT_LT(steady_clock::now() - t0, 2s);
    t.join();
    EXPECT_FALSE(stop.IsSet());  // auto-reset stop was consumed
    EXPECT_EQ(WaitFdOrStop(p[0], POLLIN, &stop, 10), FdWait::TimedOut);
    char c = 'x';
    ASSERT_EQ(::write(p[1], &c, 1), 1);
    EXPECT_EQ(WaitFdOrStop(p[0], POLLIN, &stop, 10), FdWait::Ready);
    ::close(p[0]);
    ::close(p[1]);
}

TEST(WorkerThread, StopEndsAWorkerAndWritesTheEndedLine) {
    DebugCapture cap;
    WorkerThread w;
    std::atomic<int> loops{0};
    ASSERT_TRUE(w.Start([&](const Event& exit) {
        while (exit.Wait(1) == WaitResult::TimedOut) ++loops;
    }));
    std::this_thread::sleep_for(10ms);
    EXPECT_EQ(w.Stop(), StopOutcome::Ended);
    EXPECT_FALSE(w.Running());
    EXPECT_TRUE(cap.Contains("线程退出：：对象处于激发状态"));
}

TEST(WorkerThread, SlowWorkerGetsTheTimeOutLineButIsJoinedNotKilled) {
    DebugCapture cap;
    WorkerThread w;
    std::atomic<bool> finished{false};
    Event unblocked(true, false);
    ASSERT_TRUE(w.Start(
        [&](const Event&) {
            // Ignores the exit event; only the unblock (second call) lets it go.
            std::this_thread::sleep_for(80ms);
            unblocked.Wait(-1);
            finished = true;
        },
        [&] {
            static int calls = 0;
            if (++calls == 2) unblocked.Set();
        }));
    EXPECT_EQ(w.Stop(StopLines::MainWindow, 20), StopOutcome::TimedOut);
    EXPECT_TRUE(finished);
    EXPECT_TRUE(cap.Contains("所有对象处于非激发状态，超时"));
}

TEST(WorkerThread, StoppingASlotWithoutAThreadWritesTheErrorLine) {
    DebugCapture cap;
    WorkerThread w;
    EXPECT_EQ(w.Stop(StopLines::MainWindow, 1000, 7), StopOutcome::NotStarted);
    EXPECT_TRUE(cap.Contains("错误7"));
}

TEST(Tick, QuantisesToTheSystemTick) {
    struct Case { uint64_t us; uint32_t ms; };
    for (auto c : {Case{0, 0}, Case{15624, 0}, Case{15625, 15}, Case{31250, 31}, Case{46875, 46}, Case{1000000, 1000}})
        EXPECT_EQ(QuantiseTick(c.us), c.ms) << c.us;
    // 64 distinct values per second, as the effects expect.
    uint32_t last = 1, changes = 0;
    for (uint64_t us = 0; us < 1000000; us += 500) {
        uint32_t t = QuantiseTick(us);
        if (t != last) ++changes;
        last = t;
    }
    EXPECT_EQ(changes, 64u);
}

class FoldersTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() / ("zandri-folders-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir_);
        ::setenv("XDG_CONFIG_HOME", dir_.c_str(), 1);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    std::filesystem::path dir_;
};

TEST_F(FoldersTest, PerUserFoldersLiveUnderXdgConfigHome) {
    EXPECT_EQ(AppDataFolder(), dir_.string() + "/Zandri Gaming Mouse/");
    EXPECT_EQ(DeviceDataFolder("MousePad"), dir_.string() + "/Zandri Gaming Mouse/MousePad/");
    EXPECT_TRUE(std::filesystem::is_directory(dir_ / "Zandri Gaming Mouse" / "MousePad"));
    EXPECT_EQ(ExecutableFolder().back(), '/');
}

TEST_F(FoldersTest, AtomicWriteReplacesAndACrashBeforeRenameKeepsTheOldFile) {
    const std::string file = (dir_ / "a.Json").string();
    ASSERT_TRUE(WriteFileAtomic(file, "old\n"));
    EXPECT_EQ(ReadWholeFile(file).value_or(""), "old\n");
    SetAtomicWriteCrashForTests(true);
    EXPECT_FALSE(WriteFileAtomic(file, "new but torn"));
    SetAtomicWriteCrashForTests(false);
    EXPECT_EQ(ReadWholeFile(file).value_or(""), "old\n");
    ASSERT_TRUE(WriteFileAtomic(file, "new\n"));
    EXPECT_EQ(ReadWholeFile(file).value_or(""), "new\n");
    EXPECT_FALSE(ReadWholeFile((dir_ / "missing").string()).has_value());
    EXPECT_FALSE(WriteFileAtomic((dir_ / "no-such-dir" / "x").string(), "x"));
}

TEST(Event, AShortTimeOutReallyWaits) {
    // Waits of a few ms pace the lighting loops; returning early would make them spin.
    Event e(true, false);
    int p[2];
    ASSERT_EQ(::pipe(p), 0);
    for (int ms : {1, 3}) {
        auto t0 = steady_clock::now();
        EXPECT_EQ(e.Wait(ms), WaitResult::TimedOut);
        EXPECT_GE(steady_clock::now() - t0, milliseconds(ms));
        t0 = steady_clock::now();
        EXPECT_EQ(WaitFdOrStop(p[0], POLLIN, &e, ms), FdWait::TimedOut);
        EXPECT_GE(steady_clock::now() - t0, milliseconds(ms));
    }
    ::close(p[0]);
    ::close(p[1]);
}
