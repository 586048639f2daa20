// End-to-end tests of the launcher's notification-area icon, its menu and the about box.
#include "launcher_fixture.h"

#include <shellapi.h>

#include <atomic>
#include <thread>

namespace {

using LauncherTray = LauncherTest;

TEST_F(LauncherTray, IconIsPresentByDefault) {
  ASSERT_NO_FATAL_FAILURE(Launch());
  EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::TrayIconExists(window_, e2e::TRAY_ICON_ID); }))
      << "expected the icon (window, 32) in the notification area";
  EXPECT_FALSE(e2e::TrayIconExists(window_, e2e::TRAY_ICON_ID + 1))
      << "expected no icon with another identifier";
  ExpectCloseEndsWithZero();
}

// What the taskbar broadcasts when it has been re-created; the launcher answers the message
// synchronously, so the icon is back (or not) when the send returns.
bool SendTaskbarCreated(HWND window) {
  return e2e::Send(window, RegisterWindowMessageA("TaskbarCreated"));
}

TEST_F(LauncherTray, IconComesBackWhenTheTaskbarIsRecreated) {
  ASSERT_NO_FATAL_FAILURE(Launch());
  ASSERT_TRUE(e2e::WaitUntil([&] { return e2e::TrayIconExists(window_, e2e::TRAY_ICON_ID); }));
  // A re-created taskbar has lost every icon; removing this one stands in for that.
  NOTIFYICONDATAA data{};
  data.cbSize = NOTIFYICONDATAA_V1_SIZE;
  data.hWnd = window_;
  data.uID = e2e::TRAY_ICON_ID;
  ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &data));
  ASSERT_FALSE(e2e::TrayIconExists(window_, e2e::TRAY_ICON_ID));

  ASSERT_TRUE(SendTaskbarCreated(window_));
  EXPECT_TRUE(e2e::TrayIconExists(window_, e2e::TRAY_ICON_ID)) << "expected the icon added again";
  ExpectCloseEndsWithZero();
}

// A taskbar that is not up yet: the shell hands each request to the first top-level window of
// class Shell_TrayWnd with WM_COPYDATA, and this one, made topmost above the real one on a
// thread of its own, refuses them all and counts them.
class RefusingTaskbar {
 public:
  RefusingTaskbar() {
    thread_ = std::thread([this] { Run(); });
    e2e::WaitUntil([this] { return ready_.load(); });
  }
  ~RefusingTaskbar() { Remove(); }
  RefusingTaskbar(RefusingTaskbar const&) = delete;
  RefusingTaskbar& operator=(RefusingTaskbar const&) = delete;

  bool Standing() const { return window_ != nullptr; }
  int Requests() const { return requests_.load(); }
  void Remove() {
    if (!thread_.joinable()) return;
    PostThreadMessageA(threadId_.load(), WM_QUIT, 0, 0);
    thread_.join();
  }

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_COPYDATA) {
      auto* self = reinterpret_cast<RefusingTaskbar*>(GetWindowLongPtrA(window, GWLP_USERDATA));
      if (self != nullptr) ++self->requests_;
      return FALSE;
    }
    return DefWindowProcA(window, msg, wParam, lParam);
  }

  void Run() {
    threadId_ = GetCurrentThreadId();
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = Procedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "Shell_TrayWnd";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, "Shell_TrayWnd", "",
                                  WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                  windowClass.hInstance, nullptr);
    if (window != nullptr) {
      SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
      SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    window_ = window;
    ready_ = true;
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    if (window != nullptr) DestroyWindow(window);
    window_ = nullptr;
    UnregisterClassA("Shell_TrayWnd", windowClass.hInstance);
  }

  std::thread thread_;
  std::atomic<DWORD> threadId_{0};
  std::atomic<bool> ready_{false};
  std::atomic<HWND> window_{nullptr};
  std::atomic<int> requests_{0};
};

