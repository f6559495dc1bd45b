#pragma once
// Millisecond tick sources. The lighting effects count changes of a coarse
// system tick (15.625 ms steps), so the same number of steps per second is
// reproduced here independent of the machine's timer resolution.
#include <cstdint>

namespace platform {

// Milliseconds since an arbitrary start, monotonic, full resolution.
uint32_t MonotonicMs();

// Monotonic milliseconds quantised to the 15.625 ms (64 Hz) system tick.
uint32_t GetTickCount();

// Pure quantiser used by GetTickCount: the tick value in force at time ms.
constexpr uint32_t QuantiseTick(uint64_t microseconds) {
    // 15625 us per tick; value in ms of the tick boundary.
    const uint64_t ticks = microseconds / 15625u;
    return static_cast<uint32_t>((ticks * 15625u) / 1000u);
}

} // namespace platform
