// The string list's text files under Windows: the bytes written, the lines read back in the
// active ANSI code page (1252, 1251, 932 or UTF-8) or UTF-16, the open modes and the failure
// messages.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "passwords/line_list_win.h"
#include "tests/win_test_support.h"
#include "tests/toolkit/file_test_support_win.h"
#include "toolkit/system_error_win.h"
#include "toolkit/wide.h"

using namespace std::string_literals;

namespace {

using Lines = std::vector<std::u16string>;

// True when nothing else holds the file open: an exclusive open succeeds.
bool IsClosed(const std::wstring& path) {
  TUniqueFile file(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  return static_cast<bool>(file);
}

TLineList ListOf(const Lines& lines) {
  TLineList list;
  for (const auto& s : lines) list.Add(s);
  return list;
}

std::wstring CreateMessage(const std::wstring& full_path, DWORD code) {
  return L"Cannot create file \"" + full_path + L"\". " + Wide(SystemErrorText(code));
}

std::wstring OpenMessage(const std::wstring& full_path, DWORD code) {
  return L"Cannot open file \"" + full_path + L"\". " + Wide(SystemErrorText(code));
}

// The whole file, however long (ReadBytes stops at 64 KiB).
std::string ReadAllBytes(const std::wstring& path) {
  TFileStream file(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
  std::string bytes(static_cast<std::size_t>(file.Size()), '\0');
  file.ReadBuffer(bytes.data(), bytes.size());
  return bytes;
}

// Where two long byte strings first differ, with a few bytes on either side; "" when equal.
std::string FirstDifference(const std::string& a, const std::string& b) {
  if (a == b) return "";
  std::size_t i = 0;
  while (i < a.size() && i < b.size() && a[i] == b[i]) ++i;
  const std::size_t from = i < 8 ? 0 : i - 8;
  return "at byte " + std::to_string(i) + " of " + std::to_string(a.size()) + " and " + std::to_string(b.size()) + ": " +
         ::testing::PrintToString(a.substr(from, 24)) + " against " + ::testing::PrintToString(b.substr(from, 24));
}

class LineListFile : public TempFolderTest {
protected:
  Lines LoadBytes(std::string_view bytes) {
    const std::wstring path = Path(L"load.txt");
    WriteBytes(path, bytes);
    TLineList list;
    list.LoadFromFile(path);
    EXPECT_TRUE(IsClosed(path));
    return list.Lines();
  }
  std::string SaveLines(const Lines& lines) {
    const std::wstring path = Path(L"save.txt");
    ListOf(lines).SaveToFile(path);
    EXPECT_TRUE(IsClosed(path));
    return ReadBytes(path);
  }
};

TEST_F(LineListFile, SavingReplacesTheWholeFile) {
  const std::wstring path = Path(L"old.txt");
  WriteBytes(path, "a much longer old content\r\n");
  ListOf({u"new"}).SaveToFile(path);
  EXPECT_EQ(ReadBytes(path), "new\r\n");
  TLineList().SaveToFile(path);
  EXPECT_EQ(ReadBytes(path), "");
}

TEST_F(LineListFile, ReadsEveryEncodingAndSeparator) {
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
      {"\xFF\xFE" "a\0\r\0\n\0b\0"s, {u"a", u"b"}},
      {"\xFF\xFE" "a\0\n\0b"s, {u"a"}},
      {"\xFF\xFE\0\0"s, {}},
      {"\xFF\xFE\x1F\x04\x30\x04\x00\xD8"s, {std::u16string{0x041F, 0x0430, 0xD800}}},
      {"\xFE\xFF\0a\0\n\0b"s, {u"a", u"b"}},
      {"\xFE\xFF\r\0"s, {u"\u0D00"}},
      {"\xFE\xFF\x04\x1F\xD8\x3D\xDE\x00\0"s, {u"\u041F\U0001F600"}},
      {"\xEF\xBB\xBF" "\xD0\x9F\xD0\xB0\r\n\xF0\x9F\x98\x80\n", {u"\u041F\u0430", u"\U0001F600"}},
      {"\xEF\xBB\xBF" "a\r\nb\x80", {}},
      {"\xEF\xBB\xBF" "\xC0\x80", {}},
      {"\xEF\xBB\xBF" "\xED\xA0\x80", {}},
      {"\xEF\xBB\xBF" "a\r\n\xD0", {}},
      {"\xEF\xBB\xBF" "\xFF\xFE", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.bytes));
    EXPECT_EQ(LoadBytes(c.bytes), c.lines);
  }
}

// The ANSI code pages the tests run in: 1252 and 1251, the double-byte 932, and UTF-8.
bool KnownCodePage(UINT cp) { return cp == 1252 || cp == 1251 || cp == 932 || cp == CP_UTF8; }

// Bytes whose characters depend on the active code page.
TEST_F(LineListFile, ReadsAnsiInTheActiveCodePage) {
  struct Case {
    UINT cp;
    std::string bytes;
    std::u16string line;
  };
  const Case cases[] = {
      {1252, "\xEF\xBB", u"\u00EF\u00BB"},
      {1252, "\xD0\x9F" "a", u"\u00D0\u0178a"},
      {1252, "\xCF\xE0\xF0\xEE\xEB\xFC", u"\u00CF\u00E0\u00F0\u00EE\u00EB\u00FC"},
      {1252, "\x80\xA0\xB8", u"\u20AC\u00A0\u00B8"},
      {1251, "\xEF\xBB", u"\u043F\u00BB"},
      {1251, "\xD0\x9F" "a", u"\u0420\u045Fa"},
      {1251, "\xCF\xE0\xF0\xEE\xEB\xFC", u"\u041F\u0430\u0440\u043E\u043B\u044C"},
      {1251, "\x80\xA0\xB8", u"\u0402\u00A0\u0451"},
      {932, "\x82\xA0\x83\x41", u"\u3042\u30A2"},
      {932, "\\~\xB1", u"\\~\uFF71"},
      {932, "\x84\x50\x84\x70", u"\u041F\u0430"},
      {CP_UTF8, "\xD0\x9F\xD0\xB0", u"\u041F\u0430"},
      {CP_UTF8, "\xF0\x9F\x98\x80" "a", u"\U0001F600a"},
      {CP_UTF8, "\xEF\xBB", u"\uFFFD"},
  };
  const UINT cp = GetACP();
  ASSERT_TRUE(KnownCodePage(cp)) << cp;
  for (const auto& c : cases) {
    if (c.cp != cp) continue;
    SCOPED_TRACE(::testing::PrintToString(c.bytes));
    EXPECT_EQ(LoadBytes(c.bytes), Lines{c.line});
  }
}

// Marks the row of a line whose file is UTF-16: its form in the code page would change it.
const std::string kUtf16 = "UTF-16";

// The bytes of a UTF-16 file of lines, low byte first, after its mark.
std::string Utf16File(const Lines& lines) {
  std::string bytes = "\xFF\xFE";
  for (const auto& line : lines) {
    for (char16_t c : line + u"\r\n") {
      bytes += static_cast<char>(c & 0xFF);
      bytes += static_cast<char>(c >> 8);
    }
  }
  return bytes;
}

TEST_F(LineListFile, WritesTheCodePageOnlyWhereItHoldsEveryCharacterElseUtf16) {
  // Before, a character outside the code page became its best-fit substitute (é as e, Ā as A, ∞
  // as 8) or a question mark, and the file was silently not what was saved.
  struct Case {
    Lines lines;
    std::string cp1252, cp1251, cp932, utf8;
  };
  const Case cases[] = {
      {{u"abc", u"\\~ {}"}, "abc\r\n\\~ {}\r\n", "abc\r\n\\~ {}\r\n", "abc\r\n\\~ {}\r\n", "abc\r\n\\~ {}\r\n"},
      {{u"Пароль"}, kUtf16, "\xCF\xE0\xF0\xEE\xEB\xFC\r\n", "\x84\x50\x84\x70\x84\x82\x84\x80\x84\x7C\x84\x8E\r\n",
       "\xD0\x9F\xD0\xB0\xD1\x80\xD0\xBE\xD0\xBB\xD1\x8C\r\n"},
      {{u"ёЁ"}, kUtf16, "\xB8\xA8\r\n", "\x84\x76\x84\x46\r\n", "\xD1\x91\xD0\x81\r\n"},
      {{u"\u20AC"}, "\x80\r\n", "\x88\r\n", kUtf16, "\xE2\x82\xAC\r\n"},
      {{u"é ü"}, "\xE9 \xFC\r\n", kUtf16, kUtf16, "\xC3\xA9 \xC3\xBC\r\n"},
      {{u"\u0100"}, kUtf16, kUtf16, kUtf16, "\xC4\x80\r\n"},
      {{u"\u0142"}, kUtf16, kUtf16, kUtf16, "\xC5\x82\r\n"},
      {{u"\u00A5"}, "\xA5\r\n", kUtf16, kUtf16, "\xC2\xA5\r\n"},
      {{u"\u221E"}, kUtf16, kUtf16, "\x81\x87\r\n", "\xE2\x88\x9E\r\n"},
      {{u"\u3042"}, kUtf16, kUtf16, "\x82\xA0\r\n", "\xE3\x81\x82\r\n"},
      {{u"\U0001F600"}, kUtf16, kUtf16, kUtf16, "\xF0\x9F\x98\x80\r\n"},
      {{std::u16string{0xD800}}, kUtf16, kUtf16, kUtf16, kUtf16},
      {{std::u16string{u'a', 0xDC00, u'b'}}, kUtf16, kUtf16, kUtf16, kUtf16},
      {{u"?"}, "?\r\n", "?\r\n", "?\r\n", "?\r\n"},
      // One line the code page lacks makes the whole file UTF-16.
      {{u"abc", u"", u"Пароль"}, kUtf16, "abc\r\n\r\n\xCF\xE0\xF0\xEE\xEB\xFC\r\n",
       "abc\r\n\r\n\x84\x50\x84\x70\x84\x82\x84\x80\x84\x7C\x84\x8E\r\n",
       "abc\r\n\r\n\xD0\x9F\xD0\xB0\xD1\x80\xD0\xBE\xD0\xBB\xD1\x8C\r\n"},
  };
  const UINT cp = GetACP();
  ASSERT_TRUE(KnownCodePage(cp)) << cp;
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.lines.back()));
    const std::string& in_cp = cp == 1252 ? c.cp1252 : cp == 1251 ? c.cp1251 : cp == 932 ? c.cp932 : c.utf8;
    EXPECT_EQ(SaveLines(c.lines), in_cp == kUtf16 ? Utf16File(c.lines) : in_cp);
    // Either way the lines come back exactly.
    TLineList back;
    back.LoadFromFile(Path(L"save.txt"));
    EXPECT_EQ(back.Lines(), c.lines);
  }
}

