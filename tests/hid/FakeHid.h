#pragma once
// An in-memory backend and handle for channel tests and benchmarks. Every written
// report is logged; replies come from a scripted queue or from a responder that
// answers like a device (echo of byte 3, status 0, payload from a memory image).
#include "hid/HidBackend.h"
#include "platform/Event.h"

#include <chrono>
#include <cstring>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace hidtest {

using Bytes = std::vector<uint8_t>;

struct FakeScript {
    std::mutex mutex;
    std::vector<Bytes> writes;        // every report written, in order
    std::vector<int> writeTimeouts;   // timeoutMs of each write
    std::vector<int> readTimeouts;    // timeoutMs of each read
    std::vector<Bytes> outputReports; // SetOutputReport calls
    std::deque<Bytes> replies;        // read queue
    bool failWrites = false;
    bool answer = true;               // responder on: each write queues its reply
    bool online = true;               // what the online probe (0xAA) reports in byte 8
    bool keepLog = true;              // benchmarks turn the logs off so they do not grow without end
    // Builds the reply(ies) to one written report; default: EchoReply.
    std::function<std::vector<Bytes>(const Bytes& request)> responder;
    // Runs inside Write (before the reply is queued), e.g. to race another thread against it.
    std::function<void(const Bytes& request)> onWrite;
    Bytes memory = Bytes(4096, 0);    // what read commands return, by offset

    size_t WriteCount() {
        std::lock_guard<std::mutex> l(mutex);
        return writes.size();
    }
};

// A device-like answer: byte 3 echoed, status 0, bytes 8.. copied from memory at the request's offset.
inline Bytes EchoReply(FakeScript& s, const Bytes& req) {
    Bytes r(64, 0);
    r[0] = 0x04;
    r[3] = req.size() > 3 ? req[3] : 0;
    if (r[3] == 0xAA) r[8] = s.online ? 0xFF : 0x00;
    if (req.size() >= 8) {
        const size_t offset = size_t(req[5]) | (size_t(req[6]) << 8);
        const size_t count = std::min<size_t>(req[4], 56);
        if (offset + count <= s.memory.size()) std::memcpy(r.data() + 8, s.memory.data() + offset, count);
    }
    return r;
}

class FakeHandle : public hid::IHidHandle {
public:
    FakeHandle(std::shared_ptr<FakeScript> s, Bytes descriptor, int index, hid::HidAttributes a)
        : s_(std::move(s)), descriptor_(std::move(descriptor)), index_(index), attributes_(a) {}

    hid::HidAttributes Attributes() const override { return attributes_; }
    std::vector<uint8_t> ReportDescriptor() const override { return descriptor_; }
    int CollectionIndex() const override { return index_; }

    hid::IoResult Read(uint8_t* buffer, size_t length, int timeoutMs, const platform::Event* stop,
                       size_t& transferred) override {
        transferred = 0;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        {
            std::lock_guard<std::mutex> l(s_->mutex);
            if (s_->keepLog) s_->readTimeouts.push_back(timeoutMs);
        }
        for (;;) {
            {
                std::lock_guard<std::mutex> l(s_->mutex);
                if (!s_->replies.empty()) {
                    Bytes r = std::move(s_->replies.front());
                    s_->replies.pop_front();
                    transferred = std::min(length, r.size());
                    std::memcpy(buffer, r.data(), transferred);
                    return hid::IoResult::Ok;
                }
            }
            int slice = 1;
            if (timeoutMs >= 0) {
                const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                                      deadline - std::chrono::steady_clock::now())
                                      .count();
                if (left <= 0) return hid::IoResult::TimedOut;
                slice = static_cast<int>(std::min<long long>(left, 1));
            }
            if (stop && stop->Wait(slice) == platform::WaitResult::Signalled) return hid::IoResult::Stopped;
        }
    }

    hid::IoResult Write(const uint8_t* buffer, size_t length, int timeoutMs, const platform::Event*,
                        size_t& transferred) override {
        transferred = 0;
        Bytes req(buffer, buffer + length);
        std::function<void(const Bytes&)> hook;
        {
            std::lock_guard<std::mutex> l(s_->mutex);
            if (s_->keepLog) s_->writeTimeouts.push_back(timeoutMs);
            if (s_->failWrites) return hid::IoResult::Failed;
            if (s_->keepLog) s_->writes.push_back(req);
            hook = s_->onWrite;
        }
        if (hook) hook(req);
        std::lock_guard<std::mutex> l(s_->mutex);
        if (s_->answer) {
            if (s_->responder) {
                for (auto& r : s_->responder(req)) s_->replies.push_back(std::move(r));
            } else {
                s_->replies.push_back(EchoReply(*s_, req));
            }
        }
        transferred = length;
        return hid::IoResult::Ok;
    }

    bool SetOutputReport(const uint8_t* buffer, size_t length) override {
        std::lock_guard<std::mutex> l(s_->mutex);
        s_->outputReports.emplace_back(buffer, buffer + length);
        return true;
    }

private:
    std::shared_ptr<FakeScript> s_;
    Bytes descriptor_;
    int index_;
    hid::HidAttributes attributes_;
};

class FakeBackend : public hid::IHidBackend {
public:
    std::vector<std::string> paths;
    bool enumerateOk = true;
    Bytes descriptor;
    int collectionIndex = 1;
    hid::HidAttributes attributes{0x0C45, 0x7643, 0x0102};
    std::shared_ptr<FakeScript> script = std::make_shared<FakeScript>();

    bool Enumerate(std::vector<std::string>& out) override {
        out = paths;
        return enumerateOk;
    }
    std::unique_ptr<hid::IHidHandle> Open(const std::string& path, bool, bool, bool) override {
        if (path.find("missing") != std::string::npos) return nullptr;
        return std::make_unique<FakeHandle>(script, descriptor, collectionIndex, attributes);
    }
    bool IsPresent(const std::string&) override { return true; }
};

// Installs a FakeBackend as the process backend for the lifetime of the object.
struct FakeBus {
    std::shared_ptr<FakeBackend> backend = std::make_shared<FakeBackend>();
    FakeScript& script() { return *backend->script; }

    explicit FakeBus(Bytes descriptor, int collectionIndex = 1) {
        backend->descriptor = std::move(descriptor);
        backend->collectionIndex = collectionIndex;
        hid::SetBackend(backend);
    }
    ~FakeBus() { hid::SetBackend(nullptr); }
};

} // namespace hidtest
