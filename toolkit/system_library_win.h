// DLLs that are not among the system's known DLLs, loaded at run time from the system folder only,
// and the functions of the common controls the toolkit takes from one of them.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

// The named DLL from the system folder, never from the program's folder or the current one, where
// a planted file of the same name could wait; kept loaded until the process ends. nullptr when it
// cannot be loaded, with the reason in GetLastError.
HMODULE LoadSystemLibrary(const wchar_t* name) noexcept;

// The named function of module as a pointer of type F; nullptr when module lacks it.
template <class F>
F SystemFunction(HMODULE module, const char* name) noexcept {
  // Through the generic function pointer type, so that the compiler sees the cast as intended.
  return reinterpret_cast<F>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name)));
}

// The message of a failure to load a system DLL: its name and the system's reason.
std::u16string SystemLibraryFailure(const wchar_t* name, DWORD code);

// The functions of comctl32.dll the toolkit uses. The program's manifest asks for version 6,
// which the loader takes from the system's side-by-side store.
struct TCommonControlsApi {
  decltype(&::InitCommonControlsEx) InitCommonControlsEx;
  decltype(&::SetWindowSubclass) SetWindowSubclass;
  decltype(&::RemoveWindowSubclass) RemoveWindowSubclass;
  decltype(&::DefSubclassProc) DefSubclassProc;
};

// comctl32's functions, loaded at the first call and kept. Throws Exception when the DLL or one of
// the functions is missing; every later call then tries again.
const TCommonControlsApi& CommonControls();
