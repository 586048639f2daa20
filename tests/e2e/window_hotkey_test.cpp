// End-to-end tests of the launcher window as start-up leaves it (class, style, size, place) and
// of the global hot key that brings it up.
#include "launcher_fixture.h"

namespace {

using LauncherWindow = LauncherTest;
using LauncherHotKey = LauncherTest;

RECT WindowRect(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return rect;
}

TEST_F(LauncherWindow, DefaultsWithoutProfile) {
  ASSERT_NO_FATAL_FAILURE(Launch());
  ASSERT_FALSE(folder_->Exists("pimbo.ini"));

  EXPECT_FALSE(IsWindowVisible(window_)) << "expected the window hidden after start-up";
  LONG style = GetWindowLongA(window_, GWL_STYLE);
  LONG exStyle = GetWindowLongA(window_, GWL_EXSTYLE);
  EXPECT_EQ(style & (WS_POPUP | WS_BORDER), WS_POPUP | WS_BORDER);
  EXPECT_EQ(style & (WS_DLGFRAME | WS_THICKFRAME | WS_SYSMENU), 0) << "expected no caption";
  EXPECT_TRUE(exStyle & WS_EX_TOOLWINDOW) << "expected no taskbar button (WS_EX_TOOLWINDOW)";
  EXPECT_FALSE(exStyle & WS_EX_TOPMOST) << "expected topmost only once shown";

  RECT rect = WindowRect(window_);
  int width = rect.right - rect.left, height = rect.bottom - rect.top;
  EXPECT_EQ(width, 240);
  EXPECT_EQ(height, GetSystemMetrics(SM_CYSMCAPTION) + 4);

  RECT desktop{};
  GetWindowRect(GetDesktopWindow(), &desktop);
  int desktopWidth = desktop.right - desktop.left, desktopHeight = desktop.bottom - desktop.top;
  EXPECT_EQ(rect.left, desktopWidth / 2 - width / 2) << "expected the window centred";
  EXPECT_EQ(rect.top, desktopHeight / 2 - height / 2) << "expected the window centred";
  ExpectCloseEndsWithZero();
}

// "XPOINT" and "YPOINT" place the top-left corner; only both -1 centre the window.
TEST_F(LauncherWindow, StoredPositionPlacesTheWindow) {
  struct Case {
    const char* lines[2];
    POINT expected;
  } const cases[] = {
      {{"XPOINT=100", ""}, {100, -1}},
      {{"XPOINT=-1", "YPOINT=100"}, {-1, 100}},
      {{"YPOINT=200", "XPOINT=300"}, {300, 200}},
  };
  for (Case const& c : cases) {
    SCOPED_TRACE(std::string(c.lines[0]) + " " + c.lines[1]);
    ASSERT_NO_FATAL_FAILURE(Launch(e2e::IniText({"[settings]", c.lines[0], c.lines[1]})));
    RECT rect = WindowRect(window_);
    EXPECT_EQ(rect.left, c.expected.x);
    EXPECT_EQ(rect.top, c.expected.y);
    // The hot key brings it up in that same place.
    ASSERT_NO_FATAL_FAILURE(ExpectHotKeyShows());
    rect = WindowRect(window_);
    EXPECT_EQ(rect.left, c.expected.x);
    EXPECT_EQ(rect.top, c.expected.y);
    ExpectCloseEndsWithZero();
    launcher_ = e2e::Process();
    folder_.reset();
  }
}

// A place on no monitor (one saved on a monitor since detached) shows the window just inside
// the work area instead, before and after the hot key; the file keeps the stored place.
TEST_F(LauncherWindow, PlaceOnNoMonitorComesInsideTheWorkArea) {
  RECT work{};
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0));
  struct Case {
    const char* lines[2];
  } const cases[] = {
      {{"XPOINT=30000", "YPOINT=30000"}},
      {{"XPOINT=-30000", "YPOINT=200"}},
      {{"XPOINT=300", "YPOINT=-5000"}},
  };
  for (Case const& c : cases) {
    SCOPED_TRACE(std::string(c.lines[0]) + " " + c.lines[1]);
    std::string const ini = e2e::IniText({"[settings]", c.lines[0], c.lines[1]});
    ASSERT_NO_FATAL_FAILURE(Launch(ini));
    ASSERT_NO_FATAL_FAILURE(ExpectHotKeyShows());
    RECT const rect = WindowRect(window_);
    EXPECT_GE(rect.left, work.left);
    EXPECT_GE(rect.top, work.top);
    EXPECT_LE(rect.right, work.right);
    EXPECT_LE(rect.bottom, work.bottom);
    EXPECT_EQ(rect.right - rect.left, 240) << "expected the size kept";
    // Moved by the least distance: the edge nearest the stored place touches the work area.
    EXPECT_TRUE(rect.left == work.left || rect.right == work.right || rect.left == 300);
    EXPECT_TRUE(rect.top == work.top || rect.bottom == work.bottom || rect.top == 200);
    ExpectCloseEndsWithZero();
    EXPECT_EQ(ReadBytes(folder_->PathOf("pimbo.ini")), ini) << "expected the stored place kept";
    launcher_ = e2e::Process();
    folder_.reset();
  }
}

