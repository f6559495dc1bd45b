#include "hid/HidDescriptor.h"
#include "Descriptors.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>

using namespace hid;
using hidtest::kHeadset;
using hidtest::kKitchenSink;
using hidtest::kMouseInterface;

namespace {

HidDescriptor MustParse(const std::vector<uint8_t>& bytes) {
    HidParseResult r = ParseReportDescriptor(bytes);
    EXPECT_TRUE(r.ok) << r.error;
    return r.descriptor;
}

} // namespace

TEST(HidDescriptor, MouseInterfaceHasConsumerAndVendorCollections) {
    const HidDescriptor d = MustParse(kMouseInterface);
    ASSERT_EQ(d.collections.size(), 2u);
    EXPECT_TRUE(d.usesReportIds);

    const HidCollection& consumer = d.collections[0];
    EXPECT_EQ(consumer.caps.UsagePage, 0x000C);
    EXPECT_EQ(consumer.caps.Usage, 0x0001);
    EXPECT_EQ(consumer.reportIds, std::vector<uint8_t>{3});
    EXPECT_EQ(consumer.caps.InputReportByteLength, 5);  // 2 x 16 bits + ID
    EXPECT_EQ(consumer.caps.OutputReportByteLength, 0);
    EXPECT_EQ(consumer.caps.FeatureReportByteLength, 0);
    EXPECT_EQ(consumer.caps.NumberInputButtonCaps, 1);
    EXPECT_EQ(consumer.caps.NumberInputValueCaps, 0);
    const HidFieldCaps& arr = consumer.inputButtonCaps.at(0);
    EXPECT_TRUE(arr.isArray);
    EXPECT_TRUE(arr.isRange);
    EXPECT_EQ(arr.usagePage, 0x0C);
    EXPECT_EQ(arr.usageMin, 0);
    EXPECT_EQ(arr.usageMax, 0x0FFF);
    EXPECT_EQ(arr.reportId, 3);
    EXPECT_EQ(arr.bitOffset, 8u);
    EXPECT_EQ(arr.bitSize, 16);
    EXPECT_EQ(arr.reportCount, 2);
    EXPECT_EQ(arr.logicalMax, 0x0FFF);

    const HidCollection& vendor = d.collections[1];
    EXPECT_EQ(vendor.caps.UsagePage, 0xFF1C);
    EXPECT_EQ(vendor.caps.Usage, 0x92);
    EXPECT_EQ(vendor.reportIds, std::vector<uint8_t>{4});
    EXPECT_EQ(vendor.caps.InputReportByteLength, 64);
    EXPECT_EQ(vendor.caps.OutputReportByteLength, 64);
    EXPECT_EQ(vendor.caps.NumberInputButtonCaps, 0);
    EXPECT_EQ(vendor.caps.NumberInputValueCaps, 1);
    EXPECT_EQ(vendor.caps.NumberOutputValueCaps, 1);
    const HidFieldCaps& out = vendor.outputValueCaps.at(0);
    EXPECT_FALSE(out.isButton);
    EXPECT_EQ(out.usageMin, 2);
    EXPECT_EQ(out.reportCount, 63);
    EXPECT_EQ(out.bitSize, 8);
    EXPECT_EQ(out.logicalMax, 255);  // 26 FF 00 read unsigned
}

TEST(HidDescriptor, ConsumerArrayUnpacksActiveUsagesOfItsReportOnly) {
    const HidCollection c = MustParse(kMouseInterface).collections[0];
    std::vector<HidUsageEntry> entries = HidBuildEntries(c, ReportType::Input);
    ASSERT_EQ(entries.size(), 1u);
    ASSERT_TRUE(entries[0].isButton);
    EXPECT_EQ(entries[0].maxUsageCount, 2u);

    struct Case {
        std::vector<uint8_t> report;
        std::vector<uint16_t> usages;
    };
    const Case cases[] = {
        {{0x03, 0x01, 0x04, 0x00, 0x00}, {0x0401, 0}},       // profile switched on the device
        {{0x03, 0x04, 0x04, 0x23, 0x05}, {0x0404, 0x0523}},  // two at once
        {{0x03, 0x00, 0x00, 0x00, 0x00}, {0, 0}},            // all released
    };
    for (const Case& k : cases) {
        ASSERT_TRUE(HidUnpackReport(c, ReportType::Input, entries, k.report.data(), k.report.size()));
        EXPECT_TRUE(entries[0].isSet);
        EXPECT_EQ(entries[0].status, HidStatus::Success);
        EXPECT_EQ(entries[0].usages, k.usages);
    }

    // A report of the other collection leaves the entry untouched.
    entries = HidBuildEntries(c, ReportType::Input);
    const std::vector<uint8_t> vendorReport(64, 0x04);
    ASSERT_TRUE(HidUnpackReport(c, ReportType::Input, entries, vendorReport.data(), vendorReport.size()));
    EXPECT_FALSE(entries[0].isSet);

    // Too short for its fields: the status says so instead of reading past the buffer.
    const uint8_t shortReport[] = {0x03, 0x01};
    ASSERT_TRUE(HidUnpackReport(c, ReportType::Input, entries, shortReport, sizeof shortReport));
    EXPECT_EQ(entries[0].status, HidStatus::InvalidReportLength);
}

