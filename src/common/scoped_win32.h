#pragma once

// Owners for Win32 handles, GDI objects, device contexts, COM interfaces and the OLE
// initialisation: each gives back what it holds when it goes, so every way out of a function
// releases it. Windows-only header.

#include <ole2.h>
#include <windows.h>

#include <utility>

namespace droplet {

// Owns one handle of type `Handle`; `Traits` says which values are empty and how to free one.
template <typename Handle, typename Traits>
class Scoped {
 public:
  Scoped() = default;
  explicit Scoped(Handle handle) : handle_(handle) {}
  ~Scoped() { reset(); }
  Scoped(const Scoped&) = delete;
  Scoped& operator=(const Scoped&) = delete;
  Scoped(Scoped&& other) noexcept : handle_(other.release()) {}
  Scoped& operator=(Scoped&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }

  Handle get() const { return handle_; }
  explicit operator bool() const { return Traits::Valid(handle_); }
  // Hands the handle over: the caller (or the system) owns it from now on.
  Handle release() { return std::exchange(handle_, Handle{}); }
  void reset(Handle handle = Handle{}) {
    if (Traits::Valid(handle_)) Traits::Free(handle_);
    handle_ = handle;
  }

 private:
  Handle handle_{};
};

struct KernelHandleTraits {
  static bool Valid(HANDLE handle) { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }
  static void Free(HANDLE handle) { ::CloseHandle(handle); }
};

template <typename Object>
struct GdiObjectTraits {
  static bool Valid(Object object) { return object != nullptr; }
  static void Free(Object object) { ::DeleteObject(object); }
};

struct MemoryDCTraits {
  static bool Valid(HDC dc) { return dc != nullptr; }
  static void Free(HDC dc) { ::DeleteDC(dc); }
};

struct HookTraits {
  static bool Valid(HHOOK hook) { return hook != nullptr; }
  static void Free(HHOOK hook) { ::UnhookWindowsHookEx(hook); }
};

struct MenuTraits {
  static bool Valid(HMENU menu) { return menu != nullptr; }
  static void Free(HMENU menu) { ::DestroyMenu(menu); }
};

struct WindowTraits {
  static bool Valid(HWND window) { return window != nullptr; }
  static void Free(HWND window) { ::DestroyWindow(window); }
};

// A COM interface pointer: the reference it holds is released when it goes.
template <typename Interface>
struct ComTraits {
  static bool Valid(Interface* object) { return object != nullptr; }
  static void Free(Interface* object) { object->Release(); }
};

using ScopedHandle = Scoped<HANDLE, KernelHandleTraits>;
using ScopedBitmap = Scoped<HBITMAP, GdiObjectTraits<HBITMAP>>;
using ScopedRegion = Scoped<HRGN, GdiObjectTraits<HRGN>>;
using ScopedFont = Scoped<HFONT, GdiObjectTraits<HFONT>>;
using ScopedBrush = Scoped<HBRUSH, GdiObjectTraits<HBRUSH>>;
using ScopedMemoryDC = Scoped<HDC, MemoryDCTraits>;  // from CreateCompatibleDC
using ScopedHook = Scoped<HHOOK, HookTraits>;
using ScopedMenu = Scoped<HMENU, MenuTraits>;
using ScopedWindow = Scoped<HWND, WindowTraits>;
template <typename Interface>
using ScopedCom = Scoped<Interface*, ComTraits<Interface>>;

// A window's (or, for no window, the screen's) device context from GetDC, given back with
// ReleaseDC.
class ScopedWindowDC {
 public:
  explicit ScopedWindowDC(HWND window) : window_(window), dc_(::GetDC(window)) {}
  ~ScopedWindowDC() {
    if (dc_ != nullptr) ::ReleaseDC(window_, dc_);
  }
  ScopedWindowDC(const ScopedWindowDC&) = delete;
  ScopedWindowDC& operator=(const ScopedWindowDC&) = delete;

  HDC get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }

 private:
  HWND window_;
  HDC dc_;
};

// Selects an object into a device context and selects the one it replaced back when it goes.
class ScopedSelection {
 public:
  ScopedSelection(HDC dc, HGDIOBJ object)
      : dc_(dc),
        previous_(dc != nullptr && object != nullptr ? ::SelectObject(dc, object) : nullptr) {}
  ~ScopedSelection() {
    if (previous_ != nullptr && previous_ != HGDI_ERROR) ::SelectObject(dc_, previous_);
  }
  ScopedSelection(const ScopedSelection&) = delete;
  ScopedSelection& operator=(const ScopedSelection&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// A window's paint pass: BeginPaint now, EndPaint when it goes.
class ScopedPaint {
 public:
  explicit ScopedPaint(HWND window) : window_(window), dc_(::BeginPaint(window, &paint_)) {}
  ~ScopedPaint() { ::EndPaint(window_, &paint_); }
  ScopedPaint(const ScopedPaint&) = delete;
  ScopedPaint& operator=(const ScopedPaint&) = delete;

  HDC get() const { return dc_; }

 private:
  HWND window_;
  PAINTSTRUCT paint_{};
  HDC dc_;
};

// OLE on the calling thread (drag and drop, the clipboard), undone when it goes.
class ScopedOleInitialize {
 public:
  ScopedOleInitialize() : result_(::OleInitialize(nullptr)) {}
  ~ScopedOleInitialize() {
    if (SUCCEEDED(result_)) ::OleUninitialize();
  }
  ScopedOleInitialize(const ScopedOleInitialize&) = delete;
  ScopedOleInitialize& operator=(const ScopedOleInitialize&) = delete;

  bool ok() const { return SUCCEEDED(result_); }

 private:
  HRESULT result_;
};

// The memory of a global block, locked while the object lives.
template <typename T>
class ScopedGlobalLock {
 public:
  explicit ScopedGlobalLock(HGLOBAL block)
      : block_(block), data_(static_cast<T*>(block != nullptr ? ::GlobalLock(block) : nullptr)) {}
  ~ScopedGlobalLock() {
    if (data_ != nullptr) ::GlobalUnlock(block_);
  }
  ScopedGlobalLock(const ScopedGlobalLock&) = delete;
  ScopedGlobalLock& operator=(const ScopedGlobalLock&) = delete;

  T* get() const { return data_; }

 private:
  HGLOBAL block_;
  T* data_;
};

}  // namespace droplet
