#include "hid/HidDevice.h"

#include "Descriptors.h"
#include "FakeHid.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using hidtest::FakeBus;

TEST(HidPath, NumbersAfterTheFourCharacterTags) {
    struct Case {
        const char* path;
        uint16_t vid, pid, mi, col;
    };
    const Case cases[] = {
        {"\\\\?\\hid#vid_0c45&pid_7643&mi_01&col04#7&1234&0&0003#{4d1e55b2}", 0x0C45, 0x7643, 1, 4},
        {"\\\\?\\HID#VID_0C45&PID_7643&MI_01&COL04#7&1234", 0x0C45, 0x7643, 1, 4},
        {"/dev/hidraw3#vid_0d8c&pid_01da&mi_03", 0x0D8C, 0x01DA, 3, 0},  // no "&col": collection 0
        {"/dev/hidraw0#vid_0C45&pid_6627&mi_01&col0a", 0x0C45, 0x6627, 1, 0x0A},
        {"no tags at all", 0, 0, 0, 0},
        {"vid_&pid_zz", 0, 0, 0, 0},                     // tag without digits
        {"vid_123456789", 0x6789, 0, 0, 0},              // low 16 bits only
    };
    for (const Case& k : cases) {
        EXPECT_EQ(ParseVidFromPath(k.path), k.vid) << k.path;
        EXPECT_EQ(ParsePidFromPath(k.path), k.pid) << k.path;
        EXPECT_EQ(ParseMiFromPath(k.path), k.mi) << k.path;
        EXPECT_EQ(ParseColFromPath(k.path), k.col) << k.path;
    }
}

TEST(HidDevice, EnumerationCompactsFailedEntriesAndTheWalkSeesAll) {
    FakeBus bus(hidtest::kMouseInterface);
    // One interface failed to list (empty entry) between two good ones, plus a path longer than 259 characters.
    const std::string longPath = "/dev/hidraw9#vid_0c45&pid_7643&mi_01&col02" + std::string(300, 'x');
    bus.backend->paths = {"/dev/hidraw1#vid_0c45&pid_7643&mi_01&col01", "", longPath};
    CHidDevice dev;
    ASSERT_TRUE(dev.EnumerateHidPaths());
    EXPECT_EQ(dev.pathCount, 2);
    std::vector<std::string> walked;
    while (const std::string* p = dev.NextHidPath()) walked.push_back(*p);
    ASSERT_EQ(walked.size(), 2u);
    EXPECT_EQ(walked[1], longPath);  // kept whole, never cut to a fixed array
    EXPECT_EQ(dev.NextHidPath(), nullptr);

    ASSERT_TRUE(dev.EnumerateHidPaths());  // enumeration rewinds the cursor
    EXPECT_NE(dev.NextHidPath(), nullptr);
    dev.ReleaseHidPaths();
    EXPECT_EQ(dev.pathCount, 0);
    EXPECT_EQ(dev.NextHidPath(), nullptr);

    bus.backend->enumerateOk = false;
    EXPECT_FALSE(dev.EnumerateHidPaths());
    EXPECT_EQ(dev.pathCount, 0);
}

TEST(HidDevice, OpenReadsIdentityCapsAndEntriesOfTheSelectedCollection) {
    FakeBus bus(hidtest::kMouseInterface, /*collectionIndex=*/0);
    CHidDevice dev;
    EXPECT_FALSE(dev.OpenHidDevice("/dev/missing#vid_0c45", true, false, true, false));
    EXPECT_FALSE(dev.IsOpen());

    const std::string path = "/dev/hidraw1#vid_0c45&pid_7643&mi_01&col01";
    ASSERT_TRUE(dev.OpenHidDevice(path, true, false, true, false));
    EXPECT_EQ(dev.devicePath, path);
    EXPECT_EQ(dev.attributes.vendorId, 0x0C45);
    EXPECT_EQ(dev.attributes.versionNumber, 0x0102);
    EXPECT_EQ(dev.caps.UsagePage, 0x0C);
    EXPECT_EQ(dev.caps.Usage, 1);
    EXPECT_EQ(dev.caps.InputReportByteLength, 5);
    EXPECT_EQ(dev.inputReport.size(), 5u);
    EXPECT_EQ(dev.inputEntryCount, 1u);
    EXPECT_EQ(dev.interfaceNumber, 1u);
    EXPECT_EQ(dev.collectionNumber, 1u);

    // The sync thread's view: first usage of the first input entry.
    const uint8_t report[] = {0x03, 0x01, 0x04, 0x00, 0x00};
    ASSERT_TRUE(dev.UnpackInputReport(dev.inputEntries, report, sizeof report));
    EXPECT_EQ(dev.inputEntries[0].usages[0], 0x0401);

    dev.CloseHidDevice();
    EXPECT_FALSE(dev.IsOpen());
    EXPECT_EQ(dev.caps.InputReportByteLength, 0);
    EXPECT_FALSE(dev.UnpackInputReport(dev.inputEntries, report, sizeof report));
    size_t n = 0;
    uint8_t buf[64];
    EXPECT_FALSE(dev.ReadHidReport(buf, sizeof buf, 0, n));

    // A descriptor that does not parse makes the interface unopenable.
    bus.backend->descriptor = {0xA1, 0x01};
    EXPECT_FALSE(dev.OpenHidDevice(path, true, false, true, false));
}

TEST(HidDevice, StopCutsAPendingReadAtOnceAndNothingStaysPending) {
    FakeBus bus(hidtest::kMouseInterface);
    CHidDevice dev;
    ASSERT_TRUE(dev.OpenHidDevice("/dev/hidraw1#vid_0c45&pid_7643&mi_01&col02", true, true, true, false));
    uint8_t buf[64];
    size_t n = 99;
    std::thread stopper([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        dev.SignalStop();
    });
    const auto t0 = std::chrono::steady_clock::now();
    const bool ok = dev.ReadHidReport(buf, sizeof buf, -1, n);  // no time-out: only the stop ends it
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0).count();
    stopper.join();
    EXPECT_FALSE(ok);
    EXPECT_EQ(n, 0u);
    EXPECT_LT(ms, 500);
    EXPECT_FALSE(dev.readPending);
    // The stop was consumed: the next read times out normally instead of failing at once.
    const auto t1 = std::chrono::steady_clock::now();
    EXPECT_FALSE(dev.ReadHidReport(buf, sizeof buf, 100, n));
    EXPECT_GE(std::chrono::steady_clock::now() - t1, std::chrono::milliseconds(90));
}
