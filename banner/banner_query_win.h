// The banner text for automated checks: another program asks the main window for the text its
// banner shows at the moment.
#pragma once

#include <windows.h>

class TLabel;

// The registered message of the query. wParam is the asking window; the answer is sent to it
// with WM_COPYDATA (dwData BannerTextQueryTag, the text in UTF-16 without a terminating zero)
// before the query returns 1.
inline constexpr wchar_t BannerTextQueryMessage[] = L"Tarvelin.BannerText";
inline constexpr ULONG_PTR BannerTextQueryTag = 0x42616e72;  // "Banr"

// Makes window answer the query with the text of label until the window is destroyed.
void AnswerBannerTextQueries(HWND window, const TLabel& label);
