#pragma once
// The firmware side of one emulated USB HID interface: its memories, the command
// protocol (report ID 4, 64-byte reports, checksum, status byte, chunk offsets,
// the 0x01/0x02 bracket), sync input reports, the headset chip's LED registers,
// a wire log of every report and fault injection. Thread-safe.
#include "emulator/Descriptors.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace emu {

enum class Wire { Out, In, SetOutput };

struct WireRecord {
    Wire direction;
    int collection;              // 0-based top-level collection index
    std::vector<uint8_t> bytes;  // report ID in byte 0
    uint32_t timeMs;             // platform::MonotonicMs(); for In: when the report becomes readable
};

// Where a model delivers its input reports: one per open handle.
class InputSink {
public:
    virtual ~InputSink() = default;
    virtual void Deliver(std::vector<uint8_t> report, uint32_t dueMs) = 0;
    // The device went away: pending and later I/O on the handle fails.
    virtual void Disconnect() = 0;
};

enum class Fault {
    NoReply,             // the request is ignored: no effect, no reply
    LateReply,           // the reply becomes readable param ms later
    WrongEcho,           // reply byte 3 is not the command
    WrongEchoThenReply,  // a reply with a wrong byte 3, then the right one
    Status,              // reply status byte = param (0xFE/0xFF), the request has no effect
};

struct FaultPlan {
    Fault kind = Fault::NoReply;
    int count = 1;        // requests it applies to; < 0: every one from now on
    int command = -1;     // only requests with this command code; -1: any
    int skip = 0;         // matching requests to let through first
    int param = 0;        // ms for LateReply, the status byte for Status
};

struct ModelIdentity {
    std::string family;  // "mouse", "keyboard", "MousePad", "HD"
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint16_t version = 0;  // bcdDevice
    uint8_t interfaceNumber = 0;
};

// Command codes the models answer.
namespace cmd {
inline constexpr uint8_t kOpenConfig = 0x01;
inline constexpr uint8_t kCloseConfig = 0x02;
inline constexpr uint8_t kReadDeviceInfo = 0x03;
inline constexpr uint8_t kReadBlock = 0x05;
inline constexpr uint8_t kWriteBlock = 0x06;
inline constexpr uint8_t kReadKeyMap = 0x07;
inline constexpr uint8_t kWriteKeyMap = 0x09;
inline constexpr uint8_t kStreamLightFrame = 0x12;
inline constexpr uint8_t kWriteMacroImage = 0x15;
inline constexpr uint8_t kReadBytes = 0x1A;
inline constexpr uint8_t kReadKeyLedTable = 0x1B;
inline constexpr uint8_t kProbeOnline = 0xAA;
} // namespace cmd

inline constexpr uint8_t kStatusOk = 0x00;
inline constexpr uint8_t kStatusFailed = 0xFE;       // bad argument, range, or write outside the bracket
inline constexpr uint8_t kStatusBadChecksum = 0xFF;
inline constexpr size_t kChunkPayload = 56;
inline constexpr size_t kDeviceInfoSize = 33;
inline constexpr size_t kPowerStatusSize = 6;

// Checksum of a command report: sum of bytes 3..63, low 16 bits.
uint16_t ReportChecksum(const uint8_t* report64);
// Fills bytes 1..2 of a 64-byte report from bytes 3..63.
void SealReport(uint8_t* report64);

class DeviceModel {
public:
    static constexpr size_t kConfigSize = 4096;
    static constexpr size_t kKeyMapBankSize = 512;  // two banks, bank b at offset 512 b
    static constexpr size_t kKeyLedTableSize = 512;
    static constexpr size_t kLedFrameSize = 512;
    static constexpr size_t kStatusMemorySize = 64;  // command 0x1A; power status at 0

    // commandCollection/syncCollection: 0-based collection indexes (-1: none).
    DeviceModel(ModelIdentity identity, InterfaceSpec spec, int commandCollection, int syncCollection,
                bool hasChipLeds);

    const ModelIdentity& Identity() const { return identity_; }
    const InterfaceSpec& Interface() const { return spec_; }
    int CommandCollection() const { return commandCollection_; }
    int SyncCollection() const { return syncCollection_; }

    // --- bus side -------------------------------------------------------------
    // Registers a handle's sink for one collection; false while unplugged.
    bool Attach(int collection, InputSink* sink);
    void Detach(InputSink* sink);
    // One interrupt output report. False: the write fails (unplugged, unknown ID, short).
    bool HandleOutputReport(int collection, const uint8_t* data, size_t length);
    // One control-pipe output report (the headset's chip LED reports).
    bool HandleSetOutputReport(int collection, const uint8_t* data, size_t length);

    // --- plug state -----------------------------------------------------------
    bool Present() const;
    void Unplug();
    void Replug();
    // The next n output reports are served; the device vanishes when report n+1 arrives.
    void UnplugAfterReports(int n);

