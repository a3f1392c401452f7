// Helpers the network tests share: the local service's addresses, a fresh
// working folder per test (the setup log lands in the working folder), file
// and hash helpers, and a reaper for calls that must not hang.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/text/ansi_text.h"
#include "app/install/common/progress_sink.h"
#include "support/scratch_folder.h"
#include "support/service.h"

namespace net_test {

using test_support::ServiceDir;
using test_support::ServicePort;
// The proxy that answers 407 to everything (ORVANE_PROXY_PORT).
int ProxyPort();
// A loopback port where nothing listens (ORVANE_CLOSED_PORT, kept free by
// tools/service).
int ClosedPort();

// The service's served storage, Windows form.
std::wstring StorageDir();

std::string RandomBytes(size_t size, unsigned seed);
// Hex SHA-256 by the system's provider: an answer independent of base::Sha256.
// Fails the test when the provider fails.
std::string Sha256(const std::string& bytes);

// Places `bytes` in the storage as t/<name> and answers that path ("/t/<name>").
std::string PutInStorage(const std::string& name, const std::string& bytes);
// The file behind a storage path such as "/t/<name>".
std::wstring StorageFilePath(const std::string& path);

// A fresh, empty folder under the build folder that is the working folder
// while the object lives. It stays behind, so the last run's downloads and
// setup.log can be looked at.
class ScopedWorkDir {
 public:
  explicit ScopedWorkDir(const std::string& name);
  ScopedWorkDir(const ScopedWorkDir&) = delete;
  ScopedWorkDir& operator=(const ScopedWorkDir&) = delete;

  const std::wstring& path() const { return path_; }
  std::wstring File(const std::wstring& name) const { return path_ + L"\\" + name; }
  // The messages of setup.log in this folder, one per record, as written.
  std::vector<std::string> LogLines() const;

 private:
  std::wstring path_;
  std::unique_ptr<test_support::WorkingFolder> working_;
};

class RecordingSink : public app::ProgressSink {
 public:
  void Report(double percent) override { reports.push_back(percent); }
  std::vector<double> reports;
};

// Takes WinHTTP's default proxy away. The setting lives in the prefix's
// registry, not in the process, so a run that ended inside a proxy test
// before it could put the setting back would leave it for every later test.
void ClearDefaultProxy();
// Registered by the test programs that use WinHTTP, so that each starts without one.
class NoDefaultProxy : public ::testing::Environment {
 public:
  void SetUp() override { ClearDefaultProxy(); }
};

// Runs `work` on its own thread; if it has not returned after `seconds`,
// prints `sentence` and ends the test process with a failure, since a stuck
// call cannot be abandoned any other way. `onTimeout` runs first, to put back
// what the test changed outside the process.
void RunWithReaper(int seconds, const char* sentence, const std::function<void()>& work,
                   const std::function<void()>& onTimeout = {});

}  // namespace net_test
