#include "devices/threads/SyncThread.h"

#include "devices/threads/ExitWait.h"
#include "platform/Debug.h"

namespace devices::threads {

namespace {
constexpr int kIdleMs = 100;  // closed channel, or a read that failed (device gone)
constexpr size_t kDefaultReportLength = 64;
} // namespace

SyncUsageKind ClassifySyncUsage(uint16_t usage) {
    if (usage == kUsageSyncRequest) return SyncUsageKind::SyncRequest;
    if (usage == kUsageCounter) return SyncUsageKind::Counter;
    if ((usage & 0xFF00) == 0x0500) return SyncUsageKind::KeyPress;
    if ((usage & 0xFF00) == 0x0600) return SyncUsageKind::KeyRelease;
    return SyncUsageKind::Other;
}

uint16_t FirstUsage(const std::vector<hid::HidUsageEntry>& entries, uint8_t reportId) {
    for (const auto& e : entries) {
        if (e.reportId != reportId) continue;
        if (!e.isButton) return e.usage;
        return e.usages.empty() ? 0 : e.usages[0];
    }
    return 0;
}

void KeyEventQueue::Push(const KeyEvent& e) {
    std::lock_guard lock(mutex_);
    if (events_.size() >= capacity_) events_.pop_front();
    events_.push_back(e);
}

std::vector<KeyEvent> KeyEventQueue::Drain() {
    std::lock_guard lock(mutex_);
    std::vector<KeyEvent> out(events_.begin(), events_.end());
    events_.clear();
    return out;
}

size_t KeyEventQueue::Size() const {
    std::lock_guard lock(mutex_);
    return events_.size();
}

SyncThread::~SyncThread() { Stop(); }

bool SyncThread::Start(CHidChannel& channel, Hooks hooks) {
    Stop();
    channel_ = &channel;
    counter_ = 0;
    return thread_.Start([this, &channel, hooks = std::move(hooks)](const platform::Event& exit) {
        Run(exit, channel, hooks);
    },
                         [&channel] { channel.hid.SignalStop(); });
}

platform::StopOutcome SyncThread::Stop() {
    if (!thread_.Running()) return platform::StopOutcome::NotStarted;
    const platform::StopOutcome outcome = thread_.Stop(platform::StopLines::DeviceThread);
    // A stop signal the reader never consumed must not fail the channel's next read.
    if (channel_) channel_->hid.stopEvent.Reset();
    return outcome;
}

bool SyncThread::Attach(CHidChannel& channel, const std::string& path, Hooks hooks) {
    if (channel.opened && channel.hid.devicePath != path) Detach(channel);
    if (!channel.opened) {
        std::lock_guard io(channel.ioLock);
        if (!channel.hid.OpenHidDevice(path, true, true, true, false)) return false;
        channel.opened = true;
    }
    if (Running()) return true;
    return Start(channel, std::move(hooks));
}

void SyncThread::Detach(CHidChannel& channel) {
    Stop();
    std::lock_guard io(channel.ioLock);
    channel.opened = false;
    channel.hid.CloseHidDevice();
}

void SyncThread::Run(const platform::Event& exit, CHidChannel& channel, const Hooks& hooks) {
    std::vector<uint8_t> report;
    while (!ExitWithin(exit, 1)) {
        if (!channel.opened) {
            if (ExitWithin(exit, kIdleMs)) break;
            continue;
        }
        const size_t length = channel.hid.caps.InputReportByteLength ? channel.hid.caps.InputReportByteLength
                                                                     : kDefaultReportLength;
        report.assign(length, 0);
        size_t n = 0;
        if (!channel.hid.ReadHidReport(report.data(), report.size(), -1, n) || n == 0) {
            // Stopped, or the interface went away: do not spin on a dead handle.
            if (ExitWithin(exit, kIdleMs)) break;
            continue;
        }
        std::vector<hid::HidUsageEntry> entries = channel.hid.inputEntries;
        if (!channel.hid.UnpackInputReport(entries, report.data(), n)) continue;
        const uint16_t usage = FirstUsage(entries, report[0]);
        platform::DebugOut("接收到自动添加设备的同步信息要求  TEST");
        switch (ClassifySyncUsage(usage)) {
        case SyncUsageKind::SyncRequest:
            platform::DebugOut("接收到自动添加设备的同步信息要求");
            if (hooks.postSyncRequest) hooks.postSyncRequest();
            break;
        case SyncUsageKind::Counter:
            counter_ = (counter_ + 1) % 4;
            break;
        case SyncUsageKind::KeyPress:
            if (hooks.keys) hooks.keys->Push({static_cast<uint8_t>(usage & 0xFF), 1});
            break;
        case SyncUsageKind::KeyRelease:
            if (hooks.keys) hooks.keys->Push({static_cast<uint8_t>(usage & 0xFF), 2});
            break;
        case SyncUsageKind::Other:
            break;
        }
    }
    platform::DebugOut("MS设备同步线程设定退出");
}

} // namespace devices::threads
