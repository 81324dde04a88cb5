// The cache path's rules: drives and shares, the root that names no folder, the folder chain.
#include <gtest/gtest.h>

#include "banner/cache_path.h"
#include "toolkit/text.h"

namespace {

TEST(CachePath, Rules) {
  struct Case {
    std::u16string path;
    bool starts;                       // at a drive or a share
    std::size_t root;                  // RootLength
    std::vector<std::size_t> folders;  // FolderChain
  };
  const Case cases[] = {
      {u"C:\\Users\\u\\AppData\\Roaming\\Corvanix\\Ostrel\\reclam.txt", true, 3, {8, 10, 18, 26, 35, 42}},
      {u"z:/a/b.txt", true, 3, {4}},
      {u"A:\\x", true, 3, {}},
      {u"Z:\\x", true, 3, {}},
      {u"a:\\x", true, 3, {}},
      {u"C:\\reclam.txt", true, 3, {}},
      {u"C:\\a\\\\b\\c", true, 3, {4, 7}},
      {u"C:\\a\\b\\", true, 3, {4, 6}},
      {u"\\\\server\\share\\a\\b.txt", true, 15, {16}},
      {u"//server/share/a/b.txt", true, 15, {16}},
      {u"\\\\server\\share", true, 14, {}},
      {u"\\\\server", true, 8, {}},
      {u"\\\\?\\C:\\a\\b.txt", true, 7, {8}},
      {u"\\\\?\\UNC\\server\\share\\a\\b.txt", true, 21, {22}},
      {u"\\\\?\\a\\b.txt", true, 4, {5}},
      {u"\\Corvanix\\Ostrel\\reclam.txt", false, 0, {9, 16}},
      {u"/a/b", false, 0, {2}},
      {u"reclam.txt", false, 0, {}},
      {u"a\\b.txt", false, 0, {1}},
      {u"C:reclam.txt", false, 0, {}},
      {u"C:", false, 0, {}},
      {u"1:\\a\\b", false, 3, {4}},
      {u"@:\\a\\b", false, 3, {4}},
      {u"[:\\a\\b", false, 3, {4}},
      {u"`:\\a\\b", false, 3, {4}},
      {u"{:\\a\\b", false, 3, {4}},
      {u"\u0421:\\a\\b", false, 3, {4}},
      {u"", false, 0, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8FromUtf16(c.path));
    EXPECT_EQ(StartsAtDriveOrShare(c.path), c.starts);
    EXPECT_EQ(RootLength(c.path), c.root);
    EXPECT_EQ(FolderChain(c.path), c.folders);
  }
}

}  // namespace
