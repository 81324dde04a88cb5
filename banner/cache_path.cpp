// Drive and share prefixes, and the folder chain of a cache path.
#include "banner/cache_path.h"

namespace {

bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

// Past the path component that starts at i and the separator after it.
std::size_t SkipComponent(std::u16string_view path, std::size_t i) {
  while (i < path.size() && !IsSeparator(path[i])) ++i;
  return i < path.size() ? i + 1 : i;
}

}  // namespace

bool StartsAtDriveOrShare(std::u16string_view path) {
  if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) return true;
  const bool letter = path.size() >= 3 && ((path[0] >= u'A' && path[0] <= u'Z') || (path[0] >= u'a' && path[0] <= u'z'));
  return letter && path[1] == u':' && IsSeparator(path[2]);
}

std::size_t RootLength(std::u16string_view path) {
  std::size_t i = 0;
  bool share = false;
  if (path.starts_with(u"\\\\?\\")) {
    i = 4;
    if (path.substr(4, 4) == u"UNC\\") {
      i = 8;
      share = true;
    }
  } else if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
    i = 2;
    share = true;
  }
  if (share) return SkipComponent(path, SkipComponent(path, i));
  if (path.size() >= i + 3 && path[i + 1] == u':' && IsSeparator(path[i + 2])) return i + 3;
  return i;
}

std::vector<std::size_t> FolderChain(std::u16string_view path) {
  std::vector<std::size_t> folders;
  const std::size_t end = path.find_last_of(u"\\/");
  if (end == std::u16string_view::npos) return folders;
  for (std::size_t i = RootLength(path); i <= end; ++i) {
    if (IsSeparator(path[i]) && i != 0 && !IsSeparator(path[i - 1])) folders.push_back(i);
  }
  return folders;
}
