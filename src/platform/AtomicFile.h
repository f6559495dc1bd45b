#pragma once
// Whole-file reads and crash-safe writes (temporary file in the same folder,
// flushed, renamed over the target).
#include <optional>
#include <string>

namespace platform {

// The whole file, or nothing when it cannot be opened or read completely.
std::optional<std::string> ReadWholeFile(const std::string& path);

// Writes bytes to path through "<path>.tmp-<pid>", fsync, rename. False on any failure;
// the old file is then untouched.
bool WriteFileAtomic(const std::string& path, const std::string& bytes);

// Test seam: when set, WriteFileAtomic stops after writing the temporary file
// (as a crash between write and rename would) and returns false.
void SetAtomicWriteCrashForTests(bool crash);

} // namespace platform
