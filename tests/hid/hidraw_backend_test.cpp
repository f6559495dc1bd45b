// The hidraw backend on a fake sysfs tree laid out like the kernel's
// (class/hidraw/hidrawN -> .../<usb interface>/<hid device>/hidraw/hidrawN),
// with SOCK_SEQPACKET socket pairs standing in for the device nodes.
#include "hid/HidDevice.h"
#include "hid/HidrawBackend.h"

#include "Descriptors.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using hidtest::kHeadset;
using hidtest::kMouseInterface;

namespace {

void WriteFile(const fs::path& p, const std::string& text) {
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << text;
}

struct FakeSysfs {
    fs::path root, sys, dev;
    std::map<std::string, int> deviceSide;  // node path -> our end of its socket pair
    std::map<std::string, int> hostSide;

    FakeSysfs() {
        static int counter = 0;
        root = fs::temp_directory_path() / ("zandri-hidraw-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        sys = root / "sys";
        dev = root / "dev";
        fs::create_directories(sys / "class" / "hidraw");
        fs::create_directories(dev);
    }
    ~FakeSysfs() {
        for (auto& [k, fd] : deviceSide) ::close(fd);
        for (auto& [k, fd] : hostSide) ::close(fd);
        std::error_code ec;
        fs::remove_all(root, ec);
    }

    // Returns the HID device folder so a test can break it.
    fs::path AddNode(int n, uint16_t vid, uint16_t pid, int iface, const std::vector<uint8_t>& descriptor) {
        const std::string name = "hidraw" + std::to_string(n);
        const fs::path usb = sys / "devices" / "pci0000:00" / "usb1" / ("1-" + std::to_string(n));
        WriteFile(usb / "bcdDevice", "0102\n");
        char buf[96];
        std::snprintf(buf, sizeof buf, "1-%d:1.%d", n, iface);
        const fs::path intf = usb / buf;
        std::snprintf(buf, sizeof buf, "%02x\n", iface);
        WriteFile(intf / "bInterfaceNumber", buf);
        std::snprintf(buf, sizeof buf, "0003:%04X:%04X.%04X", vid, pid, n);
        const fs::path hidDev = intf / buf;
        std::snprintf(buf, sizeof buf, "DRIVER=hid-generic\nHID_ID=0003:%08X:%08X\nHID_NAME=Test\n", vid, pid);
        WriteFile(hidDev / "uevent", buf);
        WriteFile(hidDev / "report_descriptor", std::string(descriptor.begin(), descriptor.end()));
        const fs::path node = hidDev / "hidraw" / name;
        fs::create_directories(node);
        fs::create_directory_symlink("../..", node / "device");
        fs::create_directory_symlink(node, sys / "class" / "hidraw" / name);
        WriteFile(dev / name, "");  // the node exists; its I/O goes through the socket pair
        int sv[2];
        EXPECT_EQ(::socketpair(AF_UNIX, SOCK_SEQPACKET, 0, sv), 0);
        const std::string nodePath = (dev / name).string();
        hostSide[nodePath] = sv[0];
        deviceSide[nodePath] = sv[1];
        return hidDev;
    }

    std::shared_ptr<hid::HidrawBackend> Backend() {
        return std::make_shared<hid::HidrawBackend>(sys.string(), dev.string(), [this](const std::string& p, int flags) {
            auto it = hostSide.find(p);
            if (it == hostSide.end()) return -1;
            const int fd = ::dup(it->second);
            ::fcntl(fd, F_SETFL, flags & O_NONBLOCK);
            return fd;
        });
    }
    std::string Node(int n) const { return (dev / ("hidraw" + std::to_string(n))).string(); }
    int Device(int n) { return deviceSide.at(Node(n)); }
};

std::vector<uint8_t> Recv(int fd) {
    std::vector<uint8_t> b(256);
    const ssize_t n = ::recv(fd, b.data(), b.size(), MSG_DONTWAIT);
    b.resize(n < 0 ? 0 : static_cast<size_t>(n));
    return b;
}

// Installs a backend as the process backend for one test.
struct UseBackend {
    explicit UseBackend(std::shared_ptr<hid::IHidBackend> b) { hid::SetBackend(std::move(b)); }
    ~UseBackend() { hid::SetBackend(nullptr); }
};

} // namespace

TEST(HidrawBackend, EnumeratesOnePathPerTopLevelCollectionAndSkipsBrokenNodes) {
    FakeSysfs fake;
    fake.AddNode(0, 0x0C45, 0x7643, 1, kMouseInterface);
    const fs::path broken = fake.AddNode(1, 0x0C45, 0x6627, 1, kMouseInterface);
    fs::remove(broken / "uevent");
    fake.AddNode(2, 0x0D8C, 0x01DA, 3, kHeadset);
    fake.AddNode(3, 0x1234, 0x5678, 0, {0xA1, 0x01});  // descriptor does not parse
    fake.AddNode(10, 0x0C45, 0x6627, 1, kMouseInterface);

    auto backend = fake.Backend();
    std::vector<std::string> paths;
    ASSERT_TRUE(backend->Enumerate(paths));
    const std::vector<std::string> expected = {
        fake.Node(0) + "#vid_0c45&pid_7643&mi_01&col01",
        fake.Node(0) + "#vid_0c45&pid_7643&mi_01&col02",
        fake.Node(2) + "#vid_0d8c&pid_01da&mi_03",  // single collection: no "&col"
        fake.Node(10) + "#vid_0c45&pid_6627&mi_01&col01",
        fake.Node(10) + "#vid_0c45&pid_6627&mi_01&col02",
    };
    EXPECT_EQ(paths, expected);
    EXPECT_EQ(ParseColFromPath(paths[2]), 0);
    EXPECT_EQ(ParseMiFromPath(paths[2]), 3);

    hid::HidrawBackend::NodeInfo info;
    ASSERT_TRUE(backend->ReadNodeInfo("hidraw0", info));
    EXPECT_EQ(info.attributes.versionNumber, 0x0102);
    EXPECT_EQ(info.interfaceNumber, 1);

    // No hidraw class at all is an empty machine, not a failure.
    hid::HidrawBackend none((fake.root / "nowhere").string(), fake.dev.string());
    EXPECT_TRUE(none.Enumerate(paths));
    EXPECT_TRUE(paths.empty());
}

TEST(HidrawBackend, OpenSelectsTheCollectionAndFiltersItsInputReports) {
    FakeSysfs fake;
    fake.AddNode(0, 0x0C45, 0x7643, 1, kMouseInterface);
    UseBackend use(fake.Backend());
    const std::string vendorPath = fake.Node(0) + "#vid_0c45&pid_7643&mi_01&col02";

    CHidDevice dev;
    ASSERT_TRUE(dev.OpenHidDevice(vendorPath, true, true, true, false));
    EXPECT_EQ(dev.caps.UsagePage, 0xFF1C);
    EXPECT_EQ(dev.caps.Usage, 0x92);
    EXPECT_EQ(dev.caps.InputReportByteLength, 64);
    EXPECT_EQ(dev.attributes.productId, 0x7643);
    EXPECT_EQ(dev.collectionNumber, 2u);

    // The node carries both collections; the consumer report is not ours and is dropped.
    const int device = fake.Device(0);
    const uint8_t consumer[5] = {0x03, 0x01, 0x04, 0, 0};
    std::vector<uint8_t> vendor(64, 0x5A);
    vendor[0] = 0x04;
    ASSERT_EQ(::send(device, consumer, sizeof consumer, 0), 5);
    ASSERT_EQ(::send(device, vendor.data(), vendor.size(), 0), 64);
    std::vector<uint8_t> buf(64, 0);
    size_t n = 0;
    ASSERT_TRUE(dev.ReadHidReport(buf.data(), buf.size(), 1000, n));
    EXPECT_EQ(n, 64u);
    EXPECT_EQ(buf, vendor);

    // Numbered reports go out with their ID first, unchanged.
    std::vector<uint8_t> out(64, 0);
    out[0] = 0x04;
    out[3] = 0x01;
    ASSERT_TRUE(dev.WriteHidReport(out.data(), out.size(), 1000, n));
    EXPECT_EQ(n, 64u);
    EXPECT_EQ(Recv(device), out);

    // The consumer path of the same node sees only report 3.
    CHidDevice sync;
    ASSERT_TRUE(sync.OpenHidDevice(fake.Node(0) + "#vid_0c45&pid_7643&mi_01&col01", true, false, true, false));
    ASSERT_EQ(::send(device, vendor.data(), vendor.size(), 0), 64);
    ASSERT_EQ(::send(device, consumer, sizeof consumer, 0), 5);
    ASSERT_TRUE(sync.ReadHidReport(sync.inputReport.data(), sync.inputReport.size(), 1000, n));
    EXPECT_EQ(n, 5u);
    ASSERT_TRUE(sync.UnpackInputReport(sync.inputEntries, sync.inputReport.data(), n));
    EXPECT_EQ(sync.inputEntries[0].usages[0], 0x0401);
    EXPECT_FALSE(sync.WriteHidReport(out.data(), out.size(), 100, n));  // opened read-only

    // A zero-access open reads identity and caps without touching the node.
    CHidDevice probe;
    ASSERT_TRUE(probe.OpenHidDevice(vendorPath, false, false, true, false));
    EXPECT_EQ(probe.caps.UsagePage, 0xFF1C);
    EXPECT_FALSE(probe.ReadHidReport(buf.data(), buf.size(), 0, n));

    // Paths that do not name a collection of this node, or another identity, do not open.
    EXPECT_FALSE(probe.OpenHidDevice(fake.Node(0) + "#vid_0c45&pid_7643&mi_01&col03", true, false, true, false));
    EXPECT_FALSE(probe.OpenHidDevice(fake.Node(0) + "#vid_0c45&pid_7643&mi_01", true, false, true, false));
    EXPECT_FALSE(probe.OpenHidDevice(fake.Node(0) + "#vid_0c45&pid_6627&mi_01&col02", true, false, true, false));
    EXPECT_FALSE(probe.OpenHidDevice(fake.Node(7) + "#vid_0c45&pid_7643&mi_01&col02", true, false, true, false));
}

TEST(HidrawBackend, UnnumberedInterfaceGetsAZeroIdByteAndChipReportsGoOut) {
    FakeSysfs fake;
    fake.AddNode(2, 0x0D8C, 0x01DA, 3, kHeadset);
    UseBackend use(fake.Backend());
    CHidDevice dev;
    ASSERT_TRUE(dev.OpenHidDevice(fake.Node(2) + "#vid_0d8c&pid_01da&mi_03", true, true, true, false));
    EXPECT_EQ(dev.caps.InputReportByteLength, 4);
    EXPECT_EQ(dev.caps.OutputReportByteLength, 17);

    const int device = fake.Device(2);
    const uint8_t in[3] = {0x01, 50, 0xF6};  // hidraw delivers unnumbered reports without an ID
    ASSERT_EQ(::send(device, in, sizeof in, 0), 3);
    size_t n = 0;
    ASSERT_TRUE(dev.ReadHidReport(dev.inputReport.data(), dev.inputReport.size(), 1000, n));
    EXPECT_EQ(n, 4u);
    EXPECT_EQ(dev.inputReport, (std::vector<uint8_t>{0x00, 0x01, 50, 0xF6}));
    ASSERT_TRUE(dev.UnpackInputReport(dev.inputEntries, dev.inputReport.data(), n));
    EXPECT_EQ(dev.inputEntries[0].usages[0], 0xE9);

    // The 17-byte chip report: byte 0 = 0, which hidraw strips for unnumbered devices.
    std::vector<uint8_t> chip(17, 0);
    chip[1] = 0x22;
    chip[2] = 0xAA;
    chip[4] = 0x7F;
    ASSERT_TRUE(dev.SetOutputReport(chip.data(), chip.size()));  // no HIDIOCSOUTPUT on a socket: write()
    EXPECT_EQ(Recv(device), chip);
}

TEST(HidrawBackend, StopCutsAPendingReadAndTimeoutsAndHangupsEndIt) {
    FakeSysfs fake;
    fake.AddNode(0, 0x0C45, 0x7643, 1, kMouseInterface);
    UseBackend use(fake.Backend());
    CHidDevice dev;
    ASSERT_TRUE(dev.OpenHidDevice(fake.Node(0) + "#vid_0c45&pid_7643&mi_01&col01", true, true, true, false));
    uint8_t buf[64];
    size_t n = 0;

    std::thread stopper([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        dev.SignalStop();
    });
    auto t0 = std::chrono::steady_clock::now();
    EXPECT_FALSE(dev.ReadHidReport(buf, sizeof buf, 5000, n));
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0).count();
    stopper.join();
    EXPECT_LT(ms, 500) << "stop must cut the 5000 ms wait";
    EXPECT_GE(ms, 40);

