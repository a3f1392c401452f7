#include "net_test_support.h"

#include <gtest/gtest.h>
#include <wincrypt.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <random>
#include <thread>

namespace net_test {
namespace {

std::string EnvOrEmpty(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

// Wine maps the Linux root to drive Z:.
std::wstring FromUnixPath(const std::string& path) {
  std::wstring windows = L"Z:" + Widen(path);
  for (wchar_t& c : windows) {
    if (c == L'/') c = L'\\';
  }
  return windows;
}

void CreateDirectories(const std::wstring& path) {
  for (size_t at = path.find(L'\\', 3); at != std::wstring::npos; at = path.find(L'\\', at + 1)) {
    ::CreateDirectoryW(path.substr(0, at).c_str(), nullptr);
  }
  ::CreateDirectoryW(path.c_str(), nullptr);
}

void EmptyDirectory(const std::wstring& path) {
  WIN32_FIND_DATAW found;
  HANDLE search = ::FindFirstFileW((path + L"\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    std::wstring name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    std::wstring full = path + L"\\" + name;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      EmptyDirectory(full);
      ::RemoveDirectoryW(full.c_str());
    } else {
      ::SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
      ::DeleteFileW(full.c_str());
    }
  } while (::FindNextFileW(search, &found));
  ::FindClose(search);
}

}  // namespace

std::string Narrow(const std::wstring& text) {
  if (text.empty()) return {};
  int length = ::WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), nullptr,
                                     0, nullptr, nullptr);
  std::string narrow(length, '\0');
  ::WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), narrow.data(), length,
                        nullptr, nullptr);
  return narrow;
}

std::wstring Widen(const std::string& text) {
  if (text.empty()) return {};
  int length = ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(length, L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), wide.data(), length);
  return wide;
}

int ServicePort(const char* variable) {
  int port = std::atoi(EnvOrEmpty(variable).c_str());
  if (port <= 0) ADD_FAILURE() << variable << " is not set; run the tests through tools/test";
  return port;
}

int ProxyPort() { return ServicePort("ORVANE_PROXY_PORT"); }

int ClosedPort() { return ServicePort("ORVANE_CLOSED_PORT"); }

std::wstring ServiceDir() {
  std::string dir = EnvOrEmpty("ORVANE_SERVICE_DIR");
  if (dir.empty()) ADD_FAILURE() << "ORVANE_SERVICE_DIR is not set; run the tests through tools/test";
  return FromUnixPath(dir);
}

std::wstring StorageDir() { return ServiceDir() + L"\\storage"; }

std::string RandomBytes(size_t size, unsigned seed) {
  std::mt19937 generator(seed);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(generator() & 0xff);
  return bytes;
}

bool WriteBinary(const std::wstring& path, const std::string& bytes) {
  FILE* file = ::_wfopen(path.c_str(), L"wb");
  if (!file) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && ok;
}

std::string ReadBinary(const std::wstring& path) {
  std::string bytes;
  FILE* file = ::_wfopen(path.c_str(), L"rb");
  if (!file) return bytes;
  char buffer[65536];
  size_t read;
  while ((read = std::fread(buffer, 1, sizeof(buffer), file)) > 0) bytes.append(buffer, read);
  std::fclose(file);
  return bytes;
}

std::string Sha256(const std::string& bytes) {
  HCRYPTPROV provider = 0;
  HCRYPTHASH hash = 0;
  std::string hex;
  if (!::CryptAcquireContextW(&provider, nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT)) return hex;
  if (::CryptCreateHash(provider, CALG_SHA_256, 0, 0, &hash)) {
    ::CryptHashData(hash, reinterpret_cast<const BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()), 0);
    BYTE digest[32];
    DWORD length = sizeof(digest);
    if (::CryptGetHashParam(hash, HP_HASHVAL, digest, &length, 0)) {
      char two[3];
      for (DWORD i = 0; i < length; ++i) {
        std::snprintf(two, sizeof(two), "%02x", digest[i]);
        hex += two;
      }
    }
    ::CryptDestroyHash(hash);
  }
  ::CryptReleaseContext(provider, 0);
  return hex;
}

std::string PutInStorage(const std::string& name, const std::string& bytes) {
  std::wstring dir = StorageDir() + L"\\t";
  CreateDirectories(dir);
  EXPECT_TRUE(WriteBinary(dir + L"\\" + Widen(name), bytes)) << "could not place " << name << " in the storage";
  return "/t/" + name;
}

std::wstring StorageFilePath(const std::string& path) {
  std::wstring file = StorageDir() + Widen(path);
  for (wchar_t& c : file) {
    if (c == L'/') c = L'\\';
  }
  return file;
}

ScopedWorkDir::ScopedWorkDir(const std::string& name) {
  wchar_t current[MAX_PATH];
  ::GetCurrentDirectoryW(MAX_PATH, current);
  previous_ = current;
  std::string binary = EnvOrEmpty("ORVANE_BINARY_DIR");
  path_ = binary.empty() ? previous_ + L"\\net-work\\" + Widen(name)
                         : FromUnixPath(binary) + L"\\net-work\\" + Widen(name);
  CreateDirectories(path_);
  EmptyDirectory(path_);
  ::SetCurrentDirectoryW(path_.c_str());
}

ScopedWorkDir::~ScopedWorkDir() { ::SetCurrentDirectoryW(previous_.c_str()); }

std::vector<std::string> ScopedWorkDir::LogLines() const {
  // A record is CR LF "[" timestamp "] " message CR CR LF.
  std::string log = ReadBinary(File(L"setup.log"));
  std::vector<std::string> lines;
  size_t at = 0;
  while ((at = log.find("\r\n[", at)) != std::string::npos) {
    size_t start = log.find("] ", at);
    size_t end = log.find("\r\r\n", start);
    if (start == std::string::npos || end == std::string::npos) break;
    lines.push_back(log.substr(start + 2, end - start - 2));
    at = end + 3;
  }
  return lines;
}

void RunWithReaper(int seconds, const char* sentence, const std::function<void()>& work,
                   const std::function<void()>& onTimeout) {
  std::packaged_task<void()> task(work);
  std::future<void> done = task.get_future();
  std::thread worker(std::move(task));
  if (done.wait_for(std::chrono::seconds(seconds)) != std::future_status::ready) {
    std::fprintf(stderr, "REAPER: %s (still running after %d s)\n", sentence, seconds);
    std::fflush(stderr);
    if (onTimeout) onTimeout();
    ::ExitProcess(3);
  }
  worker.join();
  done.get();
}

}  // namespace net_test
