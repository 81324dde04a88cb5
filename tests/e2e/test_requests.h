// Requests the test build of the program answers, shared with the probes that send them.
#pragma once

#include <windows.h>

// WM_COPYDATA tags.
inline constexpr ULONG_PTR kGenRandomFileRequest = 0x47656e46;  // "GenF"

// The banner's text: the registered message kBannerTextQuery sent to the main window, wParam the
// asking window. Before it returns 1 the asker gets WM_COPYDATA with dwData kBannerTextTag and the
// text the banner shows, in UTF-16 without a terminating zero.
inline constexpr wchar_t kBannerTextQuery[] = L"Tarvelin.BannerText";
inline constexpr ULONG_PTR kBannerTextTag = 0x42616e72;  // "Banr"
