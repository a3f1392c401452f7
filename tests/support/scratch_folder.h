// Folders a test works in and leaves nothing behind in: a fresh folder
// under the temporary folder, removed with its content when the test ends,
// and a working folder that is put back as it was.
#pragma once

#include <string>

namespace test_support {

class ScratchFolder {
 public:
  // A new, empty folder under the temporary folder (long path names, since
  // tests compare the paths the program logs).
  ScratchFolder();
  const std::wstring& path() const { return path_; }
  std::wstring operator/(const std::wstring& name) const { return path_ + L"\\" + name; }
  ~ScratchFolder();

 private:
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  std::wstring path_;
};

// Makes `folder` the working folder while the object lives; the program
// writes setup.log into the working folder.
class WorkingFolder {
 public:
  explicit WorkingFolder(const std::wstring& folder);
  // False when the folder could not be entered.
  bool entered() const { return entered_; }
  ~WorkingFolder();

 private:
  WorkingFolder(const WorkingFolder&) = delete;
  WorkingFolder& operator=(const WorkingFolder&) = delete;

  std::wstring previous_;
  bool entered_ = false;
};

}  // namespace test_support
