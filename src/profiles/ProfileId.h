#pragma once
// Profile, macro and light-effect IDs: local-time stamps that also name files.
#include <chrono>
#include <functional>
#include <string>

namespace profiles {

// "%d_%02d_%02d_%02d_%02d_%02d_%03d" from the local time (year .. millisecond).
std::string MakeTimestampId(std::chrono::system_clock::time_point when);
std::string MakeTimestampId();

// True for IDs that may become a file name: 1..64 characters out of letters,
// digits, '_', '-', '{' and '}' (timestamp IDs and braced GUIDs). Anything with
// a separator, a dot or a control character is refused.
bool IsSafeId(const std::string& id);

// A timestamp ID for which taken(id) is false, stepping 1 ms forward from now
// until one is free.
std::string MakeUniqueId(const std::function<bool(const std::string&)>& taken);

} // namespace profiles
