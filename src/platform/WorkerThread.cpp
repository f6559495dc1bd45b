#include "platform/WorkerThread.h"

#include "platform/Debug.h"

#include <string>

namespace platform {

WorkerThread::~WorkerThread() {
    if (thread_.joinable()) Stop();
}

bool WorkerThread::Start(std::function<void(const Event& exit)> body, std::function<void()> unblock) {
    if (thread_.joinable()) return false;
    exit_.Reset();
    done_.Reset();
    unblock_ = std::move(unblock);
    thread_ = std::thread([this, body = std::move(body)] {
        body(exit_);
        done_.Set();
    });
    return true;
}

StopOutcome WorkerThread::Stop(StopLines lines, int graceMs, int slot) {
    if (!thread_.joinable()) {
        if (lines == StopLines::MainWindow) DebugOut("错误" + std::to_string(slot < 0 ? 0 : slot));
        return StopOutcome::NotStarted;
    }
    exit_.Set();
    if (unblock_) unblock_();
    const bool ended = done_.Wait(graceMs) == WaitResult::Signalled;
    if (lines == StopLines::MainWindow)
        DebugOut(ended ? "所有对象处于激发状态" : "所有对象处于非激发状态，超时");
    else
        DebugOut(ended ? "线程退出：：对象处于激发状态" : "线程退出：：对象处于非激发状态，超时");
    if (!ended && unblock_) unblock_();
    thread_.join();
    return ended ? StopOutcome::Ended : StopOutcome::TimedOut;
}

} // namespace platform
