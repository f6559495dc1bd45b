#include "app/MessageBridge.h"

#include <QMetaObject>
#include <QObject>
#include <QThread>
#include <mutex>
#include <poll.h>

namespace app {

namespace {
struct SendState {
    std::mutex mutex;
    bool started = false;
    bool abandoned = false;
    platform::Event done{true, false};
    intptr_t result = 0;
};
} // namespace

MessageBridge::MessageBridge(Handler handler) : handler_(std::move(handler)), context_(std::make_unique<QObject>()) {}

MessageBridge::~MessageBridge() = default;  // deleting the context drops calls still queued

bool MessageBridge::OnUiThread() const { return QThread::currentThread() == context_->thread(); }

void MessageBridge::Post(unsigned msg, uintptr_t wParam, intptr_t lParam) {
    QMetaObject::invokeMethod(
        context_.get(), [this, msg, wParam, lParam] { handler_(msg, wParam, lParam); }, Qt::QueuedConnection);
}

MessageBridge::SendResult MessageBridge::Send(unsigned msg, uintptr_t wParam, intptr_t lParam,
                                              const platform::Event* abort, intptr_t* result) {
    if (OnUiThread()) {
        const intptr_t r = handler_(msg, wParam, lParam);
        if (result) *result = r;
        return SendResult::Handled;
    }
    auto state = std::make_shared<SendState>();
    QMetaObject::invokeMethod(
        context_.get(),
        [this, state, msg, wParam, lParam] {
            {
                std::lock_guard lock(state->mutex);
                if (state->abandoned) return;
                state->started = true;
            }
            state->result = handler_(msg, wParam, lParam);
            state->done.Set();
        },
        Qt::QueuedConnection);

    ++waiting_;
    platform::FdWait w = platform::WaitFdOrStop(state->done.Fd(), POLLIN, abort, -1);
    if (w != platform::FdWait::Ready) {
        std::unique_lock lock(state->mutex);
        if (!state->started) {
            state->abandoned = true;
            --waiting_;
            return SendResult::Aborted;
        }
        lock.unlock();
        // The UI thread is inside the handler already; it finishes without us.
        state->done.Wait(-1);
    }
    --waiting_;
    if (result) *result = state->result;
    return SendResult::Handled;
}

} // namespace app
