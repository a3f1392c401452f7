#include "app/sha256.h"

#include <windows.h>
#include <wincrypt.h>

#include "base/unique_any.h"

namespace app {
namespace {

// The hash comes from CryptoAPI in advapi32, which the installer imports
// anyway: a further system DLL among the imports would be one more name the
// loader might look for beside the exe.
void ReleaseProvider(HCRYPTPROV provider) { ::CryptReleaseContext(provider, 0); }
using unique_hcryptprov = base::unique_any<HCRYPTPROV, ReleaseProvider>;
void DestroyHash(HCRYPTHASH hash) { ::CryptDestroyHash(hash); }
using unique_hcrypthash = base::unique_any<HCRYPTHASH, DestroyHash>;

constexpr DWORD kDigestSize = 32;
// CryptHashData takes a DWORD length; a size_t may be wider.
constexpr size_t kLargestPiece = 0x40000000u;

}  // namespace

struct Sha256::State {
  unique_hcryptprov provider;
  unique_hcrypthash hash;
  bool failed = false;  // also once the digest was taken, until Reset
};

Sha256::Sha256() : state_(std::make_unique<State>()) {
  if (!::CryptAcquireContextW(state_->provider.put(), nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT)) {
    state_->provider.release();
  }
  Reset();
}

Sha256::~Sha256() = default;

void Sha256::Reset() {
  state_->hash.reset();
  state_->failed = !state_->provider ||
                   !::CryptCreateHash(state_->provider.get(), CALG_SHA_256, 0, 0, state_->hash.put());
}

void Sha256::Update(const void* data, size_t size) {
  const BYTE* bytes = static_cast<const BYTE*>(data);
  while (size > 0 && !state_->failed) {
    size_t piece = size < kLargestPiece ? size : kLargestPiece;
    state_->failed = !::CryptHashData(state_->hash.get(), bytes, static_cast<DWORD>(piece), 0);
    bytes += piece;
    size -= piece;
  }
}

std::string Sha256::HexDigest() {
  if (state_->failed) return std::string();
  state_->failed = true;
  BYTE digest[kDigestSize];
  DWORD size = sizeof digest;
  if (!::CryptGetHashParam(state_->hash.get(), HP_HASHVAL, digest, &size, 0) || size != kDigestSize) {
    return std::string();
  }
  static const char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (BYTE byte : digest) {
    hex += kDigits[byte >> 4];
    hex += kDigits[byte & 0xF];
  }
  return hex;
}

bool IsSha256Hex(const std::string& text) {
  if (text.size() != 2 * kDigestSize) return false;
  for (char c : text) {
    bool hex = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    if (!hex) return false;
  }
  return true;
}

}  // namespace app
