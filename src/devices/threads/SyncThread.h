#pragma once
// The sync thread: blocking input-report reads on a device's sync interface.
// A profile switch made on the device (usage 0x0401) is handed to the owner,
// which runs its sync request on the UI thread; key presses and releases
// (0x05xx/0x06xx) go onto a queue that the lighting thread drains.
#include "hid/HidChannel.h"
#include "hid/HidDescriptor.h"
#include "platform/WorkerThread.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace devices::threads {

inline constexpr uint16_t kUsageSyncRequest = 0x0401;
inline constexpr uint16_t kUsageCounter = 0x0404;

struct KeyEvent {
    uint8_t key = 0;
    uint8_t type = 0;  // 1 press, 2 release
    bool operator==(const KeyEvent&) const = default;
};

enum class SyncUsageKind { SyncRequest, Counter, KeyPress, KeyRelease, Other };

SyncUsageKind ClassifySyncUsage(uint16_t usage);

// The first usage of the first entry of the report's ID (0 when there is none).
uint16_t FirstUsage(const std::vector<hid::HidUsageEntry>& entries, uint8_t reportId);

// Locked hand-over of key events from the sync thread to the lighting thread.
// Bounded: when the consumer is not running, the oldest events go first.
class KeyEventQueue {
public:
    explicit KeyEventQueue(size_t capacity = 256) : capacity_(capacity) {}
    void Push(const KeyEvent& e);
    std::vector<KeyEvent> Drain();
    size_t Size() const;

private:
    mutable std::mutex mutex_;
    std::deque<KeyEvent> events_;
    size_t capacity_;
};

class SyncThread {
public:
    struct Hooks {
        // Runs on the sync thread: the owner must only post (e.g. start timer 1002 on the UI thread).
        std::function<void()> postSyncRequest;
        KeyEventQueue* keys = nullptr;  // null: key usages are ignored
    };

    SyncThread() = default;
    ~SyncThread();
    SyncThread(const SyncThread&) = delete;
    SyncThread& operator=(const SyncThread&) = delete;

    // Starts reading channel (which must stay alive until Stop). Stops a running thread first.
    bool Start(CHidChannel& channel, Hooks hooks);
    // Signals the exit event and the channel's stop signal (which cuts the pending read), then joins.
    platform::StopOutcome Stop();
    bool Running() const { return thread_.Running(); }

    // Opens path on channel (read and write, shared) under its ioLock when it is not
    // open yet, and starts the thread. A different path detaches first.
    bool Attach(CHidChannel& channel, const std::string& path, Hooks hooks);
    // Stops the thread, then closes the channel under its ioLock; the channel's
    // buffers are released only after the reader has been joined.
    void Detach(CHidChannel& channel);

    // 0x0404 reports seen, modulo 4.
    unsigned CounterValue() const { return counter_.load(); }

private:
    void Run(const platform::Event& exit, CHidChannel& channel, const Hooks& hooks);

    CHidChannel* channel_ = nullptr;
    std::atomic<unsigned> counter_{0};
    platform::WorkerThread thread_;
};

} // namespace devices::threads
