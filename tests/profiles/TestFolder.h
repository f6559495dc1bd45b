#pragma once
// A temporary folder per test, used as XDG_CONFIG_HOME; removed afterwards.
#include "profiles/JsonFile.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace testing_util {

class TestFolder {
public:
    TestFolder() {
        char pattern[] = "/tmp/zandri-persist-XXXXXX";
        path_ = ::mkdtemp(pattern);
        path_ += "/";
        const char* old = std::getenv("XDG_CONFIG_HOME");
        hadOld_ = old != nullptr;
        if (old) old_ = old;
        ::setenv("XDG_CONFIG_HOME", path_.c_str(), 1);
    }
    ~TestFolder() {
        if (hadOld_) ::setenv("XDG_CONFIG_HOME", old_.c_str(), 1);
        else ::unsetenv("XDG_CONFIG_HOME");
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;

    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + name; }

private:
    std::string path_;
    std::string old_;
    bool hadOld_ = false;
};

inline void WriteText(const std::string& path, const std::string& text) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

inline std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

inline bool Exists(const std::string& path) { return std::filesystem::exists(path); }

inline Json::Value Parse(const std::string& text) {
    Json::Reader reader;
    Json::Value v;
    reader.parse(text, v, false);
    return v;
}

} // namespace testing_util
