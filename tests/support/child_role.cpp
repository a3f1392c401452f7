#include "support/child_role.h"

#include <map>

namespace test_support {
namespace {

constexpr wchar_t kRoleArgument[] = L"--orvane-child-role=";

std::map<std::wstring, ChildRole>& Roles() {
  static std::map<std::wstring, ChildRole> roles;
  return roles;
}

}  // namespace

bool RegisterChildRole(const wchar_t* name, ChildRole role) {
  Roles()[name] = role;
  return true;
}

bool RunChildRoleIfAsked(int argc, wchar_t** argv, int* exit_code) {
  const std::wstring prefix = kRoleArgument;
  for (int i = 1; i < argc; ++i) {
    const std::wstring argument = argv[i];
    if (argument.rfind(prefix, 0) != 0) continue;
    auto role = Roles().find(argument.substr(prefix.size()));
    // An unknown role is a broken test program: fail loudly, run no tests.
    *exit_code = role == Roles().end() ? 3 : role->second();
    return true;
  }
  return false;
}

HANDLE StartChildRole(const wchar_t* name) {
  wchar_t self[MAX_PATH] = {};
  if (!::GetModuleFileNameW(nullptr, self, MAX_PATH)) return nullptr;
  std::wstring command = L"\"" + std::wstring(self) + L"\" " + kRoleArgument + name;
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &startup, &process)) {
    return nullptr;
  }
  ::CloseHandle(process.hThread);
  return process.hProcess;
}

}  // namespace test_support
