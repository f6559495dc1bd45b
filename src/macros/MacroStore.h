#pragma once
// A device's macros on disk: the index "macro.config" and one Guid + ".mac"
// file per macro, in the device's data folder.
#include "macros/MacroEvent.h"
#include "profiles/JsonFile.h"

#include <string>
#include <vector>

namespace macros {

inline constexpr int kMaxMacros = 50;
inline constexpr int kMacroFileVersion = 64;
inline constexpr const char* kMacroIndexFile = "macro.config";

struct MacroEntry {
    std::string name;
    std::string guid;
};

class CMacroStore {
public:
    CMacroStore() = default;
    explicit CMacroStore(const std::string& folder) { SetFolder(folder); }
    void SetFolder(const std::string& folder);
    const std::string& Folder() const { return folder_; }

    // Empty when the index is missing or unreadable.
    std::vector<MacroEntry> LoadIndex() const;
    // Appends "macro_%d" (smallest free number, case-insensitive) with a new
    // Guid; "" when kMaxMacros exist. No ".mac" file is made until SaveMacro.
    std::string AddMacro();
    bool RenameMacro(int index, const std::string& name);
    // Removes entry index and its file; later entries move down by one.
    // Returns index, or -1 when there is no such entry.
    int DeleteMacro(int index);
    // The steps of the macro file of guid; empty when missing or unreadable.
    std::vector<MacroEvent> LoadEvents(const std::string& guid) const;
    // Writes the whole file of entry index ("Events" left out when empty).
    bool SaveMacro(int index, const std::vector<MacroEvent>& events);
    // Byte-for-byte copies of a macro file.
    bool ExportMacro(int index, const std::string& target) const;
    // AddMacro, then the source copied to the new Guid's file; "" when
    // nothing was added (50 macros, or the source cannot be read).
    std::string ImportMacro(const std::string& source);

    std::string IndexPath() const { return folder_ + kMacroIndexFile; }
    // folder + guid + ".mac", or "" for a Guid that may not become a file name.
    std::string MacroPath(const std::string& guid) const;

private:
    Json::Value ReadIndex() const { return jsonFile_.Read(IndexPath()); }
    std::string GuidAt(const Json::Value& index, int i) const;

    std::string folder_;
    profiles::JsonFile jsonFile_;
};

// ---- Reading side of a macro image ------------------------------------------

enum class MacroImageStatus {
    Ok,               // macros read, the image fits
    IndexMissing,     // no "macro.config" in the folder
    IndexUnreadable,  // "macro.config" exists but does not parse, or "MacroInfo" is not a list
    EmptyList,        // the index holds no macro
    TooLarge,         // the image would not fit; see eventsToRemove
};

struct MacroImageMacro {
    std::string name;
    std::string guid;
    std::vector<MacroEvent> events;  // empty when the macro's file is missing
};

struct MacroImageInput {
    MacroImageStatus status = MacroImageStatus::IndexMissing;
    std::vector<MacroImageMacro> macros;  // in index order (= position in the image)
    size_t eventCount = 0;
    size_t totalLength = 0;  // 16 + 6 * macros + 4 * events
    int eventsToRemove = 0;  // TooLarge: events that must go before the image fits
};

inline constexpr size_t MacroImageLength(size_t macroCount, size_t eventCount) {
    return 16 + 6 * macroCount + 4 * eventCount;
}

// Reads the index and every macro file of folder and sizes the image against
// the device's macro memory (bytes).
MacroImageInput ReadMacroImageInput(const std::string& folder, size_t macroMemoryBytes);

} // namespace macros
