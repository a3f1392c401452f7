// A small synchronous HTTP(S) client over WinHTTP: one POST, with the
// authentication round trips WinHTTP asks for.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace base {

struct HttpResponse {
  std::string body;          // as received (the version answer is UTF-8 JSON)
  std::wstring rawHeaders;   // the header block, CR LF separated
  int32_t statusCode = 0;    // of the last response; 0 until one arrived
  int32_t bytesReceived = 0; // sum of the body sizes announced over all passes
  std::wstring errorText;    // the last failure; empty when nothing failed
};

// One object per request; used by one thread.
class WinHttpClient {
 public:
  // `host` is a bare server name (no scheme, no port). The proxy credentials
  // answer a 407, the server credentials a 401; empty ones are not offered.
  WinHttpClient(std::wstring host, int port, bool secure, std::wstring userAgent,
                std::wstring proxyUserName, std::wstring proxyPassword,
                std::wstring serverUserName, std::wstring serverPassword);

  // Unless set otherwise, a Post gives up after this long in all.
  static constexpr std::chrono::milliseconds kDefaultTimeLimit{30000};

  // Sends `body` to `path` with `headers` (CR LF separated; empty means none)
  // through WinHTTP's default proxy, or the user's system proxy when that
  // default names none. True when a response arrived and its status and
  // headers were read, whatever the status: a 407 that no credentials could
  // answer comes back as true with statusCode 407. The whole exchange
  // (connecting, sending, every authentication pass, reading the answer)
  // ends within the time limit; what has not arrived by then is a failure of
  // the step that waited for it, with the platform's timeout error.
  bool Post(const std::wstring& path, const std::wstring& headers, const std::string& body,
            HttpResponse& response);

  void SetTimeLimit(std::chrono::milliseconds limit) { timeLimit_ = limit; }

 private:
  std::wstring host_;
  int port_;
  bool secure_;
  std::wstring userAgent_;
  std::wstring proxyUserName_;
  std::wstring proxyPassword_;
  std::wstring serverUserName_;
  std::wstring serverPassword_;
  std::chrono::milliseconds timeLimit_ = kDefaultTimeLimit;
};

}  // namespace base
