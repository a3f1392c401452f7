// Files and folders as tests make and inspect them: whole-file reads and
// writes, folder trees made and removed, and a folder's listing.
#pragma once

#include <string>
#include <vector>

namespace test_support {

// The whole file; empty when it cannot be read.
std::string ReadFileBytes(const std::wstring& path);
// Writes `bytes` as the whole file, creating its folders on the way. False
// when the file could not be written completely.
bool WriteFileBytes(const std::wstring& path, const std::string& bytes);

// Creates `path` and each missing folder above it.
void CreateFolders(const std::wstring& path);
// Removes the file or the folder with everything in it, read-only files too.
void RemoveTree(const std::wstring& path);
// Removes what is in `folder`, keeping the folder.
void EmptyFolder(const std::wstring& folder);

bool Exists(const std::wstring& path);
bool IsFolder(const std::wstring& path);
// Names in a folder (no "." and ".."), sorted.
std::vector<std::wstring> FolderNames(const std::wstring& folder);

}  // namespace test_support
