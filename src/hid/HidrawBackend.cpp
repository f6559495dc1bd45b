#include "hid/HidrawBackend.h"

#include "hid/HidDescriptor.h"
#include "hid/HidDevice.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <linux/hidraw.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace hid {

namespace {

constexpr size_t kMaxReport = 16384 + 1;  // kernel HID buffer limit plus the ID byte we may prepend

// Largest input report of the interface (ID byte counted), plus room for the ID we may prepend.
size_t ReadBufferSize(const HidDescriptor& d) {
    size_t n = 64;
    for (const auto& c : d.collections) n = std::max<size_t>(n, c.caps.InputReportByteLength);
    return std::min(n + 1, kMaxReport);
}

// sysfs attributes report a page-sized st_size, so read to EOF instead of trusting it.
bool ReadSysfs(const fs::path& p, std::string& out) {
    std::ifstream in(p, std::ios::binary);
    if (!in) return false;
    out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

bool ParseHex(const std::string& text, uint32_t& value) {
    size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    size_t start = i;
    uint64_t v = 0;
    while (i < text.size() && std::isxdigit(static_cast<unsigned char>(text[i])) && i - start < 8) {
        const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(text[i])));
        v = v * 16 + static_cast<uint64_t>(std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : c - 'a' + 10);
        ++i;
    }
    if (i == start) return false;
    value = static_cast<uint32_t>(v);
    return true;
}

// "HID_ID=0003:00000C45:00007643" -> vendor and product.
bool ParseHidId(const std::string& uevent, uint16_t& vendor, uint16_t& product) {
    size_t pos = 0;
    while (pos < uevent.size()) {
        size_t end = uevent.find('\n', pos);
        if (end == std::string::npos) end = uevent.size();
        const std::string line = uevent.substr(pos, end - pos);
        pos = end + 1;
        if (line.rfind("HID_ID=", 0) != 0) continue;
        const size_t c1 = line.find(':');
        const size_t c2 = c1 == std::string::npos ? c1 : line.find(':', c1 + 1);
        if (c2 == std::string::npos) return false;
        uint32_t v = 0, p = 0;
        if (!ParseHex(line.substr(c1 + 1, c2 - c1 - 1), v) || !ParseHex(line.substr(c2 + 1), p)) return false;
        vendor = static_cast<uint16_t>(v);
        product = static_cast<uint16_t>(p);
        return true;
    }
    return false;
}

int RemainingMs(std::chrono::steady_clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
    return left < 0 ? 0 : static_cast<int>(left);
}

IoResult FromWait(platform::FdWait w) {
    switch (w) {
    case platform::FdWait::TimedOut: return IoResult::TimedOut;
    case platform::FdWait::Stopped: return IoResult::Stopped;
    default: return IoResult::Failed;
    }
}

class HidrawHandle : public IHidHandle {
public:
    HidrawHandle(int fd, bool read, bool write, HidAttributes attributes, std::vector<uint8_t> descriptor, int index,
                 std::vector<uint8_t> inputIds, bool numbered, size_t readBufferSize)
        : fd_(fd), read_(read), write_(write), attributes_(attributes), descriptor_(std::move(descriptor)),
          index_(index), inputIds_(std::move(inputIds)), numbered_(numbered), readBufferSize_(readBufferSize) {}
    ~HidrawHandle() override {
        if (fd_ >= 0) ::close(fd_);
    }

    HidAttributes Attributes() const override { return attributes_; }
    std::vector<uint8_t> ReportDescriptor() const override { return descriptor_; }
    int CollectionIndex() const override { return index_; }

    IoResult Read(uint8_t* buffer, size_t length, int timeoutMs, const platform::Event* stop,
                  size_t& transferred) override {
        transferred = 0;
        if (fd_ < 0 || !read_ || !buffer || length == 0) return IoResult::Failed;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
        std::vector<uint8_t> raw(readBufferSize_);
        for (;;) {
            const platform::FdWait w =
                platform::WaitFdOrStop(fd_, POLLIN, stop, timeoutMs < 0 ? -1 : RemainingMs(deadline));
            if (w != platform::FdWait::Ready) return FromWait(w);
            const ssize_t n = ::read(fd_, raw.data(), raw.size() - 1);
            if (n < 0) {
                if (errno == EAGAIN || errno == EINTR) continue;
                return IoResult::Failed;
            }
            if (n == 0) return IoResult::Failed;  // node gone
            size_t size = static_cast<size_t>(n);
            if (numbered_) {
                // The node carries every collection of the interface; keep only ours.
                if (std::find(inputIds_.begin(), inputIds_.end(), raw[0]) == inputIds_.end()) continue;
            } else {
                // Unnumbered reports arrive without an ID byte; callers expect byte 0 = 0.
                std::memmove(raw.data() + 1, raw.data(), size);
                raw[0] = 0;
                ++size;
            }
            transferred = std::min(size, length);
            std::memcpy(buffer, raw.data(), transferred);
            return IoResult::Ok;
        }
    }

