// The system's own description of a Win32 error code.
#include "toolkit/system_error_win.h"

std::u16string SystemErrorText(DWORD code) {
  wchar_t buffer[256];
  DWORD n = ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ARGUMENT_ARRAY,
                             nullptr, code, 0, buffer, 256, nullptr);
  while (n > 0 && (buffer[n - 1] <= L' ' || buffer[n - 1] == L'.')) {
    --n;
  }
  return std::u16string(buffer, buffer + n);
}
