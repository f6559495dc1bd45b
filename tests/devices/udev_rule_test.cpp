// The shipped udev rule grants access to exactly the real identities of the table.
#include "devices/SupportedDevices.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <string>
#include <utility>

namespace {

using Id = std::pair<unsigned, unsigned>;

// The 4-digit hex value of KEY=="xxxx" in a rule line, or -1.
long HexAttribute(const std::string& line, const std::string& key) {
    const std::string tag = key + "==\"";
    const size_t at = line.find(tag);
    if (at == std::string::npos || at + tag.size() + 5 > line.size() || line[at + tag.size() + 4] != '"') return -1;
    const std::string digits = line.substr(at + tag.size(), 4);
    if (digits.find_first_not_of("0123456789abcdef") != std::string::npos) return -1;  // udev compares text
    return std::stol(digits, nullptr, 16);
}

std::set<Id> RuleIdentities(const std::string& file, int& rulesWithoutUaccess) {
    std::ifstream in(file);
    std::set<Id> ids;
    rulesWithoutUaccess = 0;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        const long vid = HexAttribute(line, "ATTRS{idVendor}");
        const long pid = HexAttribute(line, "ATTRS{idProduct}");
        if (vid < 0 || pid < 0) continue;
        if (line.find(R"(SUBSYSTEM=="hidraw")") == std::string::npos ||
            line.find(R"(TAG+="uaccess")") == std::string::npos)
            ++rulesWithoutUaccess;
        ids.insert({static_cast<unsigned>(vid), static_cast<unsigned>(pid)});
    }
    return ids;
}

} // namespace

TEST(UdevRule, ListsEveryRealIdentityOfTheSupportedTable) {
    int bad = -1;
    const auto rules = RuleIdentities(ZANDRI_UDEV_RULE_FILE, bad);
    ASSERT_FALSE(rules.empty()) << ZANDRI_UDEV_RULE_FILE;
    EXPECT_EQ(bad, 0) << "every rule must match hidraw and tag uaccess";

    std::set<Id> real;
    for (const auto& row : devices::SupportedDeviceTable)
        if (row.vendorId != devices::kNoDeviceId) real.insert({row.vendorId, row.productId});
    EXPECT_EQ(rules, real);  // none missing, and no stray identities (the FFFF keyboard rows stay out)
    EXPECT_EQ(real.size(), 3u);
}
