#include "base/net/winhttp_proxy.h"

#include <winhttp.h>

#include "base/unique_any.h"

namespace base {
namespace {

// WinHTTP hands its proxy strings out in blocks of GlobalAlloc.
std::wstring TakeGlobalString(LPWSTR text) {
  base::unique_hglobal owner(text);
  return text ? std::wstring(text) : std::wstring();
}

bool DefaultNamesAProxy() {
  WINHTTP_PROXY_INFO info{};
  if (!::WinHttpGetDefaultProxyConfiguration(&info)) return false;
  std::wstring proxy = TakeGlobalString(info.lpszProxy);
  TakeGlobalString(info.lpszProxyBypass);
  return info.dwAccessType == WINHTTP_ACCESS_TYPE_NAMED_PROXY && !proxy.empty();
}

}  // namespace

WinHttpProxy ChooseWinHttpProxy() {
  WinHttpProxy direct{WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, L"", L""};
  if (DefaultNamesAProxy()) return direct;
  WINHTTP_CURRENT_USER_IE_PROXY_CONFIG user{};
  if (!::WinHttpGetIEProxyConfigForCurrentUser(&user)) return direct;
  std::wstring proxy = TakeGlobalString(user.lpszProxy);
  std::wstring bypass = TakeGlobalString(user.lpszProxyBypass);
  TakeGlobalString(user.lpszAutoConfigUrl);
  if (proxy.empty()) return direct;
  return WinHttpProxy{WINHTTP_ACCESS_TYPE_NAMED_PROXY, proxy, bypass};
}

}  // namespace base
