// Mark detection, UTF-16 decoding, line splitting and joining of line-list text.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "passwords/line_text.h"
#include "tests/passwords/line_text_support.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using Lines = std::vector<std::u16string>;

Lines Split(std::u16string_view text) {
  Lines lines;
  SplitLines(text, lines);
  return lines;
}

TEST(DetectLineTextMark, TestsTheMarksInOrderAndNeedsThemWhole) {
  struct Case {
    Bytes bytes;
    TLineTextEncoding encoding;
    std::size_t size;
  };
  const Case cases[] = {
      {{}, TLineTextEncoding::Ansi, 0},
      {{0xFF}, TLineTextEncoding::Ansi, 0},
      {{0xFE}, TLineTextEncoding::Ansi, 0},
      {{0xEF}, TLineTextEncoding::Ansi, 0},
      {{0xEF, 0xBB}, TLineTextEncoding::Ansi, 0},
      {{0xEF, 0xBB, 0xBE}, TLineTextEncoding::Ansi, 0},
      {{0xEF, 0xBF, 0xBB}, TLineTextEncoding::Ansi, 0},
      {{0xFF, 0xFF}, TLineTextEncoding::Ansi, 0},
      {{0xFE, 0xFE}, TLineTextEncoding::Ansi, 0},
      {{0xBB, 0xBF}, TLineTextEncoding::Ansi, 0},
      {{0x61, 0xFF, 0xFE}, TLineTextEncoding::Ansi, 0},
      {{0xFF, 0xFE}, TLineTextEncoding::Utf16LittleEndian, 2},
      {{0xFF, 0xFE, 0x00, 0x00}, TLineTextEncoding::Utf16LittleEndian, 2},
      {{0xFF, 0xFE, 0xFE, 0xFF}, TLineTextEncoding::Utf16LittleEndian, 2},
      {{0xFE, 0xFF}, TLineTextEncoding::Utf16BigEndian, 2},
      {{0xFE, 0xFF, 0xFF, 0xFE}, TLineTextEncoding::Utf16BigEndian, 2},
      {{0xEF, 0xBB, 0xBF}, TLineTextEncoding::Utf8, 3},
      {{0xEF, 0xBB, 0xBF, 0xFF, 0xFE}, TLineTextEncoding::Utf8, 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.bytes));
    const TLineTextMark mark = DetectLineTextMark(c.bytes);
    EXPECT_EQ(mark.encoding, c.encoding);
    EXPECT_EQ(mark.size, c.size);
  }
}

TEST(DecodeUtf16, TakesTwoBytesPerUnitInEitherOrderWithoutValidation) {
  struct Case {
    Bytes bytes;
    bool big_endian;
    std::u16string text;
  };
  const Case cases[] = {
      {{}, false, u""},
      {{0x61}, false, u""},
      {{0x61, 0x00, 0x62, 0x00}, false, u"ab"},
      {{0x61, 0x00, 0x62}, false, u"a"},
      {{0x00, 0x61, 0x00, 0x62}, true, u"ab"},
      {{0x00, 0x61, 0x00}, true, u"a"},
      {{0x1F, 0x04, 0x30, 0x04}, false, u"Па"},
      {{0x04, 0x1F, 0x04, 0x30}, true, u"Па"},
      {{0x3D, 0xD8, 0x00, 0xDE}, false, u"\U0001F600"},
      {{0xD8, 0x3D, 0xDE, 0x00}, true, u"\U0001F600"},
      {{0x00, 0xD8, 0x61, 0x00}, false, std::u16string{0xD800, u'a'}},
      {{0x00, 0xDC, 0x00, 0xD8}, false, std::u16string{0xDC00, 0xD800}},
      {{0xFF, 0xFF, 0xFE, 0xFF}, false, std::u16string{0xFFFF, 0xFFFE}},
      {{0x00, 0x00, 0x0D, 0x00}, false, std::u16string{0, 0x0D}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.bytes));
    std::u16string out(Utf16UnitCount(c.bytes.size()), u'#');
    EXPECT_EQ(DecodeUtf16(c.bytes, c.big_endian, out.data()), c.text.size());
    EXPECT_EQ(out, c.text);
  }
}

TEST(SplitLines, SeparatorsAndTheFirstZeroCharacter) {
  struct Case {
    std::u16string text;
    Lines lines;
  };
  using namespace std::string_literals;
  const Case cases[] = {
      {u"", {}},
      {u"a", {u"a"}},
      {u"a\r\nb", {u"a", u"b"}},
      {u"a\r\nb\r\n", {u"a", u"b"}},
      {u"a\n\nb", {u"a", u"", u"b"}},
      {u"a\rb", {u"a", u"b"}},
      {u"a\n\rb", {u"a", u"", u"b"}},
      {u"a\r\r\nb", {u"a", u"", u"b"}},
      {u"\r\n", {u""}},
      {u"\r\n\r\n", {u"", u""}},
      {u"\r", {u""}},
      {u"\n", {u""}},
      {u"\n\r", {u"", u""}},
      {u"\r\r", {u"", u""}},
      {u"\n\n\n", {u"", u"", u""}},
      {u"a\0b"s, {u"a"}},
      {u"\0"s, {}},
      {u"\0\r\na"s, {}},
      {u"a\r\0b"s, {u"a"}},
      {u"a\r\n\0b"s, {u"a"}},
      {u"a\n\0\nb"s, {u"a"}},
      {u" a \t\f\v b \u2028\u0085 ", {u" a \t\f\v b \u2028\u0085 "}},
      {u"\x0B\x0C\x0E\x01", {u"\x0B\x0C\x0E\x01"}},
      {std::u16string{0xD800, u'\n', 0xDFFF}, {std::u16string{0xD800}, std::u16string{0xDFFF}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.text));
    EXPECT_EQ(Split(c.text), c.lines);
    EXPECT_EQ(CountLines(std::u16string_view(c.text)), c.lines.size());
  }
}

