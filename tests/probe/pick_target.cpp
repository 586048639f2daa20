// A small window program for the settings editor's window pick: a top-level window holding a
// panel that holds an edit control, so that a pick over the edit control has two parents to
// climb. It stays until it is closed, or ends by itself after two minutes.
#include <windows.h>

#include "../driver/driver.h"  // its class, title and control id

namespace {

UINT_PTR const LIFETIME_TIMER = 1;
UINT const LIFETIME_MS = 120000;
char const PANEL_CLASS[] = "Pimbo Pick Panel";

LRESULT CALLBACK PanelProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_SIZE) {
    MoveWindow(GetDlgItem(window, e2e::PICK_TARGET_EDIT_ID), 8, 8, LOWORD(lParam) - 16,
               HIWORD(lParam) - 16, TRUE);
    return 0;
  }
  return DefWindowProcA(window, msg, wParam, lParam);
}

LRESULT CALLBACK TargetProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE: {
      HINSTANCE instance = reinterpret_cast<CREATESTRUCTA*>(lParam)->hInstance;
      HWND panel = CreateWindowExA(0, PANEL_CLASS, "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, window,
                                   reinterpret_cast<HMENU>(1), instance, nullptr);
      CreateWindowExA(WS_EX_CLIENTEDGE, "Edit", "edit control",
                      WS_CHILD | WS_VISIBLE | ES_MULTILINE, 0, 0, 0, 0, panel,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(e2e::PICK_TARGET_EDIT_ID)),
                      instance, nullptr);
      SetTimer(window, LIFETIME_TIMER, LIFETIME_MS, nullptr);
      return 0;
    }
    case WM_SIZE:
      MoveWindow(GetDlgItem(window, 1), 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
      return 0;
    case WM_TIMER:
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      KillTimer(window, LIFETIME_TIMER);
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(window, msg, wParam, lParam);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  WNDCLASSA panel = {};
  panel.lpfnWndProc = PanelProc;
  panel.hInstance = instance;
  panel.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  panel.lpszClassName = PANEL_CLASS;
  WNDCLASSA target = panel;
  target.lpfnWndProc = TargetProc;
  target.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
  target.lpszClassName = e2e::PICK_TARGET_CLASS;
  if (!RegisterClassA(&panel) || !RegisterClassA(&target)) return 1;
  HWND window = CreateWindowExA(0, e2e::PICK_TARGET_CLASS, e2e::PICK_TARGET_TITLE,
                                WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 260, 180, nullptr,
                                nullptr, instance, nullptr);
  if (!window) return 2;
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}
