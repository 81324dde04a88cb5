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
#include "tests/passwords/allocation_failures.h"
#include "tests/win_test_support.h"
#include "tests/toolkit/file_test_support_win.h"
#include "toolkit/system_error_win.h"
#include "toolkit/wide.h"

using namespace std::string_literals;

namespace {

using Lines = std::vector<std::wstring>;

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

TEST_F(LineListFile, WritesEveryLineWithCrLfAndNoMark) {
  struct Case {
    Lines lines;
    std::string bytes;
  };
  const Case cases[] = {
      {{}, ""},
      {{L""}, "\r\n"},
      {{L"a", L"", L"b"}, "a\r\n\r\nb\r\n"},
      {{L"a", L"a", L""}, "a\r\na\r\n\r\n"},
      {{L"a\rb", L"c\nd", L"\r\n"}, "a\rb\r\nc\nd\r\n\r\n\r\n"},
      {{L" x\t"}, " x\t\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.bytes));
    EXPECT_EQ(SaveLines(c.lines), c.bytes);
  }
}

TEST_F(LineListFile, SavingReplacesTheWholeFile) {
  const std::wstring path = Path(L"old.txt");
  WriteBytes(path, "a much longer old content\r\n");
  ListOf({L"new"}).SaveToFile(path);
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
      {"\r", {L""}},
      {"a\r\nb", {L"a", L"b"}},
      {"a\r\nb\r\n", {L"a", L"b"}},
      {"a\n\nb", {L"a", L"", L"b"}},
      {"a\rb", {L"a", L"b"}},
      {"a\n\rb", {L"a", L"", L"b"}},
      {"\r\n", {L""}},
      {"\r\n\r\n", {L"", L""}},
      {"a\0b"s, {L"a"}},
      {"a\0b\0"s, {L"a"}},
      {"\xFF\xFE" "a\0\r\0\n\0b\0"s, {L"a", L"b"}},
      {"\xFF\xFE" "a\0\n\0b"s, {L"a"}},
      {"\xFF\xFE\0\0"s, {}},
      {"\xFF\xFE\x1F\x04\x30\x04\x00\xD8"s, {std::wstring{0x041F, 0x0430, 0xD800}}},
      {"\xFE\xFF\0a\0\n\0b"s, {L"a", L"b"}},
      {"\xFE\xFF\r\0"s, {L"\u0D00"}},
      {"\xFE\xFF\x04\x1F\xD8\x3D\xDE\x00\0"s, {L"\u041F\U0001F600"}},
      {"\xEF\xBB\xBF" "\xD0\x9F\xD0\xB0\r\n\xF0\x9F\x98\x80\n", {L"\u041F\u0430", L"\U0001F600"}},
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
    std::wstring line;
  };
  const Case cases[] = {
      {1252, "\xEF\xBB", L"\u00EF\u00BB"},
      {1252, "\xD0\x9F" "a", L"\u00D0\u0178a"},
      {1252, "\xCF\xE0\xF0\xEE\xEB\xFC", L"\u00CF\u00E0\u00F0\u00EE\u00EB\u00FC"},
      {1252, "\x80\xA0\xB8", L"\u20AC\u00A0\u00B8"},
      {1251, "\xEF\xBB", L"\u043F\u00BB"},
      {1251, "\xD0\x9F" "a", L"\u0420\u045Fa"},
      {1251, "\xCF\xE0\xF0\xEE\xEB\xFC", L"\u041F\u0430\u0440\u043E\u043B\u044C"},
      {1251, "\x80\xA0\xB8", L"\u0402\u00A0\u0451"},
      {932, "\x82\xA0\x83\x41", L"\u3042\u30A2"},
      {932, "\\~\xB1", L"\\~\uFF71"},
      {932, "\x84\x50\x84\x70", L"\u041F\u0430"},
      {CP_UTF8, "\xD0\x9F\xD0\xB0", L"\u041F\u0430"},
      {CP_UTF8, "\xF0\x9F\x98\x80" "a", L"\U0001F600a"},
      {CP_UTF8, "\xEF\xBB", L"\uFFFD"},
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
    for (wchar_t c : line + L"\r\n") {
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
      {{L"abc", L"\\~ {}"}, "abc\r\n\\~ {}\r\n", "abc\r\n\\~ {}\r\n", "abc\r\n\\~ {}\r\n", "abc\r\n\\~ {}\r\n"},
      {{L"Пароль"}, kUtf16, "\xCF\xE0\xF0\xEE\xEB\xFC\r\n", "\x84\x50\x84\x70\x84\x82\x84\x80\x84\x7C\x84\x8E\r\n",
       "\xD0\x9F\xD0\xB0\xD1\x80\xD0\xBE\xD0\xBB\xD1\x8C\r\n"},
      {{L"ёЁ"}, kUtf16, "\xB8\xA8\r\n", "\x84\x76\x84\x46\r\n", "\xD1\x91\xD0\x81\r\n"},
      {{L"\u20AC"}, "\x80\r\n", "\x88\r\n", kUtf16, "\xE2\x82\xAC\r\n"},
      {{L"é ü"}, "\xE9 \xFC\r\n", kUtf16, kUtf16, "\xC3\xA9 \xC3\xBC\r\n"},
      {{L"\u0100"}, kUtf16, kUtf16, kUtf16, "\xC4\x80\r\n"},
      {{L"\u0142"}, kUtf16, kUtf16, kUtf16, "\xC5\x82\r\n"},
      {{L"\u00A5"}, "\xA5\r\n", kUtf16, kUtf16, "\xC2\xA5\r\n"},
      {{L"\u221E"}, kUtf16, kUtf16, "\x81\x87\r\n", "\xE2\x88\x9E\r\n"},
      {{L"\u3042"}, kUtf16, kUtf16, "\x82\xA0\r\n", "\xE3\x81\x82\r\n"},
      {{L"\U0001F600"}, kUtf16, kUtf16, kUtf16, "\xF0\x9F\x98\x80\r\n"},
      {{std::wstring{0xD800}}, kUtf16, kUtf16, kUtf16, kUtf16},
      {{std::wstring{L'a', 0xDC00, L'b'}}, kUtf16, kUtf16, kUtf16, kUtf16},
      {{L"?"}, "?\r\n", "?\r\n", "?\r\n", "?\r\n"},
      // One line the code page lacks makes the whole file UTF-16.
      {{L"abc", L"", L"Пароль"}, kUtf16, "abc\r\n\r\n\xCF\xE0\xF0\xEE\xEB\xFC\r\n",
       "abc\r\n\r\n\x84\x50\x84\x70\x84\x82\x84\x80\x84\x7C\x84\x8E\r\n",
       "abc\r\n\r\n\xD0\x9F\xD0\xB0\xD1\x80\xD0\xBE\xD0\xBB\xD1\x8C\r\n"},
  };
  const UINT cp = GetACP();
  ASSERT_TRUE(KnownCodePage(cp)) << cp;
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(U16(c.lines.back())));
    const std::string& in_cp = cp == 1252 ? c.cp1252 : cp == 1251 ? c.cp1251 : cp == 932 ? c.cp932 : c.utf8;
    EXPECT_EQ(SaveLines(c.lines), in_cp == kUtf16 ? Utf16File(c.lines) : in_cp);
    // Either way the lines come back exactly.
    TLineList back;
    back.LoadFromFile(Path(L"save.txt"));
    EXPECT_EQ(back.Lines(), c.lines);
  }
}