TEST(HidDescriptor, HeadsetWithoutReportIdsCountsTheIdByteAndScalesValues) {
    const HidDescriptor d = MustParse(kHeadset);
    ASSERT_EQ(d.collections.size(), 1u);
    EXPECT_FALSE(d.usesReportIds);
    const HidCollection& c = d.collections[0];
    EXPECT_TRUE(c.reportIds.empty());
    EXPECT_EQ(c.caps.UsagePage, 0x0C);
    EXPECT_EQ(c.caps.InputReportByteLength, 4);    // 3 data bytes + 1, as Windows counts it
    EXPECT_EQ(c.caps.OutputReportByteLength, 17);  // the chip's 17-byte report
    EXPECT_EQ(c.caps.NumberInputButtonCaps, 3);    // one per usage
    EXPECT_EQ(c.caps.NumberInputValueCaps, 2);

    std::vector<HidUsageEntry> entries = HidBuildEntries(c, ReportType::Input);
    ASSERT_EQ(entries.size(), 5u);
    const uint8_t report[] = {0x00, 0x05, 50, 0xF6};  // Volume Up + Mute, volume 50, balance -10
    ASSERT_TRUE(HidUnpackReport(c, ReportType::Input, entries, report, sizeof report));
    EXPECT_EQ(entries[0].usages, (std::vector<uint16_t>{0xE9, 0, 0}));
    EXPECT_EQ(entries[1].usages, (std::vector<uint16_t>{0, 0, 0}));
    EXPECT_EQ(entries[2].usages, (std::vector<uint16_t>{0xE2, 0, 0}));
    EXPECT_EQ(entries[3].usage, 0xE0);
    EXPECT_EQ(entries[3].value, 50u);
    EXPECT_EQ(entries[3].scaledValue, 500);
    EXPECT_EQ(entries[4].usage, 0xE1);
    EXPECT_EQ(entries[4].value, 0xF6u);
    EXPECT_EQ(entries[4].scaledValue, -10);

    // A raw value outside the logical range cannot be scaled; the raw value is still read.
    const uint8_t outOfRange[] = {0x00, 0x00, 200, 0x00};
    ASSERT_TRUE(HidUnpackReport(c, ReportType::Input, entries, outOfRange, sizeof outOfRange));
    EXPECT_EQ(entries[3].value, 200u);
    EXPECT_EQ(entries[3].status, HidStatus::ValueOutOfRange);

    // A value that cannot be read at all fails the whole unpack.
    const uint8_t truncated[] = {0x00, 0x01};
    EXPECT_FALSE(HidUnpackReport(c, ReportType::Input, entries, truncated, sizeof truncated));
}

