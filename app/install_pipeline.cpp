#include "app/install_pipeline.h"

#include <windows.h>
#include <objbase.h>

#include <cmath>
#include <cstdio>

#include "app/ansi_text.h"
#include "app/build_config.h"
#include "app/package_download.h"
#include "app/package_location.h"
#include "app/registration.h"
#include "app/registration_in_progress.h"
#include "app/setup_log.h"
#include "app/thread_ids.h"
#include "app/version_query.h"
#include "app/wall_clock.h"
#include "app/zip_pack.h"
#include "base/com_ptr.h"
#include "base/thread_registry.h"

namespace app {
namespace {

void PostStatus(ui::Label* status, const wchar_t* text) {
  if (!status) return;
  std::wstring copy = text;
  base::ThreadRegistry::PostTask(kUiThreadId, [status, copy] { status->SetText(copy); });
}

}  // namespace

bool IsTestMode(const std::wstring& command_line) {
  return command_line.find(L"--test") != std::wstring::npos;
}

std::wstring DateStamp(std::time_t now) {
  std::tm local{};
  ::localtime_s(&local, &now);
  wchar_t buffer[32] = {};
  std::wcsftime(buffer, 32, L"%Y_%m_%d", &local);
  return buffer;
}

std::wstring PackageUrl(const std::wstring& storage_host, bool test_mode, const std::string& version,
                        const std::wstring& date_stamp) {
  std::wstring url = L"https://" + storage_host;
  url += test_mode ? L"/download/development/latest/" : L"/download/latest/";
  for (unsigned char c : version) url += static_cast<wchar_t>(c);
  url += L"/orvanecloud.zip?name=" + date_stamp;
  return url;
}

bool GetNewVersion(const std::wstring& command_line, const std::wstring& api_host,
                   const std::wstring& test_api_host, const std::wstring& storage_host) {
  bool test_mode = IsTestMode(command_line);
  const std::wstring& host = test_mode ? test_api_host : api_host;
  WriteSetupLog(L"GetNewVersion=>domain");
  WriteSetupLog(host);
  std::optional<ClientRelease> release = QueryClientRelease(host);
  // Without a version no URL can be formed; the install task asks again.
  if (!release) {
    WriteSetupLog(L"GetNewVersion: no version from the API");
    downloadUrl.clear();
    packageSha256.clear();
    return false;
  }
  const std::string& version = release->version;
  WriteSetupLog(L"new Version:");
  WriteSetupLog(std::wstring(version.begin(), version.end()));
  packageSha256 = release->packageSha256;
  if (!packageSha256.empty()) {
    WriteSetupLog(L"package sha256:");
    WriteSetupLog(std::wstring(packageSha256.begin(), packageSha256.end()));
  }
  std::wstring date = DateStamp(WallClockNow());
  wchar_t temp[261] = {};
  DWORD length = ::GetTempPathW(260, temp);
  std::wstring folder;
  if (length >= 1 && length <= 260) {
    folder = temp;
  } else {
    WriteSetupLog(L"Unable to get system temporary folder path");
  }
  WriteSetupLog(L"temporary folder path\xFF1A");
  WriteSetupLog(folder);
  packagePath = folder + date + L".zip";
  downloadUrl = PackageUrl(storage_host, test_mode, version, date);
  WriteSetupLog(L"downloadURL:");
  WriteSetupLog(downloadUrl);
  return true;
}

bool GetNewVersion() {
  return GetNewVersion(::GetCommandLineW(), build_config::kApiHost, build_config::kTestApiHost,
                       build_config::kStorageHost);
}

std::optional<FailurePrompt> FailureFor(InstallResult result) {
  switch (result) {
    case InstallResult::NoFileSize:
      return FailurePrompt{L"Failed to get file size.", L"获取文件大小失败，请重试"};
    case InstallResult::CreateFileFailed:
      return FailurePrompt{L"Failed to create file.", L"无法释放资源，请重试"};
    case InstallResult::OutOfDisk:
      return FailurePrompt{L"OutOfDiskSize", L"磁盘空间不足，请换个安装目录再试"};
    case InstallResult::RangeOpenFailed:
      return FailurePrompt{L"Failed to open URL with Range header.", L"网络连接异常，请重试"};
    case InstallResult::PackageNotReady:
      return FailurePrompt{L"Failed to get new package", L"版本更新资源未就绪，请稍后重试"};
    case InstallResult::UnzipFailed:
      return FailurePrompt{L"unzip failed", L"解压失败，请重试"};
    case InstallResult::DownloadException:
      return FailurePrompt{L"An exception occurred during download.", L"下载失败，请重试"};
    // The package was deleted; like any failed download, a retry fetches it.
    case InstallResult::PackageCorrupt:
      return FailurePrompt{L"The package does not match its SHA-256.", L"下载失败，请重试"};
    // The URL or the internet handle never opened: the user must not be
    // left in front of a frozen installing view.
    case InstallResult::OpenUrlFailed:
    case InstallResult::InternetOpenFailed:
      return FailurePrompt{L"未知", L"网络连接异常，请重试"};
    default:
      return std::nullopt;
  }
}

void ControlProgressSink::Apply(ui::Control* bar, ui::Label* value, double percent) {
  if (!(percent >= 0)) percent = 0;  // also NaN
  if (percent >= 90) percent = 90;
  if (bar && bar->IsVisible()) bar->SetFixedWidth(static_cast<int>(percent * 9));
  if (value && value->IsVisible()) {
    wchar_t text[16] = {};
    std::swprintf(text, 16, L"%.0f%%", percent);
    value->SetText(text);
  }
}

ControlProgressSink::ControlProgressSink(ui::Control* bar, ui::Label* value)
    : paced_([bar, value](double percent) { Apply(bar, value, percent); }) {}

ControlProgressSink::~ControlProgressSink() { Flush(); }

void ControlProgressSink::Report(double percent) { paced_.Report(percent); }

void ControlProgressSink::Flush() { paced_.Flush(); }

InstallResult DownloadAndUnzipFile(ui::Label* status, ui::Control* bar, ui::Label* value,
                                   const std::wstring& folder) {
  PostStatus(status, L"下载中...");
  ControlProgressSink sink(bar, value);
  InstallResult result = DownloadPackage(sink);
  sink.Flush();
  if (result != InstallResult::Success) return result;
  std::string package = ToAnsi(packagePath);
  std::string target = ToAnsi(folder);
  PostStatus(status, L"解压中...");
  if (ZipPack::UnzipFile(package, target)) {
    WriteSetupLog(L"unzip finshed");
    return InstallResult::Success;
  }
  WriteSetupLog(L"unzip failed");
  // A package that does not unzip is of no use, and the next attempt would
  // take it for a partial download and append to it: it goes, so a retry
  // fetches the package whole.
  ::DeleteFileW(packagePath.c_str());
  return InstallResult::UnzipFailed;
}

namespace {

// Download, extraction and registration; throws only what the steps throw.
InstallResult InstallAndRegister(InstallView* view) {
  ui::Label* status = view->StatusLabel();
  ui::Control* bar = view->ProgressBar();
  ui::Label* value = view->ProgressValue();
  std::wstring folder = view->InstallFolder();
  InstallResult result;
  // A start-up query that brought no version is asked again on each attempt.
  if (downloadUrl.empty() && !GetNewVersion()) {
    WriteSetupLog(L"No package version: the API gave none");
    result = InstallResult::PackageNotReady;
  } else {
    result = DownloadAndUnzipFile(status, bar, value, folder);
  }
  if (result != InstallResult::Success) return result;
  WriteSetupLog(L"DownloadAndUnzipFile done");
  // Marked before the finished view can be answered: ending the installer
  // from it waits for the shortcuts and registry values.
  RegistrationInProgress registering;
  base::ThreadRegistry::PostTask(kUiThreadId, [view] { view->ShowFinishedView(); });
  RegisterInstallation(folder);
  return InstallResult::Success;
}

// The prompt of a failed attempt, or "未知" for the codes that have none.
void ReportFailure(InstallView* view, InstallResult result) {
  auto failure = FailureFor(result);
  if (!failure) {
    WriteSetupLog(L"未知");
    return;
  }
  std::wstring prompt = failure->promptText;
  bool out_of_disk = result == InstallResult::OutOfDisk;
  base::ThreadRegistry::PostTask(kUiThreadId, [view, prompt, out_of_disk] {
    if (out_of_disk) WriteSetupLog(L"OutOfDiskSize");
    view->PresentPrompt(prompt, [view](bool retry) {
      if (retry) {
        view->ShowStartView();
        WriteSetupLog(L"MB_YES");
      } else {
        view->ExitInstaller();
        WriteSetupLog(L"MB_No");
      }
    });
  });
  if (!out_of_disk) WriteSetupLog(failure->logText);
}

}  // namespace

void RunInstallTask(InstallView* view) {
  // Released however the task ends, so the worker goes into the next
  // attempt as it came into this one.
  base::unique_couninitialize com;
  InstallResult result;
  bool broke = false;
  try {
    result = InstallAndRegister(view);
  } catch (...) {
    // Out of memory in the extraction, the ANSI conversion or the
    // registration, or any other break: the user gets the prompt of a
    // failed download with its retry, not an installing view for good.
    broke = true;
    result = InstallResult::DownloadException;
  }
  try {
    if (broke) WriteSetupLog(L"install task failed unexpectedly");
    if (result != InstallResult::Success) ReportFailure(view, result);
  } catch (...) {
    // Not even the prompt could be posted; nothing is left to tell the user with.
  }
}

}  // namespace app
