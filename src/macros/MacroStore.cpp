#include "macros/MacroStore.h"

#include "platform/AtomicFile.h"
#include "profiles/ProfileId.h"
#include "profiles/ProfileList.h"

#include <cstdio>
#include <unistd.h>

namespace macros {

using profiles::Get;
using profiles::GetAt;
using profiles::JsonArraySize;
using profiles::JsonString;
using profiles::Put;
using profiles::PutAt;

namespace {

std::string WithSlash(std::string folder) {
    if (!folder.empty() && folder.back() != '/') folder += '/';
    return folder;
}

bool FileExists(const std::string& path) { return !path.empty() && ::access(path.c_str(), F_OK) == 0; }

} // namespace

void CMacroStore::SetFolder(const std::string& folder) { folder_ = WithSlash(folder); }

std::string CMacroStore::MacroPath(const std::string& guid) const {
    return profiles::IsSafeId(guid) ? folder_ + guid + ".mac" : std::string();
}

std::string CMacroStore::GuidAt(const Json::Value& index, int i) const {
    return JsonString(Get(GetAt(Get(index, "MacroInfo"), i), "Guid"));
}

std::vector<MacroEntry> CMacroStore::LoadIndex() const {
    std::vector<MacroEntry> out;
    const Json::Value index = ReadIndex();
    const Json::Value& info = Get(index, "MacroInfo");
    for (unsigned i = 0; i < JsonArraySize(info); ++i)
        out.push_back({JsonString(Get(info[i], "MacroName")), JsonString(Get(info[i], "Guid"))});
    return out;
}

std::string CMacroStore::AddMacro() {
    Json::Value index = ReadIndex();
    const Json::Value& info = Get(index, "MacroInfo");
    const unsigned count = JsonArraySize(info);
    if (count >= static_cast<unsigned>(kMaxMacros)) return std::string();

    auto nameTaken = [&](const std::string& name) {
        for (unsigned i = 0; i < count; ++i)
            if (profiles::CProfileListStore::SameName(JsonString(Get(info[i], "MacroName")), name))
                return true;
        return false;
    };
    std::string name;
    for (int n = 1;; ++n) {
        name = "macro_" + std::to_string(n);
        if (!nameTaken(name)) break;
    }
    const std::string guid = profiles::MakeUniqueId([&](const std::string& id) {
        for (unsigned i = 0; i < count; ++i)
            if (JsonString(Get(info[i], "Guid")) == id) return true;
        return FileExists(MacroPath(id));
    });

    Json::Value entry(Json::objectValue);
    entry["MacroName"] = name;
    entry["Guid"] = guid;
    PutAt(Put(index, "MacroInfo"), static_cast<int>(count)) = entry;
    if (jsonFile_.Write(IndexPath(), index) != 0) return std::string();
    return name;
}

bool CMacroStore::RenameMacro(int index, const std::string& name) {
    Json::Value file = ReadIndex();
    if (index < 0 || static_cast<unsigned>(index) >= JsonArraySize(Get(file, "MacroInfo"))) return false;
    Put(file["MacroInfo"][index], "MacroName") = name;
    return jsonFile_.Write(IndexPath(), file) == 0;
}

int CMacroStore::DeleteMacro(int index) {
    Json::Value file = ReadIndex();
    if (index < 0 || static_cast<unsigned>(index) >= JsonArraySize(Get(file, "MacroInfo"))) return -1;
    // A macro never saved has no file; removing it then fails quietly.
    if (const std::string path = MacroPath(GuidAt(file, index)); !path.empty()) std::remove(path.c_str());
    Json::Value removed;
    file["MacroInfo"].removeIndex(static_cast<Json::ArrayIndex>(index), &removed);
    jsonFile_.Write(IndexPath(), file);
    return index;
}

std::vector<MacroEvent> CMacroStore::LoadEvents(const std::string& guid) const {
    std::vector<MacroEvent> out;
    const std::string path = MacroPath(guid);
    if (path.empty()) return out;
    const Json::Value file = jsonFile_.Read(path);
    const Json::Value& events = Get(file, "Events");
    out.reserve(JsonArraySize(events));
    for (unsigned i = 0; i < JsonArraySize(events); ++i) out.push_back(EventFromJson(events[i]));
    return out;
}

bool CMacroStore::SaveMacro(int index, const std::vector<MacroEvent>& events) {
    const Json::Value file = ReadIndex();
    if (index < 0 || static_cast<unsigned>(index) >= JsonArraySize(Get(file, "MacroInfo"))) return false;
    const Json::Value& entry = file["MacroInfo"][index];
    const std::string guid = JsonString(Get(entry, "Guid"));
    const std::string path = MacroPath(guid);
    if (path.empty()) return false;

    Json::Value mac(Json::objectValue);
    mac["MacroName"] = JsonString(Get(entry, "MacroName"));
    mac["Guid"] = guid;
    mac["Version"] = kMacroFileVersion;
    if (!events.empty()) {
        Json::Value& list = mac["Events"];
        list = Json::Value(Json::arrayValue);
        for (const auto& e : events) list.append(EventToJson(e));
    }
    return jsonFile_.Write(path, mac) == 0;
}

bool CMacroStore::ExportMacro(int index, const std::string& target) const {
    if (target.empty()) return false;
    const std::string path = MacroPath(GuidAt(ReadIndex(), index));
    if (path.empty()) return false;
    const auto bytes = platform::ReadWholeFile(path);
    return bytes && platform::WriteFileAtomic(target, *bytes);
}

std::string CMacroStore::ImportMacro(const std::string& source) {
    // Read the source first, so a failed import leaves no empty entry behind.
    const auto bytes = platform::ReadWholeFile(source);
    if (!bytes) return std::string();
    const std::string name = AddMacro();
    if (name.empty()) return name;
    const Json::Value index = ReadIndex();
    const int last = static_cast<int>(JsonArraySize(Get(index, "MacroInfo"))) - 1;
    const std::string path = MacroPath(GuidAt(index, last));
    if (path.empty() || !platform::WriteFileAtomic(path, *bytes)) return std::string();
    return name;
}

// ---- Macro image input ------------------------------------------------------

MacroImageInput ReadMacroImageInput(const std::string& folder, size_t macroMemoryBytes) {
    MacroImageInput out;
    CMacroStore store(folder);
    const std::string indexPath = store.IndexPath();
    if (!FileExists(indexPath)) {
        out.status = MacroImageStatus::IndexMissing;
        return out;
    }
    const Json::Value index = profiles::ReadJson(indexPath);
    const Json::Value& info = Get(index, "MacroInfo");
    if (index.isNull() || !index.isObject() || !(info.isNull() || info.isArray())) {
        out.status = MacroImageStatus::IndexUnreadable;
        return out;
    }
    const unsigned count = JsonArraySize(info);
    if (count == 0) {
        out.status = MacroImageStatus::EmptyList;
        return out;
    }
    out.macros.reserve(count);
    for (unsigned i = 0; i < count; ++i) {
        MacroImageMacro m;
        m.name = JsonString(Get(info[i], "MacroName"));
        m.guid = JsonString(Get(info[i], "Guid"));
        m.events = store.LoadEvents(m.guid);
        out.eventCount += m.events.size();
        out.macros.push_back(std::move(m));
    }
    out.totalLength = MacroImageLength(out.macros.size(), out.eventCount);
    if (out.totalLength > macroMemoryBytes) {
        out.status = MacroImageStatus::TooLarge;
        out.eventsToRemove = static_cast<int>(((out.totalLength - macroMemoryBytes) >> 2) + 1);
    } else {
        out.status = MacroImageStatus::Ok;
    }
    return out;
}

} // namespace macros
