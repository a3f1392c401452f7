// Throughput of the installer's package download (1024-byte chunks, a report
// per chunk) against a bare WinINet loop with 64 KiB reads, both in this Wine
// against the same URL. tools/bench-download runs it next to curl.
//
// Usage: bench_download.exe URL OUTPUT_FOLDER [ROUNDS [SHA256]]
// Prints one line per run and a summary line "installer MB/s bare MB/s ratio".
// With the package's SHA-256, also the routine checking it (a silent sink).
#include <windows.h>
#include <wininet.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cwchar>
#include <mutex>
#include <string>
#include <thread>

#include "app/package_download.h"
#include "app/package_location.h"

namespace {

constexpr UINT kApplyMessage = WM_APP + 1;

// Does what the installer window's sink does per report: clamps, works out
// the bar width and the percentage text, and hands the latest value to a
// UI thread that applies it, coalescing reports the UI has not caught up with.
//
// kOnChange: hands a value over only when what is shown would change (the
// text has 91 values, the width 811), so the UI thread wakes a few hundred
// times per download instead of tens of thousands.
enum class Handover { kWhenIdle, kOnChange };

class PresentingSink : public app::ProgressSink {
 public:
  explicit PresentingSink(Handover handover) : handover_(handover), ui_([this] { UiLoop(); }) {
    while (uiThreadId_.load() == 0) std::this_thread::yield();
  }
  ~PresentingSink() override {
    ::PostThreadMessageW(uiThreadId_.load(), WM_QUIT, 0, 0);
    ui_.join();
  }

  void Report(double percent) override {
    if (percent < 0) percent = 0;
    if (percent >= 90) percent = 90;
    wchar_t text[16];
    std::swprintf(text, 16, L"%.0f%%", percent);
    int width = static_cast<int>(percent * 9);
    std::lock_guard<std::mutex> lock(mutex_);
    ++reports_;
    if (handover_ == Handover::kOnChange && width == width_ && text_ == text) return;
    width_ = width;
    text_ = text;
    if (!pending_) {
      pending_ = true;
      ::PostThreadMessageW(uiThreadId_.load(), kApplyMessage, 0, 0);
    }
  }

  long long reports() const { return reports_; }
  long long applied() const { return applied_; }

 private:
  void UiLoop() {
    MSG message;
    ::PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);  // makes the queue
    uiThreadId_ = ::GetCurrentThreadId();
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
      if (message.message != kApplyMessage) continue;
      std::lock_guard<std::mutex> lock(mutex_);
      shownWidth_ = width_;
      shownText_ = text_;
      pending_ = false;
      ++applied_;
    }
  }

  const Handover handover_;
  std::mutex mutex_;
  int width_ = -1;
  std::wstring text_;
  bool pending_ = false;
  long long reports_ = 0;
  long long applied_ = 0;
  int shownWidth_ = 0;
  std::wstring shownText_;
  std::atomic<DWORD> uiThreadId_{0};
  std::thread ui_;
};

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

