#include "app/install/download/package_download.h"

#include <windows.h>
#include <wininet.h>

#include <cstdio>
#include <cwchar>
#include <memory>
#include <optional>
#include <string>

#include "app/install/common/setup_log.h"
#include "base/hash/sha256.h"
#include "base/net/wininet_request.h"
#include "base/unique_any.h"
#include "base/unique_wininet.h"

namespace app {
namespace {

using base::unique_hinternet;

struct FileCloser {
  void operator()(FILE* file) const { std::fclose(file); }
};
using unique_file = std::unique_ptr<FILE, FileCloser>;

constexpr int kMaxAttempts = 60;
constexpr DWORD kChunkSize = 1024;
// Without NO_CACHE_WRITE WinINet also copies the whole package into its
// cache folder, which doubles the disk space a download needs.
constexpr DWORD kRequestFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE;
// The storage's error answers are told apart by their size alone.
constexpr uint32_t kRangeFailedSize = 409;
constexpr uint32_t kPackageNotReadySize = 421;
// A storage that keeps ending its answers before sending anything would make
// the transfer ask for the rest forever.
constexpr int kMaxEmptyAnswers = 5;
// Starting over because the storage ignored a range can itself repeat when
// the storage also drops the connection; this many restarts, then give up.
constexpr int kMaxRestarts = 3;
constexpr size_t kFileBufferSize = 64 * 1024;

// The volume that matters is the one the package is written to.
std::wstring PackageDirectory(const std::wstring& path) {
  size_t slash = path.find_last_of(L"\\/");
  if (slash == std::wstring::npos) return L".\\";
  return path.substr(0, slash + 1);
}

// Size of an existing local package; 0 when there is none.
uint64_t ExistingFileSize(const std::wstring& path) {
  unique_file file(::_wfopen(path.c_str(), L"rb"));
  if (!file) return 0;
  WriteSetupLog(L"_file.is_open");
  if (::_fseeki64(file.get(), 0, SEEK_END) != 0) return 0;
  long long position = ::_ftelli64(file.get());
  return position > 0 ? static_cast<uint64_t>(position) : 0;
}

unique_file OpenPackageFile(const std::wstring& path, const wchar_t* mode) {
  unique_file file(::_wfopen(path.c_str(), mode));
  if (file) std::setvbuf(file.get(), nullptr, _IOFBF, kFileBufferSize);
  return file;
}

DWORD StatusCode(HINTERNET request) {
  DWORD status = 0;
  DWORD size = sizeof(status);
  if (!::HttpQueryInfoW(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size,
                        nullptr)) {
    return 0;
  }
  return status;
}

// True when the answer continues the file at `offset`. A partial answer
// must say where its bytes start, and start at `offset`: one that does not
// say could hold any part of the package. Past the first byte only a partial
// answer continues the file; from the first byte any other answer is the
// download itself (the storage's error answers are told apart by size).
bool ContinuesAt(HINTERNET request, uint32_t offset) {
  if (StatusCode(request) != HTTP_STATUS_PARTIAL_CONTENT) return offset == 0;
  wchar_t range[128] = {};
  DWORD size = sizeof(range) - sizeof(wchar_t);
  if (!::HttpQueryInfoW(request, HTTP_QUERY_CONTENT_RANGE, range, &size, nullptr)) return false;
  const std::wstring expected = L"bytes " + std::to_wstring(offset) + L"-";
  return std::wcsncmp(range, expected.c_str(), expected.size()) == 0;
}

// The body's length as the answer states it; 0 when it states none.
DWORD ContentLength(HINTERNET request) {
  DWORD length = 0;
  DWORD size = sizeof(length);
  if (!::HttpQueryInfoW(request, HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &length, &size, nullptr)) {
    return 0;
  }
  return length;
}

// A proxy that wants credentials answers every request alike, and none are
// configured: asking again would only repeat its answer.
bool ProxyRefused(HINTERNET request) {
  if (StatusCode(request) != HTTP_STATUS_PROXY_AUTH_REQ) return false;
  WriteSetupLog(L"The proxy asks for credentials.");
  return true;
}

void ReportProgress(ProgressSink& sink, uint32_t downloaded, uint32_t size) {
  float percent = static_cast<float>(downloaded) / static_cast<float>(size) * 100.0f;
  sink.Report(static_cast<double>(percent));
}

void Pause(const DownloadOptions& options) {
  if (options.retryPause.count() > 0) ::Sleep(static_cast<DWORD>(options.retryPause.count()));
}

// Closing a file flushes what is still buffered, so a full disk may only show here.
bool CloseFile(unique_file& file) {
  return std::fclose(file.release()) == 0;
}

// The digest of a download runs along with its writes. A resumed file's
// earlier part was written by another attempt, so it is read once here.
void HashExistingPart(base::Sha256& hash, const std::wstring& path, uint64_t size) {
  unique_file file(::_wfopen(path.c_str(), L"rb"));
  char buffer[64 * 1024];
  while (file && size > 0) {
    size_t wanted = size < sizeof buffer ? static_cast<size_t>(size) : sizeof buffer;
    size_t read = std::fread(buffer, 1, wanted, file.get());
    if (read == 0) break;
    hash.Update(buffer, read);
    size -= read;
  }
}

// A package that is not the one the service named is of no use, and resuming
// it would only keep the damage: it is deleted, so a retry fetches it whole.
bool MatchesExpectedDigest(const PackageLocation& package, base::Sha256* hash) {
  if (!hash) return true;
  std::string actual = hash->HexDigest();
  const std::string& expected = package.packageSha256;
  if (actual == expected) return true;
  WriteSetupLog(L"Package SHA-256 mismatch, expected:");
  WriteSetupLog(std::wstring(expected.begin(), expected.end()));
  WriteSetupLog(L"downloaded:");
  WriteSetupLog(actual.empty() ? std::wstring(L"(not computed)") : std::wstring(actual.begin(), actual.end()));
  ::DeleteFileW(package.packagePath.c_str());
  return false;
}

InstallResult WriteFailed() {
  WriteSetupLog(L"Failed to write file.");
  return InstallResult::DownloadException;
}

InstallResult Download(const PackageLocation& package, ProgressSink& sink, const DownloadOptions& options) {
  const base::RequestTimeouts timeouts{options.connectTimeout, options.receiveTimeout};
  int attempts = 0;
  int restarts = 0;
  while (attempts < kMaxAttempts) {
    unique_hinternet internet(options.openSession ? static_cast<HINTERNET>(options.openSession()) : nullptr);
    if (!internet) {
      WriteSetupLog(L"Failed to open internet connection.");
      Pause(options);
      if (++attempts == kMaxAttempts) return InstallResult::InternetOpenFailed;
      continue;
    }

    base::SetRequestTimeouts(internet.get(), timeouts);

    // The size comes from a HEAD, which brings no body. A storage that
    // refuses HEAD or states no length there is asked with a GET whose body
    // is never read; closing that one makes WinINet read its body off the
    // connection, so the package then crosses the wire twice.
    DWORD size = 0;
    base::UrlRequest sizeRequest =
        base::OpenUrlRequest(internet.get(), package.downloadUrl, L"", kRequestFlags, timeouts, L"HEAD");
    if (sizeRequest) {
      if (ProxyRefused(sizeRequest.get())) return InstallResult::OpenUrlFailed;
      if (StatusCode(sizeRequest.get()) < HTTP_STATUS_BAD_REQUEST) size = ContentLength(sizeRequest.get());
      // Closed at once: with no body to drain, the connection is free for the transfer.
      sizeRequest.Close();
      if (size == 0) {
        sizeRequest = base::OpenUrlRequest(internet.get(), package.downloadUrl, L"", kRequestFlags, timeouts);
      }
    }
    if (size == 0 && !sizeRequest) {
      WriteSetupLog(L"Failed to open URL.");
      internet.reset();
      Pause(options);
      if (++attempts == kMaxAttempts) return InstallResult::OpenUrlFailed;
      continue;
    }
    if (size == 0) {
      if (ProxyRefused(sizeRequest.get())) return InstallResult::OpenUrlFailed;
      size = ContentLength(sizeRequest.get());
      if (size == 0) return InstallResult::NoFileSize;
    }

    const uint64_t existing = ExistingFileSize(package.packagePath);
    const bool resume = existing > 0 && existing < size;
    unique_file file = OpenPackageFile(package.packagePath, resume ? L"ab" : L"wb");
    if (!file) return InstallResult::CreateFileFailed;

    WriteSetupLog(L"downloadedBytes");
    WriteSetupLog(std::to_wstring(existing));
    WriteSetupLog(L"fileSize");
    WriteSetupLog(std::to_wstring(size));

    if (IsDiskSpaceInsufficient(size, PackageDirectory(package.packagePath), options.freeSpace)) {
      return InstallResult::OutOfDisk;
    }

    // A file as large as the package or larger was just emptied by "wb"; the
    // next round finds it empty and fetches the package from the start. That
    // round is not a failed attempt.
    if (existing >= size) {
      if (!CloseFile(file)) return WriteFailed();
      continue;
    }

    // Only a package the service names a digest for is hashed.
    std::optional<base::Sha256> hash;
    if (!package.packageSha256.empty()) {
      hash.emplace();
      if (resume) HashExistingPart(*hash, package.packagePath, existing);
    }

    uint32_t downloaded = static_cast<uint32_t>(existing);
    int emptyAnswers = 0;
    char buffer[kChunkSize];
    while (downloaded < size) {
      std::wstring rangeHeader = L"Range: bytes=" + std::to_wstring(downloaded) + L"-";
      WriteSetupLog(L"rangeHeader");
      WriteSetupLog(rangeHeader);
      base::UrlRequest ranged =
          base::OpenUrlRequest(internet.get(), package.downloadUrl, rangeHeader, kRequestFlags, timeouts);
      if (!ranged || size == kRangeFailedSize) return InstallResult::RangeOpenFailed;
      if (ProxyRefused(ranged.get())) return InstallResult::RangeOpenFailed;

      // An answer that does not continue the file at the count reached would
      // corrupt the package if appended: start over instead.
      if (!ContinuesAt(ranged.get(), downloaded)) {
        WriteSetupLog(L"Range not honoured, starting over.");
        ranged.Close();
        if (++restarts > kMaxRestarts) return InstallResult::RangeOpenFailed;
        if (!CloseFile(file)) return WriteFailed();
        file = OpenPackageFile(package.packagePath, L"wb");
        if (!file) return InstallResult::CreateFileFailed;
        if (hash) hash->Reset();
        downloaded = 0;
        continue;
      }

      // A read that fails, also one the storage left unanswered past the
      // receive limit, ends this answer; the rest is asked for below.
      const uint32_t before = downloaded;
      DWORD read = 0;
      while (::InternetReadFile(ranged.get(), buffer, kChunkSize, &read) && read > 0) {
        if (std::fwrite(buffer, 1, read, file.get()) != read) return WriteFailed();
        if (hash) hash->Update(buffer, read);
        downloaded += read;
        ReportProgress(sink, downloaded, size);
        if (downloaded >= size) break;
      }
      ranged.Close();

      if (downloaded == before) {
        if (++emptyAnswers >= kMaxEmptyAnswers) {
          WriteSetupLog(L"The storage keeps ending its answers without data.");
          return InstallResult::RangeOpenFailed;
        }
      } else {
        emptyAnswers = 0;
      }
    }

    if (!CloseFile(file)) return WriteFailed();
    sizeRequest.Close();
    internet.reset();
    WriteSetupLog(L"=========================");
    WriteSetupLog(L"Download finished.");
    WriteSetupLog(L"downloadedBytes");
    WriteSetupLog(std::to_wstring(downloaded));
    WriteSetupLog(L"fileSize");
    WriteSetupLog(std::to_wstring(size));
    if (downloaded == kPackageNotReadySize) return InstallResult::PackageNotReady;
    if (!MatchesExpectedDigest(package, hash ? &*hash : nullptr)) return InstallResult::PackageCorrupt;
    WriteSetupLog(L"=========================");
    return InstallResult::Success;
  }
  return InstallResult::OpenUrlFailed;
}

}  // namespace

void* OpenDownloadSession() {
  // PRECONFIG: the proxy the user's system names, as a browser would use;
  // a network that lets traffic out only through it has no other way out.
  return ::InternetOpenW(L"Download", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
}

InstallResult DownloadPackage(const PackageLocation& package, ProgressSink& sink) {
  return DownloadPackage(package, sink, DownloadOptions{});
}

InstallResult DownloadPackage(const PackageLocation& package, ProgressSink& sink, const DownloadOptions& options) {
  try {
    return Download(package, sink, options);
  } catch (...) {
    return InstallResult::DownloadException;
  }
}

}  // namespace app
