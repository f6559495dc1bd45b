#include "profiles/ProfileList.h"

#include "profiles/ProfileId.h"

#include <algorithm>
#include <cstdio>
#include <unistd.h>

namespace profiles {

namespace {

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool FileExists(const std::string& path) { return !path.empty() && ::access(path.c_str(), F_OK) == 0; }

} // namespace

bool CProfileListStore::SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
}

void CProfileListStore::SetFolders(const std::string& folder, const std::string& templatePath) {
    folder_ = folder;
    if (!folder_.empty() && folder_.back() != '/') folder_ += '/';
    templatePath_ = templatePath;
}

std::string CProfileListStore::ProfilePath(const std::string& id) const {
    return IsSafeId(id) ? folder_ + id + ".Json" : std::string();
}

std::vector<ProfileEntry> CProfileListStore::ReadEntries() const {
    std::vector<ProfileEntry> out;
    const Json::Value list = ReadList();
    const Json::Value& items = Get(list, "profilelist");
    for (unsigned i = 0; i < JsonArraySize(items); ++i)
        out.push_back({JsonString(Get(items[i], "profilename")), JsonString(Get(items[i], "profileUUID"))});
    return out;
}

bool CProfileListStore::NameTaken(const std::string& name, int except) const {
    for (int i = 0; i < Count(); ++i)
        if (i != except && SameName(names_[i], name)) return true;
    return false;
}

std::string CProfileListStore::NewId(const Json::Value& list) const {
    const Json::Value& items = Get(list, "profilelist");
    return MakeUniqueId([&](const std::string& id) {
        for (unsigned i = 0; i < JsonArraySize(items); ++i)
            if (JsonString(Get(items[i], "profileUUID")) == id) return true;
        return FileExists(ProfilePath(id));
    });
}

Json::Value CProfileListStore::NewElement(const std::string& name, const std::string& id) {
    Json::Value e(Json::objectValue);
    e["profilename"] = name;
    e["profileUUID"] = id;
    e["profileislink"] = 0;
    e["profilelinkmame"] = "";
    return e;
}

std::string CProfileListStore::IdAt(const Json::Value& list, int index) const {
    return JsonString(Get(GetAt(Get(list, "profilelist"), index), "profileUUID"));
}

int CProfileListStore::InitProfiles() {
    names_.clear();
    selected_ = -1;
    selectedId_.clear();

    Json::Value list = ReadList();
    if (JsonArraySize(Get(list, "profilelist")) == 0) {
        if (!list.isObject()) list = Json::Value(Json::objectValue);
        list["profilelist"] = Json::Value(Json::arrayValue);
        const std::string id = NewId(list);
        list["profilelist"].append(NewElement("profile1", id));
        list["profileselect"] = 0;
        WriteList(list);
        Json::Value t = jsonFile_.Read(templatePath_);
        Put(t, "profilename") = "profile1";
        Put(t, "profileUUID") = id;
        jsonFile_.Write(ProfilePath(id), t);
    }

    const Json::Value& items = list["profilelist"];
    for (unsigned i = 0; i < items.size(); ++i) names_.push_back(JsonString(Get(items[i], "profilename")));

    // A stored selection outside the list would index past it.
    const int stored = JsonInt(Get(list, "profileselect"));
    SelectProfile(std::clamp(stored, 0, Count() - 1));
    return selected_;
}

bool CProfileListStore::SelectProfile(int index) {
    if (index < 0 || index >= Count()) return false;
    selected_ = index;
    Json::Value list = ReadList();
    Put(list, "profileselect") = index;
    selectedId_ = IdAt(list, index);
    WriteList(list);
    return true;
}

int CProfileListStore::AppendProfile(const std::string& name, const Json::Value& content, bool select) {
    Json::Value list = ReadList();
    const std::string id = NewId(list);
    names_.push_back(name);
    const int index = Count() - 1;
    PutAt(Put(list, "profilelist"), index) = NewElement(name, id);
    if (select) list["profileselect"] = index;
    WriteList(list);
    Json::Value file = content;
    Put(file, "profilename") = name;
    Put(file, "profileUUID") = id;
    jsonFile_.Write(ProfilePath(id), file);
    return index;
}

