// Helpers of the banner tests: the process-wide banner state saved and restored around each
// test, a folder of the test's own, and the outcome of one run of the download worker.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "product/product_consts.h"
#include "banner/other_func_win.h"
#include "passwords/random.h"
#include "tests/toolkit/file_test_support_win.h"
#include "tests/win_test_support.h"

// Slot texts a test can tell apart from any line it serves.
inline const std::u16string kSlotMarks[5] = {u"slot 1", u"slot 2", u"slot 3", u"slot 4", u"slot 5"};

inline std::u16string* const kSlots[5] = {&ReklamText1, &ReklamText2, &ReklamText3, &ReklamText4, &ReklamText5};

class BannerTest : public WindowTest {
protected:
  void SetUp() override {
    for (int i = 0; i < 5; ++i) {
      saved_slots_[i] = *kSlots[i];
      *kSlots[i] = kSlotMarks[i];
    }
    saved_loaded_ = ReklamLoaded;
    saved_state_ = RandomState;
    ReklamLoaded = false;
    RandomState = 0;
    dir_ = MakeTestFolder();
    ASSERT_FALSE(dir_.empty());
  }
  void TearDown() override {
    RemoveTree(dir_);
    for (int i = 0; i < 5; ++i) *kSlots[i] = saved_slots_[i];
    ReklamLoaded = saved_loaded_;
    RandomState = saved_state_;
    OpenInShellOverride = nullptr;
  }

  std::wstring Path(const std::wstring& name) const { return dir_ + L"\\" + name; }

  static std::u16string Slots() {
    std::u16string all;
    for (auto* slot : kSlots) all += *slot + u"|";
    return all;
  }

  std::wstring dir_;

private:
  std::u16string saved_slots_[5];
  bool saved_loaded_ = false;
  std::uint32_t saved_state_ = 0;
};

inline bool FileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// All the bytes of a file, however many.
inline std::string ReadWhole(const std::wstring& path) {
  std::string bytes;
  TUniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  EXPECT_TRUE(file) << "cannot open for the check";
  char piece[1 << 16];
  DWORD n = 0;
  while (file && ReadFile(file.Get(), piece, sizeof piece, &n, nullptr) && n > 0) bytes.append(piece, n);
  return bytes;
}

// count lines of sixteen bytes, "0123456789abcd" and CR LF: 65536 of them are MaxBodyLength bytes.
inline std::string ShortLines(std::size_t count) {
  std::string lines;
  lines.reserve(count * 16);
  for (std::size_t i = 0; i < count; ++i) lines += "0123456789abcd\r\n";
  return lines;
}
