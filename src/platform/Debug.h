#pragma once
// Debug output: one line per event. Goes to stderr when ZANDRI_DEBUG is set;
// tests install a capture to assert the fixed texts.
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Writes one line (a trailing "\n" in text is dropped; the line is UTF-8).
void DebugOut(std::string_view text);

// Collects every debug line written while it lives (from any thread).
class DebugCapture {
public:
    DebugCapture();
    ~DebugCapture();
    DebugCapture(const DebugCapture&) = delete;
    DebugCapture& operator=(const DebugCapture&) = delete;

    std::vector<std::string> Lines() const;
    bool Contains(std::string_view line) const;
    size_t Count(std::string_view line) const;
    void Clear();

private:
    friend void DebugOut(std::string_view);
    void Add(std::string line);
    mutable std::mutex mutex_;
    std::vector<std::string> lines_;
    DebugCapture* previous_ = nullptr;
};

} // namespace platform
