#include "platform/Event.h"

#include <cerrno>
#include <chrono>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace platform {

Event::Event(bool manualReset, bool initiallySet) : manual_(manualReset) {
    fd_ = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (initiallySet) Set();
}

Event::~Event() {
    if (fd_ >= 0) ::close(fd_);
}

void Event::Set() {
    if (fd_ < 0) return;
    // Keep the counter at most 1 so that Reset/Consume always clear it in one read.
    if (IsSet()) return;
    uint64_t one = 1;
    ssize_t r = ::write(fd_, &one, sizeof one);
    (void)r;
}

void Event::Reset() {
    if (fd_ < 0) return;
    uint64_t v;
    ssize_t r = ::read(fd_, &v, sizeof v);
    (void)r;
}

bool Event::IsSet() const {
    if (fd_ < 0) return false;
    pollfd p{fd_, POLLIN, 0};
    return ::poll(&p, 1, 0) == 1 && (p.revents & POLLIN);
}

bool Event::Consume() const {
    if (manual_) return true;
    uint64_t v;
    return ::read(fd_, &v, sizeof v) == static_cast<ssize_t>(sizeof v);
}

namespace {
// Rounded up: a truncated remainder would turn a 1 ms wait into a busy poll.
int RemainingMs(std::chrono::steady_clock::time_point deadline) {
    auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
    return left < 0 ? 0 : static_cast<int>(left);
}
} // namespace

WaitResult Event::Wait(int timeoutMs) const {
    if (fd_ < 0) return WaitResult::Failed;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
    for (;;) {
        pollfd p{fd_, POLLIN, 0};
        int r = ::poll(&p, 1, timeoutMs < 0 ? -1 : RemainingMs(deadline));
        if (r < 0) {
            if (errno == EINTR) continue;
            return WaitResult::Failed;
        }
        if (r == 0) return WaitResult::TimedOut;
        if (Consume()) return WaitResult::Signalled;
        // Another waiter took an auto-reset signal first: keep waiting.
        if (timeoutMs >= 0 && RemainingMs(deadline) == 0) return WaitResult::TimedOut;
    }
}

FdWait WaitFdOrStop(int fd, short events, const Event* stop, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
    for (;;) {
        pollfd p[2] = {{stop ? stop->Fd() : -1, POLLIN, 0}, {fd, events, 0}};
        int r = ::poll(p, 2, timeoutMs < 0 ? -1 : RemainingMs(deadline));
        if (r < 0) {
            if (errno == EINTR) continue;
            return FdWait::Failed;
        }
        if (r == 0) return FdWait::TimedOut;
        if (p[0].revents & POLLIN) {
            stop->Consume();
            return FdWait::Stopped;
        }
        if (p[1].revents & (POLLERR | POLLHUP | POLLNVAL)) return FdWait::Failed;
        if (p[1].revents & events) return FdWait::Ready;
    }
}

} // namespace platform
