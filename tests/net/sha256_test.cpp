#include "app/sha256.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

TEST(Sha256, KnownDigestsWhateverThePieces) {
  // Digests published with the algorithm (FIPS 180-2 examples).
  app::Sha256 hash;
  EXPECT_EQ(hash.HexDigest(), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855") << "no bytes";

  hash.Reset();
  hash.Update("abc", 3);
  EXPECT_EQ(hash.HexDigest(), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");

  // The same text fed in uneven pieces gives the digest of the whole.
  const std::string text = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";
  hash.Reset();
  for (size_t at = 0; at < text.size(); at += 7) hash.Update(text.data() + at, std::min<size_t>(7, text.size() - at));
  EXPECT_EQ(hash.HexDigest(), "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");

  // A finished digest takes nothing more until it starts over.
  hash.Update("abc", 3);
  EXPECT_EQ(hash.HexDigest(), "");
}

TEST(Sha256, HexDigestTextIsSixtyFourHexDigits) {
  EXPECT_TRUE(app::IsSha256Hex(std::string(64, 'a')));
  EXPECT_TRUE(app::IsSha256Hex("BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD"));
  EXPECT_FALSE(app::IsSha256Hex(std::string(63, 'a')));
  EXPECT_FALSE(app::IsSha256Hex(std::string(65, 'a')));
  EXPECT_FALSE(app::IsSha256Hex(std::string(63, 'a') + "g"));
  EXPECT_FALSE(app::IsSha256Hex(""));
}

}  // namespace
