#include "base/hash/sha256.h"

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "base/hash/sha256_blocks.h"
#include "base/unique_any.h"

namespace base {
namespace {

constexpr size_t kBlockSize = 64;
constexpr size_t kDigestSize = 32;
constexpr uint32_t kInitialState[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                                       0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};

}  // namespace

// Hashed in process rather than through the system's hash provider: a call
// into it per KiB chunk cost the download more than the transfer's own work.
struct Sha256::State {
  uint32_t words[8];
  unsigned char pending[kBlockSize];  // the start of a block not yet complete
  size_t pendingSize = 0;
  uint64_t totalSize = 0;
  bool finished = false;  // the digest was taken; nothing more until Reset
  Sha256BlockFunction compress = BestSha256BlockFunction();
};

Sha256::Sha256() : state_(std::make_unique<State>()) { Reset(); }

Sha256::~Sha256() = default;

void Sha256::Reset() {
  std::memcpy(state_->words, kInitialState, sizeof kInitialState);
  state_->pendingSize = 0;
  state_->totalSize = 0;
  state_->finished = false;
}

void Sha256::Update(const void* data, size_t size) {
  State& s = *state_;
  if (s.finished || size == 0) return;
  const unsigned char* bytes = static_cast<const unsigned char*>(data);
  s.totalSize += size;
  if (s.pendingSize > 0) {
    size_t taken = kBlockSize - s.pendingSize < size ? kBlockSize - s.pendingSize : size;
    std::memcpy(s.pending + s.pendingSize, bytes, taken);
    s.pendingSize += taken;
    bytes += taken;
    size -= taken;
    if (s.pendingSize < kBlockSize) return;
    s.compress(s.words, s.pending, 1);
    s.pendingSize = 0;
  }
  const size_t whole = size / kBlockSize;
  if (whole > 0) s.compress(s.words, bytes, whole);
  s.pendingSize = size - whole * kBlockSize;
  std::memcpy(s.pending, bytes + whole * kBlockSize, s.pendingSize);
}

std::string Sha256::HexDigest() {
  State& s = *state_;
  if (s.finished) return std::string();
  // Padding: a one bit, zeros up to 8 bytes short of a block end, then the
  // length in bits, big-endian.
  const uint64_t bits = s.totalSize * 8;
  unsigned char tail[2 * kBlockSize] = {};
  std::memcpy(tail, s.pending, s.pendingSize);
  tail[s.pendingSize] = 0x80;
  const size_t tailSize = s.pendingSize + 1 + 8 <= kBlockSize ? kBlockSize : 2 * kBlockSize;
  for (int i = 0; i < 8; ++i) tail[tailSize - 1 - i] = static_cast<unsigned char>(bits >> (8 * i));
  s.compress(s.words, tail, tailSize / kBlockSize);
  s.finished = true;

  static const char kDigits[] = "0123456789abcdef";
  std::string hex;
  hex.reserve(2 * kDigestSize);
  for (uint32_t word : s.words) {
    for (int shift = 28; shift >= 0; shift -= 4) hex += kDigits[(word >> shift) & 0xF];
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

std::string Sha256OfFile(const std::wstring& path) {
  base::unique_hfile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) return std::string();
  Sha256 hash;
  std::vector<char> buffer(256 * 1024);
  DWORD read = 0;
  while (true) {
    if (!::ReadFile(file.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr)) {
      return std::string();
    }
    if (read == 0) return hash.HexDigest();
    hash.Update(buffer.data(), read);
  }
}

}  // namespace base
