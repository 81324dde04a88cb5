// The "\\?\" form takes the full path as it stands, so only a full path is ever prefixed; a
// shorter name keeps its own form, relative or not.
#include "toolkit/path_rules.h"

std::u16string OpenablePathName(std::u16string_view file_name, std::u16string_view full_name) {
  if (full_name.size() < kMaxPlainPath || full_name.starts_with(u"\\\\?\\") || full_name.starts_with(u"\\\\.\\")) {
    return std::u16string(file_name);
  }
  if (full_name.starts_with(u"\\\\")) return u"\\\\?\\UNC\\" + std::u16string(full_name.substr(2));
  return u"\\\\?\\" + std::u16string(full_name);
}
