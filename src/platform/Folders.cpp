#include "platform/Folders.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;

namespace platform {

namespace {
std::string WithSlash(std::string s) {
    if (s.empty() || s.back() != '/') s += '/';
    return s;
}
} // namespace

std::string ExecutableFolder() {
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec) return "./";
    return WithSlash(exe.parent_path().string());
}

std::string ResourceFolder() {
    if (const char* dir = std::getenv("ZANDRI_RESOURCE_DIR"); dir && *dir) return WithSlash(dir);
    return ExecutableFolder();
}

bool MakeFolders(const std::string& path) {
    std::error_code ec;
    fs::create_directories(path, ec);
    return fs::is_directory(path, ec);
}

std::string AppDataFolder() {
    std::string base;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg) {
        base = xdg;
    } else if (const char* home = std::getenv("HOME"); home && *home) {
        base = std::string(home) + "/.config";
    } else {
        base = "/tmp";
    }
    std::string folder = WithSlash(base) + kProductName + "/";
    MakeFolders(folder);
    return folder;
}

std::string DeviceDataFolder(const std::string& family) {
    std::string folder = AppDataFolder() + family + "/";
    MakeFolders(folder);
    return folder;
}

std::string DefaultDataFolder() { return ResourceFolder() + "DefaultData/"; }

} // namespace platform
