#include "profiles/ProfileId.h"

#include <cstdio>
#include <ctime>

namespace profiles {

std::string MakeTimestampId(std::chrono::system_clock::time_point when) {
    using namespace std::chrono;
    const auto ms = duration_cast<milliseconds>(when.time_since_epoch()).count();
    std::time_t seconds = static_cast<std::time_t>(ms / 1000);
    int milli = static_cast<int>(ms % 1000);
    if (milli < 0) {
        milli += 1000;
        --seconds;
    }
    std::tm local{};
    localtime_r(&seconds, &local);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%d_%02d_%02d_%02d_%02d_%02d_%03d", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, milli);
    return buf;
}

std::string MakeTimestampId() { return MakeTimestampId(std::chrono::system_clock::now()); }

bool IsSafeId(const std::string& id) {
    if (id.empty() || id.size() > 64) return false;
    for (char c : id) {
        const bool ok = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                        c == '_' || c == '-' || c == '{' || c == '}';
        if (!ok) return false;
    }
    return true;
}

std::string MakeUniqueId(const std::function<bool(const std::string&)>& taken) {
    auto when = std::chrono::system_clock::now();
    std::string id = MakeTimestampId(when);
    // Bounded: a list can hold only so many IDs, so a free millisecond is near.
    for (int i = 0; i < 100000 && taken && taken(id); ++i) {
        when += std::chrono::milliseconds(1);
        id = MakeTimestampId(when);
    }
    return id;
}

} // namespace profiles