    // hidraw wants the report ID first; for unnumbered reports that first byte is 0 and
    // the kernel strips it before the transfer. So the buffer goes out exactly as given.
    IoResult Write(const uint8_t* buffer, size_t length, int timeoutMs, const platform::Event* stop,
                   size_t& transferred) override {
        transferred = 0;
        if (fd_ < 0 || !write_ || !buffer || length == 0) return IoResult::Failed;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
        for (;;) {
            const platform::FdWait w =
                platform::WaitFdOrStop(fd_, POLLOUT, stop, timeoutMs < 0 ? -1 : RemainingMs(deadline));
            if (w != platform::FdWait::Ready) return FromWait(w);
            const ssize_t n = ::write(fd_, buffer, length);
            if (n < 0) {
                if (errno == EAGAIN || errno == EINTR) continue;
                return IoResult::Failed;
            }
            transferred = static_cast<size_t>(n);
            return IoResult::Ok;
        }
    }

    bool SetOutputReport(const uint8_t* buffer, size_t length) override {
        if (fd_ < 0 || !write_ || !buffer || length == 0 || length > kMaxReport) return false;
        std::vector<uint8_t> copy(buffer, buffer + length);
        if (::ioctl(fd_, HIDIOCSOUTPUT(length), copy.data()) >= 0) return true;
        // Kernels before 5.11 (and nodes that are not hidraw) lack the ioctl: send it as an output report.
        size_t transferred = 0;
        return Write(buffer, length, 1000, nullptr, transferred) == IoResult::Ok && transferred == length;
    }

private:
    int fd_;
    bool read_, write_;
    HidAttributes attributes_;
    std::vector<uint8_t> descriptor_;
    int index_;
    std::vector<uint8_t> inputIds_;
    bool numbered_;
    size_t readBufferSize_;
};

} // namespace

HidrawBackend::HidrawBackend(std::string sysRoot, std::string devRoot, NodeOpener opener)
    : sysRoot_(std::move(sysRoot)), devRoot_(std::move(devRoot)), opener_(std::move(opener)) {}

bool HidrawBackend::SplitPath(const std::string& path, std::string& nodePath, std::string& nodeName) {
    const size_t hash = path.find('#');
    nodePath = path.substr(0, hash);
    const size_t slash = nodePath.rfind('/');
    nodeName = slash == std::string::npos ? nodePath : nodePath.substr(slash + 1);
    return !nodeName.empty() && nodeName.find("..") == std::string::npos;
}

bool HidrawBackend::ReadNodeInfo(const std::string& nodeName, NodeInfo& info) const {
    const fs::path deviceDir = fs::path(sysRoot_) / "class" / "hidraw" / nodeName / "device";
    std::string uevent, descriptor;
    if (!ReadSysfs(deviceDir / "uevent", uevent) ||
        !ParseHidId(uevent, info.attributes.vendorId, info.attributes.productId))
        return false;
    if (!ReadSysfs(deviceDir / "report_descriptor", descriptor) || descriptor.empty()) return false;
    info.descriptor.assign(descriptor.begin(), descriptor.end());

    // Walk up from the HID device to the USB interface (bInterfaceNumber), then to the
    // USB device (bcdDevice), never leaving the sysfs root.
    std::error_code ec;
    const fs::path root = fs::canonical(sysRoot_, ec);
    if (ec) return true;
    fs::path p = fs::canonical(deviceDir, ec);
    if (ec) return true;
    info.interfaceNumber = -1;
    bool interfaceFound = false;
    for (int guard = 0; guard < 64 && p != root && p.has_relative_path() && p != p.parent_path(); ++guard) {
        std::string text;
        uint32_t v = 0;
        if (!interfaceFound && ReadSysfs(p / "bInterfaceNumber", text) && ParseHex(text, v)) {
            info.interfaceNumber = static_cast<int>(v & 0xFF);
            interfaceFound = true;
        } else if (interfaceFound && ReadSysfs(p / "bcdDevice", text) && ParseHex(text, v)) {
            info.attributes.versionNumber = static_cast<uint16_t>(v);
            break;
        }
        p = p.parent_path();
        if (p.string().rfind(root.string(), 0) != 0) break;
    }
    return true;
}

