#include "hid/HidBackend.h"

#include "hid/HidrawBackend.h"

#include <mutex>

namespace hid {

namespace {
std::mutex g_backendMutex;
std::shared_ptr<IHidBackend> g_backend;
} // namespace

void SetBackend(std::shared_ptr<IHidBackend> backend) {
    std::lock_guard<std::mutex> lock(g_backendMutex);
    g_backend = std::move(backend);
}

std::shared_ptr<IHidBackend> GetBackend() {
    std::lock_guard<std::mutex> lock(g_backendMutex);
    if (!g_backend) g_backend = std::make_shared<HidrawBackend>();
    return g_backend;
}

} // namespace hid
