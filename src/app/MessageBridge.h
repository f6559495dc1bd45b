#pragma once
// Delivers numbered window messages to a handler on the UI thread. Post queues;
// Send waits until the handler has run, but a worker's wait also ends when its
// exit event fires, so a send in flight can never hold up shutdown.
#include "platform/Event.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

class QObject;

namespace app {

class MessageBridge {
public:
    using Handler = std::function<intptr_t(unsigned msg, uintptr_t wParam, intptr_t lParam)>;

    // Construct on the UI thread: the handler always runs there.
    explicit MessageBridge(Handler handler);
    ~MessageBridge();
    MessageBridge(const MessageBridge&) = delete;
    MessageBridge& operator=(const MessageBridge&) = delete;

    void Post(unsigned msg, uintptr_t wParam, intptr_t lParam);

    enum class SendResult { Handled, Aborted };
    // From the UI thread the handler runs at once. From another thread the call
    // blocks until the UI thread has handled it, or until abort is set before the
    // UI thread started on it (the message is then dropped, never half handled).
    SendResult Send(unsigned msg, uintptr_t wParam, intptr_t lParam, const platform::Event* abort = nullptr,
                    intptr_t* result = nullptr);

    // Sends waiting for the UI thread right now (tests use it to catch a worker mid-send).
    int WaitingSends() const { return waiting_.load(); }

private:
    bool OnUiThread() const;
    Handler handler_;
    std::unique_ptr<QObject> context_;
    std::atomic<int> waiting_{0};
};

} // namespace app
