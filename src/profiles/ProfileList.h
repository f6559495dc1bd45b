#pragma once
// The profile list of one device family: "ProfileList.ini" and the profile
// files beside it. A plain model without UI; the profile panel mirrors
// Names() in its combo box and forwards the user's commands here.
#include "profiles/JsonFile.h"

#include <string>
#include <vector>

namespace profiles {

inline constexpr int kMaxProfiles = 50;
inline constexpr const char* kProfileListFile = "ProfileList.ini";

struct ProfileEntry {
    std::string name;
    std::string id;
};

class CProfileListStore {
public:
    // Device kind of the owner (1 keyboard, 2 mouse, 3 mouse pad, 7 headset).
    void SetDeviceKind(int kind) { kind_ = kind; }
    int DeviceKind() const { return kind_; }
    // folder: the family's data folder (a trailing "/" is added when missing);
    // templatePath: the family's default-data file.
    void SetFolders(const std::string& folder, const std::string& templatePath);
    const std::string& Folder() const { return folder_; }

    // Reads the list (creating "profile1" when it is missing or empty) and
    // selects the stored "profileselect", clamped to the list. Returns the
    // selected index.
    int InitProfiles();

    // Selects profile index and stores it as "profileselect". False when out of range.
    bool SelectProfile(int index);
    int GetSelectedIndex() const { return selected_; }
    std::string GetSelectedProfileId() const { return selectedId_; }

    int Count() const { return static_cast<int>(names_.size()); }
    const std::vector<std::string>& Names() const { return names_; }
    // The entries as the list file holds them now.
    std::vector<ProfileEntry> ReadEntries() const;
    // folder + id + ".Json", or "" for an ID that may not become a file name.
    std::string ProfilePath(const std::string& id) const;
    std::string SelectedProfilePath() const { return ProfilePath(selectedId_); }

    // Each returns the index of the new profile, or -1 when nothing was done.
    int AddProfile();                         // at most kMaxProfiles, "profile%d"
    int CopyProfile();                        // "%s copy" of the selected profile
    int ImportProfile(const std::string& path);  // name made unique with "(%d)"

    // Removes the selected profile and its file; the new selected index, or -1
    // when nothing was removed (no selection, or only one profile left).
    int DeleteProfile();
    bool ExportProfile(const std::string& path) const;
    // Back to the default-data file; a headset keeps its custom equalisers.
    // Leaves the file alone when the default-data file cannot be read.
    bool ResetProfile();
    // 1 renamed, 0 the name is used by another profile (case-insensitive),
    // -1 nothing to rename (no selection or an empty name).
    int RenameProfile(const std::string& name);

    static bool SameName(const std::string& a, const std::string& b);

private:
    std::string ListPath() const { return folder_ + kProfileListFile; }
    Json::Value ReadList() const { return jsonFile_.Read(ListPath()); }
    bool WriteList(const Json::Value& list) const { return jsonFile_.Write(ListPath(), list) == 0; }
    bool NameTaken(const std::string& name, int except = -1) const;
    std::string NewId(const Json::Value& list) const;
    static Json::Value NewElement(const std::string& name, const std::string& id);
    std::string IdAt(const Json::Value& list, int index) const;
    int AppendProfile(const std::string& name, const Json::Value& content, bool select);

    int kind_ = 0;
    std::string folder_;
    std::string templatePath_;
    std::string selectedId_;
    std::vector<std::string> names_;  // one per "profilelist" element, in order
    int selected_ = -1;
    JsonFile jsonFile_;
};

} // namespace profiles
