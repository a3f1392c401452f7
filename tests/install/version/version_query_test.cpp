// The version question against the local API server (python, TLS with the
// build's test certificate): the answers it takes, and the odd ones it refuses.
#include "app/install/version/version_query.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <optional>
#include <string>

#include "support/net_test_support.h"
#include "support/files.h"

namespace {

const auto* const kNoDefaultProxy = ::testing::AddGlobalTestEnvironment(new net_test::NoDefaultProxy);

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
  return L"/odd/" + base::FromAnsi(mode) + app::kClientVersionPath;
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

}  // namespace