TEST(HidDescriptor, PushPopLongItemsExtendedUsagesAndNestedCollections) {
    const HidDescriptor d = MustParse(kKitchenSink);
    ASSERT_EQ(d.collections.size(), 1u);  // the physical collection is nested, not top level
    const HidCollection& c = d.collections[0];
    EXPECT_EQ(c.caps.UsagePage, 0x01);
    EXPECT_EQ(c.caps.Usage, 0x02);
    EXPECT_EQ(c.caps.NumberLinkCollectionNodes, 2);
    EXPECT_EQ(c.caps.InputReportByteLength, 6);
    ASSERT_EQ(c.inputButtonCaps.size(), 3u);
    // Pop restored size 1 / count 3, so buttons 4..6 sit right after the 5 pad bits.
    EXPECT_EQ(c.inputButtonCaps[1].usageMin, 4);
    EXPECT_EQ(c.inputButtonCaps[1].bitOffset, 16u);
    EXPECT_EQ(c.inputButtonCaps[1].reportCount, 3);
    // The 32-bit usage carries its own page.
    EXPECT_EQ(c.inputButtonCaps[2].usagePage, 0x0C);
    EXPECT_EQ(c.inputButtonCaps[2].usageMin, 0xE9);
    EXPECT_EQ(c.inputButtonCaps[2].bitOffset, 40u);
    ASSERT_EQ(c.inputValueCaps.size(), 2u);
    EXPECT_EQ(c.inputValueCaps[0].usageMin, 0x30);
    EXPECT_EQ(c.inputValueCaps[1].usageMin, 0x31);
    EXPECT_FALSE(c.inputValueCaps[0].isAbsolute);

    const uint8_t report[] = {0x01, 0x05, 0x02, 0xFB, 0x07, 0x01};
    std::vector<uint16_t> usages;
    EXPECT_EQ(HidGetUsages(c, ReportType::Input, 0x09, report, sizeof report, usages, 8), HidStatus::Success);
    EXPECT_EQ(usages, (std::vector<uint16_t>{1, 3, 5}));
    EXPECT_EQ(HidGetUsages(c, ReportType::Input, 0x09, report, sizeof report, usages, 2), HidStatus::BufferTooSmall);
    EXPECT_EQ(HidGetUsages(c, ReportType::Input, 0x0C, report, sizeof report, usages, 8), HidStatus::Success);
    EXPECT_EQ(usages, std::vector<uint16_t>{0xE9});
    EXPECT_EQ(HidGetUsages(c, ReportType::Input, 0x07, report, sizeof report, usages, 8), HidStatus::UsageNotFound);
    const uint8_t otherId[] = {0x02, 0, 0, 0, 0, 0};
    EXPECT_EQ(HidGetUsages(c, ReportType::Input, 0x09, otherId, sizeof otherId, usages, 8),
              HidStatus::IncompatibleReportId);

    std::vector<HidUsageEntry> entries = HidBuildEntries(c, ReportType::Input);
    ASSERT_EQ(entries.size(), 5u);
    ASSERT_TRUE(HidUnpackReport(c, ReportType::Input, entries, report, sizeof report));
    EXPECT_EQ(entries[0].maxUsageCount, 6u);  // both button fields of page 9
    EXPECT_EQ(entries[0].usages, (std::vector<uint16_t>{1, 3, 0, 0, 0, 0}));
    EXPECT_EQ(entries[1].usages, (std::vector<uint16_t>{5, 0, 0, 0, 0, 0}));
    EXPECT_EQ(entries[3].scaledValue, -5);  // X
    EXPECT_EQ(entries[4].scaledValue, 7);   // Y
}

TEST(HidDescriptor, MalformedDescriptorsFailWithAMessage) {
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        const char* message;
    };
    const std::vector<uint8_t> deepPush(33, 0xA4);
    std::vector<uint8_t> deepNest;
    for (int i = 0; i < 65; ++i) deepNest.insert(deepNest.end(), {0xA1, 0x00});
    const Case cases[] = {
        {"empty", {}, "empty"},
        {"truncated short item", {0x05}, "truncated item"},
        {"truncated data", {0x05, 0x0C, 0xA1, 0x01, 0x26, 0xFF}, "truncated item"},
        {"truncated long item", {0xFE, 0x05, 0x10, 0x01}, "truncated long item"},
        {"end without collection", {0xC0}, "End Collection without Collection"},
        {"pop without push", {0xB4}, "Pop without Push"},
        {"unclosed collection", {0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01}, "collection not closed"},
        {"report id 0", {0x85, 0x00}, "invalid report ID"},
        {"no collection", {0x05, 0x01, 0x09, 0x02, 0x75, 0x08, 0x95, 0x01, 0x81, 0x02}, "no top-level collection"},
        {"field above 32 bits", {0xA1, 0x01, 0x75, 0x21, 0x95, 0x01, 0x81, 0x02, 0xC0}, "report size above 32 bits"},
        {"report too long", {0xA1, 0x01, 0x75, 0x20, 0x96, 0xFF, 0xFF, 0x81, 0x02, 0xC0}, "report too long"},
        {"usage min above max", {0xA1, 0x01, 0x19, 0x05, 0x29, 0x01, 0x81, 0x02, 0xC0}, "Usage Minimum above"},
        {"unpaired usage min", {0xA1, 0x01, 0x19, 0x01, 0x75, 0x01, 0x95, 0x01, 0x81, 0x02, 0xC0}, "unpaired"},
        {"numbered and unnumbered",
         {0xA1, 0x01, 0x75, 0x08, 0x95, 0x01, 0x81, 0x02, 0x85, 0x01, 0x81, 0x02, 0xC0},
         "report without ID"},
        {"reserved item type", {0xA1, 0x01, 0x0C, 0xC0}, "reserved item type"},
        {"push too deep", deepPush, "Push nested too deep"},
        {"nested too deep", deepNest, "collections nested too deep"},
    };
    for (const Case& k : cases) {
        const HidParseResult r = ParseReportDescriptor(k.bytes);
        EXPECT_FALSE(r.ok) << k.name;
        EXPECT_NE(r.error.find(k.message), std::string::npos) << k.name << ": " << r.error;
        EXPECT_TRUE(r.descriptor.collections.empty()) << k.name;
    }
}

