// One request of a URL over a WinINet session, bounded in time.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <chrono>
#include <string>

#include "base/unique_wininet.h"

namespace base {

// How long a request may wait: for its connection to open, and for each
// answer from the server (the headers, then every read of the body).
struct RequestTimeouts {
  std::chrono::milliseconds connect;
  std::chrono::milliseconds receive;
};

// A sent request and the connection made for it; the request is closed
// before its connection, also when the object goes.
struct UrlRequest {
  base::unique_hinternet connection;
  base::unique_hinternet request;

  HINTERNET get() const { return request.get(); }
  explicit operator bool() const { return request.is_valid(); }
  void Close() {
    request.reset();
    connection.reset();
  }
};

// What InternetOpenUrlW does for an http(s) URL: sends a `verb` request
// (GET unless said) with `headers` (none when empty) and the flags given,
// and answers the request once its headers are in; an empty request when the URL does not open. Not
// InternetOpenUrlW itself: time limits reach a connection only when set on
// it, or on its request before that is sent, and InternetOpenUrlW sends at
// once; the session's own limits, which should carry over, do not under this
// Wine, so a server that falls silent would hold a read there for good. The
// limits are set on the connection made here.
UrlRequest OpenUrlRequest(HINTERNET internet, const std::wstring& url, const std::wstring& headers,
                          DWORD flags, const RequestTimeouts& timeouts, const wchar_t* verb = L"GET");

// Sets the limits on a WinINet handle, which passes them on to the handles
// made from it.
void SetRequestTimeouts(HINTERNET handle, const RequestTimeouts& timeouts);

}  // namespace base
