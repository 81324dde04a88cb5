// The system's save-file dialog for text files.
#pragma once

#include <windows.h>

#include <commdlg.h>

#include <functional>
#include <string>

#include "toolkit/object.h"

class TSaveTextFileDialog : public TObject {
public:
  // Two file types, shown as Text Files (*.txt) and All Files (*.*).
  std::wstring Filter = L"Text Files|*.txt|All Files|*.*";
  // 0: no custom type is given, so the dialog starts with the first type.
  DWORD FilterIndex = 0;
  // Added to a file name typed without an extension.
  std::wstring DefaultExt = L"txt";
  // Confirmation before an existing file is chosen, no read-only box, resizable.
  DWORD Options = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_ENABLESIZING;
  // The chosen full path after a confirmed Execute.
  std::wstring FileName;

  // Shows the dialog modally over owner, starting with an empty file name, and places it once it
  // has initialised: centred horizontally on the monitor that shows the program's active window,
  // its top at one third of the room above and below. Returns true when the user confirmed a
  // file name; a failure of the system dialog counts as false.
  bool Execute(HWND owner);

  // Raised with the dialog's window once it has been placed; for tests.
  std::function<void(HWND)> OnShown;
};
