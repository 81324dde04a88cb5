// Test helper: loads a line-list file with TLineList and writes its lines to another file in
// UTF-8, each followed by LF, so that a script can compare them with what a tool produced.
//   line_list_dump FILE OUT
#include <windows.h>

#include <cstdio>
#include <string>

#include "passwords/line_list_win.h"
#include "toolkit/text.h"

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: line_list_dump FILE OUT\n");
    return 2;
  }
  try {
    TLineList list;
    list.LoadFromFile(argv[1]);
    std::u16string text;
    for (const auto& line : list.Lines()) text += line + u"\n";
    const std::string bytes = Utf8FromUtf16(text);
    HANDLE out = CreateFileW(argv[2], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    const bool ok = out != INVALID_HANDLE_VALUE && WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                    written == bytes.size();
    if (out != INVALID_HANDLE_VALUE) CloseHandle(out);
    if (!ok) {
      std::fprintf(stderr, "line_list_dump: cannot write the output\n");
      return 1;
    }
    std::printf("code page %u, %zu lines\n", GetACP(), list.Count());
    return 0;
  } catch (const Exception& e) {
    std::fprintf(stderr, "line_list_dump: %s\n", e.what());
    return 1;
  }
}
