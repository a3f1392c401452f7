// The proxy a WinHTTP session of the installer goes through.
#pragma once

#include <windows.h>

#include <string>

namespace base {

struct WinHttpProxy {
  DWORD accessType;    // for WinHttpOpen
  std::wstring proxy;   // empty unless accessType is WINHTTP_ACCESS_TYPE_NAMED_PROXY
  std::wstring bypass;  // likewise; empty for none
};

// WinHTTP's own default proxy when it names one; otherwise the proxy of the
// user's system settings (the one WinINet and the browsers use), which is
// where a user's network sets it and WinHTTP alone does not look. With
// neither, WinHTTP's default (direct) stays.
WinHttpProxy ChooseWinHttpProxy();

}  // namespace base
