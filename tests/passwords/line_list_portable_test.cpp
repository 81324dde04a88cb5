// The string list without the system: its lines, the bytes of its file in a made-up code page or
// UTF-16, the lines read back from bytes, the pieces the code page is handed, all or nothing.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "passwords/line_list.h"
#include "tests/passwords/allocation_failures.h"
#include "toolkit/text.h"

using namespace std::string_literals;

namespace {

using Lines = std::vector<std::u16string>;

// A made-up ANSI code page: ASCII, and four more characters in bytes that are not their Latin-1
// ones (é among them), so that a Latin-1 byte written as it is shows. It records what it is
// asked and converts.
class TFakeCodePage final : public TCodePages {
public:
  TCharBuffer<char16_t> FromAnsi(std::span<const std::uint8_t> bytes) override {
    std::u16string text;
    for (const std::uint8_t b : bytes) text += b < 0x80 ? static_cast<char16_t>(b) : UnitOf(b);
    return Buffer(text);
  }
  // Valid UTF-8 is the UTF-8 of its decoded text; anything else comes back changed.
  TCharBuffer<char16_t> FromUtf8(std::span<const std::uint8_t> bytes) override {
    const std::string in(bytes.begin(), bytes.end());
    const std::u16string text = Utf16FromUtf8(in);
    return Buffer(Utf8FromUtf16(text) == in ? text : u"");
  }
  bool HasExactAnsiForm(std::u16string_view text) override {
    asked.emplace_back(text);
    for (const char16_t c : text) {
      if (c >= 0x80 && ByteOf(c) == '?') return false;
    }
    return true;
  }
  std::span<const std::uint8_t> ToAnsi(std::u16string_view text) override {
    converted.emplace_back(text);
    out_.clear();
    for (const char16_t c : text) out_ += c < 0x80 ? static_cast<char>(c) : ByteOf(c);
    return {reinterpret_cast<const std::uint8_t*>(out_.data()), out_.size()};
  }

  std::vector<std::u16string> asked, converted;

private:
  struct TPair {
    char byte;
    char16_t unit;
  };
  static constexpr TPair kPairs[] = {{'\x80', u'\u00E9'}, {'\x81', u'\u041F'}, {'\x82', u'\u0430'}, {'\x83', u'\u20AC'}};
  // The system writes the default character for one the code page lacks.
  static char ByteOf(char16_t unit) {
    for (const TPair& p : kPairs) {
      if (p.unit == unit) return p.byte;
    }
    return '?';
  }
  static char16_t UnitOf(std::uint8_t byte) {
    for (const TPair& p : kPairs) {
      if (static_cast<std::uint8_t>(p.byte) == byte) return p.unit;
    }
    return u'\uFFFD';
  }
  static TCharBuffer<char16_t> Buffer(std::u16string_view text) {
    TCharBuffer<char16_t> buffer;
    buffer.Append(text.data(), text.size());
    return buffer;
  }

