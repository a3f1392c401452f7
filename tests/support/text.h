// UTF-8 and UTF-16 text for tests: expected strings, file contents and
// command lines are written in UTF-8 source, Windows calls take wide text.
// Both go through base/text/text_conversion.h, as the program's own do.
#pragma once

#include <string>

namespace test_support {

std::wstring Wide(const std::string& utf8);
std::string Utf8(const std::wstring& wide);

}  // namespace test_support
