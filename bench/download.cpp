// Throughput of the installer's package download on its own progress path:
// app::DownloadPackage reporting to app::ControlProgressSink, which posts
// through the thread registry to the UI thread of the real installer window,
// where the installing view's bar and percentage change and the layered
// window repaints. The clock stops when the UI has applied the last report.
//
// Baseline in the same run, same URL: a bare WinINet loop with 1 KiB reads
// (the installer's chunk size) writing with fwrite. Also shown: the routine
// with its reports discarded, with and without its digest, the digest alone
// over as many bytes against the system's, the bare loop with 64 KiB reads,
// and the bare loop with a size request by GET whose body is never read,
// which a storage that refuses HEAD leaves the installer: Wine's WinINet
// closes such a request by reading the rest of its body off the connection
// (so it can pool the connection), which costs a second transfer of the
// package.
//
// Each figure is the median over the rounds; in a round every way runs once,
// in turn.
//
// Every run must bring the whole package: the bare loop checks for status
// 200 and both check the file holds exactly PACKAGE_BYTES; the installer's
// view must end at its last value ("90%", the bar 810 px wide). A run that
// falls short fails the benchmark instead of giving a rate.
//
// The installer checks the package against the SHA-256 the service names
// for it, hashing as it writes: SHA256 (64 hex digits) is that digest, so
// the routine does that work too; "-" runs it as for a service that names none.
//
// Usage: bench_download.exe URL PACKAGE_BYTES OUTPUT_FOLDER [ROUNDS [SHA256]]
#include <windows.h>
#include <bcrypt.h>
#include <wininet.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "app/shell/window/basic_form.h"
#include "app/shell/window/control_progress_sink.h"
#include "app/install/download/package_download.h"
#include "app/install/common/package_location.h"
#include "base/hash/sha256.h"
#include "base/unique_wininet.h"
#include "bench/support/bench_clock.h"
#include "bench/support/figure.h"
#include "bench/support/installer_window.h"
#include "ui/widgets/label.h"

