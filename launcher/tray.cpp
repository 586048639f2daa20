// The launcher's two doors: the global hot key and the notification-area icon with its menu,
// and the menu commands that the menu and the control commands send.
#include <windows.h>

#include <shellapi.h>

#include "launcher.h"
#include "system_calls.h"
#include "resource.h"
#include "texts.h"

namespace {

// The tip field of the first form of NOTIFYICONDATAA, the form whose size we hand the shell.
int const TRAY_TIP_SIZE = 64;

// Adding the icon is tried again every second for a minute while the shell refuses it.
UINT const TRAY_RETRY_MILLISECONDS = 1000;
int const TRAY_RETRY_COUNT = 60;

// Tries left to the retry timer (TRAY_RETRY_TIMER_ID); 0 when it is not running.
int TrayRetriesLeft = 0;

// True when the icon is in the notification area (or none is wanted). A shell that answered
// too late may have taken an add that reported failure: then the icon is there to modify.
bool TryAddTrayIcon(HWND window) {
  return NotifyTrayIcon(window, NIM_ADD, TRAY_ICON_ID, TrayIcon, TRAY_TIP) ||
         NotifyTrayIcon(window, NIM_MODIFY, TRAY_ICON_ID, TrayIcon, TRAY_TIP);
}

void StopTrayRetry(HWND window) {
  if (TrayRetriesLeft == 0) return;
  KillTimer(window, TRAY_RETRY_TIMER_ID);
  TrayRetriesLeft = 0;
}

void LeaveWith(HWND window, int exitAction) {
  ExitAction = exitAction;
  PostMessageA(window, WM_CLOSE, 0, 0);
}

}  // namespace

BOOL SetLauncherHotKey(HWND window, BOOL enable) {
  if (!enable) return UnregisterHotKey(window, HOTKEY_ID);
  // The stored value is already in RegisterHotKey's form: modifiers high, virtual key low.
  // MOD_NOREPEAT: a combination held down brings the window up once, not again with every
  // repeat (each of which would empty the line).
  if (RegisterHotKey(window, HOTKEY_ID, HIBYTE(HotKey) | MOD_NOREPEAT, LOBYTE(HotKey)))
    return TRUE;
  StyledMessageBoxA(window, HOTKEY_FAILED_TEXT, HOTKEY_FAILED_CAPTION, MB_ICONERROR);
  return FALSE;
}

BOOL NotifyTrayIcon(HWND window, DWORD message, UINT id, HICON icon, const char* tip) {
  if (NoTray) return TRUE;
  NOTIFYICONDATAA data = {};
  data.cbSize = NOTIFYICONDATAA_V1_SIZE;
  data.hWnd = window;
  data.uID = id;
  data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data.uCallbackMessage = WM_TRAYNOTIFY;
  data.hIcon = icon;
  static_assert(sizeof(data.szTip) >= TRAY_TIP_SIZE);
  if (tip != nullptr) lstrcpynA(data.szTip, tip, TRAY_TIP_SIZE);
  return Shell_NotifyIconA(message, &data);
}

LRESULT LauncherOnTrayNotify(HWND window, LPARAM mouseMessage) {
  if (mouseMessage != WM_RBUTTONUP) return 0;
  HMENU menu = CreatePopupMenu();
  if (menu == nullptr) return 0;
  AppendMenuA(menu, MF_STRING, IDM_ABOUT, MENU_ABOUT);
  AppendMenuA(menu, MF_STRING, IDM_HOMEPAGE, MENU_HOMEPAGE);
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menu, MF_STRING, IDM_RESTART, MENU_RESTART);
  AppendMenuA(menu, MF_STRING, IDM_SETTINGS, MENU_SETTINGS);
  AppendMenuA(menu, MF_STRING, IDM_EXIT, MENU_EXIT);

  // The window must be foreground before TrackPopupMenu or the menu won't close when the
  // user clicks elsewhere.
  SetForegroundWindow(window);
  POINT cursor = {};
  GetCursorPos(&cursor);
  TrackPopupMenu(menu, TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, window, nullptr);
  // A message after the menu loop lets the next right click open the menu again at once
  // instead of only closing the one the shell still thinks is up.
  PostMessageA(window, WM_NULL, 0, 0);
  DestroyMenu(menu);
  return 0;
}

LRESULT LauncherOnCommand(HWND window, WPARAM wParam) {
  switch (LOWORD(wParam)) {
    case IDM_ABOUT:
      StyledMessageBoxA(window, ABOUT_TEXT, ABOUT_CAPTION, MB_SYSTEMMODAL | MB_ICONINFORMATION);
      break;
    case IDM_EXIT:
      PostMessageA(window, WM_CLOSE, 0, 0);
      break;
    case IDM_SETTINGS:
      LeaveWith(window, EXIT_ACTION_SETTINGS);
      break;
    case IDM_HOMEPAGE:
      EnsureComApartment();
      ShellExecuteA(nullptr, nullptr, HOME_PAGE_URL, nullptr, nullptr, SW_SHOW);
      break;
    case IDM_RESTART:
      LeaveWith(window, EXIT_ACTION_RESTART);
      break;
    default:
      break;
  }
  return 0;
}

// Started at logon, the launcher may come before the taskbar, and NIM_ADD fails until the
// taskbar is up. The taskbar's first TaskbarCreated brings the icon in, but a shell that is up
// and still too busy to answer sends none: a timer tries again meanwhile.
void AddTrayIcon(HWND window) {
  if (TryAddTrayIcon(window)) {
    StopTrayRetry(window);
    return;
  }
  if (SetTimer(window, TRAY_RETRY_TIMER_ID, TRAY_RETRY_MILLISECONDS, nullptr) != 0)
    TrayRetriesLeft = TRAY_RETRY_COUNT;
}

void RetryTrayIcon(HWND window) {
  if (TryAddTrayIcon(window) || --TrayRetriesLeft <= 0) {
    KillTimer(window, TRAY_RETRY_TIMER_ID);
    TrayRetriesLeft = 0;
  }
}

LRESULT LauncherOnTaskbarCreated(HWND window) {
  AddTrayIcon(window);
  return 0;
}
