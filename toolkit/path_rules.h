// The rules of file names that need no system call: which name opens a file whose full path is
// too long for the plain form.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The longest full path, with its terminating zero, that the plain form of a file name takes.
inline constexpr std::size_t kMaxPlainPath = 260;

// The name to open a file by: file_name itself while its full path (full_name) fits the plain
// form, else the full path in the "\\?\" form ("\\?\UNC\" for a network path). A full path
// already in the "\\?\" or "\\.\" form is never prefixed again.
std::u16string OpenablePathName(std::u16string_view file_name, std::u16string_view full_name);
