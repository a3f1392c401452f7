// The version question and the WinHTTP client, against the local API server
// (python, TLS with the build's test certificate) and a proxy that answers
// 407 to everything.
#include "app/install/version/version_query.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <winhttp.h>

#include <cstdio>
#include <fstream>
#include <optional>
#include <string>

#include "base/net/win_http_client.h"
#include "support/net_test_support.h"
#include "support/files.h"

namespace {

// Every test starts without a default proxy, even when an earlier run ended
// inside a proxy test before it could put the setting back (the setting lives
// in the prefix's registry, not in the process).
void ClearDefaultProxy() {
  WINHTTP_PROXY_INFO none{};
  none.dwAccessType = WINHTTP_ACCESS_TYPE_NO_PROXY;
  ::WinHttpSetDefaultProxyConfiguration(&none);
}

class NoDefaultProxy : public ::testing::Environment {
 public:
  void SetUp() override { ClearDefaultProxy(); }
};
const auto* const kNoDefaultProxy = ::testing::AddGlobalTestEnvironment(new NoDefaultProxy);

std::wstring ApiHost(const wchar_t* name = L"localhost") {
  return test_support::ServiceHost("ORVANE_API_PORT", name);
}

using test_support::ServedVersion;

// The version alone of what the service answers, which is what most of
// these cases are about.
std::optional<std::string> VersionOf(const std::optional<app::ClientRelease>& release) {
  if (!release) return std::nullopt;
  return release->version;
}
std::optional<std::string> ParseClientVersion(const std::string& body) {
  return VersionOf(app::ParseClientRelease(body));
}
std::optional<std::string> QueryClientVersion(const std::wstring& host,
                                              const std::wstring& path = app::kClientVersionPath) {
  return VersionOf(app::QueryClientRelease(host, path));
}

std::wstring OddPath(const char* mode) {
  return L"/odd/" + app::FromAnsi(mode) + app::kClientVersionPath;
}

TEST(VersionQuery, AnswerWithVersionYieldsIt) {
  ASSERT_FALSE(ServedVersion().empty()) << "the local API has no version file";

  // The API host of the build and the test host (an address) both answer.
  EXPECT_EQ(QueryClientVersion(ApiHost()), ServedVersion());
  EXPECT_EQ(QueryClientVersion(ApiHost(L"127.0.0.1")), ServedVersion());

  // An error status whose body still carries the version yields the version.
  EXPECT_EQ(QueryClientVersion(ApiHost(), OddPath("status-500")), ServedVersion());

  // The members besides data.versionNo are ignored, whatever their types.
  EXPECT_EQ(ParseClientVersion(R"({"code":0,"data":{"versionNo":"1.2.3"}})"), "1.2.3");
  EXPECT_EQ(ParseClientVersion(R"({"code":"x","msg":[1],"data":{"versionNo":"2.0.1-beta+7","n":null}})"),
            "2.0.1-beta+7");
  // The body counts up to its first NUL byte.
  EXPECT_EQ(ParseClientVersion(std::string("{\"data\":{\"versionNo\":\"3.1\"}}\0junk", 33)), "3.1");
}

TEST(VersionQuery, PackageDigestIsTakenOnlyWhenItIsSixtyFourHexDigits) {
  // The local API names the SHA-256 of the package it stores for the version.
  std::optional<app::ClientRelease> release = app::QueryClientRelease(ApiHost());
  ASSERT_TRUE(release);
  EXPECT_EQ(release->version, ServedVersion());
  EXPECT_EQ(release->packageSha256.size(), 64u) << "the local API named no digest";

  const std::string digest = "9f86d081884c7d659a2feaa0c55ad015a3bf4f1b2b0b822cd15d6c15b0f00a08";
  auto parsed = app::ParseClientRelease(R"({"data":{"versionNo":"1.2.3","sha256":")" + digest + R"("}})");
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->packageSha256, digest);
  // Upper-case digits are the same digest.
  parsed = app::ParseClientRelease(
      R"({"data":{"versionNo":"1.2.3","sha256":"9F86D081884C7D659A2FEAA0C55AD015A3BF4F1B2B0B822CD15D6C15B0F00A08"}})");
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->packageSha256, digest);

  // No digest, or something that is none: the version alone, as before.
  for (const std::string& sha : {std::string("null"), std::string("42"), "\"" + digest.substr(1) + "\"",
                                "\"" + digest + "0\"", "\"" + digest.substr(1) + "g\""}) {
    parsed = app::ParseClientRelease(R"({"data":{"versionNo":"1.2.3","sha256":)" + sha + "}}");
    ASSERT_TRUE(parsed) << "sha256: " << sha;
    EXPECT_EQ(parsed->version, "1.2.3");
    EXPECT_EQ(parsed->packageSha256, "") << "sha256: " << sha;
  }
  parsed = app::ParseClientRelease(R"({"data":{"versionNo":"1.2.3"}})");
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->packageSha256, "");
}

