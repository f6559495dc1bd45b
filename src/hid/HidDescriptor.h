#pragma once
// Our own HID report-descriptor parser. Pure: bytes in, collections and caps out.
// Lengths and cap lists follow the Windows conventions (the report ID byte is
// always counted, one cap per usage item), because the device code and the
// supported-interface matching were written against those numbers.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace hid {

enum class ReportType : uint8_t { Input = 0, Output = 1, Feature = 2 };

// Result of the usage/value accessors, after the HidP_ status codes.
enum class HidStatus : uint8_t {
    Success,
    InvalidReportLength,   // the report is shorter than the field needs
    IncompatibleReportId,  // no field of that page/usage lives in this report
    UsageNotFound,
    BufferTooSmall,        // more active usages than the caller's capacity (list is still filled)
    ValueOutOfRange,       // raw value outside the logical range (scaling impossible)
    BadLogPhyValues,       // logical or physical range is empty
};

// The top-level capabilities of one collection (HIDP_CAPS shape).
struct HidCaps {
    uint16_t Usage = 0;
    uint16_t UsagePage = 0;
    uint16_t InputReportByteLength = 0;
    uint16_t OutputReportByteLength = 0;
    uint16_t FeatureReportByteLength = 0;
    uint16_t NumberLinkCollectionNodes = 0;
    uint16_t NumberInputButtonCaps = 0;
    uint16_t NumberInputValueCaps = 0;
    uint16_t NumberInputDataIndices = 0;
    uint16_t NumberOutputButtonCaps = 0;
    uint16_t NumberOutputValueCaps = 0;
    uint16_t NumberOutputDataIndices = 0;
    uint16_t NumberFeatureButtonCaps = 0;
    uint16_t NumberFeatureValueCaps = 0;
    uint16_t NumberFeatureDataIndices = 0;
};

// One button or value capability: one usage item (single usage or range) of a main item.
struct HidFieldCaps {
    ReportType reportType = ReportType::Input;
    uint16_t usagePage = 0;
    uint8_t reportId = 0;
    bool isButton = false;   // array fields, and 1-bit variable fields
    bool isArray = false;    // main item bit 1 clear
    bool isRange = false;
    bool isAbsolute = true;
    bool hasNull = false;
    uint16_t usageMin = 0;   // == usageMax for a single usage
    uint16_t usageMax = 0;
    uint16_t bitField = 0;   // the main item's data bits
    uint32_t bitOffset = 0;  // first bit of the first field, counted from byte 0 of the report (the ID byte)
    uint16_t bitSize = 0;    // bits per field
    uint16_t reportCount = 0;  // fields this cap covers (array: all fields of the item)
    int32_t logicalMin = 0;
    int32_t logicalMax = 0;
    int32_t physicalMin = 0;
    int32_t physicalMax = 0;
    uint32_t units = 0;
    int32_t unitExponent = 0;
    uint16_t linkCollection = 0;  // index of the collection node the item sits in (0 = top level)
    size_t fieldIndex = 0;        // internal: the main item this cap belongs to
};

// One decoded field of a report (the HidUsageEntry record of the transport).
struct HidUsageEntry {
    bool isButton = false;
    uint16_t usagePage = 0;
    HidStatus status = HidStatus::Success;
    uint32_t reportId = 0;
    bool isSet = false;
    // button part
    uint32_t usageMin = 0;
    uint32_t usageMax = 0;
    uint32_t maxUsageCount = 0;
    std::vector<uint16_t> usages;  // maxUsageCount slots; active usages first, then 0
    // value part
    uint16_t usage = 0;
    uint32_t value = 0;
    int32_t scaledValue = 0;
};

// A main item as laid out in the report. Caps point at these.
struct HidReportField {
    ReportType reportType = ReportType::Input;
    uint8_t reportId = 0;
    uint16_t bitField = 0;
    uint32_t bitOffset = 0;  // from byte 0 of the report (the ID byte)
    uint16_t bitSize = 0;
    uint16_t reportCount = 0;
    int32_t logicalMin = 0;
    int32_t logicalMax = 0;
    int32_t physicalMin = 0;
    int32_t physicalMax = 0;
    // Usage items in order; a variable field i takes usage i (the last repeats),
    // an array value v selects usage (v - logicalMin).
    struct UsageItem {
        uint16_t page;
        uint16_t min;
        uint16_t max;
        bool range;
    };
    std::vector<UsageItem> usageItems;

    bool IsConstant() const { return bitField & 0x01; }
    bool IsArray() const { return !(bitField & 0x02); }
};

struct HidCollection {
    uint16_t usagePage = 0;
    uint16_t usage = 0;
    uint8_t collectionType = 0;   // 1 = application
    std::vector<uint8_t> reportIds;  // every report ID used inside, ascending (empty: no IDs)
    std::vector<uint8_t> inputReportIds;
    HidCaps caps;
    std::vector<HidFieldCaps> inputButtonCaps, inputValueCaps;
    std::vector<HidFieldCaps> outputButtonCaps, outputValueCaps;
    std::vector<HidFieldCaps> featureButtonCaps, featureValueCaps;
    std::vector<HidReportField> fields;  // main items of this collection, descriptor order

    const std::vector<HidFieldCaps>& ButtonCaps(ReportType t) const;
    const std::vector<HidFieldCaps>& ValueCaps(ReportType t) const;
    bool UsesReportIds() const { return !reportIds.empty(); }
};

struct HidDescriptor {
    std::vector<HidCollection> collections;  // top-level collections, descriptor order
    bool usesReportIds = false;              // any report of the interface is numbered
};

struct HidParseResult {
    bool ok = false;
    std::string error;    // empty when ok
    size_t errorOffset = 0;
    HidDescriptor descriptor;
};

// Parses a raw report descriptor. Never throws and never reads past the buffer;
// malformed or truncated input gives ok = false and a message.
HidParseResult ParseReportDescriptor(const uint8_t* data, size_t length);
inline HidParseResult ParseReportDescriptor(const std::vector<uint8_t>& bytes) {
    return ParseReportDescriptor(bytes.data(), bytes.size());
}

// Largest number of usages HidGetUsages can return for one page (HidP_MaxUsageListLength).
uint32_t HidMaxUsageListLength(const HidCollection& c, ReportType type, uint16_t usagePage);

// Active button usages of usagePage in the report (report[0] = report ID, 0 when unnumbered).
// With a non-zero usagePage filter only that page; out gets at most capacity entries.
HidStatus HidGetUsages(const HidCollection& c, ReportType type, uint16_t usagePage, const uint8_t* report,
                       size_t reportLength, std::vector<uint16_t>& out, size_t capacity);

HidStatus HidGetUsageValue(const HidCollection& c, ReportType type, uint16_t usagePage, uint16_t usage,
                           const uint8_t* report, size_t reportLength, uint32_t& value);

HidStatus HidGetScaledUsageValue(const HidCollection& c, ReportType type, uint16_t usagePage, uint16_t usage,
                                 const uint8_t* report, size_t reportLength, int32_t& value);

// The entry list of one report type: one entry per button cap, then one per usage of each value cap.
std::vector<HidUsageEntry> HidBuildEntries(const HidCollection& c, ReportType type);

// Fills the entries whose reportId equals report[0]. False when a value cannot be read.
bool HidUnpackReport(const HidCollection& c, ReportType type, std::vector<HidUsageEntry>& entries,
                     const uint8_t* report, size_t reportLength);

} // namespace hid
