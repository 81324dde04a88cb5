// Small conversions between the program's UTF-16 text and byte strings.
#pragma once

#include <string>
#include <string_view>

// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string Utf8FromUtf16(std::u16string_view text);

// UTF-8 to UTF-16; a sequence that is broken, overlong, encodes a surrogate or lies beyond
// U+10FFFF becomes one U+FFFD.
std::u16string Utf16FromUtf8(std::string_view text);

// Bytes taken as ASCII or Latin-1: each byte becomes one code unit of the same value.
std::u16string Utf16FromLatin1(std::string_view text);

// The decimal form of a signed number.
std::u16string DecimalText(long long value);
