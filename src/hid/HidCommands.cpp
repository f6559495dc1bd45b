// The device commands of the report protocol, as operations of CHidChannel.
#include "hid/HidChannel.h"

#include "platform/Debug.h"

#include <chrono>
#include <cstring>
#include <thread>

using hid::proto::BuildRequest;
using hid::proto::PlanChunks;
using hid::proto::Report;
using hid::proto::StatusResult;

int CHidChannel::Exchange(const Report& request, Report& reply) {
    reply.fill(0);
    size_t transferred = 0;
    return Transact(request.data(), request.size(), reply.data(), reply.size(), transferred);
}

int CHidChannel::SimpleCommand(uint8_t command) {
    std::lock_guard<std::recursive_mutex> lock(commandLock);
    Report reply;
    const int r = Exchange(BuildRequest(command, 0, 0), reply);
    return r != hid::kCmdOk ? r : StatusResult(reply);
}

int CHidChannel::ChunkedWrite(uint8_t command, const uint8_t* source, size_t length, uint32_t baseOffset) {
    std::lock_guard<std::recursive_mutex> lock(commandLock);
    if (!opened) return hid::kCmdReadFailed;
    if (length > 0 && !source) return hid::kCmdWriteFailed;
    Report reply;
    for (const auto& c : PlanChunks(length, baseOffset, chunkSize)) {
        const int r = Exchange(BuildRequest(command, c.length, c.offset, source + c.position, c.length), reply);
        if (r != hid::kCmdOk) return r;
        const int s = StatusResult(reply);
        if (s != hid::kCmdOk) return s;
    }
    return hid::kCmdOk;
}

int CHidChannel::ChunkedRead(uint8_t command, uint8_t* destination, size_t length, uint32_t baseOffset) {
    std::lock_guard<std::recursive_mutex> lock(commandLock);
    if (!opened || (length > 0 && !destination)) return hid::kCmdReadFailed;
    Report reply;
    for (const auto& c : PlanChunks(length, baseOffset, chunkSize)) {
        const int r = Exchange(BuildRequest(command, c.length, c.offset), reply);
        if (r != hid::kCmdOk) return r;
        const int s = StatusResult(reply);
        if (s != hid::kCmdOk) return s;
        std::memcpy(destination + c.position, reply.data() + hid::proto::kPayloadOffset, c.length);
    }
    return hid::kCmdOk;
}

int CHidChannel::OpenConfig() { return SimpleCommand(hid::proto::kOpenConfig); }

int CHidChannel::CloseConfig() {
    // The device needs a moment after the last write before the bracket closes.
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return SimpleCommand(hid::proto::kCloseConfig);
}

int CHidChannel::ReadDeviceInfo(hid::proto::DeviceInfo& info) {
    std::lock_guard<std::recursive_mutex> lock(commandLock);
    Report reply;
    const int r = Exchange(BuildRequest(hid::proto::kReadDeviceInfo, hid::proto::kDeviceInfoSize, 0), reply);
    if (r != hid::kCmdOk) return r;
    const int s = StatusResult(reply);
    if (s != hid::kCmdOk) return s;
    std::memcpy(info.bytes.data(), reply.data() + hid::proto::kPayloadOffset, info.bytes.size());
    return hid::kCmdOk;
}

int CHidChannel::ReadBlock(uint8_t* destination, size_t length, uint16_t baseOffset) {
    return ChunkedRead(hid::proto::kReadBlock, destination, length, baseOffset);
}

int CHidChannel::WriteBlock(const uint8_t* source, size_t length, uint16_t baseOffset) {
    return ChunkedWrite(hid::proto::kWriteBlock, source, length, baseOffset);
}

int CHidChannel::ReadKeyMap(uint8_t* destination) {
    return ChunkedRead(hid::proto::kReadKeyMap, destination, dataSize, 0);
}

int CHidChannel::WriteKeyMap(const uint8_t* source, unsigned bank) {
    if (bank > 1) return hid::kCmdBadBank;
    // Bank 1 lives 512 bytes up: byte 6 carries (bank * 512 + offset) >> 8.
    return ChunkedWrite(hid::proto::kWriteKeyMap, source, dataSize, bank * 512u);
}

int CHidChannel::ReadKeyLedTable(uint8_t* destination) {
    return ChunkedRead(hid::proto::kReadKeyLedTable, destination, dataSize / 3u, 0);
}

int CHidChannel::WriteMacroImage(const uint8_t* image, size_t length) {
    return ChunkedWrite(hid::proto::kWriteMacroImage, image, length, 0);
}

int CHidChannel::ReadBytes(uint8_t* destination, uint8_t count, uint16_t offset) {
    // One reply carries at most 56 payload bytes; a larger count cannot be honoured.
    if (!destination || count > hid::proto::kMaxPayload) return hid::kCmdReadFailed;
    std::lock_guard<std::recursive_mutex> lock(commandLock);
    Report reply;
    const int r = Exchange(BuildRequest(hid::proto::kReadBytes, count, offset), reply);
    if (r != hid::kCmdOk) return r;
    const int s = StatusResult(reply);
    if (s != hid::kCmdOk) return s;
    std::memcpy(destination, reply.data() + hid::proto::kPayloadOffset, count);
    return hid::kCmdOk;
}

bool CHidChannel::ProbeOnline() {
    std::lock_guard<std::recursive_mutex> lock(commandLock);
    Report reply;
    const int r = Exchange(BuildRequest(hid::proto::kProbeOnline, 0, 0), reply);
    return r == hid::kCmdOk && StatusResult(reply) == hid::kCmdOk && reply[8] == 0xFF;
}

int CHidChannel::StreamLightFrame(const uint8_t* frame, size_t length) {
    if (!opened) return hid::kCmdReadFailed;
    if (length > 0 && !frame) return hid::kCmdWriteFailed;
    Report reply;
    for (const auto& c : PlanChunks(length, 0, chunkSize)) {
        const Report request = BuildRequest(hid::proto::kStreamLight, c.length, c.offset, frame + c.position, c.length);
        // A running command wins: the chunk is dropped and counts as sent (the next frame follows soon).
        if (busy) {
            platform::DebugOut("放弃灯光数据");
            continue;
        }
        if (wireless) continue;  // the receiver path does not stream
        std::lock_guard<std::recursive_mutex> light(lightLock);
        std::unique_lock<std::recursive_mutex> io(ioLock);
        if (busy) {  // a command started while we waited for the lock
            io.unlock();
            platform::DebugOut("放弃灯光数据");
            continue;
        }
        reply.fill(0);
        size_t transferred = 0;
        const int r = TransactQuick(request.data(), request.size(), reply.data(), reply.size(), transferred);
        if (r != hid::kCmdOk) return r;
        const int s = StatusResult(reply);
        if (s != hid::kCmdOk) return s;
    }
    return hid::kCmdOk;
}
