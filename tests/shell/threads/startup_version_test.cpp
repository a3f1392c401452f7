// The start-up's version query beside the start-up's own work: with the
// worker thread registered, the query runs there while the work runs on the
// calling thread, and the call returns with the package location known. The
// work below waits for the query's last log line, so a query that only
// starts after the work (or on the same thread) fails the test instead of
// passing slowly.
#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "app/shell/threads/misc_thread.h"
#include "app/shell/threads/startup_version.h"
#include "app/shell/threads/thread_ids.h"
#include "base/thread_registry.h"
#include "base/unique_any.h"
#include "support/files.h"

namespace app {
namespace {

// How many times the query's closing line ("downloadURL:") is in setup.log.
size_t QueryEndsLogged() {
  const std::string log = test_support::ReadFileBytes(L"setup.log");
  size_t count = 0;
  for (size_t at = log.find("downloadURL:"); at != std::string::npos; at = log.find("downloadURL:", at + 1)) {
    ++count;
  }
  return count;
}

// The version query and `work` at the same time, as the start-up runs them:
// `work` on the calling thread between starting the query and waiting for it.
std::shared_ptr<KnownPackage> GetNewVersionWhile(const std::function<void()>& work) {
  StartVersionQuery();
  work();
  return WaitForVersionQuery();
}
std::shared_ptr<KnownPackage> GetNewVersionWhile(const std::function<void()>& work, std::chrono::milliseconds limit) {
  StartVersionQuery();
  work();
  return WaitForVersionQuery(limit);
}

// The package URL the query made; empty when it made none.
std::wstring UrlOf(const std::shared_ptr<KnownPackage>& package) {
  return package && *package ? (*package)->downloadUrl : std::wstring();
}

TEST(GetNewVersionWhile, TheQueryRunsOnTheWorkerWhileTheWorkRunsHere) {
  MiscThread worker(kWorkerThreadId);
  ASSERT_TRUE(worker.Start(base::kDefault));
  const size_t before = QueryEndsLogged();
  const DWORD caller = ::GetCurrentThreadId();
  DWORD work_thread = 0;
  bool query_ended_during_work = false;
  const std::shared_ptr<KnownPackage> package = GetNewVersionWhile([&] {
    work_thread = ::GetCurrentThreadId();
    for (int i = 0; i < 600 && !query_ended_during_work; ++i) {
      query_ended_during_work = QueryEndsLogged() > before;
      if (!query_ended_during_work) ::Sleep(50);
    }
  });
  EXPECT_EQ(work_thread, caller);
  EXPECT_TRUE(query_ended_during_work) << "the query did not run beside the work";
  EXPECT_NE(UrlOf(package).find(L"/orvanecloud.zip?name="), std::wstring::npos) << UrlOf(package);
}

TEST(StartVersionQuery, TheQueryEndsWithoutAnyoneWaitingAndIsWaitedForOnce) {
  MiscThread worker(kWorkerThreadId);
  ASSERT_TRUE(worker.Start(base::kDefault));
  const size_t before = QueryEndsLogged();
  StartVersionQuery();
  bool ended = false;
  for (int i = 0; i < 600 && !ended; ++i) {
    ended = QueryEndsLogged() > before;
    if (!ended) ::Sleep(50);
  }
  EXPECT_TRUE(ended) << "the started query did not run until it was waited for";
  const std::shared_ptr<KnownPackage> package = WaitForVersionQuery();
  EXPECT_EQ(QueryEndsLogged(), before + 1) << "waiting asked for the version again";
  EXPECT_NE(UrlOf(package).find(L"/orvanecloud.zip?name="), std::wstring::npos) << UrlOf(package);
}

TEST(GetNewVersionWhile, WithoutAWorkerTheQueryRunsHereAfterTheWork) {
  const size_t before = QueryEndsLogged();
  size_t during_work = 0;
  const std::shared_ptr<KnownPackage> package = GetNewVersionWhile([&] { during_work = QueryEndsLogged(); });
  EXPECT_EQ(during_work, before);
  EXPECT_EQ(QueryEndsLogged(), before + 1);
  EXPECT_NE(UrlOf(package).find(L"/orvanecloud.zip?name="), std::wstring::npos) << UrlOf(package);
}

TEST(GetNewVersionWhile, AQueryThatDoesNotEndInTimeIsNotWaitedFor) {
  // The worker is held busy, so the query cannot even start: the caller
  // stops waiting after its limit and says so, and the query still runs on
  // the worker, before the worker's next task.
  MiscThread worker(kWorkerThreadId);
  ASSERT_TRUE(worker.Start(base::kDefault));
  base::unique_handle gate(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  ASSERT_TRUE(gate.is_valid());
  HANDLE held = gate.get();
  ASSERT_TRUE(base::ThreadRegistry::PostTask(kWorkerThreadId, [held] { ::WaitForSingleObject(held, 60000); }));
  const size_t before = QueryEndsLogged();
  const std::shared_ptr<KnownPackage> package = GetNewVersionWhile([] {}, std::chrono::milliseconds(200));
  EXPECT_EQ(QueryEndsLogged(), before) << "the caller waited for a query that could not run";
  EXPECT_NE(test_support::ReadFileBytes(L"setup.log").find("The version query did not end in time"),
            std::string::npos);

  ::SetEvent(held);
  base::unique_handle ended(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  HANDLE signal = ended.get();
  ASSERT_TRUE(base::ThreadRegistry::PostTask(kWorkerThreadId, [signal] { ::SetEvent(signal); }));
  ASSERT_EQ(::WaitForSingleObject(signal, 60000), WAIT_OBJECT_0) << "the worker never got past the query";
  EXPECT_EQ(QueryEndsLogged(), before + 1) << "the query did not run on the worker before its next task";
  EXPECT_NE(UrlOf(package).find(L"/orvanecloud.zip?name="), std::wstring::npos) << UrlOf(package);
}

}  // namespace
}  // namespace app
