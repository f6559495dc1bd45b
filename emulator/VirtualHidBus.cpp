#include "emulator/VirtualHidBus.h"

#include "emulator/Models.h"
#include "platform/Tick.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <deque>

namespace emu {

namespace {

bool SameText(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

// One open path. Input reports of its collection queue here (as the HID stack
// buffers them per handle); an eventfd tells a waiting Read that something changed.
class VirtualHandle final : public hid::IHidHandle, public InputSink {
public:
    VirtualHandle(std::shared_ptr<DeviceModel> model, int collection, bool read, bool write)
        : model_(std::move(model)), collection_(collection), read_(read), write_(write),
          fd_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

    ~VirtualHandle() override {
        model_->Detach(this);
        if (fd_ >= 0) ::close(fd_);
    }

    bool Valid() const { return fd_ >= 0; }

    hid::HidAttributes Attributes() const override {
        const auto& id = model_->Identity();
        return {id.vendorId, id.productId, id.version};
    }
    std::vector<uint8_t> ReportDescriptor() const override { return model_->Interface().descriptor; }
    int CollectionIndex() const override { return collection_; }

    hid::IoResult Read(uint8_t* buffer, size_t length, int timeoutMs, const platform::Event* stop,
                       size_t& transferred) override {
        transferred = 0;
        if (!read_ || !buffer) return hid::IoResult::Failed;
        const uint32_t start = platform::MonotonicMs();
        for (;;) {
            Drain();
            int waitMs = -1;
            {
                std::lock_guard lock(mutex_);
                if (dead_) return hid::IoResult::Failed;
                const uint32_t now = platform::MonotonicMs();
                if (!queue_.empty()) {
                    const uint32_t due = queue_.front().due;
                    if (static_cast<int32_t>(now - due) >= 0) {
                        const auto& r = queue_.front().bytes;
                        transferred = std::min(length, r.size());
                        std::memcpy(buffer, r.data(), transferred);
                        queue_.pop_front();
                        return hid::IoResult::Ok;
                    }
                    waitMs = static_cast<int>(due - now);
                }
                if (timeoutMs >= 0) {
                    const int left = timeoutMs - static_cast<int>(now - start);
                    if (left <= 0) return hid::IoResult::TimedOut;
                    waitMs = waitMs < 0 ? left : std::min(waitMs, left);
                }
            }
            switch (platform::WaitFdOrStop(fd_, POLLIN, stop, waitMs)) {
            case platform::FdWait::Stopped: return hid::IoResult::Stopped;
            case platform::FdWait::Failed: return hid::IoResult::Failed;
            case platform::FdWait::Ready:
            case platform::FdWait::TimedOut: break;  // look again
            }
        }
    }

    hid::IoResult Write(const uint8_t* buffer, size_t length, int /*timeoutMs*/, const platform::Event* stop,
                        size_t& transferred) override {
        transferred = 0;
        if (!write_ || !buffer) return hid::IoResult::Failed;
        // The eventfd is always writable, so this only sees (and consumes) a pending stop,
        // as the poll() before a hidraw write does.
        if (platform::WaitFdOrStop(fd_, POLLOUT, stop, 0) == platform::FdWait::Stopped) return hid::IoResult::Stopped;
        {
            std::lock_guard lock(mutex_);
            if (dead_) return hid::IoResult::Failed;
        }
        if (!model_->HandleOutputReport(collection_, buffer, length)) return hid::IoResult::Failed;
        transferred = length;
        return hid::IoResult::Ok;
    }

    bool SetOutputReport(const uint8_t* buffer, size_t length) override {
        {
            std::lock_guard lock(mutex_);
            if (dead_) return false;
        }
        return model_->HandleSetOutputReport(collection_, buffer, length);
    }

    // InputSink: called with the model's lock held.
    void Deliver(std::vector<uint8_t> report, uint32_t dueMs) override {
        {
            std::lock_guard lock(mutex_);
            if (dead_ || !read_) return;
            // A ring of 64 reports per open handle, as hidraw keeps; the oldest goes first.
            if (queue_.size() >= 64) queue_.pop_front();
            queue_.push_back({dueMs, std::move(report)});
        }
        Signal();
    }

    void Disconnect() override {
        {
            std::lock_guard lock(mutex_);
            dead_ = true;
            queue_.clear();
        }
        Signal();
    }

private:
    struct Pending {
        uint32_t due;
        std::vector<uint8_t> bytes;
    };

    void Signal() {
        const uint64_t one = 1;
        [[maybe_unused]] ssize_t n = ::write(fd_, &one, sizeof one);
    }
    void Drain() {
        uint64_t v;
        [[maybe_unused]] ssize_t n = ::read(fd_, &v, sizeof v);
    }

    std::shared_ptr<DeviceModel> model_;
    const int collection_;
    const bool read_;
    const bool write_;
    const int fd_;
    std::mutex mutex_;
    std::deque<Pending> queue_;
    bool dead_ = false;
};

} // namespace

std::string VirtualHidBus::MakePath(const DeviceModel& model, uint32_t instance, int collection) {
    const auto& id = model.Identity();
    char col[16] = "";
    if (model.Interface().collections.size() > 1) std::snprintf(col, sizeof col, "&col%02x", collection + 1);
    char path[160];
    std::snprintf(path, sizeof path,
                  "\\\\?\\hid#vid_%04x&pid_%04x&mi_%02x%s#7&%08x&0&%04x#{4d1e55b2-f16f-11cf-88cb-001111000030}",
                  id.vendorId, id.productId, id.interfaceNumber, col, 0x2a1b3c4du + instance * 0x01010101u,
                  static_cast<unsigned>(collection));
    return path;
}

void VirtualHidBus::Plug(const std::shared_ptr<DeviceModel>& model) {
    if (!model) return;
    {
        std::lock_guard lock(mutex_);
        const bool known = std::any_of(entries_.begin(), entries_.end(),
                                       [&](const Entry& e) { return e.model == model; });
        if (!known) entries_.push_back({model, nextInstance_++});
    }
    model->Replug();
}

void VirtualHidBus::Unplug(const std::shared_ptr<DeviceModel>& model) {
    if (model) model->Unplug();
}

std::vector<std::string> VirtualHidBus::PathsOf(const DeviceModel& model) const {
    std::lock_guard lock(mutex_);
    std::vector<std::string> paths;
    for (const auto& e : entries_)
        if (e.model.get() == &model)
            for (size_t c = 0; c < model.Interface().collections.size(); ++c)
                paths.push_back(MakePath(model, e.instance, static_cast<int>(c)));
    return paths;
}

std::string VirtualHidBus::PathOf(const DeviceModel& model, int collection) const {
    const auto paths = PathsOf(model);
    return collection >= 0 && collection < static_cast<int>(paths.size()) ? paths[collection] : std::string();
}

VirtualHidBus::AllFour VirtualHidBus::PlugAllFour() {
    AllFour all{MakeMouse(), MakeKeyboard(), MakeMousePad(), MakeHeadset()};
    Plug(all.mouse);
    Plug(all.keyboard);
    Plug(all.mousePad);
    Plug(all.headset);
    return all;
}

bool VirtualHidBus::Enumerate(std::vector<std::string>& paths) {
    paths.clear();
    std::lock_guard lock(mutex_);
    for (const auto& e : entries_) {
        if (!e.model->Present()) continue;
        for (size_t c = 0; c < e.model->Interface().collections.size(); ++c)
            paths.push_back(MakePath(*e.model, e.instance, static_cast<int>(c)));
    }
    return true;
}

bool VirtualHidBus::Find(const std::string& path, std::shared_ptr<DeviceModel>& model, int& collection) const {
    std::lock_guard lock(mutex_);
    for (const auto& e : entries_) {
        for (size_t c = 0; c < e.model->Interface().collections.size(); ++c) {
            if (SameText(MakePath(*e.model, e.instance, static_cast<int>(c)), path)) {
                model = e.model;
                collection = static_cast<int>(c);
                return true;
            }
        }
    }
    return false;
}

std::unique_ptr<hid::IHidHandle> VirtualHidBus::Open(const std::string& path, bool read, bool write,
                                                      bool /*exclusive*/) {
    std::shared_ptr<DeviceModel> model;
    int collection = -1;
    if (!Find(path, model, collection)) return nullptr;
    auto handle = std::make_unique<VirtualHandle>(model, collection, read, write);
    if (!handle->Valid() || !model->Attach(collection, handle.get())) return nullptr;
    return handle;
}

bool VirtualHidBus::IsPresent(const std::string& path) {
    std::shared_ptr<DeviceModel> model;
    int collection = -1;
    return Find(path, model, collection) && model->Present();
}

} // namespace emu
