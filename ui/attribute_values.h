// How skin attribute values are written: booleans, integers, pairs and
// rectangles. Every control reads its attributes through these, so all skins
// follow one set of rules.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string_view>

namespace ui {

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