TEST_F(LineListFile, RepresentableLinesComeBackUnchanged) {
  Lines lines = {L"a", L"", L"", L"  spaced  ", L"\ttab", L"1234567890", L"a"};
  switch (GetACP()) {
    case 1251: lines.push_back(L"Пароль ёЁ №"); break;
    case 932: lines.push_back(L"パスワード ｱ ∞"); break;
    case CP_UTF8: lines.push_back(L"Пароль 😀 あ ł"); break;
    default: lines.push_back(L"Café Ÿ €"); break;
  }
  const std::wstring path = Path(L"round.txt");
  ListOf(lines).SaveToFile(path);
  EXPECT_NE(ReadBytes(path).substr(0, 2), "\xFF\xFE") << "written in the code page";
  TLineList back;
  back.Add(L"old line");
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
  auto of_code_page = [&]() -> wchar_t {
    if (cp == CP_UTF8) {
      const std::uint32_t c = 0x20 + below(0xFFFF - 0x20 - 0x800);
      return static_cast<wchar_t>(c < 0xD800 ? c : c + 0x800);
    }
    const char bytes[2] = {static_cast<char>(0x20 + below(0xE0)), static_cast<char>(0x40 + below(0xC0))};
    wchar_t out[2] = {};
    MultiByteToWideChar(CP_ACP, 0, bytes, 2, out, 2);
    return out[0];
  };
  auto any = [&]() -> wchar_t {
    const auto c = static_cast<wchar_t>(1 + below(0xFFFF));
    return c == L'\r' || c == L'\n' ? L'x' : c;
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
            : kind == 1 ? static_cast<wchar_t>(0x20 + below(0x5F))
            : kind == 2 ? any()
            : below(40) == 0 ? any() : of_code_page();
      }
    }
    std::wstring text;
    for (const auto& line : lines) text += line + L"\r\n";
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

