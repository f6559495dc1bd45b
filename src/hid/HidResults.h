#pragma once
// Results of the device commands. Callers compare against these, never against literals.

namespace hid {

constexpr int kCmdOk = 1;             // success
constexpr int kCmdReadFailed = 0;     // channel not open, or the read failed / timed out
constexpr int kCmdWriteFailed = -1;   // the write failed
constexpr int kCmdStatusFF = -102;    // the device answered with status 0xFF
constexpr int kCmdStatusFE = -103;    // the device answered with status 0xFE
constexpr int kCmdBadBank = -201;     // key-map bank above 1; nothing was sent

} // namespace hid