// The rules stated one character at a time, to check the fast scan against.
Lines ReferenceSplit(std::u16string_view text) {
  Lines lines;
  std::size_t i = 0;
  while (i < text.size() && text[i] != 0) {
    std::u16string line;
    while (i < text.size() && text[i] != u'\r' && text[i] != u'\n' && text[i] != 0) line += text[i++];
    lines.push_back(line);
    if (i < text.size() && text[i] == u'\r') ++i;
    if (i < text.size() && text[i] == u'\n') ++i;
  }
  return lines;
}

TEST(SplitLines, SeparatorsAtEveryOffsetAmongUnitsNearTheLimits) {
  // Units just above and below CR, with the top bit set, and the separators themselves.
  const char16_t units[] = {u'a', u'\r', u'\n', 0, u'\t', 0x0E, 0x0C, 0xFFFF, 0x800D, 0x8000, 0x0D0A, 0x7FFF};
  std::uint32_t state = 12345;
  for (int round = 0; round < 20000; ++round) {
    std::u16string text;
    const std::size_t length = round % 40;
    for (std::size_t i = 0; i < length; ++i) {
      state = state * 134775813u + 1;
      // Mostly ordinary units, so that separators fall at every offset of long runs.
      const std::uint32_t pick = (state >> 16) % 40;
      text += pick < std::size(units) ? units[pick] : static_cast<char16_t>(u'b' + pick);
    }
    SCOPED_TRACE(::testing::PrintToString(text));
    ASSERT_EQ(Split(text), ReferenceSplit(text));
  }
}

TEST(SplitLines, AppendsAfterWhatTheListHolds) {
  Lines lines = {u"x"};
  SplitLines(std::u16string_view(u"a\nb"), lines);
  EXPECT_EQ(lines, (Lines{u"x", u"a", u"b"}));
}

TEST(JoinLines, EveryLineEndsWithCrLf) {
  struct Case {
    Lines lines;
    std::u16string text;
  };
  const Case cases[] = {
      {{}, u""},
      {{u""}, u"\r\n"},
      {{u"a", u"", u"b"}, u"a\r\n\r\nb\r\n"},
      {{u"a\rb", u"c\n"}, u"a\rb\r\nc\n\r\n"},
      {{u"Пароль", u"\U0001F600"}, u"Пароль\r\n\U0001F600\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.text));
    EXPECT_EQ(JoinedLength(c.lines), c.text.size());
    EXPECT_EQ(JoinLines(c.lines), c.text);
  }
}

TEST(JoinLines, SplitGivesBackLinesFreeOfSeparators) {
  const Lines lines = {u"a", u"", u"", u" b ", u"Пароль", u"\t", u""};
  EXPECT_EQ(Split(JoinLines(lines)), lines);
}

TEST(JoinLines, SeparatorsInsideLinesComeBackAsMoreLines) {
  EXPECT_EQ(Split(JoinLines(Lines{u"a\rb", u"c\nd", u"e\r\nf"})), (Lines{u"a", u"b", u"c", u"d", u"e", u"f"}));
}

TEST(IsAscii, EveryUnitBelow0x80InEveryLaneOfFour) {
  EXPECT_TRUE(IsAscii(std::u16string_view()));
  const std::u16string ascii = u"The quick brown fox\r\n\t~\x7F";
  EXPECT_TRUE(IsAscii(std::u16string_view(ascii)));
  // One unit above 0x7F at every offset, in the four-unit steps and in the tail.
  for (const char16_t outside : {u'\x80', u'\xFF', u'\u0100', u'\u0430', char16_t{0xD800}, char16_t{0xFFFF}}) {
    for (std::size_t at = 0; at < ascii.size(); ++at) {
      std::u16string text = ascii;
      text[at] = outside;
      EXPECT_FALSE(IsAscii(std::u16string_view(text))) << at << " " << static_cast<unsigned>(outside);
    }
  }
}

TEST(PieceLength, CutsAtTheLimitButNeverBetweenTheHalvesOfAPair) {
  struct Case {
    std::u16string text;
    std::size_t limit, length;
  };
  const Case cases[] = {
      {u"", 4, 0},
      {u"abc", 4, 3},
      {u"abcd", 4, 4},
      {u"abcde", 4, 4},
      {u"abc\U0001F600", 4, 3},     // a high surrogate last: the pair goes to the next piece
      {u"ab\U0001F600c", 4, 4},     // the pair whole within the limit
      {u"abc\U0001F600", 5, 5},     // no cut
      {std::u16string{u'a', u'b', u'c', 0xDC00, u'd'}, 4, 4},  // a low surrogate last is cut after
      {std::u16string{u'a', 0xD800}, 1 + 1, 2},
      {std::u16string{u'a', 0xDBFF, u'x'}, 2, 1},
      {std::u16string{u'a', 0xD800, 0xDC00}, 2, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.text));
    EXPECT_EQ(PieceLength(std::u16string_view(c.text), c.limit), c.length);
  }
}

}  // namespace
