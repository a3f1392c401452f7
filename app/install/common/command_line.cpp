#include "app/install/common/command_line.h"

#include <windows.h>
#include <shellapi.h>

#include <memory>
#include <string_view>
#include <utility>

#include "app/install/common/product_folder.h"

namespace app {
namespace {

constexpr std::wstring_view kFolderSwitch = L"--folder=";

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// "C:\..." or "\\server\share...": a relative path, or "C:" alone, would
// depend on the working folder the deployment tool happens to use.
bool IsAbsolute(const std::wstring& path) {
  if (path.size() >= 3 && path[1] == L':' && IsSeparator(path[2])) {
    wchar_t drive = path[0] | 0x20;
    return drive >= L'a' && drive <= L'z';
  }
  return path.size() > 2 && IsSeparator(path[0]) && IsSeparator(path[1]) && !IsSeparator(path[2]);
}

// "D:\Apps\" names the same folder as "D:\Apps"; a drive root keeps its separator.
std::wstring WithoutTrailingSeparators(std::wstring path) {
  while (path.size() > 3 && IsSeparator(path.back())) path.pop_back();
  return path;
}

struct LocalFreeDeleter {
  void operator()(wchar_t** arguments) const { ::LocalFree(arguments); }
};

}  // namespace

CommandLineOptions ParseCommandLine(const std::wstring& command_line) {
  CommandLineOptions options;
  int count = 0;
  std::unique_ptr<wchar_t*, LocalFreeDeleter> arguments(::CommandLineToArgvW(command_line.c_str(), &count));
  if (!arguments) {
    options.error = L"the command line does not split into arguments";
    return options;
  }
  // Every argument is read, so "--silent" counts wherever it stands; the
  // first problem is the one reported.
  auto refuse = [&options](std::wstring why) {
    if (options.error.empty()) options.error = std::move(why);
  };
  bool folder_given = false;
  for (int i = 1; i < count; ++i) {
    const std::wstring argument = arguments.get()[i];
    if (argument.rfind(L"--", 0) != 0) continue;
    if (argument == L"--silent") {
      options.silent = true;
    } else if (argument == L"--test") {
      // Read by the package choice.
    } else if (argument.rfind(kFolderSwitch, 0) == 0) {
      std::wstring path = argument.substr(kFolderSwitch.size());
      if (folder_given) {
        refuse(L"--folder= given twice");
      } else if (path.empty()) {
        refuse(L"--folder= names no folder");
      } else if (!IsAbsolute(path)) {
        refuse(L"--folder= is not an absolute path: " + path);
      } else {
        options.folder = ProductFolderFor(WithoutTrailingSeparators(path));
      }
      folder_given = true;
    } else {
      refuse(L"unknown switch " + argument);
    }
  }
  if (!options.error.empty()) options.folder.clear();
  return options;
}

void RefuseMissingFolder(CommandLineOptions& options) {
  if (options.folder.empty()) return;
  const size_t separator = options.folder.find_last_of(L"\\/");
  std::wstring parent = options.folder.substr(0, separator == std::wstring::npos ? 0 : separator);
  // "C:" alone is the drive's current folder, not its root.
  if (parent.size() == 2 && parent[1] == L':') parent += L'\\';
  const DWORD attributes = ::GetFileAttributesW(parent.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return;
  if (options.error.empty()) options.error = L"--folder= names a folder that does not exist: " + parent;
  options.folder.clear();
}

const CommandLineOptions& ProcessCommandLine() {
  static const CommandLineOptions options = [] {
    CommandLineOptions read = ParseCommandLine(::GetCommandLineW());
    RefuseMissingFolder(read);
    return read;
  }();
  return options;
}

}  // namespace app
