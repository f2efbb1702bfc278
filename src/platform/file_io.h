#pragma once

#include <cstdint>
#include <cstdio>
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

// Creates an empty file with a fresh name in the directory of path, so that
// renaming it over path later stays on one file system and is atomic. It is
// an ordinary file (mode 0644), not a private one. Its name, or empty when it
// could not be made.
std::string CreateTemporaryFileBeside(const std::string& path);

bool FileExists(const std::string& path);
// True for a regular file, following links; false for a directory, a device
// or a missing path.
bool IsRegularFile(const std::string& path);
// The size of a regular file; nothing when the path names none.
std::optional<uint64_t> RegularFileSize(const std::string& path);
// The same for a file already open, so that the size is the opened file's.
std::optional<uint64_t> RegularFileSize(std::FILE* file);

// Free bytes of the volume holding the directory: all free blocks, not the
// part the caller's quota allows. Nothing when the system cannot tell.
std::optional<uint64_t> FreeDiskBytes(const std::string& directory);

// The process's working directory, or nothing when the system cannot give it.
std::optional<std::string> CurrentDirectory();

// Empty when this process may create and remove files in the directory,
// otherwise the operating system's reason ("Read-only file system").
std::string DirectoryWriteError(const std::string& directory);

// Why a file could not be created or written at path, in the operating
// system's words ("No such file or directory", "Permission denied"); empty
// when nothing stands in the way.
std::string FileWriteError(const std::string& path);

// Removes the file when it is a regular file (never a device or a directory).
void RemoveRegularFile(const std::string& path);

// The last component of a path ("a/b/c.set" -> "c.set").
std::string FileNameOf(const std::string& path);
// Where the extension of the path's file name starts (its last '.'), or the
// path's length when the name has none: "a/b.c" -> 3, "a.d/b" -> 5.
size_t ExtensionStart(const std::string& path);
// The directory part of a path: "a/b/c.set" -> "a/b", "c.set" -> ".",
// "/c.set" -> "/".
std::string DirectoryOf(const std::string& path);

}  // namespace vantor
