// The file stream: open modes and their failures, the names it opens, reading, writing, seeking.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/toolkit/file_test_support_win.h"
#include "toolkit/stream_win.h"
#include "toolkit/system_error_win.h"
#include "toolkit/wide.h"

namespace {

using FileStream = TempFolderTest;

TEST_F(FileStream, FullPathNameResolvesAndKeepsTheLastError) {
  wchar_t saved[MAX_PATH];
  ASSERT_GT(GetCurrentDirectoryW(MAX_PATH, saved), 0u);
  ASSERT_TRUE(SetCurrentDirectoryW(dir_.c_str()));
  SetLastError(0xdeadbeef);
  const std::wstring relative = FullPathName(L"a/b\\..\\c.txt");
  EXPECT_EQ(GetLastError(), 0xdeadbeefu);
  SetCurrentDirectoryW(saved);
  EXPECT_EQ(relative, Path(L"a\\c.txt"));
  // A name the system cannot expand is quoted as it was given.
  EXPECT_EQ(FullPathName(L""), L"");
}

TEST_F(FileStream, DispositionsThatMayCreateRaiseTheCreateError) {
  const std::wstring existing = Path(L"existing.txt");
  { TFileStream create(existing, GENERIC_WRITE, 0, CREATE_NEW); }
  const std::wstring missingFolder = Path(L"none\\x.txt");
  struct Case {
    std::wstring path;
    DWORD disposition;
    bool createError;
    DWORD code;
  };
  const Case cases[] = {
      {existing, CREATE_NEW, true, ERROR_FILE_EXISTS},
      {missingFolder, CREATE_ALWAYS, true, ERROR_PATH_NOT_FOUND},
      {missingFolder, OPEN_ALWAYS, true, ERROR_PATH_NOT_FOUND},
      {Path(L"missing.txt"), OPEN_EXISTING, false, ERROR_FILE_NOT_FOUND},
      {Path(L"missing.txt"), TRUNCATE_EXISTING, false, ERROR_FILE_NOT_FOUND},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.disposition);
    const std::wstring reason = Wide(SystemErrorText(c.code));
    if (c.createError) {
      EXPECT_EQ(MessageOf<EFCreateError>([&] { TFileStream s(c.path, GENERIC_READ | GENERIC_WRITE, 0, c.disposition); }),
                L"Cannot create file \"" + c.path + L"\". " + reason);
    } else {
      EXPECT_EQ(MessageOf<EFOpenError>([&] { TFileStream s(c.path, GENERIC_READ | GENERIC_WRITE, 0, c.disposition); }),
                L"Cannot open file \"" + c.path + L"\". " + reason);
    }
  }
}

TEST_F(FileStream, ReadsWritesAndSeeks) {
  const std::wstring path = Path(L"rw.bin");
  {
    TFileStream stream(path, GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS);
    EXPECT_EQ(stream.FullName(), U16(path));
    stream.WriteBuffer("abcde", 5);
    EXPECT_EQ(stream.Position(), 5);
    EXPECT_EQ(stream.Size(), 5);
    EXPECT_EQ(stream.Seek(1, TSeekOrigin::Begin), 1);
    char three[3];
    stream.ReadBuffer(three, 3);
    EXPECT_EQ(std::string(three, 3), "bcd");
    EXPECT_EQ(stream.Seek(-1, TSeekOrigin::Current), 3);
    EXPECT_EQ(stream.Seek(-2, TSeekOrigin::End), 3);
    EXPECT_EQ(stream.Seek(-1, TSeekOrigin::Begin), -1);
    char rest[8];
    EXPECT_EQ(stream.Read(rest, sizeof rest), 2u);
    EXPECT_EQ(stream.Read(rest, sizeof rest), 0u);
    stream.SetPosition(4);
    EXPECT_EQ(MessageOf<EReadError>([&] { stream.ReadBuffer(rest, 2); }), L"Stream read error");
  }
  // Closed with the stream: an exclusive open succeeds again.
  TUniqueFile again(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  EXPECT_TRUE(again);
}

TEST_F(FileStream, AWriteTheSystemRefusesIsAWriteError) {
  const std::wstring path = Path(L"read only access.bin");
  { TFileStream create(path, GENERIC_WRITE, 0, CREATE_ALWAYS); }
  TFileStream stream(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
  EXPECT_EQ(stream.Write("x", 1), 0u);
  EXPECT_EQ(MessageOf<EWriteError>([&] { stream.WriteBuffer("x", 1); }), L"Stream write error");
  stream.WriteBuffer("", 0);  // nothing to write is no failure
}

}  // namespace
