#include "app/install/version/version_query.h"

#include <rapidjson/document.h>

#include <cwctype>

#include "base/hash/sha256.h"
#include "base/net/win_http_client.h"

namespace app {
namespace {

constexpr wchar_t kContentTypeHeader[] = L"Content-Type: application/json";
constexpr char kQueryBody[] = "{\"clientType\":4}";
constexpr int kDefaultPort = 443;
constexpr size_t kMaxVersionLength = 64;

// "name:port" → name and port; a name without a numeric port gets 443.
void SplitHost(const std::wstring& host, std::wstring* name, int* port) {
  *name = host;
  *port = kDefaultPort;
  size_t colon = host.rfind(L':');
  if (colon == std::wstring::npos || colon + 1 == host.size() || host.size() - colon > 6) return;
  int value = 0;
  for (size_t i = colon + 1; i < host.size(); ++i) {
    if (!std::iswdigit(host[i])) return;
    value = value * 10 + (host[i] - L'0');
  }
  if (value <= 0 || value > 65535) return;
  *name = host.substr(0, colon);
  *port = value;
}

// Characters that stand in a URL path segment as they are. "." and ".."
// would not: they name this folder and the one above it.
bool IsSafeVersion(const std::string& version) {
  if (version.empty() || version.size() > kMaxVersionLength) return false;
  if (version == "." || version == "..") return false;
  for (char c : version) {
    bool ok = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
              c == '.' || c == '-' || c == '_' || c == '~' || c == '+';
    if (!ok) return false;
  }
  return true;
}

std::string PostVersionQuestion(const std::wstring& host, const std::wstring& path) {
  std::wstring name;
  int port = kDefaultPort;
  SplitHost(host, &name, &port);
  base::WinHttpClient client(name, port, true, L"WinHttpClient", L"", L"", L"", L"");
  client.SetTimeLimit(kVersionQueryTimeLimit);
  base::HttpResponse response;
  // Whatever Post says, the body decides: an error status may still carry the answer.
  client.Post(path, kContentTypeHeader, std::string(kQueryBody, sizeof(kQueryBody) - 1), response);
  return response.body;
}

// The digest as 64 lowercase hex digits; empty for anything else.
std::string PackageDigest(const rapidjson::Value& data) {
  auto sha256 = data.FindMember("sha256");
  if (sha256 == data.MemberEnd() || !sha256->value.IsString()) return std::string();
  std::string digest(sha256->value.GetString(), sha256->value.GetStringLength());
  if (!base::IsSha256Hex(digest)) return std::string();
  for (char& c : digest) {
    if (c >= 'A' && c <= 'F') c = static_cast<char>(c - 'A' + 'a');
  }
  return digest;
}

}  // namespace

std::optional<ClientRelease> ParseClientRelease(const std::string& body) {
  rapidjson::Document document;
  document.Parse(body.c_str());
  if (document.HasParseError() || !document.IsObject()) return std::nullopt;
  auto data = document.FindMember("data");
  if (data == document.MemberEnd() || !data->value.IsObject()) return std::nullopt;
  auto versionNo = data->value.FindMember("versionNo");
  if (versionNo == data->value.MemberEnd() || !versionNo->value.IsString()) return std::nullopt;
  std::string version(versionNo->value.GetString(), versionNo->value.GetStringLength());
  if (!IsSafeVersion(version)) return std::nullopt;
  return ClientRelease{version, PackageDigest(data->value)};
}

std::optional<ClientRelease> QueryClientRelease(const std::wstring& host) {
  return QueryClientRelease(host, kClientVersionPath);
}

std::optional<ClientRelease> QueryClientRelease(const std::wstring& host, const std::wstring& path) {
  return ParseClientRelease(PostVersionQuestion(host, path));
}

}  // namespace app
