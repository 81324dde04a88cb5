// The rules of the banner cache's path, without system calls: which paths the download may write
// and its completion may read, and which folders lead to the file.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

// Whether path starts at a drive ("X:\") or a network share ("\\server\share", "\\?\..."), with
// "\" or "/" as separators. A path from the root of the current drive ("\dir") or from the
// current folder does not.
bool StartsAtDriveOrShare(std::u16string_view path);

// The length of the part of a full path that names no folder to create: "X:\", "\\?\X:\",
// "\\server\share\" or "\\?\UNC\server\share\" (the share's part as far as the path goes).
std::size_t RootLength(std::u16string_view path);

// The folders that lead to the file at path, outermost first, each as the length of the start of
// path that names it: every separator after the root and up to the last separator ends one,
// unless it follows another separator. None for a path without a separator.
std::vector<std::size_t> FolderChain(std::u16string_view path);
