// The icons in Tarvelin.exe: every id is there with its exact sizes, and loads with alpha.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "resources/resource_ids.h"

namespace {

struct IconResource {
  int id;
  const char* name;
  std::vector<int> sizes;
};

const std::vector<IconResource>& Icons() {
  static const std::vector<IconResource> icons = {
      {IDI_TARVELIN, "program", {16, 32, 48, 256}},
      {IDI_BTN_GENERATE, "generate", {32, 40, 48, 64}},
      {IDI_BTN_EXIT, "exit", {32, 40, 48, 64}},
      {IDI_BTN_ABOUT, "about", {32, 40, 48, 64}},
      {IDI_BTN_GENFILE, "password file", {32, 40, 48, 64}},
      {IDI_BTN_FOLDER, "folder", {32, 40, 48, 64}},
      {IDI_BTN_CHECK_GREEN, "green check", {32, 40, 48, 64}},
  };
  return icons;
}

class ProgramIcons : public testing::Test {
 protected:
  void SetUp() override {
    module_ = LoadLibraryExW(TARVELIN_EXE, nullptr, LOAD_LIBRARY_AS_IMAGE_RESOURCE | LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module_, nullptr) << "cannot load Tarvelin.exe, error " << GetLastError();
  }
  void TearDown() override {
    if (module_) FreeLibrary(module_);
  }
  HMODULE module_ = nullptr;
};

#pragma pack(push, 2)
struct GroupEntry {  // one entry of an RT_GROUP_ICON resource
  BYTE width;
  BYTE height;
  BYTE colours;
  BYTE reserved;
  WORD planes;
  WORD bitCount;
  DWORD bytes;
  WORD id;
};
#pragma pack(pop)

TEST_F(ProgramIcons, EveryIconHasItsSizesIn32Bit) {
  for (const IconResource& icon : Icons()) {
    SCOPED_TRACE(icon.name);
    HRSRC found = FindResourceW(module_, MAKEINTRESOURCEW(icon.id), RT_GROUP_ICON);
    ASSERT_NE(found, nullptr);
    const auto* group = static_cast<const BYTE*>(LockResource(LoadResource(module_, found)));
    ASSERT_NE(group, nullptr);
    const WORD count = *reinterpret_cast<const WORD*>(group + 4);
    ASSERT_EQ(count, icon.sizes.size());
    for (WORD i = 0; i < count; ++i) {
      const auto* entry = reinterpret_cast<const GroupEntry*>(group + 6 + i * sizeof(GroupEntry));
      EXPECT_EQ(entry->width == 0 ? 256 : entry->width, icon.sizes[i]);
      EXPECT_EQ(entry->bitCount, 32);
    }
  }
}

// The alpha channel of an icon drawn into a 32-bit bitmap, top row first.
std::vector<BYTE> Alpha(HICON icon, int size) {
  ICONINFO info{};
  if (!GetIconInfo(icon, &info)) return {};
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
  bi.bmiHeader.biWidth = size;
  bi.bmiHeader.biHeight = -size;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  std::vector<BYTE> pixels(static_cast<std::size_t>(size) * size * 4);
  HDC dc = GetDC(nullptr);
  BITMAP bm{};
  const bool sized = info.hbmColor && GetObjectW(info.hbmColor, sizeof(bm), &bm) && bm.bmWidth == size &&
                     bm.bmHeight == size;
  const int rows = sized ? GetDIBits(dc, info.hbmColor, 0, size, pixels.data(), &bi, DIB_RGB_COLORS) : 0;
  ReleaseDC(nullptr, dc);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  if (info.hbmMask) DeleteObject(info.hbmMask);
  if (rows != size) return {};
  std::vector<BYTE> alpha;
  for (std::size_t i = 3; i < pixels.size(); i += 4) alpha.push_back(pixels[i]);
  return alpha;
}

TEST_F(ProgramIcons, LoadAtButtonSizesWithAlpha) {
  for (const IconResource& icon : Icons()) {
    // Every stored size, and the two that the buttons need at 96 and 192 dots per inch.
    std::vector<int> sizes = icon.sizes;
    for (int extra : {32, 64}) {
      if (std::find(sizes.begin(), sizes.end(), extra) == sizes.end()) sizes.push_back(extra);
    }
    for (int size : sizes) {
      SCOPED_TRACE(std::string(icon.name) + " " + std::to_string(size));
      SetLastError(0xdeadbeef);
      auto* handle = static_cast<HICON>(
          LoadImageW(module_, MAKEINTRESOURCEW(icon.id), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
      ASSERT_NE(handle, nullptr) << "error " << GetLastError();
      const std::vector<BYTE> alpha = Alpha(handle, size);
      DestroyIcon(handle);
      ASSERT_EQ(alpha.size(), static_cast<std::size_t>(size) * size);
      EXPECT_EQ(alpha.front(), 0);  // a transparent corner
      EXPECT_EQ(alpha.back(), 0);
      int opaque = 0, partial = 0;
      for (BYTE a : alpha) {
        opaque += a == 255;
        partial += a > 0 && a < 255;
      }
      EXPECT_GT(opaque, size * size / 5);
      // Soft edges, not a 1-bit mask; the floppy disk is drawn mostly on whole pixels, so its
      // 32 px entry has only 20 edge pixels.
      EXPECT_GT(partial, size / 2);
    }
  }
}

}  // namespace
