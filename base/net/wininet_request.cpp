#include "base/net/wininet_request.h"

#include <vector>

namespace base {
namespace {

DWORD Milliseconds(std::chrono::milliseconds value) {
  return value.count() <= 0 ? 1 : static_cast<DWORD>(value.count());
}

void SetOption(HINTERNET handle, DWORD option, DWORD value) {
  ::InternetSetOptionW(handle, option, &value, sizeof(value));
}

struct UrlParts {
  INTERNET_SCHEME scheme = INTERNET_SCHEME_UNKNOWN;
  std::wstring host;
  INTERNET_PORT port = 0;
  std::wstring object;  // path and query, as the request line carries them
};

bool CrackUrl(const std::wstring& url, UrlParts* parts) {
  std::vector<wchar_t> host(url.size() + 1), path(url.size() + 1), extra(url.size() + 1);
  URL_COMPONENTSW components{};
  components.dwStructSize = sizeof(components);
  components.lpszHostName = host.data();
  components.dwHostNameLength = static_cast<DWORD>(host.size());
  components.lpszUrlPath = path.data();
  components.dwUrlPathLength = static_cast<DWORD>(path.size());
  components.lpszExtraInfo = extra.data();
  components.dwExtraInfoLength = static_cast<DWORD>(extra.size());
  if (!::InternetCrackUrlW(url.c_str(), static_cast<DWORD>(url.size()), 0, &components)) return false;
  if (components.nScheme != INTERNET_SCHEME_HTTP && components.nScheme != INTERNET_SCHEME_HTTPS) return false;
  parts->scheme = components.nScheme;
  parts->host.assign(host.data(), components.dwHostNameLength);
  parts->port = components.nPort;
  parts->object.assign(path.data(), components.dwUrlPathLength);
  parts->object.append(extra.data(), components.dwExtraInfoLength);
  if (parts->object.empty()) parts->object = L"/";
  return !parts->host.empty();
}

}  // namespace

void SetRequestTimeouts(HINTERNET handle, const RequestTimeouts& timeouts) {
  SetOption(handle, INTERNET_OPTION_CONNECT_TIMEOUT, Milliseconds(timeouts.connect));
  SetOption(handle, INTERNET_OPTION_SEND_TIMEOUT, Milliseconds(timeouts.receive));
  SetOption(handle, INTERNET_OPTION_RECEIVE_TIMEOUT, Milliseconds(timeouts.receive));
}

UrlRequest OpenUrlRequest(HINTERNET internet, const std::wstring& url, const std::wstring& headers,
                          DWORD flags, const RequestTimeouts& timeouts, const wchar_t* verb) {
  UrlRequest sent;
  UrlParts parts;
  if (!CrackUrl(url, &parts)) return sent;
  sent.connection.reset(::InternetConnectW(internet, parts.host.c_str(), parts.port, nullptr, nullptr,
                                           INTERNET_SERVICE_HTTP, 0, 0));
  if (!sent.connection) return sent;
  SetRequestTimeouts(sent.connection.get(), timeouts);
  if (parts.scheme == INTERNET_SCHEME_HTTPS) flags |= INTERNET_FLAG_SECURE;
  base::unique_hinternet request(::HttpOpenRequestW(sent.connection.get(), verb, parts.object.c_str(), nullptr,
                                                    nullptr, nullptr, flags, 0));
  if (!request) return sent;
  const wchar_t* extraHeaders = headers.empty() ? nullptr : headers.c_str();
  if (!::HttpSendRequestW(request.get(), extraHeaders, static_cast<DWORD>(headers.size()), nullptr, 0)) return sent;
  sent.request = std::move(request);
  return sent;
}

}  // namespace base
