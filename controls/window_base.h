// WindowBase and DialogBase: every window and dialog of the program is an
// object bound to its window handle.
//
// Binding. A window object is bound at WM_NCCREATE (the object travels as the
// creation parameter), a dialog object at WM_INITDIALOG (the object travels as
// the init parameter). The object pointer lives in the window's GWLP_USERDATA
// (GWL_USERDATA on the 32-bit build) and the handle in the object. Messages
// that arrive before binding (WM_GETMINMAXINFO precedes WM_NCCREATE) go to
// DefWindowProc, or are left unhandled by a dialog. At WM_NCDESTROY the object
// sees the message last, then the pointer is cleared from the window and the
// handle from the object: a destroyed window never reaches a stale object, and
// an object outlives its window safely (`hwnd()` is then null).
//
// Live list. Every constructed WindowBase adds itself to a process-wide list
// and removes itself in its destructor. The message loop trusts the pointer
// in a window's user data only when `FromHandle` finds it in that list, so a
// window of another kind (a control, a message box, a window whose object is
// gone) is never taken for one of ours. Dialog objects are not in the list.
//
// Dispatch. `RegisterHandlers` fills two maps read like a table: a message map
// (message id -> handler) and a command map (WM_COMMAND low word -> handler,
// also by ranges). Handlers get (hwnd, msg, wParam, lParam). A window without
// a handler for a message falls back to DefWindowProc; a dialog returns FALSE.
//
// Exceptions never unwind into the system: the common procedures catch them,
// show the out-of-memory message for std::bad_alloc and report anything else
// to the debugger, then answer the message as if it had not been handled.
//
// Window classes, dialog templates and menus come from ModuleInstance().
//
// Threads: user-interface thread only (the live list is not locked).
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <vector>

namespace qm {

using MessageHandler = std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)>;

// The two maps of a window or dialog object. Commands may be registered one
// by one or as an inclusive range; a single id wins over a range holding it.
class HandlerMaps {
public:
  void OnMessage(UINT msg, MessageHandler handler);
  void OnCommand(UINT id, MessageHandler handler);
  // A command whose action needs none of the message's parameters; it
  // answers 0.
  void OnCommandAction(UINT id, std::function<void()> action);
  void OnCommandRange(UINT first, UINT last, MessageHandler handler);
  void Clear();

  // The handler for msg (WM_COMMAND looked up by the low word of wParam),
  // or null when none is registered.
  const MessageHandler* Find(UINT msg, WPARAM wParam) const;

private:
  struct Range {
    UINT first, last;
    MessageHandler handler;
  };
  std::map<UINT, MessageHandler> messages_;
  std::map<UINT, MessageHandler> commands_;
  std::vector<Range> ranges_;
};

// Binds a member function of a derived object as a handler:
//   maps.OnCommand(20212, Bind(this, &TextWindow::OnRefresh));
template <class T>
MessageHandler Bind(T* self, LRESULT (T::*fn)(HWND, UINT, WPARAM, LPARAM)) {
  return [self, fn](HWND h, UINT m, WPARAM w, LPARAM l) { return (self->*fn)(h, m, w, l); };
}

// What Create registers when no class of that name exists yet.
struct WindowClassInfo {
  UINT style = 0;
  HICON icon = nullptr;
  HCURSOR cursor = nullptr;  // null: the arrow cursor
  HBRUSH background = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  UINT menuId = 0;           // resource id of the class menu, 0 for none
  const char* className = nullptr;
};

class WindowBase {
public:
  WindowBase();
  WindowBase(const WindowBase&) = delete;
  WindowBase& operator=(const WindowBase&) = delete;
  // Destroys a window that still exists (its WM_NCDESTROY unbinds it first).
  virtual ~WindowBase();

  // Offered every message of the main loop aimed at this top-level window or
  // one of its children; true consumes it. The base consumes nothing.
  virtual bool PreTranslateMessage(MSG* msg);
  // Fills the maps. Derived classes call the base first.
  virtual void RegisterHandlers();
  // Map dispatch, then DefWindowProc. Overrides call this for what they
  // leave alone.
  virtual LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

  // Registers the handlers and the window class (unless a class of that name
  // exists), then creates the window bound to this object. Returns false when
  // the class could not be registered or the window not created; GetLastError
  // then tells why and a line goes to the debugger.
  bool Create(DWORD exStyle, DWORD style, int x, int y, int width, int height, HWND parent,
              HMENU menuOrId, const char* title = "");

  HWND hwnd() const { return hwnd_; }
  HWND parent() const { return parent_; }
  HACCEL accelerators() const { return accel_; }
  int clientWidth() const { return clientWidth_; }
  int clientHeight() const { return clientHeight_; }

  // The live object bound to hwnd, or null (not ours, not bound, or gone).
  static WindowBase* FromHandle(HWND hwnd);
  // The live object of hwnd's top-level window (children climbed to their
  // root; owned top-level windows are roots of their own).
  static WindowBase* FromTopLevel(HWND hwnd);
  static bool IsLive(const WindowBase* object);
  static size_t LiveCount();

protected:
  WindowClassInfo& windowClass() { return class_; }
  HandlerMaps& maps() { return maps_; }
  void SetAccelerators(HACCEL accel) { accel_ = accel; }

private:
  static LRESULT CALLBACK CommonWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  bool RegisterClassIfNeeded();

  HWND hwnd_ = nullptr;
  HWND parent_ = nullptr;
  HACCEL accel_ = nullptr;
  int clientWidth_ = 0;
  int clientHeight_ = 0;
  WindowClassInfo class_;
  HandlerMaps maps_;
};

// A dialog object. RunModal and CreateModeless pass the object as the init
// parameter; the common dialog procedure binds it at WM_INITDIALOG and
// forwards every later message to DialogProc.
class DialogBase {
public:
  DialogBase() = default;
  DialogBase(const DialogBase&) = delete;
  DialogBase& operator=(const DialogBase&) = delete;
  // Destroys a modeless dialog that still exists.
  virtual ~DialogBase();

  // Map dispatch; FALSE when nothing handled the message. A handler's result
  // is the dialog procedure's result (TRUE for handled, or the value of a
  // WM_CTLCOLOR* brush and the like).
  virtual INT_PTR DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  // Fills the maps. Derived classes call the base first.
  virtual void RegisterHandlers();

  // DialogBoxParam for template id; returns its result (-1 when the dialog
  // could not be made).
  INT_PTR RunModal(UINT templateId, HWND owner);
  // The same from a template in memory.
  INT_PTR RunModal(const DLGTEMPLATE* dialogTemplate, HWND owner);
  // CreateDialogParam for template id; null on failure.
  HWND CreateModeless(UINT templateId, HWND owner);

  HWND hwnd() const { return hwnd_; }

  // The dialog object bound to hwnd by DialogBase, or null.
  static DialogBase* FromHandle(HWND hwnd);
  // Offers msg to every open modeless dialog (IsDialogMessage); true when
  // one of them took it. For the main message loop.
  static bool TranslateModeless(MSG* msg);

protected:
  HandlerMaps& maps() { return maps_; }

private:
  static INT_PTR CALLBACK CommonDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  void Prepare();

  HWND hwnd_ = nullptr;
  bool modeless_ = false;
  HandlerMaps maps_;
};

}  // namespace qm
