// A planted bcrypt.dll: leaves planted-bcrypt-loaded.txt in the current folder when a process loads
// it, and its BCryptGenRandom hands out zeros.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    const HANDLE mark = ::CreateFileW(L"planted-bcrypt-loaded.txt", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (mark != INVALID_HANDLE_VALUE) ::CloseHandle(mark);
  }
  return TRUE;
}

extern "C" __declspec(dllexport) LONG WINAPI BCryptGenRandom(void*, unsigned char* buffer, ULONG size, ULONG) {
  for (ULONG i = 0; i < size; ++i) buffer[i] = 0;
  return 0;
}
