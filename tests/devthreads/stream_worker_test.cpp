// The per-device stream worker against the emulated mouse.
#include "devices/threads/StreamWorker.h"
#include "mousecore/EmulatedMouse.h"
#include "platform/Debug.h"
#include "platform/Tick.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>

using namespace devices::threads;
using testing_util::Bytes;

namespace {

// Records what the worker streamed, for waiting on it from the test thread.
struct StreamLog {
    std::mutex mutex;
    std::condition_variable cv;
    std::vector<std::pair<int, Bytes>> streams;
    std::vector<uint32_t> times;

    StreamWorker::StreamedFn Fn() {
        return [this](int r, const Bytes& f) {
            std::lock_guard lock(mutex);
            streams.emplace_back(r, f);
            times.push_back(platform::MonotonicMs());
            cv.notify_all();
        };
    }
    bool WaitFor(size_t n, int ms = 3000) {
        std::unique_lock lock(mutex);
        return cv.wait_for(lock, std::chrono::milliseconds(ms), [&] { return streams.size() >= n; });
    }
};

// Waits until the emulated mouse has seen n stream reports.
bool WaitForRequests(const emu::DeviceModel& m, size_t n, int ms = 3000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (m.Requests(0x12).size() < n)
        if (std::chrono::steady_clock::now() > end) return false;
        else std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return true;
}

Bytes Frame(uint8_t v) { return Bytes(6, v); }  // one chunk

class StreamWorkerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(mouse.OpenCommand(ch));
        worker.SetOnStreamed(log.Fn());
        ASSERT_TRUE(worker.Start());
    }

    testing_util::EmulatedMouse mouse;
    CHidChannel ch;
    StreamLog log;
    StreamWorker worker{ch};
};

} // namespace

TEST_F(StreamWorkerTest, SendsTheNewestFrameAndDropsStaleOnes) {
    mouse.model->InjectFault({emu::Fault::LateReply, 1, 0x12, 0, 300});
    worker.SubmitFrame(Frame(1));
    ASSERT_TRUE(WaitForRequests(*mouse.model, 1));  // the worker is now waiting for the late reply
    for (uint8_t v : {2, 3, 4}) worker.SubmitFrame(Frame(v));
    ASSERT_TRUE(log.WaitFor(2));

    EXPECT_EQ(log.streams[0], (std::pair<int, Bytes>{1, Frame(1)}));
    EXPECT_EQ(log.streams[1], (std::pair<int, Bytes>{1, Frame(4)}));
    const auto wire = mouse.model->Requests(0x12);
    ASSERT_EQ(wire.size(), 2u);  // frames 2 and 3 never went out
    EXPECT_EQ(Bytes(wire[1].begin() + 8, wire[1].begin() + 14), Frame(4));
    EXPECT_EQ(mouse.model->LedFrame(6), Frame(4));
    const StreamStats s = worker.Stats();
    EXPECT_EQ(s.submitted, 4u);
    EXPECT_EQ(s.superseded, 2u);
    EXPECT_EQ(s.streamed, 2u);
}

TEST_F(StreamWorkerTest, BacksOffAfterAFailedStreamAndAStopCutsTheRest) {
    mouse.model->InjectFault({emu::Fault::Status, 1, 0x12, 0, 0xFE});
    worker.SubmitFrame(Frame(1));
    ASSERT_TRUE(log.WaitFor(1));
    EXPECT_EQ(log.streams[0].first, -103);
    worker.SubmitFrame(Frame(2));
    ASSERT_TRUE(log.WaitFor(2));
    EXPECT_EQ(log.streams[1].first, 1);
    EXPECT_GE(log.times[1] - log.times[0], 190u);  // the 200 ms rest, less timer slack

    mouse.model->InjectFault({emu::Fault::Status, 1, 0x12, 0, 0xFE});
    worker.SubmitFrame(Frame(3));
    ASSERT_TRUE(log.WaitFor(3));
    platform::DebugCapture debug;
    EXPECT_EQ(worker.Stop(), platform::StopOutcome::Ended);  // not held by the rest
    EXPECT_TRUE(debug.Contains("线程退出：：对象处于激发状态"));
}

TEST_F(StreamWorkerTest, SilentDeviceDoesNotBlockSubmit) {
    mouse.model->InjectFault({emu::Fault::NoReply, -1, 0x12, 0, 0});
    worker.SubmitFrame(Frame(1));
    ASSERT_TRUE(WaitForRequests(*mouse.model, 1));  // stuck in the stream from here on

    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 100; ++i) worker.SubmitFrame(Frame(static_cast<uint8_t>(i)));
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_LT(took, std::chrono::milliseconds(200));
    EXPECT_EQ(worker.Stats().superseded, 99u);
    EXPECT_EQ(worker.Stats().streamed, 0u);

    mouse.model->ClearFaults();
    worker.Stop();  // the stuck chunk times out, then the worker ends
    EXPECT_FALSE(worker.Running());
}