TEST_F(LauncherHotKey, AltOneShowsTheWindowTopmostAndFocused) {
  ASSERT_NO_FATAL_FAILURE(Launch());
  ASSERT_NO_FATAL_FAILURE(ExpectHotKeyShows());

  EXPECT_TRUE(GetWindowLongA(window_, GWL_EXSTYLE) & WS_EX_TOPMOST) << "expected WS_EX_TOPMOST";
  EXPECT_TRUE(e2e::WaitUntil([&] { return GetForegroundWindow() == window_; }))
      << "expected the launcher in the foreground, got " << GetForegroundWindow();
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  DWORD thread = GetWindowThreadProcessId(window_, nullptr);
  EXPECT_TRUE(e2e::WaitUntil([&] {
    return GetGUIThreadInfo(thread, &info) && info.hwndFocus == window_;
  })) << "expected the keyboard focus on the launcher window, got " << info.hwndFocus;

  RECT rect{};
  GetWindowRect(window_, &rect);
  EXPECT_EQ(rect.bottom - rect.top, GetSystemMetrics(SM_CYSMCAPTION) + 4) << "expected one row";

  ExpectCloseEndsWithZero();
}

// True when the hot key that this thread registered arrives within the timeout.
bool OwnHotKeyArrives(int id) {
  return e2e::WaitUntil([&] {
    MSG msg;
    return PeekMessageA(&msg, nullptr, WM_HOTKEY, WM_HOTKEY, PM_REMOVE) && msg.wParam == WPARAM(id);
  });
}

TEST_F(LauncherHotKey, StoredHotKeyReplacesAltOne) {
  // 1601 = 0x0641: MOD_CONTROL | MOD_SHIFT with the "A" key.
  ASSERT_NO_FATAL_FAILURE(Launch(e2e::IniText({"[settings]", "hot key=1601"})));

  EXPECT_FALSE(RegisterHotKey(nullptr, 2, MOD_CONTROL | MOD_SHIFT, 'A'))
      << "expected Ctrl+Shift+A held by the launcher";
  // Alt+1 is free; taken by the test, its press arrives here and not at the launcher.
  ASSERT_TRUE(RegisterHotKey(nullptr, 1, MOD_ALT, '1')) << "expected Alt+1 not registered";
  ASSERT_TRUE(e2e::PressHotKey(MOD_ALT, '1'));
  EXPECT_TRUE(OwnHotKeyArrives(1));
  UnregisterHotKey(nullptr, 1);
  EXPECT_TRUE(e2e::Responds(window_));
  EXPECT_FALSE(IsWindowVisible(window_)) << "expected Alt+1 to leave the window hidden";

  ASSERT_NO_FATAL_FAILURE(ExpectHotKeyShows(MOD_CONTROL | MOD_SHIFT, 'A'));
  ExpectCloseEndsWithZero();
}

TEST_F(LauncherHotKey, TakenHotKeyShowsTheErrorAndStartUpGoesOn) {
  ASSERT_TRUE(RegisterHotKey(nullptr, 1, MOD_ALT, '1'));
  struct Release {
    ~Release() { UnregisterHotKey(nullptr, 1); }
  } release;

  e2e::TestFolder folder("taken");
  ASSERT_TRUE(folder.InstallLauncher());
  e2e::Process launcher = e2e::StartLauncher(folder);
  ASSERT_TRUE(launcher.Started());
  HWND box = e2e::WaitForMessageBox(launcher.Id(), "Pimbo");
  ASSERT_TRUE(box) << "expected a message box titled Pimbo";
  EXPECT_EQ(e2e::MessageBoxText(box),
            "ホットキーの設定に失敗しました。\r\n\r\n他のアプリケーションが使っている可能性があります。");
  EXPECT_EQ(e2e::TopLevelWindows(launcher.Id(), "#32770", nullptr, true).size(), 1u)
      << "expected exactly one message box";
  ASSERT_TRUE(e2e::DismissMessageBox(box));

  // The launcher goes on: resident, with its icon, and ends normally.
  HWND window = e2e::WaitForLauncherWindow(launcher.Id());
  ASSERT_TRUE(window);
  EXPECT_TRUE(e2e::Responds(window));
  EXPECT_TRUE(launcher.Running());
  EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::TrayIconExists(window, e2e::TRAY_ICON_ID); }))
      << "expected the notification-area icon after the error";
  EXPECT_TRUE(e2e::TopLevelWindows(launcher.Id(), "#32770", nullptr, true).empty())
      << "expected no second message box";
  EXPECT_EQ(e2e::CloseLauncher(launcher), 0u);
}

}  // namespace
