#include "app/install/install_pipeline.h"

#include <windows.h>

#include "app/install/version/package_choice.h"
#include "app/install/download/package_download.h"
#include "app/install/common/progress_sink.h"
#include "app/install/register/registration.h"
#include "app/install/register/registration_in_progress.h"
#include "app/install/common/setup_log.h"
#include "base/hash/sha256.h"
#include "app/install/extract/zip_pack.h"
#include "base/com_ptr.h"

namespace app {
namespace {

// The download's progress reports, handed to the view as values. The last
// one is on screen before whatever the task shows next, however the
// download ends.
class ViewProgress : public ProgressSink {
 public:
  explicit ViewProgress(InstallView& view) : view_(view) {}
  ~ViewProgress() override {
    // May run while an exception leaves the download: a flush that cannot
    // even be posted must not end the process on the way to the prompt.
    try {
      view_.FlushProgress();
    } catch (...) {
    }
  }
  ViewProgress(const ViewProgress&) = delete;
  ViewProgress& operator=(const ViewProgress&) = delete;

  void Report(double percent) override { view_.SetProgress(percent); }

 private:
  InstallView& view_;
};

}  // namespace

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
    // Without a version there is no package to get, as when it is not ready.
    case InstallResult::NoVersion:
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

namespace {

// A package the service names the digest of, and which the temporary folder
// already holds whole: an earlier attempt fetched it, and what failed after
// was the install, not the package.
bool HoldsVerifiedPackage(const PackageLocation& package) {
  if (package.packageSha256.empty() || ::GetFileAttributesW(package.packagePath.c_str()) == INVALID_FILE_ATTRIBUTES) {
    return false;
  }
  return base::Sha256OfFile(package.packagePath) == package.packageSha256;
}

}  // namespace

InstallResult DownloadAndUnzipFile(InstallView& view, const PackageLocation& package, const std::wstring& folder) {
  view.SetStatusText(L"下载中...");
  if (HoldsVerifiedPackage(package)) {
    WriteSetupLog(L"The package in the temporary folder matches its SHA-256 and is not downloaded again");
    view.SetProgress(100.0);
  } else {
    InstallResult result;
    {
      ViewProgress progress(view);
      result = DownloadPackage(package, progress);
    }
    if (result != InstallResult::Success) return result;
  }
  view.SetStatusText(L"解压中...");
  switch (ZipPack::UnzipFile(package.packagePath, folder)) {
    case UnzipResult::Extracted:
      WriteSetupLog(L"unzip finshed");
      return InstallResult::Success;
    case UnzipResult::OutOfDisk:
      // Nothing was extracted; the package stays for the folder the user picks next.
      return InstallResult::OutOfDisk;
    case UnzipResult::PackageFault:
      WriteSetupLog(L"unzip failed");
      // A package that does not unzip is of no use, and the next attempt
      // would take it for a partial download and append to it: it goes, so
      // a retry fetches the package whole.
      ::DeleteFileW(package.packagePath.c_str());
      WriteSetupLog(L"The damaged package was deleted");
      return InstallResult::UnzipFailed;
    case UnzipResult::InstallFault:
      break;
  }
  // The install folder is at fault (a file held open, no access): the
  // package is kept, so a retry need not fetch it again.
  WriteSetupLog(L"unzip failed");
  return InstallResult::UnzipFailed;
}

namespace {

// Download, extraction and registration; throws only what the steps throw.
InstallResult InstallAndRegister(InstallView* view, KnownPackage& package) {
  std::wstring folder = view->InstallFolder();
  InstallResult result;
  // A start-up query that brought no version is asked again on each attempt.
  if (!package) package = GetNewVersion();
  if (!package) {
    WriteSetupLog(L"No package version: the API gave none");
    result = InstallResult::NoVersion;
  } else {
    result = DownloadAndUnzipFile(*view, *package, folder);
  }
  if (result != InstallResult::Success) return result;
  WriteSetupLog(L"DownloadAndUnzipFile done");
  // Marked before the finished view can be answered: ending the installer
  // from it waits for the shortcuts and registry values.
  RegistrationInProgress registering;
  view->PostToView([view] { view->ShowFinishedView(); });
  return RegisterInstallation(folder) ? InstallResult::Success : InstallResult::RegistrationFailed;
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
  view->PostToView([view, prompt, out_of_disk] {
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

InstallResult RunInstallTask(InstallView* view, KnownPackage& package) {
  // Released however the task ends, so the worker goes into the next
  // attempt as it came into this one.
  base::unique_couninitialize com;
  InstallResult result;
  bool broke = false;
  try {
    result = InstallAndRegister(view, package);
  } catch (...) {
    // Out of memory in the extraction, the ANSI conversion or the
    // registration, or any other break: the user gets the prompt of a
    // failed download with its retry, not an installing view for good.
    broke = true;
    result = InstallResult::DownloadException;
  }
  try {
    if (broke) WriteSetupLog(L"install task failed unexpectedly");
    // A registration that failed comes after the finished view: the window
    // has nothing more to show for it.
    if (result != InstallResult::Success && result != InstallResult::RegistrationFailed) ReportFailure(view, result);
  } catch (...) {
    // Not even the prompt could be posted; nothing is left to tell the user with.
  }
  return result;
}

}  // namespace app
