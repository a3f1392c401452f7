// The WinHTTP client against the local service: what a POST sends and
// reads, how failures are told, and the limits that keep a silent or
// dripping server, an authenticating server and a 407 proxy from holding it.
#include "base/net/win_http_client.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <winhttp.h>

#include <chrono>
#include <fstream>
#include <string>

#include "base/text/ansi_text.h"
#include "support/net_test_support.h"

namespace {

const auto* const kNoDefaultProxy = ::testing::AddGlobalTestEnvironment(new net_test::NoDefaultProxy);

using test_support::ServedVersion;

std::wstring OddPath(const char* mode) {
  return L"/odd/" + base::FromAnsi(mode) + test_support::kVersionPath;
}

// The version as the service's JSON answer carries it.
std::string VersionField(const std::string& version) { return "\"versionNo\": \"" + version + "\""; }

// The service's JSON answers end with the close of their data object.
bool IsWholeAnswer(const std::string& body) {
  return body.size() >= 2 && body.compare(body.size() - 2, 2, "}}") == 0;
}

TEST(WinHttpClient, PostSendsBodyAndHeadersAndReadsTheAnswer) {
  const int port = net_test::ServicePort("ORVANE_API_PORT");
  base::WinHttpClient client(L"localhost", port, true, L"WinHttpClient", L"", L"", L"", L"");

  // The server echoes the request: the header arrives once and the body byte for byte.
  base::HttpResponse response;
  ASSERT_TRUE(client.Post(L"/echo", L"Content-Type: application/json", "{\"clientType\":4}", response))
      << base::ToAnsi(response.errorText);
  EXPECT_EQ(response.statusCode, 200);
  EXPECT_TRUE(response.errorText.empty());
  EXPECT_NE(response.body.find("Content-Type: application/json\r\n"), std::string::npos) << response.body;
  EXPECT_NE(response.body.find("User-Agent: WinHttpClient\r\n"), std::string::npos) << response.body;
  EXPECT_EQ(response.body.substr(response.body.size() - 20), "\r\n\r\n{\"clientType\":4}");
  EXPECT_EQ(response.bytesReceived, static_cast<int32_t>(response.body.size()));
  EXPECT_EQ(response.rawHeaders.rfind(L"HTTP/1.", 0), 0u) << "raw headers do not start with the status line";
  EXPECT_NE(response.rawHeaders.find(L"Content-Type: text/plain\r\n"), std::wstring::npos);

  // An empty header string adds no header at all.
  base::HttpResponse bare;
  ASSERT_TRUE(client.Post(L"/echo", L"", "x", bare));
  EXPECT_EQ(bare.body.find("Content-Type"), std::string::npos) << bare.body;

  // A status that is not success is still a received answer.
  base::HttpResponse missing;
  EXPECT_TRUE(client.Post(L"/nowhere", L"", "", missing));
  EXPECT_EQ(missing.statusCode, 404);
}

TEST(WinHttpClient, FailuresAreReportedWithTheirText) {
  // A refused connection fails the send; no status was received.
  base::WinHttpClient refused(L"localhost", net_test::ClosedPort(), true, L"WinHttpClient", L"", L"", L"", L"");
  base::HttpResponse response;
  response.statusCode = 77;
  EXPECT_FALSE(refused.Post(test_support::kVersionPath, L"", "", response));
  EXPECT_EQ(response.statusCode, 0);
  EXPECT_EQ(response.errorText, L"WinHttpSendRequest fails!");

  // A name the certificate does not carry is not trusted.
  const int port = net_test::ServicePort("ORVANE_API_PORT");
  base::WinHttpClient wrongName(L"127.0.0.2", port, true, L"WinHttpClient", L"", L"", L"", L"");
  base::HttpResponse untrusted;
  EXPECT_FALSE(wrongName.Post(test_support::kVersionPath, L"", "", untrusted));
  EXPECT_EQ(untrusted.errorText, L"WinHttpSendRequest fails!");
}

TEST(WinHttpClient, AnswerThatDoesNotComeInTimeEndsThePost) {
  const int port = net_test::ServicePort("ORVANE_API_PORT");

  // A server that takes the request and never answers: no response.
  base::WinHttpClient silent(L"localhost", port, true, L"WinHttpClient", L"", L"", L"", L"");
  silent.SetTimeLimit(std::chrono::milliseconds(1500));
  base::HttpResponse none;
  bool posted = true;
  net_test::RunWithReaper(60, "Post to a server that never answers did not end",
                          [&] { posted = silent.Post(OddPath("silent"), L"", "{}", none); });
  EXPECT_FALSE(posted);
  EXPECT_EQ(none.statusCode, 0);
  EXPECT_TRUE(none.errorText == L"WinHttpSendRequest fails!" || none.errorText == L"WinHttpReceiveResponse fails!")
      << base::ToAnsi(none.errorText);

  // A server that sends its answer a byte at a time, each well inside any
  // single wait: the limit holds for the whole answer, not for each byte.
  base::WinHttpClient dripping(L"localhost", port, true, L"WinHttpClient", L"", L"", L"", L"");
  dripping.SetTimeLimit(std::chrono::milliseconds(1500));
  base::HttpResponse partial;
  net_test::RunWithReaper(60, "Post to a server that answers a byte at a time did not end",
                          [&] { posted = dripping.Post(OddPath("drip"), L"", "{}", partial); });
  EXPECT_TRUE(posted) << "the answer's status and headers had arrived";
  EXPECT_EQ(partial.statusCode, 200);
  EXPECT_EQ(partial.errorText.rfind(L"Error in WinHttp", 0), 0u) << base::ToAnsi(partial.errorText);
  EXPECT_FALSE(IsWholeAnswer(partial.body)) << "the whole answer arrived: " << partial.body;
}

TEST(WinHttpClient, ServerAuthenticationIsAnsweredWithTheCredentials) {
  const int port = net_test::ServicePort("ORVANE_API_PORT");
  const std::wstring path = std::wstring(L"/auth/basic") + test_support::kVersionPath;

  // Right credentials: the 401 is answered and the second pass gets the version.
  base::WinHttpClient client(L"localhost", port, true, L"WinHttpClient", L"", L"", L"orvane", L"s3cret");
  base::HttpResponse response;
  ASSERT_TRUE(client.Post(path, L"", "{}", response)) << base::ToAnsi(response.errorText);
  EXPECT_EQ(response.statusCode, 200);
  EXPECT_NE(response.body.find(VersionField(ServedVersion())), std::string::npos) << response.body;

  // Wrong credentials: the second 401 ends the exchange, as a received answer.
  base::WinHttpClient wrong(L"localhost", port, true, L"WinHttpClient", L"", L"", L"orvane", L"nope");
  base::HttpResponse denied;
  EXPECT_TRUE(wrong.Post(path, L"", "{}", denied));
  EXPECT_EQ(denied.statusCode, 401);
}

// Points WinHTTP's default proxy at the local 407 proxy while it lives.
class ScopedDefaultProxy {
 public:
  explicit ScopedDefaultProxy(int port) {
    std::wstring proxy = L"127.0.0.1:" + std::to_wstring(port);
    WINHTTP_PROXY_INFO info{};
    info.dwAccessType = WINHTTP_ACCESS_TYPE_NAMED_PROXY;
    info.lpszProxy = proxy.data();
    set_ = ::WinHttpSetDefaultProxyConfiguration(&info) != FALSE;
  }
  ~ScopedDefaultProxy() { net_test::ClearDefaultProxy(); }
  bool set() const { return set_; }

