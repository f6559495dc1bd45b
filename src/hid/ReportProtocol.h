#pragma once
// The command protocol's pure parts: report framing, checksum, chunk planning,
// status decoding. No I/O, so every byte can be checked without a device.
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace hid::proto {

constexpr uint8_t kReportId = 0x04;
constexpr size_t kReportSize = 64;
constexpr size_t kPayloadOffset = 8;
constexpr size_t kMaxPayload = kReportSize - kPayloadOffset;  // 56
constexpr size_t kDeviceInfoSize = 33;

enum Command : uint8_t {
    kOpenConfig = 0x01,
    kCloseConfig = 0x02,
    kReadDeviceInfo = 0x03,
    kReadBlock = 0x05,
    kWriteBlock = 0x06,
    kReadKeyMap = 0x07,
    kWriteKeyMap = 0x09,
    kStreamLight = 0x12,
    kWriteMacroImage = 0x15,
    kReadBytes = 0x1A,
    kReadKeyLedTable = 0x1B,
    kProbeOnline = 0xAA,
};

using Report = std::array<uint8_t, kReportSize>;

// Sum of bytes 3..63.
uint32_t Checksum(const Report& r);
// Stores the checksum's low 16 bits in bytes 1 (low) and 2 (high). Call after bytes 3..63 are final.
void SetChecksum(Report& r);

// A complete request: ID, command, byte 4 = count, bytes 5..6 = offset (little-endian),
// payload (at most 56 bytes) from byte 8, checksum set.
Report BuildRequest(uint8_t command, uint8_t count, uint16_t offset, const uint8_t* payload = nullptr,
                    size_t payloadLength = 0);

struct Chunk {
    size_t position;   // index into the caller's buffer
    uint8_t length;    // bytes in this report (byte 4)
    uint16_t offset;   // bytes 5..6: base + position, cut to 16 bits
};

// A transfer of total bytes at base offset, cut into reports of chunkSize payload bytes.
// A chunk size of 0 or above 56 is taken as 56, so a plan always ends.
std::vector<Chunk> PlanChunks(size_t total, uint32_t baseOffset, uint8_t chunkSize);

// Status byte 7 of a reply: 0xFF -> -102, 0xFE -> -103, anything else -> 1.
int StatusResult(const Report& reply);

// The 33 bytes of command 0x03. Only the bytes with accessors mean something to the program.
struct DeviceInfo {
    std::array<uint8_t, kDeviceInfoSize> bytes{};

    uint8_t keyCount() const { return bytes[5]; }
    uint8_t macroMemoryUnits() const { return bytes[6]; }  // units of 128 bytes
    uint32_t macroMemoryBytes() const { return uint32_t(bytes[6]) * 128; }
    uint8_t dpiStep() const { return bytes[11]; }
    uint16_t minDpi() const { return static_cast<uint16_t>(bytes[13] | (bytes[14] << 8)); }
};

} // namespace hid::proto
