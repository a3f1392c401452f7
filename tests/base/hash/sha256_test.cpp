#include "base/hash/sha256.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include "base/hash/sha256_blocks.h"
#include "support/net_test_support.h"

namespace {

TEST(Sha256, KnownDigestsWhateverThePieces) {
  // Digests published with the algorithm (FIPS 180-2 examples).
  base::Sha256 hash;
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

TEST(Sha256, AgreesWithTheSystemHashAtEveryLengthAndPieceSize) {
  // Lengths around the block size and the padding's turn to a second block,
  // fed whole, in download-sized chunks and in odd pieces.
  const std::string bytes = net_test::RandomBytes(200000, 3);
  for (size_t length : {1, 55, 56, 63, 64, 65, 119, 120, 128, 1024, 4099, 200000}) {
    const std::string expected = net_test::Sha256(bytes.substr(0, length));
    for (size_t piece : {size_t{1024}, size_t{37}, length}) {
      base::Sha256 hash;
      for (size_t at = 0; at < length; at += piece) hash.Update(bytes.data() + at, std::min(piece, length - at));
      EXPECT_EQ(hash.HexDigest(), expected) << length << " bytes in pieces of " << piece;
    }
  }
}

TEST(Sha256, BothBlockFunctionsGiveThePublishedDigest) {
  // "abc" padded to one block, then a long run of blocks compared between the two.
  unsigned char block[64] = {'a', 'b', 'c', 0x80};
  block[63] = 24;
  const uint32_t initial[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                               0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
  const uint32_t abc[8] = {0xba7816bf, 0x8f01cfea, 0x414140de, 0x5dae2223,
                           0xb00361a3, 0x96177a9c, 0xb410ff61, 0xf20015ad};
  uint32_t portable[8];
  std::memcpy(portable, initial, sizeof portable);
  base::CompressSha256Portable(portable, block, 1);
  EXPECT_TRUE(std::equal(portable, portable + 8, abc));
  if (!base::ProcessorHasShaExtensions()) GTEST_SKIP() << "this processor has no SHA extensions";
  uint32_t extensions[8];
  std::memcpy(extensions, initial, sizeof extensions);
  base::CompressSha256WithShaExtensions(extensions, block, 1);
  EXPECT_TRUE(std::equal(extensions, extensions + 8, abc));

  const std::string blocks = net_test::RandomBytes(64 * 500, 5);
  const auto* data = reinterpret_cast<const unsigned char*>(blocks.data());
  base::CompressSha256Portable(portable, data, 500);
  base::CompressSha256WithShaExtensions(extensions, data, 500);
  EXPECT_TRUE(std::equal(extensions, extensions + 8, portable));
}

TEST(Sha256, HexDigestTextIsSixtyFourHexDigits) {
  EXPECT_TRUE(base::IsSha256Hex(std::string(64, 'a')));
  EXPECT_TRUE(base::IsSha256Hex("BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD"));
  EXPECT_FALSE(base::IsSha256Hex(std::string(63, 'a')));
  EXPECT_FALSE(base::IsSha256Hex(std::string(65, 'a')));
  EXPECT_FALSE(base::IsSha256Hex(std::string(63, 'a') + "g"));
  EXPECT_FALSE(base::IsSha256Hex(""));
}

}  // namespace