TEST_F(LineListFile, RepresentableLinesComeBackUnchanged) {
  Lines lines = {u"a", u"", u"", u"  spaced  ", u"\ttab", u"1234567890", u"a"};
  switch (GetACP()) {
    case 1251: lines.push_back(u"Пароль ёЁ №"); break;
    case 932: lines.push_back(u"パスワード ｱ ∞"); break;
    case CP_UTF8: lines.push_back(u"Пароль 😀 あ ł"); break;
    default: lines.push_back(u"Café Ÿ €"); break;
  }
  const std::wstring path = Path(L"round.txt");
  ListOf(lines).SaveToFile(path);
  EXPECT_NE(ReadBytes(path).substr(0, 2), "\xFF\xFE") << "written in the code page";
  TLineList back;
  back.Add(u"old line");
  back.LoadFromFile(path);
  EXPECT_EQ(back.Lines(), lines);
}

// Every list of lines without CR, LF and U+0000 (which a line cannot hold) comes back exactly,
// whatever its characters: in the code page's bytes, the same as a plain conversion gives, where
// the code page holds every character, else as UTF-16. Seeded: TARVELIN_SEED sets the seed.
TEST_F(LineListFile, EveryListComesBackExactlyInTheCodePageOrUtf16) {
  const UINT cp = GetACP();
  const char* given = std::getenv("TARVELIN_SEED");
  const auto seed = static_cast<std::uint32_t>(given ? std::strtoul(given, nullptr, 10) : 18);
  SCOPED_TRACE("seed " + std::to_string(seed) + " (TARVELIN_SEED), code page " + std::to_string(cp));
  std::mt19937 random(seed);
  auto below = [&random](std::uint32_t n) { return static_cast<std::uint32_t>(random() % n); };
  // A character of the code page: the first one one or two random bytes decode to.
  auto of_code_page = [&]() -> char16_t {
    if (cp == CP_UTF8) {
      const std::uint32_t c = 0x20 + below(0xFFFF - 0x20 - 0x800);
      return static_cast<char16_t>(c < 0xD800 ? c : c + 0x800);
    }
    const char bytes[2] = {static_cast<char>(0x20 + below(0xE0)), static_cast<char>(0x40 + below(0xC0))};
    wchar_t out[2] = {};
    MultiByteToWideChar(CP_ACP, 0, bytes, 2, out, 2);
    return static_cast<char16_t>(out[0]);
  };
  auto any = [&]() -> char16_t {
    const auto c = static_cast<char16_t>(1 + below(0xFFFF));
    return c == u'\r' || c == u'\n' ? u'x' : c;
  };
  for (int round = 0; round < 400; ++round) {
    // Characters from the code page, ASCII, anything (lone surrogates and pairs included), and
    // the code page's with a rare outsider.
    const int kind = round % 4;
    Lines lines(below(12));
    for (auto& line : lines) {
      line.resize(below(24));
      for (auto& c : line) {
        c = kind == 0 ? of_code_page()
            : kind == 1 ? static_cast<char16_t>(0x20 + below(0x5F))
            : kind == 2 ? any()
            : below(40) == 0 ? any() : of_code_page();
      }
    }
    std::wstring text;
    for (const auto& line : lines) text += Wide(line) + L"\r\n";
    std::string ansi(text.size() * 4, '\0');
    ansi.resize(static_cast<std::size_t>(WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                                             ansi.data(), static_cast<int>(ansi.size()), nullptr, nullptr)));
    std::wstring through(ansi.size() + 1, L'\0');
    through.resize(static_cast<std::size_t>(
        MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), through.data(), static_cast<int>(through.size()))));
    SCOPED_TRACE("round " + std::to_string(round));
    ASSERT_EQ(SaveLines(lines), through == text ? ansi : Utf16File(lines));
    TLineList back;
    back.LoadFromFile(Path(L"save.txt"));
    ASSERT_EQ(back.Lines(), lines);
  }
}