    // Reports of the other collection do not count as an answer: the wait still times out.
    std::vector<uint8_t> vendor(64, 0);
    vendor[0] = 0x04;
    ASSERT_EQ(::send(fake.Device(0), vendor.data(), vendor.size(), 0), 64);
    t0 = std::chrono::steady_clock::now();
    EXPECT_FALSE(dev.ReadHidReport(buf, sizeof buf, 150, n));
    ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0).count();
    EXPECT_GE(ms, 140);
    EXPECT_LT(ms, 1000);

    // The device going away ends even an unbounded wait.
    ::close(fake.deviceSide.at(fake.Node(0)));
    fake.deviceSide.erase(fake.Node(0));
    EXPECT_FALSE(dev.ReadHidReport(buf, sizeof buf, -1, n));
}

TEST(HidrawBackend, PresenceNeedsTheNodeAndAnUnchangedIdentity) {
    FakeSysfs fake;
    const fs::path hidDev = fake.AddNode(0, 0x0C45, 0x7643, 1, kMouseInterface);
    auto backend = fake.Backend();
    const std::string path = fake.Node(0) + "#vid_0c45&pid_7643&mi_01&col02";
    EXPECT_TRUE(backend->IsPresent(path));
    EXPECT_FALSE(backend->IsPresent(fake.Node(0) + "#vid_0c45&pid_7643&mi_02&col02"));

    // The node number was reused by another device.
    WriteFile(hidDev / "uevent", "HID_ID=0003:00000C45:00006627\n");
    EXPECT_FALSE(backend->IsPresent(path));
    EXPECT_EQ(backend->Open(path, true, false, false), nullptr);
    WriteFile(hidDev / "uevent", "HID_ID=0003:00000C45:00007643\n");
    EXPECT_TRUE(backend->IsPresent(path));

    fs::remove(fake.dev / "hidraw0");
    EXPECT_FALSE(backend->IsPresent(path));
}
