#include "app/install/register/registration.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "base/com_ptr.h"
#include "base/unique_any.h"
#include "install/support/install_test_support.h"

namespace {

using install_test::CopyClientTo;
using install_test::ToAnsi;

constexpr wchar_t kLocationKey[] = L"Software\\OrvaneCloud";
constexpr wchar_t kUninstallKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Orvane";
constexpr wchar_t kUninstallKey32[] =
    L"SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Orvane";
constexpr wchar_t kDefaultFolder[] = L"C:\\Program Files (x86)\\orvanecloud";
constexpr wchar_t kDesktopLink[] = L"C:\\users\\Public\\Desktop\\Orvane.lnk";
constexpr wchar_t kStartMenuLink[] = L"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Orvane.lnk";

struct RegistryValue {
  DWORD type = 0;
  std::string bytes;
};

// The raw type and bytes of a value; false when it is missing.
bool ReadValue(HKEY root, const wchar_t* key_path, const wchar_t* name, RegistryValue& value,
               REGSAM view = 0) {
  base::unique_hkey key;
  if (::RegOpenKeyExW(root, key_path, 0, KEY_READ | view, key.put()) != ERROR_SUCCESS) return false;
  DWORD size = 0;
  if (::RegQueryValueExW(key.get(), name, nullptr, &value.type, nullptr, &size) != ERROR_SUCCESS) return false;
  value.bytes.assign(size, '\0');
  return ::RegQueryValueExW(key.get(), name, nullptr, nullptr, reinterpret_cast<BYTE*>(value.bytes.data()),
                            &size) == ERROR_SUCCESS;
}

// UTF-16 bytes of `text`, with its NUL when asked.
std::string Utf16(const std::wstring& text, bool with_nul) {
  std::string bytes(reinterpret_cast<const char*>(text.c_str()), text.size() * 2);
  if (with_nul) bytes.append(2, '\0');
  return bytes;
}

// Puts a registry key (values only, no sub-keys) back the way it was.
class KeyRestorer {
 public:
  KeyRestorer(HKEY root, const wchar_t* path, REGSAM view) : root_(root), path_(path), view_(view) {
    base::unique_hkey key;
    existed_ = ::RegOpenKeyExW(root, path, 0, KEY_READ | view, key.put()) == ERROR_SUCCESS;
    if (!existed_) return;
    for (DWORD index = 0;; ++index) {
      wchar_t name[256];
      DWORD name_length = 256, type = 0, size = 0;
      if (::RegEnumValueW(key.get(), index, name, &name_length, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        break;
      RegistryValue value;
      value.type = type;
      value.bytes.assign(size, '\0');
      ::RegQueryValueExW(key.get(), name, nullptr, nullptr, reinterpret_cast<BYTE*>(value.bytes.data()), &size);
      values_.push_back({name, value});
    }
  }
  ~KeyRestorer() {
    ::RegDeleteKeyExW(root_, path_, view_, 0);
    if (!existed_) return;
    base::unique_hkey key;
    if (::RegCreateKeyExW(root_, path_, 0, nullptr, 0, KEY_WRITE | view_, nullptr, key.put(), nullptr) !=
        ERROR_SUCCESS)
      return;
    for (const auto& [name, value] : values_) {
      ::RegSetValueExW(key.get(), name.c_str(), 0, value.type, reinterpret_cast<const BYTE*>(value.bytes.data()),
                       static_cast<DWORD>(value.bytes.size()));
    }
  }

 private:
  HKEY root_;
  const wchar_t* path_;
  REGSAM view_;
  bool existed_ = false;
  std::vector<std::pair<std::wstring, RegistryValue>> values_;
};

// Puts a file back the way it was (or removes it).
class FileRestorer {
 public:
  explicit FileRestorer(std::wstring path) : path_(std::move(path)) {
    existed_ = install_test::Exists(path_);
    if (existed_) bytes_ = install_test::ReadFileBytes(path_);
  }
  ~FileRestorer() {
    if (existed_) {
      install_test::WriteFileBytes(path_, bytes_);
    } else {
      ::DeleteFileW(path_.c_str());
    }
  }

 private:
  std::wstring path_;
  bool existed_;
  std::string bytes_;
};

void StoreLocation(DWORD type, const void* data, DWORD size) {
  base::unique_hkey key;
  ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, kLocationKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.put(),
                              nullptr),
            ERROR_SUCCESS);
  ASSERT_EQ(::RegSetValueExW(key.get(), L"InstallLocation", 0, type, static_cast<const BYTE*>(data), size),
            ERROR_SUCCESS);
}

std::wstring ReadLocation() {
  std::wstring folder;
  app::ReadInstallLocation(folder);
  return folder;
}

// Every test leaves the registry values and shortcuts as it found them.
class RegistrationTest : public install_test::WorkingFolderTest {
 protected:
  KeyRestorer location_{HKEY_CURRENT_USER, kLocationKey, 0};
  KeyRestorer uninstall_{HKEY_LOCAL_MACHINE, kUninstallKey, KEY_WOW64_32KEY};
  FileRestorer desktop_link_{kDesktopLink};
  FileRestorer start_menu_link_{kStartMenuLink};
  base::unique_couninitialize com_;
};

TEST_F(RegistrationTest, InstallLocationIsStoredWithItsTerminatorAndReadBack) {
  app::WriteInstallLocation(L"D:\\Apps\\orvanecloud");
  RegistryValue value;
  ASSERT_TRUE(ReadValue(HKEY_CURRENT_USER, kLocationKey, L"InstallLocation", value));
  EXPECT_EQ(value.type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(value.bytes, Utf16(L"D:\\Apps\\orvanecloud", true));
  EXPECT_EQ(ReadLocation(), L"D:\\Apps\\orvanecloud");
}

TEST_F(RegistrationTest, UnusableStoredLocationFallsBackToProgramFiles) {
  // No key at all.
  ::RegDeleteKeyExW(HKEY_CURRENT_USER, kLocationKey, 0, 0);
  EXPECT_EQ(ReadLocation(), kDefaultFolder);

  // A number instead of a string.
  DWORD number = 42;
  StoreLocation(REG_DWORD, &number, sizeof number);
  EXPECT_EQ(ReadLocation(), kDefaultFolder);

  // An empty string.
  StoreLocation(REG_SZ, L"", sizeof(wchar_t));
  EXPECT_EQ(ReadLocation(), kDefaultFolder);
}

TEST_F(RegistrationTest, StoredStringsAreTakenAsTheyAre) {
  // An expandable value is not expanded.
  const wchar_t expandable[] = L"%ProgramFiles%\\Orvane";
  StoreLocation(REG_EXPAND_SZ, expandable, sizeof expandable);
  EXPECT_EQ(ReadLocation(), expandable);

  // A value written without its NUL still reads as exactly its characters.
  StoreLocation(REG_SZ, L"E:\\Orv", 6 * sizeof(wchar_t));
  EXPECT_EQ(ReadLocation(), L"E:\\Orv");
}

TEST_F(RegistrationTest, UninstallEntryHasFiveExactValuesInThe32BitView) {
  std::wstring folder = temp_ / L"orvanecloud";
  CopyClientTo(folder + L"\\Orvane.exe");
  app::WriteUninstallEntry(folder);

  struct Expected {
    const wchar_t* name;
    std::string bytes;
  };
  const Expected expected[] = {
      {L"DisplayIcon", Utf16(folder + L"\\Orvane.exe", false)},
      {L"DisplayName", Utf16(L"Orvane", true)},
      {L"Publisher", Utf16(L"Tessaline Technology Co., Ltd.", true)},
      {L"DisplayVersion", Utf16(L"4.3.21.7", false)},
      {L"UninstallString", Utf16(folder + L"\\Uninstall Orvane.exe", false)},
  };
  for (const Expected& e : expected) {
    RegistryValue value;
    ASSERT_TRUE(ReadValue(HKEY_LOCAL_MACHINE, kUninstallKey, e.name, value, KEY_WOW64_32KEY)) << ToAnsi(e.name);
    EXPECT_EQ(value.type, static_cast<DWORD>(REG_SZ)) << ToAnsi(e.name);
    EXPECT_EQ(value.bytes, e.bytes) << ToAnsi(e.name);
  }

  base::unique_hkey key;
  ASSERT_EQ(::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_READ | KEY_WOW64_32KEY, key.put()),
            ERROR_SUCCESS);
  DWORD values = 0;
  ::RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr,
                     nullptr, nullptr);
  EXPECT_EQ(values, 5u) << "no other values are written";

