// Requests the test build of the program answers (WM_COPYDATA tags), shared with the probe.
#pragma once

#include <windows.h>

inline constexpr ULONG_PTR kGenRandomFileRequest = 0x47656e46;  // "GenF"