int CProfileListStore::AddProfile() {
    if (Count() >= kMaxProfiles) return -1;
    std::string name;
    for (int n = 1;; ++n) {
        name = "profile" + std::to_string(n);
        if (!NameTaken(name)) break;
    }
    // The list names the new profile as selected; the active one changes at the next start.
    return AppendProfile(name, jsonFile_.Read(templatePath_), true);
}

int CProfileListStore::CopyProfile() {
    const int s = selected_;
    if (s < 0 || s >= Count()) return -1;
    std::string name = names_[s] + " copy";
    while (NameTaken(name)) name += " copy";
    const Json::Value list = ReadList();
    const std::string sourcePath = ProfilePath(IdAt(list, s));
    const Json::Value source = sourcePath.empty() ? Json::Value() : jsonFile_.Read(sourcePath);
    return AppendProfile(name, source, false);
}

int CProfileListStore::ImportProfile(const std::string& path) {
    const Json::Value source = jsonFile_.Read(path);
    if (!source.isObject() || !source.isMember("profilename") || !source.isMember("profileUUID"))
        return -1;
    std::string name = JsonString(source["profilename"]);
    for (int n = 1; NameTaken(name); ++n) name += "(" + std::to_string(n) + ")";
    return AppendProfile(name, source, false);
}

int CProfileListStore::DeleteProfile() {
    const int s = selected_;
    if (s < 0 || s >= Count() || Count() < 2) return -1;
    const int next = s == 0 ? 0 : s - 1;
    Json::Value list = ReadList();
    const std::string path = ProfilePath(IdAt(list, s));
    Json::Value& items = Put(list, "profilelist");
    if (items.isArray() && static_cast<unsigned>(s) < items.size()) {
        Json::Value removed;
        items.removeIndex(static_cast<Json::ArrayIndex>(s), &removed);
    }
    if (!path.empty()) std::remove(path.c_str());
    list["profileselect"] = next;
    WriteList(list);
    names_.erase(names_.begin() + s);
    selected_ = next;
    selectedId_ = IdAt(list, next);
    return next;
}

bool CProfileListStore::ExportProfile(const std::string& path) const {
    if (selected_ < 0 || path.empty()) return false;
    const std::string source = ProfilePath(IdAt(ReadList(), selected_));
    if (source.empty()) return false;
    const Json::Value file = jsonFile_.Read(source);
    if (file.isNull()) return false;
    return jsonFile_.Write(path, file) == 0;
}

bool CProfileListStore::ResetProfile() {
    if (selected_ < 0) return false;
    const Json::Value list = ReadList();
    const Json::Value& item = GetAt(Get(list, "profilelist"), selected_);
    const std::string id = JsonString(Get(item, "profileUUID"));
    const std::string path = ProfilePath(id);
    if (path.empty()) return false;
    // Read the factory data first: without it the user's file stays as it is.
    Json::Value t = jsonFile_.Read(templatePath_);
    if (!t.isObject()) return false;
    t["profilename"] = JsonString(Get(item, "profilename"));
    t["profileUUID"] = id;
    if (kind_ == 7) {
        const Json::Value old = jsonFile_.Read(path);
        const Json::Value& device = GetAt(Get(old, "Device"), 0);
        for (const char* key : {"CustomEQNameInfo", "CustomEQHzValueInfo"}) {
            const Json::Value& kept = Get(device, key);
            if (!kept.isNull()) Put(PutAt(Put(t, "Device"), 0), key) = kept;
        }
    }
    return jsonFile_.Write(path, t) == 0;
}

int CProfileListStore::RenameProfile(const std::string& name) {
    const int s = selected_;
    if (s < 0 || s >= Count() || name.empty()) return -1;
    if (NameTaken(name, s)) return 0;
    names_[s] = name;
    Json::Value list = ReadList();
    Put(PutAt(Put(list, "profilelist"), s), "profilename") = name;
    WriteList(list);
    const std::string path = ProfilePath(IdAt(list, s));
    if (!path.empty()) {
        Json::Value file = jsonFile_.Read(path);
        Put(file, "profilename") = name;
        jsonFile_.Write(path, file);
    }
    return 1;
}

} // namespace profiles
