// Starting the UI framework over resources a test program writes itself:
// the fonts, colours and classes of a global.xml and the strings of a
// language file, as the installer's resource folder would hold them.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace test_support {

struct FrameworkFiles {
  // The resource root, Windows form, ending in a backslash.
  std::wstring root;
  // Under the root: the folder of the skins (the resource path) and of the
  // language file, as the installer passes "themes\default" and "lang\zh_CN".
  std::wstring theme_folder;
  std::wstring language_folder = L"lang";
  // A global.xml of the test sources, relative to the source folder (e.g.
  // "tests\\window\\global.xml"), copied into the skin folder unless empty.
  std::wstring global_xml;
  // Written as gdstrings.ini in the language folder, unless empty.
  std::string language_strings;
};

// Writes the files and starts the framework over them (without DPI
// adaptation); a failure says which step failed.
testing::AssertionResult StartFramework(const FrameworkFiles& files);

// Starts the framework over `files` once, before the first test of the
// program, then runs `then` (GDI+ runs by then). Returns true, for use as
// the initialiser of a namespace-scope constant.
bool StartFrameworkBeforeTests(FrameworkFiles files, std::function<void()> then = {});

// Writes `bytes` as the skin file `relative_path` under the running
// framework's resource path (on disk, not in an archive), creating folders.
// False when it cannot be written.
bool WriteSkinFile(const std::wstring& relative_path, const std::string& bytes);

}  // namespace test_support