TEST_F(LauncherTray, IconIsAddedWhenTheTaskbarComesUpAfterTheLauncher) {
  ASSERT_TRUE(e2e::NotificationAreaWorks()) << "the notification area takes no icons here";
  RefusingTaskbar early;
  ASSERT_TRUE(early.Standing());
  ASSERT_FALSE(e2e::NotificationAreaWorks()) << "expected the stand-in to refuse icons";
  ASSERT_NO_FATAL_FAILURE(Launch());
  // Each try asks twice (add, then modify in case a late answer took the add).
  ASSERT_TRUE(e2e::WaitUntil([&] { return early.Requests() >= 2; }))
      << "expected the launcher to try to add its icon";
  int const first = early.Requests();
  EXPECT_TRUE(e2e::WaitUntil([&] { return early.Requests() > first; }, 3000))
      << "expected the launcher to try again about a second later";
  early.Remove();
  EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::TrayIconExists(window_, e2e::TRAY_ICON_ID); },
                             3000))
      << "expected the icon added once the taskbar is up";
  ExpectCloseEndsWithZero();
}

// The width of image `size` that the system takes from icon 101 of pimbo.exe for that size,
// read from the program's resources as the icon loader finds them; 0 when there is none.
int IconImageWidthFor(HMODULE program, int size) {
  HRSRC group = FindResourceA(program, MAKEINTRESOURCEA(IDI_LAUNCHER_ICON), RT_GROUP_ICON);
  HGLOBAL groupData = group ? LoadResource(program, group) : nullptr;
  auto* directory = groupData ? static_cast<BYTE*>(LockResource(groupData)) : nullptr;
  if (directory == nullptr) return 0;
  int const id = LookupIconIdFromDirectoryEx(directory, TRUE, size, size, LR_DEFAULTCOLOR);
  HRSRC image = id ? FindResourceA(program, MAKEINTRESOURCEA(id), RT_ICON) : nullptr;
  HGLOBAL imageData = image ? LoadResource(program, image) : nullptr;
  auto* header = imageData ? static_cast<BITMAPINFOHEADER*>(LockResource(imageData)) : nullptr;
  return header != nullptr ? header->biWidth : 0;
}

TEST_F(LauncherTray, EachSmallIconSizeHasItsOwnPicture) {
  HMODULE program = LoadLibraryExA(e2e::LauncherExe().c_str(), nullptr,
                                   LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  ASSERT_TRUE(program) << "could not open " << e2e::LauncherExe();
  for (int size : {16, 20, 24, 32}) {
    EXPECT_EQ(IconImageWidthFor(program, size), size) << "expected a picture of " << size;
  }
  FreeLibrary(program);
}

TEST_F(LauncherTray, NoTrayLeavesTheIconOutButKeepsTheHotKey) {
  ASSERT_TRUE(e2e::NotificationAreaWorks()) << "the notification area takes no icons here";
  ASSERT_NO_FATAL_FAILURE(Launch(e2e::IniText({"[settings]", "NoTray=1"})));
  EXPECT_TRUE(e2e::Responds(window_));
  EXPECT_FALSE(e2e::TrayIconExists(window_, e2e::TRAY_ICON_ID)) << "expected no icon";
  ASSERT_TRUE(SendTaskbarCreated(window_));
  EXPECT_FALSE(e2e::TrayIconExists(window_, e2e::TRAY_ICON_ID))
      << "expected no icon after the taskbar is re-created";
  ASSERT_NO_FATAL_FAILURE(ExpectHotKeyShows());
  ExpectCloseEndsWithZero();
}

// Opens the icon's menu as a right click on the icon does.
HWND OpenTrayMenu(HWND window) {
  if (!e2e::Post(window, e2e::WM_TRAYNOTIFY, e2e::TRAY_ICON_ID, WM_RBUTTONUP)) return nullptr;
  return e2e::WaitForPopupMenu(e2e::ProcessOf(window));
}

TEST_F(LauncherTray, RightButtonOpensTheMenuInItsOrder) {
  ASSERT_NO_FATAL_FAILURE(Launch());
  ASSERT_TRUE(SetCursorPos(300, 200));
  HWND popup = OpenTrayMenu(window_);
  ASSERT_TRUE(popup) << "expected a popup menu after WM_RBUTTONUP";
  RECT rect{};
  GetWindowRect(popup, &rect);
  EXPECT_EQ(rect.left, 300) << "expected the menu at the mouse position";
  EXPECT_EQ(rect.top, 200) << "expected the menu at the mouse position";

  std::string error;
  std::vector<e2e::MenuItem> items = e2e::ReadPopupMenu(popup, &error);
  struct Expected {
    UINT id;
    const char* text;
  } const expected[] = {
      {IDM_ABOUT, "ﾊﾞｰｼﾞｮﾝ情報(&A)"}, {IDM_HOMEPAGE, "ﾎｰﾑﾍﾟｰｼﾞ(&W)"}, {0, nullptr},
      {IDM_RESTART, "Pimbo 再起動(&R)"}, {IDM_SETTINGS, "設定(&O)"},
      {IDM_EXIT, "終了(&Q)"},
  };
  ASSERT_TRUE(error.empty()) << error;
  ASSERT_EQ(items.size(), std::size(expected));
  for (size_t i = 0; i < items.size(); ++i) {
    SCOPED_TRACE("item " + std::to_string(i));
    EXPECT_EQ(items[i].separator, expected[i].text == nullptr);
    EXPECT_EQ(items[i].id, expected[i].id);
    if (expected[i].text) {
      EXPECT_EQ(items[i].text, expected[i].text);
    }
  }

  ASSERT_TRUE(e2e::PressKey(VK_ESCAPE));
  EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::NoPopupMenu(launcher_.Id()); }))
      << "expected Escape to close the menu";
  EXPECT_TRUE(e2e::Responds(window_));
  ExpectCloseEndsWithZero();
}

