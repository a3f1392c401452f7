// Owner of a WinHTTP handle (session, connection or request).
#pragma once

#include <windows.h>
#include <winhttp.h>

#include "base/unique_any.h"

namespace base {

namespace detail {
inline void CloseWinHttpHandleValue(HINTERNET h) { ::WinHttpCloseHandle(h); }
}  // namespace detail

// WinINet and WinHTTP both call their handles HINTERNET; this one is
// WinHTTP's (base/unique_wininet.h has the other).
using unique_winhttp = unique_any<HINTERNET, detail::CloseWinHttpHandleValue>;

}  // namespace base
