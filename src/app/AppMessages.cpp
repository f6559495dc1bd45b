#include "app/AppMessages.h"

#include <map>
#include <mutex>

namespace app {

unsigned RegisterWindowMessage(std::string_view name) {
    static std::mutex mutex;
    static std::map<std::string, unsigned, std::less<>> ids;
    std::lock_guard lock(mutex);
    auto it = ids.find(name);
    if (it != ids.end()) return it->second;
    const unsigned id = 0xC000u + static_cast<unsigned>(ids.size());
    ids.emplace(std::string(name), id);
    return id;
}

unsigned InstanceMessage() { return RegisterWindowMessage(kInstanceMessageName); }

} // namespace app