 private:
  bool set_ = false;
};

int ProxiedRequestsFor(const std::string& token) {
  std::ifstream log(base::ToAnsi(net_test::ServiceDir() + L"\\proxy.log"));
  int count = 0;
  for (std::string line; std::getline(log, line);) {
    if (line.find(token) != std::string::npos) ++count;
  }
  return count;
}

// Plain HTTP through the proxy: this Wine's WinHTTP never returns from a
// tunnel (CONNECT) that a proxy refuses with 407, whatever the proxy does next.
TEST(WinHttpClient, ProxyAskingForCredentialsThatNobodyGaveEndsAfterTwoSends) {
  const std::string token = "probe" + std::to_string(::GetTickCount());
  base::HttpResponse response;
  bool posted = false;
  {
    ScopedDefaultProxy proxy(net_test::ProxyPort());
    ASSERT_TRUE(proxy.set()) << "could not point WinHTTP at the test proxy";
    base::WinHttpClient client(L"orvane-api.invalid", 80, false, L"WinHttpClient", L"", L"", L"", L"");
    net_test::RunWithReaper(60, "Post through the 407 proxy never returned", [&] {
      posted = client.Post(L"/" + base::FromAnsi(token), L"Content-Type: application/json",
                           "{\"clientType\":4}", response);
    }, net_test::ClearDefaultProxy);
  }
  EXPECT_TRUE(posted) << base::ToAnsi(response.errorText);
  EXPECT_EQ(response.statusCode, 407);
  EXPECT_EQ(ProxiedRequestsFor(token), 2) << "the request should reach the proxy exactly twice";
  // The body of the last 407 is what a caller gets to parse.
  EXPECT_NE(response.body.find(VersionField("4.0.7")), std::string::npos) << response.body;
}

}  // namespace
