#include "devices/threads/StreamWorker.h"

#include "devices/threads/ExitWait.h"
#include "hid/HidResults.h"

#include <poll.h>

namespace devices::threads {

StreamWorker::StreamWorker(CHidChannel& channel, int backoffMs) : channel_(channel), backoffMs_(backoffMs) {}

StreamWorker::~StreamWorker() { Stop(); }

bool StreamWorker::Start() {
    return thread_.Start([this](const platform::Event& exit) { Run(exit); });
}

platform::StopOutcome StreamWorker::Stop() {
    if (!thread_.Running()) return platform::StopOutcome::NotStarted;
    return thread_.Stop(platform::StopLines::DeviceThread);
}

void StreamWorker::SubmitFrame(const uint8_t* bytes, size_t length) {
    {
        std::lock_guard lock(mutex_);
        if (hasPending_) ++stats_.superseded;
        if (bytes && length) pending_.assign(bytes, bytes + length);
        else pending_.clear();
        hasPending_ = true;
        ++stats_.submitted;
    }
    wake_.Set();
}

StreamStats StreamWorker::Stats() const {
    std::lock_guard lock(mutex_);
    return stats_;
}

void StreamWorker::Run(const platform::Event& exit) {
    std::vector<uint8_t> frame;
    for (;;) {
        if (platform::WaitFdOrStop(wake_.Fd(), POLLIN, &exit, -1) != platform::FdWait::Ready) break;
        wake_.Consume();
        {
            std::lock_guard lock(mutex_);
            if (!hasPending_) continue;
            frame.swap(pending_);
            pending_.clear();
            hasPending_ = false;
        }
        const int r = channel_.StreamLightFrame(frame.data(), frame.size());
        {
            std::lock_guard lock(mutex_);
            stats_.lastResult = r;
            if (r == hid::kCmdOk) ++stats_.streamed;
            else ++stats_.failed;
        }
        if (onStreamed_) onStreamed_(r, frame);
        // A device that did not take the frame gets a rest; a stop cuts the rest short.
        if (r != hid::kCmdOk && ExitWithin(exit, backoffMs_)) break;
    }
}

} // namespace devices::threads