TEST(VersionQuery, AnswersWithoutUsableVersionYieldNone) {
  // Odd answers of a real server, each without a crash.
  for (const char* mode : {"null-data", "no-version", "numeric-version", "not-json", "array"}) {
    EXPECT_EQ(QueryClientVersion(ApiHost(), OddPath(mode)), std::nullopt) << "answer: " << mode;
  }
  // A version that would change the package URL's path or query is refused.
  EXPECT_EQ(QueryClientVersion(ApiHost(), OddPath("unsafe-version")), std::nullopt);
  for (const char* body : {"", "{", "null", "{\"data\":[]}", "{\"data\":{\"versionNo\":\"\"}}",
                           "{\"data\":{\"versionNo\":\"1 2\"}}", "{\"data\":{\"versionNo\":\"a\\r\\nb\"}}",
                           "{\"data\":{\"versionNo\":true}}", "{\"versionNo\":\"1.2.3\"}",
                           "{\"data\":{\"versionNo\":\"..\"}}", "{\"data\":{\"versionNo\":\".\"}}"}) {
    EXPECT_EQ(ParseClientVersion(body), std::nullopt) << "body: " << body;
  }

  // Dots that only look like a version still are one.
  EXPECT_EQ(ParseClientVersion("{\"data\":{\"versionNo\":\"1..2\"}}"), "1..2");

  // No server at all: no version, and no long wait for a refused connection.
  EXPECT_EQ(QueryClientVersion(L"localhost:" + std::to_wstring(net_test::ClosedPort())),
            std::nullopt);
}

TEST(WinHttpClient, PostSendsBodyAndHeadersAndReadsTheAnswer) {
  const int port = net_test::ServicePort("ORVANE_API_PORT");
  app::WinHttpClient client(L"localhost", port, true, L"WinHttpClient", L"", L"", L"", L"");

  // The server echoes the request: the header arrives once and the body byte for byte.
  app::HttpResponse response;
  ASSERT_TRUE(client.Post(L"/echo", L"Content-Type: application/json", "{\"clientType\":4}", response))
      << app::ToAnsi(response.errorText);
  EXPECT_EQ(response.statusCode, 200);
  EXPECT_TRUE(response.errorText.empty());
  EXPECT_NE(response.body.find("Content-Type: application/json\r\n"), std::string::npos) << response.body;
  EXPECT_NE(response.body.find("User-Agent: WinHttpClient\r\n"), std::string::npos) << response.body;
  EXPECT_EQ(response.body.substr(response.body.size() - 20), "\r\n\r\n{\"clientType\":4}");
  EXPECT_EQ(response.bytesReceived, static_cast<int32_t>(response.body.size()));
  EXPECT_EQ(response.rawHeaders.rfind(L"HTTP/1.", 0), 0u) << "raw headers do not start with the status line";
  EXPECT_NE(response.rawHeaders.find(L"Content-Type: text/plain\r\n"), std::wstring::npos);

  // An empty header string adds no header at all.
  app::HttpResponse bare;
  ASSERT_TRUE(client.Post(L"/echo", L"", "x", bare));
  EXPECT_EQ(bare.body.find("Content-Type"), std::string::npos) << bare.body;

  // A status that is not success is still a received answer.
  app::HttpResponse missing;
  EXPECT_TRUE(client.Post(L"/nowhere", L"", "", missing));
  EXPECT_EQ(missing.statusCode, 404);
}

TEST(WinHttpClient, FailuresAreReportedWithTheirText) {
  // A refused connection fails the send; no status was received.
  app::WinHttpClient refused(L"localhost", net_test::ClosedPort(), true, L"WinHttpClient", L"", L"", L"", L"");
  app::HttpResponse response;
  response.statusCode = 77;
  EXPECT_FALSE(refused.Post(app::kClientVersionPath, L"", "", response));
  EXPECT_EQ(response.statusCode, 0);
  EXPECT_EQ(response.errorText, L"WinHttpSendRequest fails!");

  // A name the certificate does not carry is not trusted.
  const int port = net_test::ServicePort("ORVANE_API_PORT");
  app::WinHttpClient wrongName(L"127.0.0.2", port, true, L"WinHttpClient", L"", L"", L"", L"");
  app::HttpResponse untrusted;
  EXPECT_FALSE(wrongName.Post(app::kClientVersionPath, L"", "", untrusted));
  EXPECT_EQ(untrusted.errorText, L"WinHttpSendRequest fails!");
}

