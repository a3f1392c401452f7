// Shared helpers of the install tests: temporary folders, the setup log of
// the working directory, host (Linux) tools run from inside Wine, and copies
// of the stand-in client.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

namespace install_test {

std::wstring Widen(const std::string& ansi);   // from the ANSI code page
std::string Narrow(const std::wstring& wide);  // to the ANSI code page

// The host's name for a Windows path, and the Windows name of a host path.
std::string UnixPath(const std::wstring& windows_path);
std::wstring WindowsPath(const std::string& unix_path);

// Windows paths of the source and build folders the test was given.
std::wstring SourceDir();
std::wstring BinaryDir();
// The build's stand-in client (version 4.3.21.7).
std::wstring ClientExe();

// A fresh folder under the temporary folder, removed with its content.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::wstring& path() const { return path_; }
  std::wstring operator/(const std::wstring& name) const { return path_ + L"\\" + name; }

 private:
  std::wstring path_;
};

void RemoveTree(const std::wstring& path);
bool Exists(const std::wstring& path);
bool IsFolder(const std::wstring& path);
std::string ReadFileBytes(const std::wstring& path);
void WriteFileBytes(const std::wstring& path, const std::string& bytes);
// Names in a folder (no "." and ".."), sorted.
std::vector<std::wstring> FolderNames(const std::wstring& folder);

// Runs `command` with the host's /bin/sh and waits for it (Wine gives no
// handle to a host process, so the shell leaves its exit code in a file).
// Fails the test with the command's output when it does not exit with 0.
testing::AssertionResult RunOnHost(const std::string& command);

// Messages of the records in "setup.log" of the working directory, in
// order, line feeds restored (a message's "\n" is "\r\n" in the file).
std::vector<std::wstring> SetupLogMessages();

// Makes each test run in a temporary working folder, so setup.log holds
// only that test's records.
class WorkingFolderTest : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  std::vector<std::wstring> Log() const { return SetupLogMessages(); }
  TempFolder temp_;

 private:
  std::wstring previous_;
};

// A started program, ended when this goes away.
class RunningProgram {
 public:
  explicit RunningProgram(const std::wstring& exe, int seconds = 60);
  ~RunningProgram();
  RunningProgram(const RunningProgram&) = delete;
  RunningProgram& operator=(const RunningProgram&) = delete;
  bool started() const { return process_ != nullptr; }
  DWORD pid() const { return pid_; }
  // True when the program ends within `milliseconds`.
  bool Ended(DWORD milliseconds) const;

 private:
  HANDLE process_ = nullptr;
  DWORD pid_ = 0;
};

// A copy of the stand-in client at `path` (its folders created).
void CopyClientTo(const std::wstring& path);

}  // namespace install_test
