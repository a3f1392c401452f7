// Where the resources tests find the fixture the build made.
#pragma once

#include <windows.h>

#include <string>

namespace resources_test {

// The fixture folder the build made next to the test program
// (<build>/tests/resources_fixture).
inline std::wstring FixtureDir() {
  wchar_t module[MAX_PATH];
  const DWORD length = ::GetModuleFileNameW(nullptr, module, MAX_PATH);
  std::wstring path(module, length);
  path.erase(path.find_last_of(L"\\/") + 1);
  return path + L"resources_fixture";
}

}  // namespace resources_test
