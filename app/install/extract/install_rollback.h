// What an extraction changes in the install folder, kept so that a failed
// install leaves the folder as it was: the files it replaces are moved aside
// (renames on the folder's own volume, so no byte is copied; a running
// program's file can be renamed, though not deleted) and restored, and the
// files and folders it adds are removed again.
//
// The changes are written to a journal inside the install folder before
// each is made. A journal that is still there when the next install starts
// belongs to an install that never finished (the process was ended or
// crashed half-way); that install is rolled back first, so a crash leaves
// the next run no worse off than the failure it would have been.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>

#include "base/unique_any.h"

namespace app {

class InstallRollback {
 public:
  // Names relative to the install folder are the archive's entry names
  // ("/" and "\" both separate); the journal refuses anything else.
  explicit InstallRollback(std::wstring folder);
  // Rolls back unless committed.
  ~InstallRollback();
  InstallRollback(const InstallRollback&) = delete;
  InstallRollback& operator=(const InstallRollback&) = delete;

  // The folder that holds the journal and the moved-aside files, a
  // component no entry may use.
  static bool IsReservedName(const std::wstring& relative_name);

  // Rolls back what an unfinished earlier install left in the folder and
  // clears what a finished one could not remove. False when that roll-back
  // could not be completed; nothing else may be changed then.
  bool RecoverEarlierInstall();

  // Starts the journal; `created_folder` says the install folder itself was
  // made by this install (a roll-back removes it again). False when the
  // journal cannot be written.
  bool Start(bool created_folder);

  // True when the folder `relative_name` is there. A folder this
  // extraction has seen or made is not asked of the file system again.
  bool FolderExists(const std::wstring& relative_name);
  // To be called before the folder `relative_name` is created; nothing to
  // do when it is there already. False when it cannot be recorded.
  bool WillCreateFolder(const std::wstring& relative_name);
  // To be called before the file `relative_name` is written: an existing
  // file is moved aside, a new one is recorded for removal. False when the
  // existing file cannot be moved (held open by another program).
  bool WillWriteFile(const std::wstring& relative_name);

  // The install succeeded: the journal goes first (after that nothing rolls
  // back), then every moved-aside file. A file that cannot be deleted yet is
  // left for the next install and the next restart of the system. False
  // when the journal itself cannot be removed; the changes are rolled back.
  bool Commit();
  // Undoes every recorded change, newest first. False when something could
  // not be undone; the journal then stays for the next install to finish.
  bool RollBack();

 private:
  // Orders names as the file system matches them, ignoring letter case.
  struct IgnoringCaseLess {
    bool operator()(const std::wstring& a, const std::wstring& b) const;
  };

  std::wstring Full(const std::wstring& relative_name) const;
  bool Record(wchar_t kind, const std::wstring& backup, const std::wstring& relative_name);
  // True when nothing can be at `relative_name` yet: its folder was made by
  // this install, and no name this install made there can mean the same file.
  bool CannotExistYet(const std::wstring& relative_name) const;

  const std::wstring folder_;
  const std::wstring backup_folder_;
  const std::wstring journal_path_;
  base::unique_hfile journal_;
  uint64_t next_backup_ = 0;
  // Folders known to exist, by their exact name (every separator a
  // backslash), so that a name found here is always that folder: true for
  // those this install made (so everything in them is its own), false for
  // those that were there. "" is the install folder.
  std::map<std::wstring, bool> known_folders_;
  // The files and folders this install made, for CannotExistYet.
  std::set<std::wstring, IgnoringCaseLess> made_names_;
  bool open_ = false;  // True from Start until Commit or RollBack.
};

}  // namespace app
