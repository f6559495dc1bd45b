#include "ui/UIBase.h"

#include <charconv>
#include <cstdlib>

namespace ui {

std::string ToLower(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

bool ParseBool(std::string_view v) {
    return EqualsNoCase(v, "true") || v == "1" || EqualsNoCase(v, "yes");
}

int ParseInt(std::string_view v, int fallback) {
    while (!v.empty() && (v.front() == ' ' || v.front() == '\t')) v.remove_prefix(1);
    int value = 0;
    auto [p, ec] = std::from_chars(v.data(), v.data() + v.size(), value);
    if (ec != std::errc() || p == v.data()) return fallback;
    return value;
}

bool ParseColor(std::string_view v, UIColor& out) {
    while (!v.empty() && v.front() == ' ') v.remove_prefix(1);
    if (!v.empty() && v.front() == '#') v.remove_prefix(1);
    else if (v.size() > 2 && v[0] == '0' && (v[1] == 'x' || v[1] == 'X')) v.remove_prefix(2);
    if (v.empty() || v.size() > 8) return false;
    uint32_t value = 0;
    auto [p, ec] = std::from_chars(v.data(), v.data() + v.size(), value, 16);
    if (ec != std::errc() || p != v.data() + v.size()) return false;
    if (v.size() <= 6) value |= 0xFF000000u;
    out = value;
    return true;
}

static std::vector<int> ParseInts(std::string_view v) {
    std::vector<int> out;
    size_t start = 0;
    while (start <= v.size()) {
        size_t comma = v.find(',', start);
        if (comma == std::string_view::npos) comma = v.size();
        out.push_back(ParseInt(v.substr(start, comma - start), 0));
        start = comma + 1;
    }
    return out;
}

UIRect ParseRect(std::string_view v) {
    auto n = ParseInts(v);
    n.resize(4, 0);
    return UIRect{n[0], n[1], n[2], n[3]};
}

UISize ParseSize(std::string_view v) {
    auto n = ParseInts(v);
    n.resize(2, 0);
    return UISize{n[0], n[1]};
}

std::vector<std::pair<std::string, std::string>> ParseAttributeList(std::string_view s) {
    std::vector<std::pair<std::string, std::string>> out;
    size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && (s[i] == ' ' || s[i] == '\t' || s[i] == '\n' || s[i] == '\r')) ++i;
        size_t nameStart = i;
        while (i < s.size() && s[i] != '=' && s[i] != ' ') ++i;
        std::string name(s.substr(nameStart, i - nameStart));
        while (i < s.size() && s[i] == ' ') ++i;
        if (i >= s.size() || s[i] != '=') break;
        ++i;
        while (i < s.size() && s[i] == ' ') ++i;
        if (i >= s.size() || (s[i] != '"' && s[i] != '\'')) break;
        const char quote = s[i++];
        size_t valueStart = i;
        while (i < s.size() && s[i] != quote) ++i;
        std::string value(s.substr(valueStart, i - valueStart));
        if (i < s.size()) ++i;
        if (!name.empty()) out.emplace_back(std::move(name), std::move(value));
    }
    return out;
}

std::string ReplaceFirstNumber(std::string_view text, long long n) {
    std::string out(text);
    const size_t pos = out.find("%d");
    if (pos != std::string::npos) out.replace(pos, 2, std::to_string(n));
    return out;
}

} // namespace ui
