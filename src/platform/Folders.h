#pragma once
// Where the program finds its resources and keeps the user's data.
#include <string>

namespace platform {

inline constexpr const char* kProductName = "Zandri Gaming Mouse";

// Folder of the running executable, with a trailing "/".
std::string ExecutableFolder();

// Resource folder: ZANDRI_RESOURCE_DIR if set, else the executable folder (trailing "/").
std::string ResourceFolder();

// $XDG_CONFIG_HOME (or ~/.config) + "/Zandri Gaming Mouse/", created on use.
std::string AppDataFolder();

// AppDataFolder() + family + "/", created on use ("mouse", "keyboard", "MousePad", "HD").
std::string DeviceDataFolder(const std::string& family);

// ResourceFolder() + "DefaultData/".
std::string DefaultDataFolder();

// Creates a folder and its parents; true when it exists afterwards.
bool MakeFolders(const std::string& path);

} // namespace platform
