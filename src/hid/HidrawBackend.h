#pragma once
// Linux hidraw backend. hidraw gives one node per USB interface carrying every
// top-level collection; we list one path per (node, collection) in the Windows
// form, e.g. "/dev/hidraw3#vid_0c45&pid_7643&mi_01&col04", so the path parsers
// and the supported-interface matching work unchanged.
#include "hid/HidBackend.h"

#include <functional>
#include <string>

namespace hid {

class HidrawBackend : public IHidBackend {
public:
    // Opens a node path with open(2) flags; returns an fd or -1. Tests hand out socketpair ends.
    using NodeOpener = std::function<int(const std::string& nodePath, int flags)>;

    explicit HidrawBackend(std::string sysRoot = "/sys", std::string devRoot = "/dev", NodeOpener opener = {});

    bool Enumerate(std::vector<std::string>& paths) override;
    std::unique_ptr<IHidHandle> Open(const std::string& path, bool read, bool write, bool exclusive) override;
    bool IsPresent(const std::string& path) override;

    // What sysfs says about one hidraw node ("hidraw3").
    struct NodeInfo {
        HidAttributes attributes;
        int interfaceNumber = -1;  // -1: no USB interface above the HID device
        std::vector<uint8_t> descriptor;
    };
    bool ReadNodeInfo(const std::string& nodeName, NodeInfo& info) const;

    // Splits "<devRoot>/hidrawN#..." into the node path and the node name.
    static bool SplitPath(const std::string& path, std::string& nodePath, std::string& nodeName);

private:
    std::string sysRoot_;
    std::string devRoot_;
    NodeOpener opener_;
};

} // namespace hid
