// SHA-256 of a byte stream fed in pieces, as the download checks a package
// against the digest the service names for it.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

namespace base {

class Sha256 {
 public:
  Sha256();
  ~Sha256();
  Sha256(const Sha256&) = delete;
  Sha256& operator=(const Sha256&) = delete;

  // Adds `size` bytes to the digest. Cheap per call, so a download can
  // hash each chunk as it writes it.
  void Update(const void* data, size_t size);
  // The digest of everything added since construction or the last Reset,
  // as 64 lowercase hex digits. Ends the digest: until Reset, Update adds
  // nothing and HexDigest is empty.
  std::string HexDigest();
  // Starts over, as if nothing had been added.
  void Reset();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// The digest of the whole file at `path`, as HexDigest gives it; empty when
// the file cannot be read to its end.
std::string Sha256OfFile(const std::wstring& path);

// True for exactly 64 hex digits (either letter case).
bool IsSha256Hex(const std::string& text);

}  // namespace base
