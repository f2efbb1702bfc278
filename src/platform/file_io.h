#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vantor {

// Largest file read whole into memory; anything bigger is not one of ours.
constexpr uint64_t kMaxWholeFileBytes = 1ull << 30;

// The whole file, or nothing when it cannot be opened, read, or is too large.
std::optional<std::vector<uint8_t>> ReadWholeFile(const std::string& path);

// Writes the bytes to a temporary file in the same directory, flushes it to
// the disk and renames it over the path, so a failed or interrupted write
// leaves any earlier file untouched. False when any step failed.
bool WriteFileReplacing(const std::string& path, const uint8_t* data, size_t size);

bool FileExists(const std::string& path);

// Empty when this process may create and remove files in the directory,
// otherwise the operating system's reason ("Read-only file system").
std::string DirectoryWriteError(const std::string& directory);

// The last component of a path ("a/b/c.set" -> "c.set").
std::string FileNameOf(const std::string& path);

}  // namespace vantor