bool HidrawBackend::Enumerate(std::vector<std::string>& paths) {
    paths.clear();
    const fs::path classDir = fs::path(sysRoot_) / "class" / "hidraw";
    std::error_code ec;
    if (!fs::exists(classDir, ec)) return !ec;  // no hidraw support loaded: nothing present
    std::vector<std::pair<long, std::string>> nodes;
    for (fs::directory_iterator it(classDir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.rfind("hidraw", 0) != 0) continue;
        char* tail = nullptr;
        const long number = std::strtol(name.c_str() + 6, &tail, 10);
        if (tail == name.c_str() + 6 || *tail != '\0') continue;
        nodes.emplace_back(number, name);
    }
    if (ec) return false;
    std::sort(nodes.begin(), nodes.end());

    for (const auto& [number, name] : nodes) {
        NodeInfo info;
        if (!ReadNodeInfo(name, info)) continue;  // one broken node hides nothing else
        const HidParseResult parsed = ParseReportDescriptor(info.descriptor);
        if (!parsed.ok) continue;
        const size_t count = parsed.descriptor.collections.size();
        char identity[64];
        std::snprintf(identity, sizeof identity, "#vid_%04x&pid_%04x", info.attributes.vendorId,
                      info.attributes.productId);
        std::string base = devRoot_ + "/" + name + identity;
        if (info.interfaceNumber >= 0) {
            char mi[16];
            std::snprintf(mi, sizeof mi, "&mi_%02x", info.interfaceNumber);
            base += mi;
        }
        if (count == 1) {
            paths.push_back(base);
            continue;
        }
        for (size_t k = 0; k < count; ++k) {
            char col[16];
            std::snprintf(col, sizeof col, "&col%02x", static_cast<unsigned>(k + 1));
            paths.push_back(base + col);
        }
    }
    return true;
}

std::unique_ptr<IHidHandle> HidrawBackend::Open(const std::string& path, bool read, bool write, bool exclusive) {
    (void)exclusive;  // hidraw has no share modes; every opener gets its own copy of each input report
    std::string nodePath, nodeName;
    if (!SplitPath(path, nodePath, nodeName)) return nullptr;
    NodeInfo info;
    if (!ReadNodeInfo(nodeName, info)) return nullptr;
    // Node numbers are reused: the identity in the path must still be the node's.
    if (ParseVidFromPath(path) != info.attributes.vendorId || ParsePidFromPath(path) != info.attributes.productId)
        return nullptr;
    const HidParseResult parsed = ParseReportDescriptor(info.descriptor);
    if (!parsed.ok) return nullptr;
    const size_t count = parsed.descriptor.collections.size();
    const unsigned col = ParseColFromPath(path);
    if ((count > 1 && (col == 0 || col > count)) || (count == 1 && col > 1)) return nullptr;
    const int index = col == 0 ? 0 : static_cast<int>(col) - 1;
    const HidCollection& c = parsed.descriptor.collections[static_cast<size_t>(index)];

    int fd = -1;
    if (read || write) {
        const int flags = (read && write ? O_RDWR : read ? O_RDONLY : O_WRONLY) | O_NONBLOCK | O_CLOEXEC;
        fd = opener_ ? opener_(nodePath, flags) : ::open(nodePath.c_str(), flags);
        if (fd < 0) return nullptr;
    } else {
        // A zero-access open only reads identity and caps, like a presence probe.
        struct stat st {};
        if (::stat(nodePath.c_str(), &st) != 0) return nullptr;
    }
    return std::make_unique<HidrawHandle>(fd, read, write, info.attributes, info.descriptor, index, c.inputReportIds,
                                          parsed.descriptor.usesReportIds, ReadBufferSize(parsed.descriptor));
}

bool HidrawBackend::IsPresent(const std::string& path) {
    std::string nodePath, nodeName;
    if (!SplitPath(path, nodePath, nodeName)) return false;
    struct stat st {};
    if (::stat(nodePath.c_str(), &st) != 0) return false;
    NodeInfo info;
    if (!ReadNodeInfo(nodeName, info)) return false;
    const bool pathHasMi = path.find("&mi_") != std::string::npos || path.find("&MI_") != std::string::npos;
    const int pathMi = pathHasMi ? ParseMiFromPath(path) : -1;
    return ParseVidFromPath(path) == info.attributes.vendorId && ParsePidFromPath(path) == info.attributes.productId &&
           pathMi == info.interfaceNumber;
}

} // namespace hid
