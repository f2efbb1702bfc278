#pragma once

#include <string>

namespace vantor {

// The name an archive medium goes by: the label of the file system that
// holds the path, where the system offers one (/dev/disk/by-label), else the
// name of its mount point's directory ("/" for the root file system). Empty
// when the path does not exist.
std::string VolumeLabelOf(const std::string& path);

// The mount point of the file system that holds the existing path; empty
// when the path does not exist.
std::string MountPointOf(const std::string& path);

}  // namespace vantor
