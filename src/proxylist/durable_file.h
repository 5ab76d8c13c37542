#pragma once
// What the platform does so that a replaced file survives a power cut, and keeps who owns it.
// One implementation per platform, chosen by the build.
#include <string>

namespace quillet {

// Writes the file's data to the disk before returning. Throws RunTimeError when it cannot.
void SyncFileToDisk(const std::string& path);

// Writes the folder's entries (a rename just made in it) to the disk. Throws RunTimeError when
// it cannot.
void SyncFolderToDisk(const std::string& folder);

// Gives `copy` the owner, the group and the mode of `original`, as far as this user may; the
// mode is always kept. Nothing happens when `original` does not exist.
void KeepOwnership(const std::string& original, const std::string& copy);

}  // namespace quillet
