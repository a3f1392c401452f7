// How skin attribute values are written: booleans, integers, pairs and
// rectangles, blank-separated words and quoted name=value lists. Every
// control, image and skin element reads its text through these, so all skins
// follow one set of rules.
#pragma once

#include <windows.h>

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace ui {

// The blanks of attribute text, the ones the C library's number reading
// skips: space, tab, line feed, vertical tab, form feed, carriage return.
bool IsBlank(wchar_t c);

// `text` without the blanks at either end.
std::wstring TrimBlanks(std::wstring_view text);

// The words of `text` between runs of blanks.
std::vector<std::wstring> SplitBlanks(std::wstring_view text);

// Blank-separated pairs of a name, "=" (blanks allowed around it) and a
// value between two `quote` characters, as in name="value" (attribute lists)
// or key='value' (image attributes). `visit` gets each pair in order;
// reading stops at the first malformed pair, after the pairs before it.
void ForEachQuotedPair(std::wstring_view text, wchar_t quote,
                       const std::function<void(const std::wstring& name,
                                                const std::wstring& value)>& visit);

// True only for exactly "true".
bool ParseBoolAttribute(std::wstring_view value);

// Decimal with optional leading blanks and sign; reading stops at the first
// character that is not a digit (no digits at all gives 0). Values beyond the
// range of int are clamped. When end is given it receives the index where
// reading stopped (0 when nothing was converted).
int ParseIntAttribute(std::wstring_view value, size_t* end = nullptr);

// Integers one after another, each followed by exactly one skipped separator
// character (normally ","). Numbers the text does not hold are 0, so "30" is
// a rectangle of left 30 and "8" a pair of cx 8.
SIZE ParsePairAttribute(std::wstring_view value);
RECT ParseRectAttribute(std::wstring_view value);
// The general form: fills count numbers of out.
void ParseIntList(std::wstring_view value, int* out, size_t count);

}  // namespace ui
