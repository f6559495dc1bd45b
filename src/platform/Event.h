#pragma once
// A waitable event with manual or auto reset, backed by an eventfd so that
// I/O code can poll() it together with a device node (a stop always cuts a wait).
#include <cstdint>

namespace platform {

enum class WaitResult { Signalled, TimedOut, Failed };

class Event {
public:
    // manualReset: stays signalled until Reset(); otherwise one successful wait clears it.
    explicit Event(bool manualReset = false, bool initiallySet = false);
    ~Event();
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    void Set();
    void Reset();
    bool IsSet() const;
    bool IsManualReset() const { return manual_; }

    // timeoutMs < 0 waits forever.
    WaitResult Wait(int timeoutMs) const;

    // For poll(): readable while signalled. Auto-reset events are consumed with Consume().
    int Fd() const { return fd_; }
    // Clears an auto-reset event after a poll() saw it readable; true if this caller took it.
    bool Consume() const;

private:
    int fd_ = -1;
    bool manual_;
};

// Waits until fd is ready for `events` (POLLIN/POLLOUT) or stop is signalled.
// Returns Signalled when the fd is ready, TimedOut on time-out, Failed when stop fired
// or poll failed. A stop signal on an auto-reset event is consumed.
enum class FdWait { Ready, TimedOut, Stopped, Failed };
FdWait WaitFdOrStop(int fd, short events, const Event* stop, int timeoutMs);

} // namespace platform
