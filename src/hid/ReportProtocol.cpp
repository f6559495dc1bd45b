#include "hid/ReportProtocol.h"

#include "hid/HidResults.h"

#include <algorithm>
#include <cstring>

namespace hid::proto {

uint32_t Checksum(const Report& r) {
    uint32_t sum = 0;
    for (size_t i = 3; i < kReportSize; ++i) sum += r[i];
    return sum;
}

void SetChecksum(Report& r) {
    const uint32_t sum = Checksum(r);
    r[1] = static_cast<uint8_t>(sum & 0xFF);
    r[2] = static_cast<uint8_t>((sum >> 8) & 0xFF);
}

Report BuildRequest(uint8_t command, uint8_t count, uint16_t offset, const uint8_t* payload, size_t payloadLength) {
    Report r{};
    r[0] = kReportId;
    r[3] = command;
    r[4] = count;
    r[5] = static_cast<uint8_t>(offset & 0xFF);
    r[6] = static_cast<uint8_t>(offset >> 8);
    if (payload && payloadLength) std::memcpy(r.data() + kPayloadOffset, payload, std::min(payloadLength, kMaxPayload));
    SetChecksum(r);
    return r;
}

std::vector<Chunk> PlanChunks(size_t total, uint32_t baseOffset, uint8_t chunkSize) {
    const size_t step = (chunkSize == 0 || chunkSize > kMaxPayload) ? kMaxPayload : chunkSize;
    std::vector<Chunk> plan;
    plan.reserve((total + step - 1) / step);
    for (size_t o = 0; o < total; o += step) {
        plan.push_back({o, static_cast<uint8_t>(std::min(step, total - o)), static_cast<uint16_t>(baseOffset + o)});
    }
    return plan;
}

int StatusResult(const Report& reply) {
    if (reply[7] == 0xFF) return kCmdStatusFF;
    if (reply[7] == 0xFE) return kCmdStatusFE;
    return kCmdOk;
}

} // namespace hid::proto
