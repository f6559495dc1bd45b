#pragma once
// The locked request/response channel over one interface: 64-byte command
// reports out, one reply in, and the device commands built on that exchange.
#include "hid/HidDevice.h"
#include "hid/HidResults.h"
#include "hid/ReportProtocol.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>

class CHidChannel {
public:
    CHidChannel() = default;
    CHidChannel(const CHidChannel&) = delete;
    CHidChannel& operator=(const CHidChannel&) = delete;

    // One full exchange with the "命令"/"返回" debug dump. 1, 0 (not open / read failed), -1 (write failed).
    int Transact(const uint8_t* request, size_t requestLength, uint8_t* reply, size_t replyLength,
                 size_t& transferred);
    // The lighting-stream exchange: one read, 1000 ms, no busy flag, no dump.
    int TransactQuick(const uint8_t* request, size_t requestLength, uint8_t* reply, size_t replyLength,
                      size_t& transferred);
    // False and no change above 512.
    bool SetDataSize(uint16_t n);

    // Device commands (results in hid/HidResults.h).
    int OpenConfig();
    int CloseConfig();
    int ReadDeviceInfo(hid::proto::DeviceInfo& info);
    int ReadBlock(uint8_t* destination, size_t length, uint16_t baseOffset);
    int WriteBlock(const uint8_t* source, size_t length, uint16_t baseOffset);
    int ReadKeyMap(uint8_t* destination);                   // dataSize bytes
    int WriteKeyMap(const uint8_t* source, unsigned bank);  // dataSize bytes; bank 0 or 1
    int StreamLightFrame(const uint8_t* frame, size_t length);
    int WriteMacroImage(const uint8_t* image, size_t length);
    int ReadBytes(uint8_t* destination, uint8_t count, uint16_t offset);  // count up to 56
    int ReadKeyLedTable(uint8_t* destination);              // dataSize / 3 bytes
    bool ProbeOnline();

    int TimeoutMs() const { return wireless ? 5000 : 1000; }

    // --- state, in the order the rest of the program knows it ---
    uint16_t dataSize = 512;
    std::atomic<bool> busy{false};  // a full Transact is running; the light stream drops chunks meanwhile
    uint16_t reserved[4] = {0, 0, 0, 0};
    std::atomic<bool> opened{false};  // set by the owner after it opened hid
    CHidDevice hid;
    // Recursive, like the critical sections the device code was written for: a device
    // sequence may hold commandLock and call commands that take it again.
    std::recursive_mutex ioLock;       // one whole exchange (write and its reads)
    std::recursive_mutex commandLock;  // one whole command
    std::recursive_mutex lightLock;    // one lighting-stream exchange
    bool wireless = false;
    uint8_t chunkSize = 56;

private:
    int Exchange(const hid::proto::Report& request, hid::proto::Report& reply);
    int ChunkedWrite(uint8_t command, const uint8_t* source, size_t length, uint32_t baseOffset);
    int ChunkedRead(uint8_t command, uint8_t* destination, size_t length, uint32_t baseOffset);
    int SimpleCommand(uint8_t command);
};
