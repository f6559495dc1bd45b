#pragma once
// Per-device lighting stream: producers (the lighting thread, a UI timer) hand in
// frames without ever waiting on the device; one worker streams the newest frame
// with command 0x12 and backs off after a stream that failed. A stalled device
// therefore only delays its own worker.
#include "hid/HidChannel.h"
#include "platform/Event.h"
#include "platform/WorkerThread.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

namespace devices::threads {

inline constexpr int kStreamBackoffMs = 200;

struct StreamStats {
    uint64_t submitted = 0;   // frames handed in
    uint64_t streamed = 0;    // frames sent with result 1
    uint64_t failed = 0;      // frames whose stream did not return 1
    uint64_t superseded = 0;  // frames replaced by a newer one before they went out
    int lastResult = 0;
};

class StreamWorker {
public:
    // Called on the worker after every stream (result, the bytes sent). Set before Start.
    using StreamedFn = std::function<void(int result, const std::vector<uint8_t>& frame)>;

    explicit StreamWorker(CHidChannel& channel, int backoffMs = kStreamBackoffMs);
    ~StreamWorker();
    StreamWorker(const StreamWorker&) = delete;
    StreamWorker& operator=(const StreamWorker&) = delete;

    void SetOnStreamed(StreamedFn fn) { onStreamed_ = std::move(fn); }
    bool Start();
    // The stream in progress finishes first (each chunk waits at most 1000 ms for its reply).
    platform::StopOutcome Stop();
    bool Running() const { return thread_.Running(); }

    // Any thread; copies the bytes and returns at once. A frame not yet sent is replaced.
    void SubmitFrame(const uint8_t* bytes, size_t length);
    void SubmitFrame(const std::vector<uint8_t>& bytes) { SubmitFrame(bytes.data(), bytes.size()); }

    StreamStats Stats() const;

private:
    void Run(const platform::Event& exit);

    CHidChannel& channel_;
    const int backoffMs_;
    StreamedFn onStreamed_;
    platform::Event wake_{false, false};  // auto reset: a frame is waiting

    mutable std::mutex mutex_;  // guards pending_, hasPending_, stats_
    std::vector<uint8_t> pending_;
    bool hasPending_ = false;
    StreamStats stats_;

    platform::WorkerThread thread_;
};

} // namespace devices::threads
