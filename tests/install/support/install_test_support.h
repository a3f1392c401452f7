// Shared helpers of the install tests: the stand-in client and programs
// started from it, and the shared helpers the install tests use by their
// short names (host commands among them).
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "base/text/ansi_text.h"
#include "support/desktop.h"
#include "support/files.h"
#include "support/paths.h"
#include "support/scratch_folder.h"
#include "support/working_folder_test.h"

namespace install_test {

using base::FromAnsi;
using base::ToAnsi;
using test_support::Exists;
using test_support::RunOnHost;
using test_support::FolderNames;
using test_support::IsFolder;
using test_support::ReadFileBytes;
using test_support::ScratchFolder;
using test_support::SourceFolder;
using test_support::UnixPath;
using test_support::WorkingFolderTest;
using test_support::WriteFileBytes;

// The build's stand-in client (version 4.3.21.7).
std::wstring ClientExe();

// A started program, ended when this goes away.
class RunningProgram {
 public:
  // The stand-in client's argument: how many seconds it keeps running.
  explicit RunningProgram(const std::wstring& exe, int seconds = 60);
  RunningProgram(const std::wstring& exe, const std::wstring& arguments);
  ~RunningProgram();
  RunningProgram(const RunningProgram&) = delete;
  RunningProgram& operator=(const RunningProgram&) = delete;
  bool started() const { return process_ != nullptr; }
  DWORD pid() const { return pid_; }
  // True when the program ends within `milliseconds`.
  bool Ended(DWORD milliseconds) const;
  // The exit code once Ended; STILL_ACTIVE before.
  DWORD exit_code() const;

 private:
  HANDLE process_ = nullptr;
  DWORD pid_ = 0;
};

// Everything under `folder`, hidden files included: each file's path
// relative to it with its bytes, each folder's with "<folder>".
std::map<std::wstring, std::string> TreeOf(const std::wstring& folder);

// A copy of the stand-in client at `path` (its folders created).
void CopyClientTo(const std::wstring& path);

}  // namespace install_test
