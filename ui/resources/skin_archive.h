// The skin archive: a zip file read in place from memory (normally the
// program's own resource THEME 131), never copied or written to disk.
#pragma once

#include <windows.h>

#include <cstddef>
#include <memory>
#include <string>

#include "base/unique_any.h"

namespace ui {

class SkinArchive {
 public:
  // The bytes must outlive the archive (a module's resources do). Null when
  // the bytes are not a zip archive. An empty password opens unencrypted
  // entries only.
  static std::unique_ptr<SkinArchive> OpenMemory(const void* data, size_t size,
                                                 const std::string& password);
  // Resource `type`/`id` of `module` (null: the program itself).
  static std::unique_ptr<SkinArchive> OpenResource(HMODULE module, const wchar_t* type, int id,
                                                   const std::string& password);

  ~SkinArchive();
  SkinArchive(const SkinArchive&) = delete;
  SkinArchive& operator=(const SkinArchive&) = delete;

  // `name` is an archive name (see GlobalResources::ToArchiveName), matched
  // with ASCII case ignored. A movable, zero-filled global block holding the
  // whole uncompressed entry, or none when the entry is missing, cannot be
  // inflated or fails its checksum. `size` receives the entry's exact size
  // (the block may be larger).
  base::unique_hglobal ReadEntry(const std::wstring& name, size_t* size = nullptr);
  bool HasEntry(const std::wstring& name);

 private:
  struct Impl;
  explicit SkinArchive(std::unique_ptr<Impl> impl);
  bool Locate(const std::wstring& name);

  std::unique_ptr<Impl> impl_;
};

}  // namespace ui
