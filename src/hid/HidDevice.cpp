#include "hid/HidDevice.h"

#include <algorithm>
#include <cctype>

namespace {

uint16_t ParseTag(std::string_view path, std::string_view tag) {
    auto lower = [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); };
    auto it = std::search(path.begin(), path.end(), tag.begin(), tag.end(),
                          [&](char a, char b) { return lower(a) == lower(b); });
    if (it == path.end()) return 0;
    uint32_t value = 0;
    for (auto p = it + static_cast<std::ptrdiff_t>(tag.size()); p != path.end(); ++p) {
        const unsigned char c = static_cast<unsigned char>(*p);
        if (!std::isxdigit(c)) break;
        const uint32_t digit = std::isdigit(c) ? uint32_t(c - '0') : uint32_t(std::tolower(c) - 'a' + 10);
        value = (value << 4) | digit;  // wraps like a 32-bit scan; only the low 16 bits are kept
    }
    return static_cast<uint16_t>(value & 0xFFFF);
}

} // namespace

uint16_t ParseVidFromPath(std::string_view path) { return ParseTag(path, "vid_"); }
uint16_t ParsePidFromPath(std::string_view path) { return ParseTag(path, "pid_"); }
uint16_t ParseMiFromPath(std::string_view path) { return ParseTag(path, "&mi_"); }
uint16_t ParseColFromPath(std::string_view path) { return ParseTag(path, "&col"); }

CHidDevice::CHidDevice() = default;

CHidDevice::~CHidDevice() {
    CloseHidDevice();
    ReleaseHidPaths();
}

bool CHidDevice::EnumerateHidPaths() {
    paths.clear();
    pathCount = 0;
    cursor = 0;
    auto backend = hid::GetBackend();
    if (!backend) return false;
    std::vector<std::string> found;
    if (!backend->Enumerate(found)) return false;
    // A failing interface never leaves a hole that would end a caller's walk early.
    found.erase(std::remove_if(found.begin(), found.end(), [](const std::string& p) { return p.empty(); }),
                found.end());
    paths = std::move(found);
    pathCount = static_cast<int32_t>(paths.size());
    return true;
}

const std::string* CHidDevice::NextHidPath() {
    if (pathCount <= 0 || cursor >= static_cast<uint32_t>(pathCount) || cursor >= paths.size()) return nullptr;
    return &paths[cursor++];
}

void CHidDevice::ReleaseHidPaths() {
    paths.clear();
    paths.shrink_to_fit();
    pathCount = 0;
    cursor = 0;
}

std::shared_ptr<hid::IHidHandle> CHidDevice::Handle() const {
    std::lock_guard<std::mutex> lock(handleMutex_);
    return handle_;
}

bool CHidDevice::IsOpen() const { return Handle() != nullptr; }

void CHidDevice::ReleaseCaps() {
    preparsedData.reset();
    collectionIndex = -1;
    caps = {};
    attributes = {};
    for (auto* v : {&inputReport, &outputReport, &featureReport}) v->clear();
    for (auto* v : {&inputEntries, &outputEntries, &featureEntries}) v->clear();
    for (auto* v : {&inputButtonCaps, &inputValueCaps, &outputButtonCaps, &outputValueCaps, &featureButtonCaps,
                    &featureValueCaps})
        v->clear();
    inputEntryCount = outputEntryCount = featureEntryCount = 0;
}

void CHidDevice::CloseHidDevice() {
    if (readPending || writePending) stopEvent.Set();
    ReleaseCaps();
    std::lock_guard<std::mutex> lock(handleMutex_);
    handle_.reset();
}

bool CHidDevice::OpenHidDevice(const std::string& path, bool read, bool write, bool overlapped, bool exclusive) {
    // A stop meant for a transfer on the previous handle stays set for it; otherwise
    // clear a stale stop so it cannot cut the first wait on the new handle.
    const bool pending = readPending || writePending;
    CloseHidDevice();
    if (!pending) stopEvent.Reset();

    openRead = read;
    openWrite = write;
    openOverlapped = overlapped;
    openExclusive = exclusive;
    devicePath = path;

    auto backend = hid::GetBackend();
    if (!backend) return false;
    std::shared_ptr<hid::IHidHandle> h = backend->Open(path, read, write, exclusive);
    if (!h) return false;

    auto parsed = hid::ParseReportDescriptor(h->ReportDescriptor());
    const int index = h->CollectionIndex();
    if (!parsed.ok || index < 0 || static_cast<size_t>(index) >= parsed.descriptor.collections.size()) return false;

    auto desc = std::make_shared<hid::HidDescriptor>(std::move(parsed.descriptor));
    const hid::HidCollection& c = desc->collections[static_cast<size_t>(index)];
    attributes = h->Attributes();
    caps = c.caps;
    inputReport.assign(caps.InputReportByteLength, 0);
    outputReport.assign(caps.OutputReportByteLength, 0);
    featureReport.assign(caps.FeatureReportByteLength, 0);
    inputButtonCaps = c.inputButtonCaps;
    inputValueCaps = c.inputValueCaps;
    outputButtonCaps = c.outputButtonCaps;
    outputValueCaps = c.outputValueCaps;
    featureButtonCaps = c.featureButtonCaps;
    featureValueCaps = c.featureValueCaps;
    inputEntries = hid::HidBuildEntries(c, hid::ReportType::Input);
    outputEntries = hid::HidBuildEntries(c, hid::ReportType::Output);
    featureEntries = hid::HidBuildEntries(c, hid::ReportType::Feature);
    inputEntryCount = static_cast<uint32_t>(inputEntries.size());
    outputEntryCount = static_cast<uint32_t>(outputEntries.size());
    featureEntryCount = static_cast<uint32_t>(featureEntries.size());
    interfaceNumber = ParseMiFromPath(path);
    collectionNumber = ParseColFromPath(path);
    preparsedData = std::move(desc);
    collectionIndex = index;

    std::lock_guard<std::mutex> lock(handleMutex_);
    handle_ = std::move(h);
    return true;
}

bool CHidDevice::ReadHidReport(uint8_t* buffer, size_t length, int timeoutMs, size_t& transferred) {
    transferred = 0;
    auto h = Handle();
    if (!h || !buffer || length == 0) return false;
    readPending = true;
    const hid::IoResult r = h->Read(buffer, length, timeoutMs, &stopEvent, transferred);
    readPending = false;
    if (r != hid::IoResult::Ok) transferred = 0;
    return r == hid::IoResult::Ok;
}

bool CHidDevice::WriteHidReport(const uint8_t* buffer, size_t length, int timeoutMs, size_t& transferred) {
    transferred = 0;
    auto h = Handle();
    if (!h || !buffer || length == 0) return false;
    writePending = true;
    const hid::IoResult r = h->Write(buffer, length, timeoutMs, &stopEvent, transferred);
    writePending = false;
    if (r != hid::IoResult::Ok) transferred = 0;
    return r == hid::IoResult::Ok;
}

bool CHidDevice::UnpackInputReport(std::vector<hid::HidUsageEntry>& entries, const uint8_t* report,
                                   size_t reportLength) {
    auto desc = preparsedData;
    if (!desc || collectionIndex < 0) return false;
    return hid::HidUnpackReport(desc->collections[static_cast<size_t>(collectionIndex)], hid::ReportType::Input,
                                entries, report, reportLength);
}

bool CHidDevice::SetOutputReport(const uint8_t* buffer, size_t length) {
    auto h = Handle();
    if (!h || !buffer || length == 0) return false;
    return h->SetOutputReport(buffer, length);
}
