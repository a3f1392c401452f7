#include "support/net_test_support.h"

#include <gtest/gtest.h>
#include <wincrypt.h>
#include <winhttp.h>

#include <chrono>
#include <cstdio>
#include <future>
#include <random>
#include <thread>

#include "support/files.h"
#include "support/paths.h"
#include "support/setup_log_reader.h"

namespace net_test {
int ProxyPort() { return ServicePort("ORVANE_PROXY_PORT"); }

int ClosedPort() { return ServicePort("ORVANE_CLOSED_PORT"); }

void ClearDefaultProxy() {
  WINHTTP_PROXY_INFO none{};
  none.dwAccessType = WINHTTP_ACCESS_TYPE_NO_PROXY;
  ::WinHttpSetDefaultProxyConfiguration(&none);
}

std::wstring StorageDir() { return ServiceDir() + L"\\storage"; }

std::string RandomBytes(size_t size, unsigned seed) {
  std::mt19937 generator(seed);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(generator() & 0xff);
  return bytes;
}

std::string Sha256(const std::string& bytes) {
  HCRYPTPROV provider = 0;
  HCRYPTHASH hash = 0;
  BYTE digest[32];
  DWORD length = sizeof(digest);
  const char* failed = nullptr;
  if (!::CryptAcquireContextW(&provider, nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT)) {
    failed = "CryptAcquireContextW";
  } else if (!::CryptCreateHash(provider, CALG_SHA_256, 0, 0, &hash)) {
    failed = "CryptCreateHash";
  } else if (!::CryptHashData(hash, reinterpret_cast<const BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()), 0)) {
    failed = "CryptHashData";
  } else if (!::CryptGetHashParam(hash, HP_HASHVAL, digest, &length, 0) || length != sizeof(digest)) {
    failed = "CryptGetHashParam";
  }
  const DWORD error = ::GetLastError();
  if (hash) ::CryptDestroyHash(hash);
  if (provider) ::CryptReleaseContext(provider, 0);
  // An oracle that failed quietly would make two failures compare equal.
  if (failed) {
    ADD_FAILURE() << "the system's SHA-256 failed in " << failed << ", error " << error;
    return "<no digest>";
  }
  std::string hex;
  char two[3];
  for (BYTE b : digest) {
    std::snprintf(two, sizeof(two), "%02x", b);
    hex += two;
  }
  return hex;
}

std::string PutInStorage(const std::string& name, const std::string& bytes) {
  std::wstring dir = StorageDir() + L"\\t";
  EXPECT_TRUE(test_support::WriteFileBytes(dir + L"\\" + base::FromAnsi(name), bytes)) << "could not place " << name << " in the storage";
  return "/t/" + name;
}

std::wstring StorageFilePath(const std::string& path) {
  std::wstring file = StorageDir() + base::FromAnsi(path);
  for (wchar_t& c : file) {
    if (c == L'/') c = L'\\';
  }
  return file;
}

ScopedWorkDir::ScopedWorkDir(const std::string& name)
    : path_(test_support::BuildFolder() + L"\\net-work\\" + base::FromAnsi(name)) {
  test_support::CreateFolders(path_);
  test_support::EmptyFolder(path_);
  working_ = std::make_unique<test_support::WorkingFolder>(path_);
}

std::vector<std::string> ScopedWorkDir::LogLines() const {
  return test_support::SetupLogRecords(test_support::ReadFileBytes(File(L"setup.log")));
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
