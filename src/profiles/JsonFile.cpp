#include "profiles/JsonFile.h"

#include "platform/AtomicFile.h"
#include "platform/Debug.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <iconv.h>
#include <limits>
#include <mutex>
#include <sys/stat.h>
#include <unordered_map>

namespace profiles {

namespace {

std::mutex g_codePageMutex;
std::string g_legacyCodePage;

std::string Format(const char* fmt, int value) {
    char buf[128];
    std::snprintf(buf, sizeof buf, fmt, value);
    return buf;
}

void AppendUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Value of the "\uXXXX" escape at s[i] (s[i] == '\\'), or -1.
long EscapeAt(const std::string& s, size_t i) {
    if (i + 6 > s.size() || s[i] != '\\' || s[i + 1] != 'u') return -1;
    long v = 0;
    for (size_t k = 2; k < 6; ++k) {
        int d = HexDigit(s[i + k]);
        if (d < 0) return -1;
        v = v * 16 + d;
    }
    return v;
}

// The library's styled writer escapes every non-ASCII character; turn those
// escapes back into UTF-8 so names stay readable. Control escapes stay.
std::string UnescapeNonAscii(const std::string& s) {
    if (s.find("\\u") == std::string::npos) return s;
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '\\' || i + 1 >= s.size()) {
            out += s[i];
            continue;
        }
        long cp = EscapeAt(s, i);
        if (cp < 0x80) {  // not a \u escape, or an ASCII control escape: copy the pair
            out += s[i];
            out += s[i + 1];
            ++i;
            continue;
        }
        size_t used = 6;
        uint32_t code = static_cast<uint32_t>(cp);
        if (cp >= 0xD800 && cp <= 0xDBFF) {
            long low = EscapeAt(s, i + 6);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                code = 0x10000 + ((static_cast<uint32_t>(cp) - 0xD800) << 10) +
                       (static_cast<uint32_t>(low) - 0xDC00);
                used = 12;
            } else {
                code = 0xFFFD;
            }
        } else if (cp >= 0xDC00 && cp <= 0xDFFF) {
            code = 0xFFFD;
        }
        AppendUtf8(out, code);
        i += used - 1;
    }
    return out;
}

std::string ConvertFromCodePage(const std::string& text, const std::string& codePage) {
    iconv_t cd = iconv_open("UTF-8", codePage.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) return text;
    std::string out(text.size() * 4 + 4, '\0');
    char* in = const_cast<char*>(text.data());
    size_t inLeft = text.size();
    char* dst = out.data();
    size_t outLeft = out.size();
    size_t rc = iconv(cd, &in, &inLeft, &dst, &outLeft);
    iconv_close(cd);
    if (rc == static_cast<size_t>(-1)) return text;
    out.resize(out.size() - outLeft);
    return out;
}

void ConvertLegacyStrings(Json::Value& v, const std::string& codePage) {
    if (v.isString()) {
        std::string s = v.asString();
        if (!IsValidUtf8(s)) v = ConvertFromCodePage(s, codePage);
    } else if (v.isArray()) {
        for (Json::ArrayIndex i = 0; i < v.size(); ++i) ConvertLegacyStrings(v[i], codePage);
    } else if (v.isObject()) {
        for (const auto& name : v.getMemberNames()) ConvertLegacyStrings(v[name], codePage);
    }
}

bool Parses(const std::string& text) {
    Json::Reader reader;
    Json::Value ignored;
    return reader.parse(text, ignored, false);
}

// Identity of a file's current content as far as stat() can tell.
struct FileStamp {
    dev_t dev = 0;
    ino_t ino = 0;
    off_t size = 0;
    long long mtimeNs = 0;
    bool operator==(const FileStamp&) const = default;
};

bool StampOf(const std::string& path, FileStamp& out) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return false;
    out = {st.st_dev, st.st_ino, st.st_size,
           static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec};
    return true;
}

// Files this process last saw parse (read or written by us). Rewriting one of
// them needs no second parse to decide about a ".bak" copy.
std::mutex g_stampMutex;
std::unordered_map<std::string, FileStamp> g_knownGood;

void RememberGood(const std::string& path) {
    FileStamp stamp;
    std::lock_guard<std::mutex> lock(g_stampMutex);
    if (StampOf(path, stamp)) g_knownGood[path] = stamp;
    else g_knownGood.erase(path);
}

bool KnownGood(const std::string& path) {
    FileStamp stamp;
    if (!StampOf(path, stamp)) return false;
    std::lock_guard<std::mutex> lock(g_stampMutex);
    auto it = g_knownGood.find(path);
    return it != g_knownGood.end() && it->second == stamp;
}

Json::Value& ReadScratch() {
    thread_local Json::Value scratch;
    return scratch;
}

Json::Value& WriteSink() {
    thread_local Json::Value sink;
    sink = Json::Value();
    return sink;
}

} // namespace

void SetLegacyCodePage(const std::string& codePage) {
    std::lock_guard<std::mutex> lock(g_codePageMutex);
    g_legacyCodePage = codePage;
}

std::string LegacyCodePage() {
    std::lock_guard<std::mutex> lock(g_codePageMutex);
    return g_legacyCodePage;
}

