#include "base/net/win_http_client.h"

#include <windows.h>
#include <winhttp.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "base/net/winhttp_proxy.h"
#include "base/unique_winhttp.h"

namespace base {
namespace {

using base::unique_winhttp;

constexpr wchar_t kVerb[] = L"POST";

// WinHTTP may ask for a resend (ERROR_WINHTTP_RESEND_REQUEST) after it has
// changed something about the request; a server or proxy that keeps making
// it ask would otherwise hold the UI thread forever.
constexpr int kMaxResends = 5;
// A read that fails while data is announced is retried this often in a row.
constexpr int kMaxFailedReads = 3;

// The strongest scheme offered wins.
DWORD ChooseAuthScheme(DWORD supported) {
  for (DWORD scheme : {WINHTTP_AUTH_SCHEME_NEGOTIATE, WINHTTP_AUTH_SCHEME_NTLM,
                       WINHTTP_AUTH_SCHEME_PASSPORT, WINHTTP_AUTH_SCHEME_DIGEST,
                       WINHTTP_AUTH_SCHEME_BASIC}) {
    if (supported & scheme) return scheme;
  }
  return 0;
}

std::wstring WithErrorCode(const wchar_t* text, DWORD error) {
  return text + std::to_wstring(error);
}

// The end of a Post's time. WinHTTP only bounds each wait on its own, so a
// server that answers a little at a time, or a proxy exchange that takes
// several passes, could outlast any single limit: every wait is given only
// the time that is left.
class Deadline {
 public:
  explicit Deadline(std::chrono::milliseconds limit) : end_(std::chrono::steady_clock::now() + limit) {}

  // Limits the request's next wait to the time left; false, with WinHTTP's
  // timeout error, once none is left.
  bool Arm(HINTERNET request) const {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end_ - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      ::SetLastError(ERROR_WINHTTP_TIMEOUT);
      return false;
    }
    int ms = static_cast<int>(std::min<long long>(left.count(), 0x7fffffff));
    ::WinHttpSetTimeouts(request, ms, ms, ms, ms);
    // Under Wine the wait for the answer's headers (and for the TLS
    // handshake) follows this option, not the receive timeout.
    DWORD response = static_cast<DWORD>(ms);
    ::WinHttpSetOption(request, WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &response, sizeof(response));
    return true;
  }

 private:
  std::chrono::steady_clock::time_point end_;
};

}  // namespace

WinHttpClient::WinHttpClient(std::wstring host, int port, bool secure, std::wstring userAgent,
                             std::wstring proxyUserName, std::wstring proxyPassword,
                             std::wstring serverUserName, std::wstring serverPassword)
    : host_(std::move(host)),
      port_(port),
      secure_(secure),
      userAgent_(std::move(userAgent)),
      proxyUserName_(std::move(proxyUserName)),
      proxyPassword_(std::move(proxyPassword)),
      serverUserName_(std::move(serverUserName)),
      serverPassword_(std::move(serverPassword)) {}

