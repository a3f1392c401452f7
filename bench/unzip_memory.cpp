// Peak memory of ZipPack::UnzipFile for a package with one large entry: the
// process's peak working set and peak private bytes before and after the
// extraction, against the size of the largest entry (which an extraction that
// inflated each entry in one piece would need on top).
//
// Usage: bench_unzip_memory.exe PACKAGE TARGET
#include <windows.h>
#include <psapi.h>

#include <unzip.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "base/text/ansi_text.h"
#include "app/install/extract/zip_pack.h"
#include "bench/support/package_entries.h"
#include "bench/support/figure.h"

namespace {

using base::ToAnsi;

unsigned long long LargestEntry(const std::string& package) {
  unsigned long long largest = 0;
  for (unsigned long long size : bench::EntrySizes(package)) largest = std::max(largest, size);
  return largest;
}

PROCESS_MEMORY_COUNTERS Counters() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters);
  return counters;
}

double MiB(SIZE_T bytes) { return static_cast<double>(bytes) / (1024.0 * 1024.0); }

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: bench_unzip_memory PACKAGE TARGET\n");
    return 2;
  }
  std::string package = ToAnsi(argv[1]);
  unsigned long long largest = LargestEntry(package);

  PROCESS_MEMORY_COUNTERS before = Counters();
  bool ok = app::ZipPack::UnzipFile(argv[1], argv[2]) == app::UnzipResult::Extracted;
  PROCESS_MEMORY_COUNTERS after = Counters();
  if (!ok) {
    std::fprintf(stderr, "bench_unzip_memory: extraction failed\n");
    return 1;
  }
  double growth = MiB(after.PeakPagefileUsage - before.PeakPagefileUsage);
  std::printf("largest entry: %.1f MiB\n", MiB(static_cast<SIZE_T>(largest)));
  std::printf("peak working set: %.1f MiB before, %.1f MiB after\n", MiB(before.PeakWorkingSetSize),
              MiB(after.PeakWorkingSetSize));
  std::printf("peak private bytes: %.1f MiB before, %.1f MiB after (+%.2f MiB)\n", MiB(before.PeakPagefileUsage),
              MiB(after.PeakPagefileUsage), growth);
  // An extraction that inflated each entry in one piece would need at least
  // the largest entry on top.
  bench::PrintFigure("extraction, peak private memory growth", growth, "MiB",
                     "largest entry", MiB(static_cast<SIZE_T>(largest)));
  return 0;
}
