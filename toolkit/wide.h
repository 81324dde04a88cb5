// The Windows side of the text seam: wchar_t strings are UTF-16 there, char16_t strings everywhere.
#pragma once

#include <string>
#include <string_view>

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows code needs a 16-bit wchar_t");

inline std::wstring Wide(std::u16string_view s) { return std::wstring(s.begin(), s.end()); }
inline std::u16string U16(std::wstring_view s) { return std::u16string(s.begin(), s.end()); }