// A failed Add leaves the list, and so the file it writes, as it was. Before, a failure to make
// room for the separator left the line in the text without its CR LF, run together with the
// next one in the file.
TEST_F(LineListFile, AFailedAddLeavesTheListAndItsFileAsTheyWere) {
  struct Case {
    const char* name;
    std::string read;  // the file the list was read from, or "" for a list built by Add
    std::size_t added, length;
    std::wstring line;
  };
  // A line longer than the room left is where the separator needed room of its own.
  const Case cases[] = {
      {"built", "", 3, 7, L"password"},
      {"built, a long line", "", 3, 7, std::wstring(5000, L'p')},
      {"empty, a long line", "", 0, 0, std::wstring(100, L'p')},
      {"built, block full", "", 455, 7, L"password"},  // 455 lines of 9 characters fill the first block
      {"built, starts full", "", 16384, 7, L"password"},
      {"read", "a\rb\nc", 0, 0, L"password"},
      {"read, then built", "a\r\n\r\n", 2, 3, std::wstring(300, L'p')},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TLineList list;
    Lines expected;
    const std::wstring path = Path(L"read.txt");
    WriteBytes(path, c.read);
    ForEachAllocationFailing(
        [&] {
          list.Clear();
          if (!c.read.empty()) list.LoadFromFile(path);
          expected = list.Lines();
          for (std::size_t i = 0; i < c.added; ++i) {
            expected.push_back(std::wstring(c.length, static_cast<wchar_t>(L'a' + i % 26)));
            list.Add(expected.back());
          }
        },
        [&] { list.Add(c.line); },
        [&](bool failed) {
          if (!failed) expected.push_back(c.line);
          ASSERT_EQ(list.Lines(), expected);
          std::string bytes;
          for (const auto& line : expected) bytes += std::string(line.begin(), line.end()) + "\r\n";
          const std::wstring saved = Path(L"saved.txt");
          list.SaveToFile(saved);
          EXPECT_EQ(FirstDifference(ReadAllBytes(saved), bytes), "");
        });
  }
}

TEST_F(LineListFile, SeparatorsInsideLinesComeBackAsMoreLines) {
  const std::wstring path = Path(L"cr.txt");
  ListOf({L"a\rb", L"c\nd"}).SaveToFile(path);
  TLineList back;
  back.LoadFromFile(path);
  EXPECT_EQ(back.Lines(), (Lines{L"a", L"b", L"c", L"d"}));
}