TEST_F(LineListFile, SeparatorsInsideLinesComeBackAsMoreLines) {
  const std::wstring path = Path(L"cr.txt");
  ListOf({u"a\rb", u"c\nd"}).SaveToFile(path);
  TLineList back;
  back.LoadFromFile(path);
  EXPECT_EQ(back.Lines(), (Lines{u"a", u"b", u"c", u"d"}));
}

TEST_F(LineListFile, SavingAFileHeldOpenFailsAndKeepsIt) {
  const std::wstring path = Path(L"held.txt");
  WriteBytes(path, "kept\r\n");
  TUniqueFile other(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(other);
  EXPECT_EQ(MessageOf<EFCreateError>([&] { ListOf({u"x"}).SaveToFile(path); }),
            CreateMessage(path, ERROR_SHARING_VIOLATION));
  other.Reset();
  EXPECT_EQ(ReadBytes(path), "kept\r\n");
}

TEST_F(LineListFile, SavingIntoAMissingFolderFails) {
  const std::wstring path = Path(L"no such folder\\file.txt");
  EXPECT_EQ(MessageOf<EFCreateError>([&] { ListOf({u"x"}).SaveToFile(path); }),
            CreateMessage(path, ERROR_PATH_NOT_FOUND));
}

TEST_F(LineListFile, FailedLoadsLeaveTheListUnchanged) {
  const std::wstring held = Path(L"held.txt");
  WriteBytes(held, "x\r\n");
  TUniqueFile writer(CreateFileW(held.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                0, nullptr));
  ASSERT_TRUE(writer);
  struct Case {
    std::wstring path;
    std::wstring message;
  };
  const Case cases[] = {
      {Path(L"missing.txt"), OpenMessage(Path(L"missing.txt"), ERROR_FILE_NOT_FOUND)},
      {Path(L"missing\\file.txt"), OpenMessage(Path(L"missing\\file.txt"), ERROR_PATH_NOT_FOUND)},
      {held, OpenMessage(held, ERROR_SHARING_VIOLATION)},
      {dir_, OpenMessage(dir_, ERROR_ACCESS_DENIED)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(U16(c.path)));
    TLineList list = ListOf({u"before", u""});
    EXPECT_EQ(MessageOf<EFOpenError>([&] { list.LoadFromFile(c.path); }), c.message);
    EXPECT_EQ(list.Lines(), (Lines{u"before", u""}));
  }
}

TEST_F(LineListFile, OthersMayReadWhileTheListLoads) {
  const std::wstring path = Path(L"shared.txt");
  WriteBytes(path, "a\r\n");
  TUniqueFile reader(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(reader);
  TLineList list;
  list.LoadFromFile(path);
  EXPECT_EQ(list.Lines(), Lines{u"a"});
}

TEST_F(LineListFile, MessagesQuoteTheFullPathOfARelativeName) {
  wchar_t saved[MAX_PATH];
  ASSERT_GT(GetCurrentDirectoryW(MAX_PATH, saved), 0u);
  ASSERT_TRUE(SetCurrentDirectoryW(dir_.c_str()));
  TLineList list;
  const std::wstring message = MessageOf<EFOpenError>([&] { list.LoadFromFile(L"sub\\..\\missing.txt"); });
  ListOf({u"r"}).SaveToFile(L"relative.txt");
  SetCurrentDirectoryW(saved);
  EXPECT_EQ(message, OpenMessage(Path(L"missing.txt"), ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(ReadBytes(Path(L"relative.txt")), "r\r\n");
}

TEST_F(LineListFile, CyrillicSpacedAndLongPaths) {
  const std::wstring cyrillic = Path(L"Папка с файлами");
  ASSERT_TRUE(CreateDirectoryW(cyrillic.c_str(), nullptr));
  // Nested folders take the full path past the plain limit of MAX_PATH characters.
  std::vector<std::wstring> folders = {dir_};
  while (folders.back().size() < 700) {
    folders.push_back(folders.back() + L"\\" + std::wstring(60, L'д') + L" x");
    ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + folders.back()).c_str(), nullptr));
  }
  std::vector<std::wstring> paths = {cyrillic + L"\\Пароли 2024.txt"};
  for (std::size_t length : {258, 259, 260, 261, 300, 700}) {
    std::wstring folder;
    for (const auto& f : folders) {
      if (f.size() + 6 <= length) folder = f;
    }
    paths.push_back(folder + L"\\" + std::wstring(length - folder.size() - 5, L'ф') + L".txt");
  }
  for (const auto& path : paths) {
    SCOPED_TRACE(path.size());
    ListOf({u"a", u"b"}).SaveToFile(path);
    TLineList back;
    back.LoadFromFile(path);
    EXPECT_EQ(back.Lines(), (Lines{u"a", u"b"}));
    const std::wstring missing = path.substr(0, path.size() - 4) + L".nope";
    EXPECT_EQ(MessageOf<EFOpenError>([&] { back.LoadFromFile(missing); }), OpenMessage(missing, ERROR_FILE_NOT_FOUND));
  }
}

TEST_F(LineListFile, FilesOfTwoGibibytesAreRefused) {
  const std::wstring path = Path(L"huge.txt");
  {
    TUniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(file);
    LARGE_INTEGER size;
    size.QuadPart = 0x80000000LL;
    ASSERT_TRUE(SetFilePointerEx(file.Get(), size, nullptr, FILE_BEGIN));
    ASSERT_TRUE(SetEndOfFile(file.Get()));
  }
  TLineList list = ListOf({u"kept"});
  EXPECT_EQ(MessageOf<EFOpenError>([&] { list.LoadFromFile(path); }),
            L"Cannot open file \"" + path + L"\". " + Wide(kLineListTooLargeReason));
  EXPECT_EQ(list.Lines(), Lines{u"kept"});
  EXPECT_TRUE(IsClosed(path));
}

TEST_F(LineListFile, AFullDiskIsAWriteError) {
  // Wine opens the Unix device that refuses every write for want of space.
  if (!UnderWine()) {
    GTEST_SKIP() << "needs the full device of the Wine host";
  }
  const std::wstring full = L"/dev/full";
  EXPECT_EQ(MessageOf<EWriteError>([&] { ListOf({u"a"}).SaveToFile(full); }), L"Stream write error");
  TLineList().SaveToFile(full);  // nothing to write
}

TEST_F(LineListFile, TenMillionEmptyLines) {
  const std::wstring path = Path(L"empty lines.txt");
  std::string bytes;
  for (int i = 0; i < 10'000'000; ++i) bytes += "\r\n";
  WriteBytes(path, bytes);
  TLineList list;
  list.LoadFromFile(path);
  ASSERT_EQ(list.Count(), 10'000'000u);
  EXPECT_TRUE(list[0].empty());
  EXPECT_TRUE(list[9'999'999].empty());
}

TEST_F(LineListFile, StreamsStartAtTheirPosition) {
  const std::wstring path = Path(L"stream.txt");
  WriteBytes(path, "ab\xFF\xFE" "c\0\n\0" "d\0"s);
  TFileStream stream(path, GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING);
  stream.SetPosition(2);
  TLineList list;
  list.LoadFromStream(stream);
  EXPECT_EQ(list.Lines(), (Lines{u"c", u"d"}));
  // At the end nothing is left to read; writing goes on at the position.
  list.LoadFromStream(stream);
  EXPECT_EQ(list.Count(), 0u);
  stream.SetPosition(2);
  ListOf({u"x", u"y"}).SaveToStream(stream);
  stream.SetPosition(0);
  list.LoadFromStream(stream);
  EXPECT_EQ(list.Lines(), (Lines{u"abx", u"y", u"d"}));
  EXPECT_EQ(stream.Size(), 10);
}

// A stream that reports a size of its own and delivers or accepts only part of what is asked.
class PartialStream final : public TStream {
public:
  PartialStream(std::int64_t size, std::size_t accepted) : size_(size), accepted_(accepted) {}
  std::size_t Read(void* buffer, std::size_t count) override {
    const std::size_t n = count < accepted_ ? count : accepted_;
    std::memset(buffer, 'a', n);
    reads += n;
    return n;
  }
  std::size_t Write(const void*, std::size_t count) override { return count < accepted_ ? count : accepted_; }
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override {
    return origin == TSeekOrigin::End ? size_ + offset : offset;
  }
  std::size_t reads = 0;

private:
  std::int64_t size_;
  std::size_t accepted_;
};

TEST(LineListStream, ShortWritesAndReadsFail) {
  PartialStream full(0, 3);
  EXPECT_EQ(MessageOf<EWriteError>([&] { ListOf({u"abc"}).SaveToStream(full); }), L"Stream write error");
  PartialStream exact(0, 5);
  ListOf({u"abc"}).SaveToStream(exact);

  TLineList list = ListOf({u"kept"});
  PartialStream broken(10, 0);
  EXPECT_EQ(MessageOf<EReadError>([&] { list.LoadFromStream(broken); }), L"Stream read error");
  EXPECT_EQ(list.Lines(), Lines{u"kept"});
  // Parts of the bytes at a time are read until all are there.
  PartialStream trickle(10, 3);
  list.LoadFromStream(trickle);
  EXPECT_EQ(list.Lines(), Lines{u"aaaaaaaaaa"});
}

TEST(LineListStream, TwoGibibytesAreRefusedBeforeReading) {
  TLineList list = ListOf({u"kept"});
  PartialStream huge(0x80000000LL, 1 << 20);
  EXPECT_EQ(MessageOf<EReadError>([&] { list.LoadFromStream(huge); }), Wide(kLineListStreamTooLargeMessage));
  EXPECT_EQ(huge.reads, 0u);
  EXPECT_EQ(list.Lines(), Lines{u"kept"});
}

TEST_F(LineListFile, ListsLongerThanAPieceSaveWhole) {
  // 300,000 short lines and one of 600,000 characters: more than two pieces of 256 Ki
  // characters, the long line longer than one. A last line the code page lacks makes all of it
  // UTF-16. Messages may be let through after every piece.
  struct Case {
    const char* name;
    std::u16string last;
    bool utf16;
  };
  const Case cases[] = {{"ANSI", u"end", false}, {"UTF-16", std::u16string{u'e', 0xDC00}, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Lines lines;
    std::string bytes;
    for (int i = 0; i < 300'000; ++i) {
      if (i == 1000) {
        lines.push_back(std::u16string(600'000, u'L'));
        bytes += std::string(600'000, 'L') + "\r\n";
      }
      const std::string line = std::to_string(i);
      lines.emplace_back(line.begin(), line.end());
      bytes += line + "\r\n";
    }
    lines.push_back(c.last);
    bytes = c.utf16 ? Utf16File(lines) : bytes + "end\r\n";
    const std::wstring path = Path(L"long.txt");
    int pumps = 0;
    ListOf(lines).SaveToFile(path, [&pumps] { ++pumps; });
    EXPECT_EQ(FirstDifference(ReadAllBytes(path), bytes), "") << "added lines";
    EXPECT_GE(pumps, 5) << "some 3 M characters are a dozen pieces";
    WriteBytes(path, bytes);
    TLineList loaded;
    loaded.LoadFromFile(path);
    ASSERT_EQ(loaded.Count(), lines.size());
    loaded.SaveToFile(path);
    EXPECT_EQ(FirstDifference(ReadAllBytes(path), bytes), "") << "read lines";
  }
}

}  // namespace
