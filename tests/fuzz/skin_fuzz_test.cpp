// A bounded fuzz campaign of the skin path: generated and mutated skins
// through the real markup reader (from files, as a window reads its skin),
// the builder, a layout pass and one paint. A case passes when nothing
// crashes and it ends within a second; building may succeed or fail with its
// error. The fixed seed and count run in about a minute here;
// ORVANE_FUZZ_CASES=N runs N cases for a longer look, and ORVANE_FUZZ_SEED=S
// starts at seed S, so ORVANE_FUZZ_CASES=1 ORVANE_FUZZ_SEED=<printed seed>
// repeats one case.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <thread>

#include "skin_generator.h"
#include "support/files.h"
#include "support/framework_start.h"
#include "support/offscreen_host.h"
#include "support/paths.h"
#include "support/png_file.h"
#include "support/text.h"
#include "ui/builder/skin_builder.h"
#include "ui/controls/control.h"
#include "ui/resources/global_resources.h"

namespace fuzz_test {
namespace {

constexpr uint32_t kSeed = 20261209;
constexpr int kCases = 1200;
constexpr auto kCaseLimit = std::chrono::seconds(1);
// A case this late never returns: the program ends so the run reports it.
constexpr auto kGiveUp = std::chrono::seconds(20);

uint32_t EnvironmentNumber(const char* name, uint32_t fallback) {
  const std::string text = test_support::Environment(name);
  return text.empty() ? fallback : static_cast<uint32_t>(std::strtoul(text.c_str(), nullptr, 10));
}

// The seed of the case that runs, for the crash report.
volatile LONG g_running_seed = 0;

LONG WINAPI ReportCrash(EXCEPTION_POINTERS* info) {
  std::fprintf(stderr, "skin fuzz: case seed %lu crashed (exception 0x%08lX)\n",
               static_cast<unsigned long>(g_running_seed),
               static_cast<unsigned long>(info->ExceptionRecord->ExceptionCode));
  std::fflush(stderr);
  return EXCEPTION_CONTINUE_SEARCH;
}

// Watches the running case from a thread of its own: a case that hangs
// would otherwise keep the campaign from ever reporting it.
class Watchdog {
 public:
  Watchdog() : thread_([this] { Watch(); }) {}
  ~Watchdog() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      quit_ = true;
    }
    changed_.notify_all();
    thread_.join();
  }
  void Begin(uint32_t seed) { Set(seed, true); }
  void End() { Set(0, false); }

 private:
  void Set(uint32_t seed, bool running) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      seed_ = seed;
      running_ = running;
      ++generation_;
    }
    changed_.notify_all();
  }

  void Watch() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!quit_) {
      changed_.wait(lock, [this] { return quit_ || running_; });
      const unsigned generation = generation_;
      auto same = [&] { return quit_ || generation_ != generation; };
      if (changed_.wait_for(lock, kCaseLimit, same)) continue;
      std::fprintf(stderr, "skin fuzz: case seed %u still runs after 1 s\n", seed_);
      std::fflush(stderr);
      if (changed_.wait_for(lock, kGiveUp - kCaseLimit, same)) continue;
      std::fprintf(stderr, "skin fuzz: case seed %u hangs; ending the run\n", seed_);
      std::fflush(stderr);
      ::TerminateProcess(::GetCurrentProcess(), 3);
    }
  }

  std::mutex mutex_;
  std::condition_variable changed_;
  uint32_t seed_ = 0;
  bool running_ = false;
  bool quit_ = false;
  unsigned generation_ = 0;
  std::thread thread_;
};

testing::AssertionResult WriteImages() {
  const std::wstring folder = ui::GlobalResources::GetResourcePath() + L"public\\fuzz\\";
  test_support::CreateFolders(folder);
  for (const FuzzImage& image : FuzzImages()) {
    const std::wstring path = folder + test_support::Wide(image.name);
    const bool written =
        image.width > 0
            ? test_support::WritePng(path, image.width, image.height,
                                     [](int x, int y) -> DWORD { return (x + y) % 2 ? 0xFF2080F0 : 0x8000BB96; })
            : test_support::WriteSkinFile(L"public\\fuzz\\" + test_support::Wide(image.name),
                                          image.bytes);
    if (!written) return testing::AssertionFailure() << "could not write " << image.name;
  }
  return testing::AssertionSuccess();
}

struct Tally {
  int built = 0;
  int limit_errors = 0;
  int reader_errors = 0;
  int empty = 0;
};

// One case; false when it could not even be written.
bool RunCase(uint32_t seed, Tally& tally) {
  const SkinCase c = SkinGenerator(seed).Make();
  for (const auto& [name, bytes] : c.includes) {
    if (!test_support::WriteSkinFile(test_support::Wide(name), bytes)) return false;
  }
  if (!test_support::WriteSkinFile(L"fuzz\\main.xml", c.skin)) return false;
  test_support::OffscreenHost host(c.width, c.height);
  host.SetResourceSubPath(L"basic\\");
  for (const auto& [name, attributes] : c.classes)
    host.AddClass(test_support::Wide(name), test_support::Wide(attributes));
  ui::SkinBuilder builder;
  if (ui::Control* root = builder.Create(L"fuzz\\main.xml", {}, &host)) {
    host.AttachRoot(root);
    host.PaintAll();
    ++tally.built;
  } else if (!builder.error().empty()) {
    ++tally.limit_errors;
  } else if (!builder.document().GetLastErrorMessage().empty()) {
    ++tally.reader_errors;
  } else {
    ++tally.empty;
  }
  return true;
}

const bool kStarted = [] {
  test_support::FrameworkFiles files;
  files.root = test_support::BuildFolder() + L"\\tests\\fuzz_fixture\\";
  files.theme_folder = L"themes\\default";
  files.global_xml = L"tests\\widgets\\global.xml";
  return test_support::StartFrameworkBeforeTests(files);
}();

TEST(SkinFuzzTest, GeneratedAndMutatedSkinsBuildOrFailWithinASecondEach) {
  ASSERT_TRUE(kStarted);
  ASSERT_TRUE(WriteImages());
  const uint32_t first = EnvironmentNumber("ORVANE_FUZZ_SEED", kSeed);
  const uint32_t cases = EnvironmentNumber("ORVANE_FUZZ_CASES", kCases);
  ::SetUnhandledExceptionFilter(ReportCrash);
  Watchdog watchdog;
  Tally tally;
  uint32_t slowest_seed = first;
  auto slowest = std::chrono::steady_clock::duration::zero();
  for (uint32_t seed = first; seed != first + cases; ++seed) {
    g_running_seed = static_cast<LONG>(seed);
    watchdog.Begin(seed);
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(RunCase(seed, tally)) << "case seed " << seed << " could not write its files";
    const auto took = std::chrono::steady_clock::now() - start;
    watchdog.End();
    if (took > slowest) {
      slowest = took;
      slowest_seed = seed;
    }
    EXPECT_LE(took, kCaseLimit) << "case seed " << seed << " took "
                                << std::chrono::duration_cast<std::chrono::milliseconds>(took).count()
                                << " ms";
  }
  std::printf("skin fuzz: %u cases from seed %u: %d built, %d broke a limit, %d unreadable, "
              "%d made nothing; slowest seed %u\n",
              cases, first, tally.built, tally.limit_errors, tally.reader_errors, tally.empty,
              slowest_seed);
}

}  // namespace
}  // namespace fuzz_test
