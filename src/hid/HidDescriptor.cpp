#include "hid/HidDescriptor.h"

#include <algorithm>
#include <array>

namespace hid {

namespace {

// Bounds that keep a hostile descriptor from asking for absurd memory or loops.
constexpr uint32_t kMaxReportBytes = 16384;  // the kernel's HID buffer limit
constexpr size_t kMaxPushDepth = 32;
constexpr size_t kMaxCollectionDepth = 64;
constexpr uint32_t kMaxFieldBits = 32;

struct GlobalState {
    uint16_t usagePage = 0;
    int32_t logicalMin = 0;
    int32_t logicalMaxSigned = 0;
    uint32_t logicalMaxUnsigned = 0;
    int32_t physicalMin = 0;
    int32_t physicalMaxSigned = 0;
    uint32_t physicalMaxUnsigned = 0;
    int32_t unitExponent = 0;
    uint32_t unit = 0;
    uint32_t reportSize = 0;
    uint32_t reportId = 0;
    uint32_t reportCount = 0;
};

struct LocalUsage {
    bool extended;  // 32-bit usage: the page travels in the high half
    uint16_t page;
    uint16_t usage;
};

struct LocalState {
    struct Item {
        LocalUsage min;
        LocalUsage max;
        bool range;
    };
    std::vector<Item> items;
    bool haveMin = false, haveMax = false;
    LocalUsage pendingMin{}, pendingMax{};
    void Clear() {
        items.clear();
        haveMin = haveMax = false;
    }
};

// A maximum is read unsigned when the minimum is not negative (26 FF 00 and 25 FF both mean 255
// in the descriptors devices actually ship).
int32_t ResolveMax(int32_t min, int32_t maxSigned, uint32_t maxUnsigned) {
    if (min >= 0 && maxSigned < 0) return static_cast<int32_t>(std::min<uint32_t>(maxUnsigned, 0x7FFFFFFF));
    return maxSigned;
}

uint32_t ReadBits(const uint8_t* report, uint32_t bitOffset, uint32_t bitSize) {
    uint64_t acc = 0;
    const uint32_t firstByte = bitOffset / 8;
    const uint32_t shift = bitOffset % 8;
    const uint32_t bytes = (shift + bitSize + 7) / 8;  // at most 5 for 32 bits
    for (uint32_t i = 0; i < bytes; ++i) acc |= static_cast<uint64_t>(report[firstByte + i]) << (8 * i);
    acc >>= shift;
    if (bitSize < 64) acc &= (uint64_t{1} << bitSize) - 1;
    return static_cast<uint32_t>(acc);
}

int32_t SignExtend(uint32_t v, uint32_t bits) {
    if (bits == 0 || bits >= 32) return static_cast<int32_t>(v);
    const uint32_t sign = uint32_t{1} << (bits - 1);
    return static_cast<int32_t>((v ^ sign) - sign);
}

bool FitsReport(size_t reportLength, uint32_t bitEnd) {
    return static_cast<uint64_t>(reportLength) * 8 >= bitEnd;
}

// Usage of variable field i: item by item, the last usage repeating.
bool UsageOfArrayIndex(const HidReportField& f, uint32_t idx, uint16_t& page, uint16_t& usage);

bool UsageOfVariableField(const HidReportField& f, uint32_t index, uint16_t& page, uint16_t& usage) {
    if (f.usageItems.empty()) return false;
    if (UsageOfArrayIndex(f, index, page, usage)) return true;
    page = f.usageItems.back().page;
    usage = f.usageItems.back().max;
    return true;
}

// Usage selected by array index idx (value - logical minimum); no repetition.
bool UsageOfArrayIndex(const HidReportField& f, uint32_t idx, uint16_t& page, uint16_t& usage) {
    uint32_t pos = 0;
    for (const auto& it : f.usageItems) {
        const uint32_t n = it.range ? uint32_t(it.max - it.min) + 1 : 1;
        if (idx < pos + n) {
            page = it.page;
            usage = static_cast<uint16_t>(it.min + (idx - pos));
            return true;
        }
        pos += n;
    }
    return false;
}

bool FieldHasPage(const HidReportField& f, uint16_t page) {
    return std::any_of(f.usageItems.begin(), f.usageItems.end(), [&](const auto& it) { return it.page == page; });
}

bool IsButtonField(const HidReportField& f) { return f.IsArray() || f.bitSize == 1; }

std::vector<HidFieldCaps>& CapsList(HidCollection& c, ReportType t, bool button) {
    switch (t) {
    case ReportType::Input: return button ? c.inputButtonCaps : c.inputValueCaps;
    case ReportType::Output: return button ? c.outputButtonCaps : c.outputValueCaps;
    default: return button ? c.featureButtonCaps : c.featureValueCaps;
    }
}

void BuildCaps(HidCollection& c, const std::array<std::array<uint32_t, 256>, 3>& reportBits) {
    std::array<uint32_t, 3> maxBytes{};
    for (size_t fi = 0; fi < c.fields.size(); ++fi) {
        const HidReportField& f = c.fields[fi];
        const int t = static_cast<int>(f.reportType);
        const uint32_t bytes = (reportBits[t][f.reportId] + 7) / 8 + 1;  // + the ID byte, Windows style
        maxBytes[t] = std::max(maxBytes[t], bytes);
        if (f.IsConstant() || f.reportCount == 0) continue;

        const bool button = IsButtonField(f);
        std::vector<HidFieldCaps>& list = CapsList(c, f.reportType, button);
        uint32_t fieldPos = 0;
        for (size_t k = 0; k < f.usageItems.size(); ++k) {
            const auto& it = f.usageItems[k];
            HidFieldCaps cap;
            cap.reportType = f.reportType;
            cap.usagePage = it.page;
            cap.reportId = f.reportId;
            cap.isButton = button;
            cap.isArray = f.IsArray();
            cap.isRange = it.range;
            cap.isAbsolute = !(f.bitField & 0x04);
            cap.hasNull = (f.bitField & 0x40) != 0;
            cap.usageMin = it.min;
            cap.usageMax = it.max;
            cap.bitField = f.bitField;
            cap.bitSize = f.bitSize;
            cap.logicalMin = f.logicalMin;
            cap.logicalMax = f.logicalMax;
            cap.physicalMin = f.physicalMin;
            cap.physicalMax = f.physicalMax;
            cap.fieldIndex = fi;
            if (f.IsArray()) {
                cap.bitOffset = f.bitOffset;
                cap.reportCount = f.reportCount;
            } else {
                if (fieldPos >= f.reportCount) break;  // more usages than fields: the rest carry no data
                const uint32_t n = it.range ? uint32_t(it.max - it.min) + 1 : 1;
                uint32_t covered = std::min<uint32_t>(n, f.reportCount - fieldPos);
                if (k + 1 == f.usageItems.size()) covered = f.reportCount - fieldPos;  // last usage repeats
                cap.bitOffset = f.bitOffset + fieldPos * f.bitSize;
                cap.reportCount = static_cast<uint16_t>(covered);
                fieldPos += covered;
            }
            list.push_back(cap);
        }
    }
    c.caps.UsagePage = c.usagePage;
    c.caps.Usage = c.usage;
    c.caps.InputReportByteLength = static_cast<uint16_t>(maxBytes[0]);
    c.caps.OutputReportByteLength = static_cast<uint16_t>(maxBytes[1]);
    c.caps.FeatureReportByteLength = static_cast<uint16_t>(maxBytes[2]);
    auto indices = [](const std::vector<HidFieldCaps>& l) {
        uint32_t n = 0;
        for (const auto& cap : l) n += uint32_t(cap.usageMax - cap.usageMin) + 1;
        return static_cast<uint16_t>(std::min<uint32_t>(n, 0xFFFF));
    };
    c.caps.NumberInputButtonCaps = static_cast<uint16_t>(c.inputButtonCaps.size());
    c.caps.NumberInputValueCaps = static_cast<uint16_t>(c.inputValueCaps.size());
    c.caps.NumberInputDataIndices = indices(c.inputButtonCaps) + indices(c.inputValueCaps);
    c.caps.NumberOutputButtonCaps = static_cast<uint16_t>(c.outputButtonCaps.size());
    c.caps.NumberOutputValueCaps = static_cast<uint16_t>(c.outputValueCaps.size());
    c.caps.NumberOutputDataIndices = indices(c.outputButtonCaps) + indices(c.outputValueCaps);
    c.caps.NumberFeatureButtonCaps = static_cast<uint16_t>(c.featureButtonCaps.size());
    c.caps.NumberFeatureValueCaps = static_cast<uint16_t>(c.featureValueCaps.size());
    c.caps.NumberFeatureDataIndices = indices(c.featureButtonCaps) + indices(c.featureValueCaps);
}

HidParseResult Fail(size_t offset, std::string message) {
    HidParseResult r;
    r.ok = false;
    r.errorOffset = offset;
    r.error = std::move(message) + " at byte " + std::to_string(offset);
    return r;
}

} // namespace

const std::vector<HidFieldCaps>& HidCollection::ButtonCaps(ReportType t) const {
    switch (t) {
    case ReportType::Input: return inputButtonCaps;
    case ReportType::Output: return outputButtonCaps;
    default: return featureButtonCaps;
    }
}

const std::vector<HidFieldCaps>& HidCollection::ValueCaps(ReportType t) const {
    switch (t) {
    case ReportType::Input: return inputValueCaps;
    case ReportType::Output: return outputValueCaps;
    default: return featureValueCaps;
    }
}

HidParseResult ParseReportDescriptor(const uint8_t* data, size_t length) {
    if (data == nullptr || length == 0) return Fail(0, "empty report descriptor");

    HidDescriptor desc;
    GlobalState global;
    std::vector<GlobalState> stack;
    LocalState local;
    size_t depth = 0;
    std::array<std::array<uint32_t, 256>, 3> reportBits{};  // bits used so far per (type, report ID)
    bool sawUnnumbered = false;

    size_t pos = 0;
    while (pos < length) {
        const size_t itemStart = pos;
        const uint8_t prefix = data[pos];
        if (prefix == 0xFE) {  // long item: skipped, but it must be complete
            if (pos + 3 > length) return Fail(itemStart, "truncated long item");
            const size_t size = data[pos + 1];
            if (pos + 3 + size > length) return Fail(itemStart, "truncated long item");
            pos += 3 + size;
            continue;
        }
        const size_t size = (prefix & 3) == 3 ? 4 : (prefix & 3);
        if (pos + 1 + size > length) return Fail(itemStart, "truncated item");
        uint32_t udata = 0;
        for (size_t i = 0; i < size; ++i) udata |= static_cast<uint32_t>(data[pos + 1 + i]) << (8 * i);
        const int32_t sdata = size == 0 ? 0 : SignExtend(udata, static_cast<uint32_t>(size * 8));
        const uint8_t type = (prefix >> 2) & 3;
        const uint8_t tag = prefix >> 4;
        pos += 1 + size;

        if (type == 0) {  // main
            if (tag == 8 || tag == 9 || tag == 11) {
                const ReportType rt = tag == 8 ? ReportType::Input : tag == 9 ? ReportType::Output : ReportType::Feature;
                if (local.haveMin != local.haveMax) return Fail(itemStart, "unpaired Usage Minimum/Maximum");
                if (global.reportSize > kMaxFieldBits && global.reportCount > 0)
                    return Fail(itemStart, "report size above 32 bits");
                const uint8_t id = static_cast<uint8_t>(global.reportId);
                if (id == 0) sawUnnumbered = true;
                uint32_t& used = reportBits[static_cast<int>(rt)][id];
                const uint64_t bits = uint64_t(global.reportSize) * global.reportCount;
                if (used + bits > uint64_t(kMaxReportBytes) * 8) return Fail(itemStart, "report too long");
                HidReportField f;
                f.reportType = rt;
                f.reportId = id;
                f.bitField = static_cast<uint16_t>(udata);
                f.bitOffset = used + 8;  // byte 0 of every report buffer is the ID (0 when unnumbered)
                f.bitSize = static_cast<uint16_t>(global.reportSize);
                f.reportCount = static_cast<uint16_t>(global.reportCount);
                f.logicalMin = global.logicalMin;
                f.logicalMax = ResolveMax(global.logicalMin, global.logicalMaxSigned, global.logicalMaxUnsigned);
                f.physicalMin = global.physicalMin;
                f.physicalMax = ResolveMax(global.physicalMin, global.physicalMaxSigned, global.physicalMaxUnsigned);
                for (const auto& it : local.items) {
                    const uint16_t page = it.min.extended ? it.min.page : global.usagePage;
                    f.usageItems.push_back({page, it.min.usage, it.max.usage, it.range});
                }
                if (f.usageItems.empty()) f.usageItems.push_back({global.usagePage, 0, 0, false});
                used += static_cast<uint32_t>(bits);
                if (depth > 0 && !desc.collections.empty()) {
                    HidCollection& c = desc.collections.back();
                    if (id != 0) {
                        auto ins = [&](std::vector<uint8_t>& v) {
                            if (std::find(v.begin(), v.end(), id) == v.end()) {
                                v.push_back(id);
                                std::sort(v.begin(), v.end());
                            }
                        };
                        ins(c.reportIds);
                        if (rt == ReportType::Input) ins(c.inputReportIds);
                    }
                    c.fields.push_back(std::move(f));
                }
            } else if (tag == 10) {  // Collection
                if (depth >= kMaxCollectionDepth) return Fail(itemStart, "collections nested too deep");
                if (depth == 0) {
                    HidCollection c;
                    c.collectionType = static_cast<uint8_t>(udata);
                    if (!local.items.empty()) {
                        const auto& u = local.items.front().min;
                        c.usagePage = u.extended ? u.page : global.usagePage;
                        c.usage = u.usage;
                    } else {
                        c.usagePage = global.usagePage;
                    }
                    c.caps.NumberLinkCollectionNodes = 1;
                    desc.collections.push_back(std::move(c));
                } else if (!desc.collections.empty()) {
                    ++desc.collections.back().caps.NumberLinkCollectionNodes;
                }
                ++depth;
            } else if (tag == 12) {  // End Collection
                if (depth == 0) return Fail(itemStart, "End Collection without Collection");
                --depth;
            } else {
                return Fail(itemStart, "unknown main item");
            }
            local.Clear();
        } else if (type == 1) {  // global
            switch (tag) {
            case 0: global.usagePage = static_cast<uint16_t>(udata); break;
            case 1: global.logicalMin = sdata; break;
            case 2: global.logicalMaxSigned = sdata; global.logicalMaxUnsigned = udata; break;
            case 3: global.physicalMin = sdata; break;
            case 4: global.physicalMaxSigned = sdata; global.physicalMaxUnsigned = udata; break;
            case 5: global.unitExponent = sdata; break;
            case 6: global.unit = udata; break;
            case 7: global.reportSize = udata; break;
            case 8:
                if (udata == 0 || udata > 255) return Fail(itemStart, "invalid report ID");
                global.reportId = udata;
                desc.usesReportIds = true;
                break;
            case 9:
                if (udata > 0xFFFF) return Fail(itemStart, "report count too large");
                global.reportCount = udata;
                break;
            case 10:
                if (stack.size() >= kMaxPushDepth) return Fail(itemStart, "Push nested too deep");
                stack.push_back(global);
                break;
            case 11:
                if (stack.empty()) return Fail(itemStart, "Pop without Push");
                global = stack.back();
                stack.pop_back();
                break;
            default: return Fail(itemStart, "unknown global item");
            }
        } else if (type == 2) {  // local
            LocalUsage u{size == 4, static_cast<uint16_t>(udata >> 16), static_cast<uint16_t>(udata & 0xFFFF)};
            switch (tag) {
            case 0: local.items.push_back({u, u, false}); break;
            case 1: local.pendingMin = u; local.haveMin = true; break;
            case 2: local.pendingMax = u; local.haveMax = true; break;
            default: break;  // designators, strings, delimiters: not needed
            }
            if ((tag == 1 || tag == 2) && local.haveMin && local.haveMax) {
                if (local.pendingMin.usage > local.pendingMax.usage)
                    return Fail(itemStart, "Usage Minimum above Usage Maximum");
                local.items.push_back({local.pendingMin, local.pendingMax, true});
                local.haveMin = local.haveMax = false;
            }
        } else {
            return Fail(itemStart, "reserved item type");
        }
    }

    if (depth != 0) return Fail(length, "collection not closed");
    if (desc.collections.empty()) return Fail(length, "no top-level collection");
    if (desc.usesReportIds && sawUnnumbered) return Fail(length, "report without ID in a numbered descriptor");

    for (auto& c : desc.collections) BuildCaps(c, reportBits);

    HidParseResult r;
    r.ok = true;
    r.descriptor = std::move(desc);
    return r;
}

uint32_t HidMaxUsageListLength(const HidCollection& c, ReportType type, uint16_t usagePage) {
    uint32_t n = 0;
    for (const auto& f : c.fields) {
        if (f.reportType != type || f.IsConstant() || !IsButtonField(f) || !FieldHasPage(f, usagePage)) continue;
        n += f.reportCount;
    }
    return n;
}

HidStatus HidGetUsages(const HidCollection& c, ReportType type, uint16_t usagePage, const uint8_t* report,
                       size_t reportLength, std::vector<uint16_t>& out, size_t capacity) {
    out.clear();
    if (report == nullptr || reportLength == 0) return HidStatus::InvalidReportLength;
    bool anyField = false, anyInReport = false;
    for (const auto& f : c.fields) {
        if (f.reportType != type || f.IsConstant() || !IsButtonField(f) || !FieldHasPage(f, usagePage)) continue;
        anyField = true;
        if (f.reportId != report[0]) continue;
        anyInReport = true;
        if (!FitsReport(reportLength, f.bitOffset + uint32_t(f.bitSize) * f.reportCount))
            return HidStatus::InvalidReportLength;
        for (uint32_t i = 0; i < f.reportCount; ++i) {
            const uint32_t raw = ReadBits(report, f.bitOffset + i * f.bitSize, f.bitSize);
            uint16_t page = 0, usage = 0;
            if (f.IsArray()) {
                const int64_t v = f.logicalMin < 0 ? SignExtend(raw, f.bitSize) : int64_t(raw);
                if (v < f.logicalMin || v > f.logicalMax) continue;  // out of range means "no usage"
                if (!UsageOfArrayIndex(f, static_cast<uint32_t>(v - f.logicalMin), page, usage)) continue;
            } else {
                if (!raw) continue;
                if (!UsageOfVariableField(f, i, page, usage)) continue;
            }
            if (page != usagePage || usage == 0) continue;
            if (out.size() >= capacity) return HidStatus::BufferTooSmall;
            out.push_back(usage);
        }
    }
    if (!anyField) return HidStatus::UsageNotFound;
    if (!anyInReport) return HidStatus::IncompatibleReportId;
    return HidStatus::Success;
}

namespace {

// Finds the value cap and the field position of (page, usage) in the report.
HidStatus LocateValue(const HidCollection& c, ReportType type, uint16_t usagePage, uint16_t usage,
                      const uint8_t* report, size_t reportLength, const HidFieldCaps*& capOut, uint32_t& bitOffset) {
    if (report == nullptr || reportLength == 0) return HidStatus::InvalidReportLength;
    bool seen = false;
    for (const auto& cap : c.ValueCaps(type)) {
        if (cap.usagePage != usagePage || usage < cap.usageMin || usage > cap.usageMax) continue;
        const uint32_t idx = cap.isRange ? uint32_t(usage - cap.usageMin) : 0;
        if (idx >= cap.reportCount) continue;
        seen = true;
        if (cap.reportId != report[0]) continue;
        bitOffset = cap.bitOffset + idx * cap.bitSize;
        if (!FitsReport(reportLength, bitOffset + cap.bitSize)) return HidStatus::InvalidReportLength;
        capOut = &cap;
        return HidStatus::Success;
    }
    return seen ? HidStatus::IncompatibleReportId : HidStatus::UsageNotFound;
}

} // namespace

HidStatus HidGetUsageValue(const HidCollection& c, ReportType type, uint16_t usagePage, uint16_t usage,
                           const uint8_t* report, size_t reportLength, uint32_t& value) {
    const HidFieldCaps* cap = nullptr;
    uint32_t bit = 0;
    const HidStatus s = LocateValue(c, type, usagePage, usage, report, reportLength, cap, bit);
    if (s != HidStatus::Success) return s;
    value = ReadBits(report, bit, cap->bitSize);
    return HidStatus::Success;
}

HidStatus HidGetScaledUsageValue(const HidCollection& c, ReportType type, uint16_t usagePage, uint16_t usage,
                                 const uint8_t* report, size_t reportLength, int32_t& value) {
    const HidFieldCaps* cap = nullptr;
    uint32_t bit = 0;
    const HidStatus s = LocateValue(c, type, usagePage, usage, report, reportLength, cap, bit);
    if (s != HidStatus::Success) return s;
    const uint32_t raw = ReadBits(report, bit, cap->bitSize);
    const int64_t v = cap->logicalMin < 0 ? SignExtend(raw, cap->bitSize) : int64_t(raw);
    const int64_t lmin = cap->logicalMin, lmax = cap->logicalMax;
    int64_t pmin = cap->physicalMin, pmax = cap->physicalMax;
    if (pmin == 0 && pmax == 0) {  // no physical range given: physical equals logical
        pmin = lmin;
        pmax = lmax;
    }
    if (lmax <= lmin || pmax < pmin) return HidStatus::BadLogPhyValues;
    if (v < lmin || v > lmax) return HidStatus::ValueOutOfRange;
    value = static_cast<int32_t>(pmin + (v - lmin) * (pmax - pmin) / (lmax - lmin));
    return HidStatus::Success;
}

std::vector<HidUsageEntry> HidBuildEntries(const HidCollection& c, ReportType type) {
    std::vector<HidUsageEntry> entries;
    for (const auto& cap : c.ButtonCaps(type)) {
        HidUsageEntry e;
        e.isButton = true;
        e.usagePage = cap.usagePage;
        e.reportId = cap.reportId;
        e.usageMin = cap.usageMin;
        e.usageMax = cap.usageMax;
        e.maxUsageCount = HidMaxUsageListLength(c, type, cap.usagePage);
        e.usages.assign(e.maxUsageCount, 0);
        entries.push_back(std::move(e));
    }
    for (const auto& cap : c.ValueCaps(type)) {
        // A range longer than its fields gets entries only for usages that carry data.
        const uint32_t n = cap.isRange ? std::min<uint32_t>(uint32_t(cap.usageMax - cap.usageMin) + 1, cap.reportCount) : 1;
        for (uint32_t i = 0; i < n; ++i) {
            HidUsageEntry e;
            e.isButton = false;
            e.usagePage = cap.usagePage;
            e.reportId = cap.reportId;
            e.usage = static_cast<uint16_t>(cap.usageMin + i);
            entries.push_back(std::move(e));
        }
    }
    return entries;
}

bool HidUnpackReport(const HidCollection& c, ReportType type, std::vector<HidUsageEntry>& entries,
                     const uint8_t* report, size_t reportLength) {
    if (report == nullptr || reportLength == 0) return false;
    std::vector<uint16_t> active;
    for (auto& e : entries) {
        if (e.reportId != report[0]) continue;
        if (e.isButton) {
            e.status = HidGetUsages(c, type, e.usagePage, report, reportLength, active, e.maxUsageCount);
            e.usages.assign(e.maxUsageCount, 0);
            size_t n = 0;
            for (uint16_t u : active)
                if (u >= e.usageMin && u <= e.usageMax && n < e.usages.size()) e.usages[n++] = u;
        } else {
            e.status = HidGetUsageValue(c, type, e.usagePage, e.usage, report, reportLength, e.value);
            if (e.status != HidStatus::Success) return false;
            e.status = HidGetScaledUsageValue(c, type, e.usagePage, e.usage, report, reportLength, e.scaledValue);
        }
        e.isSet = true;
    }
    return true;
}

} // namespace hid
