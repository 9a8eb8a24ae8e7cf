// WindowBase and DialogBase: binding at WM_NCCREATE / WM_INITDIALOG, map
// dispatch, the live list, unbinding at WM_NCDESTROY, exception containment.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "controls/module_instance.h"
#include "controls/window_base.h"

namespace qm {
namespace {

constexpr UINT kPing = WM_APP + 1;
constexpr UINT kThrow = WM_APP + 2;

class ProbeWindow : public WindowBase {
public:
  explicit ProbeWindow(const char* className = "QmProbeWindow") {
    windowClass().className = className;
  }

  void RegisterHandlers() override {
    WindowBase::RegisterHandlers();
    maps().OnMessage(WM_NCCREATE, Bind(this, &ProbeWindow::OnNcCreate));
    maps().OnMessage(WM_CREATE, Bind(this, &ProbeWindow::OnCreate));
    maps().OnMessage(WM_NCDESTROY, Bind(this, &ProbeWindow::OnNcDestroy));
    maps().OnMessage(kPing, [this](HWND, UINT, WPARAM w, LPARAM) -> LRESULT {
      log.push_back("ping " + std::to_string(w));
      return 42;
    });
    maps().OnMessage(kThrow, [](HWND, UINT, WPARAM, LPARAM) -> LRESULT {
      throw std::runtime_error("handler failed");
    });
    maps().OnCommand(20212, [this](HWND, UINT, WPARAM, LPARAM) -> LRESULT {
      log.push_back("refresh");
      return 0;
    });
    maps().OnCommandRange(59000, 59999, [this](HWND, UINT, WPARAM w, LPARAM) -> LRESULT {
      log.push_back("window " + std::to_string(LOWORD(w)));
      return 0;
    });
    maps().OnCommand(59500, [this](HWND, UINT, WPARAM, LPARAM) -> LRESULT {
      log.push_back("single 59500");
      return 0;
    });
  }

  LRESULT OnNcCreate(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
    boundAtNcCreate = this->hwnd() == hwnd &&
                      GetWindowLongPtrA(hwnd, GWLP_USERDATA) == reinterpret_cast<LONG_PTR>(this);
    return DefWindowProcA(hwnd, msg, w, l);
  }
  LRESULT OnCreate(HWND, UINT, WPARAM, LPARAM) { return failCreate ? -1 : 0; }
  LRESULT OnNcDestroy(HWND hwnd, UINT, WPARAM, LPARAM) {
    boundAtNcDestroy = FromHandle(hwnd) == this;
    return 0;
  }

  bool Make(HWND parent = nullptr) {
    return Create(0, parent ? WS_CHILD : WS_OVERLAPPEDWINDOW, 10, 10, 300, 200, parent, nullptr,
                  "probe");
  }

