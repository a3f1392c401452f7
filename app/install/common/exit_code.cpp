#include "app/install/common/exit_code.h"

namespace app {

ExitCode ExitCodeFor(InstallResult result) {
  switch (result) {
    case InstallResult::Success:
      return ExitCode::Installed;
    case InstallResult::NoVersion:
      return ExitCode::NoVersion;
    case InstallResult::RegistrationFailed:
      return ExitCode::RegistrationFailed;
    case InstallResult::OpenUrlFailed:
    case InstallResult::NoFileSize:
    case InstallResult::CreateFileFailed:
    case InstallResult::OutOfDisk:
    case InstallResult::RangeOpenFailed:
    case InstallResult::PackageNotReady:
    case InstallResult::UnzipFailed:
    case InstallResult::DownloadException:
    case InstallResult::InternetOpenFailed:
    case InstallResult::PackageCorrupt:
      return static_cast<ExitCode>(10 + static_cast<int>(result));
  }
  return ExitCode::Unexpected;
}

const wchar_t* ExitCodeName(ExitCode code) {
  switch (code) {
    case ExitCode::Installed: return L"installed";
    case ExitCode::Unexpected: return L"failed unexpectedly";
    case ExitCode::BadCommandLine: return L"bad command line";
    case ExitCode::NoNetwork: return L"no network";
    case ExitCode::AnotherInstaller: return L"another installer running";
    case ExitCode::NoVersion: return L"no version from the service";
    case ExitCode::ProgramsRunning: return L"programs running in the install folder";
    case ExitCode::RegistrationFailed: return L"registration failed";
    case ExitCode::OpenUrlFailed: return L"package URL did not open";
    case ExitCode::NoFileSize: return L"no package size";
    case ExitCode::CreateFileFailed: return L"package file not created";
    case ExitCode::OutOfDisk: return L"out of disk space";
    case ExitCode::RangeOpenFailed: return L"ranged request failed";
    case ExitCode::PackageNotReady: return L"package not ready";
    case ExitCode::UnzipFailed: return L"unzip failed";
    case ExitCode::DownloadException: return L"download failed unexpectedly";
    case ExitCode::InternetOpenFailed: return L"internet handle did not open";
    case ExitCode::PackageCorrupt: return L"corrupt package";
  }
  return L"failed unexpectedly";
}

}  // namespace app
