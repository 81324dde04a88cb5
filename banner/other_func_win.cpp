// The shell calls behind OpenInShell and GetSpecialFolderPath.
#include "banner/other_func_win.h"

#include <windows.h>

#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

std::function<void(const std::wstring& address)> OpenInShellOverride;

void OpenInShell(const std::wstring& address) {
  if (OpenInShellOverride) {
    OpenInShellOverride(address);
    return;
  }
  // The shell may hand the address to an extension that needs COM on this thread.
  const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  // The result is of no use: the banner stays as it is whether the shell found a program or not.
  ::ShellExecuteW(nullptr, L"open", address.c_str(), nullptr, nullptr, SW_SHOW);
  if (SUCCEEDED(com)) ::CoUninitialize();
}

std::wstring GetSpecialFolderPath(int folder) {
  // Room for the longest path the call writes, its terminating zero and one unit to spare.
  wchar_t path[262] = {};
  if (FAILED(::SHGetFolderPathW(nullptr, folder, nullptr, 0, path))) return {};
  path[261] = L'\0';
  return path;
}
