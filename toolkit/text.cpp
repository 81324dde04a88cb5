// UTF-8 is converted by hand, without a system call, with U+FFFD for every broken sequence.
#include "toolkit/text.h"

#include <cstdint>

std::string Utf8FromUtf16(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    std::uint32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00u);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

std::u16string Utf16FromUtf8(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    const auto b = static_cast<unsigned char>(text[i]);
    std::uint32_t c = 0xFFFD;
    std::size_t len = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
    if (len == 1) {
      c = b;
    } else if (len != 0 && i + len <= text.size()) {
      c = b & (0x7F >> len);
      for (std::size_t k = 1; k < len; ++k) {
        const auto t = static_cast<unsigned char>(text[i + k]);
        if ((t & 0xC0) != 0x80) {
          c = 0xFFFD;
          len = k;
          break;
        }
        c = (c << 6) | (t & 0x3F);
      }
    } else {
      len = 1;
    }
    // An overlong form or an encoded surrogate decodes to nothing valid: "\xC0\xAF" would
    // otherwise pass for "/", and UTF-16 gains no lone surrogate from a byte string.
    constexpr std::uint32_t kShortest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (len > 1 && c != 0xFFFD && (c < kShortest[len] || (c >= 0xD800 && c <= 0xDFFF))) c = 0xFFFD;
    i += len;
    if (c >= 0x10000 && c <= 0x10FFFF) {
      out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
      out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      out += static_cast<char16_t>(c > 0x10FFFF ? 0xFFFD : c);
    }
  }
  return out;
}

std::u16string Utf16FromLatin1(std::string_view text) {
  std::u16string out(text.size(), u'\0');
  for (std::size_t i = 0; i < text.size(); ++i) {
    out[i] = static_cast<unsigned char>(text[i]);
  }
  return out;
}

std::u16string DecimalText(long long value) {
  const std::string digits = std::to_string(value);
  return Utf16FromLatin1(digits);
}