bool WinHttpClient::Post(const std::wstring& path, const std::wstring& headers,
                         const std::string& body, HttpResponse& response) {
  response.statusCode = 0;
  const Deadline deadline(timeLimit_);

  const WinHttpProxy proxy = ChooseWinHttpProxy();
  unique_winhttp session(::WinHttpOpen(userAgent_.c_str(), proxy.accessType,
                                       proxy.proxy.empty() ? WINHTTP_NO_PROXY_NAME : proxy.proxy.c_str(),
                                       proxy.bypass.empty() ? WINHTTP_NO_PROXY_BYPASS : proxy.bypass.c_str(), 0));
  if (!session) {
    response.errorText = L"WinHttpOpen fails!";
    return false;
  }
  unique_winhttp connection(
      ::WinHttpConnect(session.get(), host_.c_str(), static_cast<INTERNET_PORT>(port_), 0));
  if (!connection) {
    response.errorText = L"WinHttpConnect fails!";
    return false;
  }
  DWORD flags = WINHTTP_FLAG_BYPASS_PROXY_CACHE | (secure_ ? WINHTTP_FLAG_SECURE : 0);
  unique_winhttp request(::WinHttpOpenRequest(connection.get(), kVerb, path.c_str(), nullptr,
                                              WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                              flags));
  if (!request) return false;

  const wchar_t* extraHeaders = headers.empty() ? WINHTTP_NO_ADDITIONAL_HEADERS : headers.c_str();
  const DWORD extraHeadersLength = static_cast<DWORD>(headers.size());
  const DWORD bodyLength = static_cast<DWORD>(body.size());
  LPVOID bodyData = bodyLength ? const_cast<char*>(body.data()) : WINHTTP_NO_REQUEST_DATA;

  int32_t previousStatus = 0;
  DWORD proxyScheme = 0;
  int resends = 0;
  bool outcome = false;
  for (;;) {
    bool done = false;
    if (proxyScheme != 0 && !proxyUserName_.empty()) {
      if (!::WinHttpSetCredentials(request.get(), WINHTTP_AUTH_TARGET_PROXY, proxyScheme,
                                   proxyUserName_.c_str(), proxyPassword_.c_str(), nullptr)) {
        response.errorText = L"WinHttpSetCredentials fails!";
      }
    }

    if (!deadline.Arm(request.get()) ||
        !::WinHttpSendRequest(request.get(), extraHeaders, extraHeadersLength, bodyData, bodyLength,
                              bodyLength, 0)) {
      response.errorText = L"WinHttpSendRequest fails!";
      if (::GetLastError() == ERROR_WINHTTP_RESEND_REQUEST && ++resends <= kMaxResends) continue;
      outcome = false;
      break;
    }
    if (!deadline.Arm(request.get()) || !::WinHttpReceiveResponse(request.get(), nullptr)) {
      response.errorText = L"WinHttpReceiveResponse fails!";
      if (::GetLastError() == ERROR_WINHTTP_RESEND_REQUEST && ++resends <= kMaxResends) continue;
      outcome = false;
      break;
    }

    DWORD status = 0;
    DWORD statusSize = sizeof(status);
    outcome = ::WinHttpQueryHeaders(request.get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                                    WINHTTP_HEADER_NAME_BY_INDEX, &status, &statusSize,
                                    WINHTTP_NO_HEADER_INDEX) != FALSE;
    if (outcome) {
      response.statusCode = static_cast<int32_t>(status);
    } else {
      response.errorText = L"WinHttpQueryHeaders fails!";
    }

    DWORD headerBytes = 0;
    ::WinHttpQueryHeaders(request.get(), WINHTTP_QUERY_RAW_HEADERS_CRLF, WINHTTP_HEADER_NAME_BY_INDEX,
                          WINHTTP_NO_OUTPUT_BUFFER, &headerBytes, WINHTTP_NO_HEADER_INDEX);
    if (::GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
      std::vector<wchar_t> buffer(headerBytes / sizeof(wchar_t) + 1, L'\0');
      outcome = ::WinHttpQueryHeaders(request.get(), WINHTTP_QUERY_RAW_HEADERS_CRLF,
                                      WINHTTP_HEADER_NAME_BY_INDEX, buffer.data(), &headerBytes,
                                      WINHTTP_NO_HEADER_INDEX) != FALSE;
      if (outcome) response.rawHeaders.assign(buffer.data(), headerBytes / sizeof(wchar_t));
    }
    if (!outcome) break;

    response.body.clear();
    int failedReads = 0;
    for (;;) {
      DWORD available = 0;
      if (!deadline.Arm(request.get()) || !::WinHttpQueryDataAvailable(request.get(), &available)) {
        response.errorText = WithErrorCode(L"Error in WinHttpQueryDataAvailable: ", ::GetLastError());
        break;
      }
      response.bytesReceived += static_cast<int32_t>(available);
      if (available == 0) break;
      std::string chunk(available, '\0');
      DWORD read = 0;
      if (!deadline.Arm(request.get()) || !::WinHttpReadData(request.get(), chunk.data(), available, &read)) {
        response.errorText = WithErrorCode(L"Error in WinHttpReadData: ", ::GetLastError());
        if (++failedReads >= kMaxFailedReads) break;
        continue;
      }
      failedReads = 0;
      response.body.append(chunk.data(), read);
    }

    DWORD supported = 0, first = 0, target = 0;
    switch (response.statusCode) {
      case HTTP_STATUS_DENIED:
        if (!::WinHttpQueryAuthSchemes(request.get(), &supported, &first, &target)) {
          response.errorText = L"WinHttpQueryAuthSchemes in case 401 fails!";
          outcome = false;
          break;
        }
        if (DWORD scheme = ChooseAuthScheme(supported); scheme == 0) {
          done = true;
        } else if (!::WinHttpSetCredentials(request.get(), target, scheme, serverUserName_.c_str(),
                                            serverPassword_.c_str(), nullptr)) {
          response.errorText = L"WinHttpSetCredentials in case 401 fails!";
          outcome = false;
        }
        if (previousStatus == HTTP_STATUS_DENIED) done = true;
        break;
      case HTTP_STATUS_PROXY_AUTH_REQ:
        if (::WinHttpQueryAuthSchemes(request.get(), &supported, &first, &target)) {
          proxyScheme = ChooseAuthScheme(supported);
        } else {
          response.errorText = L"WinHttpQueryAuthSchemes in case 407 fails!";
          outcome = false;
        }
        if (previousStatus == HTTP_STATUS_PROXY_AUTH_REQ) done = true;
        break;
      default:
        done = true;
        break;
    }

    previousStatus = response.statusCode;
    if (!outcome || done) break;
  }
  return outcome;
}

}  // namespace base