namespace {

unsigned long long FileSize(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

class DiscardingSink : public app::ProgressSink {
 public:
  void Report(double) override {}
};

struct Target {
  std::wstring url;
  std::wstring path;
  unsigned long long bytes = 0;
  std::string sha256;  // empty: the service names no digest
};

// MB/s of one run of the installer's routine from an empty file, or 0 when
// it failed. With `window`, progress goes the installer's own way to it.
double InstallerRun(const char* label, const Target& target, bench::InstallerWindow* window) {
  ::DeleteFileW(target.path.c_str());
  const app::PackageLocation package{target.url, target.path, target.sha256};
  ui::Control* bar = nullptr;
  ui::Label* value = nullptr;
  if (window) {
    window->RunOnUi([&] {
      bar = window->form()->ProgressBar();
      value = window->form()->ProgressValue();
      app::ControlProgressSink::Apply(bar, value, 0);
    });
  }
  const double start = bench::Seconds();
  app::InstallResult result;
  if (window) {
    app::ControlProgressSink sink(bar, value);
    result = app::DownloadPackage(package, sink);
  } else {
    DiscardingSink sink;
    result = app::DownloadPackage(package, sink);
  }
  std::wstring shown = L"-";
  int width = 810;
  if (window) {
    window->RunOnUi([&] {
      shown = value ? value->GetText() : L"(no label)";
      width = bar ? bar->GetFixedWidth() : -1;
    });
  }
  const double seconds = bench::Seconds() - start;
  const unsigned long long bytes = FileSize(target.path);
  const bool whole = result == app::InstallResult::Success && bytes == target.bytes;
  const bool shown_right = !window || (shown == L"90%" && width == 810);
  const std::wstring view =
      window ? L", shown " + shown + L"/" + std::to_wstring(width) + L" px" : std::wstring();
  std::printf("  installer, %s: result %d, %llu bytes%ls, %.2f s%s\n", label,
              static_cast<int>(result), bytes, view.c_str(), seconds,
              whole && shown_right ? "" : " (FAILED)");
  return whole && shown_right ? bytes / seconds / 1e6 : 0;
}

// MB/s of the plainest WinINet download of the URL, or 0 when the answer was
// not a 200 with the whole package. With `size_request`, a first request of the URL is opened before the
// transfer and closed after it, unread, as the installer's size request is.
double BareRun(const Target& target, DWORD chunk, bool size_request = false) {
  ::DeleteFileW(target.path.c_str());
  const double start = bench::Seconds();
  base::unique_hinternet internet(
      ::InternetOpenW(L"Bench", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
  base::unique_hinternet unread(
      internet && size_request
          ? ::InternetOpenUrlW(internet.get(), target.url.c_str(), nullptr, 0,
                               INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0)
          : nullptr);
  base::unique_hinternet request(
      internet ? ::InternetOpenUrlW(internet.get(), target.url.c_str(), nullptr, 0,
                                    INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0)
               : nullptr);
  DWORD status = 0;
  DWORD status_size = sizeof(status);
  if (request) {
    ::HttpQueryInfoW(request.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status,
                     &status_size, nullptr);
  }
  unsigned long long bytes = 0;
  bool written = false;
  if (status == 200) {
    FILE* file = ::_wfopen(target.path.c_str(), L"wb");
    if (file) {
      static char buffer[64 * 1024];
      DWORD read = 0;
      written = true;
      while (::InternetReadFile(request.get(), buffer, chunk, &read) && read > 0) {
        written = written && std::fwrite(buffer, 1, read, file) == read;
        bytes += read;
      }
      written = std::fclose(file) == 0 && written;
    }
  }
  request.reset();
  const bool sized = !size_request || unread;
  unread.reset();
  internet.reset();
  const double seconds = bench::Seconds() - start;
  const bool whole = written && bytes == target.bytes && FileSize(target.path) == target.bytes && sized;
  std::printf("  bare WinINet %lu-byte reads%s: status %lu, %llu bytes, %.2f s%s\n", chunk,
              size_request ? " after an unread size request" : "", status, bytes, seconds,
              whole ? "" : " (FAILED)");
  return whole ? bytes / seconds / 1e6 : 0;
}

// MB/s of a SHA-256 alone over as many bytes as the package, fed in the
// download's 1 KiB chunks, with no transfer or disk in it: the installer's
// own digest, and (`system`) the system's CNG provider as its baseline.
double HashRun(unsigned long long bytes, bool system) {
  const std::vector<char> chunk(1024, 'x');
  std::string digest;
  const double start = bench::Seconds();
  if (system) {
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    BCRYPT_HASH_HANDLE hash = nullptr;
    unsigned char value[32];
    bool hashed = BCRYPT_SUCCESS(::BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0)) &&
                  BCRYPT_SUCCESS(::BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0));
    for (unsigned long long done = 0; hashed && done < bytes; done += chunk.size()) {
      hashed = BCRYPT_SUCCESS(::BCryptHashData(
          hash, reinterpret_cast<PUCHAR>(const_cast<char*>(chunk.data())), static_cast<ULONG>(chunk.size()), 0));
    }
    hashed = hashed && BCRYPT_SUCCESS(::BCryptFinishHash(hash, value, sizeof value, 0));
    if (hash) ::BCryptDestroyHash(hash);
    if (algorithm) ::BCryptCloseAlgorithmProvider(algorithm, 0);
    if (hashed) digest.assign(reinterpret_cast<char*>(value), sizeof value);
  } else {
    base::Sha256 hash;
    for (unsigned long long done = 0; done < bytes; done += chunk.size()) hash.Update(chunk.data(), chunk.size());
    digest = hash.HexDigest();
  }
  const double seconds = bench::Seconds() - start;
  std::printf("  SHA-256 alone, %s, 1 KiB updates: %llu bytes, %.3f s%s\n", system ? "system CNG" : "installer's",
              bytes, seconds, digest.empty() ? " (FAILED)" : "");
  return digest.empty() ? 0 : bytes / seconds / 1e6;
}

void Keep(double rate, std::vector<double>* rates, bool* failed) {
  if (rate <= 0) *failed = true;
  rates->push_back(rate);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: bench_download URL PACKAGE_BYTES OUTPUT_FOLDER [ROUNDS [SHA256]]\n");
    return 2;
  }
  Target target;
  target.url = argv[1];
  target.bytes = std::wcstoull(argv[2], nullptr, 10);
  const std::wstring folder = argv[3];
  const int rounds = argc > 4 ? std::max(1, _wtoi(argv[4])) : 3;
  if (argc > 5 && std::wcscmp(argv[5], L"-") != 0) {
    for (const wchar_t* c = argv[5]; *c; ++c) target.sha256 += static_cast<char>(*c);
  }
  target.path = folder + L"\\bench_package.zip";
  // The installer logs every step to setup.log in the working folder.
  ::SetCurrentDirectoryW(folder.c_str());

  bench::InstallerWindow window;
  if (!window.Open()) {
    std::printf("FAILED: the installer window did not come up\n");
    return 1;
  }

  // Each way of downloading once per round, in turn, so all see the same
  // drift of the machine's load; any failed run fails all.
  std::vector<double> installer, discarded, undigested, hashed, system_hashed, bare1k, bare64k, bare_sized;
  Target undigested_target = target;
  undigested_target.sha256.clear();
  bool failed = false;
  for (int round = 1; round <= rounds; ++round) {
    std::printf("round %d\n", round);
    Keep(InstallerRun("progress to the installer window", target, &window), &installer, &failed);
    Keep(InstallerRun("progress discarded", target, nullptr), &discarded, &failed);
    Keep(InstallerRun("progress discarded, no digest", undigested_target, nullptr), &undigested, &failed);
    Keep(HashRun(target.bytes, false), &hashed, &failed);
    Keep(HashRun(target.bytes, true), &system_hashed, &failed);
    Keep(BareRun(target, 1024), &bare1k, &failed);
    Keep(BareRun(target, 64 * 1024), &bare64k, &failed);
    Keep(BareRun(target, 1024, true), &bare_sized, &failed);
  }
  ::DeleteFileW(target.path.c_str());
  if (failed) {
    std::printf("FAILED: a download did not bring the whole package\n");
    return 1;
  }
  std::printf("package %llu bytes, medians of %d rounds\n", target.bytes, rounds);
  using bench::Median;
  bench::PrintFigure("download, installer with its progress path", Median(installer), "MB/s",
                     "bare WinINet, 1 KiB reads", Median(bare1k));
  bench::PrintFigure("download, installer, progress discarded", Median(discarded), "MB/s",
                     "bare WinINet, 1 KiB reads", Median(bare1k));
  bench::PrintFigure("download, installer, progress discarded, no digest", Median(undigested), "MB/s",
                     "bare WinINet, 1 KiB reads", Median(bare1k));
  bench::PrintFigure("SHA-256 alone, 1 KiB updates", Median(hashed), "MB/s",
                     "system CNG SHA-256, 1 KiB updates", Median(system_hashed));
  bench::PrintFigure("download, bare WinINet, 64 KiB reads", Median(bare64k), "MB/s",
                     "bare WinINet, 1 KiB reads", Median(bare1k));
  bench::PrintFigure("download, bare 1 KiB reads + unread size request", Median(bare_sized), "MB/s",
                     "bare WinINet, 1 KiB reads", Median(bare1k));
  return 0;
}