bool IsValidUtf8(const std::string& text) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    size_t n = text.size();
    for (size_t i = 0; i < n;) {
        unsigned char c = p[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        size_t len;
        uint32_t cp;
        if ((c & 0xE0) == 0xC0) { len = 2; cp = c & 0x1F; }
        else if ((c & 0xF0) == 0xE0) { len = 3; cp = c & 0x0F; }
        else if ((c & 0xF8) == 0xF0) { len = 4; cp = c & 0x07; }
        else return false;
        if (i + len > n) return false;
        for (size_t k = 1; k < len; ++k) {
            if ((p[i + k] & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (p[i + k] & 0x3F);
        }
        if ((len == 2 && cp < 0x80) || (len == 3 && cp < 0x800) || (len == 4 && cp < 0x10000) ||
            cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += len;
    }
    return true;
}

std::string readjsonFile(const std::string& path) {
    errno = 0;
    auto content = platform::ReadWholeFile(path);
    platform::DebugOut(Format("readjsonFile 错误吗：：%d\n", content ? 0 : errno));
    return content ? std::move(*content) : std::string();
}

Json::Value ReadJson(const std::string& path) {
    std::string content = readjsonFile(path);
    if (content.empty()) {
        platform::DebugOut(path);
        return Json::Value();
    }
    Json::Reader reader;
    Json::Value root;
    if (!reader.parse(content, root, true)) return Json::Value();
    RememberGood(path);
    const std::string codePage = LegacyCodePage();
    if (!codePage.empty()) ConvertLegacyStrings(root, codePage);
    return root;
}

std::string StyledText(const Json::Value& value) {
    Json::StyledWriter writer;
    return UnescapeNonAscii(writer.write(value));
}

int wirtejsonFile(const std::string& path, const Json::Value& value) {
    // Keep a file that does not parse: it may hold the user's only copy of a
    // list or a profile name that the rewrite is about to drop.
    if (!KnownGood(path)) {
        if (auto old = platform::ReadWholeFile(path); old && !old->empty() && !Parses(*old))
            platform::WriteFileAtomic(path + ".bak", *old);
    }
    errno = 0;
    const bool ok = platform::WriteFileAtomic(path, StyledText(value));
    if (ok) RememberGood(path);
    platform::DebugOut(Format("wirtejsonFile 错误吗：：%d\n", ok ? 0 : (errno ? errno : EIO)));
    return ok ? 0 : 1;
}

// ---- Accessors ------------------------------------------------------------

int32_t JsonInt(const Json::Value& v) {
    switch (v.type()) {
    case Json::intValue: {
        const Json::Int64 x = v.asInt64();
        return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(x)));
    }
    case Json::uintValue:
        return static_cast<int32_t>(static_cast<uint32_t>(v.asUInt64()));
    case Json::realValue: {
        const double d = v.asDouble();
        if (!std::isfinite(d) || d >= 2147483648.0 || d < -2147483648.0) return 0;
        return static_cast<int32_t>(d);
    }
    case Json::booleanValue:
        return v.asBool() ? 1 : 0;
    default:
        return 0;
    }
}

bool JsonBool(const Json::Value& v) {
    switch (v.type()) {
    case Json::booleanValue: return v.asBool();
    case Json::intValue: return v.asInt64() != 0;
    case Json::uintValue: return v.asUInt64() != 0;
    case Json::realValue: return v.asDouble() != 0.0;
    default: return false;
    }
}

std::string JsonString(const Json::Value& v) { return v.isString() ? v.asString() : std::string(); }

unsigned JsonArraySize(const Json::Value& v) { return v.isArray() ? v.size() : 0u; }

const Json::Value& Get(const Json::Value& v, const char* key) {
    if (!v.isObject()) return Json::Value::nullSingleton();
    const Json::Value* found = v.find(key, key + std::char_traits<char>::length(key));
    return found ? *found : Json::Value::nullSingleton();
}

const Json::Value& GetAt(const Json::Value& v, int index) {
    if (!v.isArray() || index < 0 || static_cast<unsigned>(index) >= v.size())
        return Json::Value::nullSingleton();
    return v[static_cast<Json::ArrayIndex>(index)];
}

Json::Value& Touch(Json::Value& v, const char* key) {
    Json::Value& scratch = ReadScratch();
    if (&v == &scratch || !(v.isNull() || v.isObject())) {
        scratch = Json::Value();
        return scratch;
    }
    return v[key];
}

Json::Value& TouchAt(Json::Value& v, int index) {
    Json::Value& scratch = ReadScratch();
    if (&v == &scratch || !(v.isNull() || v.isArray()) || index < 0 || index > kMaxJsonIndex) {
        scratch = Json::Value();
        return scratch;
    }
    return v[static_cast<Json::ArrayIndex>(index)];
}

Json::Value& Put(Json::Value& v, const char* key) {
    if (&v == &ReadScratch()) return WriteSink();
    if (!v.isObject()) v = Json::Value(Json::objectValue);
    return v[key];
}

Json::Value& PutAt(Json::Value& v, int index) {
    if (&v == &ReadScratch() || index < 0 || index > kMaxJsonIndex) return WriteSink();
    if (!v.isArray()) v = Json::Value(Json::arrayValue);
    return v[static_cast<Json::ArrayIndex>(index)];
}

} // namespace profiles
