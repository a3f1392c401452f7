#include "app/shell/threads/tls_warm_up.h"

#include <windows.h>
#define SECURITY_WIN32
#include <schannel.h>
#include <security.h>
#include <wincrypt.h>

#include "base/system_library.h"

namespace app {
namespace {

// Far longer than the set-up takes on a loaded machine; a provider that never
// returns must not keep the process from ending.
constexpr DWORD kEndWaitMs = 5000;

using OpenStore = HCERTSTORE(WINAPI*)(HCRYPTPROV_LEGACY, LPCWSTR);
using CloseStore = BOOL(WINAPI*)(HCERTSTORE, DWORD);
using AcquireCredentials = SECURITY_STATUS(WINAPI*)(SEC_WCHAR*, SEC_WCHAR*, ULONG, void*, void*,
                                                    SEC_GET_KEY_FN, void*, PCredHandle, PTimeStamp);
using FreeCredentials = SECURITY_STATUS(WINAPI*)(PCredHandle);

// The libraries are loaded here, off the loader's path, and stay loaded:
// WinHTTP takes them next, and unloading would undo what was set up.
DWORD WINAPI WarmUp(void*) {
  if (HMODULE crypt = base::LoadSystemLibrary(L"crypt32.dll")) {
    auto open = reinterpret_cast<OpenStore>(::GetProcAddress(crypt, "CertOpenSystemStoreW"));
    auto close = reinterpret_cast<CloseStore>(::GetProcAddress(crypt, "CertCloseStore"));
    if (open && close) {
      if (HCERTSTORE roots = open(0, L"ROOT")) close(roots, 0);
    }
  }
  if (HMODULE secur = base::LoadSystemLibrary(L"secur32.dll")) {
    auto acquire = reinterpret_cast<AcquireCredentials>(::GetProcAddress(secur, "AcquireCredentialsHandleW"));
    auto release = reinterpret_cast<FreeCredentials>(::GetProcAddress(secur, "FreeCredentialsHandle"));
    SCHANNEL_CRED schannel{};
    schannel.dwVersion = SCHANNEL_CRED_VERSION;
    CredHandle credentials{};
    TimeStamp expiry{};
    if (acquire && release &&
        acquire(nullptr, const_cast<SEC_WCHAR*>(UNISP_NAME_W), SECPKG_CRED_OUTBOUND, nullptr, &schannel, nullptr,
                nullptr, &credentials, &expiry) == SEC_E_OK) {
      release(&credentials);
    }
  }
  return 0;
}

}  // namespace

TlsWarmUp::TlsWarmUp() : thread_(::CreateThread(nullptr, 0, WarmUp, nullptr, 0, nullptr)) {}

TlsWarmUp::~TlsWarmUp() {
  if (thread_) ::WaitForSingleObject(thread_.get(), kEndWaitMs);
}

}  // namespace app
