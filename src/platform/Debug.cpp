#include "platform/Debug.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace platform {

namespace {
std::mutex g_sinkMutex;
DebugCapture* g_capture = nullptr;

bool StderrEnabled() {
    static const bool enabled = std::getenv("ZANDRI_DEBUG") != nullptr;
    return enabled;
}
} // namespace

void DebugOut(std::string_view text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.remove_suffix(1);
    std::lock_guard<std::mutex> lock(g_sinkMutex);
    if (g_capture) g_capture->Add(std::string(text));
    if (StderrEnabled()) {
        std::fwrite(text.data(), 1, text.size(), stderr);
        std::fputc('\n', stderr);
    }
}

DebugCapture::DebugCapture() {
    std::lock_guard<std::mutex> lock(g_sinkMutex);
    previous_ = g_capture;
    g_capture = this;
}

DebugCapture::~DebugCapture() {
    std::lock_guard<std::mutex> lock(g_sinkMutex);
    g_capture = previous_;
}

void DebugCapture::Add(std::string line) {
    std::lock_guard<std::mutex> lock(mutex_);
    lines_.push_back(std::move(line));
}

std::vector<std::string> DebugCapture::Lines() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return lines_;
}

bool DebugCapture::Contains(std::string_view line) const { return Count(line) > 0; }

size_t DebugCapture::Count(std::string_view line) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return static_cast<size_t>(std::count(lines_.begin(), lines_.end(), line));
}

void DebugCapture::Clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    lines_.clear();
}

} // namespace platform