TEST_F(LineListFile, SavingAFileHeldOpenFailsAndKeepsIt) {
  const std::wstring path = Path(L"held.txt");
  WriteBytes(path, "kept\r\n");
  TUniqueFile other(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(other);
  EXPECT_EQ(MessageOf<EFCreateError>([&] { ListOf({L"x"}).SaveToFile(path); }),
            CreateMessage(path, ERROR_SHARING_VIOLATION));
  other.Reset();
  EXPECT_EQ(ReadBytes(path), "kept\r\n");
}

TEST_F(LineListFile, SavingIntoAMissingFolderFails) {
  const std::wstring path = Path(L"no such folder\\file.txt");
  EXPECT_EQ(MessageOf<EFCreateError>([&] { ListOf({L"x"}).SaveToFile(path); }),
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
    TLineList list = ListOf({L"before", L""});
    EXPECT_EQ(MessageOf<EFOpenError>([&] { list.LoadFromFile(c.path); }), c.message);
    EXPECT_EQ(list.Lines(), (Lines{L"before", L""}));
  }
}

TEST_F(LineListFile, OthersMayReadWhileTheListLoads) {
  const std::wstring path = Path(L"shared.txt");
  WriteBytes(path, "a\r\n");
  TUniqueFile reader(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(reader);
  TLineList list;
  list.LoadFromFile(path);
  EXPECT_EQ(list.Lines(), Lines{L"a"});
}

TEST_F(LineListFile, MessagesQuoteTheFullPathOfARelativeName) {
  wchar_t saved[MAX_PATH];
  ASSERT_GT(GetCurrentDirectoryW(MAX_PATH, saved), 0u);
  ASSERT_TRUE(SetCurrentDirectoryW(dir_.c_str()));
  TLineList list;
  const std::wstring message = MessageOf<EFOpenError>([&] { list.LoadFromFile(L"sub\\..\\missing.txt"); });
  ListOf({L"r"}).SaveToFile(L"relative.txt");
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
    ListOf({L"a", L"b"}).SaveToFile(path);
    TLineList back;
    back.LoadFromFile(path);
    EXPECT_EQ(back.Lines(), (Lines{L"a", L"b"}));
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
  TLineList list = ListOf({L"kept"});
  EXPECT_EQ(MessageOf<EFOpenError>([&] { list.LoadFromFile(path); }),
            L"Cannot open file \"" + path + L"\". " + Wide(kLineListTooLargeReason));
  EXPECT_EQ(list.Lines(), Lines{L"kept"});
  EXPECT_TRUE(IsClosed(path));
}

TEST_F(LineListFile, AFullDiskIsAWriteError) {
  // Wine opens the Unix device that refuses every write for want of space.
  if (!UnderWine()) {
    GTEST_SKIP() << "needs the full device of the Wine host";
  }
  const std::wstring full = L"/dev/full";
  EXPECT_EQ(MessageOf<EWriteError>([&] { ListOf({L"a"}).SaveToFile(full); }), L"Stream write error");
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
  EXPECT_EQ(list.Lines(), (Lines{L"c", L"d"}));
  // At the end nothing is left to read; writing goes on at the position.
  list.LoadFromStream(stream);
  EXPECT_EQ(list.Count(), 0u);
  stream.SetPosition(2);
  ListOf({L"x", L"y"}).SaveToStream(stream);
  stream.SetPosition(0);
  list.LoadFromStream(stream);
  EXPECT_EQ(list.Lines(), (Lines{L"abx", L"y", L"d"}));
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
  EXPECT_EQ(MessageOf<EWriteError>([&] { ListOf({L"abc"}).SaveToStream(full); }), L"Stream write error");
  PartialStream exact(0, 5);
  ListOf({L"abc"}).SaveToStream(exact);

  TLineList list = ListOf({L"kept"});
  PartialStream broken(10, 0);
  EXPECT_EQ(MessageOf<EReadError>([&] { list.LoadFromStream(broken); }), L"Stream read error");
  EXPECT_EQ(list.Lines(), Lines{L"kept"});
  // Parts of the bytes at a time are read until all are there.
  PartialStream trickle(10, 3);
  list.LoadFromStream(trickle);
  EXPECT_EQ(list.Lines(), Lines{L"aaaaaaaaaa"});
}

TEST(LineListStream, TwoGibibytesAreRefusedBeforeReading) {
  TLineList list = ListOf({L"kept"});
  PartialStream huge(0x80000000LL, 1 << 20);
  EXPECT_EQ(MessageOf<EReadError>([&] { list.LoadFromStream(huge); }), Wide(kLineListStreamTooLargeMessage));
  EXPECT_EQ(huge.reads, 0u);
  EXPECT_EQ(list.Lines(), Lines{L"kept"});
}

TEST(LineList, KeepsOrderDuplicatesAndEmptyStrings) {
  TLineList list;
  EXPECT_EQ(list.Add(L"b"), 0u);
  EXPECT_EQ(list.Add(L""), 1u);
  EXPECT_EQ(list.Add(L"b"), 2u);
  EXPECT_EQ(list.Add(L"a"), 3u);
  EXPECT_EQ(list.Lines(), (Lines{L"b", L"", L"b", L"a"}));
  EXPECT_EQ(list[1], L"");
  EXPECT_EQ(list[3], L"a");
  EXPECT_EQ(MessageOf<EListError>([&] { (void)list[4]; }), L"List index out of bounds (4)");
  list.Clear();
  EXPECT_EQ(list.Count(), 0u);
}

TEST_F(LineListFile, LinesAddedToALoadedListSaveWithCrLf) {
  struct Case {
    std::string bytes, saved;
  };
  const Case cases[] = {
      {"a\rb\nc", "a\r\nb\r\nc\r\nx\r\r\nd\r\n"},
      {"a\r\n\n\r", "a\r\n\r\n\r\nx\r\r\nd\r\n"},
      {"a\0ignored"s, "a\r\nx\r\r\nd\r\n"},
      {"", "x\r\r\nd\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.bytes));
    const std::wstring path = Path(L"mixed.txt");
    WriteBytes(path, c.bytes);
    TLineList list;
    list.LoadFromFile(path);
    // An added line's own CR is no separator.
    list.Add(L"x\r");
    list.Add(L"d");
    EXPECT_EQ(list[list.Count() - 2], L"x\r");
    list.SaveToFile(path);
    EXPECT_EQ(ReadBytes(path), c.saved);
  }
}

TEST_F(LineListFile, ListsLongerThanAPieceSaveWhole) {
  // 300,000 short lines and one of 600,000 characters: more than two pieces of 256 Ki
  // characters, the long line longer than one. A last line the code page lacks makes all of it
  // UTF-16. Messages may be let through after every piece.
  struct Case {
    const char* name;
    std::wstring last;
    bool utf16;
  };
  const Case cases[] = {{"ANSI", L"end", false}, {"UTF-16", std::wstring{L'e', 0xDC00}, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Lines lines;
    std::string bytes;
    for (int i = 0; i < 300'000; ++i) {
      if (i == 1000) {
        lines.push_back(std::wstring(600'000, L'L'));
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
