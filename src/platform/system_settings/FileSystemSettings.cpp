#include "platform/system_settings/FileSystemSettings.h"

#include "platform/AtomicFile.h"

#include <sstream>
#include <utility>
#include <vector>

namespace platform {

namespace {

constexpr const char* kSection = "[SystemSettings]";

using Entries = std::vector<std::pair<std::string, std::string>>;

Entries Parse(const std::string& text) {
    Entries out;
    std::istringstream in(text);
    std::string line;
    bool inSection = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == ';' || line[0] == '#') continue;
        if (line[0] == '[') {
            inSection = line == kSection;
            continue;
        }
        const size_t eq = line.find('=');
        if (!inSection || eq == std::string::npos) continue;
        out.emplace_back(line.substr(0, eq), line.substr(eq + 1));
    }
    return out;
}

}  // namespace

std::optional<std::string> FileSystemSettings::Stored(const std::string& key) const {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto text = ReadWholeFile(path_);
    if (!text) return std::nullopt;
    for (const auto& [k, v] : Parse(*text))
        if (k == key) return v;
    return std::nullopt;
}

bool FileSystemSettings::Store(const std::string& key, const std::string& value) {
    std::lock_guard<std::mutex> lock(mutex_);
    Entries entries = Parse(ReadWholeFile(path_).value_or(""));
    bool found = false;
    for (auto& [k, v] : entries) {
        if (k == key) {
            v = value;
            found = true;
        }
    }
    if (!found) entries.emplace_back(key, value);
    std::string text = std::string(kSection) + "\n";
    for (const auto& [k, v] : entries) text += k + "=" + v + "\n";
    return WriteFileAtomic(path_, text);
}

}  // namespace platform