unsigned long long FileSize(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

class SilentSink : public app::ProgressSink {
 public:
  void Report(double) override { ++reports_; }
  long long reports() const { return reports_; }
  long long applied() const { return 0; }

 private:
  long long reports_ = 0;
};

// The installer's routine from an empty local file.
template <typename Sink, typename... Args>
double InstallerRun(const char* label, const std::wstring& url, const std::wstring& path,
                    unsigned long long* bytes, Args... args) {
  ::DeleteFileW(path.c_str());
  app::downloadUrl = url;
  app::packagePath = path;
  Sink sink(args...);
  auto start = std::chrono::steady_clock::now();
  app::InstallResult result = app::DownloadPackage(sink);
  double seconds = Seconds(start);
  *bytes = FileSize(path);
  std::printf("  installer, %s: result %d, %llu bytes, %lld reports (%lld applied), %.2f s\n", label,
              static_cast<int>(result), *bytes, sink.reports(), sink.applied(), seconds);
  return result == app::InstallResult::Success ? seconds : 0;
}

// Baseline: the plainest WinINet download of the same URL.
double BareRun(const std::wstring& url, const std::wstring& path, unsigned long long* bytes,
               DWORD chunk = 64 * 1024) {
  ::DeleteFileW(path.c_str());
  auto start = std::chrono::steady_clock::now();
  HINTERNET internet = ::InternetOpenW(L"Bench", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
  HINTERNET request = internet ? ::InternetOpenUrlW(internet, url.c_str(), nullptr, 0,
                                                    INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0)
                               : nullptr;
  FILE* file = ::_wfopen(path.c_str(), L"wb");
  *bytes = 0;
  if (request && file) {
    static char buffer[64 * 1024];
    DWORD read = 0;
    while (::InternetReadFile(request, buffer, chunk, &read) && read > 0) {
      std::fwrite(buffer, 1, read, file);
      *bytes += read;
    }
  }
  if (file) std::fclose(file);
  if (request) ::InternetCloseHandle(request);
  if (internet) ::InternetCloseHandle(internet);
  double seconds = Seconds(start);
  std::printf("  bare WinINet %lu-byte reads: %llu bytes, %.2f s\n", chunk, *bytes, seconds);
  return seconds;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: bench_download URL OUTPUT_FOLDER [ROUNDS]\n");
    return 2;
  }
  std::wstring url = argv[1];
  std::wstring folder = argv[2];
  int rounds = argc > 3 ? _wtoi(argv[3]) : 2;
  std::wstring digest = argc > 4 ? argv[4] : L"";
  std::wstring path = folder + L"\\bench_package.zip";
  // The installer logs every step to setup.log in the working folder.
  ::SetCurrentDirectoryW(folder.c_str());

  // Best of the rounds for each way of downloading.
  double bestInstaller = 0, bestOnChange = 0, bestSilent = 0, bestBare = 0, bestBare1k = 0, bestChecked = 0;
  unsigned long long size = 0;
  auto keep = [](double* best, unsigned long long bytes, double seconds) {
    if (seconds > 0 && bytes > 0 && bytes / seconds / 1e6 > *best) *best = bytes / seconds / 1e6;
  };
  for (int round = 1; round <= rounds; ++round) {
    std::printf("round %d\n", round);
    unsigned long long bytes = 0;
    double s = InstallerRun<PresentingSink>("sink handing over when idle", url, path, &bytes,
                                            Handover::kWhenIdle);
    keep(&bestInstaller, bytes, s);
    if (s > 0) size = bytes;
    s = InstallerRun<PresentingSink>("sink handing over on change", url, path, &bytes, Handover::kOnChange);
    keep(&bestOnChange, bytes, s);
    s = InstallerRun<SilentSink>("sink doing nothing", url, path, &bytes);
    keep(&bestSilent, bytes, s);
    if (!digest.empty()) {
      app::packageSha256.assign(digest.begin(), digest.end());
      s = InstallerRun<SilentSink>("sink doing nothing, SHA-256 checked", url, path, &bytes);
      keep(&bestChecked, bytes, s);
      app::packageSha256.clear();
    }
    s = BareRun(url, path, &bytes);
    keep(&bestBare, bytes, s);
    s = BareRun(url, path, &bytes, 1024);
    keep(&bestBare1k, bytes, s);
  }
  ::DeleteFileW(path.c_str());
  if (bestInstaller <= 0 || bestOnChange <= 0 || bestSilent <= 0 || bestBare <= 0 || bestBare1k <= 0) {
    std::printf("FAILED: a download did not complete\n");
    return 1;
  }
  std::printf("package %llu bytes\n", size);
  std::printf("installer, sink handing over on change: %.1f MB/s (ratio to bare %.2f)\n", bestOnChange,
              bestOnChange / bestBare);
  std::printf("installer, sink doing nothing:         %.1f MB/s (ratio to bare %.2f)\n", bestSilent,
              bestSilent / bestBare);
  if (!digest.empty()) {
    std::printf("installer, SHA-256 checked, silent:    %.1f MB/s (ratio to bare %.2f)\n", bestChecked,
                bestChecked / bestBare);
  }
  std::printf("bare WinINet, 1024-byte reads:         %.1f MB/s (ratio to bare %.2f)\n", bestBare1k,
              bestBare1k / bestBare);
  std::printf("RESULT installer %.1f MB/s bare %.1f MB/s ratio %.2f\n", bestInstaller, bestBare,
              bestInstaller / bestBare);
  return 0;
}