    // --- memories (tests read and seed them directly) ---------------------------
    std::vector<uint8_t> Config(size_t offset, size_t length) const;
    void SetConfig(size_t offset, const std::vector<uint8_t>& bytes);
    std::vector<uint8_t> KeyMap(int bank, size_t length = kKeyMapBankSize) const;
    void SetKeyMap(int bank, const std::vector<uint8_t>& bytes);
    std::vector<uint8_t> KeyLedTable(size_t length = kKeyLedTableSize) const;
    void SetKeyLedTable(const std::vector<uint8_t>& bytes);
    std::vector<uint8_t> MacroMemory() const;
    std::vector<uint8_t> LedFrame(size_t length = kLedFrameSize) const;
    std::array<uint8_t, kDeviceInfoSize> DeviceInfo() const;
    void SetDeviceInfo(const std::array<uint8_t, kDeviceInfoSize>& info);  // also resizes macro memory
    std::array<uint8_t, kPowerStatusSize> PowerStatus() const;
    void SetPowerStatus(const std::array<uint8_t, kPowerStatusSize>& status);
    void SetOnline(bool online);  // reply byte 8 of the probe 0xAA
    void SetRequireBracket(bool on);

    bool BracketOpen() const;
    int BracketViolations() const;  // writes refused because no 0x01 preceded them
    int FrameChunks() const;        // 0x12 reports accepted

    // Headset chip LED registers: driver 0x22 or 0x44, register 0xAA..0xAF, 7 value bytes.
    std::array<uint8_t, 7> ChipRegister(uint8_t driver, uint8_t reg) const;
    // Component c (0..2) of LED 0..12 as last written to a driver.
    uint8_t ChipLed(uint8_t driver, int led, int component) const;
    int ChipReports() const;

    // --- input the device raises ----------------------------------------------
    void InjectInputReport(int collection, const std::vector<uint8_t>& report);
    void InjectSyncUsage(uint16_t usage);      // consumer usage on the sync collection
    void InjectProfileSwitch(uint8_t profile); // active profile byte, then usage 0x0401
    void InjectKeyPress(uint8_t slot);         // usage 0x0500 + slot
    void InjectKeyRelease(uint8_t slot);       // usage 0x0600 + slot

    // --- faults -------------------------------------------------------------------
    void InjectFault(const FaultPlan& plan);
    void InjectNoReply(int count = 1) { InjectFault({Fault::NoReply, count, -1, 0, 0}); }
    void InjectLateReply(int ms, int count = 1) { InjectFault({Fault::LateReply, count, -1, 0, ms}); }
    void InjectWrongEcho(int count = 1, bool thenReply = false) {
        InjectFault({thenReply ? Fault::WrongEchoThenReply : Fault::WrongEcho, count, -1, 0, 0});
    }
    void InjectStatus(uint8_t status, int count = 1) { InjectFault({Fault::Status, count, -1, 0, status}); }
    void ClearFaults();

    // --- wire log -----------------------------------------------------------------
    std::vector<WireRecord> WireLog() const;
    void ClearWireLog();
    // The log keeps the newest records only (a --simulate session streams frames for hours).
    void SetWireLogLimit(size_t records);
    // Command reports written to the command collection (command -1: all of them).
    std::vector<std::vector<uint8_t>> Requests(int command = -1) const;
    std::vector<std::vector<uint8_t>> Replies(int command = -1) const;

private:
    struct Sink {
        int collection;
        InputSink* sink;
    };
    struct Applied {
        bool noReply = false;
        int lateMs = 0;
        int wrongEcho = 0;  // 0 none, 1 wrong only, 2 wrong then right
        int status = -1;
    };

    const ReportSpec* FindOutput(int collection, uint8_t id) const;
    bool CountReportLocked();  // false when the device vanishes with this report
    Applied TakeFaultsLocked(uint8_t command);
    void ProcessCommandLocked(const uint8_t* request);
    uint8_t ExecuteLocked(const uint8_t* request, uint8_t* reply);
    bool ChipReportLocked(const uint8_t* data, size_t length);
    void QueueLocked(int collection, std::vector<uint8_t> report, uint32_t dueMs);
    void UnplugLocked();
    void LogLocked(Wire direction, int collection, const uint8_t* data, size_t length, uint32_t timeMs);

    const ModelIdentity identity_;
    const InterfaceSpec spec_;
    const int commandCollection_;
    const int syncCollection_;
    const bool hasChipLeds_;

    mutable std::mutex mutex_;
    bool present_ = true;
    int unplugAfter_ = -1;
    std::vector<Sink> sinks_;
    std::vector<uint32_t> lastDue_;  // per collection, keeps replies in order behind a late one

    std::vector<uint8_t> config_;
    std::vector<uint8_t> keyMap_;
    std::vector<uint8_t> keyLed_;
    std::vector<uint8_t> macro_;
    std::vector<uint8_t> frame_;
    std::vector<uint8_t> status_;
    std::array<uint8_t, kDeviceInfoSize> info_{};
    std::array<std::array<std::array<uint8_t, 7>, 6>, 2> chip_{};
    bool online_ = true;
    bool requireBracket_ = true;
    bool bracket_ = false;
    int bracketViolations_ = 0;
    int frameChunks_ = 0;
    int chipReports_ = 0;

    std::vector<FaultPlan> faults_;
    std::deque<WireRecord> log_;
    size_t logLimit_ = 100000;
};

} // namespace emu
