// Extraction throughput of ZipPack::UnzipFile: extracts one package several
// times and prints the median time and the rate in uncompressed megabytes per
// second, and a line "RESULT <seconds> <bytes>" for tools/bench, which runs
// it beside Info-ZIP's unzip on the same package. The time is of the
// extraction alone, inside this process: its start-up is not in it. Every
// run extracts into an empty TARGET, as a first install does (the user's
// case); removing the previous run's files is not timed.
//
// Usage: bench_unzip.exe PACKAGE TARGET [RUNS]
#include <windows.h>

#include <unzip.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "base/text/ansi_text.h"
#include "app/install/extract/zip_pack.h"
#include "bench/support/bench_clock.h"
#include "bench/support/package_entries.h"
#include "support/files.h"

namespace {

using base::ToAnsi;

// Sum of the entries' uncompressed sizes.
unsigned long long UncompressedBytes(const std::string& package) {
  unsigned long long total = 0;
  for (unsigned long long size : bench::EntrySizes(package)) total += size;
  return total;
}

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER frequency;
  ::QueryPerformanceFrequency(&frequency);
  return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: bench_unzip PACKAGE TARGET [RUNS]\n");
    return 2;
  }
  std::string package = ToAnsi(argv[1]);
  int runs = argc > 3 ? ::_wtoi(argv[3]) : 3;
  unsigned long long bytes = UncompressedBytes(package);
  if (bytes == 0) {
    std::fprintf(stderr, "bench_unzip: cannot read %s\n", package.c_str());
    return 1;
  }

  std::vector<double> times;
  for (int run = 0; run < runs; ++run) {
    test_support::RemoveTree(argv[2]);
    LARGE_INTEGER start, end;
    ::QueryPerformanceCounter(&start);
    bool ok = app::ZipPack::UnzipFile(argv[1], argv[2]) == app::UnzipResult::Extracted;
    ::QueryPerformanceCounter(&end);
    if (!ok) {
      std::fprintf(stderr, "bench_unzip: extraction failed\n");
      return 1;
    }
    times.push_back(Seconds(start, end));
  }
  const double median = bench::Median(times);
  double megabytes = static_cast<double>(bytes) / 1e6;
  std::printf("ZipPack::UnzipFile: %.1f MB uncompressed, median of %d: %.3f s, %.1f MB/s\n", megabytes, runs,
              median, megabytes / median);
  std::printf("RESULT %.6f %llu\n", median, bytes);
  return 0;
}