TEST(WinHttpClient, AnswerThatDoesNotComeInTimeEndsThePost) {
  const int port = net_test::ServicePort("ORVANE_API_PORT");

  // A server that takes the request and never answers: no response.
  app::WinHttpClient silent(L"localhost", port, true, L"WinHttpClient", L"", L"", L"", L"");
  silent.SetTimeLimit(std::chrono::milliseconds(1500));
  app::HttpResponse none;
  bool posted = true;
  net_test::RunWithReaper(60, "Post to a server that never answers did not end",
                          [&] { posted = silent.Post(OddPath("silent"), L"", "{}", none); });
  EXPECT_FALSE(posted);
  EXPECT_EQ(none.statusCode, 0);
  EXPECT_TRUE(none.errorText == L"WinHttpSendRequest fails!" || none.errorText == L"WinHttpReceiveResponse fails!")
      << app::ToAnsi(none.errorText);

  // A server that sends its answer a byte at a time, each well inside any
  // single wait: the limit holds for the whole answer, not for each byte.
  app::WinHttpClient dripping(L"localhost", port, true, L"WinHttpClient", L"", L"", L"", L"");
  dripping.SetTimeLimit(std::chrono::milliseconds(1500));
  app::HttpResponse partial;
  net_test::RunWithReaper(60, "Post to a server that answers a byte at a time did not end",
                          [&] { posted = dripping.Post(OddPath("drip"), L"", "{}", partial); });
  EXPECT_TRUE(posted) << "the answer's status and headers had arrived";
  EXPECT_EQ(partial.statusCode, 200);
  EXPECT_EQ(partial.errorText.rfind(L"Error in WinHttp", 0), 0u) << app::ToAnsi(partial.errorText);
  EXPECT_EQ(ParseClientVersion(partial.body), std::nullopt) << "the whole answer arrived: " << partial.body;
}

TEST(WinHttpClient, ServerAuthenticationIsAnsweredWithTheCredentials) {
  const int port = net_test::ServicePort("ORVANE_API_PORT");
  const std::wstring path = std::wstring(L"/auth/basic") + app::kClientVersionPath;

  // Right credentials: the 401 is answered and the second pass gets the version.
  app::WinHttpClient client(L"localhost", port, true, L"WinHttpClient", L"", L"", L"orvane", L"s3cret");
  app::HttpResponse response;
  ASSERT_TRUE(client.Post(path, L"", "{}", response)) << app::ToAnsi(response.errorText);
  EXPECT_EQ(response.statusCode, 200);
  EXPECT_EQ(ParseClientVersion(response.body), ServedVersion());

  // Wrong credentials: the second 401 ends the exchange, as a received answer.
  app::WinHttpClient wrong(L"localhost", port, true, L"WinHttpClient", L"", L"", L"orvane", L"nope");
  app::HttpResponse denied;
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
  ~ScopedDefaultProxy() { ClearDefaultProxy(); }
  bool set() const { return set_; }

 private:
  bool set_ = false;
};

int ProxiedRequestsFor(const std::string& token) {
  std::ifstream log(app::ToAnsi(net_test::ServiceDir() + L"\\proxy.log"));
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
  app::HttpResponse response;
  bool posted = false;
  {
    ScopedDefaultProxy proxy(net_test::ProxyPort());
    ASSERT_TRUE(proxy.set()) << "could not point WinHTTP at the test proxy";
    app::WinHttpClient client(L"orvane-api.invalid", 80, false, L"WinHttpClient", L"", L"", L"", L"");
    net_test::RunWithReaper(60, "Post through the 407 proxy never returned", [&] {
      posted = client.Post(L"/" + app::FromAnsi(token), L"Content-Type: application/json",
                           "{\"clientType\":4}", response);
    }, ClearDefaultProxy);
  }
  EXPECT_TRUE(posted) << app::ToAnsi(response.errorText);
  EXPECT_EQ(response.statusCode, 407);
  EXPECT_EQ(ProxiedRequestsFor(token), 2) << "the request should reach the proxy exactly twice";
  // The body of the last 407 is what a caller gets to parse.
  EXPECT_EQ(ParseClientVersion(response.body), "4.0.7");
}

}  // namespace
