#include "emulator/DeviceModel.h"

#include "platform/Tick.h"

#include <algorithm>
#include <cstring>

namespace emu {

uint16_t ReportChecksum(const uint8_t* r) {
    uint32_t sum = 0;
    for (size_t i = 3; i < kCommandReportLength; ++i) sum += r[i];
    return static_cast<uint16_t>(sum & 0xFFFF);
}

void SealReport(uint8_t* r) {
    const uint16_t c = ReportChecksum(r);
    r[1] = static_cast<uint8_t>(c & 0xFF);
    r[2] = static_cast<uint8_t>(c >> 8);
}

DeviceModel::DeviceModel(ModelIdentity identity, InterfaceSpec spec, int commandCollection, int syncCollection,
                         bool hasChipLeds)
    : identity_(std::move(identity)),
      spec_(std::move(spec)),
      commandCollection_(commandCollection),
      syncCollection_(syncCollection),
      hasChipLeds_(hasChipLeds),
      lastDue_(spec_.collections.size(), 0),
      config_(kConfigSize, 0),
      keyMap_(2 * kKeyMapBankSize, 0),
      keyLed_(kKeyLedTableSize, 0),
      frame_(kLedFrameSize, 0),
      status_(kStatusMemorySize, 0) {}

// --- bus side ---------------------------------------------------------------

bool DeviceModel::Attach(int collection, InputSink* sink) {
    std::lock_guard lock(mutex_);
    if (!present_ || collection < 0 || collection >= static_cast<int>(spec_.collections.size())) return false;
    sinks_.push_back({collection, sink});
    return true;
}

void DeviceModel::Detach(InputSink* sink) {
    std::lock_guard lock(mutex_);
    std::erase_if(sinks_, [sink](const Sink& s) { return s.sink == sink; });
}

const ReportSpec* DeviceModel::FindOutput(int collection, uint8_t id) const {
    if (collection < 0 || collection >= static_cast<int>(spec_.collections.size())) return nullptr;
    for (const auto& r : spec_.collections[collection].outputs)
        if (r.id == id) return &r;
    return nullptr;
}

bool DeviceModel::CountReportLocked() {
    if (unplugAfter_ < 0) return true;
    if (unplugAfter_ == 0) {
        unplugAfter_ = -1;
        UnplugLocked();
        return false;
    }
    --unplugAfter_;
    return true;
}

bool DeviceModel::HandleOutputReport(int collection, const uint8_t* data, size_t length) {
    std::lock_guard lock(mutex_);
    if (!present_ || !data || length == 0) return false;
    const ReportSpec* spec = FindOutput(collection, data[0]);
    if (!spec || length < spec->length) return false;  // the HID stack refuses such a write
    if (!CountReportLocked()) return false;
    LogLocked(Wire::Out, collection, data, spec->length, platform::MonotonicMs());
    if (spec->id == kChipLedReportId) return ChipReportLocked(data, spec->length);
    if (spec->id == kCommandReportId && collection == commandCollection_) ProcessCommandLocked(data);
    return true;
}

bool DeviceModel::HandleSetOutputReport(int collection, const uint8_t* data, size_t length) {
    std::lock_guard lock(mutex_);
    if (!present_ || !data || length == 0) return false;
    const ReportSpec* spec = FindOutput(collection, data[0]);
    if (!spec || length < spec->length) return false;
    if (!CountReportLocked()) return false;
    LogLocked(Wire::SetOutput, collection, data, spec->length, platform::MonotonicMs());
    if (spec->id == kChipLedReportId) return ChipReportLocked(data, spec->length);
    if (spec->id == kCommandReportId && collection == commandCollection_) ProcessCommandLocked(data);
    return true;
}

// --- protocol ---------------------------------------------------------------

DeviceModel::Applied DeviceModel::TakeFaultsLocked(uint8_t command) {
    Applied a;
    for (auto& f : faults_) {
        if (f.count == 0) continue;
        if (f.command >= 0 && f.command != command) continue;
        if (f.skip > 0) {
            --f.skip;
            continue;
        }
        if (f.count > 0) --f.count;
        switch (f.kind) {
        case Fault::NoReply: a.noReply = true; break;
        case Fault::LateReply: a.lateMs = std::max(a.lateMs, f.param); break;
        case Fault::WrongEcho: a.wrongEcho = 1; break;
        case Fault::WrongEchoThenReply: a.wrongEcho = 2; break;
        case Fault::Status: a.status = f.param & 0xFF; break;
        }
    }
    std::erase_if(faults_, [](const FaultPlan& f) { return f.count == 0; });
    return a;
}

void DeviceModel::ProcessCommandLocked(const uint8_t* req) {
    const uint8_t command = req[3];
    const Applied fault = TakeFaultsLocked(command);
    if (fault.noReply) return;

    std::vector<uint8_t> reply(kCommandReportLength, 0);
    reply[0] = kCommandReportId;
    reply[3] = command;
    reply[4] = req[4];
    reply[5] = req[5];
    reply[6] = req[6];
    const uint16_t sum = static_cast<uint16_t>(req[1] | (req[2] << 8));
    uint8_t status;
    if (sum != ReportChecksum(req))
        status = kStatusBadChecksum;
    else if (fault.status >= 0)
        status = static_cast<uint8_t>(fault.status);
    else
        status = ExecuteLocked(req, reply.data());
    reply[7] = status;
    SealReport(reply.data());

    const uint32_t due = platform::MonotonicMs() + static_cast<uint32_t>(fault.lateMs);
    if (fault.wrongEcho) {
        auto stale = reply;
        stale[3] = static_cast<uint8_t>(command ^ 0xFF);
        SealReport(stale.data());
        QueueLocked(commandCollection_, std::move(stale), due);
        if (fault.wrongEcho == 1) return;
    }
    QueueLocked(commandCollection_, std::move(reply), due);
}

uint8_t DeviceModel::ExecuteLocked(const uint8_t* req, uint8_t* reply) {
    const uint8_t command = req[3];
    const size_t n = req[4];
    const size_t offset = static_cast<size_t>(req[5]) | (static_cast<size_t>(req[6]) << 8);
    const uint8_t* payload = req + 8;
    if (n > kChunkPayload) return kStatusFailed;

    auto read = [&](const std::vector<uint8_t>& mem) -> uint8_t {
        if (offset + n > mem.size()) return kStatusFailed;
        std::memcpy(reply + 8, mem.data() + offset, n);
        return kStatusOk;
    };
    auto write = [&](std::vector<uint8_t>& mem, bool bracketed) -> uint8_t {
        if (bracketed && requireBracket_ && !bracket_) {
            ++bracketViolations_;
            return kStatusFailed;
        }
        if (offset + n > mem.size()) return kStatusFailed;
        std::memcpy(mem.data() + offset, payload, n);
        return kStatusOk;
    };

    switch (command) {
    case cmd::kOpenConfig: bracket_ = true; return kStatusOk;
    case cmd::kCloseConfig: bracket_ = false; return kStatusOk;
    case cmd::kReadDeviceInfo: std::memcpy(reply + 8, info_.data(), info_.size()); return kStatusOk;
    case cmd::kReadBlock: return read(config_);
    case cmd::kWriteBlock: return write(config_, true);
    case cmd::kReadKeyMap: return read(keyMap_);
    case cmd::kWriteKeyMap: return write(keyMap_, true);
    case cmd::kStreamLightFrame: {
        const uint8_t s = write(frame_, false);
        if (s == kStatusOk) ++frameChunks_;
        return s;
    }
    case cmd::kWriteMacroImage: return write(macro_, true);
    case cmd::kReadBytes: return read(status_);
    case cmd::kReadKeyLedTable: return read(keyLed_);
    case cmd::kProbeOnline: reply[8] = online_ ? 0xFF : 0x00; return kStatusOk;
    default: return kStatusFailed;
    }
}

bool DeviceModel::ChipReportLocked(const uint8_t* d, size_t length) {
    if (!hasChipLeds_ || length < kChipLedReportLength) return false;
    const int driver = d[1] == 0x22 ? 0 : d[1] == 0x44 ? 1 : -1;
    if (driver < 0 || d[2] < 0xAA || d[2] > 0xAF) return false;
    std::memcpy(chip_[driver][d[2] - 0xAA].data(), d + 4, 7);
    ++chipReports_;
    return true;
}

void DeviceModel::QueueLocked(int collection, std::vector<uint8_t> report, uint32_t dueMs) {
    if (collection < 0 || collection >= static_cast<int>(lastDue_.size())) return;
    // A device answers in order: nothing overtakes a late reply.
    dueMs = std::max(dueMs, lastDue_[collection]);
    lastDue_[collection] = dueMs;
    LogLocked(Wire::In, collection, report.data(), report.size(), dueMs);
    for (const auto& s : sinks_)
        if (s.collection == collection) s.sink->Deliver(report, dueMs);
}

void DeviceModel::LogLocked(Wire direction, int collection, const uint8_t* data, size_t length, uint32_t timeMs) {
    log_.push_back({direction, collection, std::vector<uint8_t>(data, data + length), timeMs});
    while (log_.size() > logLimit_) log_.pop_front();
}

// --- plug state ---------------------------------------------------------------

bool DeviceModel::Present() const {
    std::lock_guard lock(mutex_);
    return present_;
}

void DeviceModel::UnplugLocked() {
    present_ = false;
    bracket_ = false;
    for (const auto& s : sinks_) s.sink->Disconnect();
    sinks_.clear();
}

void DeviceModel::Unplug() {
    std::lock_guard lock(mutex_);
    UnplugLocked();
}

void DeviceModel::Replug() {
    std::lock_guard lock(mutex_);
    present_ = true;
    bracket_ = false;
    unplugAfter_ = -1;
    std::fill(lastDue_.begin(), lastDue_.end(), 0);
}

void DeviceModel::UnplugAfterReports(int n) {
    std::lock_guard lock(mutex_);
    unplugAfter_ = n < 0 ? -1 : n;
}

// --- memories -------------------------------------------------------------------

namespace {
std::vector<uint8_t> Slice(const std::vector<uint8_t>& mem, size_t offset, size_t length) {
    if (offset >= mem.size()) return {};
    length = std::min(length, mem.size() - offset);
    return {mem.begin() + static_cast<std::ptrdiff_t>(offset), mem.begin() + static_cast<std::ptrdiff_t>(offset + length)};
}
void Store(std::vector<uint8_t>& mem, size_t offset, const std::vector<uint8_t>& bytes) {
    for (size_t i = 0; i < bytes.size() && offset + i < mem.size(); ++i) mem[offset + i] = bytes[i];
}
} // namespace

std::vector<uint8_t> DeviceModel::Config(size_t offset, size_t length) const {
    std::lock_guard lock(mutex_);
    return Slice(config_, offset, length);
}
void DeviceModel::SetConfig(size_t offset, const std::vector<uint8_t>& bytes) {
    std::lock_guard lock(mutex_);
    Store(config_, offset, bytes);
}
std::vector<uint8_t> DeviceModel::KeyMap(int bank, size_t length) const {
    std::lock_guard lock(mutex_);
    if (bank < 0 || bank > 1) return {};
    return Slice(keyMap_, bank * kKeyMapBankSize, std::min(length, kKeyMapBankSize));
}
void DeviceModel::SetKeyMap(int bank, const std::vector<uint8_t>& bytes) {
    std::lock_guard lock(mutex_);
    if (bank < 0 || bank > 1) return;
    Store(keyMap_, bank * kKeyMapBankSize,
          std::vector<uint8_t>(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(
                                                                  std::min(bytes.size(), kKeyMapBankSize))));
}
std::vector<uint8_t> DeviceModel::KeyLedTable(size_t length) const {
    std::lock_guard lock(mutex_);
    return Slice(keyLed_, 0, length);
}
void DeviceModel::SetKeyLedTable(const std::vector<uint8_t>& bytes) {
    std::lock_guard lock(mutex_);
    Store(keyLed_, 0, bytes);
}
std::vector<uint8_t> DeviceModel::MacroMemory() const {
    std::lock_guard lock(mutex_);
    return macro_;
}
std::vector<uint8_t> DeviceModel::LedFrame(size_t length) const {
    std::lock_guard lock(mutex_);
    return Slice(frame_, 0, length);
}
std::array<uint8_t, kDeviceInfoSize> DeviceModel::DeviceInfo() const {
    std::lock_guard lock(mutex_);
    return info_;
}
void DeviceModel::SetDeviceInfo(const std::array<uint8_t, kDeviceInfoSize>& info) {
    std::lock_guard lock(mutex_);
    info_ = info;
    macro_.resize(static_cast<size_t>(info_[6]) * 128u, 0);
}
std::array<uint8_t, kPowerStatusSize> DeviceModel::PowerStatus() const {
    std::lock_guard lock(mutex_);
    std::array<uint8_t, kPowerStatusSize> s{};
    std::copy_n(status_.begin(), s.size(), s.begin());
    return s;
}
void DeviceModel::SetPowerStatus(const std::array<uint8_t, kPowerStatusSize>& status) {
    std::lock_guard lock(mutex_);
    std::copy(status.begin(), status.end(), status_.begin());
}
void DeviceModel::SetOnline(bool online) {
    std::lock_guard lock(mutex_);
    online_ = online;
}
void DeviceModel::SetRequireBracket(bool on) {
    std::lock_guard lock(mutex_);
    requireBracket_ = on;
}
bool DeviceModel::BracketOpen() const {
    std::lock_guard lock(mutex_);
    return bracket_;
}
int DeviceModel::BracketViolations() const {
    std::lock_guard lock(mutex_);
    return bracketViolations_;
}
int DeviceModel::FrameChunks() const {
    std::lock_guard lock(mutex_);
    return frameChunks_;
}

std::array<uint8_t, 7> DeviceModel::ChipRegister(uint8_t driver, uint8_t reg) const {
    std::lock_guard lock(mutex_);
    const int d = driver == 0x22 ? 0 : driver == 0x44 ? 1 : -1;
    if (d < 0 || reg < 0xAA || reg > 0xAF) return {};
    return chip_[d][reg - 0xAA];
}
uint8_t DeviceModel::ChipLed(uint8_t driver, int led, int component) const {
    if (led < 0 || led > 12 || component < 0 || component > 2) return 0;
    const uint8_t reg = static_cast<uint8_t>((led < 7 ? 0xAA : 0xAD) + component);
    return ChipRegister(driver, reg)[led < 7 ? led : led - 7];
}
int DeviceModel::ChipReports() const {
    std::lock_guard lock(mutex_);
    return chipReports_;
}

// --- input ------------------------------------------------------------------------

void DeviceModel::InjectInputReport(int collection, const std::vector<uint8_t>& report) {
    std::lock_guard lock(mutex_);
    if (!present_ || report.empty()) return;
    QueueLocked(collection, report, platform::MonotonicMs());
}

void DeviceModel::InjectSyncUsage(uint16_t usage) {
    if (syncCollection_ < 0) return;
    InjectInputReport(syncCollection_,
                      {kSyncReportId, static_cast<uint8_t>(usage & 0xFF), static_cast<uint8_t>(usage >> 8)});
}

void DeviceModel::InjectProfileSwitch(uint8_t profile) {
    {
        std::lock_guard lock(mutex_);
        config_[0] = profile;
    }
    InjectSyncUsage(0x0401);
}

void DeviceModel::InjectKeyPress(uint8_t slot) { InjectSyncUsage(static_cast<uint16_t>(0x0500 + slot)); }
void DeviceModel::InjectKeyRelease(uint8_t slot) { InjectSyncUsage(static_cast<uint16_t>(0x0600 + slot)); }

// --- faults and log -----------------------------------------------------------------

void DeviceModel::InjectFault(const FaultPlan& plan) {
    std::lock_guard lock(mutex_);
    if (plan.count != 0) faults_.push_back(plan);
}

void DeviceModel::ClearFaults() {
    std::lock_guard lock(mutex_);
    faults_.clear();
    unplugAfter_ = -1;
}

std::vector<WireRecord> DeviceModel::WireLog() const {
    std::lock_guard lock(mutex_);
    return {log_.begin(), log_.end()};
}

void DeviceModel::ClearWireLog() {
    std::lock_guard lock(mutex_);
    log_.clear();
}

void DeviceModel::SetWireLogLimit(size_t records) {
    std::lock_guard lock(mutex_);
    logLimit_ = std::max<size_t>(records, 1);
    while (log_.size() > logLimit_) log_.pop_front();
}

std::vector<std::vector<uint8_t>> DeviceModel::Requests(int command) const {
    std::lock_guard lock(mutex_);
    std::vector<std::vector<uint8_t>> out;
    for (const auto& r : log_)
        if (r.direction != Wire::In && r.collection == commandCollection_ && r.bytes.size() == kCommandReportLength &&
            r.bytes[0] == kCommandReportId && (command < 0 || r.bytes[3] == command))
            out.push_back(r.bytes);
    return out;
}

std::vector<std::vector<uint8_t>> DeviceModel::Replies(int command) const {
    std::lock_guard lock(mutex_);
    std::vector<std::vector<uint8_t>> out;
    for (const auto& r : log_)
        if (r.direction == Wire::In && r.collection == commandCollection_ && r.bytes.size() == kCommandReportLength &&
            r.bytes[0] == kCommandReportId && (command < 0 || r.bytes[3] == command))
            out.push_back(r.bytes);
    return out;
}

} // namespace emu