  std::vector<std::string> log;
  bool failCreate = false;
  bool boundAtNcCreate = false;
  bool boundAtNcDestroy = false;
};

TEST(WindowBinding, BindsAtNcCreateAndFindsTheObjectByHandle) {
  ProbeWindow w;
  ASSERT_TRUE(w.Make());
  EXPECT_TRUE(w.boundAtNcCreate);
  EXPECT_EQ(WindowBase::FromHandle(w.hwnd()), &w);
  EXPECT_EQ(GetWindowLongPtrA(w.hwnd(), GWLP_USERDATA), reinterpret_cast<LONG_PTR>(&w));
}

TEST(WindowBinding, NcDestroyUnbindsAndTheObjectOutlivesItsWindow) {
  ProbeWindow w;
  ASSERT_TRUE(w.Make());
  HWND hwnd = w.hwnd();
  DestroyWindow(hwnd);
  EXPECT_TRUE(w.boundAtNcDestroy);
  EXPECT_EQ(w.hwnd(), nullptr);
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_EQ(WindowBase::FromHandle(hwnd), nullptr);
  EXPECT_TRUE(WindowBase::IsLive(&w));
}

TEST(WindowBinding, DestructorDestroysAWindowThatStillExists) {
  auto* w = new ProbeWindow;
  ASSERT_TRUE(w->Make());
  HWND hwnd = w->hwnd();
  delete w;
  EXPECT_FALSE(IsWindow(hwnd));
}

TEST(WindowBinding, FailedCreateLeavesTheObjectUnbound) {
  ProbeWindow w;
  w.failCreate = true;
  EXPECT_FALSE(w.Make());
  EXPECT_EQ(w.hwnd(), nullptr);
}

TEST(WindowBinding, RegisterClassFailureIsReported) {
  // Class names are limited to 256 characters.
  static const std::string tooLong(400, 'x');
  ProbeWindow w(tooLong.c_str());
  EXPECT_FALSE(w.Make());
  EXPECT_EQ(w.hwnd(), nullptr);
}

TEST(WindowBinding, SecondObjectReusesTheRegisteredClass) {
  ProbeWindow a, b;
  ASSERT_TRUE(a.Make());
  ASSERT_TRUE(b.Make());
  EXPECT_NE(a.hwnd(), b.hwnd());
  EXPECT_EQ(WindowBase::FromHandle(b.hwnd()), &b);
}

TEST(WindowBinding, ForeignWindowIsNeverTakenForAnObject) {
  ProbeWindow w;
  ASSERT_TRUE(w.Make());
  HWND stat = CreateWindowA("STATIC", "", WS_CHILD, 0, 0, 10, 10, w.hwnd(), nullptr,
                            ModuleInstance(), nullptr);
  ASSERT_NE(stat, nullptr);
  // A control may keep any value in its user data, even one that equals a
  // live object's address.
  SetWindowLongPtrA(stat, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&w));
  EXPECT_EQ(WindowBase::FromHandle(stat), nullptr);
  EXPECT_EQ(WindowBase::FromTopLevel(stat), &w);
  EXPECT_EQ(WindowBase::FromHandle(nullptr), nullptr);
}

TEST(LiveList, ObjectsEnterOnConstructionAndLeaveOnDestruction) {
  const size_t before = WindowBase::LiveCount();
  const WindowBase* address = nullptr;
  {
    ProbeWindow w;
    address = &w;
    EXPECT_EQ(WindowBase::LiveCount(), before + 1);
    EXPECT_TRUE(WindowBase::IsLive(address));
  }
  EXPECT_EQ(WindowBase::LiveCount(), before);
  EXPECT_FALSE(WindowBase::IsLive(address));
}

TEST(Dispatch, MessageMapCommandMapAndDefaultProcedure) {
  ProbeWindow w;
  ASSERT_TRUE(w.Make());
  EXPECT_EQ(SendMessageA(w.hwnd(), kPing, 7, 0), 42);
  SendMessageA(w.hwnd(), WM_COMMAND, MAKEWPARAM(20212, 0), 0);
  SendMessageA(w.hwnd(), WM_COMMAND, MAKEWPARAM(59003, 0), 0);
  SendMessageA(w.hwnd(), WM_COMMAND, MAKEWPARAM(59500, 0), 0);
  SendMessageA(w.hwnd(), WM_COMMAND, MAKEWPARAM(20213, 0), 0);  // no handler
  const std::vector<std::string> expected = {"ping 7", "refresh", "window 59003",
                                             "single 59500"};
  EXPECT_EQ(w.log, expected);
  char title[32] = "";
  GetWindowTextA(w.hwnd(), title, sizeof title);
  EXPECT_STREQ(title, "probe");
}

TEST(Dispatch, ClientSizeFollowsWmSize) {
  ProbeWindow w;
  ASSERT_TRUE(w.Make());
  ShowWindow(w.hwnd(), SW_SHOWNORMAL);
  MoveWindow(w.hwnd(), 0, 0, 420, 330, TRUE);
  RECT rc;
  GetClientRect(w.hwnd(), &rc);
  EXPECT_EQ(w.clientWidth(), rc.right);
  EXPECT_EQ(w.clientHeight(), rc.bottom);
  EXPECT_GT(w.clientWidth(), 300);
}

TEST(Dispatch, ExceptionInAHandlerStaysInTheWindowProcedure) {
  ProbeWindow w;
  ASSERT_TRUE(w.Make());
  EXPECT_EQ(SendMessageA(w.hwnd(), kThrow, 0, 0), 0);
  EXPECT_EQ(SendMessageA(w.hwnd(), kPing, 1, 0), 42);
}

// A dialog template in memory: no resources in the test program.
struct alignas(4) SmallTemplate {
  DLGTEMPLATE dlg;
  WORD menu = 0, cls = 0, title = 0;
};

class ProbeDialog : public DialogBase {
public:
  void RegisterHandlers() override {
    maps().OnMessage(WM_INITDIALOG, [this](HWND hwnd, UINT, WPARAM, LPARAM) -> INT_PTR {
      boundAtInit = this->hwnd() == hwnd && FromHandle(hwnd) == this;
      PostMessageA(hwnd, WM_COMMAND, IDOK, 0);
      return TRUE;
    });
    maps().OnCommand(IDOK, [this](HWND hwnd, UINT, WPARAM, LPARAM) -> INT_PTR {
      ++okCount;
      EndDialog(hwnd, 7);
      return TRUE;
    });
  }
  bool boundAtInit = false;
  int okCount = 0;
};

TEST(DialogBinding, ModalDialogIsBoundAtInitDialogAndUnboundAfterwards) {
  SmallTemplate t{};
  t.dlg.style = WS_POPUP | WS_CAPTION;
  t.dlg.cx = 100;
  t.dlg.cy = 50;
  ProbeDialog d;
  EXPECT_EQ(d.RunModal(&t.dlg, nullptr), 7);
  EXPECT_TRUE(d.boundAtInit);
  EXPECT_EQ(d.okCount, 1);
  EXPECT_EQ(d.hwnd(), nullptr);
}

}  // namespace
}  // namespace qm
