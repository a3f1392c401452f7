#include "base/text/trim.h"

namespace base {

std::wstring_view TrimLeadingBlanks(std::wstring_view text, Blanks blanks) {
  while (!text.empty() && IsBlank(text.front(), blanks)) text.remove_prefix(1);
  return text;
}

std::wstring_view TrimBlanks(std::wstring_view text, Blanks blanks) {
  text = TrimLeadingBlanks(text, blanks);
  while (!text.empty() && IsBlank(text.back(), blanks)) text.remove_suffix(1);
  return text;
}

}  // namespace base
