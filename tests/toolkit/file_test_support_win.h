// Helpers of the Windows file tests: a fresh folder per test, whole-file bytes, failure messages.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <string_view>

#include "toolkit/exception.h"
#include "toolkit/handle_win.h"
#include "toolkit/wide.h"

// Removes a folder and everything in it, long paths included.
inline void RemoveTree(const std::wstring& path) {
  const std::wstring longPath = L"\\\\?\\" + path;
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW((longPath + L"\\*").c_str(), &found);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(path + L"\\" + name);
      } else {
        DeleteFileW((longPath + L"\\" + name).c_str());
      }
    } while (FindNextFileW(find, &found));
    FindClose(find);
  }
  RemoveDirectoryW(longPath.c_str());
}

// Makes an empty folder under the temporary folder, named after the running test; returns its
// path, or the empty string when it cannot be made.
inline std::wstring MakeTestFolder() {
  wchar_t temp[MAX_PATH];
  if (GetTempPathW(MAX_PATH, temp) == 0) return {};
  const char* test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
  const std::wstring dir = std::wstring(temp) + L"tarvelin_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
                           std::wstring(test, test + std::strlen(test));
  RemoveTree(dir);
  return CreateDirectoryW(dir.c_str(), nullptr) ? dir : std::wstring();
}

// A fixture with an empty folder of its own under the temporary folder, named after the test.
class TempFolderTest : public ::testing::Test {
protected:
  void SetUp() override {
    dir_ = MakeTestFolder();
    ASSERT_FALSE(dir_.empty());
  }
  void TearDown() override { RemoveTree(dir_); }

  std::wstring Path(const std::wstring& name) const { return dir_ + L"\\" + name; }

  std::wstring dir_;
};

inline std::string ReadBytes(const std::wstring& path) {
  TUniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  EXPECT_TRUE(file) << "cannot open for the check";
  std::string bytes(1 << 16, '\0');
  DWORD n = 0;
  EXPECT_TRUE(ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr));
  bytes.resize(n);
  return bytes;
}

inline void WriteBytes(const std::wstring& path, std::string_view bytes) {
  TUniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  ASSERT_TRUE(file);
  DWORD n = 0;
  ASSERT_TRUE(WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr));
  ASSERT_EQ(n, bytes.size());
}

// The message of the Error that action throws; a test failure when it throws none.
template <class Error, class Action>
std::wstring MessageOf(Action action) {
  try {
    action();
  } catch (const Error& e) {
    return Wide(e.Message());
  }
  ADD_FAILURE() << "no exception of the expected class";
  return {};
}
