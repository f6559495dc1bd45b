#pragma once
// One HID interface path: enumeration, open with identity and caps, single
// report reads and writes whose waits a stop signal cuts at once.
#include "hid/HidBackend.h"
#include "hid/HidDescriptor.h"
#include "platform/Event.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

// Numbers after "vid_", "pid_", "&mi_" and "&col" (case-insensitive, hexadecimal,
// low 16 bits); 0 when the tag is absent.
uint16_t ParseVidFromPath(std::string_view path);
uint16_t ParsePidFromPath(std::string_view path);
uint16_t ParseMiFromPath(std::string_view path);
uint16_t ParseColFromPath(std::string_view path);

class CHidDevice {
public:
    CHidDevice();
    ~CHidDevice();
    CHidDevice(const CHidDevice&) = delete;
    CHidDevice& operator=(const CHidDevice&) = delete;

    // Rebuilds paths from the interfaces present; cursor back to 0. Interfaces that
    // fail to list are skipped, so the list never holds gaps.
    bool EnumerateHidPaths();
    // paths[cursor++], or nullptr at the end. The pointer lives until the next enumeration or release.
    const std::string* NextHidPath();
    void ReleaseHidPaths();

    bool OpenHidDevice(const std::string& path, bool read, bool write, bool overlapped, bool exclusive);
    // Stop the threads doing I/O here first. A transfer still running is cut by the stop
    // signal and keeps its own reference to the handle, so it never touches freed state.
    void CloseHidDevice();
    bool IsOpen() const;

    // timeoutMs < 0 waits until a report arrives or SignalStop() is called.
    bool ReadHidReport(uint8_t* buffer, size_t length, int timeoutMs, size_t& transferred);
    bool WriteHidReport(const uint8_t* buffer, size_t length, int timeoutMs, size_t& transferred);
    // Decodes report (report[0] = ID) into entries built for this interface's input reports.
    bool UnpackInputReport(std::vector<hid::HidUsageEntry>& entries, const uint8_t* report, size_t reportLength);
    // A control-pipe output report (the headset chip's 17-byte LED report), byte 0 = report ID.
    bool SetOutputReport(const uint8_t* buffer, size_t length);

    // Cuts a pending (or the next) read or write wait. Safe from any thread.
    void SignalStop() { stopEvent.Set(); }

    // --- state, in the order the rest of the program knows it ---
    std::vector<std::string> paths;  // last enumeration, no empty entries
    int32_t pathCount = 0;
    uint32_t cursor = 0;
    bool openRead = false;
    bool openWrite = false;
    bool openOverlapped = false;  // I/O is always poll()-driven; the flag is only recorded
    bool openExclusive = false;
    std::string devicePath;       // path of the open interface (any length)
    std::shared_ptr<const hid::HidDescriptor> preparsedData;
    int collectionIndex = -1;     // top-level collection of the open path within preparsedData
    hid::HidCaps caps;
    hid::HidAttributes attributes;
    std::vector<uint8_t> inputReport;
    std::vector<hid::HidUsageEntry> inputEntries;
    uint32_t inputEntryCount = 0;
    std::vector<hid::HidFieldCaps> inputButtonCaps, inputValueCaps;
    std::vector<uint8_t> outputReport;
    std::vector<hid::HidUsageEntry> outputEntries;
    uint32_t outputEntryCount = 0;
    std::vector<hid::HidFieldCaps> outputButtonCaps, outputValueCaps;
    std::vector<uint8_t> featureReport;
    std::vector<hid::HidUsageEntry> featureEntries;
    uint32_t featureEntryCount = 0;
    std::vector<hid::HidFieldCaps> featureButtonCaps, featureValueCaps;
    uint32_t interfaceNumber = 0;
    uint32_t collectionNumber = 0;
    platform::Event stopEvent{false, false};  // auto reset
    std::atomic<bool> readPending{false};
    std::atomic<bool> writePending{false};

private:
    std::shared_ptr<hid::IHidHandle> Handle() const;
    void ReleaseCaps();

    // Guards the handle pointer only; a transfer keeps its own reference, so a close on
    // another thread never frees a handle under a pending wait.
    mutable std::mutex handleMutex_;
    std::shared_ptr<hid::IHidHandle> handle_;
};
