#include "base/text/text_conversion.h"

#include <gtest/gtest.h>

namespace {

// Zip entry names rely on rejection to fall back to the legacy code page;
// skins and language files rely on replacement to read on past a bad byte.
TEST(TextConversionTest, InvalidBytesAreRejectedOrReplacedAsAsked) {
  const std::string invalid = "a\xC3(b";
  EXPECT_EQ(base::DecodeText(invalid, base::kUtf8CodePage, base::InvalidBytes::kReject), std::nullopt);
  EXPECT_EQ(base::WideFromUtf8(invalid), L"a\xFFFD(b");
  EXPECT_EQ(base::DecodeText("", base::kUtf8CodePage, base::InvalidBytes::kReject), std::wstring());
}

TEST(TextConversionTest, RoundTripsThroughUtf8AndTheLogCodePage) {
  const std::wstring text = L"C:\\\x5B89\x88C5 \xD55C \xD83D\xDE00";
  EXPECT_EQ(base::WideFromUtf8(base::Utf8FromWide(text)), text);
  const std::wstring chinese = L"\x5B89\x88C5\x76EE\x5F55";
  EXPECT_EQ(base::CodePageFromWide(chinese, 936).size(), 8u);
  EXPECT_EQ(base::WideFromCodePage(base::CodePageFromWide(chinese, 936), 936), chinese);
}

TEST(TextConversionTest, DecodesIntoTheCallersBufferWithSpareRoom) {
  std::vector<wchar_t> buffer = {L'x', L'y', L'z'};
  ASSERT_TRUE(base::DecodeTextInto("<a/>", base::kUtf8CodePage, buffer, 2));
  EXPECT_EQ(std::wstring(buffer.begin(), buffer.end()), L"<a/>");
  EXPECT_GE(buffer.capacity(), 6u);
  ASSERT_TRUE(base::DecodeTextInto("", base::kUtf8CodePage, buffer, 2));
  EXPECT_TRUE(buffer.empty());
}

}  // namespace
