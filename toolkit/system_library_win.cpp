// DLLs that are not among the system's known DLLs, loaded at run time from the system folder only.
#include "toolkit/system_library_win.h"

#include "toolkit/exception.h"
#include "toolkit/system_error_win.h"
#include "toolkit/wide.h"

HMODULE LoadSystemLibrary(const wchar_t* name) noexcept {
  return ::LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
}

std::u16string SystemLibraryFailure(const wchar_t* name, DWORD code) {
  std::u16string message = u"Cannot load " + U16(name);
  const std::u16string reason = SystemErrorText(code);
  if (!reason.empty()) message += u": " + reason;
  return message;
}

namespace {

TCommonControlsApi LoadCommonControls() {
  const wchar_t kName[] = L"comctl32.dll";
  const HMODULE module = LoadSystemLibrary(kName);
  if (!module) throw Exception(SystemLibraryFailure(kName, ::GetLastError()));
  const TCommonControlsApi api{
      SystemFunction<decltype(TCommonControlsApi::InitCommonControlsEx)>(module, "InitCommonControlsEx"),
      SystemFunction<decltype(TCommonControlsApi::SetWindowSubclass)>(module, "SetWindowSubclass"),
      SystemFunction<decltype(TCommonControlsApi::RemoveWindowSubclass)>(module, "RemoveWindowSubclass"),
      SystemFunction<decltype(TCommonControlsApi::DefSubclassProc)>(module, "DefSubclassProc"),
  };
  if (!api.InitCommonControlsEx || !api.SetWindowSubclass || !api.RemoveWindowSubclass || !api.DefSubclassProc) {
    throw Exception(SystemLibraryFailure(kName, ERROR_PROC_NOT_FOUND));
  }
  return api;
}

}  // namespace

const TCommonControlsApi& CommonControls() {
  static const TCommonControlsApi api = LoadCommonControls();
  return api;
}
