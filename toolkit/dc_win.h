// Device contexts and the objects selected into them, owned for a scope: each is given back on
// every way out of it, a failure included.
#pragma once

#include <windows.h>

#include "toolkit/exception.h"

// The paint of a window's invalid part: BeginPaint now, EndPaint when the scope ends.
class TPaintDC {
public:
  explicit TPaintDC(HWND hwnd) : hwnd_(hwnd), dc_(::BeginPaint(hwnd, &ps_)) {}
  TPaintDC(const TPaintDC&) = delete;
  TPaintDC& operator=(const TPaintDC&) = delete;
  ~TPaintDC() { ::EndPaint(hwnd_, &ps_); }
  HDC Get() const noexcept { return dc_; }
  const RECT& Invalid() const noexcept { return ps_.rcPaint; }

private:
  HWND hwnd_;
  PAINTSTRUCT ps_{};
  HDC dc_;
};

// The device context of a window's client area (or of the whole window, frame included), or of
// the screen for nullptr.
class TWindowDC {
public:
  explicit TWindowDC(HWND hwnd, bool whole_window = false)
      : hwnd_(hwnd), dc_(whole_window ? ::GetWindowDC(hwnd) : ::GetDC(hwnd)) {
    if (!dc_) throw EOutOfResources(u"Cannot get a device context");
  }
  TWindowDC(const TWindowDC&) = delete;
  TWindowDC& operator=(const TWindowDC&) = delete;
  ~TWindowDC() { ::ReleaseDC(hwnd_, dc_); }
  HDC Get() const noexcept { return dc_; }

private:
  HWND hwnd_;
  HDC dc_;
};

// An object selected into a device context until the scope ends.
class TSelection {
public:
  TSelection(HDC dc, HGDIOBJ object) : dc_(dc), old_(::SelectObject(dc, object)) {}
  TSelection(const TSelection&) = delete;
  TSelection& operator=(const TSelection&) = delete;
  ~TSelection() {
    if (old_ && old_ != HGDI_ERROR) ::SelectObject(dc_, old_);
  }

private:
  HDC dc_;
  HGDIOBJ old_;
};

// A memory device context compatible with another one (nullptr: the screen), drawing into a
// bitmap for as long as it lives. The bitmap is the caller's and outlives it.
class TMemoryDC {
public:
  TMemoryDC(HDC compatible_with, HBITMAP bitmap) : dc_(::CreateCompatibleDC(compatible_with)) {
    if (!dc_) throw EOutOfResources(u"Cannot create a device context");
    old_ = ::SelectObject(dc_, bitmap);
  }
  TMemoryDC(const TMemoryDC&) = delete;
  TMemoryDC& operator=(const TMemoryDC&) = delete;
  ~TMemoryDC() {
    if (old_ && old_ != HGDI_ERROR) ::SelectObject(dc_, old_);
    ::DeleteDC(dc_);
  }
  HDC Get() const noexcept { return dc_; }

private:
  HDC dc_;
  HGDIOBJ old_ = nullptr;
};
