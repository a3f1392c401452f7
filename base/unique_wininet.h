// Owner of a WinINet handle (session, connection or request).
#pragma once

#include <windows.h>
#include <wininet.h>

#include "base/unique_any.h"

namespace base {

namespace detail {
inline void CloseInternetHandleValue(HINTERNET h) { ::InternetCloseHandle(h); }
}  // namespace detail

// WinINet and WinHTTP both call their handles HINTERNET; this one is
// WinINet's (base/unique_winhttp.h has the other).
using unique_hinternet = unique_any<HINTERNET, detail::CloseInternetHandleValue>;

}  // namespace base
