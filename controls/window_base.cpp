#include "controls/window_base.h"

#include <cstdio>
#include <exception>
#include <new>
#include <utility>
#include <set>

#include "controls/message_box.h"
#include "controls/module_instance.h"

namespace qm {

namespace {

// Both lists hold borrowed pointers; membership is the only thing asked.
// They are never destroyed: objects still alive at process exit (in the
// Settings record, a static) unregister during static destruction.
std::set<const WindowBase*>& LiveWindows() {
  static auto* live = new std::set<const WindowBase*>;
  return *live;
}

std::set<const DialogBase*>& LiveDialogs() {
  static auto* live = new std::set<const DialogBase*>;
  return *live;
}

void ReportToDebugger(const char* where, const char* what, UINT msg) {
  char line[300];
  std::snprintf(line, sizeof line, "Quillmere: %s: %s (message 0x%04X)\n", where, what, msg);
  OutputDebugStringA(line);
}

// Runs a handler, keeping every exception on this side of the system call.
// Returns fallback when the handler threw.
template <class Fn>
LRESULT Guarded(const char* where, UINT msg, LRESULT fallback, Fn&& fn) {
  try {
    return fn();
  } catch (const std::bad_alloc&) {
    ShowOutOfMemoryMessage();
  } catch (const std::exception& e) {
    ReportToDebugger(where, e.what(), msg);
  } catch (...) {
    ReportToDebugger(where, "unknown exception", msg);
  }
  return fallback;
}

// A window still alive when its object goes: cut the binding first so the
// messages of its destruction reach DefWindowProc, not a half-destroyed
// object.
void UnbindAndDestroy(HWND& bound) {
  if (!bound) return;
  HWND hwnd = bound;
  bound = nullptr;
  SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
  DestroyWindow(hwnd);
}

}  // namespace

// --- HandlerMaps -----------------------------------------------------------

void HandlerMaps::OnMessage(UINT msg, MessageHandler handler) {
  messages_[msg] = std::move(handler);
}

void HandlerMaps::OnCommand(UINT id, MessageHandler handler) {
  commands_[id] = std::move(handler);
}

void HandlerMaps::OnCommandAction(UINT id, std::function<void()> action) {
  OnCommand(id, [action = std::move(action)](HWND, UINT, WPARAM, LPARAM) -> LRESULT {
    action();
    return 0;
  });
}

void HandlerMaps::OnCommandRange(UINT first, UINT last, MessageHandler handler) {
  ranges_.push_back(Range{first, last, std::move(handler)});
}

void HandlerMaps::Clear() {
  messages_.clear();
  commands_.clear();
  ranges_.clear();
}

const MessageHandler* HandlerMaps::Find(UINT msg, WPARAM wParam) const {
  if (msg != WM_COMMAND) {
    auto it = messages_.find(msg);
    return it == messages_.end() ? nullptr : &it->second;
  }
  const UINT id = LOWORD(wParam);
  auto it = commands_.find(id);
  if (it != commands_.end()) return &it->second;
  for (const Range& r : ranges_) {
    if (id >= r.first && id <= r.last) return &r.handler;
  }
  return nullptr;
}

// --- WindowBase --------------------------------------------------------------

WindowBase::WindowBase() { LiveWindows().insert(this); }

WindowBase::~WindowBase() {
  LiveWindows().erase(this);
  UnbindAndDestroy(hwnd_);
}

bool WindowBase::PreTranslateMessage(MSG*) { return false; }

void WindowBase::RegisterHandlers() {}

LRESULT WindowBase::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_SIZE) {
    clientWidth_ = LOWORD(lParam);
    clientHeight_ = HIWORD(lParam);
  }
  if (const MessageHandler* handler = maps_.Find(msg, wParam)) {
    return (*handler)(hwnd, msg, wParam, lParam);
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

bool WindowBase::RegisterClassIfNeeded() {
  WNDCLASSEXA existing{};
  existing.cbSize = sizeof existing;
  if (GetClassInfoExA(ModuleInstance(), class_.className, &existing)) return true;
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.style = class_.style;
  wc.lpfnWndProc = &WindowBase::CommonWindowProc;
  wc.hInstance = ModuleInstance();
  wc.hIcon = class_.icon;
  wc.hCursor = class_.cursor ? class_.cursor : LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = class_.background;
  wc.lpszMenuName = class_.menuId ? MAKEINTRESOURCEA(class_.menuId) : nullptr;
  wc.lpszClassName = class_.className;
  if (RegisterClassExA(&wc)) return true;
  const DWORD error = GetLastError();
  char line[200];
  std::snprintf(line, sizeof line, "Quillmere: RegisterClassEx(\"%s\") failed, error %lu\n",
                class_.className, static_cast<unsigned long>(error));
  OutputDebugStringA(line);
  SetLastError(error);
  return false;
}

bool WindowBase::Create(DWORD exStyle, DWORD style, int x, int y, int width, int height,
                        HWND parent, HMENU menuOrId, const char* title) {
  if (hwnd_ || !class_.className) {
    SetLastError(ERROR_INVALID_FUNCTION);
    return false;
  }
  maps_.Clear();
  RegisterHandlers();
  if (!RegisterClassIfNeeded()) return false;
  parent_ = parent;
  HWND hwnd = CreateWindowExA(exStyle, class_.className, title, style, x, y, width, height, parent,
                              menuOrId, ModuleInstance(), this);
  if (!hwnd) {
    const DWORD error = GetLastError();
    parent_ = nullptr;
    // A window that was bound and then failed in WM_CREATE has been unbound
    // by its WM_NCDESTROY already.
    hwnd_ = nullptr;
    SetLastError(error);
    return false;
  }
  return true;
}

LRESULT CALLBACK WindowBase::CommonWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  WindowBase* self = nullptr;
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTA*>(lParam);
    self = static_cast<WindowBase*>(cs->lpCreateParams);
    if (self && IsLive(self)) {
      self->hwnd_ = hwnd;
      SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
      self = nullptr;
    }
  } else {
    self = reinterpret_cast<WindowBase*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  }
  if (!self) return DefWindowProcA(hwnd, msg, wParam, lParam);

  // Answer as DefWindowProc would when the handler threw; WM_NCCREATE must
  // then fail the creation rather than leave a half-made object bound.
  LRESULT result = Guarded("window procedure", msg, msg == WM_NCCREATE ? FALSE : 0,
                           [&] { return self->WindowProc(hwnd, msg, wParam, lParam); });
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    if (IsLive(self) && self->hwnd_ == hwnd) self->hwnd_ = nullptr;
  }
  return result;
}

