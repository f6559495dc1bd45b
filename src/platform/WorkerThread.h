#pragma once
// A worker thread with its own manual-reset exit event and a cooperative stop:
// signal the exit event, unblock whatever call the worker is blocked in, join.
// A thread is never killed; a slow stop writes its time-out line and keeps waiting.
#include "platform/Event.h"

#include <functional>
#include <thread>

namespace platform {

enum class StopOutcome { Ended, TimedOut, NotStarted };

// The two families of stop lines the program writes.
enum class StopLines {
    MainWindow,   // "所有对象处于激发状态" ...
    DeviceThread  // "线程退出：：对象处于激发状态" ...
};

class WorkerThread {
public:
    WorkerThread() = default;
    ~WorkerThread();
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    // body receives the exit event; it must return soon after the event is set.
    // unblock is called on Stop() after the event is set (e.g. signal a channel's stop).
    bool Start(std::function<void(const Event& exit)> body, std::function<void()> unblock = {});
    bool Running() const { return thread_.joinable(); }
    const Event& ExitEvent() const { return exit_; }

    // Signals, unblocks, waits up to graceMs, writes the outcome line, then joins.
    StopOutcome Stop(StopLines lines = StopLines::DeviceThread, int graceMs = 1000, int slot = -1);

private:
    Event exit_{true, false};
    Event done_{true, false};
    std::function<void()> unblock_;
    std::thread thread_;
};

} // namespace platform
