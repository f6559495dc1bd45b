#include "platform/Tick.h"

#include <chrono>

namespace platform {

namespace {
const auto g_start = std::chrono::steady_clock::now();
}

uint32_t MonotonicMs() {
    return static_cast<uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - g_start).count());
}

uint32_t GetTickCount() {
    const auto us = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - g_start).count();
    return QuantiseTick(static_cast<uint64_t>(us));
}

} // namespace platform
