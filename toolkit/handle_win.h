// Move-only owners of Windows handles: one template, a trait per kind of handle.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <utility>

template <class Traits>
class TUniqueHandle {
public:
  using Type = typename Traits::Type;

  TUniqueHandle() noexcept = default;
  explicit TUniqueHandle(Type h) noexcept : h_(h) {}
  TUniqueHandle(TUniqueHandle&& other) noexcept : h_(other.Release()) {}
  TUniqueHandle& operator=(TUniqueHandle&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  TUniqueHandle(const TUniqueHandle&) = delete;
  TUniqueHandle& operator=(const TUniqueHandle&) = delete;
  ~TUniqueHandle() { Reset(); }

  Type Get() const noexcept { return h_; }
  explicit operator bool() const noexcept { return h_ != Traits::Invalid(); }
  Type Release() noexcept { return std::exchange(h_, Traits::Invalid()); }

  // Closes the owned handle, keeping the thread's last-error code of an earlier failure.
  void Reset(Type h = Traits::Invalid()) noexcept {
    if (h_ != Traits::Invalid()) {
      const DWORD error = ::GetLastError();
      Traits::Close(h_);
      ::SetLastError(error);
    }
    h_ = h;
  }

private:
  Type h_ = Traits::Invalid();
};

struct TKernelHandleTraits {
  using Type = HANDLE;
  static Type Invalid() noexcept { return nullptr; }
  static void Close(Type h) noexcept { ::CloseHandle(h); }
};
struct TFileHandleTraits {
  using Type = HANDLE;
  static Type Invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void Close(Type h) noexcept { ::CloseHandle(h); }
};
struct TWindowHandleTraits {
  using Type = HWND;
  static Type Invalid() noexcept { return nullptr; }
  static void Close(Type h) noexcept { ::DestroyWindow(h); }
};
struct TGdiHandleTraits {
  using Type = HGDIOBJ;
  static Type Invalid() noexcept { return nullptr; }
  static void Close(Type h) noexcept { ::DeleteObject(h); }
};
struct TIconHandleTraits {
  using Type = HICON;
  static Type Invalid() noexcept { return nullptr; }
  static void Close(Type h) noexcept { ::DestroyIcon(h); }
};
struct TSocketHandleTraits {
  using Type = SOCKET;
  static Type Invalid() noexcept { return INVALID_SOCKET; }
  static void Close(Type h) noexcept { ::closesocket(h); }
};

using TUniqueKernelHandle = TUniqueHandle<TKernelHandleTraits>;
using TUniqueFile = TUniqueHandle<TFileHandleTraits>;
using TUniqueWindow = TUniqueHandle<TWindowHandleTraits>;
using TUniqueGdiObject = TUniqueHandle<TGdiHandleTraits>;
using TUniqueIcon = TUniqueHandle<TIconHandleTraits>;
using TUniqueSocket = TUniqueHandle<TSocketHandleTraits>;

// A GDI object of a known kind (HFONT, HBITMAP, HBRUSH, ...).
template <class T>
struct TTypedGdiTraits {
  using Type = T;
  static Type Invalid() noexcept { return nullptr; }
  static void Close(Type h) noexcept { ::DeleteObject(h); }
};
using TUniqueFont = TUniqueHandle<TTypedGdiTraits<HFONT>>;
using TUniqueBitmap = TUniqueHandle<TTypedGdiTraits<HBITMAP>>;
using TUniqueBrush = TUniqueHandle<TTypedGdiTraits<HBRUSH>>;
