#pragma once
// Whole-file JSON routines shared by every profile, list, light, macro and
// recoil file, plus accessors that never throw on a value of the wrong type.
#include <json/json.h>

#include <cstdint>
#include <string>

namespace profiles {

// Whole file content; empty when the file cannot be opened or read.
std::string readjsonFile(const std::string& path);

// Parsed document (comments kept); null when the file is missing, empty or
// does not parse.
Json::Value ReadJson(const std::string& path);

// Styled text of value (three-space indentation, members in name order,
// "\n" at the end) with non-ASCII text written as plain UTF-8.
std::string StyledText(const Json::Value& value);

// Writes StyledText(value) to path through a temporary file and a rename.
// An existing file that does not parse is kept as path + ".bak" first.
// 0 on success, 1 when the file could not be written.
int wirtejsonFile(const std::string& path, const Json::Value& value);

// Files brought from Windows hold names in a legacy code page (e.g. "CP936").
// When set, strings that are not valid UTF-8 are converted from it on reading.
// Empty (the default) leaves such bytes as they are.
void SetLegacyCodePage(const std::string& codePage);
std::string LegacyCodePage();
bool IsValidUtf8(const std::string& text);

// File access object held by the profile data and the profile list.
class JsonFile {
public:
    std::string ReadFile(const std::string& path) const { return readjsonFile(path); }
    Json::Value Read(const std::string& path) const { return ReadJson(path); }
    int Write(const std::string& path, const Json::Value& value) const {
        return wirtejsonFile(path, value);
    }
};

// ---- Accessors that never throw ------------------------------------------
// A value of the wrong type reads as a missing one does: 0, false or "".
int32_t JsonInt(const Json::Value& v);
bool JsonBool(const Json::Value& v);
std::string JsonString(const Json::Value& v);
// Element count of an array; 0 for anything else.
unsigned JsonArraySize(const Json::Value& v);

// Read without changing anything: the member, or a null value.
const Json::Value& Get(const Json::Value& v, const char* key);
const Json::Value& GetAt(const Json::Value& v, int index);

// Read the way the library's index operator does: an absent member of an
// object (or of a null value) is inserted as null, so a later save writes it.
// Anything else (wrong type, negative or out-of-range index) gives a scratch
// null that is not part of the document.
Json::Value& Touch(Json::Value& v, const char* key);
Json::Value& TouchAt(Json::Value& v, int index);

// Write access: a value of the wrong type is replaced by an object or array;
// an array grows to hold index. A negative or absurd index gives a scratch value.
Json::Value& Put(Json::Value& v, const char* key);
Json::Value& PutAt(Json::Value& v, int index);

// Largest array index the write helpers will create.
inline constexpr int kMaxJsonIndex = 65535;

} // namespace profiles
