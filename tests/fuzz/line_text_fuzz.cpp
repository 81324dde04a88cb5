// Fuzz target of the line-list text layer: mark detection, UTF-16 decoding and line splitting of
// arbitrary bytes, checked against the properties every split must have.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

#include "passwords/line_text.h"
#include "tests/passwords/line_text_support.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

// The splitting rules one character at a time, against which the fast scan is compared.
std::vector<std::u16string> ReferenceSplit(std::u16string_view text) {
  std::vector<std::u16string> lines;
  std::size_t i = 0;
  while (i < text.size() && text[i] != 0) {
    const std::size_t first = i;
    while (i < text.size() && text[i] != u'\r' && text[i] != u'\n' && text[i] != 0) ++i;
    lines.emplace_back(text.substr(first, i - first));
    if (i < text.size() && text[i] == u'\r') ++i;
    if (i < text.size() && text[i] == u'\n') ++i;
  }
  return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> bytes(data, size);
  const TLineTextMark mark = DetectLineTextMark(bytes);
  Check(mark.size <= size);
  const auto body = bytes.subspan(mark.size);

  // The code-page conversions are system calls; one byte per character stands in for them.
  std::u16string text;
  if (mark.encoding == TLineTextEncoding::Utf16LittleEndian || mark.encoding == TLineTextEncoding::Utf16BigEndian) {
    text.assign(Utf16UnitCount(body.size()), u'\0');
    Check(DecodeUtf16(body, mark.encoding == TLineTextEncoding::Utf16BigEndian, text.data()) == text.size());
  } else {
    text.assign(body.begin(), body.end());
  }

  std::vector<std::u16string> lines;
  SplitLines(std::u16string_view(text), lines);
  Check(lines == ReferenceSplit(text));
  Check(CountLines(std::u16string_view(text)) == lines.size());
  std::size_t used = 0;
  for (const auto& line : lines) {
    Check(line.find_first_of(std::u16string_view(u"\r\n\0", 3)) == std::u16string::npos);
    used += line.size() + 1;
  }
  // Every line but the last is followed by at least one separator of the text.
  Check(lines.empty() || used - 1 <= text.size());

  // Joined with CR LF, the lines split back into themselves.
  const std::u16string joined = JoinLines(lines);
  Check(joined.size() == JoinedLength(lines));
  std::vector<std::u16string> again;
  SplitLines(std::u16string_view(joined), again);
  Check(again == lines);
  return 0;
}
