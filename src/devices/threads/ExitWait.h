#pragma once
// The short waits of the device threads. poll() on the exit event waits at least
// the full time; Event::Wait computes its time-out from a deadline truncated to
// whole milliseconds, so a 1 ms wait there can come back at once and the loop spins.
#include "platform/Event.h"

#include <cerrno>
#include <poll.h>

namespace devices::threads {

// True when exit is (or becomes) signalled within ms; exit is a manual-reset event.
inline bool ExitWithin(const platform::Event& exit, int ms) {
    pollfd p{exit.Fd(), POLLIN, 0};
    for (;;) {
        const int r = ::poll(&p, 1, ms);
        if (r < 0 && errno == EINTR) continue;
        return r != 0;  // an error counts as a stop: never spin on a broken event
    }
}

} // namespace devices::threads
