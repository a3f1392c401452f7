#include "support/text.h"

#include "base/text/text_conversion.h"

namespace test_support {

std::wstring Wide(const std::string& utf8) { return base::WideFromUtf8(utf8); }

std::string Utf8(const std::wstring& wide) { return base::Utf8FromWide(wide); }

}  // namespace test_support
