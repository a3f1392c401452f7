// Asks the service's API which client version is current.
#pragma once

#include <chrono>
#include <optional>
#include <string>

namespace app {

// The API's path for the question.
inline constexpr wchar_t kClientVersionPath[] = L"/api/orv/desktop/user/getClientVersion";

// The longest the question may take in all: connecting, the TLS handshake,
// sending and the answer. The window shows only after it, so a user looks
// at nothing for this long when the API does not answer; a healthy answer
// takes well under a second, a slow or lossy network a few.
inline constexpr std::chrono::milliseconds kVersionQueryTimeLimit{10000};

// What the answer says about the current release: its version and, when the
// service names it, the SHA-256 of its package.
struct ClientRelease {
  std::string version;
  // 64 lowercase hex digits, or empty when the answer carries no valid
  // `data.sha256` (then the package is checked by its zip CRCs alone).
  std::string packageSha256;
};

// The release of an answer body (parsed up to its first NUL byte): its
// `data.versionNo` string and `data.sha256`. A version is accepted only as a
// short string of URL-safe characters that is not a dot segment ("." or
// ".."), because it is pasted into the package URL's path as it is; without
// one there is no release.
std::optional<ClientRelease> ParseClientRelease(const std::string& body);

// Posts {"clientType":4} to `host` ("name" or "name:port"; the port defaults
// to 443) over HTTPS and answers the release the JSON answer names, or
// nothing when there is no answer or no usable version in it. The status
// code is not consulted: an error answer that carries a version still
// yields it. Blocks for kVersionQueryTimeLimit at most.
std::optional<ClientRelease> QueryClientRelease(const std::wstring& host);
// The same question at another path of the host (tests).
std::optional<ClientRelease> QueryClientRelease(const std::wstring& host, const std::wstring& path);

}  // namespace app