// Every cut of a real descriptor and a pile of random bytes: parse, build entries and
// unpack random reports. Nothing may crash or read out of bounds (run under ASan in CI),
// and every failure carries a message.
TEST(HidDescriptor, TruncatedAndRandomInputNeverCrashes) {
    std::mt19937 rng(12345);
    size_t parsedOk = 0;
    auto exercise = [&](const std::vector<uint8_t>& bytes) {
        const HidParseResult r = ParseReportDescriptor(bytes);
        if (!r.ok) {
            EXPECT_FALSE(r.error.empty());
            return;
        }
        ++parsedOk;
        for (const HidCollection& c : r.descriptor.collections) {
            for (ReportType t : {ReportType::Input, ReportType::Output, ReportType::Feature}) {
                auto entries = HidBuildEntries(c, t);
                std::vector<uint8_t> report(rng() % 80);
                for (auto& b : report) b = static_cast<uint8_t>(rng());
                if (!report.empty() && !c.reportIds.empty()) report[0] = c.reportIds[rng() % c.reportIds.size()];
                (void)HidUnpackReport(c, t, entries, report.data(), report.size());
            }
        }
    };
    size_t prefixFailures = 0;
    for (const auto* d : {&kMouseInterface, &kHeadset, &kKitchenSink}) {
        for (size_t n = 0; n < d->size(); ++n) {
            const std::vector<uint8_t> cut(d->begin(), d->begin() + static_cast<long>(n));
            prefixFailures += ParseReportDescriptor(cut).ok ? 0 : 1;
            exercise(cut);
        }
    }
    EXPECT_GT(prefixFailures, 0u);
    for (int i = 0; i < 2000; ++i) {
        std::vector<uint8_t> bytes(rng() % 96);
        for (auto& b : bytes) b = static_cast<uint8_t>(rng());
        exercise(bytes);
    }
    // Random sequences of well-formed items: these mostly parse, so the decoders see odd layouts
    // (sizes 1..33 bits, arrays over ranges, signed limits, extended usages, Push/Pop, nesting).
    const uint8_t prefixes[] = {0x05, 0x06, 0x09, 0x0B, 0x19, 0x29, 0x1A, 0x2A, 0x15, 0x25, 0x16, 0x26,
                                0x35, 0x45, 0x75, 0x95, 0x85, 0x81, 0x91, 0xB1, 0xA1, 0xC0, 0xA4, 0xB4};
    for (int i = 0; i < 4000; ++i) {
        std::vector<uint8_t> bytes = {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01};
        const int items = 1 + static_cast<int>(rng() % 24);
        for (int k = 0; k < items; ++k) {
            const uint8_t p = prefixes[rng() % sizeof prefixes];
            bytes.push_back(p);
            const size_t size = (p & 3) == 3 ? 4 : (p & 3);
            for (size_t b = 0; b < size; ++b) {
                uint8_t v = static_cast<uint8_t>(rng());
                if (p == 0x75) v = static_cast<uint8_t>(1 + rng() % 33);
                if (p == 0x95) v = static_cast<uint8_t>(rng() % 20);
                if (p == 0x85) v = static_cast<uint8_t>(rng() % 4);
                bytes.push_back(v);
            }
        }
        bytes.push_back(0xC0);
        exercise(bytes);
    }
    std::printf("random descriptors that parsed: %zu\n", parsedOk);
    EXPECT_GT(parsedOk, 500u);  // the decoding half of the test really ran
}
