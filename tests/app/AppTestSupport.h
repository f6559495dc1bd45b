#pragma once
// Shared helpers of the app suite: bounded event-loop waits and a HID backend
// wrapper that counts opens, keeps track of live handles and can fail an
// enumeration on request.
#include "hid/HidBackend.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace apptest {

// Spins the event loop until pred holds or timeoutMs passed; returns pred().
inline bool WaitFor(const std::function<bool()>& pred, int timeoutMs = 5000) {
    QElapsedTimer t;
    t.start();
    while (!pred()) {
        if (t.elapsed() > timeoutMs) return pred();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// Runs the event loop for ms (lets timers fire; never used to assert speed).
inline void Pump(int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

class CountingBackend : public hid::IHidBackend {
public:
    explicit CountingBackend(std::shared_ptr<hid::IHidBackend> inner) : inner_(std::move(inner)) {}

    bool Enumerate(std::vector<std::string>& paths) override {
        ++enumerations;
        if (failNext.exchange(0) > 0) {
            paths.clear();
            return false;
        }
        return inner_->Enumerate(paths);
    }
    std::unique_ptr<hid::IHidHandle> Open(const std::string& path, bool read, bool write, bool exclusive) override {
        auto h = inner_->Open(path, read, write, exclusive);
        std::lock_guard lock(mutex_);
        ++opens_[path];
        if (!h) return nullptr;
        ++live_[path];
        return std::make_unique<Handle>(std::move(h), this, path);
    }
    bool IsPresent(const std::string& path) override { return inner_->IsPresent(path); }

    int Opens(const std::string& path) {
        std::lock_guard lock(mutex_);
        return opens_[path];
    }
    int Live(const std::string& path) {
        std::lock_guard lock(mutex_);
        return live_[path];
    }

    std::atomic<int> failNext{0};
    std::atomic<int> enumerations{0};

private:
    class Handle : public hid::IHidHandle {
    public:
        Handle(std::unique_ptr<hid::IHidHandle> h, CountingBackend* owner, std::string path)
            : h_(std::move(h)), owner_(owner), path_(std::move(path)) {}
        ~Handle() override {
            std::lock_guard lock(owner_->mutex_);
            --owner_->live_[path_];
        }
        hid::HidAttributes Attributes() const override { return h_->Attributes(); }
        std::vector<uint8_t> ReportDescriptor() const override { return h_->ReportDescriptor(); }
        int CollectionIndex() const override { return h_->CollectionIndex(); }
        hid::IoResult Read(uint8_t* b, size_t n, int ms, const platform::Event* stop, size_t& t) override {
            return h_->Read(b, n, ms, stop, t);
        }
        hid::IoResult Write(const uint8_t* b, size_t n, int ms, const platform::Event* stop, size_t& t) override {
            return h_->Write(b, n, ms, stop, t);
        }
        bool SetOutputReport(const uint8_t* b, size_t n) override { return h_->SetOutputReport(b, n); }

    private:
        std::unique_ptr<hid::IHidHandle> h_;
        CountingBackend* owner_;
        std::string path_;
    };

    std::shared_ptr<hid::IHidBackend> inner_;
    std::mutex mutex_;
    std::map<std::string, int> opens_;
    std::map<std::string, int> live_;
};

} // namespace apptest
