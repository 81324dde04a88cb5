// Move-only owners of Windows handles: one template, a trait per kind of handle.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <utility>

template <class Traits>
class UniqueHandle {
public:
  using Type = typename Traits::Type;

  UniqueHandle() noexcept = default;
  explicit UniqueHandle(Type h) noexcept : h_(h) {}
  UniqueHandle(UniqueHandle&& other) noexcept : h_(other.Release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  ~UniqueHandle() { Reset(); }

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

struct KernelHandleTraits {
  using Type = HANDLE;
  static Type Invalid() noexcept { return nullptr; }
  static void Close(Type h) noexcept { ::CloseHandle(h); }
};
struct FileHandleTraits {
  using Type = HANDLE;
  static Type Invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void Close(Type h) noexcept { ::CloseHandle(h); }
};
struct WindowHandleTraits {
  using Type = HWND;
  static Type Invalid() noexcept { return nullptr; }
  static void Close(Type h) noexcept { ::DestroyWindow(h); }
};
struct GdiHandleTraits {
  using Type = HGDIOBJ;
  static Type Invalid() noexcept { return nullptr; }
  static void Close(Type h) noexcept { ::DeleteObject(h); }
};
struct IconHandleTraits {
  using Type = HICON;
  static Type Invalid() noexcept { return nullptr; }
  static void Close(Type h) noexcept { ::DestroyIcon(h); }
};
struct SocketHandleTraits {
  using Type = SOCKET;
  static Type Invalid() noexcept { return INVALID_SOCKET; }
  static void Close(Type h) noexcept { ::closesocket(h); }
};

using UniqueKernelHandle = UniqueHandle<KernelHandleTraits>;
using UniqueFile = UniqueHandle<FileHandleTraits>;
using UniqueWindow = UniqueHandle<WindowHandleTraits>;
using UniqueGdiObject = UniqueHandle<GdiHandleTraits>;
using UniqueIcon = UniqueHandle<IconHandleTraits>;
using UniqueSocket = UniqueHandle<SocketHandleTraits>;

// A GDI object of a known kind (HFONT, HBITMAP, HBRUSH, ...).
template <class T>
struct TypedGdiTraits {
  using Type = T;
  static Type Invalid() noexcept { return nullptr; }
  static void Close(Type h) noexcept { ::DeleteObject(h); }
};
using UniqueFont = UniqueHandle<TypedGdiTraits<HFONT>>;
using UniqueBitmap = UniqueHandle<TypedGdiTraits<HBITMAP>>;
using UniqueBrush = UniqueHandle<TypedGdiTraits<HBRUSH>>;
