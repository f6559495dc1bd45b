#include "hid/HidChannel.h"

#include "platform/Debug.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

constexpr int kQuickTimeoutMs = 1000;

// The two 32-byte lines of a report dump, spaced in groups of four as the device tools expect.
void DumpReport(const char* title, const hid::proto::Report& r) {
    platform::DebugOut(title);
    for (int half = 0; half < 2; ++half) {
        const uint8_t* b = r.data() + 32 * half;
        char line[160];
        std::snprintf(line, sizeof line,
                      "%02x %02x %02x %02x   %02x %02x %02x %02x   %02x %02x %02x %02x   %02x %02x %02x %02x  "
                      "%02x %02x %02x %02x  %02x %02x %02x %02x  %02x %02x %02x %02x  %02x %02x %02x %02x",
                      b[0], b[1], b[2], b[3], b[4], b[5], b[6], b[7], b[8], b[9], b[10], b[11], b[12], b[13], b[14],
                      b[15], b[16], b[17], b[18], b[19], b[20], b[21], b[22], b[23], b[24], b[25], b[26], b[27],
                      b[28], b[29], b[30], b[31]);
        platform::DebugOut(line);
    }
}

hid::proto::Report ToReport(const uint8_t* bytes, size_t length) {
    hid::proto::Report r{};
    if (bytes && length) std::memcpy(r.data(), bytes, std::min(length, r.size()));
    return r;
}

} // namespace

int CHidChannel::Transact(const uint8_t* request, size_t requestLength, uint8_t* reply, size_t replyLength,
                          size_t& transferred) {
    busy = true;
    transferred = 0;
    int result = hid::kCmdReadFailed;
    if (opened && reply && replyLength > 0) {
        const hid::proto::Report out = ToReport(request, requestLength);
        DumpReport("命令", out);
        bool wrote = false;
        {
            // One lock over the write and its reads, so no other exchange can take this reply.
            std::lock_guard<std::recursive_mutex> io(ioLock);
            size_t written = 0;
            wrote = hid.WriteHidReport(out.data(), out.size(), TimeoutMs(), written) && written > 0;
            if (!wrote) {
                result = hid::kCmdWriteFailed;
            } else {
                bool ok = hid.ReadHidReport(reply, replyLength, TimeoutMs(), transferred);
                // A reply to another command is read past once; the caller's checks decide after that.
                if (ok && replyLength > 3 && reply[3] != out[3])
                    ok = hid.ReadHidReport(reply, replyLength, TimeoutMs(), transferred);
                result = ok ? hid::kCmdOk : hid::kCmdReadFailed;
            }
        }
        if (wrote) DumpReport("返回", ToReport(reply, replyLength));
    }
    busy = false;
    return result;
}

int CHidChannel::TransactQuick(const uint8_t* request, size_t requestLength, uint8_t* reply, size_t replyLength,
                               size_t& transferred) {
    transferred = 0;
    if (!opened || !reply || replyLength == 0) return hid::kCmdReadFailed;
    const hid::proto::Report out = ToReport(request, requestLength);
    std::lock_guard<std::recursive_mutex> io(ioLock);
    size_t written = 0;
    if (!hid.WriteHidReport(out.data(), out.size(), kQuickTimeoutMs, written) || written == 0)
        return hid::kCmdWriteFailed;
    return hid.ReadHidReport(reply, replyLength, kQuickTimeoutMs, transferred) ? hid::kCmdOk : hid::kCmdReadFailed;
}

bool CHidChannel::SetDataSize(uint16_t n) {
    if (n > 512) return false;
    dataSize = n;
    return true;
}