TEST_F(LauncherTray, MenuChoiceReachesTheLauncher) {
  ASSERT_NO_FATAL_FAILURE(Launch());
  ASSERT_TRUE(OpenTrayMenu(window_)) << "expected a popup menu after WM_RBUTTONUP";
  // The menu has the keyboard: its mnemonic Q chooses "exit".
  ASSERT_TRUE(e2e::TypeText("q"));
  ASSERT_TRUE(launcher_.WaitExit()) << "expected the exit item to end the launcher";
  EXPECT_EQ(launcher_.ExitCode(), 0u);
}

TEST_F(LauncherTray, OtherMouseMessagesOpenNothing) {
  ASSERT_NO_FATAL_FAILURE(Launch());
  // Sent, not posted: a handler that opened a menu would not return until it closed.
  for (UINT mouse : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_RBUTTONDOWN,
                     WM_RBUTTONDBLCLK, WM_MOUSEMOVE}) {
    SCOPED_TRACE("mouse message " + std::to_string(mouse));
    LRESULT answer = -1;
    EXPECT_TRUE(e2e::Send(window_, e2e::WM_TRAYNOTIFY, e2e::TRAY_ICON_ID, mouse, &answer, 3000));
    EXPECT_EQ(answer, 0);
    EXPECT_TRUE(e2e::NoPopupMenu(launcher_.Id()));
  }
  EXPECT_FALSE(IsWindowVisible(window_));
  ExpectCloseEndsWithZero();
}

TEST_F(LauncherTray, AboutBoxShowsTheVersionAndTheLauncherStays) {
  ASSERT_NO_FATAL_FAILURE(Launch());
  ASSERT_TRUE(e2e::Post(window_, WM_COMMAND, IDM_ABOUT));
  HWND box = e2e::WaitForMessageBox(launcher_.Id(), "ﾊﾞｰｼﾞｮﾝ情報");
  ASSERT_TRUE(box) << "expected a message box titled ﾊﾞｰｼﾞｮﾝ情報";
  EXPECT_EQ(e2e::MessageBoxText(box), "Pimbo launcher ver1.26" + std::string(25, ' '));
  EXPECT_TRUE(GetWindowLongA(box, GWL_EXSTYLE) & WS_EX_TOPMOST)
      << "expected a system-modal (topmost) box";
  ASSERT_TRUE(e2e::DismissMessageBox(box));
  EXPECT_TRUE(e2e::Responds(window_));
  EXPECT_TRUE(launcher_.Running());
  ExpectCloseEndsWithZero();
}

}  // namespace
