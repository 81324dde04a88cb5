// Requests the test build of the program answers, shared with the probes that send them.
#pragma once

#include <windows.h>

// WM_COPYDATA tags.
inline constexpr ULONG_PTR kGenRandomFileRequest = 0x47656e46;  // "GenF"
// Data "<kind> <message>": the next handler of that message in a window (or timer, or worker) of
// that kind fails, once (test_build_win.cpp).
inline constexpr ULONG_PTR kFaultRequest = 0x4661696c;  // "Fail"
// No data: the banner download starts now, as the update timer's tick starts it.
inline constexpr ULONG_PTR kDownloadRequest = 0x446f776e;  // "Down"

// The banner's text: the registered message kBannerTextQuery sent to the main window, wParam the
// asking window. Before it returns 1 the asker gets WM_COPYDATA with dwData kBannerTextTag and the
// text the banner shows, in UTF-16 without a terminating zero.
inline constexpr wchar_t kBannerTextQuery[] = L"Tarvelin.BannerText";
inline constexpr ULONG_PTR kBannerTextTag = 0x42616e72;  // "Banr"