  std::string out_;
};

TLines ListOf(const Lines& lines) {
  TLines list;
  for (const auto& line : lines) list.Add(line);
  return list;
}

TCharBuffer<std::uint8_t> BytesOf(std::string_view bytes) {
  TCharBuffer<std::uint8_t> buffer;
  buffer.Append(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  return buffer;
}

// What SaveToBytes hands on.
struct TSaved {
  std::string bytes;
  std::vector<std::size_t> writes;  // the size of every piece written
  int pumps = 0;
};

TSaved Save(const TLines& list, TFakeCodePage& page) {
  TSaved saved;
  list.SaveToBytes(
      page,
      [&saved](std::span<const std::uint8_t> bytes) {
        saved.bytes.append(bytes.begin(), bytes.end());
        saved.writes.push_back(bytes.size());
      },
      [&saved] { ++saved.pumps; });
  return saved;
}

std::string SavedBytes(const TLines& list) {
  TFakeCodePage page;
  return Save(list, page).bytes;
}

Lines Read(std::string_view bytes) {
  TFakeCodePage page;
  TLines list;
  list.Add(u"before");
  list.LoadFromBytes(BytesOf(bytes), page);
  return list.Lines();
}

// The bytes of a UTF-16 file of lines, low byte first, after its mark.
std::string Utf16File(const Lines& lines) {
  std::string bytes = "\xFF\xFE";
  for (const auto& line : lines) {
    for (const char16_t c : line + u"\r\n") {
      bytes += static_cast<char>(c & 0xFF);
      bytes += static_cast<char>(c >> 8);
    }
  }
  return bytes;
}

// Marks the row of a list whose file is UTF-16.
const std::string kUtf16 = "UTF-16";

TEST(Lines, KeepsOrderDuplicatesAndEmptyStrings) {
  TLines list;
  EXPECT_EQ(list.Add(u"b"), 0u);
  EXPECT_EQ(list.Add(u""), 1u);
  EXPECT_EQ(list.Add(u"b"), 2u);
  EXPECT_EQ(list.Add(u"a"), 3u);
  EXPECT_EQ(list.Lines(), (Lines{u"b", u"", u"b", u"a"}));
  EXPECT_EQ(list[1], u"");
  EXPECT_EQ(list[3], u"a");
  try {
    (void)list[4];
    ADD_FAILURE() << "no failure";
  } catch (const EListError& e) {
    EXPECT_EQ(e.Message(), u"List index out of bounds (4)");
  }
  list.Clear();
  EXPECT_EQ(list.Count(), 0u);
  EXPECT_THROW((void)list[0], EListError);
}

TEST(Lines, WritesEveryLineWithCrLfInTheCodePageWhereItHoldsEveryCharacterElseUtf16) {
  struct Case {
    Lines lines;
    std::string bytes;
  };
  const Case cases[] = {
      {{}, ""},
      {{u""}, "\r\n"},
      {{u"a", u"", u"b"}, "a\r\n\r\nb\r\n"},
      {{u"a", u"a", u""}, "a\r\na\r\n\r\n"},
      {{u"a\rb", u"c\nd", u"\r\n"}, "a\rb\r\nc\nd\r\n\r\n\r\n"},
      {{u" x\t"}, " x\t\r\n"},
      // Latin-1 lines are kept one byte a character, and converted all the same.
      {{u"\u00E9"}, "\x80\r\n"},
      {{u"a\u00E9", u"\u20AC\u041F\u0430"}, "a\x80\r\n\x83\x81\x82\r\n"},
      {{u"\u00E8"}, kUtf16},
      {{u"\u0100"}, kUtf16},
      {{std::u16string{0xD800}}, kUtf16},
      {{u"\U0001F600"}, kUtf16},
      // One line the code page lacks makes the whole file UTF-16, wherever it stands.
      {{u"abc", u"", u"\u00FC"}, kUtf16},
      {{u"\u0100", std::u16string(5000, u'\u00E9')}, kUtf16},
      {{u"\u00FC", std::u16string(5000, u'\u041F')}, kUtf16},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.lines));
    EXPECT_EQ(SavedBytes(ListOf(c.lines)), c.bytes == kUtf16 ? Utf16File(c.lines) : c.bytes);
  }
}

TEST(Lines, ReadsEveryEncodingAndSeparator) {
  struct Case {
    std::string bytes;
    Lines lines;
  };
  const Case cases[] = {
      {"", {}},
      {"\xFF\xFE", {}},
      {"\xFE\xFF", {}},
      {"\xEF\xBB\xBF", {}},
      {"\0\0\0\0"s, {}},
      {"\r", {u""}},
      {"a\r\nb", {u"a", u"b"}},
      {"a\r\nb\r\n", {u"a", u"b"}},
      {"a\n\nb", {u"a", u"", u"b"}},
      {"a\rb", {u"a", u"b"}},
      {"a\n\rb", {u"a", u"", u"b"}},
      {"\r\n", {u""}},
      {"\r\n\r\n", {u"", u""}},
      {"a\0b"s, {u"a"}},
      {"a\0b\0"s, {u"a"}},
      {"\x80\x81\r\n\x83\x84", {u"\u00E9\u041F", u"\u20AC\uFFFD"}},
      {"\xEF\xBB", {u"\uFFFD\uFFFD"}},
      {"\xFF\xFE" "a\0\r\0\n\0b\0"s, {u"a", u"b"}},
      {"\xFF\xFE" "a\0\n\0b"s, {u"a"}},
      {"\xFF\xFE\0\0"s, {}},
      {"\xFF\xFE\x1F\x04\x30\x04\x00\xD8"s, {std::u16string{0x041F, 0x0430, 0xD800}}},
      {"\xFE\xFF\0a\0\n\0b"s, {u"a", u"b"}},
      {"\xFE\xFF\r\0"s, {u"\u0D00"}},
      {"\xFE\xFF\x04\x1F\xD8\x3D\xDE\x00\0"s, {u"\u041F\U0001F600"}},
      {"\xEF\xBB\xBF" "\xD0\x9F\xD0\xB0\r\n\xF0\x9F\x98\x80\n", {u"\u041F\u0430", u"\U0001F600"}},
      {"\xEF\xBB\xBF" "a\r\nb\x80", {}},
      {"\xEF\xBB\xBF" "\xED\xA0\x80", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.bytes));
    EXPECT_EQ(Read(c.bytes), c.lines);
  }
}

