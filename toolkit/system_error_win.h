// The system's own description of a Win32 error code, as failure messages quote it.
#pragma once

#include <windows.h>

#include <string>

// The text FormatMessageW gives for code from the system message table in the default language,
// read into a buffer of 256 units, with trailing characters up to U+0020 and full stops removed.
// Empty when the system has no text or the text does not fit.
std::u16string SystemErrorText(DWORD code);
