// Owning and scoped GDI handles for every window's drawing code.
//
// GdiObject owns one pen, brush, font or bitmap and deletes it; a raw handle
// elsewhere only borrows. SelectScope selects an object into a DC and puts
// the previous one back when it ends, so no object is ever deleted while
// selected: declare the owner before the scope that selects it. Stock
// objects are never wrapped in a GdiObject. WindowDC and MemoryDC own a
// device context for the length of a scope.
#pragma once

#include <windows.h>

#include <utility>

namespace qm {

template <class Handle>
class GdiObject {
public:
  GdiObject() = default;
  explicit GdiObject(Handle handle) : handle_(handle) {}
  ~GdiObject() { Reset(); }
  GdiObject(const GdiObject&) = delete;
  GdiObject& operator=(const GdiObject&) = delete;
  GdiObject(GdiObject&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
  GdiObject& operator=(GdiObject&& other) noexcept {
    if (this != &other) {
      Reset();
      handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
  }

  void Reset(Handle handle = nullptr) {
    if (handle_) DeleteObject(handle_);
    handle_ = handle;
  }
  Handle get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }

private:
  Handle handle_ = nullptr;
};

class SelectScope {
public:
  SelectScope(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  ~SelectScope() {
    if (previous_ && previous_ != HGDI_ERROR) SelectObject(dc_, previous_);
  }
  SelectScope(const SelectScope&) = delete;
  SelectScope& operator=(const SelectScope&) = delete;

private:
  HDC dc_;
  HGDIOBJ previous_;
};

// A window's DC for measuring, released at the end of the scope.
class WindowDC {
public:
  explicit WindowDC(HWND hwnd) : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
  ~WindowDC() {
    if (dc_) ReleaseDC(hwnd_, dc_);
  }
  WindowDC(const WindowDC&) = delete;
  WindowDC& operator=(const WindowDC&) = delete;
  HDC get() const { return dc_; }

private:
  HWND hwnd_;
  HDC dc_;
};

// A memory DC compatible with dc (the screen for null), deleted at the end
// of the scope; get() is null when it could not be made.
class MemoryDC {
public:
  explicit MemoryDC(HDC dc) : dc_(CreateCompatibleDC(dc)) {}
  ~MemoryDC() {
    if (dc_) DeleteDC(dc_);
  }
  MemoryDC(const MemoryDC&) = delete;
  MemoryDC& operator=(const MemoryDC&) = delete;
  HDC get() const { return dc_; }

private:
  HDC dc_;
};

}  // namespace qm
