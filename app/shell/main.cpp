// Process entry of the installer: refuses to run offline or beside another
// installer, brings up COM and runs the UI thread on the initial thread.
// An unattended install (--silent) shows nothing on its way out: each refusal
// is a log line and an exit code of its own.
#include <windows.h>
#include <wininet.h>

#include <clocale>

#include "app/install/common/command_line.h"
#include "app/install/common/exit_code.h"
#include "app/shell/main_thread.h"
#include "app/shell/silent/silent_install.h"
#include "app/shell/threads/tls_warm_up.h"
#include "app/install/common/product.h"
#include "app/install/common/setup_log.h"
#include "base/com_ptr.h"
#include "base/startup_trace.h"
#include "base/system_library.h"
#include "base/unique_any.h"

namespace {

int RunInstaller() {
  base::MarkStartupPhase("process start (loader, runtime)");
  // The version query's TLS set-up needs no network: it runs from here on,
  // beside the checks and the window's start-up.
  const app::TlsWarmUp tls_warm_up;
  // Wide text the C runtime converts (the setup log among it) goes through
  // the Simplified Chinese code page from here on. The runtime's setlocale is
  // the process-wide locale here: this standard library knows only "C".
  std::setlocale(LC_ALL, "chs");

  const app::CommandLineOptions& options = app::ProcessCommandLine();
  if (options.silent && !options.error.empty()) {
    app::WriteSetupLog(L"silent install: the command line cannot be read: " + options.error);
    return app::EndSilentInstall(app::ExitCode::BadCommandLine);
  }

  DWORD flags = 0;
  if (!::InternetGetConnectedState(&flags, 0)) {
    if (options.silent) {
      app::WriteSetupLog(L"silent install: no network connection");
      return app::EndSilentInstall(app::ExitCode::NoNetwork);
    }
    ::MessageBoxW(nullptr, L"网络未连接，请检查您的网络设置。", L"连接错误", MB_OK);
    return 1;
  }

  base::unique_handle mutex(::CreateMutexW(nullptr, TRUE, app::kSingleInstanceMutexName));
  if (!mutex) {
    app::WriteSetupLog(L"Unable to create mutex");
    return options.silent ? app::EndSilentInstall(app::ExitCode::Unexpected) : 1;
  }
  if (::GetLastError() == ERROR_ALREADY_EXISTS) {
    app::WriteSetupLog(L"A process with the same name is already running, terminate the current process");
    // The window's rule: the installer already open is the one the user wants.
    return options.silent ? app::EndSilentInstall(app::ExitCode::AnotherInstaller) : 0;
  }
  // The window shows the folder it installs into: a switch it cannot read
  // leaves the window's own choice.
  if (!options.error.empty()) app::WriteSetupLog(L"The command line cannot be read, so it is ignored: " + options.error);

  base::MarkStartupPhase("network check, single instance");
  base::unique_couninitialize com;
  app::WriteSetupLog(L"The current process is unique and can continue to execute 中文");
  app::MainThread main_thread;
  main_thread.RunOnCurrentThread(base::kUI);
  return main_thread.ExitCode();
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // Before anything loads a library: the installer runs elevated from a
  // download folder, where a planted DLL must never be picked up.
  base::RestrictDllSearchToSystemFolder();
  // Nothing may escape into the system's start-up code.
  try {
    return RunInstaller();
  } catch (...) {
    return 1;
  }
}