  // On a 64-bit system the 32-bit view is the Wow6432Node branch of the
  // native one; the native key of that name stays untouched.
  base::unique_hkey native;
  EXPECT_EQ(::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kUninstallKey32, 0, KEY_READ | KEY_WOW64_64KEY, native.put()),
            ERROR_SUCCESS);
  base::unique_hkey plain;
  EXPECT_EQ(::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_READ | KEY_WOW64_64KEY, plain.put()),
            ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistrationTest, MissingClientGivesAnEmptyVersionAndPathsAreJoinedAsGiven) {
  // A folder ending in a separator doubles it in the paths.
  std::wstring folder = temp_.path() + L"\\";
  app::WriteUninstallEntry(folder);
  RegistryValue version;
  ASSERT_TRUE(ReadValue(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayVersion", version, KEY_WOW64_32KEY));
  EXPECT_EQ(version.type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(version.bytes.size(), 0u);
  RegistryValue icon;
  ASSERT_TRUE(ReadValue(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayIcon", icon, KEY_WOW64_32KEY));
  EXPECT_EQ(icon.bytes, Utf16(temp_.path() + L"\\\\Orvane.exe", false));
}

TEST_F(RegistrationTest, FileVersionComesFromTheVersionResource) {
  std::wstring version = L"untouched";
  ASSERT_TRUE(app::GetFileVersionString(install_test::ClientExe(), version));
  EXPECT_EQ(version, L"4.3.21.7");

  // A file without version information, and no file at all.
  std::wstring text_file = temp_ / L"notes.txt";
  install_test::WriteFileBytes(text_file, "no version here");
  version = L"untouched";
  EXPECT_FALSE(app::GetFileVersionString(text_file, version));
  EXPECT_FALSE(app::GetFileVersionString(temp_ / L"missing.exe", version));
  EXPECT_EQ(version, L"untouched");
}

struct LinkContents {
  std::wstring target, description, working_directory, arguments;
};

testing::AssertionResult LoadLink(const std::wstring& path, LinkContents& contents) {
  base::com_ptr<IShellLinkW> link;
  HRESULT hr = ::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.put_void());
  if (FAILED(hr)) return testing::AssertionFailure() << "no shell link object: " << hr;
  base::com_ptr<IPersistFile> file;
  if (FAILED(link.QueryTo(file)) || FAILED(file->Load(path.c_str(), STGM_READ)))
    return testing::AssertionFailure() << "the link does not load: " << ToAnsi(path);
  wchar_t buffer[MAX_PATH];
  buffer[0] = 0;
  link->GetPath(buffer, MAX_PATH, nullptr, SLGP_RAWPATH);
  contents.target = buffer;
  buffer[0] = 0;
  link->GetDescription(buffer, MAX_PATH);
  contents.description = buffer;
  buffer[0] = 0;
  link->GetWorkingDirectory(buffer, MAX_PATH);
  contents.working_directory = buffer;
  buffer[0] = 0;
  link->GetArguments(buffer, MAX_PATH);
  contents.arguments = buffer;
  return testing::AssertionSuccess();
}

TEST_F(RegistrationTest, RegistrationWritesBothShortcutsTheLocationAndTheEntry) {
  ASSERT_TRUE(SUCCEEDED(com_.result()));
  std::wstring folder = temp_ / L"orvanecloud";
  CopyClientTo(folder + L"\\Orvane.exe");
  EXPECT_TRUE(app::RegisterInstallation(folder)) << "a complete registration reported a failure";

  std::vector<std::wstring> expected_log = {L"success\xFF1A" L"Add shortcut to desktop",
                                            L"success\xFF1A" L"Add shortcut to start menu"};
  EXPECT_EQ(Log(), expected_log);
  for (const wchar_t* path : {kDesktopLink, kStartMenuLink}) {
    LinkContents link;
    ASSERT_TRUE(LoadLink(path, link));
    EXPECT_EQ(link.target, folder + L"\\Orvane.exe") << ToAnsi(path);
    EXPECT_EQ(link.description, L"Orvane") << ToAnsi(path);
    EXPECT_EQ(link.working_directory, L"") << ToAnsi(path);
    EXPECT_EQ(link.arguments, L"") << ToAnsi(path);
  }
  EXPECT_EQ(ReadLocation(), folder);
  RegistryValue name;
  EXPECT_TRUE(ReadValue(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayName", name, KEY_WOW64_32KEY));
}

TEST_F(RegistrationTest, AMachineKeyThatCannotBeCreatedLeavesTheRestRegistered) {
  ASSERT_TRUE(SUCCEEDED(com_.result()));
  std::wstring folder = temp_ / L"orvanecloud";
  CopyClientTo(folder + L"\\Orvane.exe");
  {
    // HKLM stands for a volatile key while the registration runs: the
    // uninstall key, not volatile, cannot be created under it.
    constexpr wchar_t kVolatile[] = L"Software\\OrvaneTestVolatileMachine";
    base::unique_hkey volatile_key;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, kVolatile, 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS,
                                nullptr, volatile_key.put(), nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(::RegOverridePredefKey(HKEY_LOCAL_MACHINE, volatile_key.get()), ERROR_SUCCESS);
    base::unique_hkey probe;
    const LSTATUS created = ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, kUninstallKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                              KEY_WRITE | KEY_WOW64_32KEY, nullptr, probe.put(), nullptr);
    EXPECT_NE(ERROR_SUCCESS, created) << "the stand-in machine key took the uninstall key after all";
    EXPECT_FALSE(app::RegisterInstallation(folder)) << "a registration without its uninstall entry reported success";
    ::RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kVolatile);
  }
  EXPECT_EQ(Log(), (std::vector<std::wstring>{L"success\xFF1A" L"Add shortcut to desktop",
                                              L"success\xFF1A" L"Add shortcut to start menu"}));
  EXPECT_EQ(ReadLocation(), folder) << "the user's install location was not written";
  RegistryValue name;
  EXPECT_FALSE(ReadValue(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayName", name, KEY_WOW64_32KEY))
      << "an uninstall entry appeared although its key could not be made";
}

TEST_F(RegistrationTest, ShortcutIsReplacedAndFailsInAMissingFolder) {
  ASSERT_TRUE(SUCCEEDED(com_.result()));
  std::wstring link_path = temp_ / L"Orvane.lnk";
  ASSERT_TRUE(app::CreateShortcut(L"C:\\first\\Orvane.exe", link_path));
  ASSERT_TRUE(app::CreateShortcut(L"C:\\second\\Orvane.exe", link_path));
  LinkContents link;
  ASSERT_TRUE(LoadLink(link_path, link));
  EXPECT_EQ(link.target, L"C:\\second\\Orvane.exe");

  EXPECT_FALSE(app::CreateShortcut(L"C:\\second\\Orvane.exe", temp_ / L"no\\such\\Orvane.lnk"));
}

}  // namespace