TEST(Lines, LinesAddedToAReadListAndAllAfterThemEndWithCrLf) {
  struct Case {
    std::string bytes, saved;
  };
  const Case cases[] = {
      {"a\rb\nc", "a\r\nb\r\nc\r\nx\r\r\nd\r\n"},
      {"a\r\n\n\r", "a\r\n\r\n\r\nx\r\r\nd\r\n"},
      {"a\r\r\nb\n\n", "a\r\n\r\nb\r\n\r\nx\r\r\nd\r\n"},
      {"a\0ignored"s, "a\r\nx\r\r\nd\r\n"},
      {"", "x\r\r\nd\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.bytes));
    TFakeCodePage page;
    TLines list;
    list.LoadFromBytes(BytesOf(c.bytes), page);
    // A read list saves its lines with CR LF, whatever separated them.
    const Lines read = list.Lines();
    std::string joined;
    for (const auto& line : read) joined += std::string(line.begin(), line.end()) + "\r\n";
    EXPECT_EQ(SavedBytes(list), joined);
    // An added line's own CR is no separator.
    EXPECT_EQ(list.Add(u"x\r"), read.size());
    list.Add(u"d");
    EXPECT_EQ(list[list.Count() - 2], u"x\r");
    EXPECT_EQ(list[list.Count() - 1], u"d");
    EXPECT_EQ(SavedBytes(list), c.saved);
  }
}

// A failed Add leaves the list, and so the file it writes, as it was. Before, a failure to make
// room for the separator left the line in the text without its CR LF, run together with the
// next one in the file.
TEST(Lines, AFailedAddLeavesTheListAndItsBytesAsTheyWere) {
  struct Case {
    const char* name;
    std::string read;  // the bytes the list was read from, or "" for a list built by Add
    std::size_t added, length;
    std::u16string line;
  };
  // A line longer than the room left is where the separator needed room of its own.
  const Case cases[] = {
      {"built", "", 3, 7, u"password"},
      {"built, a long line", "", 3, 7, std::u16string(5000, u'p')},
      {"empty, a long line", "", 0, 0, std::u16string(100, u'p')},
      {"built, block full", "", 455, 7, u"password"},  // 455 lines of 9 characters fill the first block
      {"built, a wide line after narrow ones", "", 3, 7, u"\u041F\u0430"},
      {"built, starts full", "", 16384, 7, u"password"},
      {"read", "a\rb\nc", 0, 0, u"password"},
      {"read, then built", "a\r\n\r\n", 2, 3, std::u16string(300, u'p')},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TFakeCodePage page;
    TLines list;
    Lines expected;
    ForEachAllocationFailing(
        [&] {
          list.Clear();
          if (!c.read.empty()) list.LoadFromBytes(BytesOf(c.read), page);
          expected = list.Lines();
          for (std::size_t i = 0; i < c.added; ++i) {
            expected.push_back(std::u16string(c.length, static_cast<char16_t>(u'a' + i % 26)));
            list.Add(expected.back());
          }
        },
        [&] { list.Add(c.line); },
        [&](bool failed) {
          if (!failed) expected.push_back(c.line);
          ASSERT_EQ(list.Lines(), expected);
          ASSERT_EQ(SavedBytes(list), SavedBytes(ListOf(expected)));
        });
  }
}

TEST(Lines, AFailedLoadLeavesTheListAsItWas) {
  TFakeCodePage page;
  TLines list;
  ForEachAllocationFailing(
      [&] {
        list.Clear();
        list.Add(u"kept");
      },
      [&] { list.LoadFromBytes(BytesOf("\xFF\xFE" "a\0\r\0\n\0b\0"s), page); },
      [&](bool failed) { EXPECT_EQ(list.Lines(), failed ? Lines{u"kept"} : (Lines{u"a", u"b"})); });
}

// The text goes to the code page and to write in pieces of at most kLineListPieceChars that
// never cut a surrogate pair; ASCII is neither asked about nor, where the list keeps it as bytes,
// converted; the question stops at the first piece the code page lacks; pump() runs after every
// piece asked about and every piece written.
TEST(Lines, TheTextGoesOutInPiecesThatKeepPairsWhole) {
  constexpr std::size_t kPiece = kLineListPieceChars;
  Lines short_lines;
  for (int i = 0; i < 300'000; ++i) short_lines.push_back(u"12345");
  // A pair where a cut at the piece's length would fall between its halves.
  const std::u16string pair_at_cut = std::u16string(kPiece - 1, u'\u041F') + u"\U0001F600" + std::u16string(10, u'\u041F');
  const std::u16string long_ascii(kPiece + 5, u'L');
  // How the list is made: by Add, read from its own bytes, or read less its last line, which is
  // then added (after which every line ends with CR LF, as in a list built by Add).
  enum class Made { kBuilt, kRead, kReadThenAdded };
  struct Case {
    const char* name;
    Lines lines;
    Made made;
    bool utf16;         // the file is UTF-16
    std::size_t asked;  // the pieces the code page is asked about
    bool checked;       // every piece is checked, ASCII or not: none is kept as bytes
    bool converted;     // pieces go through the code page's conversion
  };
  const Case cases[] = {
      {"short ASCII lines, built", short_lines, Made::kBuilt, false, 0, false, false},
      {"short ASCII lines, read", short_lines, Made::kRead, false, 0, true, true},
      {"short ASCII lines, read, then one added", short_lines, Made::kReadThenAdded, false, 0, false, false},
      {"a long ASCII line, built", {u"a", long_ascii, u"b"}, Made::kBuilt, false, 0, false, false},
      {"a long ASCII line, read", {u"a", long_ascii, u"b"}, Made::kRead, false, 0, true, true},
      {"a pair at the cut, built", {pair_at_cut}, Made::kBuilt, true, 2, false, false},
      {"a pair at the cut, read", {u"\u041F", pair_at_cut}, Made::kRead, true, 3, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TLines list = ListOf(c.lines);
    if (c.made != Made::kBuilt) {
      TFakeCodePage reader;
      const bool add_last = c.made == Made::kReadThenAdded;
      list.LoadFromBytes(BytesOf(Utf16File(Lines(c.lines.begin(), c.lines.end() - (add_last ? 1 : 0)))), reader);
      if (add_last) list.Add(c.lines.back());
    }
    TFakeCodePage page;
    const TSaved saved = Save(list, page);
    std::u16string text;
    for (const auto& line : c.lines) text += line + u"\r\n";
    EXPECT_EQ(saved.bytes, c.utf16 ? Utf16File(c.lines) : std::string(text.begin(), text.end()));
    EXPECT_EQ(page.asked.size(), c.asked);
    EXPECT_EQ(page.converted.empty(), !c.converted);
    // The pieces asked about and converted are the text's first pieces, in order, whole pairs.
    for (const auto* pieces : {&page.asked, &page.converted}) {
      std::u16string joined;
      for (const auto& piece : *pieces) {
        ASSERT_LE(piece.size(), kPiece);
        ASSERT_FALSE(piece.back() >= 0xD800 && piece.back() <= 0xDBFF) << "a pair cut in two";
        joined += piece;
      }
      EXPECT_EQ(joined, pieces == &page.converted && c.converted ? text : text.substr(0, joined.size()));
    }
    for (const std::size_t size : saved.writes) ASSERT_LE(size, c.utf16 ? 2 * kPiece : kPiece);
    const std::size_t mark = c.utf16 ? 1 : 0;
    EXPECT_GT(saved.writes.size(), 1u);
    const std::size_t checked = c.checked ? saved.writes.size() : page.asked.size();
    EXPECT_EQ(static_cast<std::size_t>(saved.pumps), checked + saved.writes.size() - mark);
  }
}

TEST(Lines, LatinLinesReadAfterAnAddAreTheirCharacters) {
  // Kept one byte a character, they are widened at the first read.
  TLines list;
  list.Add(u"caf\u00E9");
  list.Add(u"\u00FF\u00A0");
  list.Add(u"\u041F");
  list.Add(u"x");
  EXPECT_EQ(list.Lines(), (Lines{u"caf\u00E9", u"\u00FF\u00A0", u"\u041F", u"x"}));
  list.Add(u"\u00E9");
  EXPECT_EQ(list[4], u"\u00E9");
  // ÿ and the no-break space are not in the code page.
  EXPECT_EQ(SavedBytes(list), Utf16File(list.Lines()));
}

}  // namespace