WindowBase* WindowBase::FromHandle(HWND hwnd) {
  if (!hwnd) return nullptr;
  auto* object = reinterpret_cast<WindowBase*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (!object || !IsLive(object) || object->hwnd_ != hwnd) return nullptr;
  return object;
}

WindowBase* WindowBase::FromTopLevel(HWND hwnd) {
  if (!hwnd) return nullptr;
  HWND root = GetAncestor(hwnd, GA_ROOT);
  return FromHandle(root ? root : hwnd);
}

bool WindowBase::IsLive(const WindowBase* object) { return LiveWindows().count(object) != 0; }

size_t WindowBase::LiveCount() { return LiveWindows().size(); }

// --- DialogBase --------------------------------------------------------------

DialogBase::~DialogBase() {
  LiveDialogs().erase(this);
  UnbindAndDestroy(hwnd_);
}

void DialogBase::RegisterHandlers() {}

INT_PTR DialogBase::DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (const MessageHandler* handler = maps_.Find(msg, wParam)) {
    return (*handler)(hwnd, msg, wParam, lParam);
  }
  return FALSE;
}

void DialogBase::Prepare() {
  maps_.Clear();
  RegisterHandlers();
  LiveDialogs().insert(this);
}

INT_PTR DialogBase::RunModal(UINT templateId, HWND owner) {
  Prepare();
  INT_PTR result = DialogBoxParamA(ModuleInstance(), MAKEINTRESOURCEA(templateId), owner,
                                   &DialogBase::CommonDialogProc, reinterpret_cast<LPARAM>(this));
  LiveDialogs().erase(this);
  hwnd_ = nullptr;
  return result;
}

INT_PTR DialogBase::RunModal(const DLGTEMPLATE* dialogTemplate, HWND owner) {
  Prepare();
  INT_PTR result = DialogBoxIndirectParamA(ModuleInstance(), dialogTemplate, owner,
                                           &DialogBase::CommonDialogProc,
                                           reinterpret_cast<LPARAM>(this));
  LiveDialogs().erase(this);
  hwnd_ = nullptr;
  return result;
}

HWND DialogBase::CreateModeless(UINT templateId, HWND owner) {
  if (hwnd_) return nullptr;
  Prepare();
  modeless_ = true;
  HWND hwnd = CreateDialogParamA(ModuleInstance(), MAKEINTRESOURCEA(templateId), owner,
                                 &DialogBase::CommonDialogProc, reinterpret_cast<LPARAM>(this));
  if (!hwnd) {
    LiveDialogs().erase(this);
    modeless_ = false;
  }
  return hwnd;
}

INT_PTR CALLBACK DialogBase::CommonDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  DialogBase* self = nullptr;
  if (msg == WM_INITDIALOG) {
    self = reinterpret_cast<DialogBase*>(lParam);
    if (!self || !LiveDialogs().count(self)) return FALSE;
    self->hwnd_ = hwnd;
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  } else {
    self = reinterpret_cast<DialogBase*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!self || !LiveDialogs().count(self)) return FALSE;
  }
  INT_PTR result = Guarded("dialog procedure", msg, FALSE,
                           [&] { return self->DialogProc(hwnd, msg, wParam, lParam); });
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    if (LiveDialogs().count(self) && self->hwnd_ == hwnd) self->hwnd_ = nullptr;
  }
  return result;
}

bool DialogBase::TranslateModeless(MSG* msg) {
  // Copied: a dialog may close (and its object go) inside IsDialogMessage.
  std::vector<HWND> open;
  for (const DialogBase* d : LiveDialogs()) {
    if (d->modeless_ && d->hwnd_) open.push_back(d->hwnd_);
  }
  for (HWND hwnd : open) {
    if (IsWindow(hwnd) && IsDialogMessageW(hwnd, msg)) return true;
  }
  return false;
}

DialogBase* DialogBase::FromHandle(HWND hwnd) {
  if (!hwnd) return nullptr;
  auto* object = reinterpret_cast<DialogBase*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (!object || !LiveDialogs().count(object) || object->hwnd_ != hwnd) return nullptr;
  return object;
}

}  // namespace qm
